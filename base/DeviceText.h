// Texts on the wire are 8-bit characters, 0x00-padded in fixed-width fields.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace obr9 {

// Bytes up to the first 0x00, at most maxLength of them.
QByteArray fieldText(const uint8_t* field, int maxLength);

// The 8-bit character set of the controller: Windows-1250.
QString deviceText(const QByteArray& bytes);
// A character Windows-1250 cannot hold is left out. Callers refuse such a
// text first (firstUnencodable), so that nothing goes out altered.
QByteArray deviceBytes(const QString& text);
// Index of the first character Windows-1250 cannot hold, or -1.
int firstUnencodable(const QString& text);
// The operator's message for such a character in the named field.
QString unencodableMessage(const QString& field, const QString& text, int at);

} // namespace obr9
