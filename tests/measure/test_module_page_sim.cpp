// The whole program with the simulated HQ-2 module on a pseudo-terminal:
// the module stream arrives over the serial path and fills the page.

#include "app/ProgramEntry.h"
#include "base/SettingsLocation.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TemperatureTable.h"
#include "sim/SimModulePty.h"
#include "sim/SimModules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;
using namespace obr9::sim;

namespace {
class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { messages << message; }
    QList<OperatorMessage> messages;
};
} // namespace

class TestModulePageSim : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    QString previousDir_;
    CollectingReporter reporter_;

private slots:
    void initTestCase()
    {
        QVERIFY(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());
        TForm1::settingsLocationOverride() =
            SettingsLocation(workDir_.filePath("obr9"), workDir_.filePath("user"));
    }
    void cleanupTestCase() { QDir::setCurrent(previousDir_); }

    void moduleOverTheSerialPathFillsThePage()
    {
        SimModulePty pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        SimModuleOptions options;
        options.garbage = true;
        SimModules modules(options);
        connect(&pty, &SimModulePty::received, &modules, &SimModules::receive);

        std::unique_ptr<TForm1> form = CreateForms();
        form->setReporter(&reporter_);
        form->timer1().stop();
        form->timer2().stop();
        form->show();
        ModulePage* page = form->modulePage();
        QVERIFY(page);
        QCOMPARE(form->findChild<QTabWidget*>("PageControl1")->widget(2), page);
        form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(TForm1::kTemperatureModulePage);

        form->findChild<QComboBox*>("ComboBoxPort")->setEditText(pty.path());
        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(true);
        QVERIFY(form->link().serialPort().IsOpen());
        QVERIFY(!form->windowTitle().contains(QStringLiteral("HQ2")));

        // One module round per poll, the clock a second on at each poll.
        QDateTime now(QDate(2026, 12, 8), QTime(9, 0));
        page->model().setClock([&now] { return now; });
        auto poll = [&] {
            now = now.addSecs(1);
            form->Timer1Timer();
            return true;
        };
        for (int round = 0; round < 8; ++round) {
            pty.write(modules.hq2Round());
            QTest::qWait(30);
            poll();
        }
        QTRY_VERIFY_WITH_TIMEOUT(poll() && page->model().parser().statistics().received >= 8 * 320, 5000);

        QCOMPARE(form->windowTitle(), captionPrefix + QStringLiteral("HQ2 connected"));
        QVERIFY(form->link().temperatureModuleSeen());
        const QString label4 = form->findChild<QLabel*>("Label4")->text();
        QVERIFY2(label4.startsWith(QStringLiteral("intTemp0 = ")) && !label4.endsWith(QStringLiteral("---")),
                 qPrintable(label4));
        QCOMPARE(form->findChild<QLabel*>("Label9")->text(), QStringLiteral("extTemp2 = N/A"));
        QVERIFY(form->findChild<QLabel*>("Label29")->text().startsWith(QStringLiteral("odrzuty:")));
        QVERIFY(page->model().parser().statistics().rejected > 0); // the stray bytes
        TemperatureTable* table = page->table();
        for (int row = 1; row <= 16; ++row) {
            bool ok = false;
            table->cellText(TemperatureTable::TempInt, row).toDouble(&ok);
            QVERIFY(ok);
            table->cellText(TemperatureTable::Voltage, row).toDouble(&ok);
            QVERIFY(ok);
        }
        QCOMPARE(table->cellText(TemperatureTable::TempExt, 3), QStringLiteral("N/A"));
        // Every poll after the warm-up charts one point per series.
        const int points = page->model().temperatureData().series[0].size();
        QVERIFY2(points >= 5, qPrintable(QString::number(points)));
        QCOMPARE(page->model().voltageData().series[15].size(), points);
        QVERIFY(page->model().temperatureData().series[0].y(points - 1) > 15.0);
        QCOMPARE(page->model().temperatureData().labels.text(page->model().temperatureData().series[0].label(points - 1)).left(6),
                 QStringLiteral("09:00:"));

        // A new click forgets the module; its next frame announces it again.
        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(false);
        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(true);
        QVERIFY(!form->windowTitle().contains(QStringLiteral("HQ2")));
        pty.write(modules.hq2Round());
        QTRY_VERIFY_WITH_TIMEOUT(poll() && form->windowTitle().contains(QStringLiteral("HQ2 connected")), 5000);

        const QByteArray shots = qgetenv("OBR9_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            QCoreApplication::processEvents();
            QVERIFY(form->grab().save(QString::fromLocal8Bit(shots) + "/main-window-hq2.png"));
        }
        form->findChild<QCheckBox*>("CheckBoxConnect")->setChecked(false);
        form->close();
    }
};

QTEST_MAIN(TestModulePageSim)
#include "test_module_page_sim.moc"
