// The demonstration as a new user meets it: obr9-sim started as
// scripts/run.sh starts it (the options are read from run.sh itself), the
// module port taken from the program's port list, and every page showing
// the simulator's data. Only real clicks and keys drive the program.
#include "measure/ui/ModulePage.h"
#include "measure/ui/TemperatureTable.h"
#include "relay/ui/RelayPage.h"
#include "link/Tcomsocket.h"
#include "ProgramFixture.h"
#include "UserInput.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace obr9;

namespace {

// The simulator options run.sh adds for the demonstration.
QStringList demoSimulatorArguments()
{
    QFile script(QStringLiteral(OBR9_SOURCE_DIR "/scripts/run.sh"));
    if (!script.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression line(QStringLiteral("^demo_sim_args=\"([^\"]*)\"$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(script.readAll()));
    return m.hasMatch() ? m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts) : QStringList();
}

// Distinct colours in what a widget shows; 1 for a blank square.
int colourCount(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class TestDemo : public QObject {
    Q_OBJECT

    QProcess sim_;
    QString modulePort_;
    quint16 controllerPort_ = 0;
    QByteArray previousExtra_;
    ProgramFixture app_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }

    void showPage(int index)
    {
        auto* pages = control<QTabWidget>("PageControl1");
        QTabBar* bar = pages->tabBar();
        user::click(bar, bar->tabRect(index).center());
        QCOMPARE(pages->currentIndex(), index);
    }
    void tickConnect(bool on)
    {
        auto* box = control<QCheckBox>("CheckBoxConnect");
        if (box->isChecked() != on)
            user::click(box, QPoint(8, box->height() / 2));
        QCOMPARE(box->isChecked(), on);
    }
    void typeAddress()
    {
        auto* host = control<QComboBox>("HostIP");
        user::typeInto(host->lineEdit(), QStringLiteral("127.0.0.1"));
        user::typeInto(control<QLineEdit>("EditPort"), QString::number(controllerPort_));
    }
    // Opens the port list with a click on its arrow and clicks the entry.
    void choosePort(const QString& name)
    {
        auto* port = control<QComboBox>("ComboBoxPort");
        user::click(port, QPoint(port->width() - 8, port->height() / 2));
        QAbstractItemView* view = port->view();
        QTRY_VERIFY(view->isVisible());
        int row = -1;
        QStringList offered;
        for (int r = 0; r < port->count(); ++r) {
            offered << port->itemText(r);
            if (port->itemText(r) == name)
                row = r;
        }
        QVERIFY2(row >= 0, qPrintable(offered.join(QStringLiteral(", "))));
        // Down the list from its top with the arrow keys, Return takes it.
        QTest::keyClick(view, Qt::Key_Home);
        for (int r = 0; r < row; ++r)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(port->currentText(), name);
    }

private slots:
    void initTestCase()
    {
        const QStringList demo = demoSimulatorArguments();
        QVERIFY2(demo.contains(QStringLiteral("--modules-pty")), qPrintable(demo.join(' ')));
        sim_.setProgram(QStringLiteral(OBR9_SIM_PATH));
        sim_.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + demo);
        sim_.setReadChannel(QProcess::StandardOutput);
        sim_.start();
        QVERIFY2(sim_.waitForStarted(5000), qPrintable(sim_.errorString()));
        QByteArray out;
        QDeadlineTimer deadline(10000);
        while (!out.contains("listening ") && !deadline.hasExpired() && sim_.state() == QProcess::Running) {
            sim_.waitForReadyRead(100);
            out += sim_.readAllStandardOutput();
        }
        const QRegularExpressionMatch port =
            QRegularExpression(QStringLiteral("^module port (\\S+)$"), QRegularExpression::MultilineOption)
                .match(QString::fromLocal8Bit(out));
        if (!port.hasMatch() && sim_.readAllStandardError().contains("pseudo-terminal"))
            QSKIP("no pseudo-terminal on this machine");
        QVERIFY2(port.hasMatch(), out.constData());
        modulePort_ = port.captured(1);
        const QRegularExpressionMatch listening =
            QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$"),
                               QRegularExpression::MultilineOption)
                .match(QString::fromLocal8Bit(out));
        QVERIFY2(listening.hasMatch(), out.constData());
        controllerPort_ = quint16(listening.captured(1).toUInt());
        // What run.sh exports for the program.
        previousExtra_ = qgetenv(kExtraPortsVariable);
        qputenv(kExtraPortsVariable, modulePort_.toLocal8Bit());
    }
    void cleanupTestCase()
    {
        qputenv(kExtraPortsVariable, previousExtra_);
        if (sim_.state() != QProcess::NotRunning) {
            sim_.terminate();
            if (!sim_.waitForFinished(3000))
                sim_.kill();
            sim_.waitForFinished(3000);
        }
    }
    void init()
    {
        app_.start();
        app_.form->timer1().start(); // as in the running program: the poll
    }
    void cleanup()
    {
        tickConnect(false);
        app_.stop();
    }

    void driverPageShowsTheController()
    {
        typeAddress();
        tickConnect(true);
        QTRY_VERIFY_WITH_TIMEOUT(app_.form->windowTitle().contains(QStringLiteral("device connected")), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>("Label18")->text().endsWith(QLatin1Char('V')), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>("Label17")->text().contains(QStringLiteral(u"\u00B0C")), 5000);
        // The forwarded module frames in the same stream change nothing:
        // the simulator's eight names arrive intact.
        QVERIFY(app_.form->deviceState().channelNames[0].size() > 0);
        QVERIFY(app_.reporter.messages.isEmpty());
    }

    void hq2PageShowsSixteenChannelsOverLan()
    {
        showPage(TForm1::kTemperatureModulePage);
        typeAddress();
        tickConnect(true);
        ModulePage* page = app_.form->modulePage();
        QTRY_VERIFY_WITH_TIMEOUT(page->model().temperatureData().series[15].size() >= 1, 8000);
        QVERIFY(page->model().parser().statistics().received >= 16 * 20);
        TemperatureTable* table = page->table();
        for (int row = 1; row <= 16; ++row) {
            bool ok = false;
            table->cellText(TemperatureTable::TempInt, row).toDouble(&ok);
            QVERIFY2(ok, qPrintable(QString::number(row)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(app_.form->windowTitle().contains(QStringLiteral("HQ2 connected")), 5000);
    }

    void relayPageSwitchesTheModulesFromThePortList()
    {
        showPage(TForm1::kRelayPage);
        choosePort(modulePort_);
        tickConnect(true);
        QVERIFY(app_.form->link().serialPort().IsOpen());

        RelayPage* page = app_.form->relayPage();
        page->model().setMode(2, Bistable);
        auto* output = controlOf<QWidget>(page, "OutputImage2");
        user::click(output);
        user::click(controlOf<QWidget>(page, "ReadState0"));
        QTRY_COMPARE_WITH_TIMEOUT(page->model().output(2).state, uint8_t(1), 5000);
        QCOMPARE(page->model().stateBits(0), uint8_t(0x04));
        user::click(output);
        user::click(controlOf<QWidget>(page, "ReadState0"));
        QTRY_COMPARE_WITH_TIMEOUT(page->model().output(2).state, uint8_t(0), 5000);
    }

    // run.sh's first run: seed-demo-settings.sh lets the program write its
    // defaults and gives the first module's outputs pictures, names and
    // modes; the program then shows them and a click switches the picture.
    void firstRunSettingsShowTheRelaysSwitching()
    {
        app_.form.reset(); // started without a settings file; closing would write one
        const QString program = app_.workDir->filePath(QStringLiteral("obr9"));
        QVERIFY(QFile::copy(QStringLiteral(OBR9_APP_PATH), program));
        const QString icons = QFileInfo(QStringLiteral(OBR9_APP_PATH)).dir().filePath(QStringLiteral("Icons"));
        QDir(app_.workDir->path()).mkdir(QStringLiteral("Icons"));
        for (const QString& name : QDir(icons).entryList({QStringLiteral("*.bmp")}))
            QVERIFY(QFile::copy(icons + QLatin1Char('/') + name, app_.workDir->filePath(QStringLiteral("Icons/") + name)));
        auto seed = [&program] {
            QProcess script;
            script.start(QStringLiteral("bash"),
                         {QStringLiteral(OBR9_SOURCE_DIR "/scripts/seed-demo-settings.sh"), program});
            return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit &&
                   script.exitCode() == 0;
        };
        QVERIFY(seed());
        QFile ini(app_.workDir->filePath(QStringLiteral("obr9.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray seeded = ini.readAll();
        ini.close();
        QVERIFY2(seeded.contains("\r\nImgOffName0=lamp_off.bmp\r\n"), seeded.constData());
        QVERIFY(seeded.contains("\r\nname9=intTemp0\r\n")); // the program's own defaults kept
        // An existing file is never touched.
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Append));
        ini.write("; the operator's\r\n");
        ini.close();
        QVERIFY(seed());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), seeded + "; the operator's\r\n");
        ini.close();

        app_.launch();
        app_.form->timer1().start();
        showPage(TForm1::kRelayPage);
        const QString memo = control<QPlainTextEdit>("DebugMemo")->toPlainText();
        // Outputs without a picture are reported there; the seeded ones not.
        QVERIFY2(memo.contains(QStringLiteral("ImgOffName8 ")), qPrintable(memo));
        for (int n = 0; n < 8; ++n) {
            QVERIFY2(!memo.contains(QStringLiteral("ImgOffName%1 ").arg(n)), qPrintable(memo));
            QVERIFY2(!memo.contains(QStringLiteral("ImgOnName%1 ").arg(n)), qPrintable(memo));
        }
        RelayPage* page = app_.form->relayPage();
        QCOMPARE(page->model().output(0).name, QStringLiteral("Lamp"));
        QCOMPARE(page->model().output(0).mode, int(Bistable));
        QCOMPARE(page->model().output(2).mode, int(Timed));
        auto* lamp = controlOf<QWidget>(page, "OutputImage0");
        QVERIFY(colourCount(lamp) > 1);
        const QImage off = lamp->grab().toImage();

        choosePort(modulePort_);
        tickConnect(true);
        user::click(lamp);
        user::click(controlOf<QWidget>(page, "ReadState0"));
        QTRY_COMPARE_WITH_TIMEOUT(page->model().output(0).state, uint8_t(1), 5000);
        QVERIFY(lamp->grab().toImage() != off);
        user::click(lamp);
        user::click(controlOf<QWidget>(page, "ReadState0"));
        QTRY_COMPARE_WITH_TIMEOUT(page->model().output(0).state, uint8_t(0), 5000);
        QCOMPARE(lamp->grab().toImage(), off);
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
