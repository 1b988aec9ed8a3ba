// A captioned group of radio buttons addressed by item index, like the
// radio groups of the original design (RadioGroup2, RadioGroupPeriod).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr)
        : QGroupBox(caption, parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(8, 4, 4, 4);
        layout->setSpacing(0);
        for (int i = 0; i < items.size(); ++i) {
            auto* button = new QRadioButton(items[i], this);
            buttons_.addButton(button, i);
            layout->addWidget(button, 0, Qt::AlignLeft);
        }
        connect(&buttons_, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
    }

    int itemIndex() const { return buttons_.checkedId(); }
    // Selects without a click; the owner runs its handler when it should.
    void setItemIndex(int index)
    {
        if (QAbstractButton* button = buttons_.button(index))
            button->setChecked(true);
    }
    QRadioButton* item(int index) const { return static_cast<QRadioButton*>(buttons_.button(index)); }

signals:
    // The operator chose an item.
    void clicked(int index);

private:
    QButtonGroup buttons_;
};
