// obr9-sim --modules-on-link: the HQ-2 frames go out on the controller's
// TCP link between its own frames, as a controller forwarding its bus.
#include "sim/SimCommandLine.h"
#include "sim/SimController.h"
#include "sim/SimModules.h"

#include <QTcpSocket>
#include <QTest>

using namespace obr9::sim;
using namespace std::chrono_literals;

class TestSimForwarding : public QObject {
    Q_OBJECT
private slots:
    void commandLine()
    {
        const SimCommandLine on = parseSimCommandLine({"obr9-sim", "--modules-pty", "--modules-on-link"});
        QVERIFY2(on.error.isEmpty(), qPrintable(on.error));
        QVERIFY(on.modules.onControllerLink && on.modules.pseudoTerminal);
        // Alone it still starts the modules (they have the link to talk on).
        const SimCommandLine alone = parseSimCommandLine({"obr9-sim", "--modules-on-link"});
        QVERIFY(alone.error.isEmpty() && alone.modules.enabled());
        QVERIFY(!parseSimCommandLine({"obr9-sim", "--modules-pty"}).modules.onControllerLink);
        QVERIFY(!parseSimCommandLine({"obr9-sim", "--modules-pty", "--modules-only", "--modules-on-link"})
                     .error.isEmpty());
    }

    // The running modules with their bus faults on: what reaches the link is
    // whole HQ-2 rounds, no stray bus bytes, no relay answers, no 0xFF.
    void forwardedFramesArriveWholeOnTheLink()
    {
        SimOptions options;
        options.period = 10000ms; // the controller's own frames stay rare
        SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        SimModuleOptions moduleOptions;
        moduleOptions.garbage = true;
        moduleOptions.period = 20ms;
        SimModules modules(moduleOptions);
        connect(&modules, &SimModules::hq2FramesOut, &controller, &SimController::forwardBusBytes);
        QByteArray bus;
        connect(&modules, &SimModules::bytesOut, this, [&bus](const QByteArray& bytes) { bus += bytes; });

        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, controller.serverPort());
        QVERIFY(socket.waitForConnected(3000));
        QTRY_VERIFY(controller.isConnected());
        QTest::qWait(100);
        socket.readAll(); // whatever the controller sent on connecting
        QByteArray received;
        modules.start();
        // A relay state request on the bus: answered there, not on the link.
        QByteArray request("\x00\x03\x07\x01\x00\x00\x00\x00\x00\x00", 10);
        const uint16_t crc = SimModules::crc16Modbus(reinterpret_cast<const uint8_t*>(request.constData()), 10);
        request += char(crc & 0xFF);
        request += char(crc >> 8);
        modules.receive(request);
        QTRY_VERIFY((received += socket.readAll()).size() >= 3 * 320);
        modules.stop();
        QTest::qWait(50);
        received += socket.readAll();

        QVERIFY(!received.contains(char(0xFF)));
        QCOMPARE(received.size() % 320, 0);
        for (qsizetype at = 0; at < received.size(); at += 20) {
            const auto* f = reinterpret_cast<const uint8_t*>(received.constData() + at);
            QCOMPARE(int(f[0]), int(at / 20 % 16));
            QCOMPARE(f[3], uint8_t(2)); // an HQ-2 channel frame, never a relay state
            QCOMPARE(SimModules::crc16Modbus(f, 18), uint16_t(f[18] | f[19] << 8));
        }
        // The bus itself still carries the stray bytes and the relay answer.
        QVERIFY(bus.size() > received.size());
    }
};

QTEST_MAIN(TestSimForwarding)
#include "test_sim_forwarding.moc"
