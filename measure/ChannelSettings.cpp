#include "measure/ChannelSettings.h"

#include <algorithm>
#include <cstring>

namespace obr9 {

QByteArray channelSettingsFrame(int voltageIntervalIndex, int temperatureIntervalIndex,
                                const std::array<QByteArray, 8>& names)
{
    QByteArray frame(kChannelSettingsFrameSize, '\0');
    char* out = frame.data();
    out[0] = char(0xFF);
    out[1] = 0x01;
    out[2] = 0x01;
    out[3] = 0x08;
    out[4] = char(uint8_t(voltageIntervalIndex));
    out[5] = char(uint8_t(temperatureIntervalIndex));
    for (size_t k = 0; k < names.size(); ++k) {
        const qsizetype length = std::min<qsizetype>(names[k].size(), kChannelSettingsNameWidth);
        std::memcpy(out + 6 + kChannelSettingsNameWidth * int(k), names[k].constData(),
                    size_t(length));
    }
    return frame;
}

SamplingChoice::Changes SamplingChoice::save(int voltageIntervalIndex,
                                             int temperatureIntervalIndex)
{
    Changes changes;
    if (voltageIntervalIndex != voltage_) {
        voltage_ = voltageIntervalIndex;
        changes.voltage = true;
    }
    if (temperatureIntervalIndex != temperature_) {
        temperature_ = temperatureIntervalIndex;
        changes.temperature = true;
    }
    return changes;
}

} // namespace obr9
