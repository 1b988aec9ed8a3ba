// The simulator's parts without a connection: cutting requests out of the
// stream, the frames it writes, its command line and its executable.
#include "TestBytes.h"
#include "sim/SimAddress.h"
#include "sim/SimCommandLine.h"
#include "sim/SimFrames.h"
#include "sim/SimRequestParser.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

using namespace obr9::sim;
using namespace std::chrono_literals;
using Kind = SimRequest::Kind;

namespace {
const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09");

QByteArray channelSettingsFrame()
{
    QByteArray frame = bytes("FF 01 01 08 02 05");
    for (int k = 0; k < 8; ++k)
        frame += QByteArray("Temp") + char('1' + k) + QByteArray(20, '\0');
    return frame;
}

struct Cut {
    QList<Kind> kinds;
    QList<QByteArray> requests;
};

Cut feedInChunks(const QByteArray& stream, int chunk)
{
    SimRequestParser parser;
    Cut cut;
    for (qsizetype pos = 0; pos < stream.size(); pos += chunk) {
        for (const SimRequest& request : parser.feed(stream.mid(pos, chunk))) {
            cut.kinds.append(request.kind);
            cut.requests.append(request.bytes);
        }
    }
    return cut;
}

SimCommandLine parse(const QString& arguments)
{
    return parseSimCommandLine(QStringList{QStringLiteral("obr9-sim")} +
                               arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}
} // namespace

class TestSimParts : public QObject {
    Q_OBJECT
private slots:
    void requestsAreCutAlikeWhateverTheReadSizes()
    {
        const QByteArray identification = kSignature + bytes("FF FE");
        const QByteArray output = bytes("FF 01 01 02 01 02");
        const QByteArray login = kSignature + bytes("FF") + "admin" + bytes("00") + "7961" + bytes("00 00");
        const QByteArray emptyLogin = kSignature + bytes("FF 00 00 00");
        const QByteArray settingsClose = bytes("FF 00");
        const QByteArray upload = bytes("FF 09 12 00 00 00 1B 01");
        const QByteArray deviceSettings = bytes("FF A7") + QByteArray(169, '\x01');
        const QByteArray stream = bytes("00 13") + identification + output + login + channelSettingsFrame() +
                                  bytes("FE 7B") + settingsClose + emptyLogin + upload + deviceSettings +
                                  identification;
        const QList<Kind> kinds{Kind::Identification, Kind::OutputCommand,  Kind::Login,
                                Kind::ChannelSettings, Kind::SettingsClose, Kind::Login,
                                Kind::UploadHeader,    Kind::DeviceSettings, Kind::Identification};

        for (int chunk : {1, 2, 3, 7, 17, 18, 64, int(stream.size())}) {
            const Cut cut = feedInChunks(stream, chunk);
            QCOMPARE(cut.kinds, kinds);
            QCOMPARE(cut.requests[2], login);
            QCOMPARE(cut.requests[3].size(), 206);
            QCOMPARE(cut.requests[5], emptyLogin);
            QCOMPARE(cut.requests[6], upload);
            QCOMPARE(cut.requests[7], deviceSettings);
        }
    }

    void falseStartsAndStrayBytesAreSkipped()
    {
        SimRequestParser parser;
        // A broken signature, the controller's own answer header, an unknown
        // FF frame and an over-long login run straight into a real request.
        const QByteArray noise = bytes("4D 5C 22 07 4D FF FE 01 FF 05 FF 01 01 07") + kSignature + bytes("FF") +
                                 QByteArray(40, 'u');
        const auto requests = parser.feed(noise + kSignature + bytes("FF FE"));
        QCOMPARE(requests.size(), size_t(1));
        QCOMPARE(requests[0].kind, Kind::Identification);
        QCOMPARE(requests[0].bytes, kSignature + bytes("FF FE"));
        QCOMPARE(parser.skippedBytes(), noise.size());
    }

    void framesWithNegativeAndFractionalValues()
    {
        std::array<int16_t, 8> raw{-100, 43, 0, -1, 300, -150, 1, 2};
        std::array<QByteArray, 8> names{"Boiler", "", "c", "d", "e", "f", "g", QByteArray(30, 'x')};
        const QByteArray frame = eightTemperaturesFrame(raw, names);
        QCOMPARE(frame.size(), 5 + 216);
        QCOMPARE(frame.left(21), bytes("FF 01 01 01 D8 FF 9C 00 2B 00 00 FF FF 01 2C FF 6A 00 01 00 02"));
        QCOMPARE(frame.mid(21, 25), QByteArray("Boiler") + QByteArray(19, '\0'));
        QCOMPARE(frame.mid(21 + 25, 25), QByteArray(25, '\0'));
        QCOMPARE(frame.right(25), QByteArray(24, 'x') + QByteArray(1, '\0'));

        QCOMPARE(temperatureHumidityFrame(45.5f, 21.25f), bytes("FF 01 01 03 08 00 00 36 42 00 00 AA 41"));
        QCOMPARE(temperatureHumidityFrame(50.0f, -10.5f), bytes("FF 01 01 03 08 00 00 48 42 00 00 28 C1"));
        QCOMPARE(voltageFrame(voltageCount(9.98)), bytes("FF 01 01 04 02 99 00"));
        QCOMPARE(voltageFrame(voltageCount(20.0)), bytes("FF 01 01 04 02 33 01"));
        QCOMPARE(inputsOutputsFrame(0x05), bytes("FF 01 01 02 01 05"));
    }

    void commandLineDefaultsAreLoopback()
    {
        const SimCommandLine line = parse(QString());
        QVERIFY(line.error.isEmpty());
        QCOMPARE(line.mode, SimCommandLine::Mode::Listen);
        QCOMPARE(line.endpoint.address, QHostAddress(QStringLiteral("127.0.0.1")));
        QCOMPARE(line.endpoint.port, quint16(8090));
        QVERIFY(!line.options.period);
        QVERIFY(!line.options.bytePerWrite && !line.options.garbage);
    }

    void commandLineRefuses_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("connect LAN") << "--connect 192.168.1.161:8090";
        QTest::newRow("connect name") << "--connect localhost:8090";
        QTest::newRow("connect IPv6 loopback") << "--connect ::1";
        QTest::newRow("connect mapped") << "--connect ::ffff:127.0.0.1";
        QTest::newRow("connect port 0") << "--connect 127.0.0.1:0";
        QTest::newRow("listen any") << "--listen 0.0.0.0";
        QTest::newRow("listen LAN") << "--listen 10.0.0.5:8090";
        QTest::newRow("listen and connect") << "--listen 127.0.0.1 --connect 127.0.0.1:9000";
        QTest::newRow("port too big") << "--port 70000";
        QTest::newRow("sensor") << "--sensor four";
        QTest::newRow("voltage interval") << "--voltage-interval 5";
        QTest::newRow("temperature interval") << "--temperature-interval 14";
        QTest::newRow("period 0") << "--period-ms 0";
        QTest::newRow("negative silence") << "--silent-after=-1";
        QTest::newRow("unknown option") << "--turbo";
    }

    void commandLineRefuses()
    {
        QFETCH(QString, arguments);
        QVERIFY(!parse(arguments).error.isEmpty());
    }

    void commandLineTakesEveryOption()
    {
        const SimCommandLine line =
            parse(QStringLiteral("--listen 127.0.0.5:9000 --port 0 --sensor th --fw-version 12 "
                                 "--voltage-interval 4 --temperature-interval 13 --period-ms 25 "
                                 "--byte-per-write --garbage --silent-after 0.25 --drop-after 3 --verbose"));
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        QCOMPARE(line.endpoint.address, QHostAddress(QStringLiteral("127.0.0.5")));
        QCOMPARE(line.endpoint.port, quint16(0));
        QCOMPARE(line.options.sensor, SensorKind::TemperatureHumidity);
        QCOMPARE(line.options.version, uint8_t(12));
        QCOMPARE(line.options.voltageIntervalIndex, uint8_t(4));
        QCOMPARE(line.options.temperatureIntervalIndex, uint8_t(13));
        QCOMPARE(line.options.period, std::optional<Milliseconds>(25ms));
        QVERIFY(line.options.bytePerWrite && line.options.garbage && line.verbose);
        QCOMPARE(line.options.silentAfter, std::optional<Milliseconds>(250ms));
        QCOMPARE(line.options.dropAfter, std::optional<Milliseconds>(3000ms));

        const SimCommandLine client = parse(QStringLiteral("--connect 127.0.0.1:8091 --fast"));
        QVERIFY(client.error.isEmpty());
        QCOMPARE(client.mode, SimCommandLine::Mode::Connect);
        QCOMPARE(client.endpoint.port, quint16(8091));
        QCOMPARE(client.options.period, std::optional<Milliseconds>(100ms));
    }

    void executablePrintsItsPortAndAnswers()
    {
        QProcess sim;
        sim.start(QStringLiteral(OBR9_SIM_EXE), {QStringLiteral("--port"), QStringLiteral("0"),
                                                 QStringLiteral("--period-ms"), QStringLiteral("20")});
        QVERIFY(sim.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
        const QString line = QString::fromLatin1(sim.readLine()).trimmed();
        const auto match = QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$")).match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const quint16 port = match.captured(1).toUShort();
        QVERIFY(port != 0);

        QTcpSocket program;
        program.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(program.waitForConnected(5000));
        program.write(kSignature + bytes("FF FE"));
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += program.readAll()).contains(bytes("FF FE 01 0A 00 02 00")), 10000);

        sim.kill();
        QVERIFY(sim.waitForFinished(5000));
    }

    void executableRefusesOutsideLoopback()
    {
        QProcess sim;
        sim.start(QStringLiteral(OBR9_SIM_EXE), {QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")});
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("127.0.0.0/8"));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimParts)
#include "test_sim_parts.moc"
