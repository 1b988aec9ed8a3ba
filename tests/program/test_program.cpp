// The whole program without a window: a controller played on 127.0.0.1 (or
// a module on a pseudo-terminal) sends frames, the program decodes, records
// and answers as it does under its windows.
#include "program/Program.h"

#include "base/DisplayFormat.h"
#include "measure/ChartFile.h"
#include "measure/ModuleCharts.h"
#include "protocol/Checksums.h"

#include "ControllerFrames.h"
#include "PtyPair.h"
#include "TestBytes.h"
#include "devconfig/SettingsBytes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace obr9;

namespace {

const QByteArray kIdentificationRequest =
    bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09 FF FE");
const QByteArray kIdentificationAnswer = bytes("FF FE 01 0A 00 02 03"); // v10, intervals 2 and 3
const QDateTime kPinned(QDate(2026, 12, 8), QTime(14, 3, 9, 250));

// One end of a TCP connection the test holds, read while the program's
// event loop keeps running.
QByteArray readExactly(QTcpSocket& socket, int count)
{
    QByteArray data;
    QDeadlineTimer deadline(5000);
    while (data.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        socket.waitForReadyRead(10);
        data += socket.read(count - data.size());
    }
    return data;
}

std::unique_ptr<QTcpSocket> accept(QTcpServer& server)
{
    QDeadlineTimer deadline(5000);
    while (!server.hasPendingConnections() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        server.waitForNewConnection(10);
    }
    return std::unique_ptr<QTcpSocket>(server.nextPendingConnection());
}

QByteArray floatBytes(float value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), 4); // little-endian machine
}

// A 20-byte module bus frame: bytes 0..17 and their CRC-16/MODBUS, low byte first.
QByteArray withModbusCrc(const QByteArray& body)
{
    const uint16_t crc = Crc16Modbus(reinterpret_cast<const uint8_t*>(body.constData()), 0, 18);
    return body + char(crc & 0xFF) + char(crc >> 8);
}

void send(QTcpSocket& socket, const QByteArray& data)
{
    socket.write(data);
    socket.flush();
}

// Nothing more arrives within ms; the program's loop keeps running.
bool staysQuiet(QTcpSocket& socket, int ms)
{
    QTest::qWait(ms);
    return socket.bytesAvailable() == 0;
}

struct Messages : Reporter {
    void report(const OperatorMessage& message) override { list << message; }
    QList<OperatorMessage> list;
};

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Program> program_;
    QStringList memo_;
    Messages messages_;

    // "connect" ticked on the given controller's port.
    std::unique_ptr<QTcpSocket> connectTo(QTcpServer& controller)
    {
        program_->link().setTcpPort(QString::number(controller.serverPort()));
        program_->CheckBoxConnectClick(true);
        auto socket = accept(controller);
        if (socket && readExactly(*socket, int(kIdentificationRequest.size())) !=
                          kIdentificationRequest)
            socket.reset();
        return socket;
    }

    // Connected, and the controller has answered the identification request.
    std::unique_ptr<QTcpSocket> answeredPeer(QTcpServer& controller)
    {
        auto socket = connectTo(controller);
        if (!socket)
            return socket;
        send(*socket, kIdentificationAnswer);
        if (!QTest::qWaitFor([this] { return program_->link().deviceAnswered(); }, 5000))
            socket.reset();
        return socket;
    }

    QByteArray file(const char* name) const
    {
        QFile f(dir_->filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        program_ = std::make_unique<Program>();
        program_->startUp(QString());
        program_->setReporter(&messages_);
        messages_.list.clear();
        program_->recorder().setDirectory(dir_->path());
        program_->recorder().setClock([] { return kPinned; });
        program_->link().setListenAddress(QHostAddress::LocalHost);
        memo_.clear();
        connect(program_.get(), &Program::memoWritten, this,
                [this](const QString& line) { memo_ << line; });
    }

    void cleanup()
    {
        program_.reset();
        dir_.reset();
    }

    void framesFromTheControllerAreDecodedAndRecorded()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        QSignalSpy values(&program_->decoder(), &MeasurementDecoder::voltageRead);
        // The label's number as the window makes it, with the separator of the moment.
        auto shown = [this](const QList<QVariant>& volts) {
            return DisplayFormat(program_->recording().decimalSeparator()).fixed(volts.at(0).toFloat()) +
                   QLatin1Char('V');
        };
        QSignalSpy intervals(program_.get(), &Program::voltageIntervalReported);
        auto peer = connectTo(controller);
        QVERIFY(peer);
        QCOMPARE(program_->caption(), captionPrefix + QStringLiteral("OBR-9 device connected"));

        send(*peer, kIdentificationAnswer);
        QTRY_COMPARE(program_->caption(),
                     captionPrefix + QStringLiteral("OBR-9 device connected v10"));
        QCOMPARE(intervals.value(0).value(0).toInt(), 2);
        QVERIFY(program_->link().deviceAnswered());

        // Nothing is recorded until recording is on; then every kind is.
        send(*peer, dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(values.size(), 1);
        QCOMPARE(shown(values.at(0)), QStringLiteral("9.98V"));
        QCOMPARE(file("voltage.csv"), QByteArray("<missing>"));

        program_->recording().enabled = true;
        program_->recording().voltageIntervalIndex = 2;
        send(*peer, dataFrame(4, bytes("99 00")) + temperatureHumidity(21.25f, 45.5f));
        QTRY_COMPARE(file("tempum.csv"),
                     QByteArray("temperature,humidity\n21.25,45.5,20261208,14:3:9\n"));
        QCOMPARE(file("voltage.csv"), QByteArray("9.98304,20261208,14:3:9:250,2\n"));
        // From the first recorded line on, values show with "," decimals.
        send(*peer, dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(values.size(), 3);
        QCOMPARE(shown(values.last()), QStringLiteral("9,98V"));
        QCOMPARE(program_->voltageHistory().writeIndex(), 3);
    }

    void aFileThatCannotBeOpenedIsNamedOnceUntilWrittenAgain()
    {
        const QString missing = dir_->filePath("gone");
        program_->recorder().setDirectory(missing);
        program_->recording().enabled = true;
        const QByteArray frame = dataFrame(2, bytes("05"));
        for (int i = 0; i < 3; ++i)
            program_->parser().acceptRead(u8(frame), int(frame.size()));
        const QString line = QStringLiteral("BLAD_OTWARCIA_PLIKU ") + missing + "/IO.csv";
        QCOMPARE(memo_, QStringList{line});

        QVERIFY(QDir().mkpath(missing));
        program_->parser().acceptRead(u8(frame), int(frame.size()));
        QVERIFY(QDir(missing).removeRecursively());
        program_->parser().acceptRead(u8(frame), int(frame.size()));
        QCOMPARE(memo_, (QStringList{line, line}));
    }

    // With "connect" ticked the chosen link carries every frame, even while
    // a controller is connected to the listening port; without it, the
    // server's first client does; with neither, the memo says so.
    void framesGoToTheActiveLink()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        program_->link().setTcpPort(QStringLiteral("0"));
        program_->CheckBox2Click(true);
        QVERIFY(program_->link().server().isListening());
        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, program_->link().server().serverPort());
        QCOMPARE(readExactly(caller, int(kIdentificationRequest.size())), kIdentificationRequest);

        auto peer = connectTo(controller);
        QVERIFY(peer);
        program_->toggleOutput(false);
        QCOMPARE(readExactly(*peer, 6), bytes("FF 01 01 02 01 02"));
        QTest::qWait(50);
        QCOMPARE(caller.bytesAvailable(), 0);

        program_->CheckBoxConnectClick(false);
        program_->toggleOutput(true);
        QCOMPARE(readExactly(caller, 6), bytes("FF 01 01 02 01 03"));

        program_->CheckBox2Click(false);
        memo_.clear();
        program_->toggleOutput(true);
        QCOMPARE(memo_, QStringList{LinkText::noConnection});
    }

    // Without a window the program ticks and unticks "connect" itself: a
    // silent controller is called again, a port that does not open leaves
    // "connect" unticked, and dropping the links unticks both.
    void theProgramTicksItsOwnLinkBoxes()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        auto peer = answeredPeer(controller);
        QVERIFY(peer);
        for (int s = 0; s < 16; ++s)
            program_->Timer2Timer();
        QVERIFY(program_->link().connectChecked());
        auto again = accept(controller);
        QVERIFY(again);
        QTRY_COMPARE(program_->caption(),
                     captionPrefix + QStringLiteral("OBR-9 device connected"));
        QCOMPARE(readExactly(*again, int(kIdentificationRequest.size())), kIdentificationRequest);

        program_->link().setTcpPort(QStringLiteral("0"));
        program_->CheckBox2Click(true);
        program_->dropLinks(true);
        QVERIFY(!program_->link().connectChecked());
        QVERIFY(!program_->link().listenChecked());
        QVERIFY(!program_->link().server().isListening());

        program_->link().setPortText(dir_->filePath("no-such-port"));
        memo_.clear();
        program_->CheckBoxConnectClick(true);
        QVERIFY(!program_->link().connectChecked());
        QCOMPARE(memo_.value(0), LinkText::portOpenFailed);
        QVERIFY(memo_.contains(LinkText::portClosed));
    }

    // The module bus without a window: an HQ-2 frame and a VK8 answer come
    // over a pseudo-terminal; readings, chart points, a periodic chart file
    // and relay states come out.
    void serialBytesReachTheModuleBus()
    {
        PtyPair pty;
        NEED_PTY_PAIR(pty);
        QSerialPort module;
        module.setPortName(pty.b);
        QVERIFY(module.open(QIODevice::ReadWrite));
        Hq2Model& hq2 = program_->hq2();
        QDateTime now = kPinned;
        hq2.setClock([&now] { return now; });
        hq2.setChartFolder(dir_->path());
        program_->link().setPortText(pty.a);
        program_->CheckBoxConnectClick(true);
        QCOMPARE(memo_, (QStringList{LinkText::portOpened, pty.a,
                                     LinkText::speedPrefix + QStringLiteral("115200")}));
        QCOMPARE(program_->link().serialPort().lineSettings.baudRate, 115200);

        program_->relayModel().readState(1); // the answer is module 1's
        const QByteArray relayAnswer =
            withModbusCrc(bytes("00 00 00 01 05 00 00 00 00 00 00 00 00 00 00 00 00 00"));
        const QByteArray channel0 = withModbusCrc(bytes("00 00 00 02") + floatBytes(21.5f) +
                                                  floatBytes(-900.0f) + bytes("4A 01 00 00 00 00"));
        module.write(channel0 + relayAnswer);
        QVERIFY(module.waitForBytesWritten(2000));
        QDeadlineTimer deadline(5000);
        while (hq2.statistics().received < 40 && !deadline.hasExpired()) {
            QTest::qWait(10);
            now = now.addSecs(1);
            program_->Timer1Timer();
        }
        for (int poll = 0; poll < ModuleStreamParser::kWarmUpCalls + 2; ++poll) {
            now = now.addSecs(1);
            program_->Timer1Timer();
        }
        QCOMPARE(program_->caption(), captionPrefix + QStringLiteral("HQ2 connected"));
        QCOMPARE(hq2.reading(0).internal, 21.5f);
        QVERIFY(hq2.reading(0).externalMissing);
        QCOMPARE(hq2.reading(0).volts, float(330 * ModuleStreamParser::kVoltsPerCount));
        QCOMPARE(program_->relayModel().stateBits(1), uint8_t(0x05));
        QCOMPARE(program_->relayModel().stateBits(0), uint8_t(0));
        const ChartSeries& internal0 = hq2.temperatureData().series[0];
        QVERIFY(internal0.size() >= 2);
        QCOMPARE(internal0.y(internal0.size() - 1), 21.5);

        hq2.setRecording(Hq2Model::TemperatureChart, true);
        program_->Timer2Timer();
        QTRY_VERIFY(!hq2.periodicSaveRunning());
        QCOMPARE(program_->chartFileName(), QStringLiteral("2026-12-08Temp.bin"));
        ChartData saved = makeTemperatureChart();
        QString error;
        QVERIFY2(ChartFile::load(dir_->filePath("2026-12-08Temp.bin"), kTemperatureSeriesCount, saved, &error),
                 qPrintable(error));
        QCOMPARE(saved.series[0].size(), internal0.size());
        QCOMPARE(saved.series[0].y(internal0.size() - 1), 21.5);

        hq2.setChartingPeriod(10000); // "10sec": the module port is polled as often
        QCOMPARE(program_->timer1().interval(), 10000);
    }

    // While the route is the HQ-2 page, the TCP client's bytes belong to the
    // module bus (a controller forwarding its RS-485 frames).
    void tcpBytesReachTheModuleBusOnTheHq2Route()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        program_->link().setLanRoute(LanRoute::ModuleBus);
        auto peer = connectTo(controller);
        QVERIFY(peer);
        send(*peer, withModbusCrc(bytes("00 00 00 02") + floatBytes(19.0f) + floatBytes(20.5f) +
                                  bytes("4A 01 00 00 00 00")));
        QTRY_COMPARE(program_->hq2().reading(0).internal, 19.0f);
        QCOMPARE(program_->hq2().reading(0).external, 20.5f);
        QCOMPARE(program_->caption(), captionPrefix + QStringLiteral("HQ2 connected"));
    }

    // An accepted login brings the settings record; saving it back sends the
    // settings frame, lets it leave, and drops the link.
    void loginReadsAndSavesTheControllerSettings()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        auto peer = answeredPeer(controller);
        QVERIFY(peer);
        DeviceConfigSession& session = program_->deviceConfig();
        QSignalSpy read(&session, &DeviceConfigSession::settingsRecordRead);
        QSignalSpy ended(&session, &DeviceConfigSession::ended);

        QVERIFY(session.logIn(QStringLiteral("admin"), QStringLiteral("7961")));
        QCOMPARE(readExactly(*peer, 29),
                 kIdentificationRequest.left(16) + bytes("FF") + "admin" + bytes("00") + "7961" +
                     bytes("00 00"));
        send(*peer, bytes("FF FE 00 FE 01") + sampleRecord() + bytes("00"));
        QTRY_COMPARE(read.size(), 1);
        const SettingsRecord record = session.record();
        QCOMPARE(record.name, QByteArray("Kotlownia"));
        QCOMPARE(record.ip, (AddressBytes{10, 0, 0, 7}));
        QCOMPARE(record.destinationPort, uint16_t(8090));
        QCOMPARE(record.stopBits, uint8_t(2));
        QVERIFY(session.isOpen());
        QVERIFY(program_->link().settingsDialogActive());

        // What the dialog adds of its own: DHCP off, port, user, password.
        SettingsTexts texts;
        texts.port = QStringLiteral("8090");
        texts.user = QStringLiteral("admin");
        texts.password = QStringLiteral("7961");
        texts.fill(record);
        QVERIFY(session.saveSettings(texts));
        QCOMPARE(readExactly(*peer, 171), sampleFrame());
        QVERIFY(!program_->link().connectChecked());
        QVERIFY(!program_->link().settingsDialogActive());
        QCOMPARE(program_->parser().requestMode(), uint8_t(RequestData));
        QCOMPARE(ended.size(), 1);
        QVERIFY(!session.isOpen());
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(messages_.list.isEmpty());
    }

    // Header, then blocks each after a '{'; a 'd' sends the last frame again;
    // the last '{' completes: the link goes and the message follows.
    void firmwareUploadAdvancesOnAcknowledgements()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        auto peer = answeredPeer(controller);
        QVERIFY(peer);
        const QString path = dir_->filePath("fw.bin");
        QFile fw(path);
        QVERIFY(fw.open(QIODevice::WriteOnly) && fw.write(QByteArray(600, '\0')) == 600);
        fw.close();
        DeviceConfigSession& session = program_->deviceConfig();
        QList<int> bar;
        connect(&session, &DeviceConfigSession::uploadProgressed, this,
                [&bar](int percent) { bar << percent; });

        QVERIFY(session.startUpload(path));
        QCOMPARE(program_->chartFileName(), path);
        QCOMPARE(readExactly(*peer, 8), bytes("FF 09 5A 02 00 00 64 01")); // 600 + 2 bytes
        send(*peer, "{");
        QCOMPARE(readExactly(*peer, 264), QByteArray(264, '\0'));
        send(*peer, "d");
        QCOMPARE(readExactly(*peer, 264), QByteArray(264, '\0'));
        send(*peer, "x{");
        QCOMPARE(readExactly(*peer, 264), QByteArray(264, '\0'));
        QVERIFY(staysQuiet(*peer, 50));
        send(*peer, "{");
        // The last block ends with the file checksum: the start value 602.
        QCOMPARE(readExactly(*peer, 74), QByteArray(72, '\0') + bytes("5A 02"));
        QVERIFY(session.upload().active());
        send(*peer, "{{");
        QTRY_COMPARE(messages_.list.size(), 1);
        QCOMPARE(messages_.list.first(),
                 (OperatorMessage{QStringLiteral("Wysylanie pliku zakonczone powodzeniem"),
                                  QStringLiteral("wysylanie pliku")}));
        QCOMPARE(bar, (QList<int>{0, 0, 43, 87, 100})); // header, then each block's share sent before it
        QVERIFY(!session.upload().active());
        QVERIFY(!program_->link().connectChecked());
        QCOMPARE(program_->parser().requestMode(), uint8_t(RequestData));
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(peer->bytesAvailable(), 0); // the close frame went to the closed link
    }

    // Each second: chart saves, then the relay countdown, then the seconds.
    void housekeepingRunsInItsOrder()
    {
        QStringList order;
        program_->hq2().setClock([] { return kPinned; });
        program_->hq2().setChartFolder(dir_->path());
        program_->hq2().setRecording(Hq2Model::TemperatureChart, true);
        program_->relayModel().output(3).countdown = 3;
        connect(&program_->hq2(), &Hq2Model::chartFileNameChanged, this, [&] { order << "charts"; });
        connect(&program_->relayModel(), &RelayModel::modeLetterChanged, this, [&] { order << "relays"; });
        connect(&program_->link(), &ConnectionManager::secondsCounted, this,
                [&](int s) { order << QString::number(s); });
        program_->Timer2Timer();
        program_->Timer2Timer();
        // A day's file is named once per save period, at its first tick.
        QCOMPARE(order, (QStringList{"charts", "relays", "1", "relays", "2"}));
        QCOMPARE(program_->relayModel().output(3).modeLetter, QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
