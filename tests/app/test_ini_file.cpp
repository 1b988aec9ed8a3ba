#include "base/IniFile.h"

#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void foreignLinesAndValueBytesSurviveRoundTrip()
    {
        // LF-only, as an editor on Linux leaves it; 0xB3 0xF3 0xBF are Polish letters in 8-bit text.
        const QByteArray original =
            "; written by hand\n"
            "[Other]\n"
            "outName0=not ours\n"
            "\n"
            "[Settings]\n"
            "  outName0 =  Pump 1, hall   \n"
            "ImgOffName0=Icons/lamp off.bmp\n"
            "devName0=Piec \xB3\xF3\xBF\n"
            "; a comment between keys\n"
            "name9=a,b,,c\n"
            "name9=second copy\n"
            "Empty=\n"
            "\n"
            "[Tail]\n"
            "x=1";
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("obr9.ini"));
        QVERIFY(writeBytes(path, original));

        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.readString("Settings", "outName0", "0"), QStringLiteral("Pump 1, hall"));
        QCOMPARE(ini.readString("SETTINGS", "OUTNAME0", "0"), QStringLiteral("Pump 1, hall"));
        QCOMPARE(ini.readString("Other", "outName0", "0"), QStringLiteral("not ours"));
        QCOMPARE(ini.readString("Settings", "ImgOffName0", "0"), QStringLiteral("Icons/lamp off.bmp"));
        // Windows-1250 bytes, as Polish desktops write them.
        QCOMPARE(ini.readString("Settings", "devName0", "0"), QStringLiteral(u"Piec \u0142\u00F3\u017C"));
        QCOMPARE(ini.readString("Settings", "name9", "0"), QStringLiteral("a,b,,c"));
        QCOMPARE(ini.readString("Settings", "Empty", "0"), QString());
        QVERIFY(ini.contains("Settings", "Empty"));
        QCOMPARE(ini.readString("Settings", "missing", "0"), QStringLiteral("0"));
        QCOMPARE(ini.readString("Tail", "x", "0"), QStringLiteral("1"));
        QCOMPARE(ini.readString("Nowhere", "x", "dflt"), QStringLiteral("dflt"));

        // Rewriting values with the same text changes nothing but the line ends.
        ini.writeString("Settings", "ImgOffName0", "Icons/lamp off.bmp");
        ini.writeString("Settings", "devName0", QStringLiteral(u"Piec \u0142\u00F3\u017C"));
        QVERIFY(ini.save(path));
        QByteArray expected = original;
        expected.replace("\n", "\r\n");
        expected += "\r\n";
        QCOMPARE(fileBytes(path), expected);
    }

    void editsKeepLinePositions()
    {
        IniFile ini;
        ini.parse("[Settings]\r\n"
                  "chan0=0\r\n"
                  "PERIOD=10\r\n"
                  "chan1=0\r\n"
                  "\r\n"
                  "; next\r\n"
                  "[Other]\r\n"
                  "k=v\r\n");
        ini.writeString("Settings", "period", "60");
        ini.writeString("Settings", "chan2", "1");
        ini.writeString("Settings", "chan3", "line\r\nbreak");
        ini.writeString("Other", "k2", QString::fromUtf8("\xE2\x82\xAC")); // the euro sign is 0x80 in Windows-1250
        ini.writeString("New", "a", "b");
        QCOMPARE(ini.toBytes(),
                 QByteArray("[Settings]\r\n"
                            "chan0=0\r\n"
                            "period=60\r\n"
                            "chan1=0\r\n"
                            "chan2=1\r\n"
                            "chan3=line  break\r\n"
                            "\r\n"
                            "; next\r\n"
                            "[Other]\r\n"
                            "k=v\r\n"
                            "k2=\x80\r\n"
                            "[New]\r\n"
                            "a=b\r\n"));
    }

    void readIntTakesOnlyWholeIntegers()
    {
        IniFile ini;
        ini.parse("[S]\nplain=12\nneg=-3\nblanks =  7 \ntext=abc\nmixed=12abc\nempty=\nhuge=99999999999\n");
        QCOMPARE(ini.readInt("S", "plain", 5), 12);
        QCOMPARE(ini.readInt("S", "neg", 5), -3);
        QCOMPARE(ini.readInt("S", "blanks", 5), 7);
        QCOMPARE(ini.readInt("S", "text", 5), 5);
        QCOMPARE(ini.readInt("S", "mixed", 5), 5);
        QCOMPARE(ini.readInt("S", "empty", 5), 5);
        QCOMPARE(ini.readInt("S", "huge", 5), 5);
        QCOMPARE(ini.readInt("S", "missing", 5), 5);
    }

    void missingFileAndFailedSave()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        IniFile ini;
        ini.parse("[S]\nk=v\n");
        QVERIFY(ini.load(dir.filePath("absent.ini")));
        QCOMPARE(ini.toBytes(), QByteArray());

        const QString regularFile = dir.filePath("plain");
        QVERIFY(writeBytes(regularFile, "x"));
        ini.writeString("S", "k", "v");
        QVERIFY(!ini.save(regularFile + "/obr9.ini"));
        QCOMPARE(fileBytes(regularFile), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
