#include "base/AddressHistory.h"
#include "base/DeviceText.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace obr9 {

AddressHistory::AddressHistory(QString directory)
    : m_directory(std::move(directory))
{
}

QString AddressHistory::filePath() const
{
    const QString name = QLatin1StringView(fileName);
    return m_directory.isEmpty() ? name : QDir(m_directory).filePath(name);
}

std::optional<QStringList> AddressHistory::read() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

QStringList AddressHistory::parse(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    // The terminator of the last line leaves one empty piece behind.
    if (lines.constLast().isEmpty())
        lines.removeLast();
    QStringList items;
    items.reserve(lines.size());
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        items.append(deviceText(line));
    }
    return items;
}

QByteArray AddressHistory::toBytes(const QStringList& items)
{
    QByteArray bytes;
    for (const QString& item : items) {
        bytes += deviceBytes(item);
        bytes += "\r\n";
    }
    return bytes;
}

bool AddressHistory::write(const QStringList& items) const
{
    const QByteArray bytes = toBytes(items);
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool AddressHistory::remember(QStringList& items, const QString& address)
{
    if (items.contains(address, Qt::CaseSensitive))
        return false;
    items.append(address);
    return true;
}

} // namespace obr9
