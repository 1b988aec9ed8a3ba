// The HQ-2 page over long histories (offscreen, pinned clock): a day, a
// week and a month of 1 s module answers through the charting step, each in
// a fresh page, so that growth shows as a ratio. Per history:
//
//   - bytes per stored point (the storage's own count and resident growth)
//   - full-range redraw of both charts, and a redraw of the last day's span
//   - a periodic save of both charts: the longest event-loop turn while it
//     runs (the stall an operator would feel) and the bytes it wrote
//   - a manual save of the whole temperature chart and its load
//
//   bench_month [--smoke] [seconds of history ...]   (default 86400 604800 2592000)
//
// Exits non-zero when a quality bar fails: over 5 bytes a point (histories
// of a week or more), a full-range redraw over 10 ms or 1.5 times the first
// history's, a stall over 50 ms, or a day file holding more than its day.
#include "base/Reporter.h"
#include "measure/ChartFile.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ModuleCharts.h"
#include "measure/ui/ModulePage.h"
#include "widgets/RadioGroup.h"
#include "BenchModuleFrames.h"

#include <QApplication>
#include <QByteArrayView>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <vector>

using namespace obr9;
using Clock = std::chrono::steady_clock;

namespace {

class PrintingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { std::fprintf(stderr, "%s\n", qPrintable(message.text)); }
};

double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double millis(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    int history = 0;
    double bytesPerPoint = 0;
    double residentPerPoint = 0;
    double fullRedraw = 0;
    double fullRedrawCpu = 0;
    double daySpanRedraw = 0;
    double longestStall = 0;
    double saveBytes = 0;
    int dayFilePoints = 0;
    int dayPoints = 0;
    double manualSave = 0;
    double load = 0;
    double fileMegabytes = 0;
};

// Median wall time of a redraw of both charts; cpuMillis gets the GUI
// thread's own CPU time, which a busy machine disturbs less.
double redraw(ModuleChart* const (&charts)[2], double from, double* cpuMillis = nullptr)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < 7; ++i) {
        const auto t = Clock::now();
        const double cpu0 = cpuNow();
        for (ModuleChart* c : charts) {
            c->setBottomAxis({from < 0 ? 0 : std::max(0.0, c->data().series[0].size() - from),
                              double(c->data().series[0].size() - 1)});
            c->redraw(QCustomPlot::rpImmediateRefresh);
        }
        times.push_back(millis(t));
        cpu.push_back(cpuNow() - cpu0);
    }
    if (cpuMillis)
        *cpuMillis = median(cpu);
    return median(times);
}

Figures run(int history, const QString& folder)
{
    Figures f;
    f.history = history;
    PrintingReporter reporter;
    auto hq2 = std::make_unique<Hq2Model>(reporter);
    auto page = std::make_unique<ModulePage>(*hq2, reporter);
    // The run ends at 23:00 on its last day, so that day's file holds 23 hours.
    const QDateTime end(QDate(2026, 12, 8), QTime(23, 0));
    QDateTime now = end.addSecs(-history);
    page->model().setClock([&now] { return now; });
    page->model().setChartFolder(folder);
    page->resize(1000, 640);
    page->PageControl1Resize({1004, 670});
    page->findChild<RadioGroup*>(QStringLiteral("RadioGroup2"))->setItemIndex(ModulePage::TempAndVolt);
    page->RadioGroup2Click();

    const double rss0 = residentMegabytes();
    for (int call = 0; call < history + ModuleStreamParser::kWarmUpCalls; ++call) {
        const std::vector<uint8_t> frames = moduleAnswer(call);
        page->model().parse(frames.data(), int(frames.size()));
        now = now.addSecs(1);
    }
    const double rss1 = residentMegabytes();
    const std::size_t points = page->model().temperatureData().pointCount() + page->model().voltageData().pointCount();
    f.bytesPerPoint = double(page->model().temperatureData().memoryBytes() + page->model().voltageData().memoryBytes()) / double(points);
    f.residentPerPoint = (rss1 - rss0) * 1048576.0 / double(points);

    page->show();
    QCoreApplication::processEvents();
    ModuleChart* const charts[2] = {page->chartTemp(), page->chartVolt()};
    f.fullRedraw = redraw(charts, -1, &f.fullRedrawCpu);
    f.daySpanRedraw = redraw(charts, 86400);

    // A periodic save of both charts, driven by the event loop as in the
    // program; the redraws queued so far go first.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    page->findChild<QCheckBox*>(QStringLiteral("CheckBox6"))->setChecked(true);
    page->findChild<QCheckBox*>(QStringLiteral("CheckBox8"))->setChecked(true);
    auto t = Clock::now();
    page->model().chartSaveStep();
    f.longestStall = millis(t);
    while (page->model().periodicSaveRunning()) {
        t = Clock::now();
        QCoreApplication::processEvents();
        f.longestStall = std::max(f.longestStall, millis(t));
    }
    const QDate day = now.date();
    const QString tempDay = QDir(folder).filePath(ChartFile::periodicFileName(day, ChartFile::Kind::Temperatures));
    const QString voltDay = QDir(folder).filePath(ChartFile::periodicFileName(day, ChartFile::Kind::Voltages));
    f.saveBytes = double(QFileInfo(tempDay).size() + QFileInfo(voltDay).size());
    ChartData dayChart = makeTemperatureChart();
    QString error;
    if (ChartFile::load(tempDay, kTemperatureSeriesCount, dayChart, &error))
        f.dayFilePoints = dayChart.series[0].size();
    else
        std::fprintf(stderr, "%s\n", qPrintable(error));
    // Points of the last day: 00:00:00 up to the last point, one second before now.
    f.dayPoints = std::min(page->model().temperatureData().series[0].size(), int(QTime(0, 0).secsTo(now.time())));

    // The whole temperature chart saved by hand and loaded back.
    const QString whole = QDir(folder).filePath(QStringLiteral("whole.bin"));
    t = Clock::now();
    if (!ChartFile::save(whole, page->model().temperatureData(), &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    f.manualSave = millis(t);
    f.fileMegabytes = double(QFileInfo(whole).size()) / 1048576.0;
    page.reset(); // the history goes before the load measures
    hq2.reset();
    {
        ChartData loaded = makeTemperatureChart();
        t = Clock::now();
        if (!ChartFile::load(whole, kTemperatureSeriesCount, loaded, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        f.load = millis(t);
    }
    QFile::remove(whole);
    QFile::remove(tempDay);
    QFile::remove(voltDay);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> histories;
    // --smoke: the short run of the test suite only keeps the bench from
    // rotting; timings of a loaded or sanitized build are not judged there.
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArrayView(argv[i]) == "--smoke")
            smoke = true;
        else
            histories.push_back(std::max(100, std::atoi(argv[i])));
    }
    if (histories.empty())
        histories = {86400, 604800, 2592000};
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    std::printf("%10s %9s %9s %10s %9s %10s %9s %12s %14s %10s %9s %9s\n", "history s", "B/pt", "RSS B/pt",
                "full ms", "full cpu", "1-day ms", "stall ms", "save MB", "day file pts", "whole MB", "save s", "load s");
    std::vector<Figures> all;
    bool ok = true;
    for (const int history : histories) {
        const Figures f = run(history, dir.path());
        all.push_back(f);
        std::printf("%10d %9.2f %9.2f %10.2f %9.2f %10.2f %9.1f %12.1f %7d/%-6d %10.0f %9.2f %9.2f\n", f.history,
                    f.bytesPerPoint, f.residentPerPoint, f.fullRedraw, f.fullRedrawCpu, f.daySpanRedraw, f.longestStall,
                    f.saveBytes / 1048576.0, f.dayFilePoints, f.dayPoints, f.fileMegabytes, f.manualSave / 1000.0,
                    f.load / 1000.0);
        std::fflush(stdout);
        if (f.dayFilePoints != f.dayPoints)
            ok = false;
        if (smoke)
            continue;
        if (history >= 604800 && f.bytesPerPoint > 5.0)
            ok = false;
        if (f.longestStall > 50)
            ok = false;
        if (history >= 604800 && (f.fullRedraw > 10 || f.fullRedraw > 1.5 * all.front().fullRedraw))
            ok = false;
    }
    for (const Figures& f : all) {
        std::printf("ratio to %d s at %d s: B/pt %.2f, full redraw %.2f, day-span redraw %.2f, stall %.2f, "
                    "periodic save bytes %.2f, load %.2f\n",
                    all.front().history, f.history, f.bytesPerPoint / all.front().bytesPerPoint,
                    f.fullRedraw / all.front().fullRedraw, f.daySpanRedraw / all.front().daySpanRedraw,
                    f.longestStall / all.front().longestStall, f.saveBytes / all.front().saveBytes,
                    f.load / all.front().load);
    }
    std::printf("quality bars: %s\n", ok ? "met" : "NOT MET");
    return ok ? 0 : 1;
}
