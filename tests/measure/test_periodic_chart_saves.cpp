// The periodic chart files without any window: the schedule asks only its
// record callbacks, its clock and the chart data.
#include "base/Reporter.h"
#include "measure/ChartFile.h"
#include "measure/ModuleCharts.h"
#include "measure/PeriodicChartSaves.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

class Messages : public Reporter {
public:
    void report(const OperatorMessage& m) override { texts << m.text; }
    QStringList texts;
};

} // namespace

class TestPeriodicChartSaves : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Messages messages_;
    ChartData temperatures_ = makeTemperatureChart();
    ChartData voltages_ = makeVoltageChart();
    bool recordTemperatures_ = false;
    bool recordVoltages_ = false;
    QDateTime now_{QDate(2026, 12, 8), QTime(23, 59, 50)};
    QStringList named_;
    std::unique_ptr<PeriodicChartSaves> saves_;

    // One charting step: every voltage series gets a point labelled now.
    void addVoltagePoint(double value)
    {
        const uint32_t label = voltages_.labels.addText(now_.time().toString(QStringLiteral("HH:mm:ss")));
        for (ChartSeries& s : voltages_.series)
            s.append(value, label, 0xFF000000u);
        for (ChartSeries& s : temperatures_.series)
            s.append(value, label, 0xFF000000u);
        saves_->pointsAdded();
    }

    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    int voltagePointsIn(const QString& file)
    {
        ChartData loaded = makeVoltageChart();
        QString error;
        if (!ChartFile::load(file, 16, loaded, &error))
            return -1;
        return loaded.series[0].size();
    }

private slots:
    void init()
    {
        temperatures_.clearPoints();
        voltages_.clearPoints();
        messages_.texts.clear();
        named_.clear();
        recordTemperatures_ = recordVoltages_ = false;
        now_ = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 50));
        for (const char* name : {"2026-12-08Volt.bin", "2026-12-09Volt.bin", "2026-12-08Temp.bin"})
            QFile::remove(path(name));
        saves_ = std::make_unique<PeriodicChartSaves>(
            messages_, temperatures_, [this] { return recordTemperatures_; }, voltages_,
            [this] { return recordVoltages_; });
        saves_->setClock([this] { return now_; });
        saves_->setFolder(dir_.path());
        saves_->fileNamed = [this](const QString& name) { named_ << name; };
    }

    // Midnight passes while the box is unticked: the closing day gets no
    // file, and the new day's file, once ticked, holds only the new day.
    void dayTurnedWhileNotRecording()
    {
        addVoltagePoint(1);
        addVoltagePoint(2);
        now_ = now_.addSecs(20); // 00:00:10
        addVoltagePoint(3);
        QVERIFY(!saves_->running());
        QVERIFY(!QFile::exists(path("2026-12-08Volt.bin")));

        recordVoltages_ = true;
        saves_->step();
        QCOMPARE(named_, QStringList{QStringLiteral("2026-12-09Volt.bin")});
        QTRY_VERIFY(!saves_->running());
        QCOMPARE(voltagePointsIn(path("2026-12-09Volt.bin")), 1);
        QVERIFY(!QFile::exists(path("2026-12-08Volt.bin")));
        QVERIFY(!QFile::exists(path("2026-12-08Temp.bin")));
        QVERIFY(messages_.texts.isEmpty());
    }

    // Recording over midnight: the old day's file is written once more up
    // to its last point, the new one starts after it.
    void dayTurnedWhileRecording()
    {
        recordVoltages_ = true;
        addVoltagePoint(1);
        saves_->step();
        QTRY_VERIFY(!saves_->running());
        QCOMPARE(voltagePointsIn(path("2026-12-08Volt.bin")), 1);
        addVoltagePoint(2);
        now_ = now_.addSecs(20);
        addVoltagePoint(3);
        QTRY_VERIFY(!saves_->running());
        QCOMPARE(voltagePointsIn(path("2026-12-08Volt.bin")), 2);
        for (int tick = 1; tick <= PeriodicChartSaves::kSavePeriodTicks; ++tick)
            saves_->step();
        QTRY_VERIFY(!saves_->running());
        QCOMPARE(voltagePointsIn(path("2026-12-09Volt.bin")), 1);
    }

    // Replaced points (a loaded file) drop the running save: the file on
    // disk stays as it was, and the chart's day begins at its first point.
    void replacedChartDropsItsSave()
    {
        recordVoltages_ = true;
        for (int i = 0; i < 3; ++i)
            addVoltagePoint(i);
        saves_->step();
        QVERIFY(saves_->running());
        saves_->chartReplaced((*saves_)[1]);
        QVERIFY(!saves_->running());
        QTest::qWait(20);
        QVERIFY(!QFile::exists(path("2026-12-08Volt.bin")));
        QCOMPARE((*saves_)[1].dayFirsts, std::vector<int>(16, 0));
        QCOMPARE((*saves_)[1].day, now_.date());
    }
};

QTEST_GUILESS_MAIN(TestPeriodicChartSaves)
#include "test_periodic_chart_saves.moc"
