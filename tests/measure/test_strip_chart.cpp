// Where the chart window puts each sample, and the texts of its scales.
#include "measure/StripChart.h"

#include <QTest>

using namespace obr9;
namespace SC = obr9::StripChart;

namespace {
QString deg(const char* text)
{
    return QString::fromUtf8(text);
}
} // namespace

class TestStripChart : public QObject {
    Q_OBJECT
private slots:
    void voltageRows()
    {
        QCOMPARE(SC::voltageRow(0, false), 499); // 500 moves up onto the last row
        QCOMPARE(SC::voltageRow(0, true), 499);
        QCOMPARE(SC::voltageRow(920, false), 0); // about 60 V: the top row
        QCOMPARE(SC::voltageRow(920, true), 0);
        QCOMPARE(SC::voltageRow(1, false), 499); // 500 - trunc(0.54) = 500, moved up
        QCOMPARE(SC::voltageRow(2, true), 498);  // trunc(498.9)
        QCOMPARE(SC::voltageRow(65535, false), 500 - 35633); // far above the image
    }

    void voltageRowsRoundDifferentlyOnceWrapped()
    {
        // 153 counts: 153 * 0.543738 = 83.19: 500 - 83 before, trunc(416.81) after.
        QCOMPARE(SC::voltageRow(153, false), 417);
        QCOMPARE(SC::voltageRow(153, true), 416);
    }

    void newestVoltageSampleAtTheRightEdge()
    {
        VoltageHistory ring;
        QVERIFY(SC::voltageTrace(ring).empty()); // nothing stored yet
        for (int count : {100, 200, 300}) {
            ring.store(0, count);
            ring.advance();
        }
        const std::vector<QPoint> points = SC::voltageTrace(ring);
        const std::vector<QPoint> expected = {{1000, SC::voltageRow(300, false)},
                                              {1000, SC::voltageRow(300, false)},
                                              {999, SC::voltageRow(200, false)},
                                              {998, SC::voltageRow(100, false)}};
        QCOMPARE(points, expected);
    }

    void wrappedVoltageTraceSpansTheWidth()
    {
        VoltageHistory ring;
        for (int i = 0; i < 1001; ++i) {
            ring.store(0, i % 920);
            ring.advance();
        }
        QCOMPARE(ring.writeIndex(), 1);
        const std::vector<QPoint> points = SC::voltageTrace(ring);
        QCOMPARE(points.size(), size_t(1001));
        QCOMPARE(points[1], QPoint(1000, SC::voltageRow(1000 % 920, true)));
        QCOMPARE(points[2], QPoint(999, SC::voltageRow(999 % 920, true)));
        QCOMPARE(points.back(), QPoint(1, SC::voltageRow(1, true)));
    }

    void restartDrawsOnlyTheNewSamples()
    {
        VoltageHistory ring;
        for (int i = 0; i < 1500; ++i) {
            ring.store(0, 10);
            ring.advance();
        }
        ring.restart();
        QVERIFY(SC::voltageTrace(ring).empty());
        ring.store(0, 20);
        ring.advance();
        QCOMPARE(SC::voltageTrace(ring).size(), size_t(2));
    }

    void temperatureRows()
    {
        const SC::TemperatureScale scale{10, 50};
        QCOMPARE(SC::temperatureRow(20, 0, scale), 500);  // 10 degC: just below the image
        QCOMPARE(SC::temperatureRow(20, 3, scale), 503);
        QCOMPARE(SC::temperatureRow(120, 0, scale), 0);   // 60 degC: the top row
        QCOMPARE(SC::temperatureRow(120, 7, scale), 7);
        QCOMPARE(SC::temperatureRow(43, 0, scale), 385);  // 21.5 degC: 115 up
        QCOMPARE(SC::temperatureRow(200, 0, scale), -400); // 100 degC: above the scale, not clipped
        QCOMPARE(SC::temperatureRow(-100, 1, scale), 1101);
        // trunc toward zero below the offset: (9.5 - 10) * 10 = -5
        QCOMPARE(SC::temperatureRow(19, 0, scale), 505);
        QCOMPARE(SC::temperatureRow(41, 0, {0, 200}), 449); // 20.5 * 2.5 = 51.25
        QCOMPARE(SC::temperatureRow(90, 1, {0, 100}), 276); // humidity 45 %: 225 up
    }

    void temperatureTraceOfOneChannel()
    {
        TemperatureHistory ring;
        ring.store(2, 20);
        ring.advance();
        ring.store(2, 120);
        ring.advance();
        const std::vector<QPoint> points = SC::temperatureTrace(ring, 2, {10, 50});
        const std::vector<QPoint> expected = {{1000, 2}, {1000, 2}, {999, 502}};
        QCOMPARE(points, expected);
    }

    void timeLabels()
    {
        const auto voltage = SC::voltageSpan(QStringLiteral("1/2s"));
        QVERIFY(voltage);
        const std::array<QString, 6> expected = {"-2000sek", "-1600sek", "-1200sek",
                                                 "-800sek",  "-400sek",  "0sek"};
        QCOMPARE(SC::timeLabels(*voltage), expected);
        const std::array<QString, 6> tenPerSecond = {"-100sek", "-80sek", "-60sek",
                                                     "-40sek",  "-20sek", "0sek"};
        QCOMPARE(SC::timeLabels(*SC::voltageSpan(QStringLiteral("10/s"))), tenPerSecond);
        const std::array<QString, 6> minutes = {"-1000min", "-800min", "-600min",
                                                "-400min",  "-200min", "0min"};
        QCOMPARE(SC::timeLabels(*SC::temperatureSpan(QStringLiteral("1/1min"))), minutes);
    }

    void spansOfEveryItem_data()
    {
        QTest::addColumn<bool>("voltage");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("span");
        QTest::addColumn<QString>("unit");
        const struct {
            bool voltage;
            const char* item;
            int span;
            const char* unit;
        } rows[] = {
            {true, "10/s", -100, "sek"},       {true, "5/s", -200, "sek"},
            {true, "1/s", -1000, "sek"},       {true, "1/2s", -2000, "sek"},
            {true, "1/10s", -10000, "sek"},    {false, "1/s", -1000, "sek"},
            {false, "1/2s", -2000, "sek"},     {false, "1/5s", -5000, "sek"},
            {false, "1/10s", -10000, "sek"},   {false, "1/30s", -30000, "sek"},
            {false, "1/1min", -1000, "min"},   {false, "1/2min", -2000, "min"},
            {false, "1/5min", -5000, "min"},   {false, "1/10min", -10000, "min"},
            {false, "1/30min", -30000, "min"}, {false, "1/1h", -1000, "h"},
            {false, "1/2h", -2000, "h"},       {false, "1/5h", -5000, "h"},
            {false, "1/10h", -10000, "h"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s %s", row.voltage ? "voltage" : "temperature", row.item)
                << row.voltage << QString::fromLatin1(row.item) << row.span
                << QString::fromLatin1(row.unit);
    }

    void spansOfEveryItem()
    {
        QFETCH(bool, voltage);
        QFETCH(QString, item);
        QFETCH(int, span);
        QFETCH(QString, unit);
        const auto found = voltage ? SC::voltageSpan(item) : SC::temperatureSpan(item);
        QVERIFY(found);
        QCOMPARE(found->span, span);
        QCOMPARE(found->unit, unit);
    }

    void itemsWithoutASpan()
    {
        QVERIFY(!SC::temperatureSpan(QString()));
        QVERIFY(!SC::voltageSpan(QString()));
        QVERIFY(!SC::voltageSpan(QStringLiteral("1/1min")));
    }

    void temperatureScaleLabels()
    {
        const DisplayFormat dot;
        const std::array<QString, 6> eight = {deg("10°C"), deg("20°C"), deg("30°C"),
                                              deg("40°C"), deg("50°C"), deg("60°C")};
        QCOMPARE(SC::temperatureLabels(10, 50, TemperatureKind::EightTemperatures, dot), eight);
        // Integer division of the range: 27 / 5 = 5.
        const std::array<QString, 6> odd = {deg("-20°C"), deg("-15°C"), deg("-10°C"),
                                            deg("-5°C"),  deg("0°C"),   deg("5°C")};
        QCOMPARE(SC::temperatureLabels(-20, 27, TemperatureKind::EightTemperatures, dot), odd);
        const std::array<QString, 6> humidity = {
            deg("0°C / 0%"),   deg("5°C / 20%"),  deg("10°C / 40%"),
            deg("15°C / 60%"), deg("20°C / 80%"), deg("25°C / 100%")};
        QCOMPARE(SC::temperatureLabels(0, 25, TemperatureKind::TemperatureHumidity, dot), humidity);
        DisplayFormat comma;
        comma.setDecimalSeparator(QLatin1Char(','));
        QCOMPARE(SC::temperatureLabels(12.5, 50, TemperatureKind::EightTemperatures, comma)[1], QStringLiteral(u"22,5\u00B0C"));
    }

    void fieldNumbersTakeEitherSeparator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << "50" << true << 50.0;
        QTest::newRow("negative") << " -40 " << true << -40.0;
        QTest::newRow("comma") << "12,5" << true << 12.5;
        QTest::newRow("dot") << "12.5" << true << 12.5;
        QTest::newRow("word") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("two separators") << "1,2.5" << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("infinite") << "inf" << false << 0.0;
    }

    void fieldNumbersTakeEitherSeparator()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> number = SC::fieldNumber(text);
        QCOMPARE(number.has_value(), valid);
        if (valid)
            QCOMPARE(*number, value);
    }
};

QTEST_GUILESS_MAIN(TestStripChart)
#include "test_strip_chart.moc"
