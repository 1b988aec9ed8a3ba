// Windows-1250, the 8-bit code page of the Polish desktops the operators'
// settings files and device texts come from. Bytes 0x00-0x7F are ASCII.
// The five bytes the code page leaves undefined (0x81, 0x83, 0x88, 0x90,
// 0x98) stand for the C1 controls of the same number, as Windows reads them,
// so every byte string decodes and encodes back to the same bytes.
#pragma once

#include <QByteArray>
#include <QString>

namespace obr9::cp1250 {

QString decode(const QByteArray& bytes);

struct Encoded {
    QByteArray bytes;
    // Index in the text of the first character the code page cannot hold,
    // -1 when every character was encoded. Such a character is left out of
    // bytes, never replaced.
    int failedAt = -1;
    bool ok() const { return failedAt < 0; }
};
Encoded encode(const QString& text);

// Index of the first character of text that the code page cannot hold, or -1.
int firstUnencodable(const QString& text);

} // namespace obr9::cp1250
