// The HQ-2 page on its own: table rules, zoom and auto-pan, the series
// lists, display choice and layout, chart files and the settings keys.

#include "base/IniFile.h"
#include "base/Reporter.h"
#include "base/SettingsKeys.h"
#include "measure/ChartFile.h"
#include "measure/ui/ChartSeriesPlottable.h"
#include "measure/ui/ChartZoom.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModuleChartFiles.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/ModuleReadingTexts.h"
#include "measure/ModuleCharts.h"
#include "measure/ChartFile.h"
#include "widgets/RadioGroup.h"
#include "measure/ui/TemperatureTable.h"
#include "protocol/Checksums.h"
#include "base/DisplayFormat.h"
#include "UserInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QAbstractItemView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <memory>

using namespace obr9;
using T = TemperatureTable;

namespace {

class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { messages << message; }
    QList<OperatorMessage> messages;
};

QByteArray channelFrame(int channel, float internal, float external, uint16_t count)
{
    uint8_t f[20] = {uint8_t(channel), 0, 0, 2};
    std::memcpy(f + 4, &internal, 4);
    std::memcpy(f + 8, &external, 4);
    f[12] = uint8_t(count);
    f[13] = uint8_t(count >> 8);
    const uint16_t crc = Crc16Modbus(f, 0, 18);
    f[18] = uint8_t(crc);
    f[19] = uint8_t(crc >> 8);
    return QByteArray(reinterpret_cast<const char*>(f), 20);
}

} // namespace

class TestModulePage : public QObject {
    Q_OBJECT

    CollectingReporter reporter_;
    std::unique_ptr<Hq2Model> hq2_;
    std::unique_ptr<ModulePage> page_;
    QDateTime now_;
    QString chosen_; // what the file dialog answers

    template <typename W>
    W* control(const char* name)
    {
        W* w = page_->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    void feed(const QByteArray& bytes)
    {
        hq2_->parse(reinterpret_cast<const uint8_t*>(bytes.constData()), int(bytes.size()));
    }
    // count parser calls without bytes, step ms apart.
    void polls(int count, int step = 1000)
    {
        for (int i = 0; i < count; ++i) {
            now_ = now_.addMSecs(step);
            hq2_->parse(nullptr, 0);
        }
    }

    // A button of the page as the operator reaches it: its tab first.
    void press(const char* name)
    {
        auto* button = control<QPushButton>(name);
        user::showTabOf(button);
        QVERIFY(button->isVisible());
        user::click(button);
    }

    // An item of a closed list: opened with a click, chosen with the keys.
    void pick(QComboBox* box, int row)
    {
        user::showTabOf(box);
        user::click(box);
        QTRY_VERIFY(box->view()->isVisible());
        QTest::keyClick(box->view(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(box->view(), Qt::Key_Down);
        QTest::keyClick(box->view(), Qt::Key_Return);
        QTRY_VERIFY(!box->view()->isVisible());
        QCOMPARE(box->currentIndex(), row);
    }

private slots:
    void init()
    {
        reporter_.messages.clear();
        hq2_ = std::make_unique<Hq2Model>(reporter_);
        page_ = std::make_unique<ModulePage>(*hq2_, reporter_);
        now_ = QDateTime(QDate(2026, 12, 8), QTime(14, 3, 9));
        hq2_->setClock([this] { return now_; });
        page_->setFileChooser([this](bool, const QString&) { return chosen_; });
        page_->resize(1000, 640);
        page_->PageControl1Resize({1004, 670});
        page_->show();
    }
    void cleanup()
    {
        page_.reset();
        hq2_.reset();
    }

    // The page's texts of a reading: the table's names (a blank one gives
    // the default back), "N/A" for a missing sensor, grouped thousands, the
    // decimal comma.
    void readingTextsUseTheNamesOfTheTable()
    {
        ModuleChannelNames names;
        names.setName(3, QStringLiteral("Boiler"));
        names.setName(16 + 3, QStringLiteral("Boiler out"));
        const ModuleChannelReading missing{3, -5.0f, -900.0f, 0.0f, true};
        ModuleReadingTexts t = ModuleReadingTexts::of(missing, names, DisplayFormat());
        QCOMPARE(t.internalLabel, QStringLiteral("Boiler = -5.00"));
        QCOMPARE(t.externalLabel, QStringLiteral("Boiler out = N/A"));
        QCOMPARE(t.external, QStringLiteral("N/A"));
        names.setName(3, QStringLiteral("  "));
        QCOMPARE(ModuleReadingTexts::of(missing, names, DisplayFormat()).internalLabel, QStringLiteral("intTemp3 = -5.00"));

        const ModuleChannelReading large{15, 1234.5f, -0.004f, float(65535 * 0.065316786414108423744), false};
        t = ModuleReadingTexts::of(large, names, DisplayFormat());
        QCOMPARE(t.internal, QStringLiteral("1,234.50"));
        QCOMPARE(t.external, QStringLiteral("0.00"));
        QCOMPARE(t.volts, QStringLiteral("4,280.54"));

        const DisplayFormat comma(QLatin1Char(','));
        QCOMPARE(ModuleReadingTexts::of(large, names, comma).internal,
                 QString(QStringLiteral("1") + QChar(0xA0) + "234,50"));
        QCOMPARE(ModuleReadingTexts::value(-1234567.0f, comma),
                 QString(QStringLiteral("-1") + QChar(0xA0) + "234" + QChar(0xA0) + "567,00"));
    }

    void tableColouringAndEditRules()
    {
        T* t = page_->table();
        QCOMPARE(t->cellText(1, 0), QStringLiteral("Name INT"));
        QCOMPARE(t->cellText(10, 0), QStringLiteral("Voltage"));
        QCOMPARE(t->columnWidth(0), 25);
        QCOMPARE(t->columnWidth(9), 110);
        QCOMPARE(t->cellText(0, 16), QStringLiteral("16"));

        for (int row : {1, 16}) {
            feed(channelFrame(row - 1, 31.5f, 99.0f, 200));
            QCOMPARE(t->cellText(T::TempInt, row), QStringLiteral("31.50"));
            t->setCellText(T::MaxInt, row, QStringLiteral("30"));
            t->setCellText(T::MinInt, row, QStringLiteral("10"));
            QCOMPARE(t->cellBackground(T::TempInt, row), T::kAboveColour);
            t->setCellText(T::MinInt, row, QStringLiteral("35"));
            QCOMPARE(t->cellBackground(T::TempInt, row), T::kBelowColour); // below wins
            t->setCellText(T::MinInt, row, QString());
            t->setCellText(T::MaxInt, row, QStringLiteral("40"));
            QVERIFY(!t->cellBackground(T::TempInt, row).isValid());
            // External temperatures are not compared with their limits.
            t->setCellText(T::MaxExt, row, QStringLiteral("50"));
            QVERIFY(!t->cellBackground(T::TempExt, row).isValid());
        }
        QCOMPARE(t->cellTextColour(T::MaxExt, 4), T::kAboveColour);
        QCOMPARE(t->cellTextColour(T::MinInt, 4), T::kBelowColour);

        // The parser groups thousands; the comparison still sees the number.
        feed(channelFrame(2, 1234.5f, -900.0f, 200));
        QCOMPARE(t->cellText(T::TempInt, 3), QStringLiteral("1,234.50"));
        QCOMPARE(t->cellText(T::TempExt, 3), QStringLiteral("N/A"));
        t->setCellText(T::MaxInt, 3, QStringLiteral("1000"));
        QVERIFY(t->cellBackground(T::TempInt, 3) == T::kAboveColour);

        // Operator edits go through the item, as the editor commits them.
        t->item(0, T::MaxInt)->setText(QStringLiteral("3x"));
        QCOMPARE(t->cellText(T::MaxInt, 1), QString());
        t->item(0, T::MinExt)->setText(QStringLiteral(" -5.5 "));
        QCOMPARE(t->cellText(T::MinExt, 1), QStringLiteral("-5.5"));
        QVERIFY(!(t->item(0, T::TempInt)->flags() & Qt::ItemIsEditable));
        QVERIFY(!(t->item(0, T::Voltage)->flags() & Qt::ItemIsEditable));
        t->StringGrid1SetEditText(T::TempInt, 1, QStringLiteral("12"));
        QCOMPARE(t->cellText(T::TempInt, 1), QString());

        // With "," decimals a "." limit is no number.
        page_->setDecimalSeparator(QLatin1Char(','));
        t->item(1, T::MaxInt)->setText(QStringLiteral("30.5"));
        QCOMPARE(t->cellText(T::MaxInt, 2), QString());
        t->item(1, T::MaxInt)->setText(QStringLiteral("30,5"));
        QCOMPARE(t->cellText(T::MaxInt, 2), QStringLiteral("30,5"));
        page_->setDecimalSeparator(QLatin1Char('.'));
    }

    void namesReachSeriesListsAndLabels()
    {
        T* t = page_->table();
        t->item(2, T::NameExt)->setText(QStringLiteral("Boiler out"));
        QCOMPARE(hq2_->temperatureData().series[5].name, QStringLiteral("Boiler out"));
        QCOMPARE(page_->chartTemp()->seriesPlottable(5)->name(), QStringLiteral("Boiler out"));
        QCOMPARE(control<QListWidget>("CheckListBox1")->item(5)->text(), QStringLiteral("Boiler out"));
        t->item(0, T::NameVolt)->setText(QStringLiteral("Supply"));
        QCOMPARE(hq2_->voltageData().series[0].name, QStringLiteral("Supply"));
        QCOMPARE(control<QListWidget>("CheckListBox2")->item(0)->text(), QStringLiteral("Supply"));

        feed(channelFrame(2, 21.5f, 22.25f, 153));
        QCOMPARE(control<QLabel>("Label8")->text(), QStringLiteral("intTemp2 = 21.50"));
        QCOMPARE(control<QLabel>("Label9")->text(), QStringLiteral("Boiler out = 22.25"));
        QCOMPARE(t->cellText(T::Voltage, 3), QStringLiteral("9.99"));
        // A name emptied falls back to its default rather than " = 21.50".
        t->item(2, T::NameInt)->setText(QString());
        feed(channelFrame(2, 21.5f, -900.0f, 153));
        QCOMPARE(control<QLabel>("Label8")->text(), QStringLiteral("intTemp2 = 21.50"));
        QCOMPARE(control<QLabel>("Label9")->text(), QStringLiteral("Boiler out = N/A"));
    }

    void statisticsLabels()
    {
        feed(QByteArray(1, '\x55') + channelFrame(0, 20.0f, 21.0f, 100));
        QCOMPARE(control<QLabel>("Label12")->text(), QStringLiteral("21"));
        QCOMPARE(control<QLabel>("Label29")->text(), QStringLiteral("odrzuty:1, 4%"));
        QCOMPARE(control<QLabel>("Label74")->text(), QStringLiteral("odebrane:21"));
        QCOMPARE(control<QLabel>("Label28")->text(), QStringLiteral("suma ok"));
        feed(QByteArray(20, '\x01'));
        QCOMPARE(control<QLabel>("Label28")->text(), QStringLiteral("suma zla"));
    }

    void zoomArithmetic()
    {
        ChartZoom::Axis a{0, 100};
        a = ChartZoom::zoom(a, true);
        QCOMPARE(a.maximum, double(float(100 * 0.714285714285714331)));
        QCOMPARE(ChartZoom::panSpan(a), 71);
        a = ChartZoom::zoom(a, false);
        QCOMPARE(a.maximum, 100.0);
        QCOMPARE(ChartZoom::panSpan(a), 100);
        QCOMPARE(ChartZoom::zoom({5, 5}, false).maximum, 5.0); // a zero span stays zero

        // The view follows the newest point only while it is not behind it.
        const ChartZoom::Axis ahead = ChartZoom::autoPan({600, 700}, 499, 100);
        QCOMPARE(ahead.minimum, 399.0);
        QCOMPARE(ahead.maximum, 700.0);
    }

    void autoPanAndZoomButtons()
    {
        polls(3);
        QCOMPARE(hq2_->temperatureData().pointCount(), size_t(0)); // warm-up
        polls(500);
        QCOMPARE(hq2_->temperatureData().series[0].size(), 500);
        QCOMPARE(page_->chartTemp()->bottomAxis().minimum, 399.0);
        QCOMPARE(page_->chartTemp()->bottomAxis().maximum, 499.0);
        QCOMPARE(page_->chartVolt()->bottomAxis().minimum, 399.0);
        // The file keeps what the screen shows.
        QCOMPARE(hq2_->temperatureData().settings.bottom.minimum, 399.0);

        press("Button8"); // "+" on the chart named by GroupBox8: temperatures
        QCOMPARE(page_->temperatureSpan(), 71);
        QCOMPARE(page_->voltageSpan(), 100);
        polls(1);
        QCOMPARE(page_->chartTemp()->bottomAxis().minimum, 500.0 - 71);
        QCOMPARE(page_->chartTemp()->bottomAxis().maximum, 500.0);
        press("Button7");
        QCOMPARE(page_->temperatureSpan(), 99); // 71 x 7/5, truncated

        control<QCheckBox>("CheckBox10")->setChecked(false);
        const ChartZoom::Axis before = page_->chartTemp()->bottomAxis();
        polls(5);
        QCOMPARE(page_->chartTemp()->bottomAxis().minimum, before.minimum);
        QCOMPARE(page_->chartTemp()->bottomAxis().maximum, before.maximum);
    }

    void rangeChoice()
    {
        auto* range = control<QComboBox>("ComboBox1");
        QCOMPARE(range->currentText(), QStringLiteral("Auto"));
        QVERIFY(page_->chartTemp()->leftAutomatic());
        pick(range, 3); // "50"
        QVERIFY(!page_->chartTemp()->leftAutomatic());
        QVERIFY(!page_->chartVolt()->leftAutomatic());
        const ChartZoom::Axis left = page_->chartVolt()->leftAxis();
        QCOMPARE(left.maximum - left.minimum, 50.0);
        pick(range, 7);
        QVERIFY(page_->chartTemp()->leftAutomatic() && page_->chartVolt()->leftAutomatic());
        // Automatic: the axis fits the points in view.
        feed(channelFrame(0, 80.0f, 81.0f, 100));
        polls(4);
        QVERIFY(page_->chartTemp()->leftAxis().maximum >= 81.0);
    }

    void soloModeAndTicks()
    {
        auto* list = control<QListWidget>("CheckListBox1");
        ModuleChart* chart = page_->chartTemp();
        list->item(7)->setCheckState(Qt::Unchecked);
        QVERIFY(!chart->seriesVisible(7));
        user::showTabOf(list);
        QVERIFY(list->isVisible());
        const QPoint third = list->visualItemRect(list->item(3)).center();
        user::doubleClick(list->viewport(), third);
        for (int k = 0; k < 32; ++k)
            QCOMPARE(chart->seriesVisible(k), k == 3);
        QCOMPARE(list->item(5)->checkState(), Qt::Checked); // ticks untouched
        QCOMPARE(page_->soloMemory(1), 3);
        user::doubleClick(list->viewport(), third);
        for (int k = 0; k < 32; ++k)
            QCOMPARE(chart->seriesVisible(k), k != 7);
        QCOMPARE(page_->soloMemory(1), ModulePage::kSoloNone);
        // The legend lists what is shown.
        QCOMPARE(chart->legend->itemCount(), 31);
    }

    void displayChoiceLayoutAndTable()
    {
        auto* display = control<RadioGroup>("RadioGroup2");
        user::click(display->item(1));
        QVERIFY(page_->chartVolt()->isVisible());
        QVERIFY(!page_->chartTemp()->isVisible());
        QVERIFY(!control<QListWidget>("CheckListBox2")->isHidden());
        QVERIFY(control<QListWidget>("CheckListBox1")->isHidden());
        QVERIFY(!control<QCheckBox>("CheckBox8")->isHidden());
        QVERIFY(control<QCheckBox>("CheckBox6")->isHidden());
        QCOMPARE(control<QGroupBox>("GroupBox8")->title(), QStringLiteral("voltages"));
        press("Button8"); // acts on the voltages now
        QCOMPARE(page_->voltageSpan(), 71);
        QCOMPARE(page_->temperatureSpan(), 100);
        QCOMPARE(page_->chartVolt()->y(), 0);

        user::click(display->item(2));
        page_->PageControl1Resize({800, 501});
        QCOMPARE(page_->chartTemp()->height(), 220);
        QCOMPARE(page_->chartVolt()->height(), 220);
        QCOMPARE(page_->chartVolt()->y(), 220);
        QCOMPARE(page_->chartTemp()->width(), 650);
        QVERIFY(page_->chartTemp()->isVisible() && page_->chartVolt()->isVisible());
        QCOMPARE(control<QGroupBox>("GroupBox8")->title(), QStringLiteral("temperatures"));
        page_->PageControl1Resize({900, 600});
        QCOMPARE(page_->chartTemp()->height(), 270);

        auto* speed = control<QToolButton>("SpeedButton1");
        QCOMPARE(speed->text(), QStringLiteral("Table"));
        user::click(speed);
        QCOMPARE(speed->text(), QStringLiteral("Chart"));
        QVERIFY(page_->table()->isVisible());
        QVERIFY(!page_->chartTemp()->isVisible() && !page_->chartVolt()->isVisible());
        QVERIFY(!control<QTabWidget>("PageControl2")->isVisible());
        user::click(speed);
        QVERIFY(!page_->table()->isVisible());
        QVERIFY(page_->chartTemp()->isVisible() && page_->chartVolt()->isVisible());
    }

    void threeDViewLeavesTheDataAlone()
    {
        feed(channelFrame(0, 20.0f, 25.0f, 100));
        polls(40);
        const ChartData before = hq2_->temperatureData();
        QCoreApplication::processEvents(); // the queued replot
        const QImage flat = page_->chartTemp()->grab().toImage();
        control<QCheckBox>("CheckBox9")->setChecked(true);
        QCoreApplication::processEvents();
        QVERIFY(hq2_->temperatureData().settings.view3D);
        QVERIFY(hq2_->voltageData().settings.view3D);
        const QImage deep = page_->chartTemp()->grab().toImage();
        QVERIFY(flat != deep);
        ChartData after = hq2_->temperatureData();
        after.settings.view3D = false;
        QVERIFY(sameChart(before, after));
    }

    void chartFilesSaveAndLoad()
    {
        QTemporaryDir dir;
        feed(channelFrame(1, 20.5f, -900.0f, 200));
        polls(13);
        control<QListWidget>("CheckListBox1")->item(4)->setCheckState(Qt::Unchecked);
        const ChartData saved = hq2_->temperatureData();

        chosen_ = dir.filePath("temps.bin");
        press("Button2");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        QCOMPARE(hq2_->chartFileName(), chosen_);
        QFile file(chosen_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4), QByteArray("\x60\x30\x20\x01", 4));
        file.close();

        polls(7);
        control<QListWidget>("CheckListBox1")->item(4)->setCheckState(Qt::Checked);
        press("Button4");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        QVERIFY2(reporter_.messages.isEmpty(), qPrintable(reporter_.messages.value(0).text));
        QVERIFY(sameChart(hq2_->temperatureData(), saved));
        QCOMPARE(control<QListWidget>("CheckListBox1")->item(4)->checkState(), Qt::Unchecked);
        polls(1); // the parser goes on after the loaded points
        QCOMPARE(hq2_->temperatureData().series[0].size(), saved.series[0].size() + 1);

        // The voltage chart's file, offered to the temperature chart.
        user::click(control<RadioGroup>("RadioGroup2")->item(1));
        chosen_ = dir.filePath("volts.bin");
        press("Button2");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        user::click(control<RadioGroup>("RadioGroup2")->item(0));
        const ChartData current = hq2_->temperatureData();
        press("Button4");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        QCOMPARE(reporter_.messages.size(), 1);
        QVERIFY(reporter_.messages[0].text.contains(QStringLiteral("16 series")));
        QVERIFY(sameChart(hq2_->temperatureData(), current));
        QCOMPARE(hq2_->temperatureData().seriesCount(), 32);

        // A truncated file is refused as well; a cancel changes nothing.
        QFile::copy(dir.filePath("temps.bin"), dir.filePath("short.bin"));
        QFile::resize(dir.filePath("short.bin"), 300);
        chosen_ = dir.filePath("short.bin");
        press("Button4");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        QCOMPARE(reporter_.messages.size(), 2);
        QVERIFY(sameChart(hq2_->temperatureData(), current));
        chosen_.clear();
        press("Button4");
        QTRY_VERIFY(!page_->chartFiles()->busy());
        QCOMPARE(hq2_->chartFileName(), dir.filePath("short.bin"));
    }

    void periodicSavesWithAPinnedClock()
    {
        QTemporaryDir dir;
        hq2_->setChartFolder(dir.path());
        const QString temps = dir.filePath("2026-12-08Temp.bin");
        const QString volts = dir.filePath("2026-12-08Volt.bin");
        hq2_->chartSaveStep();
        QVERIFY(!QFile::exists(temps));

        control<QCheckBox>("CheckBox6")->setChecked(true);
        hq2_->chartSaveStep(); // the first tick after ticking saves
        QTRY_VERIFY(QFile::exists(temps));
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        QVERIFY(!QFile::exists(volts));
        QCOMPARE(hq2_->chartFileName(), QStringLiteral("2026-12-08Temp.bin"));
        QFile::remove(temps);
        for (int tick = 2; tick <= 600; ++tick)
            hq2_->chartSaveStep();
        QVERIFY(!QFile::exists(temps));
        hq2_->chartSaveStep(); // tick 601
        QTRY_VERIFY(QFile::exists(temps));
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        QFile::remove(temps);

        // Unticking restarts the count: the next tick saves at once.
        hq2_->chartSaveStep();
        control<QCheckBox>("CheckBox6")->setChecked(false);
        hq2_->chartSaveStep();
        control<QCheckBox>("CheckBox6")->setChecked(true);
        control<QCheckBox>("CheckBox8")->setChecked(true);
        hq2_->chartSaveStep();
        QTRY_VERIFY(QFile::exists(temps));
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        QTRY_VERIFY(QFile::exists(volts));
        QCOMPARE(hq2_->chartFileName(), QStringLiteral("2026-12-08Volt.bin"));

        // A folder that cannot be written: reported, and tried again 600 ticks on.
        control<QCheckBox>("CheckBox6")->setChecked(false);
        control<QCheckBox>("CheckBox8")->setChecked(false);
        hq2_->chartSaveStep();
        hq2_->setChartFolder(dir.filePath("missing/folder"));
        control<QCheckBox>("CheckBox6")->setChecked(true);
        hq2_->chartSaveStep();
        QCOMPARE(reporter_.messages.size(), 1);
        hq2_->chartSaveStep();
        QCOMPARE(reporter_.messages.size(), 1);
    }

    void periodicFileOfADayHoldsOnlyThatDay()
    {
        QTemporaryDir dir;
        hq2_->setChartFolder(dir.path());
        now_ = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 0));
        control<QCheckBox>("CheckBox8")->setChecked(true);
        polls(3);
        polls(50, 1000); // points up to 23:59:5x
        const int before = hq2_->voltageData().series[0].size();
        hq2_->chartSaveStep();
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        polls(30, 1000); // over midnight
        const int after = hq2_->voltageData().series[0].size();
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        for (int tick = 1; tick < ModulePage::kSavePeriodTicks; ++tick)
            hq2_->chartSaveStep();
        hq2_->chartSaveStep(); // the next turn, on the new day
        QTRY_VERIFY(!hq2_->periodicSaveRunning());
        QVERIFY(reporter_.messages.isEmpty());

        // The old day's file was completed up to its last point; the new
        // day's file starts at the first point after midnight.
        ChartData oldDay = makeVoltageChart();
        ChartData newDay = makeVoltageChart();
        QString error;
        QVERIFY2(ChartFile::load(dir.filePath("2026-12-08Volt.bin"), 16, oldDay, &error), qPrintable(error));
        QVERIFY2(ChartFile::load(dir.filePath("2026-12-09Volt.bin"), 16, newDay, &error), qPrintable(error));
        const ChartData& all = hq2_->voltageData();
        QVERIFY(oldDay.series[0].size() > before);
        QCOMPARE(oldDay.series[0].size() + newDay.series[0].size(), after);
        QVERIFY(all.labels.text(all.series[0].label(oldDay.series[0].size() - 1)).startsWith(QStringLiteral("23:59")));
        QVERIFY(newDay.labels.text(newDay.series[0].label(0)).startsWith(QStringLiteral("00:00")));
        for (int k = 0; k < 16; ++k) {
            const ChartSeries& s = all.series[std::size_t(k)];
            const ChartSeries& n = newDay.series[std::size_t(k)];
            QCOMPARE(n.size(), newDay.series[0].size());
            for (int i = 0; i < n.size(); ++i) {
                const int j = oldDay.series[0].size() + i;
                QCOMPARE(n.y(i), s.y(j));
                QCOMPARE(newDay.labels.text(n.label(i)), all.labels.text(s.label(j)));
                QCOMPARE(n.pointColour(i), s.pointColour(j));
            }
        }
    }

    void fastPollsChartAtThePeriod()
    {
        polls(3);
        // One minute of 20 ms polls, as on the relay page.
        polls(3000, 20);
        QCOMPARE(hq2_->voltageData().series[0].size(), 60);
        auto* period = control<RadioGroup>("RadioGroupPeriod")->item(1);
        QVERIFY2(period->isVisible() && period->height() > 10,
                 qPrintable(QStringLiteral("%1 x %2").arg(period->width()).arg(period->height())));
        user::click(period);
        QCOMPARE(page_->periodChoice(), 1);
        polls(3000, 20);
        QCOMPARE(hq2_->voltageData().series[0].size(), 66);
        // Polls at exactly the period chart each time.
        polls(4, 10000);
        QCOMPARE(hq2_->voltageData().series[0].size(), 70);
    }

    void settingsKeysRoundTrip()
    {
        SettingsKeyTable keys;
        page_->bindSettings(keys);
        IniFile ini;
        const QString s(settingsSection);
        ini.writeString(s, QStringLiteral("name9"), QStringLiteral("Oven"));
        ini.writeString(s, QStringLiteral("name40"), QStringLiteral("Outside"));
        ini.writeString(s, QStringLiteral("name56"), QStringLiteral("Battery"));
        ini.writeString(s, QStringLiteral("TINTmax3"), QStringLiteral("45"));
        ini.writeString(s, QStringLiteral("TEXTmin15"), QStringLiteral("cold"));
        ini.writeString(s, QStringLiteral("chan5"), QStringLiteral("1"));
        ini.writeString(s, QStringLiteral("chanV2"), QStringLiteral("1"));
        ini.writeString(s, QStringLiteral("3DView"), QStringLiteral("1"));
        ini.writeString(s, QStringLiteral("AutoPan"), QStringLiteral("0"));
        ini.writeString(s, QStringLiteral("recordVoltages"), QStringLiteral("1"));
        ini.writeString(s, QStringLiteral("VTSwitch"), QStringLiteral("temp&volt"));
        ini.writeString(s, QStringLiteral("period"), QStringLiteral("60"));
        ini.writeString(s, QStringLiteral("Range"), QStringLiteral("2"));
        int interval = 0;
        connect(hq2_.get(), &Hq2Model::chartingPeriodChanged, this, [&](int ms) { interval = ms; });
        QVERIFY(keys.load(ini, true).isEmpty());
        page_->afterSettingsLoaded();

        T* t = page_->table();
        QCOMPARE(t->cellText(T::NameInt, 1), QStringLiteral("Oven"));
        QCOMPARE(hq2_->temperatureData().series[0].name, QStringLiteral("Oven"));
        QCOMPARE(hq2_->temperatureData().series[31].name, QStringLiteral("Outside"));
        QCOMPARE(hq2_->voltageData().series[15].name, QStringLiteral("Battery"));
        QCOMPARE(t->cellText(T::MaxInt, 4), QStringLiteral("45"));
        QCOMPARE(t->cellText(T::MinExt, 16), QString());
        QVERIFY(page_->chartTemp()->seriesVisible(5));
        QVERIFY(!page_->chartTemp()->seriesVisible(4));
        QVERIFY(page_->chartVolt()->seriesVisible(2) && !page_->chartVolt()->seriesVisible(3));
        QVERIFY(control<QCheckBox>("CheckBox9")->isChecked() && hq2_->temperatureData().settings.view3D);
        QVERIFY(!control<QCheckBox>("CheckBox10")->isChecked());
        QVERIFY(control<QCheckBox>("CheckBox8")->isChecked());
        QCOMPARE(page_->displayChoice(), int(ModulePage::TempAndVolt));
        QVERIFY(page_->chartVolt()->isVisible());
        QCOMPARE(page_->periodChoice(), 2);
        QCOMPARE(interval, 60000);
        QCOMPARE(control<QComboBox>("ComboBox1")->currentIndex(), 7); // "Range" is not read

        IniFile out;
        keys.save(out);
        QCOMPARE(out.readString(s, QStringLiteral("name9"), {}), QStringLiteral("Oven"));
        QCOMPARE(out.readString(s, QStringLiteral("name56"), {}), QStringLiteral("Battery"));
        // A key missing from an existing file reads as "0", as every text key.
        QCOMPARE(out.readString(s, QStringLiteral("name41"), {}), QStringLiteral("0"));
        QCOMPARE(out.readString(s, QStringLiteral("TINTmax3"), {}), QStringLiteral("45"));
        QCOMPARE(out.readString(s, QStringLiteral("chan5"), {}), QStringLiteral("1"));
        QCOMPARE(out.readString(s, QStringLiteral("chan4"), {}), QStringLiteral("0"));
        QCOMPARE(out.readString(s, QStringLiteral("VTSwitch"), {}), QStringLiteral("temp&volt"));
        QCOMPARE(out.readString(s, QStringLiteral("period"), {}), QStringLiteral("60"));
        QCOMPARE(out.readString(s, QStringLiteral("3DView"), {}), QStringLiteral("1"));
        QCOMPARE(out.readString(s, QStringLiteral("AutoPan"), {}), QStringLiteral("0"));
        QCOMPARE(out.readString(s, QStringLiteral("Range"), {}), QStringLiteral("7"));

        // Without a file: default names, every series shown, period unchanged.
        init();
        SettingsKeyTable fresh;
        page_->bindSettings(fresh);
        QVERIFY(fresh.load(IniFile(), false).isEmpty());
        page_->afterSettingsLoaded();
        QCOMPARE(page_->table()->cellText(T::NameExt, 16), QStringLiteral("extTemp15"));
        QCOMPARE(page_->table()->cellText(T::NameVolt, 1), QStringLiteral("Voltage0"));
        for (int k = 0; k < 32; ++k)
            QVERIFY(page_->chartTemp()->seriesVisible(k));
        QCOMPARE(page_->periodChoice(), 0);
    }

    void screenshot()
    {
        const QByteArray dir = qgetenv("OBR9_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set OBR9_SCREENSHOT_DIR to keep pictures of the page");
        for (int ch = 0; ch < 16; ++ch)
            feed(channelFrame(ch, 20.0f + float(ch), ch % 5 == 2 ? -900.0f : 15.0f + float(ch), uint16_t(180 + ch)));
        polls(3);
        for (int i = 0; i < 150; ++i) {
            for (int ch = 0; ch < 16; ++ch)
                feed(channelFrame(ch, 20.0f + float(ch) + float(i % 40) * 0.1f,
                                  ch % 5 == 2 ? -900.0f : 15.0f + float(ch) - float(i % 30) * 0.1f,
                                  uint16_t(180 + ch * 3 + i % 7)));
            polls(1);
        }
        page_->table()->setCellText(T::MaxInt, 3, QStringLiteral("21"));
        page_->table()->setCellText(T::MinInt, 5, QStringLiteral("30"));
        QCoreApplication::processEvents();
        const QString base = QString::fromLocal8Bit(dir) + "/hq2-";
        QVERIFY(page_->grab().save(base + "temperatures.png"));
        control<QTabWidget>("PageControl2")->setCurrentIndex(2);
        user::click(control<RadioGroup>("RadioGroup2")->item(2));
        control<QCheckBox>("CheckBox9")->setChecked(true);
        QCoreApplication::processEvents();
        QVERIFY(page_->grab().save(base + "both-3d.png"));
        control<QTabWidget>("PageControl2")->setCurrentIndex(0);
        QVERIFY(page_->grab().save(base + "show.png"));
        user::click(control<QToolButton>("SpeedButton1"));
        QVERIFY(page_->grab().save(base + "table.png"));
    }
};

QTEST_MAIN(TestModulePage)
#include "test_module_page.moc"
