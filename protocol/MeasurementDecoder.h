// Decoders of the four data frame types the controller sends.
//
// Each decode updates DeviceState and the history rings and reports every
// visible effect to a MeasurementListener, in the order the screen changes.
#pragma once

#include "base/HistoryRing.h"
#include "protocol/DeviceState.h"
#include "protocol/DisplayFormat.h"

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

class MeasurementListener {
public:
    virtual ~MeasurementListener() = default;

    // First frame of another sensor kind.
    virtual void temperatureKindChanged(TemperatureKind kind) { (void)kind; }
    virtual void inputsOutputsChanged(const InputsOutputs& io) { (void)io; }
    // Eight-temperature channel: enable its label and chart box, offer the
    // name to the channel settings dialog, show text ("Boiler=21.5°C").
    virtual void temperatureChannelShown(int channel, const QString& name, const QString& text)
    {
        (void)channel, (void)name, (void)text;
    }
    virtual void temperatureHumidityShown(const QString& temperatureText,
                                          const QString& humidityText)
    {
        (void)temperatureText, (void)humidityText;
    }
    virtual void voltageShown(const QString& text) { (void)text; }

    // ZapiszDane: one recording line of count values for the file of kind.
    virtual void recordValues(const float* values, int count, RecordKind kind)
    {
        (void)values, (void)count, (void)kind;
    }
    // A frame's samples are stored in their ring, which has then advanced:
    // they are the ring's newest(). A chart draws them when it gets to it
    // (after the socket read), not from inside the decoder.
    virtual void temperatureSampleStored() {}
    virtual void voltageSampleStored() {}
};

class MeasurementDecoder {
public:
    // Payload sizes each type reads; a shorter frame reads what earlier
    // frames left in the payload buffer.
    static constexpr int kEightTemperaturesSize = 216;
    static constexpr int kChannelNameOffset = 16;
    static constexpr int kChannelNameWidth = 25;

    MeasurementDecoder(DeviceState& state, TemperatureHistory& temperatures,
                       VoltageHistory& voltage, const DisplayFormat& format,
                       MeasurementListener* listener = nullptr);

    void setListener(MeasurementListener* listener) { listener_ = listener; }

    // payload: the parser's 255-byte payload buffer. Unknown types are ignored.
    void decode(uint8_t frameType, const uint8_t* payload);

    void decodeEightTemperatures(const uint8_t* payload);
    void decodeInputsOutputs(const uint8_t* payload);
    void decodeTemperatureHumidity(const uint8_t* payload);
    void decodeVoltage(const uint8_t* payload);

    // volts = raw / 15.326, computed in extended precision, kept as float32.
    static float voltsFromRaw(uint16_t raw);

private:
    MeasurementListener& listener();
    void switchKind(TemperatureKind kind);
    const QString& channelName(int channel, const uint8_t* field);

    DeviceState& state_;
    TemperatureHistory& temperatures_;
    VoltageHistory& voltage_;
    const DisplayFormat& format_;
    MeasurementListener* listener_;
    std::array<QString, 8> shownNames_;
};

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int32_t truncateToInt32(double value);

} // namespace obr9
