// The channel and sampling settings frame as literal bytes, and the
// remembered sampling choice.
#include "TestBytes.h"
#include "measure/ChannelSettings.h"

#include <QTest>

using namespace obr9;

namespace {

std::array<QByteArray, 8> defaultNames()
{
    std::array<QByteArray, 8> names;
    for (int k = 0; k < 8; ++k)
        names[size_t(k)] = "Temp" + QByteArray::number(k + 1);
    return names;
}

QByteArray field(const QByteArray& name)
{
    return name + QByteArray(25 - name.size(), '\0');
}

} // namespace

class TestChannelSettings : public QObject {
    Q_OBJECT
private slots:
    void wholeFrameAsLiteralBytes()
    {
        std::array<QByteArray, 8> names = defaultNames();
        names[0] = "Boiler";
        names[3] = "";
        QByteArray expected = bytes("FF 01 01 08 02 05");
        expected += bytes("42 6F 69 6C 65 72") + QByteArray(19, '\0');
        expected += field("Temp2") + field("Temp3") + QByteArray(25, '\0') + field("Temp5") +
                    field("Temp6") + field("Temp7") + field("Temp8");
        const QByteArray frame = channelSettingsFrame(2, 5, names);
        QCOMPARE(frame.size(), 206);
        QCOMPARE(frame, expected);
        QCOMPARE(frame.mid(6, 6), bytes("42 6F 69 6C 65 72"));
        QCOMPARE(frame.mid(12, 19), QByteArray(19, '\0'));
    }

    void noVoltageItemGoesOutAsFF()
    {
        const QByteArray frame = channelSettingsFrame(-1, 14, defaultNames());
        QCOMPARE(frame.left(6), bytes("FF 01 01 08 FF 0E"));
    }

    void longNamesFillTheirFieldOnly()
    {
        std::array<QByteArray, 8> names = defaultNames();
        names[6] = QByteArray(24, 'x');
        names[7] = QByteArray(30, 'y'); // the edit boxes stop at 24; the frame cuts at 25
        const QByteArray frame = channelSettingsFrame(0, 0, names);
        QCOMPARE(frame.size(), 206);
        QCOMPARE(frame.mid(6 + 25 * 6, 25), QByteArray(24, 'x') + '\0');
        QCOMPARE(frame.mid(6 + 25 * 7, 25), QByteArray(25, 'y'));
    }

    void eightBitCharactersPassUnchanged()
    {
        std::array<QByteArray, 8> names = defaultNames();
        names[1] = "Pok\xF3j";
        QCOMPARE(channelSettingsFrame(0, 0, names).mid(31, 6), bytes("50 6F 6B F3 6A 00"));
    }

    void ringsRestartOnlyOnAChange()
    {
        SamplingChoice choice;
        QCOMPARE(choice.voltageIntervalIndex(), 0);
        QCOMPARE(choice.temperatureIntervalIndex(), 0);

        // Nothing chosen for the voltage (-1) differs from the remembered 0.
        SamplingChoice::Changes changes = choice.save(-1, 0);
        QVERIFY(changes.voltage);
        QVERIFY(!changes.temperature);
        changes = choice.save(-1, 0);
        QVERIFY(!changes.voltage && !changes.temperature);
        changes = choice.save(-1, 5);
        QVERIFY(!changes.voltage);
        QVERIFY(changes.temperature);
        QCOMPARE(choice.temperatureIntervalIndex(), 5);
        changes = choice.save(2, 0);
        QVERIFY(changes.voltage && changes.temperature);
    }
};

QTEST_GUILESS_MAIN(TestChannelSettings)
#include "test_channel_settings.moc"
