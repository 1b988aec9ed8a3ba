// Dense chart lines drawn into the line canvas against the same lines drawn
// by QPainter: per pixel column the rows a series covers must agree, so
// spikes, gaps, point colours and the 3-D offset look as they did.
#include "measure/ChartData.h"
#include "measure/ui/ChartLineCanvas.h"
#include "measure/ui/ChartSeriesPlottable.h"
#include "measure/ui/ModuleChart.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

using namespace obr9;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kSilver = 0xFFC0C0C0u;

struct Extent {
    int top = std::numeric_limits<int>::max();
    int bottom = -1;
    int pixels = 0;
};

// Per image column: the rows holding colour.
std::vector<Extent> extents(const QImage& image, uint32_t colour)
{
    std::vector<Extent> out(std::size_t(image.width()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] | 0xFF000000u) != colour)
                continue;
            Extent& e = out[std::size_t(x)];
            e.top = std::min(e.top, y);
            e.bottom = std::max(e.bottom, y);
            ++e.pixels;
        }
    }
    return out;
}

} // namespace

class TestChartLines : public QObject {
    Q_OBJECT

    ChartData data_;
    std::unique_ptr<ModuleChart> chart_;

    void makeChart(int points, bool gap)
    {
        data_ = ChartData();
        data_.settings.left = {0, 100, false};
        data_.series.emplace_back(QStringLiteral("solid"), kRed, Qt::SolidLine);
        data_.series.emplace_back(QStringLiteral("dotted"), kBlue, Qt::DotLine);
        std::mt19937 random(7);
        for (int i = 0; i < points; ++i) {
            for (int k = 0; k < 2; ++k) {
                double v = 30.0 + 20.0 * k + float(random() % 800) / 100.0f;
                if (k == 0 && i % 9973 == 0)
                    v = 95.0; // a lone spike every so often
                if (gap && i > points / 2 && i < points / 2 + points / 20)
                    v = std::numeric_limits<double>::quiet_NaN();
                // One stretch of the solid line in silver: a sensor missing.
                const bool silver = k == 0 && i > points / 5 && i < points / 4;
                data_.series[std::size_t(k)].append(v, ChartLabels::kEmpty,
                                                    silver ? kSilver : data_.series[std::size_t(k)].colour);
            }
        }
        data_.settings.bottom = {0, double(points - 1), false};
        chart_ = std::make_unique<ModuleChart>(data_);
        chart_->resize(700, 400);
        chart_->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart_.get()));
    }

    QImage render(bool canvas)
    {
        auto* lines = const_cast<ChartLineCanvas*>(chart_->lineCanvas());
        for (int k = 0; k < chart_->seriesCount(); ++k)
            chart_->seriesPlottable(k)->setCanvas(canvas ? lines : nullptr);
        chart_->redraw(QCustomPlot::rpImmediateRefresh);
        return chart_->toPixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Columns of both pictures where the colour shows agree to a pixel at
    // either end; returns the number of columns that show it. A column
    // where the line changes colour (other shows too) may split either way.
    int compareColumns(const QImage& canvas, const QImage& painter, uint32_t colour, uint32_t other)
    {
        const std::vector<Extent> a = extents(canvas, colour);
        const std::vector<Extent> b = extents(painter, colour);
        const std::vector<Extent> oa = extents(canvas, other);
        const std::vector<Extent> ob = extents(painter, other);
        int shown = 0;
        for (std::size_t x = 0; x < a.size(); ++x) {
            if (oa[x].pixels > 0 || ob[x].pixels > 0)
                continue;
            const bool inA = a[x].bottom >= 0;
            const bool inB = b[x].bottom >= 0;
            if (!inA && !inB)
                continue;
            ++shown;
            // A column at the very edge of a stretch may go either way.
            if (inA != inB) {
                auto missing = [&](std::size_t i) { return i >= a.size() || a[i].bottom < 0 || b[i].bottom < 0; };
                if (!missing(x - 1) && !missing(x + 1)) {
                    qWarning("column %d shows the colour in one picture only", int(x));
                    return -int(x) - 1;
                }
                continue;
            }
            if (std::abs(a[x].top - b[x].top) > 1 || std::abs(a[x].bottom - b[x].bottom) > 1) {
                qWarning("column %d: canvas %d..%d, painter %d..%d", int(x), a[x].top, a[x].bottom, b[x].top,
                         b[x].bottom);
                return -int(x) - 1;
            }
        }
        return shown;
    }

private slots:
    void denseLinesMatchThePainterColumnByColumn_data()
    {
        QTest::addColumn<bool>("depth");
        QTest::addColumn<bool>("gap");
        QTest::newRow("flat") << false << false;
        QTest::newRow("3-D view") << true << false;
        QTest::newRow("with a gap") << false << true;
    }

    void denseLinesMatchThePainterColumnByColumn()
    {
        QFETCH(bool, depth);
        QFETCH(bool, gap);
        makeChart(200000, gap);
        chart_->setView3D(depth);
        const QImage canvas = render(true);
        QVERIFY(!chart_->lineCanvas()->image().isNull()); // the canvas did the drawing
        const QImage painter = render(false);

        const int red = compareColumns(canvas, painter, kRed, kSilver);
        QVERIFY2(red > 300, qPrintable(QString::number(red)));
        const int silver = compareColumns(canvas, painter, kSilver, kRed);
        QVERIFY2(silver > 20, qPrintable(QString::number(silver)));

        // Every spike reaches the same row in both pictures.
        const std::vector<Extent> a = extents(canvas, kRed);
        const std::vector<Extent> b = extents(painter, kRed);
        int spikeTop = std::numeric_limits<int>::max();
        for (const Extent& e : a)
            spikeTop = std::min(spikeTop, e.top);
        int spikesA = 0;
        int spikesB = 0;
        for (std::size_t x = 0; x < a.size(); ++x) {
            spikesA += a[x].top <= spikeTop + 1;
            spikesB += b[x].top <= spikeTop + 1;
        }
        QVERIFY(spikesA >= 10); // 200 000 / 9 973 spikes, some sharing a column
        QCOMPARE(spikesA, spikesB);

        // The dotted line covers the same rows but leaves holes.
        const std::vector<Extent> dottedCanvas = extents(canvas, kBlue);
        const std::vector<Extent> dottedPainter = extents(painter, kBlue);
        int pixelsCanvas = 0;
        int pixelsPainter = 0;
        int span = 0;
        for (std::size_t x = 0; x < dottedCanvas.size(); ++x) {
            pixelsCanvas += dottedCanvas[x].pixels;
            pixelsPainter += dottedPainter[x].pixels;
            if (dottedCanvas[x].bottom >= 0)
                span += dottedCanvas[x].bottom - dottedCanvas[x].top + 1;
        }
        QVERIFY(pixelsCanvas > 0 && pixelsPainter > 0);
        QVERIFY2(pixelsCanvas < span * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(pixelsCanvas).arg(span)));
        QVERIFY2(std::abs(pixelsCanvas - pixelsPainter) < pixelsPainter / 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(pixelsCanvas).arg(pixelsPainter)));

        if (gap) { // no line across the gap in either picture
            const double from = chart_->xAxis->coordToPixel(200000 / 2 + 200);
            const double to = chart_->xAxis->coordToPixel(200000 / 2 + 200000 / 20 - 200);
            for (int x = int(from) + 2; x < int(to) - 2; ++x) {
                QCOMPARE(a[std::size_t(x)].pixels, 0);
                QCOMPARE(b[std::size_t(x)].pixels, 0);
            }
        }
    }

    void scaledAndVectorPicturesKeepThePainter()
    {
        makeChart(50000, false);
        render(true);
        // Twice the size: the canvas would be too coarse; the lines still show.
        const QImage big = chart_->toPixmap(0, 0, 2.0).toImage();
        QCOMPARE(big.width(), chart_->width() * 2);
        const std::vector<Extent> red = extents(big.convertToFormat(QImage::Format_RGB32), kRed);
        const int columns = int(std::count_if(red.begin(), red.end(), [](const Extent& e) { return e.bottom >= 0; }));
        QVERIFY2(columns > 600, qPrintable(QString::number(columns)));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(chart_->savePdf(dir.filePath("chart.pdf")));
        QFile pdf(dir.filePath("chart.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.size() > 10000); // the lines went in as paths, not an empty page
    }

    void canvasStartsEmptyOnEveryReplot()
    {
        makeChart(100000, false);
        render(true);
        // All series hidden: nothing of the earlier lines may stay behind.
        chart_->setSeriesVisible(0, false);
        chart_->setSeriesVisible(1, false);
        const std::vector<Extent> empty = extents(render(true), kRed);
        QVERIFY(std::all_of(empty.begin(), empty.end(), [](const Extent& e) { return e.pixels == 0; }));
        chart_->setSeriesVisible(0, true);
        QVERIFY(compareColumns(render(true), render(false), kRed, kSilver) > 300);
    }
};

QTEST_MAIN(TestChartLines)
#include "test_chart_lines.moc"
