// Charts out of the program: the CSV writer on its own, then the context
// menus of a module chart and of the chart window's pictures, opened with a
// real right click and picked with a real click. The file chooser answers
// at once with a path in a temporary folder.
#include "measure/ChartCsvExport.h"
#include "measure/ui/ChartExportMenu.h"
#include "measure/ui/ChartImage.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/TForm4.h"
#include "protocol/DeviceState.h"

#include "UserInput.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace obr9;

namespace {

// Three series; the second is hidden, the third shorter than the first.
ChartData smallChart()
{
    ChartData chart;
    chart.settings.title = "HQ-2 temperatures";
    chart.series.emplace_back("T1", 0xFFFF0000);
    chart.series.emplace_back("T2 hidden", 0xFF00FF00, Qt::SolidLine, false);
    chart.series.emplace_back("outside, \"north\"", 0xFF0000FF);
    const uint32_t a = chart.labels.addText("12:00:01");
    const uint32_t b = chart.labels.addText("12:00:02");
    const uint32_t c = chart.labels.addText("12:00:03");
    chart.series[0].append(21.5, a, 0xFFFF0000);
    chart.series[0].append(21.75, b, 0xFFFF0000);
    chart.series[0].append(-0.125, c, 0xFFFF0000);
    chart.series[1].append(99, a, 0xFF00FF00);
    chart.series[2].append(1234567.0, a, 0xFF0000FF);
    chart.series[2].append(-900, b, 0xFF0000FF);
    return chart;
}

QByteArray csvOf(const ChartData& chart)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!WriteChartCsv(chart, buffer, &error))
        qWarning("%s", qPrintable(error));
    return buffer.data();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A device that takes `room` bytes and then fails, like a full disk.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    qint64 taken = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override
    {
        if (taken + len > room_) {
            setErrorString("disk full");
            return -1;
        }
        taken += len;
        return len;
    }

private:
    qint64 room_;
};

} // namespace

class TestChartExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QStringList asked_; // captions the chooser was asked with
    QString answer_;    // the path the chooser gives

    // Right click at `pos` of `target`, then a real click on the action.
    void pick(QWidget* target, const QString& actionText, QPoint pos = QPoint(-1, -1))
    {
        user::click(target, pos, Qt::RightButton);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QTRY_VERIFY(menu->isVisible());
        QAction* chosen = nullptr;
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
            if (action->text() == actionText)
                chosen = action;
        }
        QVERIFY2(chosen, qPrintable(texts.join(" | ")));
        user::click(menu, menu->actionGeometry(chosen).center());
    }

    QStringList menuTexts(QWidget* target)
    {
        user::click(target, QPoint(-1, -1), Qt::RightButton);
        QStringList texts;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        menu->close();
        return texts;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        ChartExportMenu::setFileChooser([this](QWidget*, const QString& caption, const QString&,
                                               const QString&, ChartExportMenu::Done done) {
            asked_ << caption;
            done(answer_);
        });
    }
    void cleanupTestCase() { ChartExportMenu::setFileChooser({}); }
    void init() { asked_.clear(); }

    void csvHasTheVisibleSeriesOneRowPerIndex()
    {
        QCOMPARE(csvOf(smallChart()), QByteArray("Time,T1,\"outside, \"\"north\"\"\"\n"
                                                 "12:00:01,21.5,1.23457e+06\n"
                                                 "12:00:02,21.75,-900\n"
                                                 "12:00:03,-0.125,\n"));
        // Labels come from the first visible series that has the point.
        ChartData chart = smallChart();
        chart.series[0].visible = false;
        QCOMPARE(csvOf(chart), QByteArray("Time,\"outside, \"\"north\"\"\"\n"
                                          "12:00:01,1.23457e+06\n"
                                          "12:00:02,-900\n"));
        chart.series[2].visible = false;
        QCOMPARE(csvOf(chart), QByteArray("Time\n"));
        QCOMPARE(csvOf(ChartData()), QByteArray("Time\n"));
    }

    void csvOfALongChartIsStreamedAndAFailedWriteIsReported()
    {
        ChartData chart;
        chart.series.emplace_back("T1", 0xFF000000);
        const uint32_t label = chart.labels.addText("1");
        for (int i = 0; i < 20000; ++i)
            chart.series[0].append(i, label, 0xFF000000);
        const QByteArray whole = csvOf(chart);
        QCOMPARE(whole.count('\n'), 20001);
        QVERIFY(whole.endsWith("1,19999\n"));

        FullDevice full(100 * 1024);
        QString error;
        QVERIFY(!WriteChartCsv(chart, full, &error));
        QCOMPARE(error, QString("disk full"));
        QVERIFY(full.taken > 0); // written before it filled: no copy of the whole file first

        // A file that cannot be written leaves no half file and says why.
        QVERIFY(!SaveChartCsv(chart, dir_.filePath("no/such/folder/t.csv"), &error));
        QVERIFY(!error.isEmpty());
    }

    void moduleChartMenuSavesPngPdfAndCsv()
    {
        ChartData data = smallChart();
        ModuleChart chart(data);
        chart.resize(500, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.setSeriesVisible(1, false);
        chart.redraw(QCustomPlot::rpImmediateRefresh);
        QCOMPARE(menuTexts(&chart), QStringList({"Save image…", "Export CSV…"}));

        auto* menuObject = chart.findChild<ChartExportMenu*>();
        QVERIFY(menuObject);
        QSignalSpy finished(menuObject, &ChartExportMenu::finished);

        answer_ = dir_.filePath("chart.png");
        pick(&chart, "Save image…");
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QCOMPARE(asked_, QStringList({"Save image"}));
        const QImage png(answer_);
        QCOMPARE(png.size(), chart.size() * chart.devicePixelRatio());
        QCOMPARE(png.pixel(2, png.height() - 2) | 0xFF000000u, qRgb(255, 255, 255)); // background corner
        // The red series shows somewhere in the picture.
        int red = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x) {
                const QColor c = png.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        QVERIFY2(red > 20, qPrintable(QString::number(red)));

        answer_ = dir_.filePath("chart.pdf");
        pick(&chart, "Save image…");
        QTRY_COMPARE(finished.size(), 2);
        QVERIFY(readAll(answer_).startsWith("%PDF-"));

        answer_ = dir_.filePath("chart.csv");
        pick(&chart, "Export CSV…");
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(readAll(answer_), csvOf(data));
        QVERIFY(readAll(answer_).startsWith("Time,T1,\"outside"));

        // A path that cannot be written is said, not taken for a success.
        answer_ = dir_.filePath("missing/chart.csv");
        pick(&chart, "Export CSV…");
        QTRY_COMPARE(finished.size(), 4);
        QVERIFY(!finished.at(3).at(1).toString().isEmpty());
        QVERIFY(!QFile::exists(answer_));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QMessageBox"))
                w->close();
    }

    void chartWindowPicturesSaveAsPng()
    {
        DeviceState state;
        TemperatureHistory temperatures;
        VoltageHistory voltage;
        TForm4 form(state, temperatures, voltage);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const char* name : {"Image1", "Image2"}) {
            auto* image = form.findChild<ChartImage*>(name);
            QVERIFY(image);
            QCOMPARE(menuTexts(image), QStringList({"Save image…"}));
            answer_ = dir_.filePath(QString(name) + ".png");
            auto* menuObject = image->findChild<ChartExportMenu*>();
            QVERIFY(menuObject);
            QSignalSpy finished(menuObject, &ChartExportMenu::finished);
            pick(image, "Save image…", QPoint(30, 30));
            QTRY_COMPARE(finished.size(), 1);
            const QImage saved(answer_);
            QCOMPARE(saved.size(), QSize(1000, 500));
            const QImage& shown = image->image();
            for (const QPoint p : {QPoint(0, 0), QPoint(500, 250), QPoint(999, 499), QPoint(123, 45)})
                QCOMPARE(saved.pixel(p) | 0xFF000000u, shown.pixel(p) | 0xFF000000u);
        }
    }
};

QTEST_MAIN(TestChartExport)
#include "test_chart_export.moc"
