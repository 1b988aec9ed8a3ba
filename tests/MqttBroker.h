// A real MQTT broker for tests: Debian's mosquitto on 127.0.0.1, on a port
// the OS picked, with its own configuration file in a temporary folder, and
// a mosquitto_sub that records what a plant's subscriber would see. Both are
// ended here by their own process ids.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

inline QString mosquittoProgram(const char* name)
{
    QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(QString::fromLatin1(name), {"/usr/sbin", "/sbin"});
    return path;
}

#define NEED_MOSQUITTO()                                                                       \
    do {                                                                                       \
        if (mosquittoProgram("mosquitto").isEmpty() ||                                         \
            mosquittoProgram("mosquitto_sub").isEmpty())                                       \
            QSKIP("mosquitto and mosquitto-clients are not installed (scripts/setup.sh)");    \
    } while (false)

class TestBroker {
public:
    ~TestBroker() { stop(); }

    // A port nobody listens on right now, for a broker started later.
    static int freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    // On `port`, or on a free one when 0; true once it accepts connections.
    bool start(int onPort = 0)
    {
        port = onPort ? onPort : freePort();
        QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n"
                                    "persistence false\nlog_dest none\n")
                         .arg(port)
                         .toUtf8());
        config.close();
        process_.setProgram(mosquittoProgram("mosquitto"));
        process_.setArguments({"-c", config.fileName()});
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start();
        if (!process_.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(port));
            if (probe.waitForConnected(200))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    // Kills the broker outright, as a crash or power cut would.
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
    }

    int port = 0;

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// mosquitto_sub on a topic filter; every message as (retained, topic,
// payload), in arrival order.
class TopicWatcher {
public:
    struct Message {
        bool retained = false;
        QString topic;
        QString payload;
    };

    ~TopicWatcher() { stop(); }

    bool start(int port, const QString& filter)
    {
        process_.setProgram(mosquittoProgram("mosquitto_sub"));
        process_.setArguments({"-h", "127.0.0.1", "-p", QString::number(port), "-t", filter,
                               "-F", "%r %t %p"});
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                         [this] { readLines(); });
        process_.start();
        return process_.waitForStarted(5000);
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Runs the event loop until `topic` has carried `payload` (after the
    // first `from` messages), or the time is up.
    bool waitFor(const QString& topic, const QString& payload, int timeoutMs = 10000,
                 int from = 0)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (int i = from; i < int(messages.size()); ++i)
                if (messages[i].topic == topic && messages[i].payload == payload)
                    return true;
            QTest::qWait(20);
        }
        return false;
    }

    QHash<QString, QString> last() const
    {
        QHash<QString, QString> values;
        for (const Message& m : messages)
            values[m.topic] = m.payload;
        return values;
    }

    QList<Message> messages;

private:
    void readLines()
    {
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() < 3)
                continue;
            messages.append({parts[0] == QLatin1String("1"), parts[1],
                             parts.mid(2).join(QLatin1Char(' '))});
        }
    }

    QProcess process_;
};
