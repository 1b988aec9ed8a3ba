#include "measure/PeriodicChartSaves.h"

#include "base/Reporter.h"
#include "measure/ChartFileWriter.h"

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>

namespace obr9 {

PeriodicChartSaves::PeriodicChartSaves(Reporter& reporter, ChartData& temperatures, Recording recordTemperatures,
                                       ChartData& voltages, Recording recordVoltages)
    : reporter_(&reporter)
{
    charts_[0].data = &temperatures;
    charts_[0].kind = ChartFile::Kind::Temperatures;
    charts_[0].recording = std::move(recordTemperatures);
    charts_[1].data = &voltages;
    charts_[1].kind = ChartFile::Kind::Voltages;
    charts_[1].recording = std::move(recordVoltages);
    saveTimer_.setInterval(0);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { saveSlice(); });
}

PeriodicChartSaves::~PeriodicChartSaves() = default;

QDateTime PeriodicChartSaves::now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

QString PeriodicChartSaves::periodicPath(QDate day, ChartFile::Kind kind) const
{
    const QString name = ChartFile::periodicFileName(day, kind);
    return folder_.isEmpty() ? name : QDir(folder_).filePath(name);
}

void PeriodicChartSaves::rollDay(Chart& chart, QDate today, int pointsBack)
{
    std::vector<int> firsts;
    for (const ChartSeries& s : chart.data->series)
        firsts.push_back(std::max(0, s.size() - pointsBack));
    if (chart.day.isValid() && chart.recording()) {
        // The closing day's last minutes are in no file yet: its file is
        // written once more, up to its last point.
        chart.pending.push_back({periodicPath(chart.day, chart.kind), chart.dayFirsts, firsts});
        startPending(chart);
    }
    chart.day = today;
    chart.dayFirsts = chart.day.isValid() && !firsts.empty() ? firsts : std::vector<int>{};
}

void PeriodicChartSaves::chartReplaced(Chart& chart)
{
    chart.writer.reset();
    chart.pending.clear();
    chart.day = now().date();
    chart.dayFirsts.assign(chart.data->series.size(), 0);
}

void PeriodicChartSaves::startPending(Chart& chart)
{
    while (!chart.writer && !chart.pending.empty()) {
        Chart::Job job = std::move(chart.pending.front());
        chart.pending.pop_front();
        chart.writer = std::make_unique<ChartFileWriter>(*chart.data, job.firsts, job.path, job.ends);
        if (chart.writer->state() == ChartFileWriter::State::Failed) {
            // A failed save is tried again on its next turn, 600 ticks later.
            // The writer goes before the report: a box runs the event loop,
            // and the saves that fall due meanwhile must find the page idle.
            const QString error = chart.writer->error();
            chart.writer.reset();
            reporter_->report({error, QStringLiteral("Chart file"), ReportCause::periodicChartSave});
        }
    }
    if (chart.writer && !saveTimer_.isActive())
        saveTimer_.start();
}

void PeriodicChartSaves::saveSlice()
{
    for (Chart& chart : charts_) {
        if (!chart.writer)
            continue;
        // Slices of a few milliseconds until this turn's share is used.
        QElapsedTimer turn;
        turn.start();
        ChartFileWriter::State state = ChartFileWriter::State::Running;
        while (state == ChartFileWriter::State::Running && turn.elapsed() < kSaveTurnMilliseconds) {
            const std::size_t before = chart.writer->pointsDone();
            state = chart.writer->step(kSaveSlicePoints);
            if (chart.writer->pointsDone() == before)
                break; // waiting for the worker's flush and rename
        }
        if (state == ChartFileWriter::State::Running)
            continue;
        const bool failed = state == ChartFileWriter::State::Failed;
        const QString error = failed ? chart.writer->error() : QString();
        chart.writer.reset();
        if (failed)
            reporter_->report({error, QStringLiteral("Chart file"), ReportCause::periodicChartSave});
        startPending(chart);
    }
    if (!running())
        saveTimer_.stop();
}

bool PeriodicChartSaves::running() const
{
    return std::any_of(charts_.begin(), charts_.end(), [](const Chart& c) { return bool(c.writer); });
}

void PeriodicChartSaves::periodicSave(Chart& chart)
{
    if (!chart.recording()) {
        chart.tick = 0;
        return;
    }
    ++chart.tick;
    if (chart.tick == 1) {
        const QDate today = now().date();
        if (chart.day.isValid() && chart.day != today)
            rollDay(chart, today, 0); // no point yet since midnight
        if (fileNamed)
            fileNamed(ChartFile::periodicFileName(today, chart.kind));
        // A save still running holds this turn's points; the next turn takes them.
        if (!chart.writer && chart.pending.empty()) {
            chart.pending.push_back({periodicPath(today, chart.kind),
                                     chart.day.isValid() ? chart.dayFirsts : std::vector<int>{}, {}});
            startPending(chart);
        }
    }
    if (chart.tick == kSavePeriodTicks)
        chart.tick = 0;
}

void PeriodicChartSaves::step()
{
    periodicSave(charts_[0]);
    periodicSave(charts_[1]);
}

void PeriodicChartSaves::pointsAdded()
{
    const QDate today = now().date();
    for (Chart& chart : charts_) {
        if (!chart.day.isValid()) {
            chart.day = today;
            chart.dayFirsts.assign(chart.data->series.size(), 0);
        } else if (chart.day != today) {
            rollDay(chart, today, 1);
        }
    }
}

} // namespace obr9
