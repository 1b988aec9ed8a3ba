// The whole program against a controller played by the test on 127.0.0.1.
#include "widgets/PictureBox.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TForm4.h"
#include "measure/ui/TForm5.h"
#include "ControllerFrames.h"
#include "ProgramFixture.h"
#include "PtyPair.h"
#include "TestBytes.h"
#include "UserInput.h"
#include "relay/ui/RelayPage.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace obr9;

namespace {

const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09");
const QByteArray kIdentificationRequest = kSignature + bytes("FF FE");
const int kRaw[8] = {43, 44, -100, 0, 1, 2, 3, 500};
const QList<QByteArray> kNames = {"Boiler", "Ch1", "Ch2", "Ch3", "Ch4", "Ch5", "Ch6", "Ch7"};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    ProgramFixture app_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }
    QString memo() { return app_.memo(); }

    // Connects the program as a TCP client to the peer and answers the
    // identification request.
    void connectTo(PeerController& peer)
    {
        control<QComboBox>("HostIP")->setEditText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>("EditPort")->setText(QString::number(peer.server.serverPort()));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QTRY_VERIFY(peer.server.hasPendingConnections());
        QVERIFY(peer.waitForConnection());
        QTRY_COMPARE(peer.socket->bytesAvailable(), qint64(18));
        QCOMPARE(peer.readExactly(18), kIdentificationRequest);
    }

private slots:
    void init() { app_.start(); }
    void cleanup() { app_.stop(); }

    void defaultsAtStartUp()
    {
        QCOMPARE(app_.form->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. Device not connected"));
        auto* port = control<QComboBox>("ComboBoxPort");
        QCOMPARE(port->currentText(), QStringLiteral("LAN"));
        QCOMPARE(port->count(), 2);
        QCOMPARE(port->itemText(1), QStringLiteral("COM3"));
        QCOMPARE(control<QComboBox>("HostIP")->currentText(), QStringLiteral("192.168.1.161"));
        QCOMPARE(control<QLineEdit>("EditPort")->text(), QStringLiteral("8090"));
        QCOMPARE(control<QComboBox>("ComboBoxSpeed")->currentText(), QStringLiteral("115200"));
        QVERIFY(!control<QPushButton>("Button9")->isEnabled());
        QVERIFY(control<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(!control<QPlainTextEdit>("DebugMemo")->isVisible());
        QCOMPARE(control<QTabWidget>("PageControl1")->tabText(2), QStringLiteral("HQ-2"));
        QCOMPARE(app_.form->timer1().interval(), 1000);
        QCOMPARE(control<PictureBox>("Image1")->pictureKey(),
                 app_.form->pictures().outputOff.cacheKey());
        QCOMPARE(control<PictureBox>("Image3")->pictureKey(),
                 app_.form->pictures().inputInactive.cacheKey());
    }

    void choosingASerialPortSwapsTheFields()
    {
        auto* port = control<QComboBox>("ComboBoxPort");
        port->setEditText(QStringLiteral("COM3"));
        QVERIFY(control<QComboBox>("ComboBoxSpeed")->isVisible());
        QVERIFY(!control<QComboBox>("HostIP")->isVisible());
        QVERIFY(!control<QLineEdit>("EditPort")->isVisible());
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("RS baudrate"));
        port->setEditText(QStringLiteral("LAN"));
        QVERIFY(!control<QComboBox>("ComboBoxSpeed")->isVisible());
        QVERIFY(control<QComboBox>("HostIP")->isVisible());
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("IP address"));
    }

    void portListEndsWithLanAndAddressGoesToTheSettingsField()
    {
        auto* port = control<QComboBox>("ComboBoxPort");
        port->setEditText(QStringLiteral("COM3"));
        // The list is read as it drops down (a click on its arrow) and closed
        // again with Escape.
        user::click(port, QPoint(port->width() - 8, port->height() / 2));
        QTRY_VERIFY(port->view()->isVisible());
        QVERIFY(port->count() >= 1);
        QCOMPARE(port->itemText(port->count() - 1), QStringLiteral("LAN"));
        QTest::keyClick(port->view(), Qt::Key_Escape);
        QTRY_VERIFY(!port->view()->isVisible());
        QCOMPARE(port->currentText(), QStringLiteral("COM3")); // the choice is kept

        // An address from the history, chosen in the address list, goes to
        // the device settings field.
        port->setEditText(QStringLiteral("LAN"));
        app_.form->close();
        app_.form.reset();
        QFile history(app_.path("Ip addresses.txt"));
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write("192.168.1.161\r\n10.1.2.3\r\n");
        history.close();
        app_.launch();
        auto* host = control<QComboBox>("HostIP");
        QVERIFY(QTest::qWaitForWindowExposed(app_.form.get()));
        user::click(host, QPoint(host->width() - 8, host->height() / 2));
        QTRY_VERIFY(host->view()->isVisible());
        QTest::keyClick(host->view(), Qt::Key_Home);
        QTest::keyClick(host->view(), Qt::Key_Down);
        QTest::keyClick(host->view(), Qt::Key_Return);
        QTRY_VERIFY(!host->view()->isVisible());
        QCOMPARE(host->currentText(), QStringLiteral("10.1.2.3"));
        QCOMPARE(control<QLineEdit>("MaskEdit1")->text(), QStringLiteral("10.1.2.3"));
    }

    void secondsCounterAndItsClearBox()
    {
        app_.form->Timer2Timer();
        app_.form->Timer2Timer();
        QCOMPARE(control<QLabel>("Label75")->text(), QStringLiteral("sekundy=2"));
        control<QCheckBox>("CheckBox7")->setChecked(true);
        app_.form->Timer2Timer();
        QCOMPARE(control<QLabel>("Label75")->text(), QStringLiteral("sekundy=1"));
        QCOMPARE(control<QLabel>("Label41")->text(), QStringLiteral("LiveTimer=0"));
    }

    void identificationAndMeasurementsOverTcp()
    {
        PeerController peer;
        connectTo(peer);
        QCOMPARE(app_.form->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected"));

        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_COMPARE(app_.form->windowTitle(),
                     QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v10"));
        QVERIFY(control<QPushButton>("Button9")->isEnabled());
        QCOMPARE(app_.form->channelSettings()->voltageIntervals()->currentIndex(), 2);
        QCOMPARE(app_.form->channelSettings()->temperatureIntervals()->currentIndex(), 3);
        QVERIFY(app_.form->link().deviceAnswered());

        peer.send(dataFrame(2, bytes("05")) + dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        QCOMPARE(control<PictureBox>("Image3")->pictureKey(),
                 app_.form->pictures().inputActive.cacheKey());
        QCOMPARE(control<PictureBox>("Image4")->pictureKey(),
                 app_.form->pictures().inputInactive.cacheKey());
        QCOMPARE(control<PictureBox>("Image2")->pictureKey(),
                 app_.form->pictures().outputOn.cacheKey());
        QCOMPARE(control<PictureBox>("Image1")->pictureKey(),
                 app_.form->pictures().outputOff.cacheKey());

        peer.send(eightTemperatures(kRaw, kNames));
        QTRY_COMPARE(control<QLabel>("Label17")->text(), QStringLiteral(u"Boiler=21.5\u00B0C"));
        QCOMPARE(control<QLabel>("Label21")->text(), QStringLiteral(u"Ch2=-50\u00B0C"));
        QCOMPARE(control<QGroupBox>("GroupBox2")->height(), 270);
        QCOMPARE(app_.form->chartWindow()->channelBox(0)->text(), QStringLiteral(u"Boiler=21.5\u00B0C"));
        QCOMPARE(app_.form->channelSettings()->nameField(0)->text(), QStringLiteral("Boiler"));
        QCOMPARE(app_.form->chartWindow()->kindLabel()->text(), QStringLiteral("Temperature"));

        peer.send(temperatureHumidity(21.25f, 45.5f));
        QTRY_COMPARE(control<QLabel>("Label19")->text(), QStringLiteral("Humidity=45.5%"));
        QCOMPARE(control<QLabel>("Label17")->text(), QStringLiteral(u"Temperature=21.25\u00B0C"));
        QCOMPARE(control<QGroupBox>("GroupBox2")->height(), 80);
        QVERIFY(!app_.form->chartWindow()->channelBox(5)->isVisibleTo(app_.form->chartWindow()));
        QCOMPARE(app_.form->chartWindow()->kindLabel()->text(), QStringLiteral("Temp / Hum"));
    }

    void outputDoubleClickSendsTheCommandAndTheStatusWins()
    {
        PeerController peer;
        connectTo(peer);
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(app_.form->link().deviceAnswered());

        user::doubleClick(control<PictureBox>("Image2"));
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 02"));
        QCOMPARE(control<PictureBox>("Image2")->pictureKey(),
                 app_.form->pictures().outputOn.cacheKey());
        user::doubleClick(control<PictureBox>("Image1"));
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 03"));

        // The controller reports only OUT2 on: the pictures follow it.
        peer.send(dataFrame(2, bytes("08")));
        QTRY_COMPARE(control<PictureBox>("Image2")->pictureKey(),
                     app_.form->pictures().outputOff.cacheKey());
        QVERIFY(app_.form->deviceState().out2On);
        QVERIFY(!app_.form->deviceState().out1On);
        user::doubleClick(control<PictureBox>("Image1"));
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 00"));
    }

    // A periodic chart save that keeps failing while its box is still open
    // (Timer2 runs on in the box's event loop) adds memo lines, no boxes.
    void aFailingPeriodicSaveKeepsToOneBox()
    {
        app_.form->program().hq2().setChartFolder(app_.path(QStringLiteral("no/such/folder")));
        control<QCheckBox>("CheckBox6")->setChecked(true);
        bool otherPassed = false;
        app_.reporter.onReport = [&] {
            if (app_.reporter.messages.size() != 1)
                return;
            for (int tick = 0; tick < 2 * ModulePage::kSavePeriodTicks; ++tick)
                app_.form->Timer2Timer();
            // Messages of other causes still open their boxes meanwhile.
            app_.form->reporter().report({QStringLiteral("other"), QStringLiteral("Error")});
            otherPassed = app_.reporter.messages.size() == 2;
        };
        app_.form->Timer2Timer();
        QVERIFY(otherPassed);
        QCOMPARE(app_.reporter.messages.size(), 2);
        const OperatorMessage box = app_.reporter.messages.first();
        QCOMPARE(box.caption, QStringLiteral("Chart file"));
        QCOMPARE(box.cause, ReportCause::periodicChartSave);
        QCOMPARE(memo().count(OnePerCauseReporter::memoLine(box)), 2);

        // Closed, the next failure opens a box again.
        for (int tick = 0; tick < ModulePage::kSavePeriodTicks; ++tick)
            app_.form->Timer2Timer();
        QCOMPARE(app_.reporter.messages.size(), 3);
        QCOMPARE(app_.reporter.messages.last().cause, ReportCause::periodicChartSave);
    }

    void silentControllerTimesOutAndReconnects()
    {
        PeerController peer;
        connectTo(peer);
        peer.send(bytes("FF FE 01 07 00 00 00"));
        QTRY_VERIFY(app_.form->link().deviceAnswered());

        for (int second = 1; second <= 12; ++second)
            app_.form->Timer2Timer();
        QCOMPARE(peer.socket->bytesAvailable(), qint64(0));
        app_.form->Timer2Timer(); // 13 s: ask again
        QCOMPARE(peer.readExactly(18), kIdentificationRequest);
        app_.form->Timer2Timer();
        app_.form->Timer2Timer();
        QVERIFY(!app_.form->windowTitle().endsWith(QStringLiteral("Time Out")));
        app_.form->Timer2Timer(); // 16 s: time out and reconnect
        QCOMPARE(app_.form->link().liveTimer(), 0);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(memo().contains(QStringLiteral("PORT_NIEPOLACZONY")));
        QVERIFY(peer.waitForConnection());
        QTRY_COMPARE(peer.socket->bytesAvailable(), qint64(18));
        QCOMPARE(control<QLabel>("Label41")->text(), QStringLiteral("LiveTimer=0"));
    }

    void listeningModeGreetsTheController()
    {
        app_.form->link().setListenAddress(QHostAddress::LocalHost);
        control<QLineEdit>("EditPort")->setText(QStringLiteral("0"));
        control<QCheckBox>("CheckBox2")->setChecked(true);
        QCOMPARE(control<QLabel>("Label25")->text(), QStringLiteral("nasluchuje..."));
        const quint16 port = app_.form->link().server().serverPort();
        QVERIFY(port != 0);

        QTcpSocket controller;
        controller.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(controller.waitForConnected(5000));
        QTRY_COMPARE(control<QLabel>("Label25")->text(), QStringLiteral("klient podlaczony"));
        QTRY_COMPARE(controller.bytesAvailable(), qint64(18));
        QCOMPARE(controller.readAll(), kIdentificationRequest);
        controller.write(bytes("FF FE 01 03 00 01 01") + dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        QCOMPARE(app_.form->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v3"));

        controller.disconnectFromHost();
        QTRY_COMPARE(control<QLabel>("Label25")->text(), QStringLiteral("klient rozlaczony"));
        QVERIFY(!app_.form->link().deviceAnswered());
        app_.form->Button10Click();
        QVERIFY(memo().endsWith(QStringLiteral(u"brak po\u0142\u0105czenia")));
    }

    void listeningOnAPortInUseIsReported()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        app_.form->link().setListenAddress(QHostAddress::LocalHost);
        control<QLineEdit>("EditPort")->setText(QString::number(other.serverPort()));
        control<QCheckBox>("CheckBox2")->setChecked(true);
        QVERIFY(!app_.form->link().server().isListening());
        QCOMPARE(control<QLabel>("Label25")->text(), QStringLiteral("brak polaczenia"));
        QCOMPARE(app_.reporter.messages.size(), 1);
        QVERIFY(app_.reporter.messages[0].text.contains(QString::number(other.serverPort())));
    }

    void badSerialPortNameUnchecksConnect()
    {
        control<QComboBox>("ComboBoxPort")->setEditText(QStringLiteral("COMx"));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QVERIFY(!control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(memo().contains(QStringLiteral("BLAD_OTWARCIA_PORTU")));
        QVERIFY(memo().contains(QStringLiteral("PORT_NIEPOLACZONY")));
    }

    void serialPortCarriesModuleBytesBothWays()
    {
        PtyPair pty;
        NEED_PTY_PAIR(pty);
        QSerialPort module;
        module.setPortName(pty.b);
        QVERIFY(module.open(QIODevice::ReadWrite));

        qsizetype received = 0;
        connect(&app_.form->program().hq2(), &Hq2Model::bytesCounted, this, [&](int count) { received += count; });
        control<QComboBox>("ComboBoxPort")->setEditText(pty.a);
        control<QComboBox>("ComboBoxSpeed")->setEditText(QStringLiteral("fast"));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(memo().endsWith(QStringLiteral("PORT_POLACZONY\n") + pty.a +
                                QStringLiteral("\nSzybkosc->fast")));
        QCOMPARE(app_.form->link().serialPort().lineSettings.baudRate, 500000);

        user::doubleClick(control<PictureBox>("Image2"));
        QVERIFY(memo().endsWith(QStringLiteral("Wyslano komende rs485")));
        QByteArray atModule;
        QTRY_VERIFY((atModule += module.readAll()).size() >= 6);
        QCOMPARE(atModule, bytes("FF 01 01 02 01 02"));

        const QByteArray answer = QByteArray(20, 'r');
        module.write(answer);
        QVERIFY(module.waitForBytesWritten(2000));
        QTRY_VERIFY_WITH_TIMEOUT((app_.form->Timer1Timer(), received == answer.size()), 5000);

        control<QCheckBox>("CheckBoxConnect")->setChecked(false);
        QVERIFY(!app_.form->link().serialPort().IsOpen());
        QVERIFY(memo().endsWith(QStringLiteral("PORT_NIEPOLACZONY")));
        user::doubleClick(control<PictureBox>("Image2"));
        QVERIFY(memo().endsWith(QStringLiteral(u"brak po\u0142\u0105czenia")));
    }

    void nonNumericPortIsReportedAndNothingOpens()
    {
        control<QLineEdit>("EditPort")->setText(QStringLiteral("80x"));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QCOMPARE(app_.reporter.messages.size(), 1);
        QVERIFY(app_.reporter.messages[0].text.contains(QStringLiteral("80x")));
        QCOMPARE(app_.form->link().clientSocket().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
    }

    void pagesAreLockedWhileConnected()
    {
        auto* pages = control<QTabWidget>("PageControl1");
        pages->setCurrentIndex(1);
        QCOMPARE(app_.form->timer1().interval(), 20);
        pages->setCurrentIndex(2);
        QCOMPARE(app_.form->timer1().interval(), 1000);
        pages->setCurrentIndex(0);

        PeerController peer;
        connectTo(peer);
        pages->setCurrentIndex(2);
        QCOMPARE(pages->currentIndex(), 0);
    }

    void addressHistoryGetsEachAddressOnce()
    {
        PeerController peer;
        connectTo(peer);
        control<QCheckBox>("CheckBoxConnect")->setChecked(false);
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        auto* host = control<QComboBox>("HostIP");
        QCOMPARE(host->count(), 2);
        QCOMPARE(host->itemText(1), QStringLiteral("127.0.0.1"));
    }

    void firstRunWritesBothFilesAtShutdown()
    {
        QVERIFY(app_.form->rejectedSettings().isEmpty());
        app_.form->close();
        QFile addresses(app_.path("Ip addresses.txt"));
        QVERIFY(addresses.open(QIODevice::ReadOnly));
        QCOMPARE(addresses.readAll(), QByteArray("192.168.1.161\r\n"));
        QFile ini(app_.path("obr9.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.startsWith("[Settings]\r\n"));
        QVERIFY(text.contains("\r\npgCtrl=0\r\n"));
        QVERIFY(text.contains("\r\nperiod=1\r\n"));
    }

    // Names from the controller: 25 characters and Windows-1250 letters go
    // back byte for byte on the next "Save ", and the chart captions show
    // them whole. The CSV header holds the same bytes.
    void channelNamesFromTheControllerGoBackWhole()
    {
        PeerController peer;
        connectTo(peer);
        const QByteArray longName("ABCDEFGHIJKLMNOPQRSTUVWXY");
        QList<QByteArray> names = kNames;
        names[0] = "Pompa ciep\xB3" "a";
        names[1] = "Kot\xB3ownia";
        names[2] = longName;
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(app_.form->link().deviceAnswered());
        user::click(control<QCheckBox>("CheckBox4"), QPoint(8, 8)); // record, on its box
        QVERIFY(control<QCheckBox>("CheckBox4")->isChecked());
        peer.send(eightTemperatures(kRaw, names));
        QTRY_COMPARE(control<QLabel>("Label17")->text(),
                     QStringLiteral(u"Pompa ciep\u0142a=21.5\u00B0C"));
        QCOMPARE(control<QLabel>("Label21")->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY=-50\u00B0C"));
        // The hidden diagnostic labels: the parser's state after the frame.
        QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("DTR=216"));
        QCOMPARE(control<QLabel>("Label20")->text(), QStringLiteral("FBPtr=0"));
        QCOMPARE(control<QLabel>("Label23")->text(), QStringLiteral("mode=0"));
        QCOMPARE(control<QLabel>("Label24")->text(), QStringLiteral("ptr=216"));

        QFile csv(app_.path("temperatures.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readLine().startsWith("Pompa ciep\xB3" "a,Kot\xB3ownia,ABCDEFGHIJKLMNOPQRSTUVWXY,"));

        TForm5* dialog = app_.form->channelSettings();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->nameField(2)->text(), QString::fromLatin1(longName));
        user::click(controlOf<QPushButton>(dialog, "Button1"));
        const QByteArray frame = peer.readExactly(206);
        QCOMPARE(frame.size(), 206);
        QCOMPARE(frame.mid(6, 25), QByteArray("Pompa ciep\xB3" "a") + QByteArray(13, '\0'));
        QCOMPARE(frame.mid(6 + 25, 25), QByteArray("Kot\xB3ownia") + QByteArray(16, '\0'));
        QCOMPARE(frame.mid(6 + 50, 25), longName);

        QCOMPARE(app_.form->chartWindow()->channelBox(2)->text(),
                 QStringLiteral(u"ABCDEFGHIJKLMNOPQRSTUVWXY=-50\u00B0C"));
        user::click(control<QPushButton>("Button12")); // opens the charts
        QCOMPARE(app_.form->chartWindow()->channelBox(2)->text(), QString::fromLatin1(longName));
        QCOMPARE(app_.form->chartWindow()->channelBox(1)->text(), QStringLiteral(u"Kot\u0142ownia"));
    }

    // Output and module names typed on the VK8 page reach the settings file
    // as Windows-1250 bytes and come back after the next start-up.
    void polishRelayNamesSurviveARestart()
    {
        auto* tabs = control<QTabWidget>("PageControl1");
        tabs->setCurrentIndex(TForm1::kRelayPage);
        RelayPage* page = app_.form->relayPage();
        QTRY_VERIFY(page->isVisible());
        auto* name = page->findChild<QLineEdit*>("Edit3");
        auto* change = page->findChild<PictureBox*>("ChangeButtonImage");

        user::click(page->findChild<QLabel*>("OutputLabel0"));
        user::typeInto(name, QStringLiteral(u"Kot\u0142ownia"));
        user::click(change);
        user::click(page->findChild<QGroupBox*>("ModuleGroup0"), QPoint(112, 100));
        user::typeInto(name, QStringLiteral(u"Pompa ciep\u0142a"));
        user::click(change);
        QCOMPARE(page->findChild<QLabel*>("OutputLabel0")->text(), QStringLiteral(u"Kot\u0142ownia"));
        QCOMPARE(page->findChild<QGroupBox*>("ModuleGroup0")->title(),
                 QStringLiteral(u"Pompa ciep\u0142a"));
        // The names live in the program's relay model, which the page shows.
        QCOMPARE(app_.form->program().relayModel().output(0).name, QStringLiteral(u"Kot\u0142ownia"));
        QCOMPARE(app_.form->program().relayModel().module(0).name, QStringLiteral(u"Pompa ciep\u0142a"));

        // A name the code page cannot hold is refused, not stored with "?".
        user::click(page->findChild<QLabel*>("OutputLabel1"));
        user::typeInto(name, QStringLiteral(u"\u0416uk"));
        app_.reporter.messages.clear();
        user::click(change);
        QCOMPARE(page->findChild<QLabel*>("OutputLabel1")->text(), QStringLiteral("OUT1"));
        QCOMPARE(app_.reporter.messages.size(), 1);
        QVERIFY(app_.reporter.messages[0].text.contains(QStringLiteral("Name")));

        app_.form->close();
        QFile ini(app_.path("obr9.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("\r\noutName0=Kot\xB3ownia\r\n"));
        QVERIFY(text.contains("\r\ndevName0=Pompa ciep\xB3" "a\r\n"));
        QVERIFY(text.contains("\r\noutName1=OUT1\r\n"));
        app_.launch();
        page = app_.form->relayPage();
        QCOMPARE(page->findChild<QLabel*>("OutputLabel0")->text(), QStringLiteral(u"Kot\u0142ownia"));
        QCOMPARE(page->findChild<QGroupBox*>("ModuleGroup0")->title(),
                 QStringLiteral(u"Pompa ciep\u0142a"));
    }

    void settingsAndAddressesSurviveARestart()
    {
        PeerController peer;
        connectTo(peer);
        control<QCheckBox>("CheckBoxConnect")->setChecked(false);
        control<QTabWidget>("PageControl1")->setCurrentIndex(1);
        app_.restart();

        auto* host = control<QComboBox>("HostIP");
        QCOMPARE(host->count(), 2);
        QCOMPARE(host->itemText(0), QStringLiteral("192.168.1.161"));
        QCOMPARE(host->itemText(1), QStringLiteral("127.0.0.1"));
        QCOMPARE(control<QTabWidget>("PageControl1")->currentIndex(), 1);
        QCOMPARE(app_.form->timer1().interval(), 20); // the relay page polls fast
    }

    void missingPeriodKeyMeansTenSeconds()
    {
        app_.form.reset();
        QFile ini(app_.path("obr9.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\r\npgCtrl=0\r\nforeign=kept, as it is\r\n");
        ini.close();
        app_.launch();
        QCOMPARE(app_.form->timer1().interval(), 10000);
        app_.form->close();
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("foreign=kept, as it is\r\n"));
        QVERIFY(text.contains("period=10\r\n"));
    }

    void screenshot()
    {
        const QByteArray dir = qgetenv("OBR9_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set OBR9_SCREENSHOT_DIR to keep a picture of the main window");
        QVERIFY(app_.form->grab().save(QString::fromLocal8Bit(dir) + "/main-window.png"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
