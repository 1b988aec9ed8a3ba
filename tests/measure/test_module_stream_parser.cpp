#include "measure/ChartData.h"
#include "measure/ModuleCharts.h"
#include "measure/ModuleStreamParser.h"

#include "TestBytes.h"

#include <QTest>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

// Frames with their CRC worked out by hand, so a wrong CRC routine fails here.
// Channel 0: internal 21.5, external 23.25, count 153.
const QByteArray kChannel0 = bytes("00 11 22 02 00 00 AC 41 00 00 BA 41 99 00 AA BB CC DD F6 87");
// Channel 3: internal -5.0, no external sensor (-900.0), count 0.
const QByteArray kChannel3Missing = bytes("03 11 22 02 00 00 A0 C0 00 00 61 C4 00 00 AA BB CC DD 3E 03");
// Channel byte 16, good CRC.
const QByteArray kChannel16 = bytes("10 11 22 02 00 00 80 3F 00 00 00 40 03 00 AA BB CC DD 7B F5");
// Channel 15: internal 1234.5, external -0.004, count 65535.
const QByteArray kChannel15 = bytes("0F 11 22 02 00 50 9A 44 6F 12 83 BB FF FF AA BB CC DD 3F C9");
// Relay state answer, output bits A5.
const QByteArray kRelayAnswer = bytes("05 00 00 01 A5 00 00 00 00 00 00 00 00 00 00 00 00 00 05 8C");
// Bytes 0..17 compute to CRC 0, and bytes 18-19 say 0: must not pass.
const QByteArray kZeroCrc = bytes("01 00 00 02 00 00 48 42 00 00 70 42 00 00 00 00 A0 80 00 00");

class Events : public ModuleStreamListener {
public:
    void bytesOfCall(int count) override { log << QStringLiteral("bytes %1").arg(count); }
    void statisticsChanged(const ModuleStreamStatistics& s) override
    {
        log << s.rejectedText() + QLatin1Char(' ') + s.receivedText();
    }
    void checksumChecked(bool good) override { log << (good ? kChecksumGoodText : kChecksumBadText); }
    void temperatureModuleConnected() override { log << QStringLiteral("HQ2 connected"); }
    void channelReading(const ModuleChannelReading& r) override
    {
        readings.append(r);
        log << QStringLiteral("channel %1: %2 | %3 | %4").arg(r.channel).arg(r.internal).arg(r.external).arg(r.volts, 0, 'f', 2);
    }
    void relayStateAnswer(const uint8_t* frame) override
    {
        relay.append(QByteArray(reinterpret_cast<const char*>(frame), ModuleStreamParser::kFrameSize));
    }
    void chartingStep(const ModuleChartingStep& step) override { steps.append(step); }

    QStringList log;
    QList<ModuleChannelReading> readings;
    QList<QByteArray> relay;
    QList<ModuleChartingStep> steps;
};

void feed(ModuleStreamParser& parser, const QByteArray& data)
{
    parser.parse(u8(data), int(data.size()));
}

// A clock the test moves by hand.
struct PinnedClock {
    QDateTime now{QDate(2026, 12, 8), QTime(14, 3, 9)};
    ModuleStreamParser::Clock clock()
    {
        return [this] { return now; };
    }
};

} // namespace

class TestModuleStreamParser : public QObject {
    Q_OBJECT
private slots:
    void splitAnywhereGivesTheSameReadings()
    {
        const QByteArray stream = kChannel0 + kChannel3Missing;
        ModuleStreamParser whole;
        feed(whole, stream);
        QCOMPARE(whole.statistics().received, 40);

        for (int a = 0; a <= stream.size(); ++a) {
            for (int b = a; b <= stream.size(); ++b) {
                Events events;
                ModuleStreamParser parser(&events);
                feed(parser, stream.left(a));
                feed(parser, stream.mid(a, b - a));
                feed(parser, stream.mid(b));
                QCOMPARE(parser.readings(), whole.readings());
                QCOMPARE(parser.volts(), whole.volts());
                QCOMPARE(parser.statistics().rejected, 0);
                QCOMPARE(parser.bufferedBytes(), 0);
                QCOMPARE(events.readings.size(), 2);
            }
        }
        QCOMPARE(whole.readings()[0], 21.5f);
        QCOMPARE(whole.readings()[1], 23.25f);
        QCOMPARE(whole.readings()[6], -5.0f);
        QCOMPARE(whole.readings()[7], -900.0f);
    }

    void garbageByteBeforeAFrame()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, bytes("7E") + kChannel0);
        QCOMPARE(events.log, (QStringList{"bytes 21", "suma zla", "odrzuty:1, 4% odebrane:21", "HQ2 connected",
                                          "suma ok", "channel 0: 21.5 | 23.25 | 9.99"}));
    }

    void corruptedFrameIsSlidOverUntilTheNextOneChecks()
    {
        QByteArray broken = kChannel0;
        broken[6] = char(broken[6] ^ 0x01);
        Events events;
        ModuleStreamParser parser(&events);
        // Garbage and a broken frame, dribbled a few bytes at a time.
        const QByteArray stream = bytes("FF 00 13") + broken + kChannel3Missing + kChannel0;
        for (int at = 0; at < stream.size(); at += 7)
            feed(parser, stream.mid(at, 7));
        QCOMPARE(parser.statistics().rejected, 23);
        QCOMPARE(parser.statistics().received, 23 + 40);
        QCOMPARE(parser.statistics().rejectedText(), QStringLiteral("odrzuty:23, 36%"));
        QCOMPARE(parser.statistics().receivedText(), QStringLiteral("odebrane:63"));
        QCOMPARE(events.readings.size(), 2);
        QCOMPARE(events.readings[0].channel, 3);
        QCOMPARE(events.readings[1].channel, 0);
        QCOMPARE(events.log.count(kChecksumBadText), 23);
        // The statistics are shown after good frames only.
        QCOMPARE(events.log.filter(QStringLiteral("odrzuty:")),
                 (QStringList{"odrzuty:23, 53% odebrane:43", "odrzuty:23, 36% odebrane:63"}));
        QCOMPARE(parser.bufferedBytes(), 0);
    }

    void computedCrcOfZeroIsRejected()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, kZeroCrc);
        QCOMPARE(parser.statistics().rejected, 1);
        QCOMPARE(parser.statistics().received, 1);
        QCOMPARE(parser.bufferedBytes(), 19);
        QVERIFY(events.readings.isEmpty());
        QVERIFY(!parser.temperatureModuleSeen());
        QCOMPARE(parser.readings()[2], 0.0f);
    }

    void channelSixteenCountsButIsOtherwiseIgnored()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, kChannel16);
        QCOMPARE(events.log, (QStringList{"bytes 20", "odrzuty:0, 0% odebrane:20"}));
        QVERIFY(!parser.temperatureModuleSeen());
        for (float value : parser.readings())
            QCOMPARE(value, 0.0f);
        // Alignment is kept: the next frame is read at once.
        feed(parser, kChannel0);
        QCOMPARE(events.readings.size(), 1);
    }

    void relayAnswerGoesToTheRelayPageOnly()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, kRelayAnswer.left(9));
        QVERIFY(events.relay.isEmpty());
        feed(parser, kRelayAnswer.mid(9));
        QCOMPARE(events.relay, QList<QByteArray>{kRelayAnswer});
        QVERIFY(events.readings.isEmpty());
        QVERIFY(!events.log.contains(kChecksumGoodText));
        QVERIFY(!parser.temperatureModuleSeen());
    }

    void missingExternalSensorIsFlagged()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, kChannel3Missing);
        QCOMPARE(events.readings.last().channel, 3);
        QCOMPARE(events.readings.last().internal, -5.0f);
        QVERIFY(events.readings.last().externalMissing);
        feed(parser, kChannel15);
        QCOMPARE(events.readings.last().internal, 1234.5f);
        QVERIFY(!events.readings.last().externalMissing);
    }

    void moduleSeenOncePerConnect()
    {
        Events events;
        ModuleStreamParser parser(&events);
        feed(parser, kChannel0 + kChannel0);
        QCOMPARE(events.log.count(QStringLiteral("HQ2 connected")), 1);
        parser.clearTemperatureModuleSeen();
        feed(parser, kChannel0);
        QCOMPARE(events.log.count(QStringLiteral("HQ2 connected")), 2);
    }

    void warmUpThenOnePointPerSeries()
    {
        Events events;
        PinnedClock time;
        ChartData temperatures = makeTemperatureChart();
        ChartData voltages = makeVoltageChart();
        ModuleStreamParser parser(&events);
        parser.setClock(time.clock());
        parser.setCharts(&temperatures, &voltages);
        for (int call = 0; call < 3; ++call) {
            parser.parse(nullptr, 0);
            time.now = time.now.addSecs(1);
        }
        QCOMPARE(temperatures.pointCount(), 0u);
        QCOMPARE(events.steps.size(), 3);
        QVERIFY(!events.steps.last().addsPoints);
        QVERIFY(!events.log.contains(QStringLiteral("bytes 0")));

        parser.parse(nullptr, 0);
        QVERIFY(events.steps.last().addsPoints);
        QCOMPARE(events.steps.last().timeText, QStringLiteral("14:03:12"));
        for (const ChartSeries& s : temperatures.series) {
            QCOMPARE(s.size(), 1);
            QCOMPARE(s.y(0), 0.0);
            QCOMPARE(temperatures.labels.text(s.label(0)), QStringLiteral("14:03:12"));
        }
        for (const ChartSeries& s : voltages.series)
            QCOMPARE(s.size(), 1);
        QCOMPARE(temperatures.labels.count(), 2u); // the empty label and one time text
    }

    void missingSensorRepeatsItsLastValueInSilver()
    {
        PinnedClock time;
        ChartData temperatures = makeTemperatureChart();
        ChartData voltages = makeVoltageChart();
        ModuleStreamParser parser;
        parser.setClock(time.clock());
        parser.setCharts(&temperatures, &voltages);
        for (int call = 0; call < 3; ++call)
            parser.parse(nullptr, 0);

        // Channel 3's external sensor reads 7.0, then is missing, then back.
        const QByteArray seven = bytes("03 11 22 02 00 00 A0 C0 00 00 E0 40 00 00 AA BB CC DD 33 A7");
        const QByteArray calls[] = {seven, kChannel3Missing, kChannel3Missing, seven};
        for (const QByteArray& frame : calls) {
            time.now = time.now.addSecs(1);
            feed(parser, frame);
        }
        const ChartSeries& external3 = temperatures.series[7];
        QCOMPARE(external3.size(), 4);
        const uint32_t blue = kSeriesColours[3];
        QCOMPARE(external3.y(1), 7.0);
        QCOMPARE(external3.y(2), 7.0);
        QCOMPARE(external3.pointColour(0), blue);
        QCOMPARE(external3.pointColour(1), kMissingSensorColour);
        QCOMPARE(external3.pointColour(2), kMissingSensorColour);
        QCOMPARE(external3.pointColour(3), blue);
        QCOMPARE(external3.colour, blue);
        QCOMPARE(temperatures.series[6].pointColour(2), blue); // the internal series is not affected
        QCOMPARE(temperatures.series[6].y(2), -5.0);
    }

    void chartingPeriodUnderFastPolls_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("points");
        QTest::newRow("1 sec") << "1 sec" << 60;
        QTest::newRow("10sec") << "10sec" << 6;
        QTest::newRow("60sec") << "60sec" << 1;
    }

    void chartingPeriodUnderFastPolls()
    {
        QFETCH(QString, period);
        QFETCH(int, points);
        PinnedClock time;
        ChartData temperatures = makeTemperatureChart();
        ChartData voltages = makeVoltageChart();
        Events events;
        ModuleStreamParser parser(&events);
        parser.setClock(time.clock());
        parser.setCharts(&temperatures, &voltages);
        parser.setChartingPeriod(*ModuleStreamParser::periodFromText(period));

        // One minute of 20 ms polls (the relay page), a frame now and then.
        for (int poll = 0; poll < 3000; ++poll) {
            feed(parser, poll % 50 == 7 ? kChannel0 : QByteArray());
            time.now = time.now.addMSecs(20);
        }
        for (const ChartSeries& s : temperatures.series)
            QCOMPARE(s.size(), points);
        for (const ChartSeries& s : voltages.series)
            QCOMPARE(s.size(), points);
        // Readings are current even on calls that add no point.
        QCOMPARE(events.readings.size(), 60);
        QCOMPARE(parser.readings()[0], 21.5f);
        QCOMPARE(events.steps.last().lastTemperatureIndex, points - 1);
    }

    void pollsAtThePeriodAreNeverSkipped()
    {
        const std::chrono::milliseconds periods[] = {1000ms, 10000ms, 60000ms};
        for (const auto period : periods) {
            PinnedClock time;
            ChartData temperatures = makeTemperatureChart();
            ModuleStreamParser parser;
            parser.setClock(time.clock());
            parser.setCharts(&temperatures, nullptr);
            parser.setChartingPeriod(period);
            for (int poll = 0; poll < 103; ++poll) {
                parser.parse(nullptr, 0);
                // Exactly on the period, then a few percent early and late.
                const qint64 jitter = poll < 50 ? 0 : (poll % 2 ? -1 : 1) * period.count() / 25;
                time.now = time.now.addMSecs(period.count() + jitter);
            }
            QCOMPARE(temperatures.series[0].size(), 100);
        }
    }

    void soonerCallAddsNoPointButTheNextDueOneDoes()
    {
        PinnedClock time;
        ChartData temperatures = makeTemperatureChart();
        Events events;
        ModuleStreamParser parser(&events);
        parser.setClock(time.clock());
        parser.setCharts(&temperatures, nullptr);
        for (int call = 0; call < 4; ++call)
            parser.parse(nullptr, 0);
        QCOMPARE(temperatures.series[0].size(), 1);

        time.now = time.now.addMSecs(500);
        feed(parser, kChannel0);
        QVERIFY(!events.steps.last().addsPoints);
        QCOMPARE(temperatures.series[0].size(), 1);
        QCOMPARE(events.steps.last().temperatures[0], 21.5f); // shown, not charted

        time.now = time.now.addMSecs(500);
        parser.parse(nullptr, 0);
        QCOMPARE(temperatures.series[0].size(), 2);
        QCOMPARE(temperatures.series[0].y(1), 21.5);

        // A clock set back does not stop the charts.
        time.now = time.now.addSecs(-3600);
        parser.parse(nullptr, 0);
        QCOMPARE(temperatures.series[0].size(), 3);
    }

    void periodTexts()
    {
        QCOMPARE(ModuleStreamParser::periodFromText(QStringLiteral("1 sec")), std::optional(1000ms));
        QCOMPARE(ModuleStreamParser::periodFromText(QStringLiteral("10sec")), std::optional(10000ms));
        QCOMPARE(ModuleStreamParser::periodFromText(QStringLiteral("60")), std::optional(60000ms));
        QVERIFY(!ModuleStreamParser::periodFromText(QStringLiteral("5sec")));
    }
};

QTEST_GUILESS_MAIN(TestModuleStreamParser)
#include "test_module_stream_parser.moc"
