#include "app/IniFile.h"
#include "app/PictureBox.h"
#include "app/Reporter.h"
#include "app/SettingsKeys.h"
#include "protocol/FrameSink.h"
#include "relay/RelayPage.h"
#include "TestBytes.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

class Sink : public FrameSink {
public:
    using FrameSink::SendFrame;
    void SendFrame(const uint8_t* data, int length) override
    {
        frames << QByteArray(reinterpret_cast<const char*>(data), length);
    }
    QList<QByteArray> frames;
};

class Messages : public Reporter {
public:
    void report(const OperatorMessage& m) override { texts << m.text; }
    QStringList texts;
};

bool writeIcon(const QString& path, QColor colour)
{
    QImage image(72, 64, QImage::Format_RGB888);
    image.fill(colour);
    return image.save(path, "BMP");
}

} // namespace

class TestRelayPage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Sink sink_;
    Messages messages_;
    std::unique_ptr<RelayPage> page_;

    template <typename T>
    T* control(const QString& name)
    {
        T* widget = page_->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QColor pixelOf(int output)
    {
        return control<PictureBox>(QStringLiteral("OutputImage%1").arg(output))
            ->picture()
            .toImage()
            .pixelColor(10, 10);
    }

private slots:
    void initTestCase()
    {
        // Pictures only in the program's folder: the working folder has none.
        QVERIFY(QDir().mkpath(dir_.filePath("program/Icons")));
        QVERIFY(QDir().mkpath(dir_.filePath("work")));
        QVERIFY(writeIcon(dir_.filePath("program/Icons/lamp_off.bmp"), Qt::blue));
        QVERIFY(writeIcon(dir_.filePath("program/Icons/lamp_on.bmp"), Qt::red));
        QVERIFY(writeIcon(dir_.filePath("program/Icons/fan_on.bmp"), Qt::green));
    }

    void init()
    {
        sink_.frames.clear();
        messages_.texts.clear();
        page_ = std::make_unique<RelayPage>(
            sink_, messages_, RelayPictures(dir_.filePath("program"), dir_.filePath("work")));
    }

    void defaultsWithoutSettings()
    {
        QCOMPARE(control<QLabel>("OutputLabel0")->text(), QStringLiteral("OUT0"));
        QCOMPARE(control<QLabel>("OutputLabel31")->text(), QStringLiteral("OUT31"));
        QCOMPARE(control<QGroupBox>("ModuleGroup3")->title(), QStringLiteral("OUTPUTS 3"));
        QCOMPARE(control<QLabel>("ModeLabel7")->text(), QStringLiteral("M"));
        QVERIFY(findChildren<QRadioButton>(1)->isChecked()); // BISTABIL
    }

    // Every key loads on its own: outputs without pictures (an empty name)
    // do not stop the rest, and a picture found only beside the program
    // loads although the working folder has none.
    void settingsRoundTrip()
    {
        SettingsKeyTable keys;
        page_->bindSettings(keys);
        IniFile ini;
        ini.parse("[Settings]\r\noutName0=Pump A\r\nImgOffName0=\r\nImgOnName0=\r\n"
                  "ImgOffName1=lamp_off.bmp\r\nImgOnName1=lamp_on.bmp\r\noutMode1=2\r\n"
                  "outTime1=30\r\noutMode2=x\r\nID2=5\r\nID3=12\r\ndevName3=Boiler room\r\n"
                  "index=3\r\n");
        const QStringList rejected = keys.load(ini, true);
        QVERIFY(rejected.contains("ImgOffName0"));
        QVERIFY(rejected.contains("outMode2"));
        QVERIFY(!rejected.contains("ImgOffName1"));
        QCOMPARE(control<QLabel>("OutputLabel0")->text(), QStringLiteral("Pump A"));
        QCOMPARE(control<QLabel>("ModeLabel1")->text(), QStringLiteral("T"));
        QCOMPARE(page_->model().output(1).time, 30);
        QCOMPARE(control<QComboBox>("RsidList2")->currentIndex(), 5);
        QCOMPARE(control<QComboBox>("RsidList3")->currentIndex(), -1);
        QCOMPARE(control<QGroupBox>("ModuleGroup3")->title(), QStringLiteral("Boiler room"));
        QCOMPARE(pixelOf(1), QColor(Qt::blue));

        IniFile out;
        keys.save(out);
        QCOMPARE(out.readString(settingsSection, "outName0", "?"), QStringLiteral("Pump A"));
        QCOMPARE(out.readString(settingsSection, "ImgOffName0", "?"), QString());
        QCOMPARE(out.readString(settingsSection, "ImgOffName1", "?"), QStringLiteral("lamp_off.bmp"));
        QCOMPARE(out.readString(settingsSection, "outMode1", "?"), QStringLiteral("2"));
        QCOMPARE(out.readString(settingsSection, "outTime1", "?"), QStringLiteral("30"));
        QCOMPARE(out.readString(settingsSection, "ID2", "?"), QStringLiteral("5"));
        QCOMPARE(out.readString(settingsSection, "ID3", "?"), QStringLiteral("-1"));
        QCOMPARE(out.readString(settingsSection, "devName3", "?"), QStringLiteral("Boiler room"));
        QCOMPARE(out.readString(settingsSection, "index", "?"), QStringLiteral("3"));
    }

    void changeNeedsASelection()
    {
        auto* label = control<QLabel>("Label43");
        const QPoint at = label->pos();
        page_->ChangeButtonImageMouseDown();
        QCOMPARE(label->pos(), at + QPoint(1, 1));
        QCOMPARE(control<QLabel>("OutputLabel0")->text(), QStringLiteral("OUT0"));
        page_->ChangeButtonImageMouseUp();
        QCOMPARE(label->pos(), at);
    }

    void moduleSelectionRenamesOnlyTheModule()
    {
        page_->GroupBoxClick(2);
        QVERIFY(!control<QLineEdit>("Edit2")->isEnabled());
        QVERIFY(!control<QComboBox>("ComboBox3")->isEnabled());
        control<QLineEdit>("Edit3")->setText(QStringLiteral("Hall"));
        page_->ChangeButtonImageMouseDown();
        page_->ChangeButtonImageMouseUp();
        QCOMPARE(control<QGroupBox>("ModuleGroup2")->title(), QStringLiteral("Hall"));
        QCOMPARE(control<QLabel>("OutputLabel16")->text(), QStringLiteral("OUT16"));
    }

    void changeAnOutputThenSwitchItAndReadTheAnswer()
    {
        page_->Label26Click(9);
        QVERIFY(control<QLineEdit>("Edit2")->isEnabled());
        control<QLineEdit>("Edit3")->setText(QStringLiteral("Fan"));
        findChildren<QRadioButton>(2)->setChecked(true); // TIME
        control<QLineEdit>("Edit2")->setText(QStringLiteral("3"));
        page_->ComboBox3DropDown();
        auto* off = control<QComboBox>("ComboBox3");
        QCOMPARE(off->count(), 3);
        off->setCurrentText(QStringLiteral("lamp_off.bmp"));
        page_->ComboBox6DropDown();
        control<QComboBox>("ComboBox6")->setCurrentText(QStringLiteral("fan_on.bmp"));
        page_->ChangeButtonImageMouseDown();
        page_->ChangeButtonImageMouseUp();
        QVERIFY(messages_.texts.isEmpty());
        QCOMPARE(control<QLabel>("OutputLabel9")->text(), QStringLiteral("Fan"));
        QCOMPARE(control<QLabel>("ModeLabel9")->text(), QStringLiteral("T"));
        QCOMPARE(pixelOf(9), QColor(Qt::blue));

        control<QComboBox>("RsidList1")->setCurrentText(QStringLiteral("9")); // no such item
        page_->ImageMouseDown(9);
        page_->ImageMouseUp(9);
        QCOMPARE(sink_.frames.size(), 1);
        QCOMPARE(sink_.frames[0].left(10), bytes("FF 04 07 01 02 01 03 00 00 00"));
        page_->countdownTick();
        QCOMPARE(control<QLabel>("ModeLabel9")->text(), QStringLiteral("2"));

        QByteArray answer(20, '\0');
        answer[3] = 1;
        answer[4] = 0x02;
        page_->applyStateAnswer(u8(answer), int(answer.size()));
        QCOMPARE(pixelOf(9), QColor(Qt::green));
        QCOMPARE(page_->model().output(9).state, uint8_t(1));
    }

    void changeStopsAtABadTime()
    {
        page_->Label26Click(4);
        control<QLineEdit>("Edit3")->setText(QStringLiteral("Valve"));
        control<QLineEdit>("Edit2")->setText(QStringLiteral("5s"));
        page_->ChangeButtonImageMouseDown();
        QCOMPARE(messages_.texts.size(), 1);
        QCOMPARE(control<QLabel>("OutputLabel4")->text(), QStringLiteral("Valve"));
        QCOMPARE(page_->model().output(4).time, 0);
    }

    void readStateButton()
    {
        control<QComboBox>("RsidList2")->setCurrentIndex(2);
        page_->Image13MouseDown(2);
        QCOMPARE(sink_.frames, QList<QByteArray>{bytes("02 03 07 01 00 00 00 00 00 00 94 1B")});
        QCOMPARE(page_->model().currentModule(), 2);
        page_->Image13MouseUp(2);
    }

    void screenshot()
    {
        const QByteArray out = qgetenv("OBR9_SCREENSHOT_DIR");
        if (out.isEmpty())
            QSKIP("set OBR9_SCREENSHOT_DIR to keep a picture of the page");
        page_->resize(800, 600);
        QVERIFY(page_->grab().save(QString::fromLocal8Bit(out) + "/relay-page.png"));
    }

private:
    template <typename T>
    T* findChildren(int index)
    {
        return page_->findChild<QGroupBox*>("RadioGroup1")->findChildren<T*>().value(index);
    }
};

QTEST_MAIN(TestRelayPage)
#include "test_relay_page.moc"
