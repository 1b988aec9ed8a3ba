#include "base/IniFile.h"
#include "base/SettingsKeys.h"

#include <QMap>
#include <QSet>
#include <QTest>

#include <stdexcept>

using namespace obr9;

namespace {

// Binds every key of the table to a recorder, as the windows will.
struct Recorder {
    QStringList applied; // in call order
    QMap<QString, SettingsValue> values;

    void bindAll(SettingsKeyTable& table)
    {
        for (const SettingsKey& key : table.keys()) {
            const QString name = key.name;
            table.bind(name, [this, name](const SettingsValue& value) {
                applied.append(name);
                values.insert(name, value);
                return true;
            }, {});
        }
    }
};

QStringList settingsLines(const IniFile& ini)
{
    QStringList lines = QString::fromLatin1(ini.toBytes()).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

class TestSettingsKeys : public QObject {
    Q_OBJECT
private slots:
    void tableAndOrders()
    {
        SettingsKeyTable table;
        QCOMPARE(table.keys().size(), 337);
        QVERIFY(table.key("name56") && !table.key("name57") && !table.key("name8"));
        QVERIFY(table.key("outTime31") && !table.key("outTime32"));
        QVERIFY(table.key("chanV15") && !table.key("chanV16") && !table.key("ID4"));
        QCOMPARE(table.key("outMode3")->type, SettingsReadType::TextAsInteger);
        QCOMPARE(table.key("ID0")->type, SettingsReadType::TextAsInteger);
        QCOMPARE(table.key("pgCtrl")->type, SettingsReadType::Integer);
        QCOMPARE(table.key("recordVoltages")->type, SettingsReadType::Integer);
        QCOMPARE(table.key("period")->type, SettingsReadType::Text);
        QCOMPARE(table.key("chan5")->policy, SettingsReadPolicy::Always);
        QCOMPARE(table.key("VTSwitch")->policy, SettingsReadPolicy::WithFile);
        QCOMPARE(table.key("Range")->policy, SettingsReadPolicy::Never);
        QVERIFY(!table.bind("outName32", {}, {}));
        QVERIFY(!table.bindFamily("outname", {}, {}));

        const QStringList write = table.writeOrder();
        QCOMPARE(write.size(), 337);
        QCOMPARE(QSet<QString>(write.begin(), write.end()).size(), 337);
        QCOMPARE(write.mid(0, 8), (QStringList{"name9", "name25", "name41", "TINTmax0", "TINTmin0", "TEXTmax0", "TEXTmin0", "name10"}));
        QCOMPARE(write.mid(105, 9), (QStringList{"name24", "name40", "name56", "TINTmax15", "TINTmin15", "TEXTmax15", "TEXTmin15", "chan0", "chan1"}));
        QCOMPARE(write.mid(142, 4), (QStringList{"chan30", "chan31", "chanV0", "chanV1"}));
        QCOMPARE(write.mid(159, 9), (QStringList{"chanV15", "VTSwitch", "3DView", "AutoPan", "recordTemperatures", "recordVoltages", "Range", "period", "outName0"}));
        QCOMPARE(write.mid(198, 12), (QStringList{"outName31", "index", "ID0", "ID1", "ID2", "ID3", "pgCtrl", "devName0", "devName1", "devName2", "devName3", "ImgOffName0"}));
        QCOMPARE(write.mid(240, 2), (QStringList{"ImgOffName31", "ImgOnName0"}));
        QCOMPARE(write.mid(272, 2), (QStringList{"ImgOnName31", "outMode0"}));
        QCOMPARE(write.mid(304, 2), (QStringList{"outMode31", "outTime0"}));
        QCOMPARE(write.last(), QStringLiteral("outTime31"));

        const QStringList read = table.readOrder(true);
        QCOMPARE(read.size(), 336);
        QVERIFY(!read.contains("Range"));
        QCOMPARE(read.mid(30, 5), (QStringList{"outName30", "outName31", "ImgOffName0", "ImgOnName0", "ImgOffName1"}));
        QCOMPARE(read.mid(94, 3), (QStringList{"ImgOffName31", "ImgOnName31", "outMode0"}));
        QCOMPARE(read.mid(127, 2), (QStringList{"outMode31", "outTime0"}));
        QCOMPARE(read.mid(159, 10), (QStringList{"outTime31", "ID0", "ID1", "ID2", "ID3", "devName0", "devName1", "devName2", "devName3", "name9"}));
        QCOMPARE(read.mid(169, 7), (QStringList{"name25", "name41", "TINTmax0", "TINTmin0", "TEXTmax0", "TEXTmin0", "name10"}));
        QCOMPARE(read.mid(279, 5), (QStringList{"TEXTmin15", "chan0", "chan16", "chanV0", "chan1"}));
        QCOMPARE(read.mid(326), (QStringList{"chan31", "chanV15", "index", "3DView", "AutoPan", "recordTemperatures", "recordVoltages", "VTSwitch", "period", "pgCtrl"}));

        const QStringList noFile = table.readOrder(false);
        QCOMPARE(noFile.size(), 102);
        QCOMPARE(noFile.mid(0, 4), (QStringList{"name9", "name25", "name41", "name10"}));
        QCOMPARE(noFile.mid(45, 6), (QStringList{"name24", "name40", "name56", "chan0", "chan16", "chanV0"}));
        QCOMPARE(noFile.mid(93, 9), (QStringList{"chan15", "chan31", "chanV15", "index", "3DView", "AutoPan", "recordTemperatures", "recordVoltages", "pgCtrl"}));
    }

    void withoutFileOnlyAlwaysKeysAndNameFallbacks()
    {
        SettingsKeyTable table;
        Recorder recorder;
        recorder.bindAll(table);
        IniFile none;
        QCOMPARE(table.load(none, false), QStringList());
        QCOMPARE(recorder.applied, table.readOrder(false));

        const auto text = [&](const char* key) { return recorder.values.value(key).text; };
        QCOMPARE(text("name9"), QStringLiteral("intTemp0"));
        QCOMPARE(text("name24"), QStringLiteral("intTemp15"));
        QCOMPARE(text("name25"), QStringLiteral("extTemp0"));
        QCOMPARE(text("name40"), QStringLiteral("extTemp15"));
        QCOMPARE(text("name41"), QStringLiteral("Voltage0"));
        QCOMPARE(text("name56"), QStringLiteral("Voltage15"));
        QVERIFY(!recorder.values.value("name41").fromFile);
        QCOMPARE(text("chan7"), QStringLiteral("0"));
        QCOMPARE(recorder.values.value("pgCtrl").number, 0);
    }

    void withFileEveryKeyButRangeIsRead()
    {
        SettingsKeyTable table;
        Recorder recorder;
        recorder.bindAll(table);
        IniFile ini;
        ini.parse("[Settings]\nname9=Boiler\nRange=4\npgCtrl=2\n3DView=yes\noutTime5=30\nID2=3\n");
        QCOMPARE(table.load(ini, true), QStringList());
        QCOMPARE(recorder.applied, table.readOrder(true));

        const SettingsValue name9 = recorder.values.value("name9");
        QCOMPARE(name9.text, QStringLiteral("Boiler"));
        QVERIFY(name9.fromFile);
        QCOMPARE(recorder.values.value("name41").text, QStringLiteral("0")); // a file without the key: default, not fallback
        QCOMPARE(recorder.values.value("pgCtrl").number, 2);
        QCOMPARE(recorder.values.value("3DView").number, 0); // integer key with text reads as 0
        QCOMPARE(recorder.values.value("outTime5").number, 30);
        QCOMPARE(recorder.values.value("ID2").number, 3);
        QCOMPARE(recorder.values.value("outMode0").number, 0);
    }

    void unusableValueCostsOnlyItsOwnKey()
    {
        // Relay outputs without pictures: the normal state of a file, which
        // once lost every key after the first icon.
        IniFile ini;
        ini.parse("[Settings]\n"
                  "outName0=Pump\noutName31=Fan\n"
                  "ImgOffName0=\nImgOnName0=lamp on.bmp\n"
                  "outMode0=1\noutMode1=x\n"
                  "devName2=Hall\n"
                  "name9=Boiler\nchan3=1\n3DView=1\nVTSwitch=voltages\nperiod=60\npgCtrl=2\n");
        SettingsKeyTable table;
        Recorder recorder;
        recorder.bindAll(table);
        table.bindFamily("ImgOffName", [&](int n, const SettingsValue& v) {
            recorder.values.insert(QStringLiteral("ImgOffName%1").arg(n), v);
            return !v.text.isEmpty(); // "Icons/" alone is no picture
        }, {});
        table.bind("devName2", [](const SettingsValue&) -> bool { throw std::runtime_error("owner failed"); }, {});

        QCOMPARE(table.load(ini, true), (QStringList{"ImgOffName0", "outMode1", "devName2"}));
        const auto text = [&](const char* key) { return recorder.values.value(key).text; };
        QCOMPARE(text("outName0"), QStringLiteral("Pump"));
        QCOMPARE(text("outName31"), QStringLiteral("Fan"));
        QCOMPARE(text("ImgOnName0"), QStringLiteral("lamp on.bmp"));
        QCOMPARE(recorder.values.value("outMode0").number, 1);
        QVERIFY(!recorder.values.contains("outMode1"));
        QCOMPARE(text("name9"), QStringLiteral("Boiler"));
        QCOMPARE(text("chan3"), QStringLiteral("1"));
        QCOMPARE(recorder.values.value("3DView").number, 1);
        QCOMPARE(text("VTSwitch"), QStringLiteral("voltages"));
        QCOMPARE(text("period"), QStringLiteral("60"));
        QCOMPARE(recorder.values.value("pgCtrl").number, 2);
    }

    void saveWritesBoundKeysAndLeavesTheRest()
    {
        IniFile ini;
        ini.parse("[Settings]\n"
                  "outName0=Pump\n"
                  "name9=Old\n"
                  "Extra=kept\n"
                  "Range=3\n"
                  "\n"
                  "[Other]\n"
                  "name9=foreign\n");
        SettingsKeyTable table;
        table.bindFamily("name", {}, [](int n) { return QStringLiteral("N%1").arg(n); });
        table.bind("Range", {}, [] { return QStringLiteral("2"); });
        table.bind("3DView", [](const SettingsValue&) { return true; }, [] { return QStringLiteral("1"); });
        table.bind("outName1", [](const SettingsValue&) { return true; }, {}); // read only: not written
        table.save(ini);

        QStringList expected{"[Settings]", "outName0=Pump", "name9=N9", "Extra=kept", "Range=2"};
        for (int i = 0; i < 16; ++i) {
            if (i > 0)
                expected << QStringLiteral("name%1=N%1").arg(9 + i);
            expected << QStringLiteral("name%1=N%1").arg(25 + i) << QStringLiteral("name%1=N%1").arg(41 + i);
        }
        expected << "3DView=1" << "" << "[Other]" << "name9=foreign";
        QCOMPARE(settingsLines(ini), expected);
    }

    void freshFileFollowsWriteOrder()
    {
        SettingsKeyTable table;
        for (const SettingsKey& key : table.keys()) {
            const QString name = key.name;
            table.bind(name, {}, [name] { return name.startsWith("outName") ? QStringLiteral("Out, 1") : QStringLiteral("0"); });
        }
        IniFile ini;
        table.save(ini);
        QStringList expected{"[Settings]"};
        for (const QString& name : table.writeOrder())
            expected << name + (name.startsWith("outName") ? "=Out, 1" : "=0");
        QCOMPARE(settingsLines(ini), expected);
    }
};

QTEST_GUILESS_MAIN(TestSettingsKeys)
#include "test_settings_keys.moc"
