// The simulated controller's login, settings frame and firmware upload on a
// real loopback connection, checked against the byte layouts.
#include "TestBytes.h"
#include "devconfig/SettingsBytes.h"
#include "sim/SimCommandLine.h"
#include "sim/SimController.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace obr9::sim;
using namespace std::chrono_literals;

namespace {
const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09 FF");

QByteArray login(const QByteArray& user, const QByteArray& password)
{
    return kSignature + user + bytes("00") + password + bytes("00 00");
}

// The record of a controller fresh from the factory.
const QByteArray kFactoryRecord =
    bytes("4F 42 52 2D 39 00 00 00 00 00 00 C0 A8 01 A1 FF FF FF 00 C0 A8 01 01 01 "
          "E8 C4 A1 5B 10 00 31 39 32 2E 31 36 38 2E 31 2E 31 36 32 00 00 00 00 00 "
          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2F 68 "
          "71 32 2F 72 65 61 64 50 61 72 61 6D 00 00 00 00 00 00 00 00 00 00 00 00 "
          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 75 73 65 72 00 00 00 00 00 00 "
          "70 61 73 73 00 00 00 00 00 00 08 08 08 08 9A 1F 05 01 00 06 01 08 00 01 "
          "7B");

class Peer {
public:
    Peer()
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
    }
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    void send(const QByteArray& data)
    {
        socket.write(data);
        socket.flush();
    }
    // Everything the controller sends in answer to data.
    QByteArray exchange(const QByteArray& data, int expected)
    {
        received.clear();
        send(data);
        (void)QTest::qWaitFor([&] { return received.size() >= expected; }, 5000);
        return received;
    }

    QTcpSocket socket;
    QByteArray received;
};
} // namespace

class TestSimDeviceConfig : public QObject {
    Q_OBJECT

    std::unique_ptr<SimController> sim_;
    std::unique_ptr<Peer> peer_;

    bool start(SimOptions options = {})
    {
        if (!options.period)
            options.period = 3'600'000ms;
        sim_ = std::make_unique<SimController>(options);
        return sim_->listen(QHostAddress::LocalHost, 0) && reconnect();
    }
    bool reconnect()
    {
        peer_ = std::make_unique<Peer>();
        return peer_->connectTo(sim_->serverPort()) &&
               QTest::qWaitFor([this] { return sim_->isConnected(); });
    }

private slots:
    void cleanup()
    {
        peer_.reset();
        sim_.reset();
    }

    void loginIsCheckedAgainstTheConfiguredUser()
    {
        SimOptions options;
        options.loginUser = "op";
        options.loginPassword = "x1";
        QVERIFY(start(options));
        QCOMPARE(peer_->exchange(login("admin", "7961"), 5), bytes("FF FE 00 FE 00"));
        QCOMPARE(peer_->exchange(login("op", "x"), 5), bytes("FF FE 00 FE 00"));
        const QByteArray accepted = peer_->exchange(login("op", "x1"), 151);
        QCOMPARE(accepted.size(), 151);
        QCOMPARE(accepted.left(5), bytes("FF FE 00 FE 01"));
        QCOMPARE(accepted.mid(5, 145), kFactoryRecord);
    }

    void settingsFrameIsTakenUpAndTheLinkCloses()
    {
        QVERIFY(start());
        QSignalSpy received(sim_.get(), &SimController::settingsFrameReceived);
        QSignalSpy ended(sim_.get(), &SimController::connectionEnded);

        QByteArray corrupt = sampleFrame();
        corrupt[100] = char(corrupt[100] ^ 0x01);
        peer_->send(corrupt);
        QTRY_COMPARE(received.count(), 1);
        QVERIFY(received.first().at(1).toString().startsWith(QStringLiteral("checksum")));
        QByteArray badLength = sampleFrame();
        badLength[1] = char(0xA8);
        SimDeviceConfig config("admin", "7961");
        QVERIFY(config.takeSettings(badLength).startsWith(QStringLiteral("length")));
        QVERIFY(sim_->isConnected());
        QCOMPARE(sim_->deviceConfig().record(), kFactoryRecord);

        peer_->send(sampleFrame());
        QTRY_COMPARE(received.count(), 2);
        QCOMPARE(received.last().at(1).toString(), QString());
        QTRY_COMPARE(ended.count(), 1);
        QTRY_COMPARE(peer_->socket.state(), QAbstractSocket::UnconnectedState);

        // Next time the controller answers with what it took up.
        QVERIFY(reconnect());
        const QByteArray answer = peer_->exchange(login("admin", "7961"), 151);
        QCOMPARE(answer.mid(5, 145), sampleRecord());
        QCOMPARE(sim_->deviceConfig().port(), uint16_t(8090));
    }

    void uploadIsAcknowledgedFrameByFrame()
    {
        QVERIFY(start());
        QSignalSpy finished(sim_.get(), &SimController::uploadFinished);

        // A header whose sum is wrong starts nothing and gets no answer.
        peer_->send(bytes("FF 09 05 00 00 00 0E 01"));
        QTest::qWait(30);
        QCOMPARE(sim_->uploadReceiver().active(), false);

        // 01 02 03 and its checksum 09 02, split across reads.
        QCOMPARE(peer_->exchange(bytes("FF 09 05 00 00 00 0D 01"), 1), QByteArray("{"));
        QTest::qWait(30);
        QCOMPARE(peer_->received, QByteArray("{"));
        peer_->send(bytes("01 02"));
        QCOMPARE(peer_->exchange(bytes("03 09 02"), 1), QByteArray("{"));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toByteArray(), bytes("01 02 03"));
        QVERIFY(finished.first().at(1).toBool());

        // A wrong file checksum leaves the last block unanswered.
        QCOMPARE(peer_->exchange(bytes("FF 09 05 00 00 00 0D 01"), 1).left(1), QByteArray("{"));
        peer_->received.clear();
        peer_->send(bytes("01 02 03 0A 02"));
        QTRY_COMPARE(finished.count(), 2);
        QVERIFY(!finished.last().at(1).toBool());
        QVERIFY(!peer_->received.contains('{'));

        // A new connection abandons an upload still running: its requests
        // are requests again, not firmware bytes.
        QCOMPARE(peer_->exchange(bytes("FF 09 05 00 00 00 0D 01"), 1), QByteArray("{"));
        QVERIFY(reconnect());
        QCOMPARE(peer_->exchange(login("admin", "7961"), 151).size(), 151);
    }

    void everyNthFrameIsRefused()
    {
        SimOptions options;
        options.nakEvery = 2;
        QVERIFY(start(options));
        QSignalSpy finished(sim_.get(), &SimController::uploadFinished);
        // 600 bytes of zeros: total 602, checksum 602 = 5A 02.
        const QByteArray image = QByteArray(600, '\0') + bytes("5A 02");
        const QByteArray header = bytes("FF 09 5A 02 00 00 64 01");
        QCOMPARE(peer_->exchange(header, 1), QByteArray("{"));          // frame 1
        QCOMPARE(peer_->exchange(image.left(264), 1), QByteArray("d")); // frame 2
        QCOMPARE(peer_->exchange(image.left(264), 1), QByteArray("{"));
        QCOMPARE(peer_->exchange(image.mid(264, 264), 1), QByteArray("d"));
        QCOMPARE(peer_->exchange(image.mid(264, 264), 1), QByteArray("{"));
        QCOMPARE(peer_->exchange(image.mid(528), 1), QByteArray("d"));
        QCOMPARE(peer_->exchange(image.mid(528), 1), QByteArray("{"));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toByteArray(), QByteArray(600, '\0'));
        QCOMPARE(sim_->uploadReceiver().refusals(), 3);
    }

    void commandLineOptions()
    {
        auto parse = [](const QString& line) {
            return parseSimCommandLine(QStringList{QStringLiteral("obr9-sim")} +
                                       line.split(u' ', Qt::SkipEmptyParts));
        };
        const SimCommandLine defaults = parse(QString());
        QCOMPARE(defaults.options.loginUser, QByteArray("admin"));
        QCOMPARE(defaults.options.loginPassword, QByteArray("7961"));
        QCOMPARE(defaults.options.nakEvery, 0);

        const SimCommandLine line =
            parse(QStringLiteral("--login-user op --login-password s3cret --nak-every 7"));
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        QCOMPARE(line.options.loginUser, QByteArray("op"));
        QCOMPARE(line.options.loginPassword, QByteArray("s3cret"));
        QCOMPARE(line.options.nakEvery, 7);

        QVERIFY(!parse(QStringLiteral("--nak-every 1")).error.isEmpty());
        QVERIFY(!parse(QStringLiteral("--nak-every x")).error.isEmpty());
        QVERIFY(!parse(QStringLiteral("--login-user ") + QString(20, u'u') +
                       QStringLiteral(" --login-password ") + QString(11, u'p'))
                     .error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimDeviceConfig)
#include "test_sim_device_config.moc"
