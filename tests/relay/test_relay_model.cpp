#include "relay/RelayCommands.h"
#include "relay/RelayModel.h"
#include "TestBytes.h"

#include <QTest>

using namespace obr9;

class TestRelayModel : public QObject {
    Q_OBJECT
private slots:
    void stateRequests()
    {
        QCOMPARE(relayStateRequest(0), bytes("00 03 07 01 00 00 00 00 00 00 35 D1"));
        QCOMPARE(relayStateRequest(2), bytes("02 03 07 01 00 00 00 00 00 00 94 1B"));
        QCOMPARE(relayStateRequest(-1), bytes("FF 03 07 01 00 00 00 00 00 00 00 22"));
    }

    void monostableAsksOnWhileHeld()
    {
        RelayModel model;
        model.module(1).rsid = 1;
        const int n = 8 + 2; // module 1, output 2
        model.setMode(n, Monostable);
        QCOMPARE(model.press(n), QList<QByteArray>{bytes("01 04 07 01 04 02 00 00 00 00 3A 60")});
        QCOMPARE(model.output(n).state, uint8_t(0));
        QCOMPARE(model.currentModule(), 1);
        QCOMPARE(model.release(n), QList<QByteArray>{bytes("01 04 07 01 00 02 00 00 00 00 3B E4")});
    }

    void bistableAsksForTheOppositeAndKeepsTheReport()
    {
        RelayModel model;
        model.setMode(0, Bistable);
        model.output(0).state = 1;
        model.output(3).state = 1;
        QCOMPARE(model.press(0), QList<QByteArray>{bytes("00 04 07 01 08 00 00 00 00 00 12 A9")});
        QCOMPARE(model.output(0).state, uint8_t(1)); // until the module answers
        QVERIFY(model.release(0).isEmpty());
    }

    void timedSwitchCountsDown()
    {
        RelayModel model;
        model.module(3).rsid = 3;
        const int n = 31;
        model.setMode(n, Timed);
        model.output(n).time = 5;
        QCOMPARE(model.press(n), QList<QByteArray>{bytes("03 04 07 01 80 07 05 00 00 00 49 22")});
        QVERIFY(model.release(n).isEmpty());
        QStringList letters;
        for (int second = 0; second < 6; ++second) {
            model.tick();
            letters << model.output(n).modeLetter;
        }
        QCOMPARE(letters, (QStringList{"4", "3", "2", "1", "T", "T"}));

        // A countdown goes on when the mode is changed meanwhile.
        model.press(n);
        model.setMode(n, Monostable);
        QCOMPARE(model.output(n).modeLetter, QStringLiteral("M"));
        model.tick();
        QCOMPARE(model.output(n).modeLetter, QStringLiteral("4"));

        model.output(5).time = 0;
        model.setMode(5, Timed);
        model.press(5);
        model.tick();
        QCOMPARE(model.output(5).modeLetter, QStringLiteral("T"));
    }

    void unknownModeSendsNothing()
    {
        RelayModel model;
        model.setMode(4, 7);
        QCOMPARE(model.output(4).modeLetter, QStringLiteral("M")); // letter kept
        QVERIFY(model.press(4).isEmpty());
    }

    void answerGoesToTheCurrentModule()
    {
        RelayModel model;
        model.press(2 * 8 + 1); // module 2 becomes current
        const QList<int> changed = model.applyStateAnswer(0x81);
        QCOMPARE(changed.first(), 16);
        QCOMPARE(model.output(16).state, uint8_t(1));
        QCOMPARE(model.output(17).state, uint8_t(0));
        QCOMPARE(model.output(23).state, uint8_t(1));
        QCOMPARE(model.output(0).state, uint8_t(0));
        QCOMPARE(model.stateBits(2), uint8_t(0x81));

        model.readState(0);
        model.applyStateAnswer(0x02);
        QCOMPARE(model.stateBits(0), uint8_t(0x02));
        QCOMPARE(model.stateBits(2), uint8_t(0x81));
    }

    void defaults()
    {
        RelayModel model;
        QCOMPARE(model.output(31).name, QStringLiteral("OUT31"));
        QCOMPARE(model.module(3).name, QStringLiteral("OUTPUTS 3"));
        QCOMPARE(model.selection(), -1);
    }
};

QTEST_GUILESS_MAIN(TestRelayModel)
#include "test_relay_model.moc"
