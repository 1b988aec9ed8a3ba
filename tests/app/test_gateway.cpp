// The plant gateway end to end: mosquitto on 127.0.0.1, obr9-sim with its
// modules on a pseudo-terminal, and `obr9 --headless` started as systemd
// would, without a display. A subscriber on PREFIX/# sees what a plant's
// dashboard would; the recording files are compared with the window
// program's, run beside it on a simulator of its own that sends the same
// frames.
#include "MqttBroker.h"
#include "ProgramFixture.h"
#include "TestFiles.h"
#include "UserInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// The simulator as scripts/run.sh starts it, on ports the OS picks.
class Simulator {
public:
    ~Simulator()
    {
        process.kill();
        process.waitForFinished(3000);
    }

    bool start(const QStringList& extra)
    {
        process.setProgram(QStringLiteral(OBR9_SIM_PATH));
        process.setArguments(QStringList{"--port", "0", "--modules-pty"} + extra);
        process.start();
        if (!process.waitForStarted(5000))
            return false;
        QByteArray out;
        QDeadlineTimer deadline(10000);
        while (!out.contains("listening ") && !deadline.hasExpired() &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        const QString text = QString::fromLocal8Bit(out);
        const auto line = [&text](const char* pattern) {
            return QRegularExpression(QString::fromLatin1(pattern),
                                      QRegularExpression::MultilineOption)
                .match(text)
                .captured(1);
        };
        modulePort = line("^module port (\\S+)$");
        port = line("^listening 127\\.0\\.0\\.1:(\\d+)$").toInt();
        return port != 0 && !modulePort.isEmpty();
    }

    QProcess process;
    int port = 0;
    QString modulePort;
};

// The environment of a service: no display, no platform choice.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

QByteArray runToEnd(const QStringList& arguments)
{
    QProcess obr9;
    obr9.setProcessEnvironment(withoutDisplay());
    obr9.start(QStringLiteral(OBR9_APP_PATH), arguments);
    if (!obr9.waitForFinished(10000) || obr9.exitCode() != 0)
        return "<failed> " + obr9.readAllStandardError();
    return obr9.readAllStandardOutput();
}

// The lines of a recording file with the time of day of each line made
// equal: the two programs received the same frames, not at the same
// millisecond.
QStringList linesWithoutTime(const QString& path, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing> ") + path};
    static const QRegularExpression time(QStringLiteral(",\\d{8},\\d{1,2}:\\d{1,2}:\\d{1,2}(:\\d{1,3})?"));
    QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    lines = lines.mid(0, count);
    for (QString& line : lines)
        line.replace(time, QStringLiteral(",DATE,TIME"));
    return lines;
}

int fileLines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)")).match(QString::fromLatin1(status.readAll()));
    return m.captured(1).toLongLong();
}

} // namespace

class TestGateway : public QObject {
    Q_OBJECT

    ProgramFixture window_;
    QTemporaryDir record_;

    // The gateway as the service unit starts it, with the controller and
    // the module port at once; its log is kept.
    void startGateway(QProcess& gateway, const Simulator& sim, int brokerPort)
    {
        const QString settings = record_.filePath(QStringLiteral("gateway.ini"));
        QVERIFY(writeBytes(settings, "[Settings]\r\nperiod=1\r\nname9=Boiler in\r\n"));
        gateway.setProcessEnvironment(withoutDisplay());
        gateway.setProcessChannelMode(QProcess::SeparateChannels);
        gateway.start(QStringLiteral(OBR9_APP_PATH),
                      {"--headless", "--controller", QStringLiteral("127.0.0.1:%1").arg(sim.port),
                       "--modules", sim.modulePort + QStringLiteral("@115200"), "--record",
                       record_.path(), "--settings", settings, "--mqtt",
                       QStringLiteral("127.0.0.1:%1").arg(brokerPort), "--mqtt-prefix", "gw"});
        QVERIFY(gateway.waitForStarted(5000));
    }

    // The operator's way: address and port typed, "record" and "connect"
    // ticked. Its settings file names the broker, so it publishes too.
    void startWindowProgram(const Simulator& sim, int brokerPort)
    {
        window_.start();
        QVERIFY(writeBytes(window_.path("obr9.ini"),
                           QStringLiteral("[MQTT]\r\nHost=127.0.0.1\r\nPort=%1\r\nPrefix=win\r\n")
                               .arg(brokerPort)
                               .toLatin1()));
        window_.restart();
        auto* host = window_.control<QComboBox>("HostIP");
        user::typeInto(host->lineEdit(), QStringLiteral("127.0.0.1"));
        user::typeInto(window_.control<QLineEdit>("EditPort"), QString::number(sim.port));
        for (const char* name : {"CheckBox3", "CheckBoxConnect"}) {
            auto* box = window_.control<QCheckBox>(name);
            user::click(box, QPoint(8, box->height() / 2));
            QVERIFY(box->isChecked());
        }
    }

private slots:
    void init() { NEED_MOSQUITTO(); }
    void cleanup() { window_.stop(); }

    void helpAndVersionNeedNoDisplay()
    {
        const QByteArray help = runToEnd({"--help"});
        QVERIFY2(help.contains("--headless") && help.contains("--mqtt-prefix"), help.constData());
        QCOMPARE(runToEnd({"--version"}), QByteArray("obr9 1.0\n"));
    }

    void theGatewayRecordsAndPublishesWhatTheWindowProgramWould()
    {
        TestBroker broker;
        QVERIFY(broker.start());
        TopicWatcher watcher;
        QVERIFY(watcher.start(broker.port, "gw/#"));
        const QStringList simOptions = {"--fast"};
        Simulator gatewaySim;
        Simulator windowSim;
        QVERIFY(gatewaySim.start(simOptions));
        QVERIFY(windowSim.start(simOptions));

        QProcess gateway;
        startGateway(gateway, gatewaySim, broker.port);
        TopicWatcher windowWatcher;
        QVERIFY(windowWatcher.start(broker.port, "win/#"));
        startWindowProgram(windowSim, broker.port);
        QVERIFY(watcher.waitFor("gw/status", "online"));
        QVERIFY(windowWatcher.waitFor("win/status", "online"));
        QTRY_VERIFY(windowWatcher.last().contains("win/driver/temperature/8"));
        // Driver, HQ-2 and the four VK8 modules asked in turn.
        QTRY_VERIFY_WITH_TIMEOUT(watcher.last().size() >= 1 + 13 + 48 + 32, 15000);
        const QHash<QString, QString> seen = watcher.last();
        QStringList topics;
        for (int k = 1; k <= 8; ++k)
            topics << QStringLiteral("gw/driver/temperature/%1").arg(k);
        for (const char* topic : {"voltage", "input/1", "input/2", "output/1", "output/2"})
            topics << QStringLiteral("gw/driver/") + QLatin1String(topic);
        for (int n = 1; n <= 16; ++n)
            for (const char* value : {"internal", "external", "voltage"})
                topics << QStringLiteral("gw/hq2/%1/").arg(n) + QLatin1String(value);
        for (const QString& topic : std::as_const(topics))
            QVERIFY2(seen.contains(topic), qPrintable(topic));
        for (int n = 0; n < 32; ++n) {
            const QString topic = QStringLiteral("gw/vk8/%1/output/%2").arg(n / 8).arg(n % 8);
            QVERIFY2(seen.value(topic) == QLatin1String("0"), qPrintable(topic));
        }
        bool ok = false;
        seen.value("gw/hq2/16/internal").toFloat(&ok);
        QVERIFY(ok);
        // Channel 3 has no external sensor: its retained value is cleared.
        QCOMPARE(seen.value("gw/hq2/3/external"), QString());

        // The same frames give the same lines, headers and interval indexes
        // included.
        const QString names[] = {"temperatures.csv", "voltage.csv", "IO.csv"};
        for (const QString& name : names) {
            QTRY_VERIFY_WITH_TIMEOUT(fileLines(window_.path(name)) >= 8 &&
                                         fileLines(record_.filePath(name)) >= 8,
                                     10000);
            QCOMPARE(linesWithoutTime(record_.filePath(name), 8),
                     linesWithoutTime(window_.path(name), 8));
        }

        // Both periodic chart files of the day are in the record folder.
        const QDir folder(record_.path());
        QTRY_COMPARE(folder.entryList({"*Temp.bin", "*Volt.bin"}, QDir::Files).size(), 2);
        const QStringList charts = folder.entryList({"*Temp.bin", "*Volt.bin"}, QDir::Files);
        for (const QString& chart : charts)
            QVERIFY(fileBytes(record_.filePath(chart)).startsWith("\x60\x30\x20\x01"));

        // Channel 3's missing external sensor is an alarm once its on-delay
        // has passed: one JSON object on the alarm topic, not retained.
        const auto sensorAlarm = [&watcher] {
            for (const auto& m : watcher.messages)
                if (m.topic == QLatin1String("gw/alarm") && !m.retained &&
                    m.payload.contains(QLatin1String("\"kind\":\"sensor\",\"state\":\"active\"")))
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(sensorAlarm(), 15000);

        // The broker goes and comes back: values flow again within 10 s,
        // and the gateway's memory stays where it was.
        const qint64 before = residentKilobytes(gateway.processId());
        broker.stop();
        QTest::qWait(3000);
        QVERIFY(broker.start(broker.port));
        QElapsedTimer back;
        back.start();
        TopicWatcher again;
        QVERIFY(again.start(broker.port, "gw/driver/#"));
        QTRY_VERIFY_WITH_TIMEOUT(again.messages.size() > 20, 10000);
        QVERIFY2(back.elapsed() < 10000, qPrintable(QString::number(back.elapsed())));
        const qint64 after = residentKilobytes(gateway.processId());
        QVERIFY2(after < before + 4096, qPrintable(QStringLiteral("%1 -> %2 kB").arg(before).arg(after)));

        // A gateway that dies leaves "offline" through the broker's last will.
        TopicWatcher status;
        QVERIFY(status.start(broker.port, "gw/status"));
        QVERIFY(status.waitFor("gw/status", "online"));
        ::kill(pid_t(gateway.processId()), SIGKILL);
        QVERIFY(gateway.waitForFinished(5000));
        QVERIFY(status.waitFor("gw/status", "offline", 5000));

        // SIGTERM ends one cleanly: "offline" published, exit code 0.
        QProcess second;
        startGateway(second, gatewaySim, broker.port);
        const int from = int(status.messages.size());
        QVERIFY(status.waitFor("gw/status", "online", 10000, from));
        ::kill(pid_t(second.processId()), SIGTERM);
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(status.waitFor("gw/status", "offline", 5000, from));
        const QByteArray log = second.readAllStandardError();
        QVERIFY2(log.contains("MQTT: connected to 127.0.0.1:"), log.constData());
    }
};

QTEST_MAIN(TestGateway)
#include "test_gateway.moc"
