// The controller's settings record: 145 bytes behind an accepted login.
//
// Multi-byte numbers are little-endian; addresses and the MAC address go
// first group first; texts are 8-bit characters, 0x00-padded.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace obr9 {

using AddressBytes = std::array<uint8_t, 4>;
using MacBytes = std::array<uint8_t, 6>;

struct SettingsRecord {
    static constexpr int kSize = 145;

    QByteArray name;                // offset 0, 11 bytes, up to the first 0x00
    AddressBytes ip{};              // 11
    AddressBytes subnet{};          // 15
    AddressBytes gateway{};         // 19
    MacBytes mac{};                 // 23
    uint8_t lanMode = 0;            // 29: 0..3
    QByteArray destination;         // 30, 40 bytes
    QByteArray path;                // 70, 40 bytes
    QByteArray destinationUser;     // 110, 10 bytes
    QByteArray destinationPassword; // 120, 10 bytes
    AddressBytes dns{};             // 130
    uint16_t destinationPort = 0;   // 134
    uint8_t baudIndex = 0;          // 136
    uint16_t transmitTime = 0;      // 137, milliseconds
    uint8_t bufferIndex = 0;        // 139
    uint8_t stopBits = 0;           // 140: 1 or 2
    uint8_t dataBits = 0;           // 141: 5..8
    uint8_t parity = 0;             // 142
    uint8_t rsMode = 0;             // 143
    uint8_t rsId = 0;               // 144

    // Reads the first kSize bytes of record; size must be at least kSize,
    // a shorter record gives a default-constructed result.
    static SettingsRecord decode(const uint8_t* record, int size);
};

} // namespace obr9
