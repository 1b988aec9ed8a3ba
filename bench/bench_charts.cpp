// The core side of the HQ-2 charts, with a clock that moves one poll at a time:
//
//   1. A day of 1 s data: 86 400 parser calls, each with the sixteen module
//      frames, onto both charts (48 series x 86 400 points). Memory per
//      stored point (the storage's own count and the process's resident
//      growth) and the time of a parser call.
//   2. An hour on the relay page: 20 ms polls at the 1 s charting period,
//      and the same with no period (every poll charts) for comparison.
//   3. Saving the day's chart files and loading them back.
//
//   bench_charts [folder for the chart files = the system's temporary folder]

#include "measure/ChartData.h"
#include "measure/ChartFile.h"
#include "measure/ModuleCharts.h"
#include "measure/ModuleStreamParser.h"
#include "BenchModuleFrames.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace obr9;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Run {
    ChartData temperatures = makeTemperatureChart();
    ChartData voltages = makeVoltageChart();
    QDateTime now{QDate(2026, 12, 8), QTime(0, 0)};
    ModuleStreamParser parser;

    Run()
    {
        parser.setCharts(&temperatures, &voltages);
        parser.setClock([this] { return now; });
    }
};

} // namespace

int main(int argc, char** argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const std::vector<uint8_t> answers[4] = {moduleAnswer(0), moduleAnswer(1), moduleAnswer(2), moduleAnswer(3)};

    // 1. A day at 1 s.
    const double rssBefore = residentMegabytes();
    auto day = std::make_unique<Run>();
    std::vector<double> callMicros;
    callMicros.reserve(86403);
    const auto dayStart = Clock::now();
    for (int call = 0; call < 86400 + ModuleStreamParser::kWarmUpCalls; ++call) {
        std::vector<uint8_t> frames = moduleAnswer(call);
        const auto t = Clock::now();
        day->parser.parse(frames.data(), int(frames.size()));
        callMicros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count());
        day->now = day->now.addSecs(1);
    }
    const double dayBuild = seconds(dayStart);
    const double rssAfter = residentMegabytes();
    const std::size_t points = day->temperatures.pointCount() + day->voltages.pointCount();
    const std::size_t bytes = day->temperatures.memoryBytes() + day->voltages.memoryBytes();
    std::sort(callMicros.begin(), callMicros.end());
    std::printf("day at 1 s: %zu points (%d x %d + %d x %d) built in %.2f s\n", points,
                day->temperatures.seriesCount(), day->temperatures.series[0].size(), day->voltages.seriesCount(),
                day->voltages.series[0].size(), dayBuild);
    std::printf("  storage: %.1f MB, %.2f bytes per point\n", double(bytes) / 1048576.0, double(bytes) / double(points));
    std::printf("  resident growth: %.1f MB, %.2f bytes per point\n", rssAfter - rssBefore,
                (rssAfter - rssBefore) * 1048576.0 / double(points));
    std::printf("  parser call with 16 frames and 48 points: median %.1f us, 99th percentile %.1f us, max %.1f us\n",
                callMicros[callMicros.size() / 2], callMicros[callMicros.size() * 99 / 100], callMicros.back());

    // Full-range drawing aid: every series of both charts cut into 1500 runs.
    {
        std::vector<ChartSeries::Envelope> runs(1500);
        const auto t0 = Clock::now();
        double sum = 0;
        for (const ChartData* chart : {&day->temperatures, &day->voltages}) {
            for (const ChartSeries& s : chart->series) {
                s.envelope(0, s.size() - 1, runs);
                sum += runs.back().maximum;
            }
        }
        std::printf("  full-range envelope of 48 series into 1500 runs: %.1f ms\n", seconds(t0) * 1000.0);
        if (!(sum > 0))
            return 1;
    }

    // 2. An hour of 20 ms polls on the relay page, one module answer a second;
    //    then the same without the charting period, for comparison.
    for (const auto period : {std::chrono::milliseconds{1000}, std::chrono::milliseconds{0}}) {
        const double rss0 = residentMegabytes();
        auto hour = std::make_unique<Run>();
        hour->parser.setChartingPeriod(period);
        for (int poll = 0; poll < 180000; ++poll) {
            if (poll % 50 == 0)
                hour->parser.parse(answers[poll % 4].data(), int(answers[poll % 4].size()));
            else
                hour->parser.parse(nullptr, 0);
            hour->now = hour->now.addMSecs(20);
        }
        const std::size_t hp = hour->temperatures.pointCount() + hour->voltages.pointCount();
        const std::size_t hb = hour->temperatures.memoryBytes() + hour->voltages.memoryBytes();
        std::printf("hour of 20 ms polls, charting period %lld ms: 180000 calls, %d points per series, %zu points, "
                    "storage %.2f MB, resident growth %.1f MB\n",
                    (long long)period.count(), hour->temperatures.series[0].size(), hp, double(hb) / 1048576.0,
                    residentMegabytes() - rss0);
    }

    // 3. The day's files.
    const QString tempPath = QDir(folder).filePath(ChartFile::periodicFileName(QDate(2026, 12, 8), ChartFile::Kind::Temperatures));
    const QString voltPath = QDir(folder).filePath(ChartFile::periodicFileName(QDate(2026, 12, 8), ChartFile::Kind::Voltages));
    QString error;
    auto t = Clock::now();
    if (!ChartFile::save(tempPath, day->temperatures, &error)) {
        std::printf("save failed: %s\n", qPrintable(error));
        return 1;
    }
    const double saveTemp = seconds(t);
    t = Clock::now();
    ChartFile::save(voltPath, day->voltages, &error);
    const double saveVolt = seconds(t);

    ChartData loadedTemp = makeTemperatureChart();
    ChartData loadedVolt = makeVoltageChart();
    t = Clock::now();
    if (!ChartFile::load(tempPath, kTemperatureSeriesCount, loadedTemp, &error)) {
        std::printf("load failed: %s\n", qPrintable(error));
        return 1;
    }
    const double loadTemp = seconds(t);
    t = Clock::now();
    ChartFile::load(voltPath, kVoltageSeriesCount, loadedVolt, &error);
    const double loadVolt = seconds(t);

    std::printf("save: temperatures %.1f MB in %.2f s, voltages %.1f MB in %.2f s\n",
                double(QFileInfo(tempPath).size()) / 1048576.0, saveTemp,
                double(QFileInfo(voltPath).size()) / 1048576.0, saveVolt);
    std::printf("load: temperatures %.2f s, voltages %.2f s\n", loadTemp, loadVolt);
    const bool same = sameChart(loadedTemp, day->temperatures) && sameChart(loadedVolt, day->voltages);
    std::printf("loaded charts equal the saved ones: %s\n", same ? "yes" : "NO");
    QFile::remove(tempPath);
    QFile::remove(voltPath);
    return same ? 0 : 1;
}
