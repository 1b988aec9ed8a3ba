// A chart file read on a worker thread into a chart of its own, so that a
// month's file (some 2 GB) never holds the event loop. The caller polls
// state() from its own thread and, once Done, takes the whole chart; a
// failed or cancelled read gives nothing, so a load stays all or nothing.
//
// Dropping the loader cancels the read and waits for the worker, which
// stops within a few milliseconds.
#pragma once

#include "measure/ChartData.h"
#include "measure/ChartFile.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

namespace obr9 {

class ChartFileLoader {
public:
    enum class State { Running, Done, Failed, Cancelled };

    // Starts reading at once; expectedSeriesCount as for ChartFile::load.
    ChartFileLoader(QString path, int expectedSeriesCount);
    ~ChartFileLoader();
    ChartFileLoader(const ChartFileLoader&) = delete;
    ChartFileLoader& operator=(const ChartFileLoader&) = delete;

    State state() const { return state_.load(std::memory_order_acquire); }
    const QString& path() const { return path_; }
    // File size at the start and the bytes read so far.
    int64_t bytesTotal() const { return total_; }
    int64_t bytesRead() const { return control_.bytesRead.load(std::memory_order_relaxed); }
    // Asks the worker to stop; state() turns Cancelled unless it was done.
    void cancel() { control_.cancel.store(true, std::memory_order_relaxed); }

    // Valid once the state is Failed.
    QString error() const;
    // The loaded chart, once the state is Done; the loader keeps nothing.
    ChartData takeChart();

private:
    void run(int expectedSeriesCount);

    QString path_;
    int64_t total_ = 0;
    ChartReadControl control_;
    ChartData chart_;  // the worker's until state_ leaves Running
    QString error_;    // likewise
    std::atomic<State> state_{State::Running};
    std::thread worker_;
};

} // namespace obr9
