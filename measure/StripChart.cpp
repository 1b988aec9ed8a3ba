#include "measure/StripChart.h"

#include <QLocale>

#include <cmath>

namespace obr9::StripChart {

namespace {

const QString kDegreesCelsius = QStringLiteral(u"\u00B0C");

// Rows this far off the image are all the same to a drawing; keeping them
// bounded keeps "500 - y + c" clear of overflow.
constexpr long double kRowLimit = 1 << 30;

// Truncation toward zero, bounded. The products are taken in extended
// precision, as the chart has always computed them.
int truncated(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= kRowLimit)
        return int(kRowLimit);
    if (value <= -kRowLimit)
        return -int(kRowLimit);
    return int(value);
}

template <int Rows, typename RowOf>
std::vector<QPoint> trace(const HistoryRing<Rows>& history, RowOf rowOf)
{
    const typename HistoryRing<Rows>::Newest newest = history.newest();
    if (newest.slot < 0)
        return {};
    const int last = newest.wrapped ? HistoryRing<Rows>::kSlots - 1 : newest.slot;
    std::vector<QPoint> points;
    points.reserve(size_t(last) + 2);
    points.emplace_back(kWidth, rowOf(newest.slot));
    for (int i = 0; i <= last; ++i) {
        int slot = newest.slot - i;
        if (slot < 0)
            slot += HistoryRing<Rows>::kSlots;
        points.emplace_back(kWidth - i, rowOf(slot));
    }
    return points;
}

struct SpanItem {
    const char* text;
    int span;
    const char* unit;
};

constexpr SpanItem kVoltageSpans[] = {
    {"10/s", -100, "sek"}, {"5/s", -200, "sek"},     {"1/s", -1000, "sek"},
    {"1/2s", -2000, "sek"}, {"1/10s", -10000, "sek"},
};

constexpr SpanItem kTemperatureSpans[] = {
    {"1/s", -1000, "sek"},      {"1/2s", -2000, "sek"},     {"1/5s", -5000, "sek"},
    {"1/10s", -10000, "sek"},   {"1/30s", -30000, "sek"},   {"1/1min", -1000, "min"},
    {"1/2min", -2000, "min"},   {"1/5min", -5000, "min"},   {"1/10min", -10000, "min"},
    {"1/30min", -30000, "min"}, {"1/1h", -1000, "h"},       {"1/2h", -2000, "h"},
    {"1/5h", -5000, "h"},       {"1/10h", -10000, "h"},
};

template <size_t N>
std::optional<TimeSpan> findSpan(const SpanItem (&table)[N], const QString& item)
{
    for (const SpanItem& entry : table) {
        if (item == QLatin1String(entry.text))
            return TimeSpan{entry.span, QString::fromLatin1(entry.unit)};
    }
    return std::nullopt;
}

bool whole(double value)
{
    return std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e9;
}

} // namespace

int voltageRow(int32_t count, bool wrapped)
{
    const long double scaled = static_cast<long double>(count) * 0.543738L;
    int y = wrapped ? truncated(kHeight - scaled) : kHeight - truncated(scaled);
    if (y >= kHeight)
        y -= 1;
    return y;
}

std::vector<QPoint> voltageTrace(const VoltageHistory& history)
{
    const bool wrapped = history.newest().wrapped;
    return trace(history, [&](int slot) { return voltageRow(history.sample(0, slot), wrapped); });
}

int temperatureRow(int32_t sample, int channel, const TemperatureScale& scale)
{
    const long double celsius = static_cast<long double>(sample) * 0.5L;
    const int y = truncated((celsius - static_cast<long double>(scale.offset)) * kHeight /
                            static_cast<long double>(scale.range));
    return kHeight - y + channel;
}

std::vector<QPoint> temperatureTrace(const TemperatureHistory& history, int channel,
                                     const TemperatureScale& scale)
{
    return trace(history, [&](int slot) {
        return temperatureRow(history.sample(channel, slot), channel, scale);
    });
}

std::optional<TimeSpan> voltageSpan(const QString& item)
{
    return findSpan(kVoltageSpans, item);
}

std::optional<TimeSpan> temperatureSpan(const QString& item)
{
    return findSpan(kTemperatureSpans, item);
}

std::array<QString, 6> timeLabels(const TimeSpan& span)
{
    const int step = -span.span / 5;
    std::array<QString, 6> labels;
    for (int n = 0; n < 5; ++n)
        labels[size_t(n)] = QString::number(span.span + n * step) + span.unit;
    labels[5] = QStringLiteral("0") + span.unit;
    return labels;
}

std::array<QString, 6> temperatureLabels(double offset, double range, TemperatureKind kind,
                                         const DisplayFormat& format)
{
    std::array<QString, 6> labels;
    const bool integral = whole(offset) && whole(range);
    for (int n = 0; n < 6; ++n) {
        QString& text = labels[size_t(n)];
        if (integral)
            text = QString::number(static_cast<long long>(offset) +
                                   n * (static_cast<long long>(range) / 5));
        else
            text = format.general(offset + n * (range / 5));
        text += kDegreesCelsius;
        if (kind == TemperatureKind::TemperatureHumidity)
            text += QStringLiteral(" / %1%").arg(20 * n);
    }
    return labels;
}

std::optional<double> fieldNumber(const QString& text)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (number.isEmpty() || number.count(QLatin1Char('.')) > 1)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace obr9::StripChart
