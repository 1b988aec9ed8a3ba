// Frames of the VK8 relay modules on the RS-485 bus. Both are 12 bytes with
// CRC-16/MODBUS over bytes 0..9 in bytes 10 (low) and 11 (high).
#pragma once

#include <QByteArray>

#include <cstdint>

namespace obr9 {

inline constexpr int kRelayFrameSize = 12;

// rsid: the module's bus address as its list index; -1 (typed text that
// matches no item) goes out as 0xFF. stateBits: bit i asks output i on.
// output: 0..7 within the module. seconds: little-endian two's complement.
QByteArray relaySwitchCommand(int rsid, uint8_t stateBits, int output, int32_t seconds);

QByteArray relayStateRequest(int rsid);

} // namespace obr9
