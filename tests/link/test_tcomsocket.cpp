#include "link/Tcomsocket.h"

#include <QElapsedTimer>
#include "PtyPair.h"
#include <QRegularExpression>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTest>

#include <vector>

namespace {

// Every byte value, so that a line left in a cooked mode (CR/LF mapping,
// XON/XOFF, erase characters) changes what arrives.
QByteArray allByteValues(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 256) & 0xFF);
    return data;
}

uint32_t pollUntilAvailable(TCOMSocket& port, uint32_t count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    uint32_t available = port.BytesAvailable();
    while (available < count && !deadline.hasExpired()) {
        QTest::qSleep(5);
        available = port.BytesAvailable();
    }
    return available;
}

QByteArray readFromPeer(QSerialPort& peer, int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QByteArray got;
    while (got.size() < count && !deadline.hasExpired()) {
        peer.waitForReadyRead(20);
        got += peer.readAll();
    }
    return got;
}

// The settings the connection manager writes: 8N1, no flow control, DTR and
// RTS off, queues 1024/1024, time-outs 100/10/100/10/100 ms.
void applyLinkSettings(TCOMSocket& port, qint32 baud)
{
    port.lineSettings = {};
    port.lineSettings.baudRate = baud;
    port.inputQueueSize = 1024;
    port.outputQueueSize = 1024;
    port.timeouts = {100, 10, 100, 10, 100};
}

} // namespace


class TestTcomsocket : public QObject {
    Q_OBJECT

private:
    PtyPair pty_;

    bool openPeer(QSerialPort& peer)
    {
        peer.setPortName(pty_.b);
        return peer.open(QIODevice::ReadWrite);
    }

    bool openConfigured(TCOMSocket& port)
    {
        applyLinkSettings(port, 115200);
        return port.SetPortName(pty_.a) && port.Open() && port.SetState() && port.SetupQueues()
            && port.SetTimeouts();
    }

private slots:
    void cleanup() { pty_.stop(); }

    void sortPortNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("empty") << QStringList() << QStringList();
        QTest::newRow("COM numbers, not text order")
            << QStringList {"COM10", "COM2", "COM1"} << QStringList {"COM1", "COM2", "COM10"};
        QTest::newRow("device paths")
            << QStringList {"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyS0", "/dev/ttyS1"}
            << QStringList {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"};
        QTest::newRow("equal numbers by stem")
            << QStringList {"/dev/ttyUSB1", "/dev/ttyS1", "/dev/ttyACM0", "/dev/ttyS0"}
            << QStringList {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB1"};
        QTest::newRow("no trailing number counts as 0")
            << QStringList {"/dev/ttyS1", "/dev/serial", "/dev/ttyS0"}
            << QStringList {"/dev/serial", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("numbers beyond 32 bits")
            << QStringList {"/dev/x99999999999", "/dev/x4294967296", "/dev/x3"}
            << QStringList {"/dev/x3", "/dev/x4294967296", "/dev/x99999999999"};
    }
    void sortPortNames()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        obr9::SortPortNames(names);
        QCOMPARE(names, sorted);
    }

    void enumeratePortsReplacesTheList()
    {
        QStringList ports {"stale", "LAN"};
        EnumeratePorts(ports);
        QVERIFY(!ports.contains("stale") && !ports.contains("LAN"));
        QStringList resorted = ports;
        obr9::SortPortNames(resorted);
        QCOMPARE(ports, resorted);
        TCOMSocket port;
        for (const QString& name : ports)
            QVERIFY2(port.SetPortName(name), qPrintable(name));
    }

    void extraPortsNamedInTheEnvironmentAreListedWhenTheyExist()
    {
        // /dev/null stands for a pseudo-terminal: it exists and is no serial port.
        QCOMPARE(obr9::ExtraPorts("/dev/null::/dev/obr9-gone:/tmp/x:/dev/null:relative", {}),
                 QStringList {"/dev/null"});
        QCOMPARE(obr9::ExtraPorts("/dev/null", {"/dev/null"}), QStringList {});
        QCOMPARE(obr9::ExtraPorts("", {}), QStringList {});

        const QByteArray before = qgetenv(obr9::kExtraPortsVariable);
        qputenv(obr9::kExtraPortsVariable, "/dev/null:/dev/obr9-gone");
        QStringList ports;
        EnumeratePorts(ports);
        qputenv(obr9::kExtraPortsVariable, before);
        QCOMPARE(ports.count("/dev/null"), 1);
        QCOMPARE(ports.last(), QString("/dev/null"));
        QVERIFY(!ports.contains("/dev/obr9-gone"));
    }

    void setPortName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<uint>("number");
        QTest::addColumn<QString>("path");
        // Before each row the object holds COM3.
        const QString com3 = "/dev/ttyS2";
        QTest::newRow("COM7") << "COM7" << true << 7u << "/dev/ttyS6";
        QTest::newRow("COM10") << "COM10" << true << 10u << "/dev/ttyS9";
        QTest::newRow("device path") << "/dev/ttyUSB0" << true << 0u << "/dev/ttyUSB0";
        QTest::newRow("pseudo-terminal") << "/dev/pts/4" << true << 0u << "/dev/pts/4";
        QTest::newRow("COM0") << "COM0" << false << 3u << com3;
        QTest::newRow("lower case") << "com7" << false << 3u << com3;
        QTest::newRow("COM alone") << "COM" << false << 3u << com3;
        QTest::newRow("COMx") << "COMx" << false << 3u << com3;
        QTest::newRow("trailing text") << "COM7a" << false << 3u << com3;
        QTest::newRow("beyond 32 bits") << "COM4294967296" << false << 3u << com3;
        QTest::newRow("LAN") << "LAN" << false << 3u << com3;
        QTest::newRow("LPT1") << "LPT1" << false << 3u << com3;
        QTest::newRow("/dev/ alone") << "/dev/" << false << 3u << com3;
    }
    void setPortName()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QFETCH(uint, number);
        QFETCH(QString, path);
        TCOMSocket port;
        QCOMPARE(port.PortNumber(), 0u);
        QVERIFY(port.SetPortName("COM3"));
        QCOMPARE(port.SetPortName(name), accepted);
        QCOMPARE(port.PortNumber(), number);
        QCOMPARE(port.PortPath(), path);
    }

    void closedPortRefusesEverything()
    {
        TCOMSocket port;
        QVERIFY(!port.Open()); // no name yet
        QVERIFY(port.SetPortName("/dev/obr9-no-such-port"));
        QVERIFY(!port.Open());
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.GetState());
        QVERIFY(!port.SetState());
        QVERIFY(!port.SetTimeouts());
        QVERIFY(!port.SetupQueues());
        uint8_t buffer[16] = {1, 2, 3};
        QCOMPARE(port.BytesAvailable(), 0u);
        QCOMPARE(port.Read(buffer, sizeof buffer), 0u);
        QCOMPARE(port.Write(buffer, sizeof buffer), 0u);
        QVERIFY(port.Close());
        QVERIFY(port.Close());
    }

    void openSequenceOnPseudoTerminal_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("9600") << 9600;
        QTest::newRow("115200") << 115200;
        QTest::newRow("230400") << 230400;
        QTest::newRow("500000, when the speed text is not a number") << 500000;
    }
    void openSequenceOnPseudoTerminal()
    {
        QFETCH(int, baud);
        NEED_PTY_PAIR(pty_);
        TCOMSocket port;
        QVERIFY(port.SetPortName(pty_.a));
        QVERIFY(port.Open());
        QVERIFY(port.IsOpen());
        QVERIFY(port.GetState());
        applyLinkSettings(port, baud);
        QVERIFY(port.SetState()); // DTR and RTS off on a line that has neither
        QVERIFY(port.SetupQueues());
        QVERIFY(port.SetTimeouts());
        port.lineSettings = {1, QSerialPort::Data5, QSerialPort::OddParity, QSerialPort::TwoStop,
                             QSerialPort::SoftwareControl};
        QVERIFY(port.GetState());
        QCOMPARE(port.lineSettings.baudRate, baud);
        QCOMPARE(port.lineSettings.dataBits, QSerialPort::Data8);
        QCOMPARE(port.lineSettings.parity, QSerialPort::NoParity);
        QCOMPARE(port.lineSettings.stopBits, QSerialPort::OneStop);
        QCOMPARE(port.lineSettings.flowControl, QSerialPort::NoFlowControl);
    }

    void portIsExclusiveAndClosesWithItsObject()
    {
        NEED_PTY_PAIR(pty_);
        TCOMSocket second;
        QVERIFY(second.SetPortName(pty_.a));
        {
            TCOMSocket first;
            QVERIFY(first.SetPortName(pty_.a));
            QVERIFY(first.Open());
            QVERIFY(first.Open()); // reopening its own port closes it first
            QVERIFY(!second.Open());
            QVERIFY(!second.IsOpen());
            QVERIFY(first.IsOpen());
        }
        QVERIFY(second.Open());
    }

    void nameIsKeptWhileOpen()
    {
        NEED_PTY_PAIR(pty_);
        QSerialPort peer;
        QVERIFY(openPeer(peer));
        TCOMSocket port;
        QVERIFY(openConfigured(port));
        QVERIFY(!port.SetPortName("COM3"));
        QVERIFY(!port.SetPortName(pty_.b));
        QCOMPARE(port.PortPath(), pty_.a);
        QVERIFY(port.IsOpen());
        const uint8_t ping[] = {0x55, 0xAA};
        QCOMPARE(port.Write(ping, 2), 2u);
        QCOMPARE(readFromPeer(peer, 2, 2000), QByteArray("\x55\xAA", 2));
    }

    void readTakesAtMostMaxAndLeavesTheRest()
    {
        NEED_PTY_PAIR(pty_);
        QSerialPort peer;
        QVERIFY(openPeer(peer));
        TCOMSocket port;
        QVERIFY(openConfigured(port));

        const QByteArray sent = allByteValues(3000);
        QCOMPARE(peer.write(sent), qint64(sent.size()));
        QVERIFY(peer.waitForBytesWritten(2000));
        QCOMPARE(pollUntilAvailable(port, 3000, 5000), 3000u);

        std::vector<uint8_t> buffer(4096, 0xEE);
        QCOMPARE(port.Read(buffer.data(), 1024), 1024u);
        QCOMPARE(buffer[1024], uint8_t(0xEE));
        QCOMPARE(port.BytesAvailable(), 1976u);
        QCOMPARE(port.Read(buffer.data() + 1024, 4096 - 1024), 1976u);
        QCOMPARE(port.BytesAvailable(), 0u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer.data()), 3000), sent);
    }

    void readNeverWaits()
    {
        NEED_PTY_PAIR(pty_);
        QSerialPort peer;
        QVERIFY(openPeer(peer));
        TCOMSocket port;
        QVERIFY(openConfigured(port)); // read time-outs 100/10/100 ms

        uint8_t buffer[1024];
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(port.Read(buffer, sizeof buffer), 0u);
        // Ten reads that each waited for a time-out would take a second.
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed()) + " ms"));

        QCOMPARE(peer.write("abc"), qint64(3));
        QVERIFY(peer.waitForBytesWritten(2000));
        QCOMPARE(pollUntilAvailable(port, 3, 5000), 3u);
        QCOMPARE(port.Read(nullptr, 3), 0u);
        QCOMPARE(port.Read(buffer, 0), 0u);
        QCOMPARE(port.BytesAvailable(), 3u);
    }

    void writeArrivesByteExact()
    {
        NEED_PTY_PAIR(pty_);
        QSerialPort peer;
        QVERIFY(openPeer(peer));
        TCOMSocket port;
        QVERIFY(openConfigured(port));

        const QByteArray frame = allByteValues(1024);
        const auto* bytes = reinterpret_cast<const uint8_t*>(frame.constData());
        QCOMPARE(port.Write(bytes, uint32_t(frame.size())), uint32_t(frame.size()));
        QCOMPARE(readFromPeer(peer, int(frame.size()), 5000), frame);
        QCOMPARE(port.Write(nullptr, 4), 0u);
        QCOMPARE(port.Write(bytes, 0), 0u);
    }

    // Nobody drains the far end at first, so the pseudo-terminals and socat
    // fill up and the write can only end by its time-out.
    void writeStopsAtItsTimeout()
    {
        NEED_PTY_PAIR(pty_);
        TCOMSocket port;
        QVERIFY(openConfigured(port));
        port.timeouts.writeTotalMultiplier = 0;
        port.timeouts.writeTotalConstant = 200;
        QVERIFY(port.SetTimeouts());

        const QByteArray block(8 * 1024 * 1024, 'x');
        QElapsedTimer clock;
        clock.start();
        const uint32_t written = port.Write(reinterpret_cast<const uint8_t*>(block.constData()),
                                            uint32_t(block.size()));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 190 && elapsed < 2000, qPrintable(QString::number(elapsed) + " ms"));
        QVERIFY(written > 0);
        QVERIFY(written < uint32_t(block.size()));

        // Once the far end drains, the next frame goes out alone: the part
        // the time-out cut off must not still be queued ahead of it.
        QSerialPort peer;
        QVERIFY(openPeer(peer));
        QDeadlineTimer drainLimit(10000);
        while (peer.waitForReadyRead(200) && !drainLimit.hasExpired())
            peer.readAll();
        const QByteArray marker("\x02frame-after\x03");
        QCOMPARE(port.Write(reinterpret_cast<const uint8_t*>(marker.constData()),
                            uint32_t(marker.size())),
                 uint32_t(marker.size()));
        QCOMPARE(readFromPeer(peer, int(marker.size()), 2000), marker);
    }

    void closeTwiceThenReopen()
    {
        NEED_PTY_PAIR(pty_);
        TCOMSocket port;
        QVERIFY(openConfigured(port));
        QVERIFY(port.Close());
        QVERIFY(port.Close());
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.SetState());
        QCOMPARE(port.BytesAvailable(), 0u);
        QCOMPARE(port.PortPath(), pty_.a); // the name survives Close
        QVERIFY(port.Open());
    }
};

QTEST_GUILESS_MAIN(TestTcomsocket)
#include "test_tcomsocket.moc"
