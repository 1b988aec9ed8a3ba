#include "devconfig/SettingsRecord.h"

#include "base/LittleEndian.h"

#include <cstring>

namespace obr9 {

namespace {
// A text field ends at its first 0x00 or at its width.
QByteArray textField(const uint8_t* at, int width)
{
    const auto* begin = reinterpret_cast<const char*>(at);
    const void* end = std::memchr(begin, 0, size_t(width));
    const int length = end ? int(static_cast<const char*>(end) - begin) : width;
    return QByteArray(begin, length);
}

template <size_t N>
std::array<uint8_t, N> bytesAt(const uint8_t* at)
{
    std::array<uint8_t, N> out{};
    std::memcpy(out.data(), at, N);
    return out;
}
} // namespace

SettingsRecord SettingsRecord::decode(const uint8_t* record, int size)
{
    SettingsRecord r;
    if (!record || size < kSize)
        return r;
    r.name = textField(record + 0, 11);
    r.ip = bytesAt<4>(record + 11);
    r.subnet = bytesAt<4>(record + 15);
    r.gateway = bytesAt<4>(record + 19);
    r.mac = bytesAt<6>(record + 23);
    r.lanMode = record[29];
    r.destination = textField(record + 30, 40);
    r.path = textField(record + 70, 40);
    r.destinationUser = textField(record + 110, 10);
    r.destinationPassword = textField(record + 120, 10);
    r.dns = bytesAt<4>(record + 130);
    r.destinationPort = le::read16(record + 134);
    r.baudIndex = record[136];
    r.transmitTime = le::read16(record + 137);
    r.bufferIndex = record[139];
    r.stopBits = record[140];
    r.dataBits = record[141];
    r.parity = record[142];
    r.rsMode = record[143];
    r.rsId = record[144];
    return r;
}

} // namespace obr9
