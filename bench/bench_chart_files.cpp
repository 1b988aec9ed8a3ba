// Manual "save" and "load" of the HQ-2 page over a long temperature chart
// (offscreen): how long each takes, the longest event-loop turn while it
// runs (what an operator would feel), and the plain file reader's time.
//
//   bench_chart_files [seconds of history]   (default 2592000: a month at 1 s)
//
// The file goes to a temporary folder and is removed at the end. Exits
// non-zero when a turn takes over 50 ms, when the load takes over 10 s or
// when the loaded chart differs from the saved one.
#include "base/Reporter.h"
#include "measure/ChartFile.h"
#include "measure/ModuleCharts.h"
#include "measure/ui/ModuleChartFiles.h"
#include "measure/ui/ModulePage.h"
#include "BenchModuleFrames.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

using namespace obr9;
using Clock = std::chrono::steady_clock;

namespace {

class PrintingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { std::fprintf(stderr, "%s\n", qPrintable(message.text)); }
};

double millis(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// One point a second per series, labelled with its time of day.
void fill(ChartData& chart, int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        const QByteArray time = QTime(0, 0).addSecs(i).toString(QStringLiteral("HH:mm:ss")).toUtf8();
        const uint32_t label = chart.labels.add(QByteArrayView(time));
        for (int k = 0; k < chart.seriesCount(); ++k) {
            ChartSeries& s = chart.series[std::size_t(k)];
            s.append(double(20.0f + float(k) + float(i % 600) * 0.01f), label, s.colour);
        }
    }
}

// Runs the event loop until the page's file job ends: total and longest turn.
void drive(ModulePage& page, double& total, double& longestTurn)
{
    const auto start = Clock::now();
    longestTurn = 0;
    while (page.chartFiles()->busy()) {
        const auto t = Clock::now();
        QCoreApplication::processEvents();
        longestTurn = std::max(longestTurn, millis(t));
    }
    total = millis(start);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2592000;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath(QStringLiteral("chart.bin"));

    PrintingReporter reporter;
    Hq2Model hq2(reporter);
    auto page = std::make_unique<ModulePage>(hq2, reporter);
    page->setFileChooser([&path](bool, const QString&) { return path; });
    page->resize(1000, 640);
    page->PageControl1Resize({1004, 670});
    page->show();
    QCoreApplication::processEvents();

    auto t = Clock::now();
    fill(page->model().temperatureData(), seconds);
    const double filled = millis(t);
    const ChartData saved = page->model().temperatureData();
    const double points = double(saved.pointCount());

    double saveTotal = 0, saveTurn = 0, loadTotal = 0, loadTurn = 0;
    page->Button2Click();
    drive(*page, saveTotal, saveTurn);
    const double megabytes = double(QFileInfo(path).size()) / 1048576.0;
    // The page still holds the whole history while the file loads, as it
    // would on the plant PC.
    page->Button4Click();
    drive(*page, loadTotal, loadTurn);
    ChartData shown = page->model().temperatureData();
    shown.settings.left = saved.settings.left; // fitted by every redraw
    const bool same = sameChart(shown, saved);
    page.reset();

    double plainLoad = 0;
    {
        ChartData loaded;
        QString error;
        t = Clock::now();
        if (!ChartFile::load(path, kTemperatureSeriesCount, loaded, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        plainLoad = millis(t);
    }
    QFile::remove(path);

    std::printf("history %d s, %.0f points, file %.0f MB (chart built in %.1f s)\n", seconds, points, megabytes,
                filled / 1000.0);
    std::printf("manual save: %.2f s, longest event-loop turn %.1f ms\n", saveTotal / 1000.0, saveTurn);
    std::printf("manual load: %.2f s, longest event-loop turn %.1f ms, chart as saved: %s\n", loadTotal / 1000.0,
                loadTurn, same ? "yes" : "NO");
    std::printf("ChartFile::load alone: %.2f s (%.1f ns a point)\n", plainLoad / 1000.0, plainLoad * 1e6 / points);
    std::printf("resident %.0f MB\n", residentMegabytes());
    const bool ok = same && saveTurn <= 50 && loadTurn <= 50 && loadTotal <= 10000;
    if (!ok)
        std::printf("FAILED a bar: turns at most 50 ms, load at most 10 s, the chart as saved\n");
    return ok ? 0 : 1;
}
