#include "devconfig/AddressText.h"

#include <QStringList>

namespace obr9 {

namespace {
// The mask keeps the separators at fixed places, so splitting at them reads
// the same groups as the fixed positions do, and a plain "10.0.0.7" reads
// as well.
QString groupAt(const QString& displayText, int group)
{
    const QStringList groups = displayText.split(u'.');
    return groups.size() == 4 ? groups[group] : QString();
}

// Decimal digits with blanks around them and nothing else.
std::optional<int> decimalGroup(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 99999)
            return value; // out of range anyway; no overflow on long input
    }
    return value;
}

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}
} // namespace

std::optional<AddressGroupProblem> addressProblem(const QString& displayText)
{
    for (int g = 0; g < 4; ++g) {
        const QString text = groupAt(displayText, g);
        const std::optional<int> value = decimalGroup(text);
        if (!value)
            return AddressGroupProblem{true, text};
        if (*value > 255)
            return AddressGroupProblem{false, text};
    }
    return std::nullopt;
}

std::optional<AddressBytes> readAddressField(const QString& displayText, QString* error)
{
    AddressBytes out{};
    for (int g = 0; g < 4; ++g) {
        const QString text = groupAt(displayText, g);
        const std::optional<int> value = decimalGroup(text);
        if (!value || *value > 255) {
            if (error)
                *error = !value ? QStringLiteral("group %1 (\"%2\") is not a number")
                                      .arg(g + 1)
                                      .arg(text.trimmed())
                                : QStringLiteral("group %1 (%2) is above 255")
                                      .arg(g + 1)
                                      .arg(text.trimmed());
            return std::nullopt;
        }
        out[size_t(g)] = uint8_t(*value);
    }
    return out;
}

QString addressText(const AddressBytes& address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address[0])
        .arg(address[1])
        .arg(address[2])
        .arg(address[3]);
}

MacBytes readMacField(const QString& displayText)
{
    MacBytes out{};
    for (int g = 0; g < 6; ++g) {
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const int pos = g * 3 + k;
            const int digit = pos < displayText.size() ? hexDigit(displayText[pos]) : -1;
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        out[size_t(g)] = uint8_t(value);
    }
    return out;
}

QString macText(const MacBytes& mac)
{
    QStringList pairs;
    for (const uint8_t b : mac)
        pairs.append(QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
    return pairs.join(u'-');
}

std::optional<QChar> macKeyFilter(QChar typed)
{
    if (typed >= u'a' && typed <= u'f')
        return typed.toUpper();
    if ((typed >= u'0' && typed <= u'9') || (typed >= u'A' && typed <= u'F'))
        return typed;
    return std::nullopt;
}

} // namespace obr9
