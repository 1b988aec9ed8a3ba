// The simulated modules against the program's module stream parser: the
// simulator builds its frames on its own, so a fault on either side shows.

#include "measure/ModuleStreamParser.h"
#include "sim/SimCommandLine.h"
#include "sim/SimModulePty.h"
#include "sim/SimModuleTcp.h"
#include "sim/SimModules.h"

#include "TestBytes.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace obr9;
using namespace obr9::sim;

namespace {

class Collector : public ModuleStreamListener {
public:
    void channelReading(const ModuleChannelReading& r) override { readings.append(r); }
    void relayStateAnswer(const uint8_t* frame) override { relayBits.append(frame[4]); }

    QList<ModuleChannelReading> readings;
    QList<uint8_t> relayBits;
};

void feed(ModuleStreamParser& parser, const QByteArray& data)
{
    parser.parse(u8(data), int(data.size()));
}

// Runs the event loop (both ends live in this thread) until n bytes came.
QByteArray readAtLeast(QIODevice& device, qsizetype n)
{
    QByteArray got;
    for (int i = 0; i < 250 && got.size() < n; ++i) {
        QTest::qWait(20);
        got += device.readAll();
    }
    return got;
}

} // namespace

class TestModuleSim : public QObject {
    Q_OBJECT
private slots:
    void hq2RoundWithAndWithoutGarbage()
    {
        for (bool garbage : {false, true}) {
            SimModuleOptions options;
            options.garbage = garbage;
            SimModules modules(options);
            Collector seen;
            ModuleStreamParser parser(&seen);
            for (int round = 0; round < 3; ++round)
                feed(parser, modules.hq2Round());
            QCOMPARE(seen.readings.size(), 48);
            QCOMPARE(parser.statistics().rejected > 0, garbage);
            for (int ch = 0; ch < 16; ++ch) {
                const ModuleChannelReading& r = seen.readings[32 + ch];
                QCOMPARE(r.channel, ch);
                QCOMPARE(r.externalMissing, ch == 2 || ch == 9 || ch == 13);
                QVERIFY(r.internal > 15.0f && r.internal < 35.0f);
                QVERIFY(r.volts > 11.5f && r.volts < 16.5f);
            }
        }
    }

    void relayModulesAnswerStateRequests()
    {
        SimModules modules;
        QSignalSpy out(&modules, &SimModules::bytesOut);
        // Switch output 2 of module 1 on, then output 7 off, in pieces and
        // behind a stray byte; then ask for the state, and ask module 6,
        // which is not on the bus.
        const QByteArray requests = bytes("55 01 04 07 01 04 02 00 00 00 00 3A 60"
                                          " 01 04 07 01 80 07 05 00 00 00 E8 E8"
                                          " 01 03 07 01 00 00 00 00 00 00 64 14"
                                          " 06 03 07 01 00 00 00 00 00 00 D5 CE");
        for (int at = 0; at < requests.size(); at += 5)
            modules.receive(requests.mid(at, 5));
        QCOMPARE(modules.relayBits(1), uint8_t(0x84));
        QCOMPARE(out.size(), 1);

        Collector seen;
        ModuleStreamParser parser(&seen);
        feed(parser, out.first().first().toByteArray());
        QCOMPARE(seen.relayBits, QList<uint8_t>{0x84});
    }

    void pseudoTerminalCarriesTheStream()
    {
        SimModulePty pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        QVERIFY(pty.path().startsWith(QLatin1String("/dev/")));
        QSerialPort port(pty.path());
        port.setBaudRate(115200);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));

        SimModules modules;
        connect(&modules, &SimModules::bytesOut, &pty, &SimModulePty::write);
        connect(&pty, &SimModulePty::received, &modules, &SimModules::receive);
        pty.write(modules.hq2Round());

        Collector seen;
        ModuleStreamParser parser(&seen);
        feed(parser, readAtLeast(port, 320));
        QCOMPARE(seen.readings.size(), 16);

        port.write(bytes("01 03 07 01 00 00 00 00 00 00 64 14"));
        feed(parser, readAtLeast(port, 20));
        QCOMPARE(seen.relayBits, QList<uint8_t>{0x00});
    }

    void tcpPortCarriesTheStream()
    {
        SimModuleTcp link;
        QVERIFY(!link.listen(QHostAddress(QStringLiteral("10.1.2.3")), 0));
        QVERIFY2(link.listen(QHostAddress(QHostAddress::LocalHost), 0), qPrintable(link.errorString()));
        SimModules modules;
        connect(&modules, &SimModules::bytesOut, &link, &SimModuleTcp::write);
        QSignalSpy connected(&link, &SimModuleTcp::clientConnected);

        QTcpSocket socket;
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), link.serverPort());
        QVERIFY(socket.waitForConnected(5000));
        QTRY_COMPARE(connected.size(), 1);
        emit modules.bytesOut(modules.hq2Round());
        Collector seen;
        ModuleStreamParser parser(&seen);
        feed(parser, readAtLeast(socket, 320));
        QCOMPARE(seen.readings.size(), 16);
    }

    void commandLine()
    {
        const QString program = QStringLiteral("obr9-sim");
        SimCommandLine line = parseSimCommandLine({program, "--modules-pty", "--missing-external", "0,15",
                                                   "--module-garbage", "--relays", "none", "--modules-only"});
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        QVERIFY(line.modules.pseudoTerminal);
        QVERIFY(line.modules.modulesOnly);
        QVERIFY(line.modules.garbage);
        QCOMPARE(line.modules.missingExternal, (QList<int>{0, 15}));
        QVERIFY(line.modules.relayAddresses.isEmpty());

        line = parseSimCommandLine({program, "--modules-listen", "127.0.0.1:0", "--module-period-ms", "250"});
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        QCOMPARE(line.modules.tcp->port, quint16(0));
        QCOMPARE(line.modules.period, Milliseconds{250});

        QVERIFY(!parseSimCommandLine({program, "--modules-listen", "10.0.0.1:9000"}).error.isEmpty());
        QVERIFY(!parseSimCommandLine({program, "--missing-external", "16"}).error.isEmpty());
        QVERIFY(!parseSimCommandLine({program, "--relays", "8"}).error.isEmpty());
        QVERIFY(!parseSimCommandLine({program, "--modules-only"}).error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestModuleSim)
#include "test_module_sim.moc"
