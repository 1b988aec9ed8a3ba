// The settings record, the dialog's texts and the 171-byte settings frame.
#include "SettingsBytes.h"
#include "devconfig/AddressText.h"
#include "devconfig/SettingsFrame.h"
#include "devconfig/SettingsRecord.h"
#include "devconfig/SettingsTexts.h"

#include <QTest>

using namespace obr9;

namespace {
// What the dialog holds of its own before any fill.
SettingsTexts dialogDefaults()
{
    SettingsTexts t;
    t.port = QStringLiteral("8090");
    t.user = QStringLiteral("admin");
    t.password = QStringLiteral("7961");
    t.lanMode = 0;
    return t;
}

SettingsTexts filledWith(const QByteArray& record)
{
    SettingsTexts t = dialogDefaults();
    t.fill(SettingsRecord::decode(u8(record), int(record.size())));
    return t;
}
} // namespace

class TestSettingsCodec : public QObject {
    Q_OBJECT

private slots:
    void fillThenSaveSendsTheRecordBack()
    {
        const SettingsTexts t = filledWith(sampleRecord());
        QCOMPARE(t.name, QStringLiteral("Kotlownia"));
        QCOMPARE(t.mac, QStringLiteral("01-E8-C4-A1-5B-10"));
        QCOMPARE(t.transmitTime, QStringLiteral("1000"));
        QCOMPARE(t.stopBitsIndex, 1);
        QCOMPARE(t.dataBitsIndex, 3);

        const BuiltFrame frame = settingsFrame(t);
        QVERIFY2(frame.ok(), qPrintable(frame.error));
        QCOMPARE(frame.bytes.size(), 171);
        QCOMPARE(frame.bytes, sampleFrame());
    }

    void fillRulesForListsAndFullTextFields()
    {
        QByteArray record = sampleRecord();
        record[29] = 3;   // LAN mode "client (www-HQ2)": the list keeps its item
        record[136] = 11; // baud index past the list: 9600
        record.replace(0, 11, QByteArray(11, 'N'));        // name without its 0x00
        record.replace(30, 40, QByteArray(40, 'd'));       // destination fills its field
        record.replace(110, 10, QByteArray("0123456789")); // so does the user
        SettingsTexts t = dialogDefaults();
        t.lanMode = 1;
        t.fill(SettingsRecord::decode(u8(record), int(record.size())));
        QCOMPARE(t.lanMode, 1);
        QCOMPARE(t.baudIndex, 5);
        QCOMPARE(t.name, QString(10, u'N'));
        QCOMPARE(t.destination, QString(40, u'd'));

        const QByteArray frame = settingsFrame(t).bytes;
        QCOMPARE(frame.mid(53, 1), bytes("01"));
        QCOMPARE(frame.mid(54, 40), QByteArray(40, 'd')); // no terminator, no overrun
        QCOMPARE(frame.mid(94, 1), QByteArray("/"));
        QCOMPARE(frame.mid(134, 10), QByteArray("0123456789"));
        QCOMPARE(frame.mid(160, 1), bytes("05"));

        // The ends of every number range go through unchanged.
        t.port = QStringLiteral("65535");
        t.destinationPort = QStringLiteral(" 0 ");
        t.transmitTime = QStringLiteral("65535");
        t.rsId = QStringLiteral("255");
        t.ip = QStringLiteral("255.  0.  0.255");
        const QByteArray edges = settingsFrame(t).bytes;
        QCOMPARE(edges.mid(25, 2), bytes("FF FF"));
        QCOMPARE(edges.mid(158, 2), bytes("00 00"));
        QCOMPARE(edges.mid(161, 2), bytes("FF FF"));
        QCOMPARE(edges.mid(168, 1), bytes("FF"));
        QCOMPARE(edges.mid(13, 4), bytes("FF 00 00 FF"));
    }

    void everyFieldIsCheckedBeforeAnythingIsBuilt_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("named");

        QTest::newRow("port too big") << "port"
                                      << "65536"
                                      << "Port:";
        QTest::newRow("port not a number") << "port"
                                           << "80a"
                                           << "Port:";
        QTest::newRow("port negative") << "port"
                                       << "-1"
                                       << "Port:";
        QTest::newRow("destination port") << "destinationPort"
                                          << "70000"
                                          << "Destination port:";
        QTest::newRow("RS ID") << "rsId"
                               << "256"
                               << "RS ID:";
        QTest::newRow("RS ID empty") << "rsId"
                                     << ""
                                     << "RS ID:";
        QTest::newRow("transmit time") << "transmitTime"
                                       << "65536"
                                       << "Transmit request time:";
        QTest::newRow("address group") << "ip"
                                       << "192.168.  1.256"
                                       << "IP address:";
        QTest::newRow("empty group") << "subnet"
                                     << "255.255.   .0  "
                                     << "Subnet:";
        QTest::newRow("gateway letters") << "gateway"
                                         << "1.x.1.1"
                                         << "Gate:";
        QTest::newRow("dns three groups") << "dns"
                                          << "8.8.8"
                                          << "DNS server:";
        QTest::newRow("name too long") << "name"
                                       << "ABCDEFGHIJK"
                                       << "Name:";
        QTest::newRow("path too long") << "path" << QString(41, u'p') << "Path:";
        QTest::newRow("wide character")
            << "destinationUser" << QStringLiteral(u"\u0416uk") << "Destination user:"; // no Windows-1250 form
        QTest::newRow("no list item") << "baudIndex"
                                      << "-1"
                                      << "Baud rate:";
        QTest::newRow("stop bits past list") << "stopBitsIndex"
                                             << "2"
                                             << "Stop bits:";
    }

    void everyFieldIsCheckedBeforeAnythingIsBuilt()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, named);

        SettingsTexts t = filledWith(sampleRecord());
        QVERIFY(settingsFrame(t).ok());
        QHash<QString, QString*> texts{{"port", &t.port},
                                       {"destinationPort", &t.destinationPort},
                                       {"rsId", &t.rsId},
                                       {"transmitTime", &t.transmitTime},
                                       {"ip", &t.ip},
                                       {"subnet", &t.subnet},
                                       {"gateway", &t.gateway},
                                       {"dns", &t.dns},
                                       {"name", &t.name},
                                       {"path", &t.path},
                                       {"destinationUser", &t.destinationUser}};
        if (texts.contains(field))
            *texts[field] = value;
        else if (field == QLatin1String("baudIndex"))
            t.baudIndex = value.toInt();
        else
            t.stopBitsIndex = value.toInt();

        const BuiltFrame frame = settingsFrame(t);
        QVERIFY(!frame.ok());
        QVERIFY(frame.bytes.isEmpty());
        QVERIFY2(frame.error.startsWith(named), qPrintable(frame.error));
    }

    void addressAndMacFields()
    {
        // Blanks on either side of a group, as the mask shows them.
        const AddressBytes expected{192, 168, 1, 161};
        QCOMPARE(readAddressField(QStringLiteral("192.168.  1.161")), expected);
        QCOMPARE(readAddressField(QStringLiteral("192.168.1  .161")), expected);
        QCOMPARE(addressText(expected), QStringLiteral("192.168.1.161"));
        QVERIFY(!readAddressField(QStringLiteral("192.168.1 1.161")));

        const std::optional<AddressGroupProblem> range =
            addressProblem(QStringLiteral("192.300.1.1"));
        QVERIFY(range && !range->notANumber);
        const std::optional<AddressGroupProblem> blank =
            addressProblem(QStringLiteral("192.   .1.1"));
        QVERIFY(blank && blank->notANumber);
        QVERIFY(!addressProblem(QStringLiteral("  0.  0.  0.  0")));

        // Each pair reads up to its first non-hexadecimal character.
        const MacBytes mac = readMacField(QStringLiteral("0A-e8-_C-4_-__-FF"));
        QCOMPARE(mac, (MacBytes{0x0A, 0xE8, 0x00, 0x04, 0x00, 0xFF}));
        QCOMPARE(macText(MacBytes{0x01, 0xE8, 0xC4, 0xA1, 0x5B, 0x10}),
                 QStringLiteral("01-E8-C4-A1-5B-10"));

        QCOMPARE(macKeyFilter(u'a'), std::optional<QChar>(u'A'));
        QCOMPARE(macKeyFilter(u'F'), std::optional<QChar>(u'F'));
        QCOMPARE(macKeyFilter(u'7'), std::optional<QChar>(u'7'));
        QVERIFY(!macKeyFilter(u'g'));
        QVERIFY(!macKeyFilter(QChar(8))); // backspace
        QVERIFY(!macKeyFilter(u'-'));
    }

    void shortRecordGivesNothing()
    {
        const QByteArray shortRecord = sampleRecord().left(144);
        const SettingsRecord r = SettingsRecord::decode(u8(shortRecord), int(shortRecord.size()));
        QVERIFY(r.name.isEmpty());
        QCOMPARE(r.rsId, uint8_t(0));
    }

    void closeFrame() { QCOMPARE(settingsCloseFrame(), bytes("FF 00")); }
};

QTEST_GUILESS_MAIN(TestSettingsCodec)
#include "test_settings_codec.moc"
