// The alarms as an operator meets them: a limit typed into the HQ-2 table,
// readings over a pseudo-terminal, the indicator, the alarm window and
// alarms.csv; a controller link dropped by the simulator; the history after
// a restart.

#include "ProgramFixture.h"
#include "TestFiles.h"
#include "UserInput.h"
#include "alarm/ui/AlarmWindow.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TemperatureTable.h"
#include "sim/SimController.h"
#include "sim/SimModulePty.h"
#include "sim/SimModules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

// Share of reddish pixels in the widget as drawn.
double redShare(QWidget* w)
{
    const QImage image = w->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 150 && c.green() < c.red() / 2 && c.blue() < c.red() / 2;
        }
    return double(red) / double(image.width() * image.height());
}

} // namespace

class TestAlarmWindow : public QObject {
    Q_OBJECT

    ProgramFixture app_;
    int64_t nowMs_ = 1'800'000'000'000;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }
    QByteArray journal() const { return fileBytes(app_.path(QStringLiteral("alarms.csv"))); }
    QPushButton* indicator() { return control<QPushButton>("AlarmIndicator"); }

    // One second of the module: channel 1 (table row 1) at `internal`, the
    // others mild; the program polls and ticks, the alarm clock a second on.
    void moduleSecond(sim::SimModulePty& pty, float internal)
    {
        QByteArray round;
        for (int ch = 0; ch < 16; ++ch)
            round += sim::SimModules::channelFrame(ch, ch == 0 ? internal : 20.0f, 18.0f, 190);
        pty.write(round);
        QTest::qWait(15);
        nowMs_ += 1000;
        app_.form->Timer1Timer();
        app_.form->Timer2Timer();
    }

    void openAlarmWindow()
    {
        user::click(indicator());
        QTRY_VERIFY(control<AlarmWindow>("AlarmWindow")->isVisible());
    }

    // Clicks the cell of the HQ-2 table and types the text, then Enter;
    // the keys go where the keyboard focus is, as on screen.
    void typeIntoCell(TemperatureTable* table, int column, int row, const QString& text)
    {
        table->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(table->window()));
        const QRect cell = table->visualItemRect(table->item(row - 1, column));
        user::click(table->viewport(), cell.center());
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    QStringList rowTexts(QTableWidget* table, int row)
    {
        QStringList out;
        for (int c = 0; c < table->columnCount(); ++c)
            out << table->item(row, c)->text();
        return out;
    }

private slots:
    void init() { app_.start(); }
    void cleanup() { app_.stop(); }

    void limitAlarmFromTheTableToTheJournalAndBack()
    {
        app_.form->program().alarms().engine().setClock([this] { return nowMs_; });
        auto* pages = control<QTabWidget>("PageControl1");
        user::click(pages->tabBar(), pages->tabBar()->tabRect(TForm1::kTemperatureModulePage).center());
        user::click(control<QToolButton>("SpeedButton1"));
        TemperatureTable* table = app_.form->modulePage()->table();
        QVERIFY(table->isVisible());
        typeIntoCell(table, TemperatureTable::MaxInt, 1, QStringLiteral("30"));
        // The view commits the edit once the key has been handled.
        QTRY_COMPARE(table->cellText(TemperatureTable::MaxInt, 1), QStringLiteral("30"));

        sim::SimModulePty pty;
        QVERIFY2(pty.open(), qPrintable(pty.errorString()));
        user::typeInto(control<QComboBox>("ComboBoxPort")->lineEdit(), pty.path());
        user::click(control<QCheckBox>("CheckBoxConnect"));
        QVERIFY(app_.form->link().serialPort().IsOpen());
        QCOMPARE(indicator()->text(), QStringLiteral("Alarms: none"));
        QVERIFY(redShare(indicator()) < 0.1);

        // 31.5 for six seconds: past the 5 s on-delay.
        for (int s = 0; s < 7; ++s)
            moduleSecond(pty, 31.5f);
        QCOMPARE(indicator()->text(), QStringLiteral("Alarms: 1 active, 1 unacknowledged"));
        QVERIFY(redShare(indicator()) > 0.3);
        QVERIFY2(journal().startsWith("time,source,alarm,state,value,limit\n") &&
                     journal().endsWith(",intTemp0,high,active,31.5,30\n"),
                 journal().constData());
        openAlarmWindow();
        auto* list = control<QTableWidget>("AlarmList");
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(rowTexts(list, 0).mid(1),
                 (QStringList{"intTemp0", "high", "active", "31.5", "30"}));
        QCOMPARE(list->item(0, 0)->background().color(), AlarmWindow::kUnacknowledgedColour);

        user::click(control<QPushButton>("AcknowledgeAll"));
        QVERIFY(journal().endsWith(",intTemp0,high,acknowledged,31.5,30\n"));
        QCOMPARE(list->item(0, 0)->background().color(), AlarmWindow::kAcknowledgedColour);
        QCOMPARE(indicator()->text(), QStringLiteral("Alarms: 1 active, 0 unacknowledged"));
        QVERIFY(redShare(indicator()) < 0.1);

        moduleSecond(pty, 29.4f);
        QVERIFY(journal().endsWith(",intTemp0,high,normal,29.4,30\n"));
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(indicator()->text(), QStringLiteral("Alarms: none"));

        // A minute on the limit: one alarm at most.
        for (int s = 0; s < 60; ++s)
            moduleSecond(pty, s % 2 ? 29.8f : 30.2f);
        QVERIFY(journal().count(",high,active,") <= 2);

        // The choice of sound and the night's journal outlive a restart.
        user::click(control<QCheckBox>("AlarmSound"));
        const int lines = int(journal().count('\n')) - 1;
        user::click(control<QCheckBox>("CheckBoxConnect"));
        app_.restart();
        openAlarmWindow();
        QVERIFY(control<QCheckBox>("AlarmSound")->isChecked());
        auto* tabs = control<QTabWidget>("AlarmTabs");
        user::click(tabs->tabBar(), tabs->tabBar()->tabRect(1).center());
        auto* history = control<QTableWidget>("AlarmHistory");
        QVERIFY(history->isVisible());
        QCOMPARE(history->rowCount(), lines);
        QCOMPARE(rowTexts(history, lines - 1).mid(1),
                 (QStringList{"intTemp0", "high", "active", "31.5", "30"}));
    }

    void droppedLinkIsAnAlarmUntilTheControllerIsBack()
    {
        sim::SimOptions options;
        options.period = 100ms;
        options.dropAfter = 1500ms;
        sim::SimController controller(options);
        QVERIFY(controller.listen(QHostAddress::LocalHost, 0));
        user::typeInto(control<QComboBox>("HostIP")->lineEdit(), QStringLiteral("127.0.0.1"));
        user::typeInto(control<QLineEdit>("EditPort"), QString::number(controller.serverPort()));
        user::click(control<QCheckBox>("CheckBoxConnect"));
        QTRY_VERIFY(app_.form->windowTitle().contains(QStringLiteral("connected v")));
        QVERIFY(!journal().contains(",link,"));

        QTRY_VERIFY_WITH_TIMEOUT(journal().endsWith(",link,link,active,,\n"), 5000);
        QCOMPARE(indicator()->text(), QStringLiteral("Alarms: 1 active, 1 unacknowledged"));
        // The live timer's seconds; at the sixteenth the program reconnects.
        for (int s = 0; s < 17; ++s)
            app_.form->Timer2Timer();
        QTRY_VERIFY_WITH_TIMEOUT(journal().contains(",link,link,returned,,\n"), 5000);
        user::click(control<QCheckBox>("CheckBoxConnect"));
    }
};

QTEST_MAIN(TestAlarmWindow)
#include "test_alarm_window.moc"
