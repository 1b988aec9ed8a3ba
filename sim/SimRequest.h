// One complete request of the program, as the controller cuts it out of the
// incoming TCP stream.
#pragma once

#include <QByteArray>

namespace obr9::sim {

struct SimRequest {
    enum class Kind {
        Identification,  // signature, FF, FE (18 bytes)
        Login,           // signature, FF, user, 00, password, 00, 00 (at most 50 bytes)
        OutputCommand,   // FF 01 01 02 01 s (6 bytes)
        ChannelSettings, // FF 01 01 08, two interval indexes, 8 names of 25 bytes (206 bytes)
        DeviceSettings,  // FF A7, 167 bytes, word checksum low byte first (171 bytes)
        SettingsClose,   // FF 00
        UploadHeader,    // FF 09, total length u32 LE, byte sum u16 LE (8 bytes)
    };

    Kind kind;
    QByteArray bytes; // the whole request, exactly as received
};

} // namespace obr9::sim
