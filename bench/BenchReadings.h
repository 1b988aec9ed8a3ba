// The two kinds of HQ-2 readings the month bench stores, as functions of
// the series and the second, so that points appended straight into a chart
// and points that arrive as module frames are the same readings.
//
//   Quantised: sensors that read in 1/16 degree steps (a DS18B20, say): a
//   slow daily swing, a little noise that flips a reading between two steps
//   now and then, long runs of repeats; the voltage counts move by one now
//   and then.
//   Noisy: every temperature float with a mantissa of noise, the voltage
//   counts random over 64 steps.
#pragma once

#include "BenchModuleFrames.h"

#include <cmath>
#include <cstdint>
#include <vector>

enum class ReadingKind { Quantised, Noisy };

// A well-mixed 32-bit number of (series, second).
inline uint32_t readingHash(int series, int64_t second)
{
    uint64_t z = uint64_t(second) * 0x9E3779B97F4A7C15ull + uint64_t(series) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t((z ^ (z >> 31)) >> 16);
}

// Temperature series n (0..31: internal and external of channel n / 2).
inline float benchTemperature(ReadingKind kind, int n, int64_t second)
{
    const double swing = 2.0 * std::sin(double(second) * (2 * M_PI / 86400.0) + n);
    const double base = 18.0 + n * 0.5 + swing;
    const double unit = double(readingHash(n, second)) / 4294967296.0; // 0..1
    if (kind == ReadingKind::Noisy)
        return float(base + unit * 0.5);
    return float(std::round((base + (unit - 0.5) * 0.01) * 16.0) / 16.0);
}

// The ADC count of voltage channel ch.
inline uint16_t benchCount(ReadingKind kind, int ch, int64_t second)
{
    const uint32_t h = readingHash(100 + ch, second);
    if (kind == ReadingKind::Noisy)
        return uint16_t(150 + h % 64);
    const double swing = 3.0 * std::sin(double(second) * (2 * M_PI / 86400.0) + ch);
    return uint16_t(std::lround(180.0 + ch + swing + (double(h % 1000) / 1000.0 - 0.5) * 0.1));
}

// The sixteen frames of one module answer at a second.
inline std::vector<uint8_t> benchAnswer(ReadingKind kind, int64_t second)
{
    std::vector<uint8_t> out;
    for (int ch = 0; ch < 16; ++ch)
        appendModuleFrame(out, ch, benchTemperature(kind, 2 * ch, second),
                          benchTemperature(kind, 2 * ch + 1, second), benchCount(kind, ch, second));
    return out;
}
