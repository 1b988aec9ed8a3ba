#include "base/HistoryRing.h"

#include <QTest>

using namespace obr9;

class TestHistoryRing : public QObject {
    Q_OBJECT
private slots:
    void thousandthAdvanceWraps()
    {
        VoltageHistory ring;
        for (int i = 0; i < 999; ++i) {
            ring.store(0, i);
            ring.advance();
        }
        QCOMPARE(ring.writeIndex(), 999);
        QVERIFY(!ring.wrapped());
        ring.store(0, 999);
        ring.advance();
        QCOMPARE(ring.writeIndex(), 0);
        QVERIFY(ring.wrapped());
        QCOMPARE(ring.sample(0, 999), 999);
        ring.store(0, -7);
        QCOMPARE(ring.sample(0, 0), -7);
    }

    void previousAtSlotZeroStaysInItsRow()
    {
        TemperatureHistory ring;
        for (int i = 0; i < 999; ++i)
            ring.advance();
        for (int row = 0; row < 8; ++row)
            ring.store(row, 100 + row);
        ring.advance();
        QCOMPARE(ring.writeIndex(), 0);
        for (int row = 0; row < 8; ++row)
            QCOMPARE(ring.previous(row), 100 + row);
        ring.advance();
        QCOMPARE(ring.previous(3), 0); // slot 0 of row 3 was never written
    }

    void restartKeepsSamples()
    {
        TemperatureHistory ring;
        ring.store(2, 55);
        ring.advance();
        ring.restart();
        QCOMPARE(ring.writeIndex(), 0);
        QVERIFY(!ring.wrapped());
        QCOMPARE(ring.sample(2, 0), 55);
    }

    void outOfRangeRowsAndSlotsAreHarmless()
    {
        TemperatureHistory ring;
        ring.store(8, 1);
        ring.store(-1, 1);
        QCOMPARE(ring.sample(8, 0), 0);
        QCOMPARE(ring.sample(0, 1000), 0);
        QCOMPARE(ring.sample(0, -1), 0);
    }
};

QTEST_GUILESS_MAIN(TestHistoryRing)
#include "test_history_ring.moc"
