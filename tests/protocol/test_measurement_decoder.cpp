#include "measure/ui/DriverReadingTexts.h"
#include "protocol/Frames.h"
#include "protocol/MeasurementDecoder.h"
#include "protocol/ReceiveParser.h"
#include "TestBytes.h"

#include <QTest>

#include <array>
#include <cstring>
#include <limits>

using namespace obr9;

namespace {

// What the decoder reports, with the texts the windows make of it.
class Effects {
public:
    Effects(MeasurementDecoder& d, const TemperatureHistory& t, const DisplayFormat& format)
        : temperatures(t)
    {
        using D = MeasurementDecoder;
        QObject::connect(&d, &D::temperatureKindChanged, [this](TemperatureKind k) { kinds << k; });
        QObject::connect(&d, &D::inputsOutputsRead, [this](const InputsOutputs& v) { io = v; });
        QObject::connect(&d, &D::temperatureChannelRead,
                         [this, &format](int channel, const QString& name, float celsius) {
                             names[size_t(channel)] = name;
                             texts[size_t(channel)] =
                                 DriverReadingTexts::channel(name, celsius, format);
                         });
        QObject::connect(&d, &D::temperatureHumidityRead, [this, &format](float t, float h) {
            texts[0] = DriverReadingTexts::temperature(t, format);
            texts[1] = DriverReadingTexts::humidity(h, format);
        });
        QObject::connect(&d, &D::voltageRead, [this, &format](float volts) {
            voltageText = DriverReadingTexts::voltage(volts, format);
        });
        QObject::connect(&d, &D::recordDue, [this](const float* v, int count, RecordKind kind) {
            recorded = QList<float>(v, v + count);
            recordKind = int(kind);
        });
        QObject::connect(&d, &D::temperatureSampleStored,
                         [this] { drawnAt << temperatures.newest().slot; });
        QObject::connect(&d, &D::voltageSampleStored, [this] { ++voltageDraws; });
    }

    const TemperatureHistory& temperatures;
    QList<TemperatureKind> kinds;
    InputsOutputs io;
    std::array<QString, 8> names;
    std::array<QString, 8> texts;
    QString voltageText;
    QList<float> recorded;
    int recordKind = -1;
    QList<int> drawnAt;
    int voltageDraws = 0;
};

struct Fixture {
    DeviceState state;
    TemperatureHistory temperatures;
    VoltageHistory voltage;
    DisplayFormat format;
    MeasurementDecoder decoder{state, temperatures, voltage};
    Effects effects{decoder, temperatures, format};
    std::array<uint8_t, ReceiveParser::kPayloadBufferSize> payload{};

    void decode(FrameType type, const QByteArray& data)
    {
        std::memcpy(payload.data(), data.constData(), size_t(data.size()));
        decoder.decode(uint8_t(type), payload.data());
    }
};

// Eight-temperature payload: big-endian raw words, then 25-byte names.
QByteArray eightTemperatures(const std::array<int16_t, 8>& raw, const QStringList& names = {})
{
    QByteArray p(MeasurementDecoder::kEightTemperaturesSize, '\0');
    for (int k = 0; k < 8; ++k) {
        p[2 * k] = char(uint16_t(raw[size_t(k)]) >> 8);
        p[2 * k + 1] = char(raw[size_t(k)] & 0xFF);
        const QByteArray name = names.value(k, QStringLiteral("T%1").arg(k + 1)).toLatin1();
        std::memcpy(p.data() + 16 + 25 * k, name.constData(), size_t(qMin(25, int(name.size()))));
    }
    return p;
}

QByteArray floatsLe(float a, float b)
{
    QByteArray p(8, '\0');
    std::memcpy(p.data(), &a, 4); // the machine is little-endian, as the wire
    std::memcpy(p.data() + 4, &b, 4);
    return p;
}

} // namespace

class TestMeasurementDecoder : public QObject {
    Q_OBJECT
private slots:
    void inputsAndOutputs()
    {
        Fixture f;
        f.state.out2On = true;
        f.decode(FrameType::InputsOutputs, bytes("05"));
        QVERIFY(f.effects.io.in2Active);
        QVERIFY(!f.effects.io.in1Active);
        QVERIFY(f.effects.io.out1On);
        QVERIFY(!f.effects.io.out2On);
        QVERIFY(f.state.out1On);
        QVERIFY(!f.state.out2On);
        QCOMPARE(f.effects.recorded, QList<float>{5.0f});
        QCOMPARE(f.effects.recordKind, int(RecordKind::InputsOutputs));

        f.decode(FrameType::InputsOutputs, bytes("FA")); // bits 4..7 ignored
        QVERIFY(f.effects.io.in1Active && f.effects.io.out2On && !f.effects.io.out1On);
        QCOMPARE(f.effects.recorded, QList<float>{250.0f});
    }

    void eightTemperatures()
    {
        Fixture f;
        f.decode(FrameType::EightTemperatures,
                 ::eightTemperatures({43, -100, 0, 1, -1, 300, -150, 2}, {"Boiler"}));
        QCOMPARE(f.effects.kinds, QList<TemperatureKind>{TemperatureKind::EightTemperatures});
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"Boiler=21.5\u00B0C"));
        QCOMPARE(f.effects.texts[1], QStringLiteral(u"T2=-50\u00B0C"));
        QCOMPARE(f.effects.texts[4], QStringLiteral(u"T5=-0.5\u00B0C"));
        QCOMPARE(f.state.lastTemperatures[0], 21.5f);
        QCOMPARE(f.state.channelNames[0], QByteArray("Boiler"));
        QCOMPARE(f.temperatures.sample(0, 0), 43);
        QCOMPARE(f.temperatures.sample(5, 0), 300); // the limits themselves are believed
        QCOMPARE(f.temperatures.sample(6, 0), -150);
        QCOMPARE(f.effects.recorded,
                 (QList<float>{21.5f, -50.0f, 0.0f, 0.5f, -0.5f, 150.0f, -75.0f, 1.0f}));
        QCOMPARE(f.effects.recordKind, int(RecordKind::EightTemperatures));
        // Reported once the ring has advanced: the new samples are its newest.
        QCOMPARE(f.effects.drawnAt, QList<int>{0});
        QCOMPARE(f.temperatures.writeIndex(), 1);

        f.decode(FrameType::EightTemperatures,
                 ::eightTemperatures({44, 0, 0, 0, 0, 0, 0, 0}, {"Boiler 2", "", "T3"}));
        QCOMPARE(f.effects.kinds.size(), 1); // the switch happens once
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"Boiler 2=22\u00B0C"));
        QCOMPARE(f.effects.names[1], QString());
        QCOMPARE(f.effects.texts[1], QStringLiteral(u"=0\u00B0C"));
        QCOMPARE(f.state.channelNames[0], QByteArray("Boiler 2"));
    }

    void outOfRangeRepeatsThePreviousSampleButRecordsTheRaw()
    {
        Fixture f;
        f.decode(FrameType::EightTemperatures, ::eightTemperatures({40, 41, 42, 43, 44, 45, 46, 47}));
        f.decode(FrameType::EightTemperatures,
                 ::eightTemperatures({500, 41, -151, 301, 44, 45, 46, 400}));
        QCOMPARE(f.temperatures.sample(0, 1), 40);
        QCOMPARE(f.temperatures.sample(2, 1), 42);
        QCOMPARE(f.temperatures.sample(3, 1), 43);
        QCOMPARE(f.temperatures.sample(7, 1), 47);
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"T1=20\u00B0C"));
        QCOMPARE(f.state.lastTemperatures[7], 23.5f);
        QCOMPARE(f.effects.recorded[0], 250.0f);
        QCOMPARE(f.effects.recorded[7], 200.0f);
    }

    // At slot 0 the previous sample is the ring's last slot of the same
    // channel, never a neighbouring channel's.
    void outOfRangeAtSlotZeroStaysInTheChannel()
    {
        Fixture f;
        for (int i = 0; i < 999; ++i)
            f.temperatures.advance();
        for (int k = 0; k < 8; ++k)
            f.temperatures.store(k, 10 * (k + 1));
        f.temperatures.advance();
        QCOMPARE(f.temperatures.writeIndex(), 0);
        f.decode(FrameType::EightTemperatures,
                 ::eightTemperatures({999, 999, 999, 999, 999, 999, 999, 999}));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.temperatures.sample(k, 0), 10 * (k + 1));
        QCOMPARE(f.effects.texts[3], QStringLiteral(u"T4=20\u00B0C"));
    }

    void channelNameFieldIsBounded()
    {
        Fixture f;
        QByteArray p = ::eightTemperatures({});
        std::memset(p.data() + 16, 'A', 25 * 8); // no terminator anywhere
        f.decode(FrameType::EightTemperatures, p);
        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.state.channelNames[size_t(k)], QByteArray(25, 'A'));
    }

    void temperatureAndHumidity()
    {
        Fixture f;
        f.decode(FrameType::EightTemperatures, ::eightTemperatures({}));
        f.decode(FrameType::TemperatureHumidity, floatsLe(45.5f, 21.25f));
        QCOMPARE(f.effects.kinds, (QList<TemperatureKind>{TemperatureKind::EightTemperatures, TemperatureKind::TemperatureHumidity}));
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"Temperature=21.25\u00B0C"));
        QCOMPARE(f.effects.texts[1], QStringLiteral("Humidity=45.5%"));
        QCOMPARE(f.temperatures.sample(0, 1), 42);
        QCOMPARE(f.temperatures.sample(1, 1), 91);
        QCOMPARE(f.effects.recorded, (QList<float>{21.25f, 45.5f}));
        QCOMPARE(f.effects.recordKind, int(RecordKind::TemperatureHumidity));
        QCOMPARE(f.temperatures.writeIndex(), 2);
    }

    void temperatureAndHumidityTextsAndTruncation()
    {
        Fixture f;
        f.decode(FrameType::TemperatureHumidity, floatsLe(50.0f, 23.7f));
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"Temperature=23.7000007629395\u00B0C"));
        f.decode(FrameType::TemperatureHumidity, floatsLe(10.0f, -3.3f));
        QCOMPARE(f.temperatures.sample(0, 1), -6); // toward zero
        // Values no sensor gives must not overflow the history.
        f.decode(FrameType::TemperatureHumidity, floatsLe(std::numeric_limits<float>::quiet_NaN(),
                                                          std::numeric_limits<float>::max()));
        QCOMPARE(f.temperatures.sample(0, 2), std::numeric_limits<int32_t>::max());
        QCOMPARE(f.temperatures.sample(1, 2), 0);
        QCOMPARE(f.effects.texts[1], QStringLiteral("Humidity=NAN%"));
    }

    void voltage()
    {
        Fixture f;
        f.decode(FrameType::Voltage, bytes("99 00"));
        QCOMPARE(f.effects.voltageText, QStringLiteral("9.98V"));
        QCOMPARE(f.voltage.sample(0, 0), 153);
        QCOMPARE(f.voltage.writeIndex(), 1);
        QCOMPARE(f.effects.recorded.size(), 1);
        QCOMPARE(f.effects.recorded[0], float(153.0L / 15.326L));
        QCOMPARE(f.effects.recordKind, int(RecordKind::Voltage));

        f.decode(FrameType::Voltage, bytes("FF FF"));
        QCOMPARE(f.voltage.sample(0, 1), 65535);
        QCOMPARE(f.effects.voltageText, QStringLiteral("4276.00V"));
    }

    void thousandthVoltageFrameWraps()
    {
        Fixture f;
        for (int i = 0; i < 999; ++i)
            f.decode(FrameType::Voltage, bytes("01 00"));
        QVERIFY(!f.voltage.wrapped());
        f.decode(FrameType::Voltage, bytes("02 00"));
        QCOMPARE(f.voltage.sample(0, 999), 2);
        QCOMPARE(f.voltage.writeIndex(), 0);
        QVERIFY(f.voltage.wrapped());
        QCOMPARE(f.effects.voltageDraws, 1000);
    }

    void unknownTypesChangeNothing()
    {
        Fixture f;
        f.decode(FrameType(7), bytes("01 02 03"));
        f.decode(FrameType::ChannelSettings, bytes("01 02 03"));
        QCOMPARE(f.effects.recordKind, -1);
        QCOMPARE(f.state.temperatureKind, TemperatureKind::None);
    }

    void decimalSeparatorFollowsTheFormat()
    {
        Fixture f;
        f.format.setDecimalSeparator(QLatin1Char(','));
        f.decode(FrameType::EightTemperatures, ::eightTemperatures({43}, {"Boiler"}));
        QCOMPARE(f.effects.texts[0], QStringLiteral(u"Boiler=21,5\u00B0C"));
        f.decode(FrameType::Voltage, bytes("99 00"));
        QCOMPARE(f.effects.voltageText, QStringLiteral("9,98V"));
    }

    void displayForms()
    {
        DisplayFormat format;
        QCOMPARE(format.general(double(23.7f)), QStringLiteral("23.7000007629395"));
        QCOMPARE(format.general(21.5), QStringLiteral("21.5"));
        QCOMPARE(format.general(-50), QStringLiteral("-50"));
        QCOMPARE(format.general(0), QStringLiteral("0"));
        QCOMPARE(format.general(1e20), QStringLiteral("1E20"));
        QCOMPARE(format.fixed(double(MeasurementDecoder::voltsFromRaw(153))), QStringLiteral("9.98"));
        QCOMPARE(format.fixed(0), QStringLiteral("0.00"));
        QCOMPARE(format.fixed(123.456), QStringLiteral("123.50")); // 4 significant digits
        QCOMPARE(format.fixed(-0.001), QStringLiteral("0.00"));
        QCOMPARE(format.fixed(-0.006), QStringLiteral("-0.01"));
        QCOMPARE(format.fixed(12345.6), QStringLiteral("1.235E4"));
    }
};

QTEST_GUILESS_MAIN(TestMeasurementDecoder)
#include "test_measurement_decoder.moc"
