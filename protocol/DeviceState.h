// The controller's last known state, as the frame decoders leave it.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace obr9 {

// Which temperature sensor the controller reported last.
enum class TemperatureKind : int8_t {
    None = 0,
    TemperatureHumidity = 1,
    EightTemperatures = 2,
};

// Recording kinds: the file a decoded frame's line goes to. Not a sensor
// kind, though two of the numbers agree.
enum class RecordKind : int {
    Voltage = 0,
    TemperatureHumidity = 1,
    EightTemperatures = 2,
    InputsOutputs = 3,
};

struct DeviceState {
    std::array<float, 8> lastTemperatures{}; // degC, after the range substitution
    std::array<QByteArray, 8> channelNames;  // 8-bit names from the last eight-temperature frame
    bool out1On = false;                     // output of Image2, "OUT1"
    bool out2On = false;                     // output of Image1, "OUT2"
    TemperatureKind temperatureKind = TemperatureKind::None;
};

} // namespace obr9
