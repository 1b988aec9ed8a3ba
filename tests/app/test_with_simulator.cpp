// The whole program against the simulated controller, over 127.0.0.1.
#include "widgets/PictureBox.h"
#include "sim/SimController.h"
#include "ProgramFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace obr9;
using namespace std::chrono_literals;


class TestWithSimulator : public QObject {
    Q_OBJECT

    ProgramFixture app_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }

    void connectTo(quint16 port)
    {
        control<QComboBox>("HostIP")->setEditText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>("EditPort")->setText(QString::number(port));
        control<QCheckBox>("CheckBoxConnect")->setChecked(true);
    }

private slots:
    void init() { app_.start(); }
    void cleanup() { app_.stop(); }

    void controllerIdentifiesItselfAndSendsEverything()
    {
        sim::SimOptions options;
        options.version = 12;
        options.voltageIntervalIndex = 1;
        options.temperatureIntervalIndex = 4;
        options.period = 50ms;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        connectTo(controller.serverPort());

        QTRY_COMPARE(app_.form->windowTitle(),
                     QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v12"));
        QVERIFY(control<QPushButton>("Button9")->isEnabled());
        QTRY_VERIFY(control<QLabel>("Label18")->text().endsWith(QLatin1Char('V')));
        QTRY_VERIFY(control<QLabel>("Label17")->text().contains(QStringLiteral(u"\u00B0C")));
        QTRY_VERIFY(control<QLabel>("Label40")->text().contains(QLatin1Char('=')));
        QVERIFY(app_.form->deviceState().channelNames[0].size() > 0);

        const QByteArray dir = qgetenv("OBR9_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(app_.form->grab().save(QString::fromLocal8Bit(dir) + "/with-simulator.png"));
    }

    void outputsFollowTheSimulator()
    {
        sim::SimOptions options;
        options.period = 200ms;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        connectTo(controller.serverPort());
        QTRY_VERIFY(app_.form->link().deviceAnswered());

        QTest::mouseDClick(control<PictureBox>("Image1"), Qt::LeftButton); // OUT2
        QTRY_COMPARE(controller.outputBits() & 0x0C, 0x08);
        QTest::mouseDClick(control<PictureBox>("Image2"), Qt::LeftButton); // OUT1
        QTRY_COMPARE(controller.outputBits() & 0x0C, 0x0C);
        // The status frame that follows confirms both outputs.
        QTRY_VERIFY(app_.form->deviceState().out1On && app_.form->deviceState().out2On);
        QTest::mouseDClick(control<PictureBox>("Image1"), Qt::LeftButton);
        QTRY_COMPARE(controller.outputBits() & 0x0C, 0x04);
        QTRY_COMPARE(control<PictureBox>("Image1")->pictureKey(),
                     app_.form->pictures().outputOff.cacheKey());
    }

    void bytePerWriteAndGarbageStillDecode()
    {
        sim::SimOptions options;
        options.period = 100ms;
        options.bytePerWrite = true;
        options.garbage = true;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        connectTo(controller.serverPort());
        // The identification answer must arrive within one read: the
        // simulator sends it in one write even in byte-per-write mode.
        QTRY_VERIFY_WITH_TIMEOUT(app_.form->link().deviceAnswered(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>("Label18")->text().endsWith(QLatin1Char('V')),
                                 10000);
    }

    void simulatorConnectsToTheListeningProgram()
    {
        app_.form->link().setListenAddress(QHostAddress::LocalHost);
        control<QLineEdit>("EditPort")->setText(QStringLiteral("0"));
        control<QCheckBox>("CheckBox2")->setChecked(true);
        const quint16 port = app_.form->link().server().serverPort();

        sim::SimOptions options;
        options.period = 50ms;
        options.version = 5;
        sim::SimController controller(options);
        QVERIFY(controller.connectTo(QHostAddress::LocalHost, port));
        QTRY_COMPARE(control<QLabel>("Label25")->text(), QStringLiteral("klient podlaczony"));
        QTRY_COMPARE(app_.form->windowTitle(),
                     QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v5"));
        QTRY_VERIFY(control<QLabel>("Label18")->text().endsWith(QLatin1Char('V')));
    }

    void silenceLeadsToTimeOutAndReconnect()
    {
        sim::SimOptions options;
        options.period = 50ms;
        options.silentAfter = 300ms;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        QSignalSpy connections(&controller, &sim::SimController::connectionStarted);
        connectTo(controller.serverPort());
        QTRY_VERIFY(app_.form->link().deviceAnswered());
        QTest::qWait(500); // the simulator has fallen silent
        for (int second = 0; second < 16; ++second)
            app_.form->Timer2Timer();
        QTRY_COMPARE(connections.count(), 2);
        QVERIFY(control<QPlainTextEdit>("DebugMemo")->toPlainText().contains("PORT_NIEPOLACZONY"));
        QTRY_COMPARE(app_.form->windowTitle(),
                     QStringLiteral("OBR-9 ver. 1.0. OBR-9 device connected v10"));
    }
};

QTEST_MAIN(TestWithSimulator)
#include "test_with_simulator.moc"
