// A controller that forwards its RS-485 bus (obr9-sim --modules-on-link)
// puts HQ-2 module frames between its own data frames. The driver page's
// receive parser must decode exactly the controller's frames from such a
// stream: no module frame taken for a data frame, no data frame lost or
// changed, whether a read ends inside a frame or not.
#include "protocol/ReceiveParser.h"
#include "sim/SimModules.h"

#include "ControllerFrames.h"

#include <QTest>

#include <cstring>

using namespace obr9;

namespace {

class FrameLog : public ParserListener {
public:
    void dataFrame(uint8_t type, const uint8_t* payload, int length) override
    {
        frames << QByteArray(1, char(type)) + QByteArray(reinterpret_cast<const char*>(payload), length);
    }
    QList<QByteArray> frames;
};

float floatAt(const QByteArray& frame, int at)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= uint32_t(uint8_t(frame.at(at + i))) << (8 * i);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArray status(uint8_t in, uint8_t out)
{
    return dataFrame(4, QByteArray(1, char(in)) + QByteArray(1, char(out)));
}

} // namespace

class TestForwardedModuleFrames : public QObject {
    Q_OBJECT
private slots:
    // Readings whose plain frame holds a 0xFF in a value byte or in the CRC:
    // the forwarded frame is clear of it, still a valid module frame, and its
    // readings are what the module measured but for a small nudge.
    void linkSafeFramesAreValidAndClose_data()
    {
        QTest::addColumn<float>("internal");
        QTest::addColumn<float>("external");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("tolerance"); // degC
        // Third float byte 0xFF: 31.875 <= t < 32 needs the largest nudge.
        QTest::newRow("internal 31.9") << 31.9f << 20.0f << 200 << 0.0625;
        QTest::newRow("external 31.99") << 21.0f << 31.99f << 200 << 0.0625;
        QTest::newRow("count 255") << 21.0f << 20.0f << 255 << 1e-3;
        QTest::newRow("count 0x1FF") << 21.0f << 20.0f << 0x1FF << 1e-3;
        QTest::newRow("no sensor") << 31.95f << sim::SimModules::kNoSensor << 183 << 0.0625;
        // Low float bytes 0xFF: one of 2^23 steps away.
        float lowFf;
        const uint32_t bits = 0x41A3FFFFu;
        std::memcpy(&lowFf, &bits, sizeof lowFf);
        QTest::newRow("low bytes 0xFF") << lowFf << lowFf << 190 << 1e-4;
    }
    void linkSafeFramesAreValidAndClose()
    {
        QFETCH(float, internal);
        QFETCH(float, external);
        QFETCH(int, count);
        QFETCH(double, tolerance);
        QVERIFY(sim::SimModules::holdsLinkStart(sim::SimModules::channelFrame(5, internal, external, uint16_t(count))));
        const QByteArray frame = sim::SimModules::linkSafeChannelFrame(5, internal, external, uint16_t(count));
        QCOMPARE(frame.size(), 20);
        QVERIFY2(!frame.contains(char(0xFF)), frame.toHex(' ').constData());
        const auto* f = reinterpret_cast<const uint8_t*>(frame.constData());
        QCOMPARE(sim::SimModules::crc16Modbus(f, 18), uint16_t(f[18] | f[19] << 8));
        QCOMPARE(f[0], uint8_t(5));
        QCOMPARE(f[3], uint8_t(2));
        QVERIFY(std::abs(floatAt(frame, 4) - internal) <= tolerance);
        QVERIFY(std::abs(floatAt(frame, 8) - external) <= tolerance);
        QVERIFY(std::abs(int(f[12] | f[13] << 8) - count) <= 1);
        // A frame with nothing to clear goes out as it is.
        const QByteArray plain = sim::SimModules::channelFrame(1, 20.0f, 15.0f, 184);
        if (!sim::SimModules::holdsLinkStart(plain))
            QCOMPARE(sim::SimModules::linkSafeChannelFrame(1, 20.0f, 15.0f, 184), plain);
    }

    void parserDecodesOnlyTheControllersFrames_data()
    {
        QTest::addColumn<int>("readSize");
        QTest::newRow("whole stream") << 0;
        QTest::newRow("7-byte reads") << 7;
        QTest::newRow("1-byte reads") << 1;
    }
    void parserDecodesOnlyTheControllersFrames()
    {
        QFETCH(int, readSize);
        sim::SimModuleOptions options;
        options.garbage = false;
        sim::SimModules modules(options);

        QByteArray stream;
        QList<QByteArray> expected;
        const QList<QByteArray> names{"A", "B", "C", "D", "E", "F", "G", "H"};
        // Enough rounds for the moving module values to pass many byte values.
        for (int round = 0; round < 300; ++round) {
            QByteArray frame;
            switch (round % 3) {
            case 0: {
                const int raw[8] = {40 + round % 50, 41, -3, 0, 100, 127, 2, round};
                frame = eightTemperatures(raw, names);
                break;
            }
            case 1:
                frame = temperatureHumidity(20.5f + float(round % 10), 40.0f);
                break;
            default:
                frame = status(uint8_t(round), uint8_t(round % 4));
                break;
            }
            stream += frame;
            expected << QByteArray(1, frame.at(3)) + frame.mid(5);
            stream += modules.hq2Round();
        }

        FrameLog log;
        ReceiveParser parser(&log);
        const auto* data = reinterpret_cast<const uint8_t*>(stream.constData());
        const int step = readSize == 0 ? int(stream.size()) : readSize;
        // A read takes at most the receive buffer (100 000 bytes); the rest
        // comes with the next one, as the socket hands it over.
        for (int at = 0; at < stream.size();)
            at += parser.acceptRead(data + at, std::min(step, int(stream.size()) - at));

        int next = 0;
        int stray = 0;
        int strayKnown = 0; // stray frames of a type the decoder shows
        for (const QByteArray& frame : log.frames) {
            const int at = expected.indexOf(frame, next);
            if (at >= 0) {
                next = at + 1;
                continue;
            }
            ++stray;
            const uint8_t type = uint8_t(frame.at(0));
            strayKnown += type == 1 || type == 3 || type == 4 || type == 2;
        }
        int arrived = 0;
        for (const QByteArray& frame : expected)
            arrived += log.frames.contains(frame);
        qInfo("controller frames %d of %d, stray frames %d (%d of a shown type)", arrived, int(expected.size()),
              stray, strayKnown);
        // The simulator keeps 0xFF, the only byte that starts a frame between
        // frames, out of what it forwards: so every controller frame arrives,
        // unchanged and in order, and nothing else is decoded.
        QCOMPARE(log.frames, expected);
        QCOMPARE(stray, 0);
    }
};

QTEST_MAIN(TestForwardedModuleFrames)
#include "test_forwarded_module_frames.moc"
