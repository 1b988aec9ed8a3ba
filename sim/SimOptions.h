// How a simulated controller behaves: its identity, its sampling intervals
// and the faults it injects.
#pragma once

#include <QByteArray>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace obr9::sim {

using Milliseconds = std::chrono::milliseconds;

enum class SensorKind {
    EightTemperatures,   // sends type 1 frames
    TemperatureHumidity, // sends type 3 frames
};

// Sampling periods by interval index, in the order of the program's interval
// lists: voltage "10/s" .. "1/10s", temperature "1/s" .. "1/10h".
inline constexpr std::array<Milliseconds, 5> kVoltagePeriods{
    Milliseconds{100}, Milliseconds{200}, Milliseconds{1000}, Milliseconds{2000}, Milliseconds{10000}};
inline constexpr std::array<Milliseconds, 14> kTemperaturePeriods{
    Milliseconds{1000},    Milliseconds{2000},     Milliseconds{5000},     Milliseconds{10000},
    Milliseconds{30000},   Milliseconds{60000},    Milliseconds{120000},   Milliseconds{300000},
    Milliseconds{600000},  Milliseconds{1800000},  Milliseconds{3600000},  Milliseconds{7200000},
    Milliseconds{18000000}, Milliseconds{36000000}};

// The inputs-and-outputs frame has no interval of its own; once a second keeps
// the program's live timer (12 s) fed whatever the other intervals are.
inline constexpr Milliseconds kStatusPeriod{1000};

struct SimOptions {
    SensorKind sensor = SensorKind::EightTemperatures;
    uint8_t version = 10;
    uint8_t voltageIntervalIndex = 2;     // 1/s
    uint8_t temperatureIntervalIndex = 0; // 1/s
    // Replaces all three periods at once (tests, demonstrations).
    std::optional<Milliseconds> period;

    // Login the controller accepts (8-bit texts, compared exactly).
    QByteArray loginUser = "admin";
    QByteArray loginPassword = "7961";
    // Firmware upload: answer every n-th frame with 'd' (0: never).
    int nakEvery = 0;

    // Fault switches.
    bool bytePerWrite = false;
    bool garbage = false;
    std::optional<Milliseconds> silentAfter; // counted from the start of each connection
    std::optional<Milliseconds> dropAfter;   // likewise
};

} // namespace obr9::sim
