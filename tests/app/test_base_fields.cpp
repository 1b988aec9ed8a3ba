#include "base/IntegerText.h"
#include "base/LittleEndian.h"
#include "base/SilentListener.h"

#include <QTest>

using namespace obr9;

namespace {
struct Counting {
    virtual ~Counting() = default;
    virtual void event() {}
};
} // namespace

class TestBaseFields : public QObject {
    Q_OBJECT
private slots:
    // High bytes with the top bit set catch a sign-extending reader.
    void littleEndianReaders()
    {
        const uint8_t bytes[] = {0x34, 0x12, 0xFE, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0xC0, 0xC1};
        QCOMPARE(le::read16(bytes), uint16_t(0x1234));
        QCOMPARE(le::read16(bytes + 2), uint16_t(0xFFFE));
        QCOMPARE(le::read32(bytes), uint32_t(0xFFFE1234));
        QCOMPARE(le::readFloat(bytes + 4), 1.0f);
        QCOMPARE(le::readFloat(bytes + 8), -24.0f);
    }

    void littleEndianWriters()
    {
        QByteArray out;
        le::append16(out, 0x8090);
        le::append32(out, 0xA1B2C3D4);
        le::appendFloat(out, -24.0f);
        QCOMPARE(out, QByteArray::fromHex("9080" "d4c3b2a1" "0000c0c1"));
    }

    void integerFieldsAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value"); // -1: left as it was
        QTest::newRow("blanks around") << " 42 " << true << 42;
        QTest::newRow("plus sign") << "+7" << true << 7;
        QTest::newRow("minus sign") << "-3" << true << -3;
        QTest::newRow("empty") << "" << false << -1;
        QTest::newRow("trailing letter") << "4x" << false << -1;
        QTest::newRow("hex prefix") << "0x10" << false << -1;
        QTest::newRow("decimal point") << "1.5" << false << -1;
        QTest::newRow("past 32 bits") << "3000000000" << false << -1;
    }

    void integerFieldsAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int parsed = -1;
        QCOMPARE(textToInt(text, parsed), ok);
        QCOMPARE(parsed, value);
    }

    void conversionMessageNamesTheTextAsTyped()
    {
        QCOMPARE(notAnIntegerMessage(QStringLiteral(" 4x")), QStringLiteral("' 4x' is not a valid integer value"));
    }

    void silentListenerStandsInForNone()
    {
        Counting mine;
        QCOMPARE(&listenerOr<Counting>(&mine), &mine);
        Counting& none = listenerOr<Counting>(nullptr);
        QVERIFY(&none != &mine);
        QCOMPARE(&listenerOr<Counting>(nullptr), &none);
        none.event();
    }
};

QTEST_GUILESS_MAIN(TestBaseFields)
#include "test_base_fields.moc"
