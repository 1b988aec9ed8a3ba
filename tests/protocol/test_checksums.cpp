#include "protocol/Checksums.h"
#include "protocol/Frames.h"
#include "TestBytes.h"

#include <QTest>

#include <memory>

using namespace obr9;

namespace {
// Checks over a heap block of exactly the covered size, so that a read past
// the end is caught by the address sanitizer.
uint16_t wordChecksumOf(const QByteArray& data)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size_t(data.size()) + (data.isEmpty() ? 1 : 0)]);
    std::copy(data.begin(), data.end(), exact.get());
    return WordChecksum(exact.get(), int(data.size()));
}

const QByteArray kCheckText("123456789");
} // namespace

class TestChecksums : public QObject {
    Q_OBJECT
private slots:
    void wordChecksum_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << QByteArray() << 0x0000;
        QTest::newRow("FF FF, no fold") << bytes("FF FF") << 0xFFFF;
        QTest::newRow("carry adds two") << bytes("FF FF 01 00") << 0x0002;
        QTest::newRow("carry, other order") << bytes("01 00 FF FF") << 0x0002;
        QTest::newRow("fold leaves 0x10000") << bytes("FF FF FF FF") << 0x0000;
        QTest::newRow("odd count pads with zero") << QByteArray("abc") << 0x62C4;
        QTest::newRow("single byte") << bytes("7F") << 0x007F;
        QTest::newRow("little-endian words") << bytes("34 12 01 00") << 0x1235;
    }
    void wordChecksum()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, expected);
        QCOMPARE(wordChecksumOf(data), uint16_t(expected));
    }

    void oddCountIgnoresTheByteAfter()
    {
        const QByteArray padded = bytes("61 62 63 AA");
        QCOMPARE(WordChecksum(u8(padded), 3), uint16_t(0x62C4));
    }

    // Public CRC catalogue entries over "123456789", all through Crc16.
    void crcCatalogue_data()
    {
        QTest::addColumn<int>("poly");
        QTest::addColumn<int>("init");
        QTest::addColumn<bool>("reflect");
        QTest::addColumn<int>("xorOut");
        QTest::addColumn<int>("check");
        QTest::newRow("MODBUS") << 0x8005 << 0xFFFF << true << 0x0000 << 0x4B37;
        QTest::newRow("ARC") << 0x8005 << 0x0000 << true << 0x0000 << 0xBB3D;
        QTest::newRow("MAXIM") << 0x8005 << 0x0000 << true << 0xFFFF << 0x44C2;
        QTest::newRow("USB") << 0x8005 << 0xFFFF << true << 0xFFFF << 0xB4C8;
        QTest::newRow("KERMIT") << 0x1021 << 0x0000 << true << 0x0000 << 0x2189;
        QTest::newRow("X-25") << 0x1021 << 0xFFFF << true << 0xFFFF << 0x906E;
        QTest::newRow("XMODEM") << 0x1021 << 0x0000 << false << 0x0000 << 0x31C3;
        QTest::newRow("CCITT-FALSE") << 0x1021 << 0xFFFF << false << 0x0000 << 0x29B1;
        QTest::newRow("BUYPASS") << 0x8005 << 0x0000 << false << 0x0000 << 0xFEE8;
    }
    void crcCatalogue()
    {
        QFETCH(int, poly);
        QFETCH(int, init);
        QFETCH(bool, reflect);
        QFETCH(int, xorOut);
        QFETCH(int, check);
        QCOMPARE(Crc16(u8(kCheckText), 0, 9, 0xFFFF, 0x8000, uint16_t(xorOut), uint16_t(init),
                       uint16_t(poly), reflect, reflect),
                 uint16_t(check));
    }

    void crcWithoutOutputReflectionIgnoresXorAndMask()
    {
        const uint16_t plain = Crc16(u8(kCheckText), 0, 9, 0xFFFF, 0x8000, 0, 0xFFFF, 0x1021,
                                     false, false);
        QCOMPARE(Crc16(u8(kCheckText), 0, 9, 0x00FF, 0x8000, 0xFFFF, 0xFFFF, 0x1021, false, false),
                 plain);
    }

    void crcOfNothingIsInit()
    {
        QCOMPARE(Crc16Modbus(u8(kCheckText), 0, 0), uint16_t(0xFFFF));
        // Count 0 returns init untouched even with reflection and xorOut.
        QCOMPARE(Crc16(u8(kCheckText), 0, 0, 0x00FF, 0x8000, 0xFFFF, 0x1234, 0x8005, true, true),
                 uint16_t(0x1234));
    }

    void modbusVectors()
    {
        QCOMPARE(Crc16Modbus(u8(kCheckText), 0, 9), uint16_t(0x4B37));
        const QByteArray stateRequest = bytes("00 03 07 01 00 00 00 00 00 00");
        QCOMPARE(Crc16Modbus(u8(stateRequest), 0, 10), uint16_t(0xD135));
        // The classic read-holding-registers request 01 03 00 00 00 0A -> C5 CD.
        QCOMPARE(Crc16Modbus(u8(bytes("01 03 00 00 00 0A")), 0, 6), uint16_t(0xCDC5));
    }

    void startOffsetSelectsTheCoveredBytes()
    {
        const QByteArray framed = QByteArray("xyz") + kCheckText + QByteArray("tail");
        QCOMPARE(Crc16Modbus(u8(framed), 3, 9), uint16_t(0x4B37));
    }

    void reflection()
    {
        QCOMPARE(ReflectBits8(0x01), uint8_t(0x80));
        QCOMPARE(ReflectBits8(0x0F), uint8_t(0xF0));
        QCOMPARE(ReflectBits8(0xA5), uint8_t(0xA5));
        QCOMPARE(ReflectBits8(0x12), uint8_t(0x48));
        QCOMPARE(ReflectBits16(0x0001), uint16_t(0x8000));
        QCOMPARE(ReflectBits16(0x1234), uint16_t(0x2C48));
        for (int v = 0; v < 0x10000; v += 257)
            QCOMPARE(ReflectBits16(ReflectBits16(uint16_t(v))), uint16_t(v));
    }
};

QTEST_GUILESS_MAIN(TestChecksums)
#include "test_checksums.moc"
