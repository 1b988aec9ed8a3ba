// Little-endian fields, low byte first, as the controller, the modules and
// the chart files store them. Header only: the simulator, which links none
// of the program's libraries, writes its frames with the same byte order.
#pragma once

#include <QByteArray>

#include <bit>
#include <cstdint>

namespace obr9::le {

inline uint16_t read16(const uint8_t* at)
{
    return uint16_t(at[0] | at[1] << 8);
}

inline uint32_t read32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// An IEEE 754 single in the byte order of read32.
inline float readFloat(const uint8_t* at)
{
    return std::bit_cast<float>(read32(at));
}

inline void append16(QByteArray& out, uint16_t value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

inline void append32(QByteArray& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

inline void appendFloat(QByteArray& out, float value)
{
    append32(out, std::bit_cast<uint32_t>(value));
}

} // namespace obr9::le
