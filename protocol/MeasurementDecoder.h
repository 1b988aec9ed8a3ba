// Decoders of the four data frame types the controller sends.
#pragma once

#include "base/HistoryRing.h"
#include "protocol/DeviceState.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

namespace obr9 {

// Inputs-and-outputs status byte: bit 0 IN2 (Image3), bit 1 IN1 (Image4),
// bit 2 OUT1 (Image2), bit 3 OUT2 (Image1).
struct InputsOutputs {
    uint8_t status = 0;
    bool in2Active = false;
    bool in1Active = false;
    bool out1On = false;
    bool out2On = false;
};

// Each decode updates DeviceState and the history rings, then reports the
// frame's values in the order the screen changes: temperatures in degrees
// Celsius, humidity in percent, volts; the windows make the texts.
class MeasurementDecoder : public QObject {
    Q_OBJECT
public:
    // Payload sizes each type reads; a shorter frame reads what earlier
    // frames left in the payload buffer.
    static constexpr int kEightTemperaturesSize = 216;
    static constexpr int kChannelNameOffset = 16;
    static constexpr int kChannelNameWidth = 25;

    MeasurementDecoder(DeviceState& state, TemperatureHistory& temperatures,
                       VoltageHistory& voltage, QObject* parent = nullptr);

    // payload: the parser's 255-byte payload buffer. Unknown types are ignored.
    void decode(uint8_t frameType, const uint8_t* payload);

    void decodeEightTemperatures(const uint8_t* payload);
    void decodeInputsOutputs(const uint8_t* payload);
    void decodeTemperatureHumidity(const uint8_t* payload);
    void decodeVoltage(const uint8_t* payload);

    // volts = raw / 15.326, computed in extended precision, kept as float32.
    static float voltsFromRaw(uint16_t raw);

signals:
    // First frame of another sensor kind.
    void temperatureKindChanged(obr9::TemperatureKind kind);
    void inputsOutputsRead(const obr9::InputsOutputs& io);
    // One channel of an eight-temperature frame: the device's name for it
    // and its value after the range substitution.
    void temperatureChannelRead(int channel, const QString& name, float celsius);
    void temperatureHumidityRead(float celsius, float humidityPercent);
    void voltageRead(float volts);
    // ZapiszDane: one recording line of count values for the file of kind,
    // as the controller sent them (before the range substitution).
    void recordDue(const float* values, int count, obr9::RecordKind kind);
    // A frame's samples are stored in their ring, which has then advanced:
    // they are the ring's newest(). A chart draws them when it gets to it
    // (after the socket read), not from inside the decoder.
    void temperatureSampleStored();
    void voltageSampleStored();

private:
    void switchKind(TemperatureKind kind);
    const QString& channelName(int channel, const uint8_t* field);

    DeviceState& state_;
    TemperatureHistory& temperatures_;
    VoltageHistory& voltage_;
    std::array<QString, 8> shownNames_;
};

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int32_t truncateToInt32(double value);

} // namespace obr9
