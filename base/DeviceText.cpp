#include "base/DeviceText.h"

#include "base/Cp1250.h"

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
    return cp1250::decode(bytes);
}

QByteArray deviceBytes(const QString& text)
{
    return cp1250::encode(text).bytes;
}

int firstUnencodable(const QString& text)
{
    return cp1250::firstUnencodable(text);
}

QString unencodableMessage(const QString& field, const QString& text, int at)
{
    return QStringLiteral("%1: the character \"%2\" cannot be stored (Windows-1250)")
        .arg(field, text.mid(at, 1));
}

} // namespace obr9
