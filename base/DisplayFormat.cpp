#include "base/DisplayFormat.h"

#include <charconv>
#include <cmath>
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
    const bool negative = e[1] == '-';
    int exponent = 0;
    std::from_chars(e + 2, text + length, exponent);
    char* out = e;
    *out++ = 'E';
    if (negative)
        *out++ = '-';
    out = std::to_chars(out, out + 8, exponent).ptr;
    return int(out - text);
}

} // namespace

void DisplayFormat::appendText(QString& out, const char* text, int length) const
{
    const qsizetype start = out.size();
    out.append(QLatin1String(text, length));
    if (decimalSeparator_ != QLatin1Char('.')) {
        for (qsizetype i = start; i < out.size(); ++i) {
            if (out[i] == QLatin1Char('.'))
                out[i] = decimalSeparator_;
        }
    }
}

void DisplayFormat::appendGeneral(QString& out, double value) const
{
    if (!std::isfinite(value)) {
        out.append(QLatin1String(nonFiniteText(value)));
        return;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer - 8, value, std::chars_format::general, 15);
    appendText(out, buffer, tidyExponent(buffer, int(result.ptr - buffer)));
}

void DisplayFormat::appendFixed(QString& out, double value, int precision, int digits) const
{
    if (!std::isfinite(value)) {
        out.append(QLatin1String(nonFiniteText(value)));
        return;
    }
    precision = std::max(precision, 1);
    char buffer[400];
    // Round to the significant digits first, then lay out the decimals.
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                std::chars_format::scientific, precision - 1);
    double rounded = 0;
    std::from_chars(buffer, result.ptr, rounded);

    double limit = 1;
    for (int i = 0; i < precision; ++i)
        limit *= 10;
    if (std::fabs(rounded) >= limit) {
        // More integer digits than significant ones: exponent form.
        appendText(out, buffer, tidyExponent(buffer, int(result.ptr - buffer)));
        return;
    }
    if (rounded == 0 || std::fabs(rounded) < 0.5 * std::pow(10.0, -digits))
        rounded = 0; // no "-0.00"
    result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed,
                           digits);
    appendText(out, buffer, int(result.ptr - buffer));
}

QString DisplayFormat::general(double value) const
{
    QString text;
    appendGeneral(text, value);
    return text;
}

QString DisplayFormat::fixed(double value, int precision, int digits) const
{
    QString text;
    appendFixed(text, value, precision, digits);
    return text;
}

} // namespace obr9
