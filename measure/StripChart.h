// Arithmetic of the chart window's two strip charts: where each sample of
// the history rings lands on a 1000 x 500 image, the grid of the
// backgrounds, and the texts of the scales beside and under the images.
//
// The newest sample (the frame last stored, HistoryRing::newest()) sits at
// x = 1000 and older ones run to the left one pixel per sample: the trace
// starts at the newest sample and then visits i = 0 .. its slot (or 0 .. 999
// if the ring had wrapped when it was stored) at x = 1000 - i. The rings have
// moved on by then, so writeIndex is the next, unwritten slot. Nothing is
// clipped here; points above or below the image simply lie outside it.
#pragma once

#include "base/HistoryRing.h"
#include "protocol/DeviceState.h"
#include "base/DisplayFormat.h"

#include <QPoint>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace obr9 {

namespace StripChart {

inline constexpr int kWidth = 1000;
inline constexpr int kHeight = 500;
// Pixels per raw voltage count: 500 pixels are about 60 V at 15.326
// counts per volt.
inline constexpr double kVoltagePixelsPerCount = 0.543738;

// Grid of the backgrounds: vertical lines at x = 100 .. 900, and these rows.
inline constexpr std::array<int, 9> kGridColumns{100, 200, 300, 400, 500, 600, 700, 800, 900};
// 12 bands of 5 V.
inline constexpr std::array<int, 11> kVoltageGridRows{42,  83,  125, 167, 208, 250,
                                                      291, 333, 375, 416, 458};
// 10 bands of a tenth of the range.
inline constexpr std::array<int, 10> kTemperatureGridRows{0,   51,  101, 150, 200,
                                                          249, 300, 350, 399, 450};

// Row of a raw voltage count. Before the ring wraps the row is
// 500 - trunc(count * K), afterwards trunc(500 - count * K); either way a
// row of 500 or more moves up by one, so a zero count lies on row 499.
int voltageRow(int32_t count, bool wrapped);

// The voltage trace: the start point, then one point per drawn sample;
// nothing before the first frame.
std::vector<QPoint> voltageTrace(const VoltageHistory& history);

// The scale of a temperature trace: a sample s (half degrees) is
// trunc((s * 0.5 - offset) * 500 / range) pixels above the bottom edge.
struct TemperatureScale {
    double offset = 10; // "Tmin"
    double range = 50;  // "range"; never 0
};

// Row of sample s of channel c: 500 - y + c, so channel c is drawn c
// pixels lower than its value.
int temperatureRow(int32_t sample, int channel, const TemperatureScale& scale);

// The trace of one channel, laid out like the voltage trace.
std::vector<QPoint> temperatureTrace(const TemperatureHistory& history, int channel,
                                     const TemperatureScale& scale);

// Time axis covered by the 1000 samples at a sampling interval: span is
// negative (before now), unit "sek", "min" or "h".
struct TimeSpan {
    int span = 0;
    QString unit;
};
// By the item texts of the sampling lists; nothing for a text that is not
// one of their items (the temperature list's empty last item included).
std::optional<TimeSpan> voltageSpan(const QString& item);
std::optional<TimeSpan> temperatureSpan(const QString& item);

// Labels at x = 0, 200, .. 1000: span, span + step, .. span + 4 step, 0,
// with step = -span / 5 (integer division), each followed by the unit.
std::array<QString, 6> timeLabels(const TimeSpan& span);

// The temperature scale beside the image, bottom to top: offset + n * step
// for n = 0 .. 5, step = range / 5 (integer division when both numbers are
// whole), each followed by "°C"; with the temperature and humidity
// sensor also " / 0%" .. " / 100%".
std::array<QString, 6> temperatureLabels(double offset, double range, TemperatureKind kind,
                                         const DisplayFormat& format);

// A number the program reads back from one of its own fields. The window
// may show "," decimals once recording has started, so both "," and "." are
// accepted as the decimal separator; surrounding blanks are ignored.
std::optional<double> fieldNumber(const QString& text);

} // namespace StripChart

} // namespace obr9
