// Number texts shown in the windows.
//
// general: the value widened to double, up to 15 significant digits, the
//   shortest form without exponent where possible (23.7f -> 23.7000007629395,
//   21.5 -> 21.5).
// fixed: rounded to `precision` significant digits, then shown with `digits`
//   decimals (153 / 15.326 -> 9.98).
// The separator is the window's choice of the moment: "." until recording
// starts, "," from then on (Recording::decimalSeparator). CSV files never use
// this class.
#pragma once

#include <QChar>
#include <QString>

#include <algorithm>

namespace obr9 {

class DisplayFormat {
public:
    explicit DisplayFormat(QChar decimalSeparator = QLatin1Char('.'))
        : decimalSeparator_(decimalSeparator)
    {
    }

    QChar decimalSeparator() const { return decimalSeparator_; }
    void setDecimalSeparator(QChar separator) { decimalSeparator_ = separator; }

    QString general(double value) const;
    QString fixed(double value, int precision = 4, int digits = 2) const;
    void appendGeneral(QString& out, double value) const;
    void appendFixed(QString& out, double value, int precision = 4, int digits = 2) const;

private:
    void appendText(QString& out, const char* text, int length) const;

    QChar decimalSeparator_;
};

} // namespace obr9
