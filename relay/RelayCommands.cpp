#include "relay/RelayCommands.h"

#include "protocol/Checksums.h"

namespace obr9 {

namespace {
QByteArray withCrc(QByteArray frame)
{
    const uint16_t crc =
        Crc16Modbus(reinterpret_cast<const uint8_t*>(frame.constData()), 0, 10);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}
} // namespace

QByteArray relaySwitchCommand(int rsid, uint8_t stateBits, int output, int32_t seconds)
{
    const uint32_t time = uint32_t(seconds);
    QByteArray frame;
    frame.reserve(kRelayFrameSize);
    frame.append(char(uint8_t(rsid)));
    frame.append(char(0x04)).append(char(0x07)).append(char(0x01));
    frame.append(char(stateBits));
    frame.append(char(uint8_t(output)));
    for (int shift = 0; shift < 32; shift += 8)
        frame.append(char((time >> shift) & 0xFF));
    return withCrc(frame);
}

QByteArray relayStateRequest(int rsid)
{
    QByteArray frame;
    frame.reserve(kRelayFrameSize);
    frame.append(char(uint8_t(rsid)));
    frame.append(char(0x03)).append(char(0x07)).append(char(0x01));
    frame.append(QByteArray(6, '\0'));
    return withCrc(frame);
}

} // namespace obr9
