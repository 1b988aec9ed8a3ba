#include "measure/ui/ChartSeriesPlottable.h"

#include "measure/ChartData.h"
#include "measure/ui/ChartLineCanvas.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using obr9::ChartData;
using obr9::ChartSeries;

namespace {

// QPainter misbehaves far outside its device; a line that leaves the view
// by more than this is clamped, which looks the same.
constexpr double kPixelLimit = 50000;

// Lines of one colour are gathered into one polyline, so a dotted pen keeps
// its pattern across points.
class Polyline {
public:
    Polyline(QCPPainter* painter, std::function<QPen(uint32_t)> pen)
        : painter_(painter)
        , pen_(std::move(pen))
    {
    }
    ~Polyline() { flush(); }

    // A point reached in colour; a break (non-finite value) ends the line.
    void add(QPointF p, uint32_t colour)
    {
        if (!points_.isEmpty() && colour != colour_) {
            const QPointF last = points_.last();
            flush();
            points_.append(last);
        }
        colour_ = colour;
        points_.append(p);
    }
    void lineBreak() { flush(); }

private:
    void flush()
    {
        if (points_.size() > 1) {
            painter_->setPen(pen_(colour_));
            painter_->drawPolyline(points_.constData(), int(points_.size()));
        }
        points_.clear();
    }

    QCPPainter* painter_;
    std::function<QPen(uint32_t)> pen_;
    QVector<QPointF> points_;
    uint32_t colour_ = 0;
};

} // namespace

ChartSeriesPlottable::ChartSeriesPlottable(const ChartData& chart, int series, QCPAxis* keyAxis,
                                           QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis)
    , chart_(chart)
    , series_(series)
{
    setSelectable(QCP::stNone);
    setAntialiasedFill(false);
}

const ChartSeries& ChartSeriesPlottable::series() const
{
    static const ChartSeries none;
    if (series_ < 0 || series_ >= chart_.seriesCount())
        return none;
    return chart_.series[std::size_t(series_)];
}

QPen ChartSeriesPlottable::linePen(uint32_t colour) const
{
    QPen pen(QColor::fromRgba(colour));
    pen.setStyle(series().pen == Qt::NoPen ? Qt::SolidLine : series().pen);
    // One-pixel cosmetic lines take the raster engine's line drawer; wider
    // pens are stroked into polygons, a hundred times slower on long lines.
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

QPointF ChartSeriesPlottable::pixel(double key, double value) const
{
    double x = keyAxis()->coordToPixel(key) + depth_.x();
    double y = valueAxis()->coordToPixel(value) - depth_.y();
    x = std::clamp(x, -kPixelLimit, kPixelLimit);
    y = std::clamp(y, -kPixelLimit, kPixelLimit);
    return {x, y};
}

double ChartSeriesPlottable::selectTest(const QPointF&, bool, QVariant*) const { return -1; }

QCPRange ChartSeriesPlottable::getKeyRange(bool& foundRange, QCP::SignDomain) const
{
    const ChartSeries& s = series();
    foundRange = s.size() > 0;
    if (!foundRange)
        return {};
    if (!s.hasOwnX())
        return {0, double(s.size() - 1)};
    double lo = std::numeric_limits<double>::max();
    double hi = std::numeric_limits<double>::lowest();
    for (int i = 0; i < s.size(); ++i) {
        const double x = s.x(i);
        if (std::isfinite(x)) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

QCPRange ChartSeriesPlottable::getValueRange(bool& foundRange, QCP::SignDomain,
                                             const QCPRange& inKeyRange) const
{
    return valueRangeIn(inKeyRange, foundRange);
}

QCPRange ChartSeriesPlottable::valueRangeIn(const QCPRange& keys, bool& foundRange) const
{
    const ChartSeries& s = series();
    const bool all = keys.lower == keys.upper;
    double lo = std::numeric_limits<double>::max();
    double hi = std::numeric_limits<double>::lowest();
    auto take = [&](double v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    };
    if (s.hasOwnX()) {
        for (int i = 0; i < s.size(); ++i) {
            if (all || keys.contains(s.x(i)))
                take(s.y(i));
        }
    } else {
        const int first = all ? 0 : std::max(0, int(std::ceil(std::max(keys.lower, -1.0))));
        const int last = all ? s.size() - 1
                             : int(std::floor(std::min(keys.upper, double(s.size() - 1))));
        double minimum = 0;
        double maximum = 0;
        if (s.valueRange(first, last, minimum, maximum)) {
            take(minimum);
            take(maximum);
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

void ChartSeriesPlottable::draw(QCPPainter* painter)
{
    const ChartSeries& s = series();
    if (s.size() == 0 || !keyAxis() || !valueAxis())
        return;
    if (s.hasOwnX())
        drawOwnX(painter, s);
    else
        drawByIndex(painter, s);
}

void ChartSeriesPlottable::drawByIndex(QCPPainter* painter, const ChartSeries& s)
{
    const QCPRange keys = keyAxis()->range();
    // One point either side, so the lines leave the view at its edges.
    const int first = std::max(0, int(std::floor(std::max(keys.lower, -2.0))) - 1);
    const int last = std::min(s.size() - 1, int(std::ceil(std::min(keys.upper, 2e9))) + 1);
    if (first > last)
        return;
    const double columns = std::abs(keyAxis()->coordToPixel(last) - keyAxis()->coordToPixel(first)) + 1;
    const int points = last - first + 1;

    if (points <= 2 * columns) {
        Polyline line(painter, [this](uint32_t c) { return linePen(c); });
        painter->setAntialiasing(double(points) <= columns);
        for (int i = first; i <= last; ++i) {
            const double v = s.y(i);
            if (!std::isfinite(v)) {
                line.lineBreak();
                continue;
            }
            line.add(pixel(i, v), s.pointColour(i));
        }
        return;
    }

    painter->setAntialiasing(false);
    envelope_.resize(std::size_t(std::clamp(int(columns), 1, 8192)));
    s.envelope(first, last, envelope_);
    if (canvas_ && canvas_->accepts(painter) && keyAxis()->scaleType() == QCPAxis::stLinear &&
        valueAxis()->scaleType() == QCPAxis::stLinear) {
        drawDense(*canvas_, s, first, points);
        return;
    }
    Polyline line(painter, [this](uint32_t c) { return linePen(c); });
    for (std::size_t r = 0; r < envelope_.size(); ++r) {
        const ChartSeries::Envelope& e = envelope_[r];
        if (e.count == 0)
            continue;
        if (e.gap || !std::isfinite(e.first) || !std::isfinite(e.last)) {
            line.lineBreak();
            continue;
        }
        const uint32_t colour = s.pointColour(e.firstIndex + e.count - 1);
        const double key = runKey(first, points, r);
        line.add(pixel(key, e.first), colour);
        line.add(pixel(key, e.minimum), colour);
        line.add(pixel(key, e.maximum), colour);
        line.add(pixel(key, e.last), colour);
    }
}

double ChartSeriesPlottable::runKey(int first, int points, std::size_t run) const
{
    // A run is drawn at its even share of the span, not where it begins on
    // the summaries' grid, so every pixel column gets its own run.
    return double(first + int64_t(run) * points / int64_t(envelope_.size()));
}

void ChartSeriesPlottable::drawDense(ChartLineCanvas& canvas, const ChartSeries& s, int first, int points)
{
    // Both axes are linear: pixel = origin + scale * coordinate. The raster
    // engine puts an aliased point on the pixel whose centre is nearest,
    // a tie going up and left: pixel ceil(p) - 1.
    const double kx0 = keyAxis()->coordToPixel(0) + depth_.x();
    const double kx = keyAxis()->coordToPixel(1) + depth_.x() - kx0;
    const double vy0 = valueAxis()->coordToPixel(0) - depth_.y();
    const double vy = valueAxis()->coordToPixel(1) - depth_.y() - vy0;
    auto toPixel = [](double p) {
        // Clamped and shifted positive first, so int() rounds down.
        const double q = std::clamp(p, -kPixelLimit, kPixelLimit) + kPixelLimit;
        const int n = int(q);
        return (double(n) == q ? n - 1 : n) - int(kPixelLimit);
    };
    canvas.beginLine(s.pen);
    for (std::size_t r = 0; r < envelope_.size(); ++r) {
        const ChartSeries::Envelope& e = envelope_[r];
        if (e.count == 0)
            continue;
        if (e.gap || !std::isfinite(e.first) || !std::isfinite(e.last)) {
            canvas.liftPen();
            continue;
        }
        const int x = toPixel(kx0 + kx * runKey(first, points, r));
        const int a = toPixel(vy0 + vy * e.first);
        const int b = toPixel(vy0 + vy * e.minimum);
        const int c = toPixel(vy0 + vy * e.maximum);
        const int d = toPixel(vy0 + vy * e.last);
        // Screen rows grow downwards: the least value is the lowest row on
        // screen, the greatest row number.
        canvas.column(x, a, std::min(b, c), std::max(b, c), d, s.pointColour(e.firstIndex + e.count - 1));
    }
}

void ChartSeriesPlottable::drawOwnX(QCPPainter* painter, const ChartSeries& s)
{
    // Only files with X values of their own come here; they are drawn
    // point by point.
    painter->setAntialiasing(false);
    const QCPRange keys = keyAxis()->range();
    Polyline line(painter, [this](uint32_t c) { return linePen(c); });
    bool inside = false;
    for (int i = 0; i < s.size(); ++i) {
        const double x = s.x(i);
        const double v = s.y(i);
        const bool next = i + 1 < s.size() && keys.contains(s.x(i + 1));
        if (!std::isfinite(x) || !std::isfinite(v)) {
            line.lineBreak();
            continue;
        }
        const bool in = keys.contains(x);
        if (in || inside || next)
            line.add(pixel(x, v), s.pointColour(i));
        else
            line.lineBreak();
        inside = in;
    }
}

void ChartSeriesPlottable::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const
{
    QPen pen = linePen(series().colour);
    pen.setWidthF(2);
    painter->setPen(pen);
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
}
