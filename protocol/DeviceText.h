// Texts on the wire are 8-bit characters, 0x00-padded in fixed-width fields.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace obr9 {

// Bytes up to the first 0x00, at most maxLength of them.
QByteArray fieldText(const uint8_t* field, int maxLength);

// The 8-bit character set of the controller, shown and typed as Latin-1.
QString deviceText(const QByteArray& bytes);
// Characters outside the 8-bit set become '?'.
QByteArray deviceBytes(const QString& text);

} // namespace obr9
