// The four recording files: one comma-separated line per measurement frame.
//
// Each line is written with its file opened and closed around it, so that
// another program may read a recording between two lines. Numbers use the
// classic locale-independent form whatever the window shows: floats in
// general form with at most 6 significant digits (23.5, 100, -0.5,
// 1.23457e+06). Date and time fields are year, two-digit month and day, then
// hour:minute:second without padding (20270103,9:5:7); the voltage and
// inputs-and-outputs lines add ":milliseconds", also unpadded.
//
//   kind 0 voltage.csv        12.34,20261208,14:3:9:250,2   (voltage interval index)
//   kind 1 tempum.csv         23.4,45.1,20261208,14:3:9     (header temperature,humidity)
//   kind 2 temperatures.csv   8 values,20261208,14:3:9,0    (header: the channel names;
//                                                            temperature interval index)
//   kind 3 IO.csv             5,20261208,14:3:9:250
//
// A header is written only when the file is created. Lines end with a
// single 0x0A.
#pragma once

#include "protocol/DeviceState.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace obr9 {

class CsvRecorder {
public:
    using Clock = std::function<QDateTime()>;

    // Values a line of the kind carries (1, 2, 8, 1); 0 for an unknown kind.
    static int valueCount(RecordKind kind);
    // "voltage.csv", "tempum.csv", "temperatures.csv", "IO.csv"; empty for
    // an unknown kind.
    static QString fileName(RecordKind kind);

    // One value as the lines carry it ("23.5", "-0.5", "1.23457e+06").
    static QByteArray number(float value);

    // The line without its file: values, date, time and the kind's extra
    // fields, ending in "\n". Empty for an unknown kind.
    static QByteArray line(const float* values, RecordKind kind, const QDateTime& when,
                           int voltageIntervalIndex, int temperatureIntervalIndex);
    // The first line of a new file: the eight names joined by "," for kind 2,
    // "temperature,humidity" for kind 1, none (empty) for kinds 0 and 3.
    static QByteArray header(RecordKind kind, const std::array<QByteArray, 8>& channelNames);

    // directory: where the files go; empty means the process's current
    // working directory at the moment of each write. clock: the local time
    // of each line; empty means the wall clock.
    explicit CsvRecorder(QString directory = {}, Clock clock = {});

    void setDirectory(const QString& directory) { directory_ = directory; }
    const QString& directory() const { return directory_; }
    void setClock(Clock clock);

    struct Result {
        bool written = false;
        // The file that could not be created or opened (its path as used);
        // empty when the line was written or the kind has no file.
        QString failedFile;
    };

    // Reads the clock once, creates the file with its header when it does
    // not exist, and appends the line. values holds valueCount(kind) floats.
    Result append(const float* values, RecordKind kind, int voltageIntervalIndex,
                  int temperatureIntervalIndex, const std::array<QByteArray, 8>& channelNames);

    QString filePath(RecordKind kind) const;

private:
    QString directory_;
    Clock clock_;
};

} // namespace obr9
