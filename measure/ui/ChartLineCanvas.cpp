#include "measure/ui/ChartLineCanvas.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString kLinesLayer = QStringLiteral("lines");

uint32_t blend(uint32_t dst, uint32_t src) // premultiplied source over
{
    const uint32_t inverse = 255 - (src >> 24);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t d = (dst >> shift) & 0xFF;
        const uint32_t s = (src >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * inverse + 127) / 255) << shift;
    }
    return out;
}

} // namespace

ChartLineCanvas::ChartLineCanvas(QCustomPlot* plot)
    : QCPLayerable(plot)
{
    if (!plot->layer(kLinesLayer))
        plot->addLayer(kLinesLayer, plot->layer(QStringLiteral("main")), QCustomPlot::limAbove);
    setLayer(kLinesLayer);
}

bool ChartLineCanvas::accepts(const QCPPainter* painter) const
{
    if (!painter || !mParentPlot || !mParentPlot->axisRect())
        return false;
    if (painter->modes().testFlag(QCPPainter::pmVectorized))
        return false;
    const QPaintDevice* device = painter->device();
    if (!device || (device->devType() != QInternal::Pixmap && device->devType() != QInternal::Image))
        return false;
    if (device->devicePixelRatio() != 1.0)
        return false;
    const QTransform t = painter->worldTransform();
    return t.type() == QTransform::TxNone ||
           (t.type() == QTransform::TxTranslate && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy()));
}

void ChartLineCanvas::applyDefaultAntialiasingHint(QCPPainter* painter) const { painter->setAntialiasing(false); }

QRect ChartLineCanvas::clipRect() const
{
    return mParentPlot && mParentPlot->axisRect() ? mParentPlot->axisRect()->rect() : QCPLayerable::clipRect();
}

void ChartLineCanvas::prepare()
{
    if (prepared_)
        return;
    prepared_ = true;
    area_ = mParentPlot->axisRect()->rect();
    if (image_.size() != area_.size()) {
        image_ = QImage(area_.size(), QImage::Format_ARGB32_Premultiplied);
        image_.fill(0);
    } else if (dirtyLeft_ <= dirtyRight_) {
        // Only what the last replot wrote needs clearing.
        const std::size_t bytes = std::size_t(dirtyRight_ - dirtyLeft_ + 1) * sizeof(uint32_t);
        for (int y = dirtyTop_; y <= dirtyBottom_; ++y)
            std::memset(reinterpret_cast<uint32_t*>(image_.scanLine(y)) + dirtyLeft_, 0, bytes);
    }
    dirtyLeft_ = dirtyTop_ = 0;
    dirtyRight_ = dirtyBottom_ = -1;
}

void ChartLineCanvas::plot(int x, int y)
{
    uint32_t* row = reinterpret_cast<uint32_t*>(image_.bits() + qsizetype(y) * image_.bytesPerLine());
    row[x] = opaque_ ? premultiplied_ : blend(row[x], premultiplied_);
}

void ChartLineCanvas::run(int x, int y0, int y1)
{
    // x and y in image pixels; the run goes from y0 to y1 in drawing order,
    // which is the order the dash pattern follows.
    const int height = image_.height();
    const bool inside = x >= 0 && x < image_.width();
    const int step = y1 >= y0 ? 1 : -1;
    if (dashes_.isEmpty()) {
        if (!inside)
            return;
        int lo = std::max(0, std::min(y0, y1));
        int hi = std::min(height - 1, std::max(y0, y1));
        if (lo > hi)
            return;
        touch(x, lo, hi);
        uchar* bits = image_.bits();
        const qsizetype stride = image_.bytesPerLine();
        if (opaque_) {
            for (int y = lo; y <= hi; ++y)
                reinterpret_cast<uint32_t*>(bits + y * stride)[x] = premultiplied_;
        } else {
            for (int y = lo; y <= hi; ++y)
                plot(x, y);
        }
        return;
    }
    // Dashed: walk the pixels, even the clipped ones, so the pattern keeps
    // its place; a run far outside is only counted.
    const int length = std::abs(y1 - y0) + 1;
    if (!inside || std::max(y0, y1) < 0 || std::min(y0, y1) >= height) {
        int left = length;
        while (left > 0) {
            const int take = std::min(left, dashLeft_);
            left -= take;
            dashLeft_ -= take;
            if (dashLeft_ == 0) {
                dashIndex_ = (dashIndex_ + 1) % int(dashes_.size());
                dashLeft_ = dashes_[dashIndex_];
            }
        }
        return;
    }
    for (int i = 0, y = y0; i < length; ++i, y += step) {
        if (dashIndex_ % 2 == 0 && y >= 0 && y < height) {
            plot(x, y);
            touch(x, y, y);
        }
        if (--dashLeft_ == 0) {
            dashIndex_ = (dashIndex_ + 1) % int(dashes_.size());
            dashLeft_ = dashes_[dashIndex_];
        }
    }
}

void ChartLineCanvas::beginLine(Qt::PenStyle style)
{
    if (!mParentPlot || !mParentPlot->axisRect())
        return;
    prepare();
    dashes_.clear();
    if (style != Qt::SolidLine && style != Qt::NoPen) {
        const QPen pen(Qt::black, 1, style);
        for (const qreal length : pen.dashPattern())
            dashes_.push_back(std::max(1, int(std::lround(length))));
        if (dashes_.size() % 2 != 0)
            dashes_.push_back(dashes_.back());
    }
    dashIndex_ = 0;
    dashLeft_ = dashes_.isEmpty() ? 0 : dashes_[0];
    penDown_ = false;
}

void ChartLineCanvas::setColour(uint32_t colour)
{
    if (colour == colour_ && premultiplied_ != 0)
        return;
    colour_ = colour;
    premultiplied_ = qPremultiply(colour);
    opaque_ = (colour >> 24) == 0xFF;
}

void ChartLineCanvas::column(int x, int first, int least, int greatest, int last, uint32_t colour)
{
    if (!prepared_ || image_.isNull() || (colour >> 24) == 0) {
        penDown_ = false;
        return;
    }
    setColour(colour);
    x -= area_.left();
    first -= area_.top();
    least -= area_.top();
    greatest -= area_.top();
    last -= area_.top();
    if (penDown_)
        segment(penX_, penY_, x, first);
    else
        run(x, first, first);
    if (dashes_.isEmpty()) {
        run(x, least, greatest); // first and last lie in between
    } else { // the way the line goes, for the pattern
        const bool downFirst = first - least <= greatest - first;
        segment(x, first, x, downFirst ? least : greatest);
        segment(x, downFirst ? least : greatest, x, downFirst ? greatest : least);
        segment(x, downFirst ? greatest : least, x, last);
    }
    penDown_ = true;
    penX_ = x;
    penY_ = last;
}

void ChartLineCanvas::segment(int x0, int y0, int x1, int y1)
{
    if (x0 == x1) {
        if (y0 != y1)
            run(x0, y0 + (y1 > y0 ? 1 : -1), y1);
        return;
    }
    // Each column the segment crosses gets the rows the line passes through
    // inside it: an unbroken 8-connected line.
    const int dx = x1 - x0;
    const int columns = std::abs(dx);
    const int sx = dx > 0 ? 1 : -1;
    const double slope = double(y1 - y0) / columns;
    int from = 0;
    int to = columns;
    if (dashes_.isEmpty()) { // solid: the clipped columns can go uncounted
        const int width = image_.width();
        from = std::max(from, sx > 0 ? -x0 : x0 - (width - 1));
        to = std::min(to, sx > 0 ? width - 1 - x0 : x0);
    }
    for (int c = from; c <= to; ++c) {
        const int ya = c == 0 ? y0 : int(std::lround(y0 + slope * (c - 0.5)));
        const int yb = c == columns ? y1 : int(std::lround(y0 + slope * (c + 0.5)));
        int start = ya;
        if (c == 0) { // the start pixel is the pen's, drawn before
            if (ya == yb)
                continue;
            start = ya + (yb > ya ? 1 : -1);
        }
        run(x0 + sx * c, start, yb);
    }
}

void ChartLineCanvas::draw(QCPPainter* painter)
{
    if (!prepared_)
        return;
    prepared_ = false; // the next replot starts with a clear image
    if (dirtyLeft_ > dirtyRight_)
        return;
    const QRect written = dirty();
    painter->drawImage(area_.topLeft() + written.topLeft(), image_, written);
}
