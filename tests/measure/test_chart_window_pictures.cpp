// The chart window's two pictures in the whole program, fed by a controller
// on 127.0.0.1: one frame per socket read, and a backlog that arrives at
// once. Each picture is compared column by column with one built here from
// the drawing rules alone: the newest frame at x = 1000 (drawn twice: the
// start point and i = 0), one pixel to the left per older frame, at most
// 1000 of them; voltage rows 500 - trunc(count K) until the ring wraps,
// trunc(500 - count K) after, a row of 500 or more moved up by one;
// temperature rows 500 - trunc((t - Tmin) 500 / range) + channel.
#include "ControllerFrames.h"
#include "ProgramFixture.h"
#include "UserInput.h"
#include "measure/ui/ChartDrawing.h"
#include "measure/ui/TForm4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cmath>

using namespace obr9;

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 500;

// Channel pens: black, red, blue, green, silver, maroon, aqua, purple.
const QRgb kPens[8] = {qRgb(0, 0, 0),     qRgb(255, 0, 0),   qRgb(0, 0, 255),   qRgb(0, 128, 0),
                       qRgb(192, 192, 192), qRgb(128, 0, 0), qRgb(0, 255, 255), qRgb(128, 0, 128)};

int voltageRow(int count, bool wrapped)
{
    const long double scaled = count * 0.543738L;
    int y = wrapped ? int(kHeight - scaled) : kHeight - int(scaled);
    return y >= kHeight ? y - 1 : y;
}

// t in degrees (or percent), offset and range of the scale.
int temperatureRow(double t, int channel, double offset, double range)
{
    return kHeight - int((t - offset) * kHeight / range) + channel;
}

// The rows of the frames since the ring was restarted, oldest first, as the
// picture shows them: the newest at x = 1000 twice, then one column each.
std::vector<QPoint> trace(const std::vector<int>& rows)
{
    const int n = int(rows.size());
    std::vector<QPoint> points{{kWidth, rows.back()}};
    for (int i = 0; i < std::min(n, 1000); ++i)
        points.emplace_back(kWidth - i, rows[size_t(n - 1 - i)]);
    return points;
}

// The first column where two pictures differ, with the rows that do.
QString firstDifference(const QImage& got, const QImage& want)
{
    if (got.size() != want.size())
        return QStringLiteral("size differs");
    for (int x = 0; x < want.width(); ++x) {
        QStringList rows;
        for (int y = 0; y < want.height(); ++y) {
            if ((got.pixel(x, y) | 0xFF000000u) != (want.pixel(x, y) | 0xFF000000u))
                rows << QString::number(y);
        }
        if (!rows.isEmpty())
            return QStringLiteral("column %1, rows %2").arg(x).arg(rows.mid(0, 8).join(' '));
    }
    return {};
}

// Frame k of a run: a voltage count from 0 (drawn on the last row) to well
// above 60 V (off the top), and eight temperatures in half degrees mostly
// inside 10..60 degC, with one far above the scale now and then and one the
// controller may not send (above 150 degC), which repeats the channel's
// previous sample.
int voltageCount(int k)
{
    return k % 11 == 0 ? 0 : (k * 37) % 1100;
}

int rawTemperature(int k, int channel)
{
    if (k % 97 == 50)
        return 400; // not believed: the previous sample is repeated
    if (k % 50 == 7)
        return 250; // 125 degC, off the top of the picture
    return 20 + (k * 7 + channel * 13) % 101;
}

const QList<QByteArray> kNames = {"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7"};

QByteArray eightTemperatureFrame(int k)
{
    int raw[8];
    for (int c = 0; c < 8; ++c)
        raw[c] = rawTemperature(k, c);
    return eightTemperatures(raw, kNames);
}

QByteArray voltageFrame(int k)
{
    const int count = voltageCount(k);
    QByteArray payload(2, '\0');
    payload[0] = char(count & 0xFF);
    payload[1] = char(count >> 8);
    return dataFrame(4, payload);
}

QImage voltagePicture(int frames)
{
    std::vector<int> rows;
    const bool wrapped = frames > 1000; // the ring had wrapped before the newest frame
    for (int k = 0; k < frames; ++k)
        rows.push_back(voltageRow(voltageCount(k), wrapped));
    QImage image = ChartDrawing::voltageBackground();
    ChartDrawing::drawPolyline(image, trace(rows), kPens[0]);
    return image;
}

// Tmin 10 and range 50, the window's defaults.
QImage eightTemperaturePicture(int frames)
{
    QImage image = ChartDrawing::temperatureBackground();
    for (int c = 0; c < 8; ++c) {
        std::vector<int> rows;
        int shown = 0;
        for (int k = 0; k < frames; ++k) {
            const int raw = rawTemperature(k, c);
            shown = raw > 300 ? shown : raw;
            rows.push_back(temperatureRow(shown * 0.5, c, 10, 50));
        }
        ChartDrawing::drawPolyline(image, trace(rows), kPens[c]);
    }
    return image;
}

float humidityOf(int k) { return float(k % 101); }
float airTemperatureOf(int k) { return 5.25f + float(k % 23) * 2.5f; }

// Temperature on Tmin 10 and range 50, humidity on 0..100 % whatever they say.
QImage temperatureHumidityPicture(int frames)
{
    QImage image = ChartDrawing::temperatureBackground();
    std::vector<int> temperature;
    std::vector<int> humidity;
    for (int k = 0; k < frames; ++k) {
        // Stored as whole half units, truncated.
        temperature.push_back(temperatureRow(std::trunc(2 * airTemperatureOf(k)) * 0.5, 0, 10, 50));
        humidity.push_back(temperatureRow(std::trunc(2 * humidityOf(k)) * 0.5, 1, 0, 100));
    }
    ChartDrawing::drawPolyline(image, trace(temperature), kPens[0]);
    ChartDrawing::drawPolyline(image, trace(humidity), kPens[1]);
    return image;
}

} // namespace

class TestChartWindowPictures : public QObject {
    Q_OBJECT

    ProgramFixture app_;
    PeerController peer_;

    template <typename T>
    T* control(const char* name)
    {
        return app_.control<T>(name);
    }

    // The operator connects to the test's controller (which restarts both
    // rings) or disconnects, with clicks and keys.
    void clickConnect(bool on)
    {
        auto* box = control<QCheckBox>("CheckBoxConnect");
        user::click(box);
        QCOMPARE(box->isChecked(), on);
        if (on) {
            QVERIFY(peer_.waitForConnection());
            QCOMPARE(peer_.readExactly(18).size(), 18); // identification request
            peer_.send(bytes("FF FE 01 0A 00 02 03"));  // its answer: data frames from now on
            QTRY_VERIFY(app_.form->link().deviceAnswered());
        }
    }

    // Sends bytes and lets the program take them until `frames` samples of
    // each ring are in.
    void sendAndWait(const QByteArray& data, int voltageFrames, int temperatureFrames)
    {
        peer_.send(data);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && (stored(app_.form->voltageHistory()) != voltageFrames ||
                                          stored(app_.form->temperatureHistory()) != temperatureFrames))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCOMPARE(stored(app_.form->voltageHistory()), voltageFrames);
        QCOMPARE(stored(app_.form->temperatureHistory()), temperatureFrames);
        QCoreApplication::processEvents(); // a redraw queued outside a read
    }

    // Frames since the restart, as far as a ring can tell (1001 means "more").
    template <int Rows>
    static int stored(const HistoryRing<Rows>& ring)
    {
        const auto newest = ring.newest();
        return newest.slot < 0 ? 0 : newest.wrapped ? 1001 + newest.slot : newest.slot + 1;
    }

    void comparePictures(int frames, bool temperatureHumidity = false)
    {
        const TForm4* charts = app_.form->chartWindow();
        const QString voltage = firstDifference(charts->voltageImage(), voltagePicture(frames));
        QVERIFY2(voltage.isEmpty(), qPrintable(QStringLiteral("voltage after %1 frames: %2")
                                                  .arg(frames)
                                                  .arg(voltage)));
        const QImage want = temperatureHumidity ? temperatureHumidityPicture(frames)
                                                : eightTemperaturePicture(frames);
        const QString temperature = firstDifference(charts->temperatureImage(), want);
        QVERIFY2(temperature.isEmpty(), qPrintable(QStringLiteral("temperature after %1 frames: %2")
                                                      .arg(frames)
                                                      .arg(temperature)));
    }

private slots:
    void init()
    {
        app_.start();
        user::typeInto(control<QComboBox>("HostIP")->lineEdit(), QStringLiteral("127.0.0.1"));
        user::typeInto(control<QLineEdit>("EditPort"), QString::number(peer_.server.serverPort()));
    }

    void cleanup() { app_.stop(); }

    void oneFramePerRead()
    {
        clickConnect(true);
        int sent = 0;
        for (int frames : {1, 3, 999, 1000, 1001}) {
            for (; sent < frames && !QTest::currentTestFailed(); ++sent) {
                sendAndWait(voltageFrame(sent), sent + 1, sent);
                sendAndWait(eightTemperatureFrame(sent), sent + 1, sent + 1);
            }
            comparePictures(frames);
        }
    }

    // Each backlog after a reconnect, which restarts the rings but keeps the
    // older samples in their slots: none of them may show.
    void backlogInOneRead()
    {
        for (int frames : {1001, 3, 1000, 1, 999}) {
            if (QTest::currentTestFailed())
                return;
            clickConnect(true);
            QByteArray voltage;
            QByteArray temperatures;
            for (int k = 0; k < frames; ++k) {
                voltage += voltageFrame(k);
                temperatures += eightTemperatureFrame(k);
            }
            sendAndWait(voltage, frames, 0); // 7 bytes a frame: one read
            sendAndWait(temperatures, frames, frames);
            comparePictures(frames);
            clickConnect(false);
        }
    }

    void temperatureAndHumidityController()
    {
        clickConnect(true);
        QByteArray first;
        QByteArray rest;
        for (int k = 0; k < 1001; ++k)
            (k < 3 ? first : rest) +=
                voltageFrame(k) + temperatureHumidity(airTemperatureOf(k), humidityOf(k));
        sendAndWait(first, 3, 3);
        comparePictures(3, true);
        sendAndWait(rest, 1001, 1001);
        comparePictures(1001, true);
    }
};

QTEST_MAIN(TestChartWindowPictures)
#include "test_chart_window_pictures.moc"
