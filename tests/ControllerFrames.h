// Data frames as the controller sends them, written out from the byte
// tables (not with the program's builders).
#pragma once

#include "TestBytes.h"

#include <QByteArray>
#include <QList>

#include <cstring>

// FF, two header bytes 01 01, type, length, payload.
inline QByteArray dataFrame(int type, const QByteArray& payload)
{
    return bytes("FF 01 01") + QByteArray(1, char(type)) + QByteArray(1, char(payload.size())) +
           payload;
}

// Type 1: eight big-endian raw words (half degrees), then 25-byte names.
inline QByteArray eightTemperatures(const int (&raw)[8], const QList<QByteArray>& names)
{
    QByteArray p(216, '\0');
    for (int k = 0; k < 8; ++k) {
        p[2 * k] = char(uint16_t(raw[k]) >> 8);
        p[2 * k + 1] = char(raw[k] & 0xFF);
        const QByteArray& name = names.at(k);
        std::memcpy(p.data() + 16 + 25 * k, name.constData(), size_t(qMin(25, int(name.size()))));
    }
    return dataFrame(1, p);
}

// Type 3: humidity then temperature, IEEE singles, little-endian (as this
// machine stores them).
inline QByteArray temperatureHumidity(float temperature, float humidity)
{
    QByteArray p(8, '\0');
    std::memcpy(p.data(), &humidity, 4);
    std::memcpy(p.data() + 4, &temperature, 4);
    return dataFrame(3, p);
}
