// The address history reader: any bytes as "Ip addresses.txt".
//
// Input: the file's bytes; the first item is remembered once more.

#include "base/AddressHistory.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>

using namespace obr9;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList items = AddressHistory::parse(bytes);

    // One item per line; a last line without its terminator counts too.
    const qsizetype ends = bytes.count('\n');
    const bool openLast = !bytes.isEmpty() && !bytes.endsWith('\n');
    check(items.size() == ends + (openLast ? 1 : 0));
    for (const QString& item : items)
        check(!item.contains(u'\n'));

    // Written and read again, the list is the same, and so are its bytes.
    const QByteArray written = AddressHistory::toBytes(items);
    check(AddressHistory::parse(written) == items);
    check(AddressHistory::toBytes(AddressHistory::parse(written)) == written);

    if (!items.isEmpty()) {
        const QStringList before = items;
        check(!AddressHistory::remember(items, before.first()));
        check(items == before);
        const QString fresh = before.join(QStringLiteral("|")) + QStringLiteral("|new");
        check(AddressHistory::remember(items, fresh));
        check(items.size() == before.size() + 1 && items.last() == fresh);
    }
    return 0;
}
