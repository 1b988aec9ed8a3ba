// Relay modules of the simulator on a pseudo-terminal, operated from the
// program's VK8 page over the serial path.
#include "relay/ui/RelayPage.h"
#include "sim/SimModuleBus.h"
#include "ProgramFixture.h"
#include "UserInput.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;
using namespace std::chrono_literals;


class TestRelayWithSimulator : public QObject {
    Q_OBJECT
private slots:
    void pressReadStateAndThePicturesFollow()
    {
        sim::SimModuleOptions options;
        options.pseudoTerminal = true;
        options.period = 60s; // the temperature module stays quiet
        options.relayAddresses = {0, 1};
        sim::SimModuleBus bus(options);
        if (!bus.start())
            QSKIP(qPrintable("no pseudo-terminal for the modules: " + bus.errorString()));

        ProgramFixture app;
        app.start();
        TForm1* form = app.form.get();
        form->timer1().start(); // the serial poll brings the answers

        // The relay page polls the port every 20 ms; pages cannot change
        // while connected, so the page comes first.
        form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(form->timer1().interval(), 20);
        form->findChild<QComboBox*>("ComboBoxPort")->setEditText(bus.ptyPath());
        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(true);
        QVERIFY(form->findChild<QPlainTextEdit*>("DebugMemo")->toPlainText().contains(
            "PORT_POLACZONY"));

        RelayPage* page = form->relayPage();
        QTRY_VERIFY(page->isVisible());
        RelayModel& model = page->model();
        model.setMode(2, Bistable);
        user::click(page->findChild<PictureBox*>("OutputImage2"));
        user::click(page->findChild<QLabel*>("ReadStateLabel0"));
        QTRY_COMPARE_WITH_TIMEOUT(model.output(2).state, uint8_t(1), 5000);
        QCOMPARE(model.stateBits(0), uint8_t(0x04));

        // A timed output goes off again by itself in the module.
        model.setMode(9, Timed);
        model.output(9).time = 1;
        user::click(page->findChild<PictureBox*>("OutputImage9"));
        user::click(page->findChild<QLabel*>("ReadStateLabel1"));
        QTRY_COMPARE_WITH_TIMEOUT(model.output(9).state, uint8_t(1), 5000);
        QTest::qWait(1300);
        user::click(page->findChild<QLabel*>("ReadStateLabel1"));
        QTRY_COMPARE_WITH_TIMEOUT(model.output(9).state, uint8_t(0), 5000);
        QCOMPARE(model.output(2).state, uint8_t(1)); // module 0 untouched

        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(false);
        app.stop();
    }
};

QTEST_MAIN(TestRelayWithSimulator)
#include "test_relay_with_simulator.moc"
