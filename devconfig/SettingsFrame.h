// The 171-byte device settings frame (program to controller) and the
// two-byte settings dialog close frame.
//
//   0 FF, 1 A7 (length before the check word minus 2), 2 DHCP,
//   3 name[10], 13 ip[4], 17 subnet[4], 21 gateway[4], 25 port u16 LE,
//   27 mac[6], 33 user[10], 43 password[10], 53 LAN mode,
//   54 destination[40], 94 path[40], 134 destination user[10],
//   144 destination password[10], 154 dns[4], 158 destination port u16 LE,
//   160 baud index, 161 transmit time u16 LE, 163 buffer index,
//   164 stop bits, 165 data bits, 166 parity, 167 RS-485 mode, 168 RS ID,
//   169 WordChecksum of bytes 1..168, low byte first.
//
// Texts are 8-bit characters, 0x00-padded; a text that fills its field goes
// without a terminator.
#pragma once

#include "devconfig/SettingsTexts.h"
#include "protocol/Frames.h"

#include <QByteArray>

namespace obr9 {

inline constexpr int kSettingsFrameSize = 171;
inline constexpr uint8_t kSettingsFrameLength = 0xA7; // 167

// Checks every field first: a number that is not a number or does not fit
// its field, an address group outside 0..255, a text longer than its field
// or with a character outside 8 bits, a list without a valid item. The
// first failure is refused with a message naming the field, and no bytes.
BuiltFrame settingsFrame(const SettingsTexts& texts);

// FF 00: the operator is done with the settings dialog.
QByteArray settingsCloseFrame();

} // namespace obr9
