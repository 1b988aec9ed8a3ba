// The settings file reader: any bytes as "obr9.ini" text.
//
// Input: the file's bytes. The first line of the file, trimmed, is also
// taken as a value to write, so that writes meet every kind of line too.

#include "base/IniFile.h"
#include "fuzz/FuzzCheck.h"
#include "base/DeviceText.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

using namespace obr9;

namespace {

const QString kSection = QStringLiteral("Form1");
const QString kKeys[] = {QStringLiteral("Top"), QStringLiteral("HostIP"), QStringLiteral("ID")};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    IniFile ini;
    ini.parse(bytes);

    // Written back and read again, the file says the same.
    const QByteArray written = ini.toBytes();
    IniFile again;
    again.parse(written);
    check(again.toBytes() == written);

    for (const QString& key : kKeys) {
        check(ini.readString(kSection, key, QString()) == again.readString(kSection, key, QString()));
        check(ini.contains(kSection, key) == again.contains(kSection, key));
        // A value that is not a number reads as the default, whichever it is.
        const int one = ini.readInt(kSection, key, 1);
        const int two = ini.readInt(kSection, key, 2);
        check(one == two || (one == 1 && two == 2));
        if (!ini.contains(kSection, key))
            check(ini.readString(kSection, key, QStringLiteral("d")) == QStringLiteral("d"));
    }

    // A value written is read back as written (blanks around it and line
    // breaks inside it aside), and the other keys keep theirs.
    const qsizetype lineEnd = bytes.indexOf('\n');
    // Values are Windows-1250 text; every byte decodes to a character that
    // encodes back to it.
    const QString value = deviceText(lineEnd < 0 ? bytes : bytes.left(lineEnd));
    QString expected = value;
    expected.replace(u'\r', u' ').replace(u'\n', u' ');
    expected = deviceText(deviceBytes(expected).trimmed());
    const QString otherBefore = ini.readString(kSection, kKeys[1], QStringLiteral("-"));
    ini.writeString(kSection, kKeys[0], value);
    check(ini.contains(kSection, kKeys[0]));
    check(ini.readString(kSection, kKeys[0], QString()) == expected);
    check(ini.readString(kSection, kKeys[1], QStringLiteral("-")) == otherBefore);

    IniFile reread;
    reread.parse(ini.toBytes());
    check(reread.readString(kSection, kKeys[0], QString()) == expected);
    check(reread.readString(kSection, kKeys[1], QStringLiteral("-")) == otherBefore);
    return 0;
}
