// The controller's last known state, as the frame decoders leave it.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace obr9 {

// Which temperature sensor the controller reported last.
enum TemperatureKind : int8_t {
    TemperatureNone = 0,
    TemperatureHumiditySensor = 1,
    EightTemperatureSensor = 2,
};

// Recording kinds: the file a decoded frame's line goes to.
enum RecordKind : int {
    RecordVoltage = 0,
    RecordTemperatureHumidity = 1,
    RecordEightTemperatures = 2,
    RecordInputsOutputs = 3,
};

struct DeviceState {
    std::array<float, 8> lastTemperatures{}; // degC, after the range substitution
    std::array<QByteArray, 8> channelNames;  // 8-bit names from the last eight-temperature frame
    bool out1On = false;                     // output of Image2, "OUT1"
    bool out2On = false;                     // output of Image1, "OUT2"
    int8_t temperatureKind = TemperatureNone;
};

} // namespace obr9
