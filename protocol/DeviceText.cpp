#include "protocol/DeviceText.h"

#include <cstring>

namespace obr9 {

QByteArray fieldText(const uint8_t* field, int maxLength)
{
    if (maxLength <= 0)
        return {};
    const void* end = std::memchr(field, 0, size_t(maxLength));
    const int length = end ? int(static_cast<const uint8_t*>(end) - field) : maxLength;
    return QByteArray(reinterpret_cast<const char*>(field), length);
}

QString deviceText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray deviceBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
    return bytes;
}

} // namespace obr9
