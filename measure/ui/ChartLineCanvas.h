// Dense lines of a chart, rasterised by hand into one image that goes onto
// the plot in a single drawImage.
//
// A long history is drawn as a few vertices per pixel column (first, least,
// greatest and last value of the column's points); for 48 series that is
// some 180 000 one-pixel segments, and QPainter's line drawer spends 20–30
// ms on them. Written straight into an image as pixel runs they cost well
// under a millisecond. The series add their lines while the plot draws its
// "main" layer; the canvas sits on a layer of its own just above and puts
// the image on the plot, then starts empty for the next replot.
//
// Only plain raster painting takes this path: a vector export (PDF) or a
// scaled painter gets the series' own QPainter lines, so accepts() is asked
// per replot.
#pragma once

#include <qcustomplot.h>

#include <QImage>
#include <QRect>
#include <QVector>

#include <algorithm>
#include <cstdint>

class ChartLineCanvas : public QCPLayerable {
    Q_OBJECT
public:
    // Adds itself on its own layer right above the plot's "main" layer.
    explicit ChartLineCanvas(QCustomPlot* plot);

    // True when lines drawn for this painter can go into the canvas: a
    // raster device, no vector export, no scaling or rotation.
    bool accepts(const QCPPainter* painter) const;

    // A series' line: the dash pattern of a one-pixel cosmetic pen of that
    // style; the pen starts lifted.
    void beginLine(Qt::PenStyle style);
    // One pixel column of the line at plot pixel x: from the first value
    // down or up to the least and greatest and on to the last (plot pixel
    // rows), in colour (0xAARRGGBB). The line comes from the last column's
    // last value unless the pen was lifted. Clipped to the axis rect.
    void column(int x, int first, int least, int greatest, int last, uint32_t colour);
    // A gap in the line: the next column starts afresh.
    void liftPen() { penDown_ = false; }

    // Pixels of the last image put on the plot (tests and the bench).
    const QImage& image() const { return image_; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;
    QRect clipRect() const override;

private:
    void prepare();
    void setColour(uint32_t colour);
    // Image pixels from (x0, y0), exclusive, to (x1, y1), inclusive.
    void segment(int x0, int y0, int x1, int y1);
    void run(int x, int y0, int y1); // one pixel column, y0..y1 inclusive
    void plot(int x, int y);

    QImage image_;
    QRect area_;        // the axis rect in plot pixels: where image_ goes
    // Image pixels written since the last clear, inclusive; empty while
    // left > right.
    int dirtyLeft_ = 0, dirtyTop_ = 0, dirtyRight_ = -1, dirtyBottom_ = -1;
    void touch(int x, int y0, int y1)
    {
        if (dirtyLeft_ > dirtyRight_) {
            dirtyLeft_ = dirtyRight_ = x;
            dirtyTop_ = y0;
            dirtyBottom_ = y1;
            return;
        }
        dirtyLeft_ = std::min(dirtyLeft_, x);
        dirtyRight_ = std::max(dirtyRight_, x);
        dirtyTop_ = std::min(dirtyTop_, y0);
        dirtyBottom_ = std::max(dirtyBottom_, y1);
    }
    QRect dirty() const { return QRect(QPoint(dirtyLeft_, dirtyTop_), QPoint(dirtyRight_, dirtyBottom_)); }
    bool prepared_ = false;
    uint32_t colour_ = 0;
    uint32_t premultiplied_ = 0;
    bool penDown_ = false;
    int penX_ = 0; // image pixel the pen rests on
    int penY_ = 0;
    bool opaque_ = true;
    QVector<int> dashes_; // on/off lengths in pixels; empty: solid
    int dashIndex_ = 0;
    int dashLeft_ = 0;
};
