#include "sim/SimFrames.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cmath>

namespace obr9::sim {

QByteArray identificationAnswer(uint8_t version, uint8_t voltageIntervalIndex,
                                uint8_t temperatureIntervalIndex)
{
    QByteArray out;
    out.reserve(7);
    out.append(char(0xFF)).append(char(0xFE)).append(char(0x01));
    out.append(static_cast<char>(version));
    out.append(char(0x00));
    out.append(static_cast<char>(voltageIntervalIndex));
    out.append(static_cast<char>(temperatureIntervalIndex));
    return out;
}

QByteArray dataFrame(DataFrameType type, const QByteArray& payload)
{
    Q_ASSERT(payload.size() <= 255);
    QByteArray out;
    out.reserve(5 + payload.size());
    out.append(char(0xFF)).append(char(0x01)).append(char(0x01));
    out.append(static_cast<char>(type));
    out.append(static_cast<char>(payload.size()));
    out.append(payload);
    return out;
}

QByteArray eightTemperaturesFrame(const std::array<int16_t, kChannelCount>& halfDegrees,
                                  const std::array<QByteArray, kChannelCount>& names)
{
    QByteArray payload(kEightTemperaturesPayload, '\0');
    for (int k = 0; k < kChannelCount; ++k) {
        const auto raw = static_cast<uint16_t>(halfDegrees[static_cast<size_t>(k)]);
        payload[2 * k] = static_cast<char>(raw >> 8);
        payload[2 * k + 1] = static_cast<char>(raw & 0xFF);
        const QByteArray name = names[static_cast<size_t>(k)].left(kChannelNameField - 1);
        std::copy(name.begin(), name.end(), payload.begin() + 16 + kChannelNameField * k);
    }
    return dataFrame(DataFrameType::EightTemperatures, payload);
}

QByteArray temperatureHumidityFrame(float humidityPercent, float celsius)
{
    QByteArray payload;
    payload.reserve(8);
    le::appendFloat(payload, humidityPercent);
    le::appendFloat(payload, celsius);
    return dataFrame(DataFrameType::TemperatureHumidity, payload);
}

QByteArray inputsOutputsFrame(uint8_t statusBits)
{
    return dataFrame(DataFrameType::InputsOutputs, QByteArray(1, static_cast<char>(statusBits)));
}

QByteArray voltageFrame(uint16_t rawCount)
{
    QByteArray payload;
    payload.append(static_cast<char>(rawCount & 0xFF));
    payload.append(static_cast<char>(rawCount >> 8));
    return dataFrame(DataFrameType::Voltage, payload);
}

uint16_t voltageCount(double volts)
{
    const double raw = std::round(volts * kVoltageCountsPerVolt);
    return static_cast<uint16_t>(std::clamp(raw, 0.0, 65535.0));
}

} // namespace obr9::sim
