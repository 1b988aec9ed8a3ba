// One series of a ChartData drawn by QCustomPlot straight from the chart's
// own storage: nothing is copied, so a day of points costs the plot no
// memory of its own.
//
// X is the point index (or the point's own X after a file said so). When
// more points fall into the view than there are pixel columns, each column
// is drawn from the envelope of its points (least, greatest, first, last
// value), which looks like the full line, spikes included, at the cost of
// one pass over the visible points. A segment takes the colour of the point
// it leads to, so a missing sensor's silver stretch shows where it was.
#pragma once

#include "measure/ChartSeries.h"

#include <qcustomplot.h>

#include <vector>

namespace obr9 {
class ChartData;
}
class ChartLineCanvas;

class ChartSeriesPlottable : public QCPAbstractPlottable {
    Q_OBJECT
public:
    ChartSeriesPlottable(const obr9::ChartData& chart, int series, QCPAxis* keyAxis, QCPAxis* valueAxis);

    int seriesIndex() const { return series_; }
    // Pixels the line is moved right and up for the depth effect; the data
    // stay as they are.
    void setDepthOffset(QPointF offset) { depth_ = offset; }
    QPointF depthOffset() const { return depth_; }
    // Dense lines go through the chart's canvas where it can take them.
    void setCanvas(ChartLineCanvas* canvas) { canvas_ = canvas; }

    // Least and greatest value of the points whose X lies in keys (all
    // points for an empty range); foundRange false without such points.
    QCPRange valueRangeIn(const QCPRange& keys, bool& foundRange) const;

    double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    const obr9::ChartSeries& series() const;
    QPen linePen(uint32_t colour) const;
    void drawByIndex(QCPPainter* painter, const obr9::ChartSeries& s);
    void drawOwnX(QCPPainter* painter, const obr9::ChartSeries& s);
    // The envelope_ columns into the chart's canvas.
    void drawDense(ChartLineCanvas& canvas, const obr9::ChartSeries& s, int first, int points);
    double runKey(int first, int points, std::size_t run) const;
    QPointF pixel(double key, double value) const;

    const obr9::ChartData& chart_;
    int series_;
    QPointF depth_;
    ChartLineCanvas* canvas_ = nullptr;
    std::vector<obr9::ChartSeries::Envelope> envelope_; // reused between draws
};
