// Pictures of the chart window: the two backgrounds, the channel pens and a
// line drawer with pixel rules of its own.
//
// The traces are drawn here rather than with QPainter so that every pixel is
// known in advance: a segment covers both of its end points, and each step
// along its longer axis takes the nearest pixel on the shorter one (ties
// away from zero). Points may lie far outside the image; only the part of a
// segment inside it costs any time.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

#include <vector>

namespace ChartDrawing {

// White 1000 x 500 images with silver (192, 192, 192) grid lines.
QImage voltageBackground();
QImage temperatureBackground();

// Pen of temperature channel 0..7: black, red, blue, green (0, 128, 0),
// silver, maroon (128, 0, 0), aqua, purple (128, 0, 128).
QColor channelColour(int channel);

// Lines from each point to the next on an RGB32 image.
void drawPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour);

} // namespace ChartDrawing
