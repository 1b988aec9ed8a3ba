// A chart file written a slice at a time, so that a long history never
// holds the event loop: each step() encodes at most a given number of
// points and returns.
//
// The file holds the points of each series from its first index given at
// construction up to the count the series had then; later points are left
// out. The chart must stay alive and only grow while the writer runs (the
// owner drops the writer when the chart is cleared or replaced). Points are
// written with indices counted from the file's first point, so the file
// loads as a chart of its own; the layout is ChartFile's.
//
// The bytes go to a temporary file beside the target; only a complete file
// replaces it, and the final flush to disk and rename run on a worker
// thread. A writer dropped before it is done, or a killed program, leaves
// the previous file as it was.
#pragma once

#include "measure/ChartData.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <future>
#include <memory>
#include <vector>

class QSaveFile;

namespace obr9 {

class ChartFileWriter {
public:
    enum class State { Running, Done, Failed };

    // Series k contributes its points firsts[k] .. ends[k]-1; a missing
    // first is 0, a missing end the series' size now.
    ChartFileWriter(const ChartData& chart, std::vector<int> firsts, QString path, std::vector<int> ends = {});
    ~ChartFileWriter();
    ChartFileWriter(const ChartFileWriter&) = delete;
    ChartFileWriter& operator=(const ChartFileWriter&) = delete;

    State step(std::size_t pointBudget);
    State state() const { return state_; }
    QString error() const { return error_; }
    const QString& path() const { return path_; }
    // Bytes handed to the file so far; the whole file once Done.
    std::size_t bytesWritten() const { return written_; }
    std::size_t pointsTotal() const { return total_; }
    std::size_t pointsDone() const { return done_; }
    // Every byte is written and the file is being flushed and renamed: from
    // here on the new file replaces the old one, and dropping the writer
    // waits for that.
    bool committing() const { return commit_.valid(); }

private:
    bool flush();
    void fail(const QString& what);

    const ChartData& chart_;
    QString path_;
    std::unique_ptr<QSaveFile> file_;
    QByteArray buffer_;
    std::vector<int> firsts_;
    std::vector<int> ends_;
    std::size_t series_ = 0; // series being written
    int next_ = -1;          // its next point; -1 before its block header
    uint8_t flags_ = 0;
    std::size_t total_ = 0;
    std::size_t done_ = 0;
    std::size_t written_ = 0;
    State state_ = State::Running;
    QString error_;
    std::future<QString> commit_; // "" when the file replaced the old one
};

} // namespace obr9
