// Shared by the chart benchmarks: what the HQ-2 module sends, and how much
// memory the process holds.
#pragma once

#include "protocol/Checksums.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <vector>

// Resident set of this process in MiB.
inline double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// One channel's 20-byte frame (kind 2) appended to out.
inline void appendModuleFrame(std::vector<uint8_t>& out, int ch, float internal, float external,
                              uint16_t count)
{
    uint8_t f[20] = {uint8_t(ch), 0, 0, 2};
    std::memcpy(f + 4, &internal, 4);
    std::memcpy(f + 8, &external, 4);
    f[12] = uint8_t(count);
    f[13] = uint8_t(count >> 8);
    const uint16_t crc = Crc16Modbus(f, 0, 18);
    f[18] = uint8_t(crc);
    f[19] = uint8_t(crc >> 8);
    out.insert(out.end(), f, f + 20);
}

// The sixteen frames of one module answer, the values moving with step;
// every fifth channel from 2 on has no external sensor (-900.0).
inline std::vector<uint8_t> moduleAnswer(int step)
{
    std::vector<uint8_t> out;
    for (int ch = 0; ch < 16; ++ch) {
        const float internal = 20.0f + float(ch) + float(step % 600) * 0.01f;
        const float external = ch % 5 == 2 ? -900.0f : 15.0f + float(ch) - float(step % 300) * 0.01f;
        appendModuleFrame(out, ch, internal, external, uint16_t(180 + ch + step % 7));
    }
    return out;
}
