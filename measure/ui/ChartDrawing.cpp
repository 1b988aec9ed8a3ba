#include "measure/ui/ChartDrawing.h"

#include "measure/StripChart.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace ChartDrawing {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
const QRgb kSilver = qRgb(192, 192, 192);

template <size_t N>
QImage background(const std::array<int, N>& rows)
{
    using namespace obr9::StripChart;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kWhite);
    for (int x : kGridColumns) {
        for (int y = 0; y < kHeight; ++y)
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = kSilver;
    }
    for (int y : rows) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line, line + kWidth, kSilver);
    }
    return image;
}

// Far-off coordinates are pulled in (the visible part of a line barely
// moves) so that the products in drawSegment stay within 64 bits.
int64_t pulledIn(int coordinate)
{
    constexpr int64_t far = int64_t(1) << 30;
    return std::clamp<int64_t>(coordinate, -far, far);
}

// a / b rounded to the nearest integer, halves away from zero; b != 0.
int64_t roundedQuotient(int64_t a, int64_t b)
{
    if (b < 0) {
        a = -a;
        b = -b;
    }
    return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b));
}

void drawSegment(QImage& image, QPoint from, QPoint to, QRgb colour)
{
    // The image is detached once by the caller; rows are reached by stride,
    // not by scanLine(), which checks sharing on every call.
    const int width = image.width();
    const int height = image.height();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto plot = [&](int64_t x, int64_t y) {
        if (x >= 0 && x < width && y >= 0 && y < height)
            reinterpret_cast<QRgb*>(bits + qsizetype(y) * stride)[x] = colour;
    };

    const int64_t x0 = pulledIn(from.x()), y0 = pulledIn(from.y());
    const int64_t x1 = pulledIn(to.x()), y1 = pulledIn(to.y());
    const int64_t dx = x1 - x0, dy = y1 - y0;
    if (dx == 0 && dy == 0) {
        plot(x0, y0);
        return;
    }
    if (std::llabs(dx) >= std::llabs(dy)) {
        const int64_t first = std::max<int64_t>(std::min(x0, x1), 0);
        const int64_t last = std::min<int64_t>(std::max(x0, x1), width - 1);
        for (int64_t x = first; x <= last; ++x)
            plot(x, y0 + roundedQuotient((x - x0) * dy, dx));
    } else {
        const int64_t first = std::max<int64_t>(std::min(y0, y1), 0);
        const int64_t last = std::min<int64_t>(std::max(y0, y1), height - 1);
        for (int64_t y = first; y <= last; ++y)
            plot(x0 + roundedQuotient((y - y0) * dx, dy), y);
    }
}

} // namespace

QImage voltageBackground()
{
    return background(obr9::StripChart::kVoltageGridRows);
}

QImage temperatureBackground()
{
    return background(obr9::StripChart::kTemperatureGridRows);
}

QColor channelColour(int channel)
{
    static const QColor colours[8] = {
        QColor(0, 0, 0),       QColor(255, 0, 0),     QColor(0, 0, 255),
        QColor(0, 128, 0),     QColor(192, 192, 192), QColor(128, 0, 0),
        QColor(0, 255, 255),   QColor(128, 0, 128),
    };
    return colours[std::clamp(channel, 0, 7)];
}

void drawPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    colour |= 0xFF000000u;
    if (points.size() == 1)
        drawSegment(image, points[0], points[0], colour);
    for (size_t i = 1; i < points.size(); ++i)
        drawSegment(image, points[i - 1], points[i], colour);
}

} // namespace ChartDrawing
