#include "sim/SimReadings.h"

#include <cmath>
#include <numbers>

namespace obr9::sim {

namespace {
struct ChannelModel {
    const char* name;
    double meanCelsius;
    double swingCelsius;
    double stepsPerCycle;
};

// A small heating installation; every value stays well inside -75..150 degC,
// the range the program accepts.
constexpr std::array<ChannelModel, kChannelCount> kChannels{{
    {"Boiler", 65.0, 6.0, 40.0},
    {"Return", 45.0, 4.0, 47.0},
    {"Outdoor", 4.0, 3.0, 120.0},
    {"Living room", 21.5, 0.8, 90.0},
    {"Hot water", 52.0, 5.0, 33.0},
    {"Floor", 28.0, 1.5, 75.0},
    {"Flue gas", 118.0, 12.0, 29.0},
    {"Buffer tank", 40.0, 3.0, 60.0},
}};

double wave(uint64_t step, double stepsPerCycle, double phase = 0.0)
{
    return std::sin(2.0 * std::numbers::pi * static_cast<double>(step) / stepsPerCycle + phase);
}
} // namespace

SimReadings::SimReadings()
{
    for (int k = 0; k < kChannelCount; ++k)
        names_[size_t(k)] = kChannels[size_t(k)].name;
}

std::array<int16_t, kChannelCount> SimReadings::nextHalfDegrees()
{
    std::array<int16_t, kChannelCount> raw{};
    for (size_t k = 0; k < raw.size(); ++k) {
        const ChannelModel& model = kChannels[k];
        const double celsius = model.meanCelsius +
                               model.swingCelsius * wave(temperatureStep_, model.stepsPerCycle, double(k));
        raw[k] = static_cast<int16_t>(std::lround(celsius * 2.0));
    }
    ++temperatureStep_;
    return raw;
}

SimReadings::TemperatureHumidity SimReadings::nextTemperatureHumidity()
{
    // Humidity falls as the room warms, as it does indoors.
    const double w = wave(humidityStep_, 50.0);
    ++humidityStep_;
    return {static_cast<float>(45.0 - 8.0 * w), static_cast<float>(21.5 + 1.5 * w)};
}

double SimReadings::nextVolts()
{
    // A 12 V lead-acid supply with a little ripple.
    const double volts = 12.6 + 0.4 * wave(voltageStep_, 23.0) + 0.05 * wave(voltageStep_, 3.0);
    ++voltageStep_;
    return volts;
}

uint8_t SimReadings::nextInputBits()
{
    uint8_t bits = 0;
    if ((inputStep_ / 10) % 2 == 1)
        bits |= kStatusIn1;
    if ((inputStep_ / 25) % 2 == 1)
        bits |= kStatusIn2;
    ++inputStep_;
    return bits;
}

void SimReadings::setChannelName(int channel, const QByteArray& name)
{
    if (channel >= 0 && channel < kChannelCount)
        names_[size_t(channel)] = name.left(kChannelNameField - 1);
}

} // namespace obr9::sim
