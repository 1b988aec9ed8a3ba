// The channel and sampling settings frame and the sampling choices the
// program remembers from its last "Save ".
//
// Frame (206 bytes, no check field):
//   FF 01 01 08
//   voltage interval index (0..4, FF when nothing is selected)
//   temperature interval index (0..14)
//   8 names of 25 bytes: channel 1 .. 8, 8-bit characters, then 00 to the
//   end of the field (a name of 25 or more bytes fills it without a 00).
#pragma once

#include <QByteArray>

#include <array>

namespace obr9 {

inline constexpr int kChannelSettingsFrameSize = 206;
inline constexpr int kChannelSettingsNameWidth = 25;

// indexes go out as one byte each: -1 becomes 0xFF.
QByteArray channelSettingsFrame(int voltageIntervalIndex, int temperatureIntervalIndex,
                                const std::array<QByteArray, 8>& names);

// The interval indexes as of the last "Save " (both 0 at start). A change
// of either restarts the drawing of that quantity's history, since the old
// samples were taken at another rate.
class SamplingChoice {
public:
    struct Changes {
        bool voltage = false;
        bool temperature = false;
    };

    // Remembers the new indexes and says which of them differ.
    Changes save(int voltageIntervalIndex, int temperatureIntervalIndex);

    int voltageIntervalIndex() const { return voltage_; }
    int temperatureIntervalIndex() const { return temperature_; }

private:
    int voltage_ = 0;
    int temperature_ = 0;
};

} // namespace obr9
