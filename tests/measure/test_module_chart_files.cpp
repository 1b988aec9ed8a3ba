// "save" and "load" of the HQ-2 page with histories long enough to take a
// while: progress, a window that keeps turning, Cancel, all-or-nothing
// loads and a window closed in the middle of a job.

#include "base/Reporter.h"
#include "measure/ChartFile.h"
#include "measure/ModuleCharts.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModuleChartFiles.h"
#include "measure/ui/ModulePage.h"
#include "TestFiles.h"
#include "UserInput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace obr9;

namespace {

class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { messages << message; }
    QList<OperatorMessage> messages;
};

constexpr int kLongPoints = 10000;      // per series: a save of many 1 ms turns
constexpr int kLargeFilePoints = 40000; // per series: a load of some 50 ms at full speed

// n points a series as the charting step adds them, plus what only a loaded
// file brings: a value a float cannot hold and a point of another colour.
void fill(ChartData& chart, int n, double offset = 0)
{
    for (int i = 0; i < n; ++i) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        const uint32_t label = chart.labels.add(QByteArrayView(time));
        for (int k = 0; k < chart.seriesCount(); ++k) {
            ChartSeries& s = chart.series[std::size_t(k)];
            const double y = double(20.0f + float(k) + float(i % 600) * 0.01f) + offset;
            s.append(k == 5 && i == n / 2 ? 0.1 : y, label, k == 7 && i % 1000 == 3 ? kMissingSensorColour : s.colour);
        }
    }
}

// Turns of the event loop seen by a 5 ms timer while a job runs.
struct LoopWatch {
    QTimer timer;
    QElapsedTimer since;
    int ticks = 0;
    qint64 longestGap = 0;

    LoopWatch()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longestGap = std::max(longestGap, since.restart());
            ++ticks;
        });
        since.start();
        timer.start();
    }
};

// sameChart, saying where two charts part. An automatic left axis is
// fitted to the points by every redraw, so its range is not compared.
bool same(const ChartData& a, const ChartData& shown)
{
    ChartData b = shown;
    if (a.settings.left.automatic && b.settings.left.automatic)
        b.settings.left = a.settings.left;
    if (sameChart(a, b))
        return true;
    if (!(a.settings == b.settings))
        qWarning("settings differ: bottom %g..%g/%g..%g left %g..%g/%g..%g auto %d/%d", a.settings.bottom.minimum,
                 a.settings.bottom.maximum, b.settings.bottom.minimum, b.settings.bottom.maximum,
                 a.settings.left.minimum, a.settings.left.maximum, b.settings.left.minimum, b.settings.left.maximum,
                 a.settings.left.automatic, b.settings.left.automatic);
    for (std::size_t k = 0; k < std::min(a.series.size(), b.series.size()); ++k) {
        ChartData x, y;
        x.series = {a.series[k]};
        x.labels = a.labels;
        y.series = {b.series[k]};
        y.labels = b.labels;
        if (!sameChart(x, y))
            qWarning("series %d differs: %d/%d points", int(k), a.series[k].size(), b.series[k].size());
    }
    return false;
}

} // namespace

class TestModuleChartFiles : public QObject {
    Q_OBJECT

    CollectingReporter reporter_;
    std::unique_ptr<Hq2Model> hq2_;
    std::unique_ptr<ModulePage> page_;
    QTemporaryDir dir_;
    QString chosen_;  // what the file dialog answers
    int asked_ = 0;   // how often it was opened
    QString largeFile_;

    QPushButton* button(const char* name) { return page_->findChild<QPushButton*>(QString::fromLatin1(name)); }
    ModuleChartFiles* files() { return page_->chartFiles(); }

    void press(const char* name)
    {
        QPushButton* b = button(name);
        user::showTabOf(b);
        QVERIFY(b->isVisible());
        user::click(b);
    }

    // Turns the loop until the progress dialog is up, a few ms at a time.
    QProgressDialog* waitForProgress()
    {
        QElapsedTimer t;
        t.start();
        while (files()->busy() && t.elapsed() < 5000) {
            if (QProgressDialog* d = files()->progressDialog(); d && d->isVisible())
                return d;
            QTest::qWait(1);
        }
        return nullptr;
    }

    void clickCancel(QProgressDialog* dialog)
    {
        auto* cancel = dialog->findChild<QPushButton*>();
        QVERIFY(cancel && cancel->isVisible());
        user::click(cancel);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        ChartData large = makeTemperatureChart();
        fill(large, kLargeFilePoints, 100);
        largeFile_ = dir_.filePath("large.bin");
        QString error;
        QVERIFY2(ChartFile::save(largeFile_, large, &error), qPrintable(error));
    }

    void init()
    {
        reporter_.messages.clear();
        asked_ = 0;
        hq2_ = std::make_unique<Hq2Model>(reporter_);
        page_ = std::make_unique<ModulePage>(*hq2_, reporter_);
        page_->setFileChooser([this](bool, const QString&) {
            ++asked_;
            return chosen_;
        });
        page_->resize(1000, 640);
        page_->PageControl1Resize({1004, 670});
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        files()->setTurnBudget(1); // many turns out of a modest chart
    }
    void cleanup()
    {
        page_.reset();
        hq2_.reset();
    }

    void longJobsShowProgressWhileTheWindowTurns()
    {
        files()->setProgressDelay(0);
        fill(hq2_->temperatureData(), kLongPoints);
        const ChartData atClick = hq2_->temperatureData();
        chosen_ = dir_.filePath("long.bin");
        {
            LoopWatch watch;
            press("Button2");
            QVERIFY(files()->busy());
            QVERIFY(!button("Button2")->isEnabled() && !button("Button4")->isEnabled());
            // Points that arrive meanwhile are the chart's, not the file's.
            fill(hq2_->temperatureData(), 10, 50);
            QVERIFY(waitForProgress());
            user::click(button("Button4")); // disabled: nothing is asked
            QTRY_VERIFY_WITH_TIMEOUT(!files()->busy(), 20000);
            QCOMPARE(asked_, 1);
            QVERIFY(watch.ticks >= 2);
            QVERIFY2(watch.longestGap < 250, qPrintable(QString::number(watch.longestGap)));
        }
        QVERIFY(!files()->progressDialog());
        QVERIFY(button("Button2")->isEnabled() && button("Button4")->isEnabled());
        QVERIFY2(reporter_.messages.isEmpty(), qPrintable(reporter_.messages.value(0).text));

        {
            LoopWatch watch;
            press("Button4");
            QVERIFY(waitForProgress());
            QTRY_VERIFY_WITH_TIMEOUT(!files()->busy(), 20000);
            QVERIFY(watch.ticks >= 2);
            QVERIFY2(watch.longestGap < 250, qPrintable(QString::number(watch.longestGap)));
        }
        QVERIFY2(reporter_.messages.isEmpty(), qPrintable(reporter_.messages.value(0).text));
        QVERIFY(same(hq2_->temperatureData(), atClick));
        QVERIFY(hq2_->temperatureData().series[5].storesDoubles());
    }

    void shortJobsNeverShowProgress()
    {
        fill(hq2_->temperatureData(), 50);
        chosen_ = dir_.filePath("short.bin");
        int shown = 0;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] { shown += files()->progressDialog() != nullptr; });
        look.start(1);
        press("Button2");
        QTRY_VERIFY(!files()->busy());
        press("Button4");
        QTRY_VERIFY(!files()->busy());
        QCOMPARE(shown, 0);
        QVERIFY(reporter_.messages.isEmpty());
    }

    void cancelKeepsThePreviousFileAndTheChart()
    {
        files()->setProgressDelay(0);
        chosen_ = dir_.filePath("kept.bin");
        QVERIFY(writeBytes(chosen_, QByteArray("the previous file")));
        fill(hq2_->temperatureData(), kLongPoints);
        press("Button2");
        QProgressDialog* saving = waitForProgress();
        QVERIFY(saving);
        clickCancel(saving);
        QVERIFY(!files()->busy());
        QCOMPARE(fileBytes(chosen_), QByteArray("the previous file"));
        QTRY_VERIFY(!files()->progressDialog());
        QCOMPARE(QDir(dir_.path()).entryList({"kept*"}, QDir::Files), QStringList{"kept.bin"});

        const ChartData before = hq2_->temperatureData();
        chosen_ = largeFile_;
        press("Button4");
        QProgressDialog* loading = waitForProgress();
        QVERIFY(loading);
        clickCancel(loading);
        QVERIFY(!files()->busy());
        QTest::qWait(20);
        QVERIFY(same(hq2_->temperatureData(), before));
        QVERIFY(reporter_.messages.isEmpty());
        QVERIFY(button("Button4")->isEnabled());
    }

    void refusedFilesLeaveTheChartExactlyAsItWas()
    {
        fill(hq2_->temperatureData(), 300);
        const ChartData before = hq2_->temperatureData();
        ChartData other = makeTemperatureChart();
        fill(other, 3000, 7);
        const QString good = dir_.filePath("good.bin");
        QVERIFY(ChartFile::save(good, other));
        const QByteArray whole = fileBytes(good);
        const QString cut = dir_.filePath("cut.bin");
        const QString longer = dir_.filePath("longer.bin");
        const QString wrongPoints = dir_.filePath("flags.bin");
        QVERIFY(writeBytes(cut, whole.left(whole.size() - 3))); // the last point's label is cut
        QVERIFY(writeBytes(longer, whole + QByteArray(1, '\0')));
        QByteArray flags = whole;
        const qsizetype settingsEnd = 8 + qsizetype(uint8_t(whole[4]) | uint8_t(whole[5]) << 8);
        flags[settingsEnd] = char(0x08); // an unknown point flag in the first series
        QVERIFY(writeBytes(wrongPoints, flags));

        for (const QString& path : {cut, longer, wrongPoints}) {
            chosen_ = path;
            press("Button4");
            QTRY_VERIFY_WITH_TIMEOUT(!files()->busy(), 20000);
            QCOMPARE(reporter_.messages.size(), 1);
            QCOMPARE(reporter_.messages[0].caption, QStringLiteral("Chart file"));
            reporter_.messages.clear();
            QVERIFY(same(hq2_->temperatureData(), before));
        }

        chosen_ = good;
        press("Button4");
        QTRY_VERIFY_WITH_TIMEOUT(!files()->busy(), 20000);
        QVERIFY(same(hq2_->temperatureData(), other));
        QCOMPARE(page_->chartTemp()->seriesPlottable(0) != nullptr, true);
    }

    void closingTheWindowFinishesASaveAndDropsALoad()
    {
        files()->setProgressDelay(0);
        fill(hq2_->temperatureData(), kLongPoints);
        const ChartData atClick = hq2_->temperatureData();
        chosen_ = dir_.filePath("closing.bin");
        press("Button2");
        QVERIFY(waitForProgress());
        page_.reset();
        ChartData saved;
        QString error;
        QVERIFY2(ChartFile::load(chosen_, kTemperatureSeriesCount, saved, &error), qPrintable(error));
        QVERIFY(same(saved, atClick));

        init();
        files()->setProgressDelay(0);
        chosen_ = largeFile_;
        press("Button4");
        QVERIFY(waitForProgress());
        page_.reset(); // the worker is stopped and joined
        QVERIFY(reporter_.messages.isEmpty());
    }
};

QTEST_MAIN(TestModuleChartFiles)
#include "test_module_chart_files.moc"
