// Recording, the chart window and the channel settings dialog in the whole
// program: frames go through the receive parser as a socket read would hand
// them over, and end to end through the simulated controller on 127.0.0.1.
#include "ControllerFrames.h"
#include "ProgramFixture.h"
#include "UserInput.h"
#include "TestBytes.h"
#include "TestFiles.h"
#include "widgets/PictureBox.h"
#include "base/DisplayFormat.h"
#include "base/SettingsLocation.h"
#include "measure/ui/TForm4.h"
#include "measure/ui/TForm5.h"
#include "sim/SimController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

const QDateTime kPinned(QDate(2026, 12, 8), QTime(14, 3, 9, 250));

const QList<QByteArray> kNames = {"Boiler", "Ch1", "Out,door", "Ch3", "Ch4", "Ch5", "Ch6", "Ch7"};
const int kRaw[8] = {43, 44, -100, 0, 1, 2, 3, 500};

} // namespace

class TestRecordingWindow : public QObject {
    Q_OBJECT

    ProgramFixture app_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }

    QString memo() { return app_.memo(); }
    QByteArray file(const char* name) { return fileBytes(app_.path(QString::fromLatin1(name))); }

    // One socket read's worth of bytes through the receive parser.
    void receive(const QByteArray& data)
    {
        app_.form->link().parser().acceptRead(u8(data), int(data.size()));
    }

private slots:
    void init()
    {
        app_.start();
        app_.form->recorder().setClock([] { return kPinned; });
    }

    void cleanup() { app_.stop(); }

    void nothingIsRecordedWhileNoBoxIsTicked()
    {
        receive(dataFrame(4, bytes("99 00")) + dataFrame(2, bytes("05")));
        QVERIFY(QDir(app_.workDir->path()).entryList({"*.csv"}, QDir::Files).isEmpty());
        QCOMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        QCOMPARE(app_.form->program().recording().decimalSeparator(), QLatin1Char('.'));
    }

    void oneTickedBoxRecordsEveryKind()
    {
        control<QCheckBox>("CheckBox4")->setChecked(true); // the voltage box only
        receive(dataFrame(4, bytes("99 00")));
        receive(dataFrame(2, bytes("05")));
        receive(eightTemperatures(kRaw, kNames));
        receive(temperatureHumidity(21.25f, 45.5f));
        // Later names do not change the header of an existing file.
        receive(eightTemperatures(kRaw, {"A", "B", "C", "D", "E", "F", "G", "H"}));

        QCOMPARE(file("voltage.csv"), QByteArray("9.98304,20261208,14:3:9:250,-1\n"));
        QCOMPARE(file("IO.csv"), QByteArray("5,20261208,14:3:9:250\n"));
        // Channel 7's count of 500 is recorded as sent (250), though the
        // display repeats the previous sample.
        QCOMPARE(file("temperatures.csv"),
                 QByteArray("Boiler,Ch1,Out,door,Ch3,Ch4,Ch5,Ch6,Ch7\n"
                            "21.5,22,-50,0,0.5,1,1.5,250,20261208,14:3:9,0\n"
                            "21.5,22,-50,0,0.5,1,1.5,250,20261208,14:3:9,0\n"));
        QCOMPARE(file("tempum.csv"), QByteArray("temperature,humidity\n"
                                                "21.25,45.5,20261208,14:3:9\n"));
    }

    void intervalIndexesComeFromTheSettingsDialog()
    {
        control<QCheckBox>("CheckBox5")->setChecked(true);
        app_.form->channelSettings()->voltageIntervals()->setCurrentIndex(3);
        app_.form->channelSettings()->temperatureIntervals()->setCurrentIndex(14);
        receive(dataFrame(4, bytes("00 00")) + eightTemperatures(kRaw, kNames));
        QCOMPARE(file("voltage.csv"), QByteArray("0,20261208,14:3:9:250,3\n"));
        QVERIFY(file("temperatures.csv").endsWith(",20261208,14:3:9,14\n"));
    }

    void windowSwitchesToCommaDecimalsOnceRecordingStarts()
    {
        receive(dataFrame(4, bytes("99 00")));
        QCOMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        control<QCheckBox>("CheckBox3")->setChecked(true);
        receive(dataFrame(4, bytes("99 00")));
        QCOMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V")); // shown before the line
        receive(dataFrame(4, bytes("99 00")));
        QCOMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9,98V"));
        // For the rest of the run, even with the boxes unticked.
        control<QCheckBox>("CheckBox3")->setChecked(false);
        receive(eightTemperatures(kRaw, kNames));
        QCOMPARE(control<QLabel>("Label17")->text(), QStringLiteral(u"Boiler=21,5\u00B0C"));
        // The files keep ".".
        QCOMPARE(file("voltage.csv"), QByteArray("9.98304,20261208,14:3:9:250,-1\n"
                                                 "9.98304,20261208,14:3:9:250,-1\n"));
        // The chart scale typed with a "." before the switch still draws.
        app_.form->chartWindow()->tminBox()->setEditText(QStringLiteral("12.5"));
        receive(eightTemperatures(kRaw, kNames));
        QCOMPARE(app_.form->chartWindow()->lastGoodScale().offset, 12.5);
        QCOMPARE(app_.form->chartWindow()->temperatureScaleLabel(1)->text(), QStringLiteral(u"22,5\u00B0C"));
        QTest::qWait(10);
        QVERIFY(app_.reporter.messages.isEmpty());
    }

    void fileThatCannotBeOpenedGetsOneMemoLine()
    {
        QVERIFY(QDir(app_.workDir->path()).mkdir(QStringLiteral("IO.csv")));
        control<QCheckBox>("CheckBox5")->setChecked(true);
        receive(dataFrame(2, bytes("05")));
        receive(dataFrame(2, bytes("01")) + dataFrame(4, bytes("99 00")));
        // The frames are otherwise handled: pictures, labels, other files.
        QCOMPARE(control<PictureBox>("Image3")->pictureKey(), app_.form->pictures().inputActive.cacheKey());
        QCOMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9,98V"));
        QCOMPARE(file("voltage.csv"), QByteArray("9.98304,20261208,14:3:9:250,-1\n"));
        QCOMPARE(memo().count(QStringLiteral("BLAD_OTWARCIA_PLIKU IO.csv")), 1);
        QCOMPARE(memo().count(QStringLiteral("BLAD_OTWARCIA_PLIKU")), 1);

        // Once the file can be written again, a later failure is news again.
        QVERIFY(QDir(app_.workDir->path()).rmdir(QStringLiteral("IO.csv")));
        receive(dataFrame(2, bytes("02")));
        QCOMPARE(file("IO.csv"), QByteArray("2,20261208,14:3:9:250\n"));
        QVERIFY(QFile::remove(app_.path("IO.csv")));
        QVERIFY(QDir(app_.workDir->path()).mkdir(QStringLiteral("IO.csv")));
        receive(dataFrame(2, bytes("02")));
        QCOMPARE(memo().count(QStringLiteral("BLAD_OTWARCIA_PLIKU IO.csv")), 2);
    }

    void framesDrawTheChartWindow()
    {
        TForm4* charts = app_.form->chartWindow();
        QVERIFY(!charts->isVisible());
        for (int i = 0; i < 3; ++i)
            receive(dataFrame(4, bytes("00 00")));
        QCOMPARE(app_.form->voltageHistory().writeIndex(), 3);
        QCOMPARE(charts->voltageImage().pixel(998, 499) | 0xFF000000u, qRgb(0, 0, 0));

        // 21.5 degC on channel 0 at Tmin 10, range 50: 115 up, row 385.
        for (int i = 0; i < 3; ++i)
            receive(eightTemperatures(kRaw, kNames));
        QCOMPARE(app_.form->temperatureHistory().writeIndex(), 3);
        QCOMPARE(charts->temperatureImage().pixel(998, 385) | 0xFF000000u, qRgb(0, 0, 0));
    }

    void badRangeIsReportedOnceAndTheRingStillAdvances()
    {
        app_.form->chartWindow()->rangeBox()->setEditText(QStringLiteral("fifty"));
        for (int i = 0; i < 4; ++i)
            receive(eightTemperatures(kRaw, kNames));
        QCOMPARE(app_.form->temperatureHistory().writeIndex(), 4);
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QVERIFY(app_.reporter.messages[0].text.contains(QStringLiteral("'fifty'")));
        QCOMPARE(app_.form->temperatureHistory().sample(0, 3), 43);
        // Every frame still draws, with the last good scale.
        QCOMPARE(app_.form->chartWindow()->temperatureImage().pixel(998, 385) | 0xFF000000u,
                 qRgb(0, 0, 0));
        QTest::qWait(10);
        QCOMPARE(app_.reporter.messages.size(), 1);
    }

    void kindChangesRelabelTheChartWindow()
    {
        receive(temperatureHumidity(21.25f, 45.5f));
        TForm4* charts = app_.form->chartWindow();
        QCOMPARE(charts->kindLabel()->text(), QStringLiteral("Temp / Hum"));
        QCOMPARE(charts->temperatureScaleLabel(0)->text(), QStringLiteral(u"10\u00B0C / 0%"));
        QCOMPARE(charts->temperatureScaleLabel(5)->text(), QStringLiteral(u"60\u00B0C / 100%"));
        // Humidity 45.5 % in half units (91): trunc(45.5 * 5) = 227 up, row 274.
        receive(temperatureHumidity(21.25f, 45.5f));
        QCOMPARE(charts->temperatureImage().pixel(999, 274) | 0xFF000000u, qRgb(255, 0, 0));

        receive(eightTemperatures(kRaw, kNames));
        QCOMPARE(charts->kindLabel()->text(), QStringLiteral("Temperature"));
        QCOMPARE(charts->temperatureScaleLabel(5)->text(), QStringLiteral(u"60\u00B0C"));
    }

    void chartsButtonShowsTheLabelledWindow()
    {
        receive(eightTemperatures(kRaw, kNames));
        app_.form->channelSettings()->voltageIntervals()->setCurrentIndex(3); // 1/2s
        app_.form->channelSettings()->temperatureIntervals()->setCurrentIndex(10); // 1/1h
        user::click(control<QPushButton>("Button12"));
        TForm4* charts = app_.form->chartWindow();
        QVERIFY(charts->isVisible());
        QCOMPARE(charts->channelBox(0)->text(), QStringLiteral("Boiler"));
        QCOMPARE(charts->channelBox(2)->text(), QStringLiteral("Out,door"));
        QCOMPARE(charts->voltageTimeLabel(0)->text(), QStringLiteral("-2000sek"));
        QCOMPARE(charts->voltageTimeLabel(5)->text(), QStringLiteral("0sek"));
        QCOMPARE(charts->temperatureTimeLabel(0)->text(), QStringLiteral("-1000h"));
        QCOMPARE(charts->temperatureTimeLabel(3)->text(), QStringLiteral("-400h"));
    }

    void settingsButtonAndSaveWithoutALink()
    {
        user::click(control<QPushButton>("Button13"));
        TForm5* dialog = app_.form->channelSettings();
        QVERIFY(dialog->isVisible());
        app_.form->voltageHistory().advance();
        user::click(dialog->findChild<QPushButton*>("Button1"));
        QVERIFY(memo().endsWith(QStringLiteral(u"brak po\u0142\u0105czenia")));
        QCOMPARE(app_.form->voltageHistory().writeIndex(), 1); // nothing else changes
        QVERIFY(dialog->isVisible());
        user::click(dialog->findChild<QPushButton*>("Button2"));
        QVERIFY(!dialog->isVisible());
    }

    void saveSendsTheFrameAndTheSimulatorAdoptsIt()
    {
        sim::SimOptions options;
        options.period = sim::Milliseconds{40};
        options.voltageIntervalIndex = 2;
        options.temperatureIntervalIndex = 0;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        QSignalSpy requests(&controller, &sim::SimController::requestReceived);

        control<QComboBox>("HostIP")->setEditText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>("EditPort")->setText(QString::number(controller.serverPort()));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QTRY_VERIFY(app_.form->link().deviceAnswered());
        QTRY_VERIFY(control<QLabel>("Label17")->text().startsWith(QStringLiteral("Boiler=")));
        TForm5* dialog = app_.form->channelSettings();
        QCOMPARE(dialog->voltageIntervals()->currentIndex(), 2);
        QCOMPARE(dialog->nameField(0)->text(), QStringLiteral("Boiler"));

        user::click(control<QPushButton>("Button13"));
        QVERIFY(dialog->isVisible());
        dialog->nameField(0)->setText(QStringLiteral("Kessel"));
        dialog->nameField(4)->setText(QStringLiteral(u"Pok\u00F3j"));
        dialog->nameField(7)->clear();
        dialog->voltageIntervals()->setCurrentIndex(1);
        dialog->temperatureIntervals()->setCurrentIndex(1);
        for (int i = 0; i < 5; ++i)
            app_.form->voltageHistory().advance();
        const float boiler = app_.form->deviceState().lastTemperatures[0];
        requests.clear();
        dialog->Button1Click(); // no events in between: the ring restart is seen as it is

        // At once: the rings restart (both choices changed) and the labels
        // read name=value without a unit.
        QCOMPARE(app_.form->voltageHistory().writeIndex(), 0);
        QVERIFY(!app_.form->voltageHistory().wrapped());
        QCOMPARE(control<QLabel>("Label17")->text(),
                 QStringLiteral("Kessel=") +
                     DisplayFormat(app_.form->program().recording().decimalSeparator()).general(boiler));
        QCOMPARE(control<QLabel>("Label40")->text().left(1), QStringLiteral("="));

        QByteArray expected = bytes("FF 01 01 08 01 01");
        const QList<QByteArray> names = {"Kessel", "Return", "Outdoor", "Living room",
                                         "Pok\xF3j", "Floor", "Flue gas", ""};
        for (const QByteArray& name : names)
            expected += name + QByteArray(25 - name.size(), '\0');
        QTRY_VERIFY(!requests.isEmpty());
        QCOMPARE(requests.first().first().toByteArray(), expected);

        // The controller's next eight-temperature frame carries the names.
        QTRY_VERIFY(control<QLabel>("Label17")->text().startsWith(QStringLiteral(u"Kessel=")) &&
                    control<QLabel>("Label17")->text().endsWith(QStringLiteral(u"\u00B0C")));
        QCOMPARE(control<QLabel>("Label37")->text().left(6), QStringLiteral(u"Pok\u00F3j="));
        QVERIFY(control<QLabel>("Label40")->text().startsWith(QStringLiteral(u"=")));
        QCOMPARE(app_.form->chartWindow()->channelBox(0)->text().left(7), QStringLiteral("Kessel="));
        QCOMPARE(app_.form->deviceState().channelNames[4], QByteArray("Pok\xF3j"));

        // Its identification answer reports the adopted intervals.
        dialog->voltageIntervals()->setCurrentIndex(4);
        app_.form->Button10Click();
        QTRY_COMPARE(dialog->voltageIntervals()->currentIndex(), 1);
        QCOMPARE(dialog->temperatureIntervals()->currentIndex(), 1);
        QCOMPARE(controller.options().voltageIntervalIndex, uint8_t(1));
        QVERIFY(!memo().contains(QStringLiteral(u"brak po\u0142\u0105czenia")));
    }
};

QTEST_MAIN(TestRecordingWindow)
#include "test_recording_window.moc"
