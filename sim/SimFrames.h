// The controller's own bytes: answers and data frames, written from the byte
// tables and nothing else. The program's frame code is deliberately not used,
// so a mistake there shows up as a disagreement on the wire.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace obr9::sim {

// Every command request starts with these 16 bytes and 0xFF.
inline constexpr std::array<uint8_t, 16> kCommandSignature{
    0x4D, 0x5C, 0x22, 0x07, 0x3A, 0x18, 0x0E, 0x29,
    0x05, 0x31, 0x1D, 0x0B, 0x26, 0x14, 0x3E, 0x09};

inline constexpr int kChannelCount = 8;
inline constexpr int kChannelNameField = 25; // 24 characters and a 0x00
inline constexpr int kEightTemperaturesPayload = 16 + kChannelCount * kChannelNameField; // 216

// Volts per raw count of the voltage input: raw = volts * 15.326.
inline constexpr double kVoltageCountsPerVolt = 15.326;

enum class DataFrameType : uint8_t {
    EightTemperatures = 1,
    InputsOutputs = 2,
    TemperatureHumidity = 3,
    Voltage = 4,
};

// Bits of the inputs-and-outputs payload (type 2).
inline constexpr uint8_t kStatusIn2 = 0x01;
inline constexpr uint8_t kStatusIn1 = 0x02;
inline constexpr uint8_t kStatusOut1 = 0x04;
inline constexpr uint8_t kStatusOut2 = 0x08;

// FF FE 01, version, spare 0x00, voltage interval index, temperature interval index.
QByteArray identificationAnswer(uint8_t version, uint8_t voltageIntervalIndex,
                                uint8_t temperatureIntervalIndex);

// FF 01 01 type length payload. The payload must fit the length byte (<= 255).
QByteArray dataFrame(DataFrameType type, const QByteArray& payload);

// halfDegrees: signed, big-endian on the wire. Names longer than 24
// characters are cut so every field keeps its terminating 0x00.
QByteArray eightTemperaturesFrame(const std::array<int16_t, kChannelCount>& halfDegrees,
                                  const std::array<QByteArray, kChannelCount>& names);

// Humidity (%) at offset 0, temperature (degC) at offset 4, float32 little-endian.
QByteArray temperatureHumidityFrame(float humidityPercent, float celsius);

QByteArray inputsOutputsFrame(uint8_t statusBits);

// rawCount little-endian.
QByteArray voltageFrame(uint16_t rawCount);

// Nearest raw count for a voltage, clamped to the 16-bit range.
uint16_t voltageCount(double volts);

} // namespace obr9::sim
