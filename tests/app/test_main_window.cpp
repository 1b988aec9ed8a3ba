// The whole program against a controller played by the test on 127.0.0.1.
#include "app/ProgramEntry.h"
#include "app/SettingsLocation.h"
#include "app/PictureBox.h"
#include "measure/TForm4.h"
#include "measure/TForm5.h"
#include "PtyPair.h"
#include "TestBytes.h"

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

class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { messages << message; }
    QList<OperatorMessage> messages;
};

// A controller on 127.0.0.1 that the program connects to.
class PeerController {
public:
    PeerController() { QVERIFY(server.listen(QHostAddress::LocalHost, 0)); }

    bool waitForConnection()
    {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000))
            return false;
        socket.reset(server.nextPendingConnection());
        return socket != nullptr;
    }
    QByteArray readExactly(int count)
    {
        // The program runs in this thread: keep its event loop going.
        QByteArray data;
        QDeadlineTimer deadline(5000);
        while (data.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            socket->waitForReadyRead(10);
            data += socket->read(count - data.size());
        }
        return data;
    }
    void send(const QByteArray& data)
    {
        socket->write(data);
        socket->flush();
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
};

const QByteArray kSignature = bytes("4D 5C 22 07 3A 18 0E 29 05 31 1D 0B 26 14 3E 09");
const QByteArray kIdentificationRequest = kSignature + bytes("FF FE");

QByteArray dataFrame(int type, const QByteArray& payload)
{
    return bytes("FF 01 01") + QByteArray(1, char(type)) + QByteArray(1, char(payload.size())) +
           payload;
}

QByteArray eightTemperatures()
{
    QByteArray p(216, '\0');
    const int raw[8] = {43, 44, -100, 0, 1, 2, 3, 500};
    for (int k = 0; k < 8; ++k) {
        p[2 * k] = char(uint16_t(raw[k]) >> 8);
        p[2 * k + 1] = char(raw[k] & 0xFF);
        const QByteArray name = k == 0 ? QByteArray("Boiler") : "Ch" + QByteArray::number(k);
        memcpy(p.data() + 16 + 25 * k, name.constData(), size_t(name.size()));
    }
    return p;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    QString previousDir_;
    std::unique_ptr<TForm1> form_;
    CollectingReporter reporter_;

    template <typename T>
    T* control(const char* name)
    {
        T* widget = form_->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    QString memo() { return control<QPlainTextEdit>("DebugMemo")->toPlainText(); }

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
    void init()
    {
        QVERIFY(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());
        TForm1::settingsLocationOverride() =
            SettingsLocation(workDir_.filePath("obr9"), workDir_.filePath("user"));
        QFile::remove(workDir_.filePath("obr9.ini"));
        QFile::remove(workDir_.filePath("Ip addresses.txt"));
        form_ = CreateForms();
        form_->setReporter(&reporter_);
        reporter_.messages.clear();
        form_->timer1().stop();
        form_->timer2().stop(); // the tests drive the housekeeping themselves
        form_->show();
    }

    void cleanup()
    {
        form_.reset();
        QDir::setCurrent(previousDir_);
    }

    void defaultsAtStartUp()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. Device not connected"));
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
        QCOMPARE(form_->timer1().interval(), 1000);
        QCOMPARE(control<PictureBox>("Image1")->pictureKey(),
                 form_->pictures().outputOff.cacheKey());
        QCOMPARE(control<PictureBox>("Image3")->pictureKey(),
                 form_->pictures().inputInactive.cacheKey());
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
        form_->ComboBoxPortDropDown();
        QVERIFY(port->count() >= 1);
        QCOMPARE(port->itemText(port->count() - 1), QStringLiteral("LAN"));
        QCOMPARE(port->currentText(), QStringLiteral("COM3")); // the choice is kept

        control<QComboBox>("HostIP")->setEditText(QStringLiteral("10.1.2.3"));
        form_->HostIPClick();
        QCOMPARE(control<QLineEdit>("MaskEdit1")->text(), QStringLiteral("10.1.2.3"));
    }

    void secondsCounterAndItsClearBox()
    {
        form_->Timer2Timer();
        form_->Timer2Timer();
        QCOMPARE(control<QLabel>("Label75")->text(), QStringLiteral("sekundy=2"));
        control<QCheckBox>("CheckBox7")->setChecked(true);
        form_->Timer2Timer();
        QCOMPARE(control<QLabel>("Label75")->text(), QStringLiteral("sekundy=1"));
        QCOMPARE(control<QLabel>("Label41")->text(), QStringLiteral("LiveTimer=0"));
    }

    void identificationAndMeasurementsOverTcp()
    {
        PeerController peer;
        connectTo(peer);
        QCOMPARE(form_->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected"));

        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_COMPARE(form_->windowTitle(),
                     QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v10"));
        QVERIFY(control<QPushButton>("Button9")->isEnabled());
        QCOMPARE(form_->channelSettings()->voltageIntervals()->currentIndex(), 2);
        QCOMPARE(form_->channelSettings()->temperatureIntervals()->currentIndex(), 3);
        QVERIFY(form_->link().deviceAnswered);

        peer.send(dataFrame(2, bytes("05")) + dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        QCOMPARE(control<PictureBox>("Image3")->pictureKey(),
                 form_->pictures().inputActive.cacheKey());
        QCOMPARE(control<PictureBox>("Image4")->pictureKey(),
                 form_->pictures().inputInactive.cacheKey());
        QCOMPARE(control<PictureBox>("Image2")->pictureKey(),
                 form_->pictures().outputOn.cacheKey());
        QCOMPARE(control<PictureBox>("Image1")->pictureKey(),
                 form_->pictures().outputOff.cacheKey());

        peer.send(dataFrame(1, eightTemperatures()));
        QTRY_COMPARE(control<QLabel>("Label17")->text(), QStringLiteral(u"Boiler=21.5\u00B0C"));
        QCOMPARE(control<QLabel>("Label21")->text(), QStringLiteral(u"Ch2=-50\u00B0C"));
        QCOMPARE(control<QGroupBox>("GroupBox2")->height(), 270);
        QCOMPARE(form_->chartWindow()->channelBox(0)->text(), QStringLiteral(u"Boiler=21.5\u00B0C"));
        QCOMPARE(form_->channelSettings()->nameField(0)->text(), QStringLiteral("Boiler"));
        QCOMPARE(form_->chartWindow()->kindLabel()->text(), QStringLiteral("Temperature"));

        QByteArray th(8, '\0');
        const float humidity = 45.5f, temperature = 21.25f;
        memcpy(th.data(), &humidity, 4);
        memcpy(th.data() + 4, &temperature, 4);
        peer.send(dataFrame(3, th));
        QTRY_COMPARE(control<QLabel>("Label19")->text(), QStringLiteral("Humidity=45.5%"));
        QCOMPARE(control<QLabel>("Label17")->text(), QStringLiteral(u"Temperature=21.25\u00B0C"));
        QCOMPARE(control<QGroupBox>("GroupBox2")->height(), 80);
        QVERIFY(!form_->chartWindow()->channelBox(5)->isVisibleTo(form_->chartWindow()));
        QCOMPARE(form_->chartWindow()->kindLabel()->text(), QStringLiteral("Temp / Hum"));
    }

    void outputDoubleClickSendsTheCommandAndTheStatusWins()
    {
        PeerController peer;
        connectTo(peer);
        peer.send(bytes("FF FE 01 0A 00 02 03"));
        QTRY_VERIFY(form_->link().deviceAnswered);

        QTest::mouseDClick(control<PictureBox>("Image2"), Qt::LeftButton);
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 02"));
        QCOMPARE(control<PictureBox>("Image2")->pictureKey(),
                 form_->pictures().outputOn.cacheKey());
        QTest::mouseDClick(control<PictureBox>("Image1"), Qt::LeftButton);
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 03"));

        // The controller reports only OUT2 on: the pictures follow it.
        peer.send(dataFrame(2, bytes("08")));
        QTRY_COMPARE(control<PictureBox>("Image2")->pictureKey(),
                     form_->pictures().outputOff.cacheKey());
        QVERIFY(form_->deviceState().out2On);
        QVERIFY(!form_->deviceState().out1On);
        QTest::mouseDClick(control<PictureBox>("Image1"), Qt::LeftButton);
        QCOMPARE(peer.readExactly(6), bytes("FF 01 01 02 01 00"));
    }

    void silentControllerTimesOutAndReconnects()
    {
        PeerController peer;
        connectTo(peer);
        peer.send(bytes("FF FE 01 07 00 00 00"));
        QTRY_VERIFY(form_->link().deviceAnswered);

        for (int second = 1; second <= 12; ++second)
            form_->Timer2Timer();
        QCOMPARE(peer.socket->bytesAvailable(), qint64(0));
        form_->Timer2Timer(); // 13 s: ask again
        QCOMPARE(peer.readExactly(18), kIdentificationRequest);
        form_->Timer2Timer();
        form_->Timer2Timer();
        QVERIFY(!form_->windowTitle().endsWith(QStringLiteral("Time Out")));
        form_->Timer2Timer(); // 16 s: time out and reconnect
        QCOMPARE(form_->link().liveTimer, 0);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(memo().contains(QStringLiteral("PORT_NIEPOLACZONY")));
        QVERIFY(peer.waitForConnection());
        QTRY_COMPARE(peer.socket->bytesAvailable(), qint64(18));
        QCOMPARE(control<QLabel>("Label41")->text(), QStringLiteral("LiveTimer=0"));
    }

    void listeningModeGreetsTheController()
    {
        form_->link().setListenAddress(QHostAddress::LocalHost);
        control<QLineEdit>("EditPort")->setText(QStringLiteral("0"));
        control<QCheckBox>("CheckBox2")->setChecked(true);
        QCOMPARE(control<QLabel>("Label25")->text(), QStringLiteral("nasluchuje..."));
        const quint16 port = form_->link().server().serverPort();
        QVERIFY(port != 0);

        QTcpSocket controller;
        controller.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(controller.waitForConnected(5000));
        QTRY_COMPARE(control<QLabel>("Label25")->text(), QStringLiteral("klient podlaczony"));
        QTRY_COMPARE(controller.bytesAvailable(), qint64(18));
        QCOMPARE(controller.readAll(), kIdentificationRequest);
        controller.write(bytes("FF FE 01 03 00 01 01") + dataFrame(4, bytes("99 00")));
        QTRY_COMPARE(control<QLabel>("Label18")->text(), QStringLiteral("9.98V"));
        QCOMPARE(form_->windowTitle(), QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v3"));

        controller.disconnectFromHost();
        QTRY_COMPARE(control<QLabel>("Label25")->text(), QStringLiteral("klient rozlaczony"));
        QVERIFY(!form_->link().deviceAnswered);
        form_->Button10Click();
        QVERIFY(memo().endsWith(QStringLiteral(u"brak po\u0142\u0105czenia")));
    }

    void listeningOnAPortInUseIsReported()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        form_->link().setListenAddress(QHostAddress::LocalHost);
        control<QLineEdit>("EditPort")->setText(QString::number(other.serverPort()));
        control<QCheckBox>("CheckBox2")->setChecked(true);
        QVERIFY(!form_->link().server().isListening());
        QCOMPARE(control<QLabel>("Label25")->text(), QStringLiteral("brak polaczenia"));
        QCOMPARE(reporter_.messages.size(), 1);
        QVERIFY(reporter_.messages[0].text.contains(QString::number(other.serverPort())));
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

        QByteArray received;
        form_->moduleStreamSink = [&](const uint8_t* data, int count) {
            received.append(reinterpret_cast<const char*>(data), count);
        };
        control<QComboBox>("ComboBoxPort")->setEditText(pty.a);
        control<QComboBox>("ComboBoxSpeed")->setEditText(QStringLiteral("fast"));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
        QVERIFY(memo().endsWith(QStringLiteral("PORT_POLACZONY\n") + pty.a +
                                QStringLiteral("\nSzybkosc->fast")));
        QCOMPARE(form_->link().serialPort().lineSettings.baudRate, 500000);

        QTest::mouseDClick(control<PictureBox>("Image2"), Qt::LeftButton);
        QVERIFY(memo().endsWith(QStringLiteral("Wyslano komende rs485")));
        QByteArray atModule;
        QTRY_VERIFY((atModule += module.readAll()).size() >= 6);
        QCOMPARE(atModule, bytes("FF 01 01 02 01 02"));

        const QByteArray answer = QByteArray(20, 'r');
        module.write(answer);
        QVERIFY(module.waitForBytesWritten(2000));
        QTRY_VERIFY_WITH_TIMEOUT((form_->Timer1Timer(), received == answer), 5000);

        control<QCheckBox>("CheckBoxConnect")->setChecked(false);
        QVERIFY(!form_->link().serialPort().IsOpen());
        QVERIFY(memo().endsWith(QStringLiteral("PORT_NIEPOLACZONY")));
        QTest::mouseDClick(control<PictureBox>("Image2"), Qt::LeftButton);
        QVERIFY(memo().endsWith(QStringLiteral(u"brak po\u0142\u0105czenia")));
    }

    void nonNumericPortIsReportedAndNothingOpens()
    {
        control<QLineEdit>("EditPort")->setText(QStringLiteral("80x"));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
        QCOMPARE(reporter_.messages.size(), 1);
        QVERIFY(reporter_.messages[0].text.contains(QStringLiteral("80x")));
        QCOMPARE(form_->link().clientSocket().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(control<QCheckBox>("CheckBoxConnect")->isChecked());
    }

    void pagesAreLockedWhileConnected()
    {
        auto* pages = control<QTabWidget>("PageControl1");
        pages->setCurrentIndex(1);
        QCOMPARE(form_->timer1().interval(), 20);
        pages->setCurrentIndex(2);
        QCOMPARE(form_->timer1().interval(), 1000);
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
        QVERIFY(form_->rejectedSettings().isEmpty());
        form_->close();
        QFile addresses(workDir_.filePath("Ip addresses.txt"));
        QVERIFY(addresses.open(QIODevice::ReadOnly));
        QCOMPARE(addresses.readAll(), QByteArray("192.168.1.161\r\n"));
        QFile ini(workDir_.filePath("obr9.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.startsWith("[Settings]\r\n"));
        QVERIFY(text.contains("\r\npgCtrl=0\r\n"));
        QVERIFY(text.contains("\r\nperiod=1\r\n"));
    }

    void settingsAndAddressesSurviveARestart()
    {
        PeerController peer;
        connectTo(peer);
        control<QCheckBox>("CheckBoxConnect")->setChecked(false);
        control<QTabWidget>("PageControl1")->setCurrentIndex(1);
        form_->close();
        form_ = CreateForms();
        form_->setReporter(&reporter_);

        auto* host = control<QComboBox>("HostIP");
        QCOMPARE(host->count(), 2);
        QCOMPARE(host->itemText(0), QStringLiteral("192.168.1.161"));
        QCOMPARE(host->itemText(1), QStringLiteral("127.0.0.1"));
        QCOMPARE(control<QTabWidget>("PageControl1")->currentIndex(), 1);
        QCOMPARE(form_->timer1().interval(), 20); // the relay page polls fast
    }

    void missingPeriodKeyMeansTenSeconds()
    {
        form_.reset();
        QFile ini(workDir_.filePath("obr9.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\r\npgCtrl=0\r\nforeign=kept, as it is\r\n");
        ini.close();
        form_ = CreateForms();
        QCOMPARE(form_->timer1().interval(), 10000);
        form_->close();
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
        QVERIFY(form_->grab().save(QString::fromLocal8Bit(dir) + "/main-window.png"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
