// The channel and sampling settings dialog against a main window of the
// test's: defaults, "Save " and "Cancel".
#include "TestBytes.h"
#include "UserInput.h"
#include "measure/ui/TForm5.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FakeHost : public ChannelSettingsHost {
public:
    bool linkChosen() const override { return chosen; }
    void channelSettingsMemo(const QString& line) override { memo << line; }
    void restartVoltageHistory() override { ++voltageRestarts; }
    void restartTemperatureHistory() override { ++temperatureRestarts; }
    void sendChannelSettings(const QByteArray& frame) override { frames << frame; }
    void relabelTemperatures(const std::array<QString, 8>& names) override { relabelled << names; }

    bool chosen = true;
    QStringList memo;
    int voltageRestarts = 0;
    int temperatureRestarts = 0;
    QList<QByteArray> frames;
    QList<std::array<QString, 8>> relabelled;
};

QByteArray field(const QByteArray& name)
{
    return name + QByteArray(25 - name.size(), '\0');
}

QByteArray defaultNameFields()
{
    QByteArray out;
    for (int k = 1; k <= 8; ++k)
        out += field("Temp" + QByteArray::number(k));
    return out;
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm5> form_;
    FakeHost host_;

    template <typename T>
    T* control(const char* name)
    {
        T* widget = form_->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

private slots:
    void init()
    {
        host_ = FakeHost();
        form_ = std::make_unique<TForm5>();
        form_->setHost(&host_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void save() { user::click(control<QPushButton>("Button1")); }

    void cleanup() { form_.reset(); }

    void fieldsListsAndDefaults()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Temperature and voltage settings"));
        static const char* const edits[8] = {"Edit3", "Edit4", "Edit5", "Edit6",
                                             "Edit1", "Edit2", "Edit7", "Edit8"};
        for (int k = 0; k < 8; ++k) {
            auto* edit = control<QLineEdit>(edits[k]);
            QCOMPARE(edit, form_->nameField(k));
            QCOMPARE(edit->text(), QStringLiteral("Temp%1").arg(k + 1));
            QCOMPARE(edit->maxLength(), 24);
        }
        QStringList captions;
        for (QLabel* label : form_->findChildren<QLabel*>())
            captions << label->text();
        for (int k = 1; k <= 8; ++k)
            QVERIFY(captions.contains(QStringLiteral("Chanel %1").arg(k)));
        QVERIFY(captions.contains(QStringLiteral("Voltage sampling interval")));
        QVERIFY(captions.contains(QStringLiteral("Temperature sampling interval")));

        auto* voltage = control<QComboBox>("ComboBox2");
        QCOMPARE(voltage->count(), 5);
        QCOMPARE(voltage->itemText(4), QStringLiteral("1/10s"));
        QCOMPARE(voltage->currentIndex(), -1);
        QCOMPARE(voltage->currentText(), QStringLiteral("10/s"));
        QCOMPARE(form_->voltageItem(), QStringLiteral("10/s"));

        auto* temperature = control<QComboBox>("ComboBox1");
        QCOMPARE(temperature->count(), 15);
        QCOMPARE(temperature->itemText(5), QStringLiteral("1/1min"));
        QCOMPARE(temperature->itemText(13), QStringLiteral("1/10h"));
        QCOMPARE(temperature->itemText(14), QString());
        QCOMPARE(temperature->currentIndex(), 0);

        QCOMPARE(control<QPushButton>("Button1")->text(), QStringLiteral("Save "));
        QCOMPARE(control<QPushButton>("Button2")->text(), QStringLiteral("Cancel"));
    }

    void saveWithoutALinkOnlyWritesTheMemo()
    {
        host_.chosen = false;
        save();
        QCOMPARE(host_.memo, QStringList{QStringLiteral(u"brak po\u0142\u0105czenia")});
        QVERIFY(host_.frames.isEmpty());
        QCOMPARE(host_.voltageRestarts, 0);
        QCOMPARE(host_.temperatureRestarts, 0);
        QVERIFY(host_.relabelled.isEmpty());
        QCOMPARE(form_->savedSampling().voltageIntervalIndex(), 0);
    }

    void firstSaveWithTheDefaults()
    {
        save();
        QCOMPARE(host_.frames.size(), 1);
        // No voltage item chosen: FF, and the remembered 0 differs from it.
        QCOMPARE(host_.frames[0], bytes("FF 01 01 08 FF 00") + defaultNameFields());
        QCOMPARE(host_.voltageRestarts, 1);
        QCOMPARE(host_.temperatureRestarts, 0);
        QCOMPARE(host_.relabelled.size(), 1);
        QCOMPARE(host_.relabelled[0][7], QStringLiteral("Temp8"));
        QVERIFY(host_.memo.isEmpty());

        // Unchanged selections restart nothing.
        save();
        QCOMPARE(host_.frames.size(), 2);
        QCOMPARE(host_.voltageRestarts, 1);
        QCOMPARE(host_.temperatureRestarts, 0);
    }

    void namesAndIntervalsGoIntoTheFrame()
    {
        user::typeInto(form_->nameField(0), QStringLiteral("Boiler"));
        user::typeInto(form_->nameField(4), QString());
        user::typeInto(form_->nameField(7), QStringLiteral(u"Pok\u00F3j"));
        form_->voltageIntervals()->setCurrentIndex(0);
        form_->temperatureIntervals()->setCurrentIndex(5); // "1/1min"
        save();
        QCOMPARE(host_.frames.size(), 1);
        const QByteArray frame = host_.frames[0];
        QCOMPARE(frame.size(), 206);
        QCOMPARE(frame.left(6), bytes("FF 01 01 08 00 05"));
        QCOMPARE(frame.mid(6, 25), bytes("42 6F 69 6C 65 72") + QByteArray(19, '\0'));
        QCOMPARE(frame.mid(6 + 25, 25), field("Temp2"));
        QCOMPARE(frame.mid(6 + 4 * 25, 25), QByteArray(25, '\0'));
        QCOMPARE(frame.mid(6 + 7 * 25, 25), bytes("50 6F 6B F3 6A") + QByteArray(20, '\0'));
        QCOMPARE(host_.voltageRestarts, 0); // 0 as remembered
        QCOMPARE(host_.temperatureRestarts, 1);
        QCOMPARE(host_.relabelled[0][0], QStringLiteral("Boiler"));
        QCOMPARE(host_.relabelled[0][4], QString());
    }

    // A 25-character name from the controller goes back whole; typing
    // still stops at 24. Polish letters go out as Windows-1250 bytes, and a
    // character without such a byte is refused with the field's name.
    void namesKeepEveryCharacter()
    {
        const QString full = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
        form_->setChannelName(1, full);
        QCOMPARE(form_->nameField(1)->text(), full);
        user::typeInto(form_->nameField(0), full);
        QCOMPARE(form_->nameField(0)->text(), full.left(24));
        user::typeInto(form_->nameField(2), QStringLiteral(u"Pompa ciep\u0142a"));
        user::typeInto(form_->nameField(3), QStringLiteral(u"Kot\u0142ownia"));
        save();
        QCOMPARE(host_.frames.size(), 1);
        const QByteArray frame = host_.frames[0];
        QCOMPARE(frame.size(), 206);
        QCOMPARE(frame.mid(6 + 25, 25), QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY"));
        QCOMPARE(frame.mid(6 + 2 * 25, 25),
                 bytes("50 6F 6D 70 61 20 63 69 65 70 B3 61") + QByteArray(13, '\0'));
        QCOMPARE(frame.mid(6 + 3 * 25, 25),
                 bytes("4B 6F 74 B3 6F 77 6E 69 61") + QByteArray(16, '\0'));

        user::typeInto(form_->nameField(5), QStringLiteral(u"\u0416uk"));
        save();
        QCOMPARE(host_.frames.size(), 1);
        QCOMPARE(host_.memo.size(), 1);
        QVERIFY(host_.memo[0].contains(QStringLiteral("Chanel 6")));
    }

    void dialogStaysOpenAfterSaveAndCancelHides()
    {
        user::typeInto(form_->nameField(2), QStringLiteral("typed"));
        save();
        QVERIFY(form_->isVisible());
        user::click(control<QPushButton>("Button2"));
        QVERIFY(!form_->isVisible());
        QCOMPARE(host_.frames.size(), 1);
        QCOMPARE(form_->nameField(2)->text(), QStringLiteral("typed"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
