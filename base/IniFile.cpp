#include "base/IniFile.h"
#include "base/DeviceText.h"

#include <QFile>
#include <QSaveFile>

namespace obr9 {

namespace {

// The name between '[' and ']' of a section header line.
std::optional<QByteArray> sectionName(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

struct KeyLine {
    QByteArray key;
    QByteArray value;
};

std::optional<KeyLine> keyLine(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    KeyLine result{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
    if (result.key.isEmpty() || result.key.startsWith(';') || result.key.startsWith('['))
        return std::nullopt;
    return result;
}

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool IniFile::load(const QString& path)
{
    m_lines.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    parse(file.readAll());
    return file.error() == QFileDevice::NoError;
}

bool IniFile::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void IniFile::parse(const QByteArray& bytes)
{
    m_lines = bytes.split('\n');
    // The terminator of the last line leaves one empty piece behind.
    if (!m_lines.isEmpty() && m_lines.constLast().isEmpty())
        m_lines.removeLast();
    for (QByteArray& line : m_lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QByteArray& line : m_lines)
        size += line.size() + 2;
    bytes.reserve(size);
    for (const QByteArray& line : m_lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

int IniFile::findSection(const QByteArray& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int headerLine) const
{
    for (int i = headerLine + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i]))
            return i;
    }
    return int(m_lines.size());
}

int IniFile::findKey(int headerLine, const QByteArray& key) const
{
    const int end = sectionEnd(headerLine);
    for (int i = headerLine + 1; i < end; ++i) {
        const auto line = keyLine(m_lines[i]);
        if (line && sameName(line->key, key))
            return i;
    }
    return -1;
}

std::optional<QByteArray> IniFile::rawValue(const QString& section, const QString& key) const
{
    const int header = findSection(section.toLatin1());
    if (header < 0)
        return std::nullopt;
    const int line = findKey(header, key.toLatin1());
    if (line < 0)
        return std::nullopt;
    return keyLine(m_lines[line])->value;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    return rawValue(section, key).has_value();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const auto value = rawValue(section, key);
    return value ? deviceText(*value) : defaultValue;
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const
{
    const auto value = rawValue(section, key);
    if (!value)
        return defaultValue;
    bool ok = false;
    const int number = value->toInt(&ok, 10);
    return ok ? number : defaultValue;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QByteArray bytes = deviceBytes(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    const QByteArray keyBytes = key.toLatin1();
    const QByteArray line = keyBytes + '=' + bytes;

    const QByteArray sectionBytes = section.toLatin1();
    const int header = findSection(sectionBytes);
    if (header < 0) {
        m_lines.append('[' + sectionBytes + ']');
        m_lines.append(line);
        return;
    }
    const int existing = findKey(header, keyBytes);
    if (existing >= 0) {
        m_lines[existing] = line;
        return;
    }
    // Blank lines and comments before the next section belong to that one.
    int at = header + 1;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (keyLine(m_lines[i]))
            at = i + 1;
    }
    m_lines.insert(at, line);
}

} // namespace obr9
