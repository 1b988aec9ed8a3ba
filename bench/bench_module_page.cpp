// The HQ-2 page with a day of history (offscreen):
//
//   1. 86 400 parser calls at 1 s, each with the module's sixteen frames,
//      onto both charts; resident memory growth per stored point.
//   2. With "Temp&Volt" shown and auto-pan on: one parser call that adds 48
//      points, then both charts redrawn (the visible window of 100 points).
//   3. Full-range redraw of both charts (every point of the day in view).
//
//   bench_module_page [calls in part 2 = 300] [seconds of history = 86400]
//
// Times are wall and, after the slash, the GUI thread's CPU time, which
// other work on a busy machine disturbs far less.

#include "base/Reporter.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModulePage.h"
#include "widgets/RadioGroup.h"
#include "BenchModuleFrames.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace obr9;
using Clock = std::chrono::steady_clock;

namespace {

class SilentReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(message.text));
    }
};

double millis(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    const int history = argc > 2 ? std::max(100, std::atoi(argv[2])) : 86400;

    SilentReporter reporter;
    Hq2Model hq2(reporter);
    ModulePage page(hq2, reporter);
    QDateTime now(QDate(2026, 12, 8), QTime(0, 0));
    page.model().setClock([&now] { return now; });
    page.resize(1000, 640);
    page.PageControl1Resize({1004, 670});
    page.findChild<RadioGroup*>(QStringLiteral("RadioGroup2"))->setItemIndex(ModulePage::TempAndVolt);
    page.RadioGroup2Click();

    // 1. The day, with the page hidden so that only the storage works.
    const double rss0 = residentMegabytes();
    const auto dayStart = Clock::now();
    for (int call = 0; call < history + ModuleStreamParser::kWarmUpCalls; ++call) {
        const std::vector<uint8_t> frames = moduleAnswer(call);
        page.model().parse(frames.data(), int(frames.size()));
        now = now.addSecs(1);
    }
    const double rss1 = residentMegabytes();
    const std::size_t points = page.model().temperatureData().pointCount() + page.model().voltageData().pointCount();
    std::printf("%d s of history at 1 s: %zu points in %.1f s; resident growth %.1f MB = %.1f bytes per point\n", history, points,
                millis(dayStart) / 1000.0, rss1 - rss0, (rss1 - rss0) * 1048576.0 / double(points));

    page.show();
    QCoreApplication::processEvents();
    ModuleChart* charts[2] = {page.chartTemp(), page.chartVolt()};

    // 2. Parser call plus redraw of the visible window.
    std::vector<double> step;
    std::vector<double> stepCpu;
    for (int i = 0; i < calls; ++i) {
        const std::vector<uint8_t> frames = moduleAnswer(history + i);
        now = now.addSecs(1);
        const auto t = Clock::now();
        const double cpu0 = cpuNow();
        page.model().parse(frames.data(), int(frames.size()));
        for (ModuleChart* c : charts)
            c->replot(QCustomPlot::rpImmediateRefresh);
        step.push_back(millis(t));
        stepCpu.push_back(cpuNow() - cpu0);
    }
    std::printf("parser call (16 frames, 48 points) + redraw of both charts' window of %g points: "
                "median %.2f/%.2f ms, max %.2f/%.2f ms (%d calls)\n",
                charts[0]->bottomAxis().maximum - charts[0]->bottomAxis().minimum, median(step), median(stepCpu),
                *std::max_element(step.begin(), step.end()), *std::max_element(stepCpu.begin(), stepCpu.end()),
                calls);

    // 3. Everything in view.
    std::vector<double> full;
    std::vector<double> fullCpu;
    for (int i = 0; i < 15; ++i) {
        const auto t = Clock::now();
        const double cpu0 = cpuNow();
        for (ModuleChart* c : charts) {
            c->setBottomAxis({0, double(c->data().series[0].size() - 1)});
            c->redraw(QCustomPlot::rpImmediateRefresh);
        }
        full.push_back(millis(t));
        fullCpu.push_back(cpuNow() - cpu0);
    }
    std::printf("full-range redraw of both charts (%d points per series, left axis automatic): median %.1f/%.1f ms, "
                "max %.1f/%.1f ms\n",
                page.model().temperatureData().series[0].size(), median(full), median(fullCpu),
                *std::max_element(full.begin(), full.end()), *std::max_element(fullCpu.begin(), fullCpu.end()));
    return 0;
}
