// Recording (ZapiszDane): while any of the three "record" boxes is ticked,
// every decoded frame appends one line of its kind's values to that kind's
// CSV file. A file that cannot be opened is named once in the memo, not on
// every frame, until a line reaches it again.
#pragma once

#include "measure/CsvRecorder.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <functional>

namespace obr9 {

class Recording : public QObject {
    Q_OBJECT
    // The decimal separator of the numbers the windows show: "." until the
    // first line is recorded, "," from then on for the rest of the run (the
    // files themselves keep ".").
    Q_PROPERTY(QChar decimalSeparator READ decimalSeparator NOTIFY decimalSeparatorChanged)
public:
    using MemoSink = std::function<void(const QString&)>;

    QChar decimalSeparator() const { return decimalSeparator_; }

    // Any one of the three boxes records every kind: they are not tied to
    // their files.
    bool enabled = false;
    // The sampling items the channel dialog shows (-1: none selected); each
    // line carries the one of its kind.
    int voltageIntervalIndex = -1;
    int temperatureIntervalIndex = -1;

    void setMemo(MemoSink memo) { memo_ = std::move(memo); }
    CsvRecorder& recorder() { return recorder_; }

    // values holds CsvRecorder::valueCount(kind) floats.
    void ZapiszDane(const float* values, RecordKind kind, const std::array<QByteArray, 8>& channelNames);

signals:
    void decimalSeparatorChanged(QChar separator);

private:
    QChar decimalSeparator_ = QLatin1Char('.');
    CsvRecorder recorder_;
    QStringList failingFiles_; // reported once until written again
    MemoSink memo_;
};

} // namespace obr9
