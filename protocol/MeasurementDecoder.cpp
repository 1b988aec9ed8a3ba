#include "protocol/MeasurementDecoder.h"

#include "base/DeviceText.h"
#include "base/LittleEndian.h"
#include "protocol/Frames.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace obr9 {

namespace {

// Raw counts outside -150..300 half degrees (-75..150 degC) are not believed.
constexpr float kLowestRaw = -150.0f;
constexpr float kHighestRaw = 300.0f;

} // namespace

int32_t truncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

MeasurementDecoder::MeasurementDecoder(DeviceState& state, TemperatureHistory& temperatures,
                                       VoltageHistory& voltage, QObject* parent)
    : QObject(parent)
    , state_(state)
    , temperatures_(temperatures)
    , voltage_(voltage)
{
}

float MeasurementDecoder::voltsFromRaw(uint16_t raw)
{
    return static_cast<float>(static_cast<long double>(raw) / 15.326L);
}

void MeasurementDecoder::decode(uint8_t frameType, const uint8_t* payload)
{
    switch (FrameType(frameType)) {
    case FrameType::EightTemperatures:
        decodeEightTemperatures(payload);
        break;
    case FrameType::InputsOutputs:
        decodeInputsOutputs(payload);
        break;
    case FrameType::TemperatureHumidity:
        decodeTemperatureHumidity(payload);
        break;
    case FrameType::Voltage:
        decodeVoltage(payload);
        break;
    default:
        break; // consumed and ignored
    }
}

void MeasurementDecoder::switchKind(TemperatureKind kind)
{
    if (state_.temperatureKind == kind)
        return;
    state_.temperatureKind = kind;
    emit temperatureKindChanged(kind);
}

void MeasurementDecoder::decodeInputsOutputs(const uint8_t* payload)
{
    InputsOutputs io;
    io.status = payload[0];
    io.in2Active = io.status & 0x01;
    io.in1Active = io.status & 0x02;
    io.out1On = io.status & 0x04;
    io.out2On = io.status & 0x08;
    state_.out1On = io.out1On;
    state_.out2On = io.out2On;
    emit inputsOutputsRead(io);

    const float value = float(io.status);
    emit recordDue(&value, 1, RecordKind::InputsOutputs);
}

void MeasurementDecoder::decodeEightTemperatures(const uint8_t* payload)
{
    switchKind(TemperatureKind::EightTemperatures);

    float recorded[8];
    for (int k = 0; k < 8; ++k) {
        const int16_t word = int16_t(uint16_t(payload[2 * k] << 8 | payload[2 * k + 1]));
        float raw = float(word);
        // The recording keeps what the controller said, before the range test.
        recorded[k] = raw * 0.5f;

        if (raw > kHighestRaw || raw < kLowestRaw)
            raw = float(temperatures_.previous(k));
        temperatures_.store(k, truncateToInt32(raw));
        const float value = raw * 0.5f;

        const QString& name = channelName(k, payload + kChannelNameOffset + kChannelNameWidth * k);
        emit temperatureChannelRead(k, name, value);
        state_.lastTemperatures[size_t(k)] = value;
    }

    emit recordDue(recorded, 8, RecordKind::EightTemperatures);
    temperatures_.advance();
    emit temperatureSampleStored();
}

const QString& MeasurementDecoder::channelName(int channel, const uint8_t* field)
{
    // Names rarely change: keep the bytes and their text until they do.
    QByteArray& known = state_.channelNames[size_t(channel)];
    const void* end = std::memchr(field, 0, size_t(kChannelNameWidth));
    const int length = end ? int(static_cast<const uint8_t*>(end) - field) : kChannelNameWidth;
    if (known.size() != length || std::memcmp(known.constData(), field, size_t(length)) != 0 ||
        shownNames_[size_t(channel)].isNull()) {
        known = fieldText(field, kChannelNameWidth);
        shownNames_[size_t(channel)] = deviceText(known);
    }
    return shownNames_[size_t(channel)];
}

void MeasurementDecoder::decodeTemperatureHumidity(const uint8_t* payload)
{
    switchKind(TemperatureKind::TemperatureHumidity);

    const float humidity = le::readFloat(payload);
    const float temperature = le::readFloat(payload + 4);

    emit temperatureHumidityRead(temperature, humidity);

    temperatures_.store(0, truncateToInt32(2.0 * double(temperature)));
    temperatures_.store(1, truncateToInt32(2.0 * double(humidity)));

    const float values[2] = {temperature, humidity};
    emit recordDue(values, 2, RecordKind::TemperatureHumidity);
    temperatures_.advance();
    emit temperatureSampleStored();
}

void MeasurementDecoder::decodeVoltage(const uint8_t* payload)
{
    const uint16_t raw = le::read16(payload);
    voltage_.store(0, raw);

    const float volts = voltsFromRaw(raw);
    emit voltageRead(volts);
    emit recordDue(&volts, 1, RecordKind::Voltage);
    voltage_.advance();
    emit voltageSampleStored();
}

} // namespace obr9
