// alarms.csv: one line per change of an alarm's state, in the working
// folder beside the recording files.
//
//   time,source,alarm,state,value,limit
//   2026-12-09T03:14:07+01:00,Boiler,high,active,31.5,30
//
// time: local time, ISO-8601 with its UTC offset. source: the channel's name
// in the table, or "link"; a name holding a comma or a quote is quoted
// (RFC 4180), so that the columns stay columns. alarm: high, low, sensor,
// silent, link. state: active, acknowledged, returned, normal. value and
// limit in the recording files' number form (23.5, 100, -0.5), empty where
// the alarm has none. Windows-1250 text; a character the code page lacks
// becomes '?'. Lines end with 0x0A.
//
// The file is opened, appended, flushed and closed for every line, so that
// another program may read it at any time and a line written is on disk.
#pragma once

#include "alarm/AlarmEvent.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace obr9 {

class AlarmJournal {
public:
    static inline const QString kFileName = QStringLiteral("alarms.csv");
    static constexpr int kHistoryLines = 1000;

    static QByteArray header();
    static QByteArray line(const AlarmEvent& event);
    // "2026-12-09T03:14:07+01:00" for the local time of the moment.
    static QString timeText(int64_t msSinceEpoch);
    // The recording files' number form: %g, six significant digits.
    static QByteArray numberText(float value);

    // folder: where the file goes; empty means the process's working folder
    // at the moment of each write.
    explicit AlarmJournal(QString folder = {})
        : folder_(std::move(folder))
    {
    }
    void setFolder(const QString& folder) { folder_ = folder; }
    QString filePath() const;

    // Creates the file with its header when it does not exist, then appends
    // the line. False when the file could not be created, opened or written;
    // error() then says why.
    bool append(const AlarmEvent& event);
    const QString& error() const { return error_; }

    // The last `count` lines of the journal (header left out), oldest
    // first, each split into its fields. Reads only the end of the file.
    QList<QStringList> lastLines(int count = kHistoryLines) const;
    static QStringList splitLine(const QString& line);

private:
    QString folder_;
    QString error_;
};

} // namespace obr9
