#include "protocol/FrameSink.h"
#include "protocol/Frames.h"
#include "TestBytes.h"

#include <QTest>

using namespace obr9;

namespace {
const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09");

class CollectingSink : public FrameSink {
public:
    using FrameSink::SendFrame;
    void SendFrame(const uint8_t* data, int length) override
    {
        frames.append(QByteArray(reinterpret_cast<const char*>(data), length));
    }
    QList<QByteArray> frames;
};
} // namespace

class TestFrames : public QObject {
    Q_OBJECT
private slots:
    void identificationRequestIsSignatureFfFe()
    {
        const QByteArray frame = identificationRequest();
        QCOMPARE(frame.size(), 18);
        QCOMPARE(frame, kSignature + bytes("FF FE"));
    }

    void loginRequestLayout()
    {
        const BuiltFrame frame = loginRequest("admin", "7961");
        QVERIFY(frame.ok());
        QCOMPARE(frame.bytes, kSignature + bytes("FF") + QByteArray("admin") + bytes("00") +
                                  QByteArray("7961") + bytes("00 00"));
        QCOMPARE(frame.bytes.size(), 29);

        QCOMPARE(loginRequest("", "").bytes, kSignature + bytes("FF 00 00 00"));
        QCOMPARE(loginRequest("", "").bytes.size(), 20);
        QCOMPARE(loginRequest("ad", "min").bytes.size(), 25);
    }

    void loginRequestHoldsThirtyCharactersAndRefusesMore()
    {
        const BuiltFrame full = loginRequest(QByteArray(20, 'u'), QByteArray(10, 'p'));
        QVERIFY(full.ok());
        QCOMPARE(full.bytes.size(), 50); // the controller's whole buffer
        QCOMPARE(full.bytes.right(13), bytes("00") + QByteArray(10, 'p') + bytes("00 00"));

        const BuiltFrame tooLong = loginRequest(QByteArray(20, 'u'), QByteArray(11, 'p'));
        QVERIFY(!tooLong.ok());
        QVERIFY(tooLong.bytes.isEmpty());
        QVERIFY(tooLong.error.contains(QLatin1String("30")));

        const BuiltFrame embeddedNul = loginRequest(QByteArray("ad\0min", 6), "x");
        QVERIFY(!embeddedNul.ok());
        QVERIFY(embeddedNul.bytes.isEmpty());
    }

    void outputCommandBits()
    {
        QCOMPARE(outputCommand(false, false), bytes("FF 01 01 02 01 00"));
        QCOMPARE(outputCommand(true, false), bytes("FF 01 01 02 01 01"));
        QCOMPARE(outputCommand(false, true), bytes("FF 01 01 02 01 02"));
        QCOMPARE(outputCommand(true, true), bytes("FF 01 01 02 01 03"));
    }

    void dataFrameLimits()
    {
        const BuiltFrame empty = dataFrame(0x01, 0x01, 0x04, {});
        QCOMPARE(empty.bytes, bytes("FF 01 01 04 00"));
        const BuiltFrame full = dataFrame(0x01, 0x01, 0x08, QByteArray(255, 'a'));
        QVERIFY(full.ok());
        QCOMPARE(full.bytes.size(), 260);
        QCOMPARE(uint8_t(full.bytes[4]), uint8_t(255));
        QVERIFY(!dataFrame(0x01, 0x01, 0x08, QByteArray(256, 'a')).ok());
    }

    void sinkTakesTheBytesUnchanged()
    {
        CollectingSink sink;
        const QByteArray withZeros = bytes("FF 00 00 FE 00");
        sink.SendFrame(withZeros);
        QCOMPARE(sink.frames, QList<QByteArray>{withZeros});
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "test_frames.moc"
