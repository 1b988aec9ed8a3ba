// The two strip charts of the HQ-2 page as the program starts them: 32
// temperature series (2i internal, 2i + 1 external channel i, the external
// ones dotted) and 16 voltage series, coloured from one 16-entry table.
#pragma once

#include "measure/ChartData.h"
#include "measure/ModuleChannelNames.h"

#include <array>
#include <cstdint>

namespace obr9 {

inline constexpr int kTemperatureSeriesCount = 32;
inline constexpr int kVoltageSeriesCount = 16;

// 0xAARRGGBB, entry i for channel i.
inline constexpr std::array<uint32_t, 16> kSeriesColours{
    0xFF000000, 0xFFFF0000, 0xFF008000, 0xFF0000FF, 0xFF800080, 0xFFFFFFFF, 0xFF808000, 0xFF800000,
    0xFF008080, 0xFFFF00FF, 0xFF00FFFF, 0xFFA6CAF0, 0xFF808080, 0xFF000000, 0xFF000000, 0xFF000000,
};

// A missing external sensor repeats its last value in this colour.
inline constexpr uint32_t kMissingSensorColour = 0xFFC0C0C0;

ChartData makeTemperatureChart(const ModuleChannelNames& names = {});
ChartData makeVoltageChart(const ModuleChannelNames& names = {});

} // namespace obr9
