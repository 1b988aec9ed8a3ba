// Login, device settings and firmware upload through the whole program,
// against a controller on 127.0.0.1: the simulator, or the test itself where
// the bytes on the wire are checked literally.
#include "ControllerFrames.h"
#include "SettingsBytes.h"
#include "TestFiles.h"
#include "ProgramFixture.h"
#include "UserInput.h"
#include "devconfig/AddressText.h"
#include "devconfig/ui/TForm2.h"
#include "devconfig/ui/TForm3.h"
#include "sim/SimController.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09");
const QString kUploadDone = QStringLiteral("Wysylanie pliku zakonczone powodzeniem");

} // namespace

class TestDeviceConfig : public QObject {
    Q_OBJECT

    ProgramFixture app_;
    std::unique_ptr<sim::SimController> sim_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;

    template <typename T>
    T* in(QWidget* window, const char* name)
    {
        return controlOf<T>(window, name);
    }
    template <typename T>
    T* main(const char* name)
    {
        return app_.control<T>(name);
    }
    QLineEdit* edit3(const char* name) { return in<QLineEdit>(form3_, name); }
    void click(QWidget* window, const char* button)
    {
        user::click(in<QPushButton>(window, button));
    }
    uint8_t requestMode() { return app_.form->link().parser().requestMode(); }
    DeviceConfigSession& session() { return app_.form->program().deviceConfig(); }

    void connectTo(quint16 port)
    {
        main<QComboBox>("HostIP")->setEditText(QStringLiteral("127.0.0.1"));
        main<QLineEdit>("EditPort")->setText(QString::number(port));
        main<QCheckBox>("CheckBoxConnect")->setChecked(true);
    }

    // The simulator on a port the system picks, the program connected and
    // identified, no data frames to get in the way.
    void startWithSimulator(sim::SimOptions options = {})
    {
        options.period = 3'600'000ms;
        sim_ = std::make_unique<sim::SimController>(options);
        QVERIFY(sim_->listen(QHostAddress::LocalHost, 0));
        connectTo(sim_->serverPort());
        QTRY_VERIFY(main<QPushButton>("Button9")->isEnabled());
    }

    void logIn(const QString& user, const QString& password)
    {
        click(app_.form.get(), "Button9");
        QVERIFY(form2_->isVisible());
        user::typeInto(in<QLineEdit>(form2_, "Edit1"), user);
        user::typeInto(in<QLineEdit>(form2_, "Edit2"), password);
        click(form2_, "Button1");
    }

    void logInToSimulator()
    {
        logIn(QStringLiteral("admin"), QStringLiteral("7961"));
        QTRY_VERIFY(form3_->isVisible());
    }

    // The peer plays the controller up to the open settings dialog.
    void openWithPeer(PeerController& peer, const QByteArray& record)
    {
        connectTo(peer.server.serverPort());
        QVERIFY(peer.waitForConnection());
        QCOMPARE(peer.readExactly(18), kSignature + bytes("FF FE"));
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(main<QPushButton>("Button9")->isEnabled());
        logIn(QStringLiteral("admin"), QStringLiteral("7961"));
        QCOMPARE(peer.readExactly(29),
                 kSignature + bytes("FF") + "admin" + bytes("00") + "7961" + bytes("00 00"));
        peer.send(bytes("FF FE 00 FE 01") + record + bytes("00"));
        QTRY_VERIFY(form3_->isVisible());
        QLineEdit* password = edit3("Edit8");
        QCOMPARE(password->displayText(), QString(password->text().size(), u'*'));
    }

    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = app_.path(name);
        if (!writeBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray firmware(int size)
    {
        QByteArray file(size, '\0');
        for (int i = 0; i < size; ++i)
            file[i] = char((i * 31 + 7) & 0xFF); // holds '{' and 'd' bytes too
        return file;
    }

private slots:
    void init()
    {
        app_.start();
        form2_ = app_.form->findChild<TForm2*>();
        form3_ = app_.form->findChild<TForm3*>();
        QVERIFY(form2_ && form3_);
    }

    void cleanup()
    {
        app_.stop();
        sim_.reset();
    }

    void loginRequestsAndTheLoginDialog()
    {
        PeerController peer;
        connectTo(peer.server.serverPort());
        QVERIFY(peer.waitForConnection());
        QCOMPARE(peer.readExactly(18).size(), 18);
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(main<QPushButton>("Button9")->isEnabled());

        click(app_.form.get(), "Button9");
        QVERIFY(form2_->isVisible());
        QVERIFY(!form2_->isModal());
        QVERIFY(!main<QPushButton>("Button9")->isEnabled());
        QCOMPARE(in<QLineEdit>(form2_, "Edit1")->text(), QStringLiteral("admin"));
        QCOMPARE(in<QLineEdit>(form2_, "Edit2")->echoMode(), QLineEdit::Password);
        QCOMPARE(in<QLineEdit>(form2_, "Edit2")->displayText(), QStringLiteral("****"));

        in<QLineEdit>(form2_, "Edit2")->clear();
        click(form2_, "Button1");
        QCOMPARE(peer.readExactly(25), kSignature + bytes("FF 61 64 6D 69 6E 00 00 00"));
        QCOMPARE(requestMode(), uint8_t(RequestAnswer));
        in<QLineEdit>(form2_, "Edit1")->clear();
        click(form2_, "Button1");
        click(form2_, "Button1");
        QCOMPARE(peer.readExactly(40),
                 kSignature + bytes("FF 00 00 00") + kSignature + bytes("FF 00 00 00"));

        // Thirty characters together, however they are typed.
        QTest::keyClicks(in<QLineEdit>(form2_, "Edit2"), QString(12, u'p'));
        QTest::keyClicks(in<QLineEdit>(form2_, "Edit1"), QString(40, u'u'));
        QCOMPARE(in<QLineEdit>(form2_, "Edit1")->text().size(), 18);
        QTest::keyClicks(in<QLineEdit>(form2_, "Edit2"), QStringLiteral("pp"));
        QCOMPARE(in<QLineEdit>(form2_, "Edit2")->text().size(), 12);

        click(form2_, "Button2");
        QVERIFY(!form2_->isVisible());
        QVERIFY(!main<QPushButton>("Button9")->isEnabled());
    }

    void refusedLoginShowsItsMessage()
    {
        startWithSimulator();
        QSignalSpy answered(sim_.get(), &sim::SimController::loginAnswered);
        logIn(QStringLiteral("admin"), QStringLiteral("1234"));
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QCOMPARE(app_.reporter.messages.first(), kLoginRefusedMessage);
        QCOMPARE(answered.count(), 1);
        QCOMPARE(answered.first().first().toBool(), false);
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QVERIFY(form2_->isVisible());
        QVERIFY(!form3_->isVisible());
    }

    void acceptedLoginFillsAndSaveReachesTheSimulator()
    {
        startWithSimulator();
        logInToSimulator();
        QVERIFY(!form2_->isVisible());
        QVERIFY(app_.form->link().settingsDialogActive());
        QCOMPARE(edit3("Edit1")->text(), QStringLiteral("OBR-9"));
        QCOMPARE(readAddressField(edit3("MaskEdit1")->displayText()),
                 (AddressBytes{192, 168, 1, 161}));
        QCOMPARE(readAddressField(edit3("MaskEdit5")->displayText()),
                 (AddressBytes{192, 168, 1, 1}));
        QCOMPARE(edit3("MaskEdit2")->displayText(), QStringLiteral("01-E8-C4-A1-5B-10"));
        QCOMPARE(in<QComboBox>(form3_, "ComboBox2")->currentText(), QStringLiteral("9600"));
        QCOMPARE(in<QComboBox>(form3_, "ComboBox4")->currentIndex(), 1);
        QCOMPARE(edit3("MaskEdit6")->text(), QStringLiteral("123"));

        edit3("Edit7")->setText(QStringLiteral("oper"));
        edit3("MaskEdit6")->setText(QStringLiteral("77"));
        QSignalSpy received(sim_.get(), &sim::SimController::settingsFrameReceived);
        click(form3_, "Button1");
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.first().at(1).toString(), QString()); // length byte and checksum good
        QCOMPARE(uint8_t(sim_->deviceConfig().record().at(144)), uint8_t(77));
        QCOMPARE(sim_->deviceConfig().user(), QByteArray("oper"));

        QVERIFY(!main<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(!form3_->isVisible());
        QVERIFY(main<QPushButton>("Button9")->isEnabled());
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QVERIFY(!app_.form->link().settingsDialogActive());
        QTRY_VERIFY(!sim_->isConnected());
    }

    void saveChecksEveryFieldFirst()
    {
        startWithSimulator();
        logInToSimulator();
        QSignalSpy requests(sim_.get(), &sim::SimController::requestReceived);
        const QList<std::pair<const char*, QString>> faults{{"Edit3", QStringLiteral("70000")},
                                                            {"Edit2", QStringLiteral("port")},
                                                            {"MaskEdit6", QStringLiteral("256")},
                                                            {"MaskEdit3", QStringLiteral("")}};
        for (const auto& [name, text] : faults) {
            const QString before = edit3(name)->text();
            edit3(name)->setText(text);
            click(form3_, "Button1");
            edit3(name)->setText(before);
        }
        QCOMPARE(app_.reporter.messages.size(), 4);
        QVERIFY(app_.reporter.messages[0].text.startsWith(QStringLiteral("Port: 70000")));
        QVERIFY(app_.reporter.messages[1].text.startsWith(QStringLiteral("Destination port:")));
        QVERIFY(app_.reporter.messages[2].text.startsWith(QStringLiteral("RS ID:")));
        QVERIFY(app_.reporter.messages[3].text.startsWith(QStringLiteral("Transmit request time:")));
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QVERIFY(form3_->isVisible());
        QVERIFY(main<QCheckBox>("CheckBoxConnect")->isChecked());
        QTest::qWait(50);
        QCOMPARE(requests.count(), 0);
    }

    void savingAFillWithoutEditsSendsTheRecordBack()
    {
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        QCOMPARE(in<QComboBox>(form3_, "ComboBox7")->currentText(), QStringLiteral("2"));
        QCOMPARE(edit3("MaskEdit3")->text(), QStringLiteral("1000"));
        QCOMPARE(edit3("Edit2")->text(), QStringLiteral("8090"));
        click(form3_, "Button1");
        QCOMPARE(peer.readExactly(171), sampleFrame());
        QVERIFY(!main<QCheckBox>("CheckBoxConnect")->isChecked());
        QTRY_COMPARE(peer.socket->state(), QAbstractSocket::UnconnectedState);
    }

    void cancelWhileConnectedSendsTheCloseFrame()
    {
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        click(form3_, "Button2");
        QVERIFY(!form3_->isVisible());
        QCOMPARE(peer.readExactly(2), bytes("FF 00"));
        QCOMPARE(peer.readExactly(1, 100), QByteArray());
        QVERIFY(main<QPushButton>("Button9")->isEnabled());
        QVERIFY(main<QCheckBox>("CheckBoxConnect")->isChecked());
    }

    void uploadCompletesWithProgress()
    {
        startWithSimulator();
        logInToSimulator();
        const QByteArray file = firmware(600);
        const QString path = writeFile(QStringLiteral("obr9.bin"), file);
        QString startDir;
        form3_->fileChooser = [&](const QString& dir) {
            startDir = dir;
            return path;
        };
        QSignalSpy finished(sim_.get(), &sim::SimController::uploadFinished);
        app_.form->program().setChartFileName(QStringLiteral("plik"));
        QList<int> bar;
        connect(in<QProgressBar>(form3_, "ProgressBar1"), &QProgressBar::valueChanged, this,
                [&bar](int value) { bar.append(value); });
        // When the message comes, the parser call that completed the upload
        // is over and the link is down.
        bool linkDownAtMessage = false;
        app_.reporter.onReport = [&] {
            linkDownAtMessage = !main<QCheckBox>("CheckBoxConnect")->isChecked() &&
                                !form3_->isVisible() && requestMode() == RequestData;
        };

        click(form3_, "Button3");
        QCOMPARE(startDir, QDir::currentPath());
        QCOMPARE(in<QLabel>(form3_, "Label3")->text(), QStringLiteral("obr9.bin"));
        QCOMPARE(app_.form->program().chartFileName(), path);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toByteArray(), file);
        QVERIFY(finished.first().at(1).toBool());
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QCOMPARE(app_.reporter.messages.first(),
                 (OperatorMessage{kUploadDone, QStringLiteral("wysylanie pliku")}));
        QVERIFY(linkDownAtMessage);
        QCOMPARE(bar, (QList<int>{0, 43, 87, 100}));
        QVERIFY(main<QPushButton>("Button9")->isEnabled());
    }

    void uploadRepeatsRefusedFrames()
    {
        sim::SimOptions options;
        options.nakEvery = 3;
        startWithSimulator(options);
        logInToSimulator();
        const QByteArray file = firmware(2001); // odd: checksum over a padded copy
        const QString path = writeFile(QStringLiteral("odd.bin"), file);
        form3_->fileChooser = [&](const QString&) { return path; };
        QSignalSpy finished(sim_.get(), &sim::SimController::uploadFinished);
        click(form3_, "Button3");
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toByteArray(), file);
        QVERIFY(finished.first().at(1).toBool());
        QVERIFY(sim_->uploadReceiver().refusals() >= 3);
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QCOMPARE(app_.reporter.messages.first().text, kUploadDone);
    }

    // A '{' that reached the program before "Upgrade" (not read yet when the
    // button is clicked) is no answer to the header: the first block waits
    // for the controller's own answer.
    void acknowledgementQueuedBeforeUpgradeIsNotTheAnswer()
    {
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        const QByteArray file = firmware(600);
        const QString path = writeFile(QStringLiteral("stale.bin"), file);
        form3_->fileChooser = [&](const QString&) { return path; };
        peer.socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        peer.send("{");
        QThread::msleep(50); // on its way in, with no event loop turn to read it
        click(form3_, "Button3");
        QCOMPARE(peer.readExactly(8), bytes("FF 09 5A 02 00 00 64 01")); // 602 bytes to come
        QCOMPARE(peer.readExactly(1, 300), QByteArray());
        peer.send("{");
        QCOMPARE(peer.readExactly(264), file.left(264));
    }

    // One frame in flight: the rate is set by the round trip of each block.
    void uploadThroughputOverLoopback()
    {
        startWithSimulator();
        logInToSimulator();
        const QByteArray file = firmware(512 * 1024);
        const QString path = writeFile(QStringLiteral("big.bin"), file);
        form3_->fileChooser = [&](const QString&) { return path; };
        QSignalSpy finished(sim_.get(), &sim::SimController::uploadFinished);
        QElapsedTimer clock;
        clock.start();
        user::click(in<QPushButton>(form3_, "Button3"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        const double kilobytesPerSecond = 512.0 / (double(clock.nsecsElapsed()) / 1e9);
        qInfo("upload through the program: %.0f KB/s", kilobytesPerSecond);
        QVERIFY(finished.first().at(1).toBool());
        QVERIFY2(kilobytesPerSecond >= 500.0, qPrintable(QString::number(kilobytesPerSecond)));
    }

    // However the dialog closes, the live timer counts again: a controller
    // that then falls silent is reported and the link reconnected.
    void timeOutDetectionComesBackAfterTheDialogCloses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << QStringLiteral("cancel");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("window closed") << QStringLiteral("window");
    }

    void timeOutDetectionComesBackAfterTheDialogCloses()
    {
        QFETCH(QString, how);
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        const QString timeOut = QStringLiteral("Time Out");
        for (int second = 0; second < 20; ++second)
            app_.form->Timer2Timer(); // held while the dialog is open
        QVERIFY(app_.form->link().liveTimer() <= 1);
        QVERIFY(!app_.form->windowTitle().endsWith(timeOut));

        if (how == QLatin1String("cancel")) {
            user::click(in<QPushButton>(form3_, "Button2"));
        } else if (how == QLatin1String("escape")) {
            user::click(edit3("Edit1"));
            QTest::keyClick(edit3("Edit1"), Qt::Key_Escape);
        } else {
            QVERIFY(form3_->close()); // the window's close button
        }
        QVERIFY(!form3_->isVisible());
        QCOMPARE(peer.readExactly(2), bytes("FF 00"));
        QVERIFY(!app_.form->link().settingsDialogActive());

        // The caption shows "Time Out" on the way to the reconnect.
        QStringList captions;
        connect(app_.form.get(), &QWidget::windowTitleChanged, this,
                [&captions](const QString& title) { captions << title; });
        auto timedOut = [&] {
            return std::any_of(captions.cbegin(), captions.cend(),
                               [&](const QString& c) { return c.endsWith(timeOut); });
        };
        int seconds = 0;
        while (!timedOut() && seconds < 16) {
            app_.form->Timer2Timer();
            ++seconds;
        }
        QVERIFY(timedOut());
        QVERIFY(seconds >= 14);
        QVERIFY(peer.waitForConnection());
        QCOMPARE(peer.readExactly(18), kSignature + bytes("FF FE"));
    }

    // The controller goes quiet in the middle of an upload. A slow answer
    // (14 s) still counts; 30 s without any ends the upload with a message.
    void uploadWithoutAnswersEndsAfterThirtySeconds()
    {
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        qint64 now = 1'000'000;
        session().upload().setClock([&now] { return now; });
        const QString path = writeFile(QStringLiteral("fw.bin"), firmware(600));
        form3_->fileChooser = [&](const QString&) { return path; };
        auto* bar = in<QProgressBar>(form3_, "ProgressBar1");

        user::click(in<QPushButton>(form3_, "Button3"));
        QCOMPARE(peer.readExactly(8), uploadHeader(602));
        peer.send("{");
        QCOMPARE(peer.readExactly(264).size(), 264);
        now += 14'000;
        QTest::qWait(3 * DeviceConfigSession::kUploadWatchMs);
        QVERIFY(session().upload().active());
        peer.send("{");
        QCOMPARE(peer.readExactly(264).size(), 264);
        QTRY_COMPARE(bar->value(), 43);

        now += 29'999;
        QTest::qWait(3 * DeviceConfigSession::kUploadWatchMs);
        QVERIFY(session().upload().active());
        QVERIFY(app_.reporter.messages.isEmpty());
        now += 1;
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QCOMPARE(app_.reporter.messages.first().caption, QStringLiteral("wysylanie pliku"));
        QVERIFY(app_.reporter.messages.first().text.contains(QStringLiteral("30 s")));
        QVERIFY(!session().upload().active());
        QCOMPARE(bar->value(), 0);
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QVERIFY(form3_->isVisible());
        QVERIFY(main<QCheckBox>("CheckBoxConnect")->isChecked());

        // A late acknowledgement sends nothing; data frames decode again.
        peer.send("{");
        QCOMPARE(peer.readExactly(1, 200), QByteArray());
        peer.send(temperatureHumidity(21.5f, 40.0f));
        QTRY_COMPARE(app_.form->deviceState().temperatureKind, TemperatureKind::TemperatureHumidity);
        QCOMPARE(app_.reporter.messages.size(), 1);
    }

    void closingTheDialogStopsTheUpload()
    {
        PeerController peer;
        openWithPeer(peer, sampleRecord());
        const QString path = writeFile(QStringLiteral("fw.bin"), firmware(600));
        form3_->fileChooser = [&](const QString&) { return path; };
        auto* bar = in<QProgressBar>(form3_, "ProgressBar1");
        user::click(in<QPushButton>(form3_, "Button3"));
        QCOMPARE(peer.readExactly(8), uploadHeader(602));
        peer.send("{");
        QCOMPARE(peer.readExactly(264).size(), 264);
        peer.send("{");
        QCOMPARE(peer.readExactly(264).size(), 264);
        QTRY_COMPARE(bar->value(), 43);

        user::click(in<QPushButton>(form3_, "Button2"));
        QVERIFY(!form3_->isVisible());
        QVERIFY(!session().upload().active());
        QCOMPARE(bar->value(), 0);
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QCOMPARE(peer.readExactly(2), bytes("FF 00"));
        peer.send("{");
        QCOMPARE(peer.readExactly(1, 200), QByteArray());
        QVERIFY(app_.reporter.messages.isEmpty());
        QVERIFY(main<QCheckBox>("CheckBoxConnect")->isChecked());
    }

    void unreadableFileChangesNothing()
    {
        app_.form->program().setChartFileName(QStringLiteral("plik"));
        form3_->fileChooser = [this](const QString&) { return app_.path("missing.bin"); };
        form3_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form3_));
        user::click(in<QPushButton>(form3_, "Button3"));
        QCOMPARE(app_.reporter.messages.size(), 1);
        QVERIFY(app_.reporter.messages.first().text.contains(QStringLiteral("missing.bin")));
        QCOMPARE(requestMode(), uint8_t(RequestData));
        QVERIFY(!session().upload().active());
        QCOMPARE(app_.form->program().chartFileName(), QStringLiteral("plik"));
        QVERIFY(!main<QPlainTextEdit>("DebugMemo")
                     ->toPlainText()
                     .contains(QStringLiteral(u"brak po\u0142\u0105czenia")));

        form3_->fileChooser = [](const QString&) { return QString(); }; // cancel
        user::click(in<QPushButton>(form3_, "Button3"));
        QCOMPARE(app_.reporter.messages.size(), 1);
    }

    void addressMacAndDhcpFields()
    {
        // The address is checked as the operator leaves the field for
        // another one; focus moves only within the active window.
        form3_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form3_));
        form3_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form3_));
        QLineEdit* ip = edit3("MaskEdit1");
        QLineEdit* subnet = edit3("MaskEdit4");
        user::typeInto(ip, QStringLiteral("300.1.1.1"));
        QVERIFY(ip->hasFocus());
        user::click(subnet);
        QVERIFY(subnet->hasFocus());
        QTRY_COMPARE(app_.reporter.messages.size(), 1);
        QCOMPARE(app_.reporter.messages.last().text, QStringLiteral("Not a valid IP address."));
        // The second group stepped over with the arrow key stays empty.
        user::typeInto(ip, QStringLiteral("10."));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(ip, Qt::Key_Right);
        user::keyClicks(ip, QStringLiteral("1.1"));
        QCOMPARE(ip->displayText(), QStringLiteral("10 .   .1  .1  "));
        user::click(subnet);
        QTRY_COMPARE(app_.reporter.messages.size(), 2);
        QVERIFY(app_.reporter.messages.last().text.endsWith(
            QStringLiteral("is not a valid integer value")));
        user::typeInto(ip, QStringLiteral("10.0.0.1"));
        user::click(subnet);
        QTest::qWait(20);
        QCOMPARE(app_.reporter.messages.size(), 2);

        QLineEdit* mac = edit3("MaskEdit2");
        mac->clear();
        mac->setCursorPosition(0);
        QTest::keyClicks(mac, QStringLiteral("ab-zC1"));
        QTest::keyClick(mac, Qt::Key_Backspace);
        QCOMPARE(mac->displayText(), QStringLiteral("AB-C1-__-__-__-__"));

        auto* dhcp = in<QCheckBox>(form3_, "CheckBox1");
        dhcp->setChecked(true);
        QVERIFY(!ip->isEnabled() && !edit3("MaskEdit4")->isEnabled() &&
                !edit3("MaskEdit5")->isEnabled());
        QVERIFY(edit3("MaskEdit8")->isEnabled());
        dhcp->setChecked(false);
        QVERIFY(ip->isEnabled());
        QCOMPARE(edit3("MaskEdit7")->maxLength(), 40);
        QCOMPARE(edit3("MaskEdit9")->maxLength(), 40);
        QCOMPARE(edit3("Edit1")->maxLength(), 10);
    }
};

QTEST_MAIN(TestDeviceConfig)
#include "test_device_config.moc"
