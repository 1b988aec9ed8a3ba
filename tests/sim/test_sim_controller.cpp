// The simulated controller on a real loopback connection, checked byte by
// byte against the layouts with a reader of the tests' own.
#include "StreamReader.h"
#include "TestBytes.h"
#include "sim/SimController.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <bit>
#include <memory>

using namespace obr9::sim;
using namespace std::chrono_literals;

namespace {
const QByteArray kIdentificationRequest =
    bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09 FF FE");
constexpr Milliseconds kFast{20};
constexpr Milliseconds kNever{3'600'000};

// The program's end of the link.
class Peer {
public:
    explicit Peer(QTcpSocket* socket = nullptr) : socket_(socket ? socket : &own_)
    {
        QObject::connect(socket_, &QTcpSocket::readyRead, [this] {
            const QByteArray data = socket_->readAll();
            received += data;
            ++reads;
            reader.add(data);
        });
    }
    bool connectTo(quint16 port)
    {
        socket_->connectToHost(QHostAddress::LocalHost, port);
        return socket_->waitForConnected(5000);
    }
    void send(const QByteArray& data)
    {
        socket_->write(data);
        socket_->flush();
    }
    // Lets the bytes sent so far reach the controller in a read of their own.
    void sendAndSettle(const QByteArray& data)
    {
        send(data);
        QTest::qWait(10);
    }
    QTcpSocket& socket() { return *socket_; }

    QByteArray received;
    int reads = 0;
    StreamReader reader;

private:
    QTcpSocket own_;
    QTcpSocket* socket_;
};

float littleEndianFloat(const QByteArray& data, int offset)
{
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | uint8_t(data[offset + i]);
    return std::bit_cast<float>(bits);
}

int16_t bigEndianInt16(const QByteArray& data, int offset)
{
    return int16_t(uint16_t(uint8_t(data[offset]) << 8 | uint8_t(data[offset + 1])));
}
} // namespace

class TestSimController : public QObject {
    Q_OBJECT

    std::unique_ptr<SimController> sim_;
    std::unique_ptr<Peer> peer_;

    // A controller listening on a port the system picks, and the program
    // connected to it.
    bool start(SimOptions options)
    {
        sim_ = std::make_unique<SimController>(options);
        if (!sim_->listen(QHostAddress::LocalHost, 0))
            return false;
        peer_ = std::make_unique<Peer>();
        return peer_->connectTo(sim_->serverPort()) && QTest::qWaitFor([this] { return sim_->isConnected(); });
    }

private slots:
    void cleanup()
    {
        peer_.reset();
        sim_.reset();
    }

    void identificationAnswerComesInOneWriteAfterASplitRequest()
    {
        SimOptions options;
        options.version = 7;
        options.voltageIntervalIndex = 3;
        options.temperatureIntervalIndex = 4;
        options.period = kNever;
        QVERIFY(start(options));
        QSignalSpy sent(sim_.get(), &SimController::blockSent);

        // Loose bytes and a false start of the signature come first.
        peer_->sendAndSettle(bytes("13 00 4D 5C 22 4D"));
        peer_->sendAndSettle(bytes("5C 22 07 3A 18 0E 29"));
        peer_->sendAndSettle(bytes("05 31 1D 0B 26 14 3E 09 FF"));
        QVERIFY(peer_->received.isEmpty());
        peer_->send(bytes("FE"));

        QTRY_COMPARE(peer_->received, bytes("FF FE 01 07 00 03 04"));
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sim_->writeCount(), 1);

        // Every request is answered, also two in one read.
        peer_->send(kIdentificationRequest + kIdentificationRequest);
        QTRY_COMPARE(peer_->received, bytes("FF FE 01 07 00 03 04").repeated(3));
    }

    void eightTemperatureSensorSendsFramesOfTypesOneTwoAndFour()
    {
        SimOptions options;
        options.period = kFast;
        QVERIFY(start(options));
        QTRY_VERIFY(peer_->reader.ofType(1).size() >= 3 && peer_->reader.ofType(2).size() >= 3 &&
                    peer_->reader.ofType(4).size() >= 3);

        QVERIFY(peer_->reader.looseBytes.isEmpty());
        QVERIFY(peer_->reader.ofType(3).isEmpty());
        for (const ReadFrame& frame : peer_->reader.frames) {
            QCOMPARE(frame.header1, uint8_t(0x01));
            QCOMPARE(frame.header2, uint8_t(0x01));
            QVERIFY2(frame.type >= 1 && frame.type <= 4, "no other frame types");
        }

        const QList<ReadFrame> temperatures = peer_->reader.ofType(1);
        const QByteArray first = temperatures.first().payload;
        QCOMPARE(first.size(), 216);
        QCOMPARE(first.mid(16, 25), QByteArray("Boiler") + QByteArray(19, '\0'));
        QCOMPARE(first.mid(16 + 25, 25), QByteArray("Return") + QByteArray(19, '\0'));
        QCOMPARE(first.mid(16 + 7 * 25, 25), QByteArray("Buffer tank") + QByteArray(14, '\0'));
        bool changed = false;
        for (const ReadFrame& frame : temperatures) {
            for (int k = 0; k < 8; ++k) {
                const int halfDegrees = bigEndianInt16(frame.payload, 2 * k);
                QVERIFY2(halfDegrees > -80 && halfDegrees < 300, "between -40 and 150 degC");
                QVERIFY(frame.payload[16 + 25 * k] != '\0'); // every channel named
                QCOMPARE(frame.payload[16 + 25 * k + 24], '\0');
                changed = changed || halfDegrees != bigEndianInt16(first, 2 * k);
            }
        }
        QVERIFY2(changed, "temperatures drift from frame to frame");

        for (const ReadFrame& frame : peer_->reader.ofType(2)) {
            QCOMPARE(frame.payload.size(), 1);
            QCOMPARE(uint8_t(frame.payload[0]) & 0xF0, 0); // only IN2, IN1, OUT1, OUT2
            QCOMPARE(uint8_t(frame.payload[0]) & 0x0C, 0); // outputs start off
        }
        for (const ReadFrame& frame : peer_->reader.ofType(4)) {
            QCOMPARE(frame.payload.size(), 2);
            const double volts = (uint8_t(frame.payload[0]) + 256 * uint8_t(frame.payload[1])) / 15.326;
            QVERIFY2(volts > 11.0 && volts < 14.0, "a 12 V supply");
        }
    }

    void temperatureHumiditySensorSendsTypeThree()
    {
        SimOptions options;
        options.sensor = SensorKind::TemperatureHumidity;
        options.period = kFast;
        QVERIFY(start(options));
        QTRY_VERIFY(peer_->reader.ofType(3).size() >= 3);

        QVERIFY(peer_->reader.ofType(1).isEmpty());
        for (const ReadFrame& frame : peer_->reader.ofType(3)) {
            QCOMPARE(frame.payload.size(), 8);
            const float humidity = littleEndianFloat(frame.payload, 0);
            const float celsius = littleEndianFloat(frame.payload, 4);
            QVERIFY2(humidity > 30.0f && humidity < 60.0f, "indoor humidity at offset 0");
            QVERIFY2(celsius > 15.0f && celsius < 28.0f, "room temperature at offset 4");
        }
    }

    void outputCommandShowsInTheNextStatusFrame_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("outputBits");
        // The command's bit 0 is OUT2 and bit 1 OUT1; the status frame has
        // OUT1 in bit 2 and OUT2 in bit 3.
        QTest::newRow("OUT2") << bytes("FF 01 01 02 01 01") << 0x08;
        QTest::newRow("OUT1") << bytes("FF 01 01 02 01 02") << 0x04;
        QTest::newRow("both") << bytes("FF 01 01 02 01 03") << 0x0C;
        QTest::newRow("other bits ignored") << bytes("FF 01 01 02 01 F1") << 0x08;
    }

    void outputCommandShowsInTheNextStatusFrame()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, outputBits);
        SimOptions options;
        options.period = kNever;
        QVERIFY(start(options));

        peer_->send(command);
        QTRY_COMPARE(peer_->reader.ofType(2).size(), 1); // at once, not at the next interval
        QCOMPARE(uint8_t(peer_->reader.ofType(2).first().payload[0]) & 0x0C, outputBits);
        QCOMPARE(int(sim_->outputBits()), outputBits);

        // The periodic status frames keep reporting them.
        sim_->setPeriod(kFast);
        QTRY_VERIFY(peer_->reader.ofType(2).size() >= 3);
        for (const ReadFrame& frame : peer_->reader.ofType(2))
            QCOMPARE(uint8_t(frame.payload[0]) & 0x0C, outputBits);

        peer_->send(bytes("FF 01 01 02 01 00"));
        QTRY_COMPARE(uint8_t(peer_->reader.ofType(2).last().payload[0]) & 0x0C, 0);
    }

    void bytePerWriteSendsEveryByteOnItsOwn()
    {
        SimOptions options;
        options.period = kNever;
        options.bytePerWrite = true;
        QVERIFY(start(options));

        // Answers stay whole: the program takes an answer only from one read.
        peer_->send(kIdentificationRequest);
        QTRY_COMPARE(peer_->received, bytes("FF FE 01 0A 00 02 00"));
        QCOMPARE(sim_->writeCount(), 1);

        // Data frames trickle out a byte at a time.
        const int readsBefore = peer_->reads;
        peer_->send(bytes("FF 01 01 02 01 01"));
        QTRY_COMPARE(peer_->received.size(), 7 + 6);
        QCOMPARE(sim_->writeCount(), 1 + 6);
        QVERIFY2(peer_->reads - readsBefore > 1, "the frame arrived in one read");

        // Whole blocks again once switched off.
        sim_->setBytePerWrite(false);
        peer_->send(kIdentificationRequest);
        QTRY_COMPARE(peer_->received.size(), 7 + 6 + 7);
        QCOMPARE(sim_->writeCount(), 1 + 6 + 1);
    }

    void garbageLiesOnlyBetweenFramesAndIsNeverFF()
    {
        SimOptions options;
        options.period = kFast;
        options.garbage = true;
        QVERIFY(start(options));
        peer_->send(kIdentificationRequest);
        QTRY_VERIFY(peer_->reader.frames.size() >= 9 && !peer_->reader.ofType(-1).isEmpty());

        QVERIFY(!peer_->reader.looseBytes.contains(char(0xFF)));
        QVERIFY(peer_->reader.looseBytes.size() >= peer_->reader.frames.size());
        QCOMPARE(peer_->reader.ofType(-1).first().payload, bytes("01 0A 00 02 00"));
        for (const ReadFrame& frame : peer_->reader.frames) {
            const int expectedLength[] = {5, 216, 1, 8, 2};
            QVERIFY2(frame.type >= -1 && frame.type <= 4 && frame.type != 0 && frame.type != 3,
                     "garbage never breaks a frame");
            QCOMPARE(frame.payload.size(), expectedLength[frame.type < 0 ? 0 : frame.type]);
        }
    }

    void fallsSilentButKeepsTheConnection()
    {
        SimOptions options;
        options.period = kFast;
        options.silentAfter = 150ms;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(start(options));
        QSignalSpy silent(sim_.get(), &SimController::fellSilent);

        QTRY_COMPARE(silent.count(), 1);
        QVERIFY(clock.elapsed() >= 140);
        QVERIFY(!peer_->reader.frames.isEmpty());
        QTest::qWait(30); // what was already on its way
        const QByteArray before = peer_->received;

        peer_->send(kIdentificationRequest);
        QTest::qWait(150);
        QCOMPARE(peer_->received, before);
        QVERIFY(sim_->isConnected());
        QCOMPARE(peer_->socket().state(), QAbstractSocket::ConnectedState);

        // Clearing the switch brings it back, still on the same connection.
        sim_->setSilentAfter(std::nullopt);
        QTRY_VERIFY(peer_->received.size() > before.size());
    }

    void dropsEachConnectionAndServesTheNext()
    {
        SimOptions options;
        options.period = kFast;
        options.dropAfter = 100ms;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(start(options));
        QSignalSpy ended(sim_.get(), &SimController::connectionEnded);

        QTRY_COMPARE(peer_->socket().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(clock.elapsed() >= 90);
        QVERIFY(!peer_->reader.frames.isEmpty());
        QCOMPARE(ended.count(), 1);

        Peer second;
        QVERIFY(second.connectTo(sim_->serverPort()));
        QTRY_VERIFY(!second.reader.frames.isEmpty());
        QTRY_COMPARE(second.socket().state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(ended.count(), 2);
    }

    // Its own count of data frames sent matches what arrived whole, also
    // when a drop cuts a frame short in the middle of its trickle, and it
    // adds up over connections.
    void countsTheDataFramesThatLeftWhole()
    {
        SimOptions options;
        options.period = kFast;
        options.bytePerWrite = true;
        options.garbage = true;
        options.dropAfter = 600ms;
        options.sensor = SensorKind::TemperatureHumidity; // short frames: several in the trickle
        QVERIFY(start(options));
        QSignalSpy ended(sim_.get(), &SimController::connectionEnded);
        auto dataFrames = [](const StreamReader& reader) {
            return qint64(reader.frames.size() - reader.ofType(-1).size());
        };
        QTRY_COMPARE(peer_->socket().state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(ended.count(), 1);
        const qint64 first = dataFrames(peer_->reader);
        QVERIFY(first > 0);
        QCOMPARE(sim_->dataFramesSent(), first);

        sim_->setBytePerWrite(false);
        sim_->setDropAfter(200ms);
        Peer second;
        QVERIFY(second.connectTo(sim_->serverPort()));
        QTRY_COMPARE(second.socket().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(dataFrames(second.reader) > 0);
        QCOMPARE(sim_->dataFramesSent(), first + dataFrames(second.reader));
    }

    void connectModeReachesTheListeningProgramAndComesBack()
    {
        QTcpServer program;
        QVERIFY(program.listen(QHostAddress::LocalHost, 0));
        SimOptions options;
        options.period = kFast;
        sim_ = std::make_unique<SimController>(options);
        sim_->setReconnectDelay(50ms);
        QVERIFY(sim_->connectTo(QHostAddress::LocalHost, program.serverPort()));

        QTRY_VERIFY(program.hasPendingConnections());
        QTcpSocket* first = program.nextPendingConnection();
        Peer peer(first);
        peer.send(kIdentificationRequest);
        QTRY_COMPARE(peer.reader.ofType(-1).size(), 1);
        QTRY_VERIFY(peer.reader.ofType(1).size() >= 1 && peer.reader.ofType(4).size() >= 1);

        // The program closes; the controller calls again.
        first->close();
        QTRY_VERIFY(program.hasPendingConnections());
        Peer again(program.nextPendingConnection());
        QTRY_VERIFY(!again.reader.frames.isEmpty());

        sim_->stop();
        QTRY_COMPARE(again.socket().state(), QAbstractSocket::UnconnectedState);
    }

    void refusesAddressesOutsideLoopback()
    {
        SimController sim;
        QVERIFY(!sim.listen(QHostAddress::Any, 0));
        QVERIFY(!sim.listen(QHostAddress::LocalHostIPv6, 0));
        QCOMPARE(sim.serverPort(), quint16(0));
        QVERIFY(sim.errorString().contains(QLatin1String("127.0.0.0/8")));
        QVERIFY(!sim.connectTo(QHostAddress(), 8090));
        QVERIFY(sim.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    }
};

QTEST_GUILESS_MAIN(TestSimController)
#include "test_sim_controller.moc"
