// The alarm engine and its journal without windows, on a pinned clock.

#include "alarm/AlarmEngine.h"
#include "alarm/AlarmJournal.h"
#include "alarm/Alarms.h"
#include "base/IniFile.h"
#include "base/Reporter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

constexpr int kHigh = AlarmEngine::slotOf(0, AlarmKind::High);

struct Recorded {
    QList<AlarmEvent> events;
    QStringList states() const
    {
        QStringList out;
        for (const AlarmEvent& e : events)
            out << alarmKindText(e.kind) + QLatin1Char(' ') + alarmStateText(e.state);
        return out;
    }
};

class PinnedEngine {
public:
    PinnedEngine()
    {
        engine.setClock([this] { return nowMs; });
        QObject::connect(&engine, &AlarmEngine::changed,
                         [this](const AlarmEvent& e) { seen.events << e; });
        engine.setName(0, QStringLiteral("Boiler"));
        engine.setLimits(0, 30.0f, 10.0f);
    }
    // One reading of channel 0 per second for `seconds`.
    void feed(float internal, int seconds = 1)
    {
        for (int s = 0; s < seconds; ++s) {
            nowMs += 1000;
            engine.reading(0, internal, 20.0f);
            engine.tick(true);
        }
    }
    int64_t nowMs = 1'800'000'000'000;
    AlarmEngine engine;
    Recorded seen;
};

class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& m) override { messages << m; }
    QList<OperatorMessage> messages;
};

} // namespace

class TestAlarmEngine : public QObject {
    Q_OBJECT
private slots:
    // Both ISA-18.2 paths of a high limit, with the on-delay and deadband
    // and what the journal makes of them.
    void limitAlarmGoesThroughItsStates()
    {
        PinnedEngine p;
        p.feed(31.5, 4); // the condition holds 3 s after the first reading: not yet
        QVERIFY(p.seen.events.isEmpty());
        p.feed(31.5, 2);
        QCOMPARE(p.seen.states(), QStringList{"high active"});
        QCOMPARE(p.engine.activeCount(), 1);
        QCOMPARE(p.engine.unacknowledgedCount(), 1);
        p.engine.acknowledge(kHigh);
        p.feed(29.8, 3); // inside the limit, not by the deadband
        p.feed(29.4);
        QCOMPARE(p.seen.states(), (QStringList{"high active", "high acknowledged", "high normal"}));
        QCOMPARE(p.engine.activeCount(), 0);

        // Unacknowledged, it returns, and the acknowledgement ends it.
        p.feed(5.0, 6);
        p.feed(20.0);
        QCOMPARE(p.engine.state(AlarmEngine::slotOf(0, AlarmKind::Low)),
                 AlarmState::ReturnedUnacknowledged);
        QCOMPARE(p.engine.unacknowledgedCount(), 1);
        p.engine.acknowledgeAll();
        QCOMPARE(p.seen.states().mid(3),
                 (QStringList{"low active", "low returned", "low normal"}));
        QCOMPARE(p.engine.current().size(), std::size_t(0));

        const AlarmEvent active = p.seen.events.at(0);
        QCOMPARE(active.source, QStringLiteral("Boiler"));
        QByteArray line = AlarmJournal::line(active);
        QVERIFY2(QRegularExpression(
                     "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d,Boiler,high,active,31.5,30\n$")
                     .match(QString::fromLatin1(line))
                     .hasMatch(),
                 line.constData());
    }

    // A value wavering on the limit for a minute: at most one alarm, with
    // and without an on-delay.
    void waveringOnTheLimitGivesOneAlarm()
    {
        for (const auto delay : {5000ms, 0ms}) {
            PinnedEngine p;
            p.engine.setOnDelay(delay);
            for (int s = 0; s < 60; ++s)
                p.feed(s % 2 ? 29.8f : 30.2f);
            const QStringList states = p.seen.states();
            QVERIFY2(states.isEmpty() || states == QStringList{"high active"},
                     qPrintable(states.join(';')));
            QCOMPARE(states.size(), delay == 0ms ? 1 : 0);
        }
    }

    // Removing the limit returns the alarm; a missing sensor, the silent
    // stream and the link act at once.
    void otherSourcesActAtOnce()
    {
        PinnedEngine p;
        p.engine.setOnDelay(0ms);
        p.feed(35.0);
        p.engine.setLimits(0, std::nullopt, 10.0f);
        QCOMPARE(p.engine.state(kHigh), AlarmState::ReturnedUnacknowledged);

        p.nowMs += 1000;
        p.engine.reading(0, 20.0f, AlarmEngine::kMissingSensor);
        QCOMPARE(p.engine.state(AlarmEngine::slotOf(16, AlarmKind::Sensor)),
                 AlarmState::ActiveUnacknowledged);

        auto silentFor = [&p](int seconds) {
            for (int s = 0; s < seconds; ++s) {
                p.nowMs += 1000;
                p.engine.tick(true);
            }
        };
        silentFor(28);
        QCOMPARE(p.engine.state(AlarmEngine::kSilentSlot), AlarmState::Normal);
        silentFor(3);
        QCOMPARE(p.engine.state(AlarmEngine::kSilentSlot), AlarmState::ActiveUnacknowledged);
        QCOMPARE(p.seen.events.last().source, QStringLiteral("link"));
        p.feed(20.0f);
        QCOMPARE(p.engine.state(AlarmEngine::kSilentSlot), AlarmState::ReturnedUnacknowledged);

        p.engine.setControllerLinkLost(true);
        p.engine.setControllerLinkLost(true);
        p.engine.setControllerLinkLost(false);
        QCOMPARE(p.seen.states().mid(p.seen.events.size() - 2), (QStringList{"link active", "link returned"}));
    }

    // The journal on disk: header once, Windows-1250, quoted names, the
    // tail read back; an unwritable journal is reported once and the
    // alarms keep working.
    void journalWritesReadsAndFails()
    {
        QTemporaryDir dir;
        Alarms alarms;
        alarms.journal().setFolder(dir.path());
        CollectingReporter reporter;
        QStringList memo;
        alarms.setReporter(&reporter);
        alarms.setMemo([&memo](const QString& l) { memo << l; });
        alarms.engine().setOnDelay(0ms);
        alarms.engine().setName(0, QStringLiteral("Kocioł, góra"));
        alarms.engine().setLimits(0, 30.0f, std::nullopt);
        for (int i = 0; i < 1100; ++i)
            alarms.engine().reading(0, i % 2 ? 20.0f : 31.0f, 20.0f); // active, returned
        const QByteArray bytes = [&] {
            QFile f(alarms.journal().filePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(bytes.startsWith(AlarmJournal::header()));
        QCOMPARE(bytes.count("time,source"), 1);
        QVERIFY(bytes.contains(",\"Kocio\xb3, g\xf3ra\",high,returned,20,30\n"));
        const QList<QStringList> last = alarms.journal().lastLines();
        QCOMPARE(last.size(), 1000);
        QCOMPARE(last.last().mid(1), (QStringList{"Kocioł, góra", "high", "returned", "20", "30"}));

        alarms.journal().setFolder(dir.filePath("missing/folder"));
        alarms.engine().reading(0, 40.0f, 20.0f);
        alarms.engine().reading(0, 20.0f, 20.0f);
        QCoreApplication::processEvents();
        QCOMPARE(memo.size(), 1);
        QCOMPARE(reporter.messages.size(), 1);
        QCOMPARE(reporter.messages.first().cause, Alarms::kJournalCause);
        QCOMPARE(alarms.engine().unacknowledgedCount(), 1);
    }

    // [Alarms] comes and goes without touching [Settings]; a program
    // without windows takes the table's names and limits from [Settings].
    void settingsKeepTheirOwnSection()
    {
        IniFile ini;
        ini.parse("[Settings]\r\nperiod=1\r\nname25=Flue\r\nTEXTmax0=180,5\r\n"
                  "[Alarms]\r\nonDelay=12\r\ndeadband=0.25\r\nsound=1\r\n");
        const QByteArray before = ini.toBytes();
        QTemporaryDir dir;
        Alarms alarms;
        alarms.journal().setFolder(dir.path());
        alarms.loadSettings(ini);
        alarms.loadChannelSettings(ini);
        QCOMPARE(ini.toBytes(), before);
        QCOMPARE(alarms.engine().onDelay(), 12000ms);
        QCOMPARE(alarms.engine().deadband(), 0.25f);
        QVERIFY(alarms.sound());

        alarms.engine().setOnDelay(0ms);
        alarms.engine().reading(0, 200.0f, 181.0f);
        QCOMPARE(alarms.engine().current().size(), std::size_t(1));
        QCOMPARE(alarms.engine().sourceName(alarms.engine().current().front().slot), QStringLiteral("Flue"));

        alarms.engine().setDeadband(1.5f);
        alarms.saveSettings(ini);
        QCOMPARE(ini.toBytes(),
                 QByteArray("[Settings]\r\nperiod=1\r\nname25=Flue\r\nTEXTmax0=180,5\r\n"
                            "[Alarms]\r\nonDelay=0\r\ndeadband=1.5\r\nsound=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestAlarmEngine)
#include "test_alarm_engine.moc"
