// The HQ-2 page over long histories (offscreen, pinned clock, both charts
// 1000 x 640 with the automatic left axis), for two kinds of readings
// (BenchReadings.h: quantised sensor steps, and full-mantissa noise): a day,
// a week, a month and 90 days, each in a fresh page, so that growth shows as
// a ratio; a year is stated from 90 days with the growth from a month to
// 90 days carried on. Per history:
//
//   - bytes per stored point (the storage's own count and resident growth)
//   - full-range redraw of both charts, the last day's redraw, and a zoom
//     to an hour at seven places across the history (median and slowest)
//   - the live step: one module answer through the parser and the charting
//     step with the page shown (median and 99th percentile; the replot it
//     queues runs after, untimed)
//   - a periodic save of both charts: the longest event-loop turn while it
//     runs (the stall an operator would feel) and the bytes it wrote
//   - up to a month: a manual save of the whole temperature chart and its load
//
// The history before the last day is appended straight into the page's
// charts with the labels and colours the charting step gives (a parser call
// a second would take an hour for 90 days); the last day, 23 hours, comes
// through the page's parser as module frames, so the day files, the
// periodic saves and the live steps work as in the program.
//
//   bench_month [--smoke] [--kind quantised|noisy] [seconds of history ...]
//       (default both kinds, 86400 604800 2592000 7776000)
//
// Times are printed as wall/CPU time of the GUI thread; the bars judge the
// CPU time, which other work on the machine disturbs far less. Exits
// non-zero when a quality bar fails (not judged with --smoke): over
// 1.0 bytes a point for quantised readings at 90 days or over 4.8 for noise
// from a month on; a full-range redraw over 1.5 times the last day's, or
// over 20 ms at 90 days; a zoom to an hour over 50 ms; a live step over 3 ms (99th
// percentile of its CPU time); a stall over 50 ms; a manual save or load over 10 s; or a
// day file holding other than its day.
#include "base/Reporter.h"
#include "measure/ChartFile.h"
#include "measure/Hq2Model.h"
#include "measure/ModuleCharts.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModulePage.h"
#include "widgets/RadioGroup.h"
#include "BenchModuleFrames.h"
#include "BenchReadings.h"

#include <QApplication>
#include <QByteArrayView>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace obr9;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLastDay = 82800; // seconds of the last day: it ends at 23:00
constexpr int kLiveSteps = 300;

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

double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(double(v.size()) * q))];
}

const char* kindName(ReadingKind kind) { return kind == ReadingKind::Quantised ? "quantised" : "noisy"; }

// Wall time, and the GUI thread's own CPU time, which a machine busy with
// other work disturbs far less; in milliseconds.
struct Time {
    double wall = 0;
    double cpu = 0;
};

Time operator/(Time a, Time b) { return {a.wall / b.wall, a.cpu / b.cpu}; }

struct Figures {
    ReadingKind kind = ReadingKind::Quantised;
    int history = 0;
    double bytesPerPoint = 0;
    double residentPerPoint = 0;
    Time fullRedraw;
    Time dayRedraw;
    Time hourZoom;    // median of the seven places
    Time hourZoomMax; // the slowest (wall and CPU each)
    Time liveStep;    // median
    Time liveStep99;  // 99th percentile
    Time longestStall; // the longest turn; CPU: the most CPU a turn took
    double saveBytes = 0;
    int dayFilePoints = 0;
    int dayPoints = 0;
    Time manualSave{-1, -1};
    Time load{-1, -1};
};

// Points for the seconds [from, to) of the history, appended as the
// charting step appends them, the labels made from start + second.
void appendStraight(Hq2Model& model, ReadingKind kind, const QDateTime& start, int64_t from, int64_t to)
{
    ChartData& temperatures = model.temperatureData();
    ChartData& voltages = model.voltageData();
    const int startSecond = QTime(0, 0).secsTo(start.time());
    for (int64_t t = from; t < to; ++t) {
        const int64_t second = (startSecond + t) % 86400;
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(second / 3600), int(second / 60 % 60),
                      int(second % 60));
        const uint32_t tl = temperatures.labels.add(QByteArrayView(text, 8));
        for (int n = 0; n < kTemperatureSeriesCount; ++n) {
            ChartSeries& s = temperatures.series[std::size_t(n)];
            s.append(double(benchTemperature(kind, n, t)), tl, s.colour);
        }
        const uint32_t vl = voltages.labels.add(QByteArrayView(text, 8));
        for (int ch = 0; ch < kVoltageSeriesCount; ++ch) {
            ChartSeries& s = voltages.series[std::size_t(ch)];
            const float volts = float(double(benchCount(kind, ch, t)) * ModuleStreamParser::kVoltsPerCount);
            s.append(double(volts), vl, s.colour);
        }
    }
}

// Module answers for the seconds [from, to), one parser call each, the
// clock moving a second a call; stepTimes gets each call's wall time and
// stepCpu its CPU time.
void feed(Hq2Model& model, ReadingKind kind, QDateTime& now, int64_t from, int64_t to,
          std::vector<double>* stepTimes = nullptr, std::vector<double>* stepCpu = nullptr)
{
    for (int64_t t = from; t < to; ++t) {
        const std::vector<uint8_t> frames = benchAnswer(kind, t);
        const auto started = Clock::now();
        const double cpu0 = cpuNow();
        model.parse(frames.data(), int(frames.size()));
        if (stepTimes && stepCpu) {
            stepCpu->push_back(cpuNow() - cpu0);
            stepTimes->push_back(millis(started));
            QCoreApplication::processEvents(); // the redraw it queued, untimed
        }
        now = now.addSecs(1);
    }
}

// Median time of a redraw of both charts over an hour from point first, or
// with a negative first over the last -first points.
Time redraw(ModuleChart* const (&charts)[2], double first, int repeats)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < repeats; ++i) {
        const auto t = Clock::now();
        const double cpu0 = cpuNow();
        for (ModuleChart* c : charts) {
            const double last = double(c->data().series[0].size() - 1);
            const double from = first < 0 ? std::max(0.0, last + 1 + first) : first;
            c->setBottomAxis({from, first < 0 ? last : std::min(last, from + 3599)});
            c->redraw(QCustomPlot::rpImmediateRefresh);
        }
        times.push_back(millis(t));
        cpu.push_back(cpuNow() - cpu0);
    }
    return {quantile(times, 0.5), quantile(cpu, 0.5)};
}

void measureDrawing(ModulePage& page, Figures& f)
{
    ModuleChart* const charts[2] = {page.chartTemp(), page.chartVolt()};
    for (ModuleChart* c : charts) {
        c->resize(1000, 640);
        c->data().settings.left.automatic = true;
    }
    QCoreApplication::processEvents();
    if (charts[0]->size() != QSize(1000, 640) || charts[1]->size() != QSize(1000, 640))
        std::fprintf(stderr, "charts drawn at %dx%d and %dx%d\n", charts[0]->width(), charts[0]->height(),
                     charts[1]->width(), charts[1]->height());
    f.fullRedraw = redraw(charts, -1e12, 7);
    f.dayRedraw = redraw(charts, -86400, 7);
    // An hour at seven places, each drawn once: its blocks are not at hand.
    std::vector<double> wall;
    std::vector<double> cpu;
    const int points = charts[0]->data().series[0].size();
    for (int k = 0; k < 7; ++k) {
        const Time t = redraw(charts, double(int64_t(points - 3600) * k / 6), 1);
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    f.hourZoom = {quantile(wall, 0.5), quantile(cpu, 0.5)};
    f.hourZoomMax = {quantile(wall, 1), quantile(cpu, 1)};
    redraw(charts, -1e12, 1); // the whole history in view again
}

// A periodic save of both charts, driven by the event loop as in the
// program; the redraws queued so far go first.
void measurePeriodicSave(ModulePage& page, const QString& folder, const QDateTime& now, Figures& f)
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    page.findChild<QCheckBox*>(QStringLiteral("CheckBox6"))->setChecked(true);
    page.findChild<QCheckBox*>(QStringLiteral("CheckBox8"))->setChecked(true);
    auto t = Clock::now();
    double cpu0 = cpuNow();
    page.model().chartSaveStep();
    f.longestStall = {millis(t), cpuNow() - cpu0};
    while (page.model().periodicSaveRunning()) {
        t = Clock::now();
        cpu0 = cpuNow();
        QCoreApplication::processEvents();
        f.longestStall = {std::max(f.longestStall.wall, millis(t)), std::max(f.longestStall.cpu, cpuNow() - cpu0)};
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
    f.dayPoints = std::min(page.model().temperatureData().series[0].size(), int(QTime(0, 0).secsTo(now.time())));
    QFile::remove(tempDay);
    QFile::remove(voltDay);
}

// The whole temperature chart saved by hand and loaded back; the page
// goes before the load measures.
void measureManualSaveLoad(std::unique_ptr<ModulePage>& page, std::unique_ptr<Hq2Model>& hq2, const QString& folder,
                           Figures& f)
{
    const QString whole = QDir(folder).filePath(QStringLiteral("whole.bin"));
    QString error;
    auto t = Clock::now();
    double cpu0 = cpuNow();
    if (!ChartFile::save(whole, hq2->temperatureData(), &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    f.manualSave = {millis(t), cpuNow() - cpu0};
    page.reset();
    hq2.reset();
    ChartData loaded = makeTemperatureChart();
    t = Clock::now();
    cpu0 = cpuNow();
    if (!ChartFile::load(whole, kTemperatureSeriesCount, loaded, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    f.load = {millis(t), cpuNow() - cpu0};
    QFile::remove(whole);
}

Figures run(ReadingKind kind, int history, const QString& folder)
{
    Figures f;
    f.kind = kind;
    f.history = history;
    PrintingReporter reporter;
    auto hq2 = std::make_unique<Hq2Model>(reporter);
    auto page = std::make_unique<ModulePage>(*hq2, reporter);
    const QDateTime end(QDate(2026, 12, 8), QTime(23, 0));
    const QDateTime start = end.addSecs(-history);
    // History seconds that come as frames: the last day's and the minute
    // before it, so that the page sees the day turn.
    const int64_t framed = std::min(history, kLastDay + 60);
    QDateTime now = end.addSecs(-framed - ModuleStreamParser::kWarmUpCalls);
    hq2->setClock([&now] { return now; });
    hq2->setChartFolder(folder);
    page->resize(1000, 1300);
    page->findChild<RadioGroup*>(QStringLiteral("RadioGroup2"))->setItemIndex(ModulePage::TempAndVolt);
    page->RadioGroup2Click();

    const double rss0 = residentMegabytes();
    appendStraight(*hq2, kind, start, 0, history - framed);
    feed(*hq2, kind, now, history - framed - ModuleStreamParser::kWarmUpCalls, history);
    const double rss1 = residentMegabytes();
    const std::size_t points = hq2->temperatureData().pointCount() + hq2->voltageData().pointCount();
    f.bytesPerPoint = double(hq2->temperatureData().memoryBytes() + hq2->voltageData().memoryBytes()) / double(points);
    f.residentPerPoint = (rss1 - rss0) * 1048576.0 / double(points);

    page->show();
    measureDrawing(*page, f);
    std::vector<double> steps;
    std::vector<double> stepCpu;
    feed(*hq2, kind, now, history, history + kLiveSteps, &steps, &stepCpu);
    f.liveStep = {quantile(steps, 0.5), quantile(stepCpu, 0.5)};
    f.liveStep99 = {quantile(steps, 0.99), quantile(stepCpu, 0.99)};
    measurePeriodicSave(*page, folder, now, f);
    if (history <= 2592000)
        measureManualSaveLoad(page, hq2, folder, f);
    return f;
}

void printHeader()
{
    std::printf("times in ms (save and load in s) as wall/CPU\n%-9s %9s %6s %6s %13s %13s %13s %13s %11s %11s %13s %7s %13s %11s %11s\n",
                "kind", "history s", "B/pt", "RSS/pt", "full", "last day", "hour zoom", "hour max", "live",
                "live 99%", "save stall", "save MB", "day file pts", "save s", "load s");
}

void print(const Figures& f)
{
    auto time = [](Time t, int digits) {
        static char text[8][32]; // one for each time of a line
        static int k = 0;
        k = (k + 1) % 8;
        std::snprintf(text[k], sizeof text[k], "%.*f/%.*f", digits, t.wall, digits, t.cpu);
        return text[k];
    };
    std::printf("%-9s %9d %6.2f %6.2f %13s %13s", kindName(f.kind), f.history, f.bytesPerPoint, f.residentPerPoint,
                time(f.fullRedraw, 1), time(f.dayRedraw, 1));
    std::printf(" %13s %13s %11s %11s %13s", time(f.hourZoom, 1), time(f.hourZoomMax, 1), time(f.liveStep, 2),
                time(f.liveStep99, 2), time(f.longestStall, 1));
    const Time saveSeconds{f.manualSave.wall / 1000, f.manualSave.cpu / 1000};
    const Time loadSeconds{f.load.wall / 1000, f.load.cpu / 1000};
    std::printf(" %7.1f %6d/%-6d %11s %11s\n", f.saveBytes / 1048576.0, f.dayFilePoints, f.dayPoints,
                time(saveSeconds, 2), time(loadSeconds, 2));
    std::fflush(stdout);
}

// Ratios to the first history of the kind, and a year stated from the
// longest one, when it is 90 days: the growth from a month to 90 days
// (a factor of three) is carried on to a year (another factor of 4.06).
void printGrowth(const std::vector<Figures>& all)
{
    const Figures& a = all.front();
    for (const Figures& f : all)
        std::printf("%s, CPU time ratios to %d s at %d s: B/pt %.2f, full redraw %.2f, last day %.2f, hour zoom %.2f, "
                    "live step %.2f, stall %.2f, periodic save bytes %.2f\n",
                    kindName(f.kind), a.history, f.history, f.bytesPerPoint / a.bytesPerPoint,
                    (f.fullRedraw / a.fullRedraw).cpu, (f.dayRedraw / a.dayRedraw).cpu,
                    (f.hourZoom / a.hourZoom).cpu, (f.liveStep / a.liveStep).cpu,
                    (f.longestStall / a.longestStall).cpu, f.saveBytes / a.saveBytes);
    const Figures& q = all.back();
    auto month = std::find_if(all.begin(), all.end(), [](const Figures& f) { return f.history == 2592000; });
    if (q.history != 7776000 || month == all.end())
        return;
    const double e = std::log(365.0 / 90.0) / std::log(3.0);
    auto year = [&](double at90, double atMonth) { return at90 * std::pow(at90 / atMonth, e); };
    const double bpt = year(q.bytesPerPoint, month->bytesPerPoint);
    std::printf("%s, a year stated from 90 days (CPU growth month -> 90 days: B/pt x%.3f, full redraw x%.2f, "
                "hour zoom x%.2f, live step x%.2f, stall x%.2f): B/pt %.2f (%.2f GB for 48 series), full redraw "
                "%.2f ms, hour zoom %.2f ms, live step %.3f ms, stall %.1f ms (CPU)\n",
                kindName(q.kind), q.bytesPerPoint / month->bytesPerPoint, (q.fullRedraw / month->fullRedraw).cpu,
                (q.hourZoom / month->hourZoom).cpu, (q.liveStep / month->liveStep).cpu,
                (q.longestStall / month->longestStall).cpu, bpt, bpt * 48 * 365 * 86400 / 1e9,
                year(q.fullRedraw.cpu, month->fullRedraw.cpu), year(q.hourZoom.cpu, month->hourZoom.cpu),
                year(q.liveStep.cpu, month->liveStep.cpu), year(q.longestStall.cpu, month->longestStall.cpu));
}

bool meetsBars(const Figures& f)
{
    bool ok = true;
    auto bar = [&ok, &f](bool holds, const char* what) {
        if (!holds) {
            std::printf("NOT MET at %s %d s: %s\n", kindName(f.kind), f.history, what);
            ok = false;
        }
    };
    if (f.kind == ReadingKind::Quantised && f.history >= 7776000)
        bar(f.bytesPerPoint <= 1.0, "<= 1.0 B/pt");
    if (f.kind == ReadingKind::Noisy && f.history >= 2592000)
        bar(f.bytesPerPoint <= 4.8, "<= 4.8 B/pt");
    // Times are judged by the GUI thread's CPU time: other work on a busy
    // machine preempts it now and then, which is not the program's cost.
    bar(f.fullRedraw.cpu <= 1.5 * f.dayRedraw.cpu, "full redraw <= 1.5 x the last day's");
    if (f.history >= 7776000)
        bar(f.fullRedraw.cpu <= 20, "full redraw <= 20 ms");
    bar(f.hourZoomMax.cpu <= 50, "zoom to an hour <= 50 ms");
    bar(f.liveStep99.cpu <= 3, "live step <= 3 ms (99th percentile)");
    bar(f.longestStall.cpu <= 50, "periodic save stall <= 50 ms");
    bar(f.manualSave.cpu <= 10000 && f.load.cpu <= 10000, "manual save and load < 10 s");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> histories;
    std::vector<ReadingKind> kinds = {ReadingKind::Quantised, ReadingKind::Noisy};
    // --smoke: the short run of the test suite only keeps the bench from
    // rotting; timings of a loaded or sanitized build are not judged there.
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--smoke")
            smoke = true;
        else if (arg == "--kind" && i + 1 < argc)
            kinds = {QByteArrayView(argv[++i]) == "noisy" ? ReadingKind::Noisy : ReadingKind::Quantised};
        else
            histories.push_back(std::max(100, std::atoi(argv[i])));
    }
    if (histories.empty())
        histories = {86400, 604800, 2592000, 7776000};
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    printHeader();
    bool ok = true;
    for (const ReadingKind kind : kinds) {
        std::vector<Figures> all;
        for (const int history : histories) {
            all.push_back(run(kind, history, dir.path()));
            print(all.back());
            ok = all.back().dayFilePoints == all.back().dayPoints && ok;
            ok = (smoke || meetsBars(all.back())) && ok;
        }
        printGrowth(all);
    }
    std::printf("quality bars: %s\n", ok ? "met" : "NOT MET");
    return ok ? 0 : 1;
}
