// The chart window on its own, with rings of the test's: pixels of the two
// images, the scales and the reports of a scale that cannot be drawn.
#include "base/Reporter.h"
#include "measure/ui/TForm4.h"
#include "protocol/DeviceState.h"
#include "UserInput.h"

#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QTest>

using namespace obr9;

namespace {

class CollectingReporter : public Reporter {
public:
    void report(const OperatorMessage& message) override { messages << message; }
    QList<OperatorMessage> messages;
};

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kGreen = qRgb(0, 128, 0);

QRgb pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

int countColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += pixel(image, x, y) == colour;
    return count;
}

} // namespace

class TestChartWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm4> form_;
    DeviceState state_;
    TemperatureHistory temperatures_;
    VoltageHistory voltage_;
    CollectingReporter reporter_;

    // A voltage frame as the program handles it: the decoder stores and
    // advances, the chart is drawn when the read is done.
    void voltageFrame(int count)
    {
        voltage_.store(0, count);
        voltage_.advance();
        form_->redrawVoltage();
    }

    // A temperature frame: samples (half degrees) per channel, then as above.
    void temperatureFrame(std::initializer_list<std::pair<int, int>> samples)
    {
        for (const auto& [channel, sample] : samples)
            temperatures_.store(channel, sample);
        temperatures_.advance();
        form_->RysujWykres();
    }

    // An item of a list as the operator chooses it: the list opened with a
    // click, the item reached with the arrow keys, taken with Return.
    void pick(QComboBox* box, int row)
    {
        user::click(box, QPoint(box->width() - 8, box->height() / 2));
        QAbstractItemView* view = box->view();
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(box->currentIndex(), row);
    }

private slots:
    void init()
    {
        state_ = DeviceState();
        state_.temperatureKind = TemperatureKind::EightTemperatures;
        temperatures_ = TemperatureHistory();
        voltage_ = VoltageHistory();
        reporter_.messages.clear();
        form_ = std::make_unique<TForm4>(state_, temperatures_, voltage_);
        form_->setReporter(&reporter_);
    }

    void cleanup() { form_.reset(); }

    void windowAtConstruction()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Voltage and temperature chart"));
        QCOMPARE(form_->voltageImage().size(), QSize(1000, 500));
        QCOMPARE(form_->temperatureImage().size(), QSize(1000, 500));
        QCOMPARE(form_->rangeBox()->currentText(), QStringLiteral("50"));
        QCOMPARE(form_->rangeBox()->count(), 4);
        QCOMPARE(form_->tminBox()->currentText(), QStringLiteral("10"));
        QCOMPARE(form_->tminBox()->count(), 21);
        QCOMPARE(form_->tminBox()->itemText(0), QStringLiteral("-50"));
        QCOMPARE(form_->tminBox()->itemText(20), QStringLiteral("150"));
        QCOMPARE(form_->temperatureScaleLabel(0)->text(), QStringLiteral(u"10\u00B0C"));
        QCOMPARE(form_->temperatureScaleLabel(5)->text(), QStringLiteral(u"60\u00B0C "));
        QCOMPARE(form_->temperatureScaleLabel(5)->objectName(), QStringLiteral("Label9"));
        QCOMPARE(form_->findChild<QLabel*>("Label1")->text(), QStringLiteral("60V"));
        QCOMPARE(form_->findChild<QLabel*>("Label7")->text(), QStringLiteral("0V"));
        QCOMPARE(form_->voltageTimeLabel(0)->text(), QStringLiteral("-100sek"));
        QCOMPARE(form_->temperatureTimeLabel(0)->text(), QStringLiteral("-1000sek"));
        for (int k = 0; k < 8; ++k)
            QVERIFY(form_->channelBox(k)->isChecked());
        QCOMPARE(form_->swatch(3)->palette().color(QPalette::Window), QColor(0, 128, 0));
        QCOMPARE(form_->swatch(7)->palette().color(QPalette::Window), QColor(128, 0, 128));
    }

    void backgroundsAreWhiteWithSilverGrids()
    {
        const QImage& voltage = form_->voltageImage();
        QCOMPARE(pixel(voltage, 100, 10), kSilver);
        QCOMPARE(pixel(voltage, 900, 499), kSilver);
        QCOMPARE(pixel(voltage, 50, 42), kSilver);
        QCOMPARE(pixel(voltage, 50, 458), kSilver);
        QCOMPARE(pixel(voltage, 50, 41), kWhite);
        QCOMPARE(pixel(voltage, 50, 0), kWhite);
        QCOMPARE(pixel(voltage, 999, 499), kWhite);
        QCOMPARE(countColour(voltage, kSilver), 9 * 500 + 11 * 1000 - 9 * 11);

        const QImage& temperature = form_->temperatureImage();
        for (int row : {0, 51, 101, 150, 200, 249, 300, 350, 399, 450})
            QCOMPARE(pixel(temperature, 50, row), kSilver);
        QCOMPARE(pixel(temperature, 50, 52), kWhite);
        QCOMPARE(pixel(temperature, 50, 499), kWhite);
        QCOMPARE(countColour(temperature, kSilver), 9 * 500 + 10 * 1000 - 9 * 10);
    }

    void zeroVoltageOnTheLastRow()
    {
        for (int i = 0; i < 3; ++i)
            voltageFrame(0);
        const QImage& image = form_->voltageImage();
        QCOMPARE(pixel(image, 999, 499), kBlack);
        QCOMPARE(pixel(image, 998, 499), kBlack);
        QCOMPARE(pixel(image, 997, 499), kWhite); // three samples: x = 1000, 999, 998
        QCOMPARE(countColour(image, kBlack), 2);
    }

    void countOf920AtTheTop()
    {
        for (int i = 0; i < 3; ++i)
            voltageFrame(920);
        const QImage& image = form_->voltageImage();
        QCOMPARE(pixel(image, 999, 0), kBlack);
        QCOMPARE(pixel(image, 998, 0), kBlack);
        QCOMPARE(pixel(image, 998, 1), kWhite);
    }

    void newestSampleAtXThousand()
    {
        voltageFrame(920); // older: top row
        voltageFrame(0);   // newest: x = 1000, just right of the last column
        const QImage& image = form_->voltageImage();
        // The segment from (1000, 499) to (999, 0): its lower half lies in
        // column 1000, outside the image; its upper half in column 999.
        QCOMPARE(pixel(image, 999, 0), kBlack);
        QCOMPARE(pixel(image, 999, 200), kBlack);
        QCOMPARE(pixel(image, 999, 499), kWhite);
        QCOMPARE(pixel(image, 998, 0), kWhite);
        QCOMPARE(countColour(image, kBlack), 250);
    }

    void wrappedTraceCoversTheWidth()
    {
        for (int i = 0; i < 1001; ++i)
            voltageFrame(460); // trunc(500 - 250.1) = 249 once wrapped
        QVERIFY(voltage_.wrapped());
        const QImage& image = form_->voltageImage();
        QCOMPARE(pixel(image, 1, 249), kBlack);
        QCOMPARE(pixel(image, 0, 249), kWhite);
        QCOMPARE(pixel(image, 999, 249), kBlack);
    }

    void grabShowsTheImage()
    {
        for (int i = 0; i < 5; ++i)
            voltageFrame(460);
        auto* widget = form_->findChild<QWidget*>(QStringLiteral("Image1"));
        QVERIFY(widget);
        const QImage grabbed = widget->grab().toImage();
        QCOMPARE(grabbed.size(), QSize(1000, 500));
        QCOMPARE(pixel(grabbed, 999, 250), kBlack);
        QCOMPARE(pixel(grabbed, 100, 10), kSilver);
        QCOMPARE(pixel(grabbed, 50, 10), kWhite);
    }

    void tenDegreesAtTminTenLiesBelowTheImage()
    {
        temperatureFrame({{0, 20}, {3, 20}});
        temperatureFrame({{0, 20}, {3, 20}});
        const QImage& image = form_->temperatureImage();
        QCOMPARE(countColour(image, kBlack), 0); // row 500
        QCOMPARE(countColour(image, kGreen), 0); // row 503

        temperatureFrame({{0, 120}, {3, 120}}); // 60 degC: row c
        temperatureFrame({{0, 120}, {3, 120}});
        QCOMPARE(pixel(form_->temperatureImage(), 999, 0), kBlack);
        QCOMPARE(pixel(form_->temperatureImage(), 999, 3), kGreen);
    }

    void unwrittenChannelsLieBelowAndColoursFollowTheChannel()
    {
        // 30 degC on every channel: 200 up, row 300 + c.
        for (int i = 0; i < 3; ++i)
            temperatureFrame({{0, 60}, {1, 60}, {2, 60}, {3, 60}, {4, 60}, {5, 60}, {6, 60}, {7, 60}});
        const QImage& image = form_->temperatureImage();
        QCOMPARE(pixel(image, 998, 300), kBlack);
        QCOMPARE(pixel(image, 998, 301), kRed);
        QCOMPARE(pixel(image, 998, 302), kBlue);
        QCOMPARE(pixel(image, 998, 303), kGreen);
        QCOMPARE(pixel(image, 998, 304), kSilver);
        QCOMPARE(pixel(image, 998, 305), qRgb(128, 0, 0));
        QCOMPARE(pixel(image, 998, 306), qRgb(0, 255, 255));
        QCOMPARE(pixel(image, 998, 307), qRgb(128, 0, 128));
    }

    void untickedChannelIsNotDrawn()
    {
        form_->channelBox(2)->setChecked(false);
        for (int i = 0; i < 3; ++i)
            temperatureFrame({{1, 60}, {2, 60}});
        QCOMPARE(countColour(form_->temperatureImage(), kBlue), 0);
        QCOMPARE(countColour(form_->temperatureImage(), kRed), 2);
        form_->channelBox(2)->setChecked(true);
        temperatureFrame({{1, 60}, {2, 60}});
        QCOMPARE(countColour(form_->temperatureImage(), kBlue), 3);
    }

    void humidityUsesItsOwnScale()
    {
        state_.temperatureKind = TemperatureKind::TemperatureHumidity;
        form_->rangeBox()->setEditText(QStringLiteral("25"));
        form_->tminBox()->setEditText(QStringLiteral("100"));
        // 21 degC and 45 % humidity, in half units.
        for (int i = 0; i < 3; ++i)
            temperatureFrame({{0, 42}, {1, 90}, {2, 60}});
        const QImage& image = form_->temperatureImage();
        // Humidity: trunc(45 * 5) = 225 up, one row lower for channel 1.
        QCOMPARE(pixel(image, 998, 276), kRed);
        QCOMPARE(countColour(image, kRed), 2);
        // Temperature on "Tmin" 100 and "range" 25: far below the image.
        QCOMPARE(countColour(image, kBlack), 0);
        // Only two channels in this mode.
        QCOMPARE(countColour(image, kBlue), 0);
    }

    void temperatureScaleFollowsTheBoxes()
    {
        form_->tminBox()->setCurrentIndex(3); // "-20"
        QCOMPARE(form_->temperatureScaleLabel(0)->text(), QStringLiteral(u"-20\u00B0C"));
        QCOMPARE(form_->temperatureScaleLabel(5)->text(), QStringLiteral(u"30\u00B0C"));
        form_->rangeBox()->setCurrentIndex(3); // "200"
        QCOMPARE(form_->temperatureScaleLabel(1)->text(), QStringLiteral(u"20\u00B0C"));
        QCOMPARE(form_->temperatureScaleLabel(5)->text(), QStringLiteral(u"180\u00B0C"));

        // The sensor changes; the labels follow the next choice of "range".
        state_.temperatureKind = TemperatureKind::TemperatureHumidity;
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        pick(form_->rangeBox(), 2); // "100"
        QCOMPARE(form_->temperatureScaleLabel(5)->text(), QStringLiteral(u"80\u00B0C / 100%"));
        pick(form_->rangeBox(), 3); // "200" again
        QCOMPARE(form_->temperatureScaleLabel(0)->text(), QStringLiteral(u"-20\u00B0C / 0%"));
        QCOMPARE(form_->temperatureScaleLabel(5)->text(), QStringLiteral(u"180\u00B0C / 100%"));

        // Typing on the way to a number leaves the labels as they were.
        form_->tminBox()->setEditText(QStringLiteral("-"));
        QCOMPARE(form_->temperatureScaleLabel(0)->text(), QStringLiteral(u"-20\u00B0C / 0%"));
        QCOMPARE(reporter_.messages.size(), 0);
    }

    void bothDecimalSeparatorsAreAccepted()
    {
        form_->setDecimalSeparator(QLatin1Char(','));
        form_->tminBox()->setEditText(QStringLiteral("12,5"));
        QCOMPARE(form_->temperatureScaleLabel(0)->text(), QStringLiteral(u"12,5\u00B0C"));
        temperatureFrame({{0, 60}});
        QCOMPARE(form_->lastGoodScale().offset, 12.5);
        form_->tminBox()->setEditText(QStringLiteral("7.5"));
        temperatureFrame({{0, 60}});
        QCOMPARE(form_->lastGoodScale().offset, 7.5);
        QTest::qWait(10);
        QCOMPARE(reporter_.messages.size(), 0);
    }

    void badScaleIsReportedOnceAndDrawingGoesOn()
    {
        temperatureFrame({{0, 60}});
        form_->rangeBox()->setEditText(QStringLiteral("abc"));
        temperatureFrame({{0, 60}});
        temperatureFrame({{0, 60}});
        // Drawn with the last good scale: 30 degC on row 300.
        QCOMPARE(pixel(form_->temperatureImage(), 999, 300), kBlack);
        QCOMPARE(reporter_.messages.size(), 0); // posted, not shown inside the redraw
        QTRY_COMPARE(reporter_.messages.size(), 1);
        QVERIFY(reporter_.messages[0].text.contains(QStringLiteral("'abc'")));
        QVERIFY(reporter_.messages[0].text.contains(QStringLiteral("range")));
        temperatureFrame({{0, 60}});
        QTest::qWait(10);
        QCOMPARE(reporter_.messages.size(), 1);

        form_->rangeBox()->setEditText(QStringLiteral("0"));
        temperatureFrame({{0, 60}});
        QTRY_COMPARE(reporter_.messages.size(), 2);
        QVERIFY(reporter_.messages[1].text.contains(QStringLiteral("of 0")));
        QCOMPARE(form_->lastGoodScale().range, 50.0);

        form_->rangeBox()->setEditText(QStringLiteral("100"));
        form_->tminBox()->setEditText(QStringLiteral("x"));
        temperatureFrame({{0, 60}});
        QTRY_COMPARE(reporter_.messages.size(), 3);
        QVERIFY(reporter_.messages[2].text.contains(QStringLiteral("Tmin")));

        form_->tminBox()->setEditText(QStringLiteral("0"));
        temperatureFrame({{0, 60}});
        QCOMPARE(form_->lastGoodScale().range, 100.0);
        QCOMPARE(pixel(form_->temperatureImage(), 999, 350), kBlack); // 30 degC of 100
        // The same bad text again, after a good one, is news again.
        form_->rangeBox()->setEditText(QStringLiteral("abc"));
        temperatureFrame({{0, 60}});
        QTRY_COMPARE(reporter_.messages.size(), 4);
    }

    void chartsButtonLabelsTheWindow()
    {
        std::array<QString, 8> names;
        for (int k = 0; k < 8; ++k)
            names[size_t(k)] = QStringLiteral("Name%1").arg(k);
        form_->setChartChoice(names, QStringLiteral("1/2s"), QStringLiteral("1/1min"));
        form_->showCharts();
        QVERIFY(form_->isVisible());
        QCOMPARE(form_->channelBox(7)->text(), QStringLiteral("Name7"));
        QCOMPARE(form_->kindLabel()->text(), QStringLiteral("Temperature"));
        const char* const voltage[6] = {"-2000sek", "-1600sek", "-1200sek", "-800sek", "-400sek", "0sek"};
        for (int n = 0; n < 6; ++n)
            QCOMPARE(form_->voltageTimeLabel(n)->text(), QString::fromLatin1(voltage[n]));
        QCOMPARE(form_->temperatureTimeLabel(0)->text(), QStringLiteral("-1000min"));
        QCOMPARE(form_->temperatureTimeLabel(4)->text(), QStringLiteral("-200min"));
        QCOMPARE(form_->findChild<QLabel*>("Label28")->text(), QStringLiteral("0min"));

        // No span for the empty item: the temperature scale stays.
        state_.temperatureKind = TemperatureKind::TemperatureHumidity;
        form_->setChartChoice(names, QStringLiteral("10/s"), QString());
        form_->showCharts();
        QCOMPARE(form_->channelBox(0)->text(), QStringLiteral("Temperature"));
        QCOMPARE(form_->channelBox(1)->text(), QStringLiteral("Humidity"));
        QCOMPARE(form_->channelBox(2)->text(), QStringLiteral("Name2"));
        QCOMPARE(form_->kindLabel()->text(), QStringLiteral("Temp / Hum"));
        QCOMPARE(form_->voltageTimeLabel(0)->text(), QStringLiteral("-100sek"));
        QCOMPARE(form_->temperatureTimeLabel(0)->text(), QStringLiteral("-1000min"));
    }

    void redrawsGoOnWhileHidden()
    {
        QVERIFY(!form_->isVisible());
        voltageFrame(460);
        voltageFrame(460);
        QCOMPARE(pixel(form_->voltageImage(), 999, 250), kBlack);
    }
};

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"
