// A settings record and the settings frame that saving it back gives, both
// written out from the byte tables. The dialog adds its own DHCP flag (off),
// port (8090), user ("admin") and password ("7961"), which the record lacks.
#pragma once

#include "TestBytes.h"

// "Kotlownia", 10.0.0.7/255.255.255.0 via 10.0.0.1, MAC 01-E8-C4-A1-5B-10,
// LAN mode 2, "example.org", "/hq2/readParam", "hq"/"secret", DNS 8.8.4.4,
// destination port 8090, baud index 9, 1000 ms, buffer index 7, two stop
// bits, eight data bits, parity 1, RS-485 mode 0, RS ID 123.
inline QByteArray sampleRecord()
{
    return bytes("4B 6F 74 6C 6F 77 6E 69 61 00 00 0A 00 00 07 FF FF FF 00 0A 00 00 01 01 "
                 "E8 C4 A1 5B 10 02 65 78 61 6D 70 6C 65 2E 6F 72 67 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2F 68 "
                 "71 32 2F 72 65 61 64 50 61 72 61 6D 00 00 00 00 00 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 68 71 00 00 00 00 00 00 00 00 "
                 "73 65 63 72 65 74 00 00 00 00 08 08 04 04 9A 1F 09 E8 03 07 02 08 01 00 "
                 "7B");
}

inline QByteArray sampleFrame()
{
    return bytes("FF A7 00 4B 6F 74 6C 6F 77 6E 69 61 00 0A 00 00 07 FF FF FF 00 0A 00 00 "
                 "01 9A 1F 01 E8 C4 A1 5B 10 61 64 6D 69 6E 00 00 00 00 00 37 39 36 31 00 "
                 "00 00 00 00 00 02 65 78 61 6D 70 6C 65 2E 6F 72 67 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2F 68 "
                 "71 32 2F 72 65 61 64 50 61 72 61 6D 00 00 00 00 00 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 68 71 00 00 00 00 00 00 00 00 "
                 "73 65 63 72 65 74 00 00 00 00 08 08 04 04 9A 1F 09 E8 03 07 02 08 01 00 "
                 "7B A0 5E");
}
