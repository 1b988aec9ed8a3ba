// The program left on its own: a backlog after a network stall, links that
// change under an identified controller, a serial adapter that goes away,
// and the HQ-2 counters at the fastest serial rate.
#include "ControllerFrames.h"
#include "ProgramFixture.h"
#include "PtyPair.h"
#include "TestBytes.h"
#include "UserInput.h"

#include "measure/ui/TForm4.h"
#include "protocol/Checksums.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

using namespace obr9;

namespace {

const QByteArray kIdentificationRequest =
    bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09 FF FE");
const int kRaw[8] = {43, 44, -100, 0, 1, 2, 3, 500};
const QList<QByteArray> kNames = {"Boiler", "Ch1", "Ch2", "Ch3", "Ch4", "Ch5", "Ch6", "Ch7"};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Gaps between ticks of a 5 ms timer: the longest is the longest time the
// event loop did not turn.
class StallMeter {
public:
    StallMeter()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, clock_.restart());
        });
    }
    void start()
    {
        longest_ = 0;
        clock_.start();
        timer_.start();
    }
    qint64 longestMs()
    {
        longest_ = std::max(longest_, clock_.elapsed());
        return longest_;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// A pseudo-terminal whose controlling side the test holds, so that it can
// hang up the line as an unplugged adapter does.
struct OwnPty {
    int master = -1;
    QString slave;
    bool open()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return false;
        slave = QString::fromLocal8Bit(ptsname(master));
        return !slave.isEmpty();
    }
    void close()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    ~OwnPty() { close(); }
};

// Runs the event loop as the program's own does (QTest::qWait sleeps between
// rounds, which a stall meter would count) until `done` or the time-out.
template <typename Done>
bool runLoopUntil(Done done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(20);
    if (!done())
        loop.exec();
    return done();
}

int lineCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count('\n'));
}

// One 20-byte module frame with its CRC-16/MODBUS, low byte first.
QByteArray moduleFrame(int channel, int kind, uint32_t salt)
{
    QByteArray f(20, '\0');
    f[0] = char(channel);
    f[1] = 0x11;
    f[2] = 0x22;
    f[3] = char(kind);
    for (int i = 4; i < 18; ++i)
        f[i] = char((salt >> (i % 4 * 8)) + uint32_t(i) * 37u);
    // A checksum of 0 never counts as a match on the module link.
    uint16_t crc = 0;
    while ((crc = Crc16Modbus(reinterpret_cast<const uint8_t*>(f.constData()), 0, 18)) == 0)
        f[17] = char(f[17] + 1);
    f[18] = char(crc & 0xFF);
    f[19] = char(crc >> 8);
    return f;
}

// 60 s of a 230 400-baud line (23 040 bytes a second): good frames of
// channels 0..19 and another kind, with stray bytes and broken checksums
// between them. Every byte not in a good frame is slid over one at a time.
struct ModuleStream {
    QByteArray bytes;
    int64_t goodFrameBytes = 0;
};

ModuleStream moduleStream()
{
    ModuleStream s;
    const int total = 60 * 23040;
    uint32_t n = 0;
    while (s.bytes.size() < total - 40) {
        ++n;
        if (n % 29 == 0) {
            s.bytes += bytes("FF 00 13"); // stray bytes
        } else if (n % 31 == 0) {
            QByteArray broken = moduleFrame(int(n % 16), 2, n);
            broken[12] = char(broken[12] ^ 0x5A);
            s.bytes += broken;
        }
        const QByteArray good = moduleFrame(int(n % 20), n % 37 == 0 ? 7 : 2, n);
        s.bytes += good;
        s.goodFrameBytes += good.size();
    }
    return s;
}

} // namespace

class TestUnattended : public QObject {
    Q_OBJECT
    ProgramFixture app_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }

    void tickConnect(bool on)
    {
        auto* box = control<QCheckBox>("CheckBoxConnect");
        if (box->isChecked() != on)
            user::click(box);
        QCOMPARE(box->isChecked(), on);
    }

    void connectTo(PeerController& peer)
    {
        control<QComboBox>("ComboBoxPort")->setEditText(QStringLiteral("LAN"));
        control<QComboBox>("HostIP")->setEditText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>("EditPort")->setText(QString::number(peer.server.serverPort()));
        tickConnect(true);
        QVERIFY(peer.waitForConnection());
        QCOMPARE(peer.readExactly(18), kIdentificationRequest);
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(app_.form->link().deviceAnswered());
    }

    void useSerialPort(const QString& path)
    {
        control<QComboBox>("ComboBoxPort")->setEditText(path);
        control<QComboBox>("ComboBoxSpeed")->setEditText(QStringLiteral("230400"));
    }

    // Pulls the serial port as Timer1 does, until `done` or 10 s.
    template <typename Done>
    bool pollSerialUntil(Done done, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            app_.form->Timer1Timer();
        }
        return done();
    }

private slots:
    void init() { app_.start(); }
    void cleanup() { app_.stop(); }

    void backlogKeepsTheWindowAliveAndEveryFrameIsRecorded()
    {
        PeerController peer;
        connectTo(peer);
        control<QCheckBox>("CheckBox3")->setChecked(true);
        control<QCheckBox>("CheckBox4")->setChecked(true);
        control<QCheckBox>("CheckBox5")->setChecked(true);

        // 150 KB of mixed frames, as the controller sends after a stall.
        const QByteArray voltage = dataFrame(4, bytes("99 00"));
        const QByteArray io = dataFrame(2, bytes("05"));
        const QByteArray temperatures = eightTemperatures(kRaw, kNames);
        QByteArray backlog;
        int voltages = 0, ios = 0, temperatureFrames = 0;
        for (int n = 0; backlog.size() < 150 * 1024; ++n) {
            backlog += voltage;
            ++voltages;
            if (n % 3 == 0) {
                backlog += io;
                ++ios;
            }
            if (n % 10 == 0) {
                backlog += temperatures;
                ++temperatureFrames;
            }
        }

        StallMeter meter;
        meter.start();
        QElapsedTimer wall;
        wall.start();
        peer.send(backlog);
        QVERIFY(runLoopUntil([&] { return lineCount(app_.path("voltage.csv")) == voltages; },
                             30000));
        const qint64 elapsed = wall.elapsed();
        const qint64 stall = meter.longestMs();
        QCOMPARE(lineCount(app_.path("IO.csv")), ios);
        QCOMPARE(lineCount(app_.path("temperatures.csv")), temperatureFrames + 1); // + header
        const int frames = voltages + ios + temperatureFrames;
        qInfo("backlog of %lld bytes, %d frames: %lld ms, %.0f frames/s decoded and recorded,"
              " longest event-loop stall %lld ms",
              qlonglong(backlog.size()), frames, qlonglong(elapsed),
              frames * 1000.0 / double(std::max<qint64>(elapsed, 1)), qlonglong(stall));
        QVERIFY2(stall <= (kSanitized ? 400 : 100), qPrintable(QString::number(stall)));

        // The chart window shows what drawing after every frame would: the
        // last sample (0x0099 = 9.98 V, row 416) in the last column.
        const QImage image = app_.form->chartWindow()->voltageImage();
        QCOMPARE(image.pixel(999, 416) | 0xFF000000u, qRgb(0, 0, 0));
    }

    void answerOverTcpStaysWithTcp()
    {
        if (!PtyPair::available())
            QSKIP("socat is not installed");
        PeerController peer;
        connectTo(peer);
        // Unticking "connect" closes the link that carried the answer.
        tickConnect(false);
        QVERIFY(!app_.form->link().deviceAnswered());

        // The same through the listening server, then a serial port.
        control<QLineEdit>("EditPort")->setText(QStringLiteral("0"));
        app_.form->link().setListenAddress(QHostAddress::LocalHost);
        user::click(control<QCheckBox>("CheckBox2"));
        QVERIFY(app_.form->link().server().isListening());
        QTcpSocket controller;
        controller.connectToHost(QHostAddress::LocalHost, app_.form->link().server().serverPort());
        QVERIFY(controller.waitForConnected(5000));
        QTRY_COMPARE(controller.bytesAvailable(), qint64(18));
        controller.readAll();
        controller.write(bytes("FF FE 01 0A 00 02 03"));
        controller.flush();
        QTRY_VERIFY(app_.form->link().deviceAnswered());

        PtyPair pty;
        QVERIFY2(pty.start(), qPrintable(pty.error));
        QSerialPort bus;
        bus.setPortName(pty.b);
        QVERIFY(bus.open(QIODevice::ReadWrite));
        useSerialPort(pty.a);
        tickConnect(true);
        // Frames now go to the RS-485 line; the TCP controller's answer
        // must not start identification requests or reconnects there.
        for (int second = 0; second < 20; ++second)
            app_.form->Timer2Timer();
        QCOMPARE(app_.form->link().liveTimer(), 0);
        QTest::qWait(50);
        bus.waitForReadyRead(50);
        QVERIFY2(!bus.readAll().contains(kIdentificationRequest), "identification on the bus");
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(app_.form->link().serialPort().IsOpen());

        // Unticking "listen" forgets the server's answer.
        user::click(control<QCheckBox>("CheckBox2"));
        QVERIFY(!app_.form->link().deviceAnswered());
    }

    void vanishedSerialPortIsReportedAndReopened()
    {
        OwnPty first;
        QVERIFY(first.open());
        const QString link = QStringLiteral("/dev/shm/obr9-test-port-%1").arg(getpid());
        ::unlink(qPrintable(link));
        QVERIFY(::symlink(qPrintable(first.slave), qPrintable(link)) == 0);
        auto removeLink = qScopeGuard([&] { ::unlink(qPrintable(link)); });

        useSerialPort(link);
        tickConnect(true);
        QVERIFY(app_.form->link().serialPort().IsOpen());

        // The adapter goes away.
        first.close();
        QVERIFY(pollSerialUntil([&] { return app_.form->link().serialPortLost(); }));
        QCOMPARE(app_.memo().count(QStringLiteral("PORT_UTRACONY ") + link), 1);
        QVERIFY2(app_.form->windowTitle().contains(QStringLiteral("Port lost: ") + link),
                 qPrintable(app_.form->windowTitle()));
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        // More polls and writes add nothing while the port is away.
        for (int i = 0; i < 5; ++i)
            app_.form->Timer1Timer();
        app_.form->link().SendFrame(kIdentificationRequest);
        QCOMPARE(app_.memo().count(QStringLiteral("PORT_UTRACONY")), 1);
        QVERIFY(!app_.memo().contains(QStringLiteral("hej, cos ne tak")));

        // It comes back under the same name.
        OwnPty second;
        QVERIFY(second.open());
        ::unlink(qPrintable(link));
        QVERIFY(::symlink(qPrintable(second.slave), qPrintable(link)) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(!app_.form->link().serialPortLost(), 5000);
        QVERIFY(app_.form->link().serialPort().IsOpen());
        QVERIFY(!app_.form->windowTitle().contains(QStringLiteral("Port lost")));

        // Bytes flow again: a module frame reaches the HQ-2 counters.
        const QByteArray frame = moduleFrame(0, 2, 1);
        QCOMPARE(::write(second.master, frame.constData(), size_t(frame.size())),
                 ssize_t(frame.size()));
        QVERIFY(pollSerialUntil([&] {
            return control<QLabel>("Label74")->text() == QStringLiteral("odebrane:20");
        }));
    }

    void everyModuleByteIsCountedAtAnyPace()
    {
        if (!PtyPair::available())
            QSKIP("socat is not installed");
        const ModuleStream stream = moduleStream();
        const int64_t total = stream.bytes.size();
        const int64_t rejected = total - stream.goodFrameBytes;
        const QString receivedText = QStringLiteral("odebrane:%1").arg(total);
        const QString rejectedText =
            QStringLiteral("odrzuty:%1, %2%").arg(rejected).arg(rejected * 100 / total);

        QStringList seen;
        for (const bool trickled : {false, true}) {
            if (trickled) {
                app_.stop();
                app_.start();
            }
            PtyPair pty;
            QVERIFY2(pty.start(), qPrintable(pty.error));
            QSerialPort line;
            line.setPortName(pty.b);
            QVERIFY(line.open(QIODevice::ReadWrite));
            useSerialPort(pty.a);
            tickConnect(true);
            QVERIFY(app_.form->link().serialPort().IsOpen());
            auto* received = control<QLabel>("Label74");
            auto* rejectedLabel = control<QLabel>("Label29");

            if (!trickled) {
                line.write(stream.bytes);
            } else {
                // 20 ms of the line at 230 400 baud: 460.8 bytes.
                int64_t sent = 0;
                for (int piece = 1; sent < total; ++piece) {
                    const int64_t upTo = std::min<int64_t>(total, piece * 23040 / 50);
                    line.write(stream.bytes.mid(sent, upTo - sent));
                    sent = upTo;
                    line.waitForBytesWritten(0);
                    if (piece % 4 == 0) {
                        QCoreApplication::processEvents();
                        app_.form->Timer1Timer();
                    }
                }
            }
            QVERIFY2(pollSerialUntil([&] { return received->text() == receivedText; }, 30000),
                     qPrintable(received->text() + QStringLiteral(" / ") + receivedText));
            QCOMPARE(rejectedLabel->text(), rejectedText);
            seen << received->text() + QLatin1Char(' ') + rejectedLabel->text();
            tickConnect(false);
        }
        QCOMPARE(seen.at(0), seen.at(1));
    }
};

QTEST_MAIN(TestUnattended)
#include "test_unattended.moc"
