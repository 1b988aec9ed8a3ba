#include "alarm/AlarmJournal.h"

#include "base/Cp1250.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <charconv>

namespace obr9 {

namespace {

QByteArray encoded(const QString& text)
{
    QString kept = text;
    for (int at = cp1250::firstUnencodable(kept); at >= 0; at = cp1250::firstUnencodable(kept))
        kept[at] = QLatin1Char('?');
    return cp1250::encode(kept).bytes;
}

// One line per event whatever the name holds: line breaks become blanks.
QString csvField(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QByteArray AlarmJournal::header()
{
    return QByteArrayLiteral("time,source,alarm,state,value,limit\n");
}

QString AlarmJournal::timeText(int64_t msSinceEpoch)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    const int offset = local.offsetFromUtc() / 60; // minutes
    const int size = offset < 0 ? -offset : offset;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2").arg(size / 60, 2, 10, QLatin1Char('0')).arg(size % 60, 2, 10, QLatin1Char('0'));
}

QByteArray AlarmJournal::numberText(float value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, double(value),
                                   std::chars_format::general, 6).ptr;
    return QByteArray(buffer, int(end - buffer));
}

QByteArray AlarmJournal::line(const AlarmEvent& event)
{
    QByteArray out = timeText(event.timeMs).toLatin1();
    out += ',';
    out += encoded(csvField(event.source));
    out += ',';
    out += alarmKindText(event.kind).toLatin1();
    out += ',';
    out += alarmStateText(event.state).toLatin1();
    out += ',';
    if (event.value)
        out += numberText(*event.value);
    out += ',';
    if (event.limit)
        out += numberText(*event.limit);
    out += '\n';
    return out;
}

QString AlarmJournal::filePath() const
{
    return folder_.isEmpty() ? kFileName : QDir(folder_).filePath(kFileName);
}

bool AlarmJournal::append(const AlarmEvent& event)
{
    QFile file(filePath());
    const bool fresh = !file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error_ = file.errorString();
        return false;
    }
    QByteArray bytes = fresh ? header() : QByteArray();
    bytes += line(event);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written)
        error_ = file.errorString();
    file.close();
    return written;
}

QList<QStringList> AlarmJournal::lastLines(int count) const
{
    QFile file(filePath());
    if (count <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    // Lines are about 60 bytes; the window doubles until it holds enough.
    const qint64 size = file.size();
    qint64 window = qint64(count + 1) * 96;
    QByteArray tail;
    for (;;) {
        const qint64 from = std::max<qint64>(0, size - window);
        file.seek(from);
        tail = file.read(size - from);
        if (from == 0) {
            const int firstEnd = tail.indexOf('\n');
            tail = firstEnd < 0 ? QByteArray() : tail.mid(firstEnd + 1); // the header
            break;
        }
        if (tail.count('\n') > count) {
            tail = tail.mid(tail.indexOf('\n') + 1); // a partial first line
            break;
        }
        window *= 2;
    }
    QList<QByteArray> lines = tail.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    QList<QStringList> out;
    out.reserve(lines.size());
    for (const QByteArray& l : std::as_const(lines))
        out.append(splitLine(cp1250::decode(l)));
    return out;
}

QStringList AlarmJournal::splitLine(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields.append(field);
            field.clear();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    fields.append(field);
    return fields;
}

} // namespace obr9
