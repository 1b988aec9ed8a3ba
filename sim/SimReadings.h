// The simulated plant behind the controller: temperatures, humidity, supply
// voltage and the two inputs drift slowly and deterministically, one step
// per sample, so that successive frames differ and a run can be repeated.
#pragma once

#include "sim/SimFrames.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace obr9::sim {

class SimReadings {
public:
    SimReadings();

    // Each call is one sample: it advances that quantity's own step count.
    std::array<int16_t, kChannelCount> nextHalfDegrees(); // half degrees C
    struct TemperatureHumidity {
        float humidityPercent;
        float celsius;
    };
    TemperatureHumidity nextTemperatureHumidity();
    double nextVolts();
    // Input bits of the status frame (kStatusIn1, kStatusIn2); outputs not included.
    uint8_t nextInputBits();

    const std::array<QByteArray, kChannelCount>& channelNames() const { return names_; }
    void setChannelName(int channel, const QByteArray& name);

private:
    std::array<QByteArray, kChannelCount> names_;
    uint64_t temperatureStep_ = 0;
    uint64_t humidityStep_ = 0;
    uint64_t voltageStep_ = 0;
    uint64_t inputStep_ = 0;
};

} // namespace obr9::sim
