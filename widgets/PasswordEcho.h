// Password fields show one "*" for each character typed, whatever the
// platform style would draw (Qt's default is a bullet).
#pragma once

#include <QLineEdit>
#include <QProxyStyle>

class StarPasswordStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr, QStyleHintReturn* data = nullptr) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// Hides the field's text behind "*"; the style lives as long as the field.
inline void showStars(QLineEdit* field)
{
    auto* style = new StarPasswordStyle;
    style->setParent(field);
    field->setStyle(style);
    field->setEchoMode(QLineEdit::Password);
}
