// Unattended operation: the whole program against obr9-sim with every fault
// switch on for about a minute, recording and alarms on. Every data frame the
// simulator sent (by its own count, over all reconnects) must be one CSV
// line, every change of an alarm's state one line of alarms.csv, and the
// event loop must never stall for more than 100 ms.
//
// The simulator falls silent 8 s into each connection and drops it at 10 s;
// the program's live timer reconnects about 16 s after the last byte. The
// run ends at the first drop after kRunSeconds: a drop follows a silence,
// so at that moment everything the simulator counted has been read.
#include "ProgramFixture.h"
#include "UserInput.h"
#include "alarm/AlarmJournal.h"
#include "measure/CsvRecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <ctime>

namespace {

constexpr int kRunSeconds = 48;
constexpr qint64 kStallLimitMs = 100;

// CPU time of the calling thread, in milliseconds.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Watches the event loop from inside it: a precise 5 ms timer that notes the
// longest gap between two of its turns, both in wall time and in CPU time
// of the GUI thread. On a loaded machine the wall gap also holds the time
// the thread was not scheduled; the CPU gap is the program's own work.
class StallWatch {
public:
    StallWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { turn(); });
    }
    void start()
    {
        wall_.start();
        lastWall_ = 0;
        lastCpu_ = threadCpuMs();
        timer_.start();
    }
    void stop() { timer_.stop(); }
    qint64 longestWallMs = 0;
    double longestCpuMs = 0;

private:
    void turn()
    {
        const qint64 now = wall_.elapsed();
        const double cpu = threadCpuMs();
        longestWallMs = std::max(longestWallMs, now - lastWall_);
        longestCpuMs = std::max(longestCpuMs, cpu - lastCpu_);
        lastWall_ = now;
        lastCpu_ = cpu;
    }
    QTimer timer_;
    QElapsedTimer wall_;
    qint64 lastWall_ = 0;
    double lastCpu_ = 0;
};

// Data lines of a recording file (its header aside).
int dataLines(const QString& path, obr9::RecordKind kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    int lines = int(text.count('\n'));
    if (lines > 0 && !obr9::CsvRecorder::header(kind, {}).isEmpty())
        --lines;
    return lines;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

    ProgramFixture app_;

private slots:
    void init() { app_.start(); }
    void cleanup() { app_.stop(); }

    void everySentFrameIsRecordedAndTheWindowStaysAlive()
    {
        QProcess sim;
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(OBR9_SIM_EXE),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--fast"),
                   QStringLiteral("--garbage"), QStringLiteral("--byte-per-write"),
                   QStringLiteral("--silent-after"), QStringLiteral("8"),
                   QStringLiteral("--drop-after"), QStringLiteral("10")});
        QVERIFY(sim.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 20000);
        const QString first = QString::fromLatin1(sim.readLine()).trimmed();
        const auto match =
            QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$")).match(first);
        QVERIFY2(match.hasMatch(), qPrintable(first));

        // Lines of the simulator as they come: connections and its count.
        int connections = 0;
        int drops = 0;
        qint64 framesSent = -1;
        QElapsedTimer run;
        bool endReached = false;
        connect(&sim, &QProcess::readyReadStandardOutput, this, [&] {
            while (sim.canReadLine()) {
                const QString line = QString::fromLatin1(sim.readLine()).trimmed();
                if (line == QLatin1String("connected"))
                    ++connections;
                const auto count =
                    QRegularExpression(QStringLiteral("^data frames (\\d+)$")).match(line);
                if (count.hasMatch()) {
                    ++drops;
                    framesSent = count.captured(1).toLongLong();
                    if (run.elapsed() >= kRunSeconds * 1000)
                        endReached = true;
                }
            }
        });

        // Every change of an alarm's state, as the program reports it.
        QList<QByteArray> alarmChanges;
        connect(&app_.form->program().alarms(), &obr9::Alarms::changed, this,
                [&alarmChanges](const obr9::AlarmEvent& e) {
                    alarmChanges << obr9::AlarmJournal::line(e);
                });

        // The operator: address and port, one "record" box, "connect".
        auto* host = app_.control<QComboBox>("HostIP");
        user::typeInto(host->lineEdit(), QStringLiteral("127.0.0.1"));
        user::typeInto(app_.control<QLineEdit>("EditPort"), match.captured(1));
        user::click(app_.control<QCheckBox>("CheckBox5"));
        QVERIFY(app_.control<QCheckBox>("CheckBox5")->isChecked());
        // The program runs on its own timers from here on.
        app_.form->timer1().start();
        app_.form->timer2().start();
        StallWatch watch;
        watch.start();
        run.start();
        user::click(app_.control<QCheckBox>("CheckBoxConnect"));
        QVERIFY(app_.control<QCheckBox>("CheckBoxConnect")->isChecked());

        QTRY_VERIFY_WITH_TIMEOUT(endReached, (kRunSeconds + 40) * 1000);
        watch.stop();
        app_.form->timer2().stop();
        user::click(app_.control<QCheckBox>("CheckBoxConnect"));
        sim.kill();
        sim.waitForFinished(5000);

        int recorded = 0;
        QStringList perKind;
        for (int k = 0; k < 4; ++k) {
            const auto kind = obr9::RecordKind(k);
            const int lines = dataLines(app_.path(obr9::CsvRecorder::fileName(kind)), kind);
            perKind << QStringLiteral("%1: %2").arg(obr9::CsvRecorder::fileName(kind)).arg(lines);
            recorded += lines;
        }
        qInfo("soak: %.1f s, %d connections, %d drops, %lld frames sent, %d lines recorded (%s)",
              double(run.elapsed()) / 1000.0, connections, drops, framesSent, recorded,
              qPrintable(perKind.join(QStringLiteral(", "))));
        qInfo("soak: longest event-loop stall %lld ms wall, %.1f ms of GUI-thread CPU",
              watch.longestWallMs, watch.longestCpuMs);

        QVERIFY2(connections >= 2, "the run must span a reconnect");
        // Each drop is a link alarm, each reconnect with data its return.
        const QByteArray journal = [this] {
            QFile f(app_.path(obr9::AlarmJournal::kFileName));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        qInfo("soak: %lld alarm changes", qlonglong(alarmChanges.size()));
        QVERIFY(alarmChanges.size() >= 2);
        QCOMPARE(journal, obr9::AlarmJournal::header() + alarmChanges.join());
        QVERIFY(journal.contains(",link,link,active,,\n"));
        QVERIFY(journal.contains(",link,link,returned,,\n"));
        QVERIFY(framesSent > 0);
        QCOMPARE(qint64(recorded), framesSent);
        QVERIFY2(watch.longestCpuMs <= double(kStallLimitMs),
                 qPrintable(QString::number(watch.longestCpuMs)));
        if (qEnvironmentVariableIsSet("OBR9_SOAK_WALL_STALLS"))
            QVERIFY2(watch.longestWallMs <= kStallLimitMs,
                     qPrintable(QString::number(watch.longestWallMs)));
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
