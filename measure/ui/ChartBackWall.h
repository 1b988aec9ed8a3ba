// The depth effect of a chart's "3D view": a shaded back wall and floor
// behind the plot area, drawn below the grid. The series are moved back
// towards the wall by their own depth offsets; no value changes.
#pragma once

#include <qcustomplot.h>

class ChartBackWall : public QCPLayerable {
    Q_OBJECT
public:
    // Adds itself on its own layer beneath the plot's grid.
    explicit ChartBackWall(QCustomPlot* plot);

    // Pixels the wall stands behind the front of the plot area; 0 hides it.
    void setDepth(double pixels) { depth_ = pixels; }
    double depth() const { return depth_; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;
    QRect clipRect() const override;

private:
    double depth_ = 0;
};
