// The periodic chart files of the HQ-2 page: while a chart's "record" box
// is ticked, every kSavePeriodTicks housekeeping ticks its day's file is
// written again (ChartFile::periodicFileName, in the chart folder).
//
// A day's file holds the points from that day's first point on (the
// chart's first point, or the one after local midnight); each chart keeps
// that index per series. When the day turns, the closing day's file is
// written once more up to its last point. Files are written a slice at a
// time from a zero-interval timer, one file at a time per chart, so that a
// long history never holds the event loop.
#pragma once

#include "measure/ChartData.h"
#include "measure/ChartFile.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace obr9 {

class ChartFileWriter;
class Reporter;

class PeriodicChartSaves : public QObject {
    Q_OBJECT
public:
    static constexpr int kSavePeriodTicks = 600; // Timer2 ticks between periodic chart saves
    // A save encodes slices of this many points, for at most
    // kSaveTurnMilliseconds per event-loop turn.
    static constexpr std::size_t kSaveSlicePoints = 10000;
    static constexpr int kSaveTurnMilliseconds = 15;

    using Clock = std::function<QDateTime()>;
    // Whether the chart's "record" box is ticked, asked at every tick.
    using Recording = std::function<bool()>;

    // One chart's schedule: index 0 the temperatures, 1 the voltages.
    struct Chart {
        ChartData* data = nullptr;
        ChartFile::Kind kind = ChartFile::Kind::Temperatures;
        Recording recording;
        int tick = 0;
        QDate day; // day of dayFirsts; invalid before the first point
        std::vector<int> dayFirsts;
        struct Job {
            QString path;
            std::vector<int> firsts, ends; // ends empty: up to the newest point
        };
        std::deque<Job> pending;
        std::unique_ptr<ChartFileWriter> writer;
    };

    PeriodicChartSaves(Reporter& reporter, ChartData& temperatures, Recording recordTemperatures,
                       ChartData& voltages, Recording recordVoltages);
    ~PeriodicChartSaves() override;

    void setReporter(Reporter& reporter) { reporter_ = &reporter; }
    // Wall-clock time of the day files; QDateTime::currentDateTime when not set.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // The files are relative names; they land in this folder (empty: the
    // working directory).
    void setFolder(const QString& folder) { folder_ = folder; }
    // Told the name of each periodic file as its turn begins: the chart
    // file name the dialogs start from.
    std::function<void(const QString& name)> fileNamed;

    Chart& operator[](int chart) { return charts_[std::size_t(chart)]; }

    // Timer2 steps 1 and 2.
    void step();
    // A charting step gave every series its point: a new day starts with it.
    void pointsAdded();
    // The chart's points were replaced: its running saves are dropped and it
    // counts as begun now.
    void chartReplaced(Chart& chart);
    // True while a periodic file is being written.
    bool running() const;

private:
    void periodicSave(Chart& chart);
    // The day turned (or was seen first): the new day starts pointsBack
    // points before each series' end.
    void rollDay(Chart& chart, QDate today, int pointsBack);
    void startPending(Chart& chart);
    void saveSlice();
    QString periodicPath(QDate day, ChartFile::Kind kind) const;
    QDateTime now() const;

    Reporter* reporter_;
    Clock clock_;
    QString folder_;
    std::array<Chart, 2> charts_;
    QTimer saveTimer_;
};

} // namespace obr9
