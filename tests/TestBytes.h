// Literal byte strings for tests: bytes("FF 01 01 02 01 05").
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

inline QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

inline std::vector<uint8_t> byteVector(const QByteArray& data)
{
    return std::vector<uint8_t>(data.begin(), data.end());
}

inline const uint8_t* u8(const QByteArray& data)
{
    return reinterpret_cast<const uint8_t*>(data.constData());
}
