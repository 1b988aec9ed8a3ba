// Recording lines and files, checked as literal text with a pinned clock.
#include "TestFiles.h"
#include "measure/CsvRecorder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

const QDateTime kDecember(QDate(2026, 12, 8), QTime(14, 3, 9, 250));
const QDateTime kJanuary(QDate(2027, 1, 3), QTime(9, 5, 7, 25));

std::array<QByteArray, 8> names(std::initializer_list<const char*> list)
{
    std::array<QByteArray, 8> out;
    size_t k = 0;
    for (const char* name : list)
        out[k++] = name;
    return out;
}

const std::array<QByteArray, 8> kNames =
    names({"Boiler", "Return", "Out,door", "Living room", "Hot water", "Floor", "Flue", "Tank"});

} // namespace

class TestCsvRecorder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<CsvRecorder> recorder_;
    int clockReads_ = 0;
    QDateTime now_ = kDecember;

    QByteArray file(const char* name) { return fileBytes(dir_.filePath(QString::fromLatin1(name))); }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile::remove(dir_.filePath(name));
            QDir(dir_.filePath(name)).removeRecursively();
        }
        clockReads_ = 0;
        now_ = kDecember;
        recorder_ = std::make_unique<CsvRecorder>(dir_.path(), [this] {
            ++clockReads_;
            return now_;
        });
    }

    void linesOfTheFourKinds()
    {
        const float eight[8] = {21.5f, 22, -0.5f, 23, 24.5f, 20, 19.5f, 18};
        QCOMPARE(CsvRecorder::line(eight, RecordKind::EightTemperatures, kDecember, 2, 0),
                 QByteArray("21.5,22,-0.5,23,24.5,20,19.5,18,20261208,14:3:9,0\n"));
        const float th[2] = {23.4f, 45.1f};
        QCOMPARE(CsvRecorder::line(th, RecordKind::TemperatureHumidity, kDecember, 2, 0), QByteArray("23.4,45.1,20261208,14:3:9\n"));
        const float volts = 12.34f;
        QCOMPARE(CsvRecorder::line(&volts, RecordKind::Voltage, kDecember, 2, 0),
                 QByteArray("12.34,20261208,14:3:9:250,2\n"));
        const float status = 5;
        QCOMPARE(CsvRecorder::line(&status, RecordKind::InputsOutputs, kDecember, 2, 0), QByteArray("5,20261208,14:3:9:250\n"));
        QVERIFY(CsvRecorder::line(&status, RecordKind(4), kDecember, 2, 0).isEmpty());
    }

    void dateIsPaddedAndTimeIsNot()
    {
        const float status = 255;
        QCOMPARE(CsvRecorder::line(&status, RecordKind::InputsOutputs, kJanuary, 0, 0), QByteArray("255,20270103,9:5:7:25\n"));
        const float th[2] = {0, 100};
        QCOMPARE(CsvRecorder::line(th, RecordKind::TemperatureHumidity, QDateTime(QDate(2027, 10, 30), QTime(0, 0, 0, 0)), 0, 0),
                 QByteArray("0,100,20271030,0:0:0\n"));
    }

    void numbersInTheClassicShortForm_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("half") << 23.5f << QByteArray("23.5");
        QTest::newRow("whole") << 100.0f << QByteArray("100");
        QTest::newRow("negative") << -0.5f << QByteArray("-0.5");
        QTest::newRow("seven digits") << 1234567.0f << QByteArray("1.23457e+06");
        QTest::newRow("volts") << float(153 / 15.326L) << QByteArray("9.98304");
        QTest::newRow("small") << 0.0001f << QByteArray("0.0001");
        QTest::newRow("smaller") << 0.00001f << QByteArray("1e-05");
        QTest::newRow("float noise hidden") << 23.7f << QByteArray("23.7");
    }

    void numbersInTheClassicShortForm()
    {
        QFETCH(float, value);
        QFETCH(QByteArray, text);
        QCOMPARE(CsvRecorder::line(&value, RecordKind::InputsOutputs, kDecember, 0, 0), text + ",20261208,14:3:9:250\n");
    }

    void voltageLineWithNoIntervalChosen()
    {
        const float volts = 0;
        QCOMPARE(CsvRecorder::line(&volts, RecordKind::Voltage, kDecember, -1, 3), QByteArray("0,20261208,14:3:9:250,-1\n"));
    }

    void headerOnlyWhenTheFileIsCreated()
    {
        float eight[8] = {21.5f, 22, -0.5f, 23, 24.5f, 20, 19.5f, 18};
        QVERIFY(recorder_->append(eight, RecordKind::EightTemperatures, -1, 0, kNames).written);
        now_ = kJanuary;
        eight[0] = 250; // recorded before any range test
        QVERIFY(recorder_->append(eight, RecordKind::EightTemperatures, -1, 5, names({"A", "B"})).written);
        QCOMPARE(file("temperatures.csv"),
                 QByteArray("Boiler,Return,Out,door,Living room,Hot water,Floor,Flue,Tank\n"
                            "21.5,22,-0.5,23,24.5,20,19.5,18,20261208,14:3:9,0\n"
                            "250,22,-0.5,23,24.5,20,19.5,18,20270103,9:5:7,5\n"));
        QCOMPARE(clockReads_, 2);
    }

    void temperatureAndHumidityHeader()
    {
        const float th[2] = {21.25f, 45.5f};
        recorder_->append(th, RecordKind::TemperatureHumidity, 0, 0, kNames);
        recorder_->append(th, RecordKind::TemperatureHumidity, 0, 0, kNames);
        QCOMPARE(file("tempum.csv"), QByteArray("temperature,humidity\n"
                                                "21.25,45.5,20261208,14:3:9\n"
                                                "21.25,45.5,20261208,14:3:9\n"));
    }

    void voltageAndInputsHaveNoHeader()
    {
        const float volts = 12.5f;
        const float status = 5;
        recorder_->append(&volts, RecordKind::Voltage, -1, 0, kNames);
        recorder_->append(&status, RecordKind::InputsOutputs, -1, 0, kNames);
        QCOMPARE(file("voltage.csv"), QByteArray("12.5,20261208,14:3:9:250,-1\n"));
        QCOMPARE(file("IO.csv"), QByteArray("5,20261208,14:3:9:250\n"));
    }

    void anExistingFileOnlyGrows()
    {
        QVERIFY(writeBytes(dir_.filePath("temperatures.csv"), "old header\nold line\n"));
        const float eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        recorder_->append(eight, RecordKind::EightTemperatures, 0, 1, kNames);
        QCOMPARE(file("temperatures.csv"),
                 QByteArray("old header\nold line\n1,2,3,4,5,6,7,8,20261208,14:3:9,1\n"));
    }

    void unknownKindWritesNothing()
    {
        const float value = 1;
        const CsvRecorder::Result result = recorder_->append(&value, RecordKind(7), 0, 0, kNames);
        QVERIFY(!result.written);
        QVERIFY(result.failedFile.isEmpty());
        QVERIFY(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
    }

    void aFileThatCannotBeOpenedIsNamed()
    {
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("IO.csv")));
        const float status = 1;
        const CsvRecorder::Result result = recorder_->append(&status, RecordKind::InputsOutputs, 0, 0, kNames);
        QVERIFY(!result.written);
        QCOMPARE(result.failedFile, dir_.filePath("IO.csv"));
        // The other files are not affected.
        const float volts = 1;
        QVERIFY(recorder_->append(&volts, RecordKind::Voltage, 0, 0, kNames).written);
    }

    void emptyDirectoryMeansTheWorkingFolder()
    {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        CsvRecorder recorder({}, [] { return kDecember; });
        const float status = 9;
        QCOMPARE(recorder.filePath(RecordKind::InputsOutputs), QStringLiteral("IO.csv"));
        QVERIFY(recorder.append(&status, RecordKind::InputsOutputs, 0, 0, kNames).written);
        QDir::setCurrent(previous);
        QCOMPARE(file("IO.csv"), QByteArray("9,20261208,14:3:9:250\n"));
    }
};

QTEST_GUILESS_MAIN(TestCsvRecorder)
#include "test_csv_recorder.moc"
