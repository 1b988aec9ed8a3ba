#include "protocol/DisplayFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace obr9 {

namespace {

// Not-a-number and infinities as the operator's tools have always shown them.
const char* nonFiniteText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value > 0 ? "INF" : "-INF";
}

// Rewrites a C exponent ("1.5e-07", "1e+20") as "1.5E-7", "1E20".
int tidyExponent(char* text, int length)
{
    char* e = static_cast<char*>(std::memchr(text, 'e', size_t(length)));
    if (!e)
        return length;
    const int mantissa = int(e - text);
    const char sign = e[1];
    int exponent = std::atoi(e + 2);
    int n = std::snprintf(e, size_t(32), "E%s%d", sign == '-' ? "-" : "", exponent);
    return mantissa + n;
}

} // namespace

QString DisplayFormat::withSeparator(const char* text, int length) const
{
    QString result = QString::fromLatin1(text, length);
    if (decimalSeparator_ != QLatin1Char('.'))
        result.replace(QLatin1Char('.'), decimalSeparator_);
    return result;
}

QString DisplayFormat::general(double value) const
{
    if (!std::isfinite(value))
        return QString::fromLatin1(nonFiniteText(value));
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer - 8, value, std::chars_format::general, 15);
    const int length = tidyExponent(buffer, int(result.ptr - buffer));
    return withSeparator(buffer, length);
}

QString DisplayFormat::fixed(double value, int precision, int digits) const
{
    if (!std::isfinite(value))
        return QString::fromLatin1(nonFiniteText(value));
    char buffer[400];
    // Round to the significant digits first, then lay out the decimals.
    std::snprintf(buffer, sizeof buffer, "%.*e", precision > 0 ? precision - 1 : 0, value);
    const double rounded = std::strtod(buffer, nullptr);
    if (std::fabs(rounded) >= std::pow(10.0, precision)) {
        // More integer digits than significant ones: exponent form.
        int n = std::snprintf(buffer, sizeof buffer, "%.*e", precision > 0 ? precision - 1 : 0,
                              value);
        n = tidyExponent(buffer, n);
        return withSeparator(buffer, n);
    }
    int n = std::snprintf(buffer, sizeof buffer, "%.*f", digits, rounded);
    if (buffer[0] == '-' && std::strtod(buffer, nullptr) == 0.0) {
        std::memmove(buffer, buffer + 1, size_t(n)); // no "-0.00"
        --n;
    }
    return withSeparator(buffer, n);
}

} // namespace obr9
