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

    void forwardedFramesArriveWholeOnTheLink()
    {
        SimOptions options;
        options.period = 10000ms; // the controller's own frames stay rare
        SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        SimModules modules;
        connect(&modules, &SimModules::bytesOut, &controller, &SimController::forwardBusBytes);

        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, controller.serverPort());
        QVERIFY(socket.waitForConnected(3000));
        QTRY_VERIFY(controller.isConnected());
        const QByteArray round = modules.hq2Round();
        QByteArray received;
        // The round just built is the one forwarded next.
        emit modules.bytesOut(round);
        QTRY_VERIFY((received += socket.readAll()).contains(round));
    }
};

QTEST_MAIN(TestSimForwarding)
#include "test_sim_forwarding.moc"
