// One strip chart of the HQ-2 page (ChartTemp or ChartVolt): a QCustomPlot
// that draws a ChartData it does not own, one ChartSeriesPlottable per
// series, with the chart's title, legend and axes.
//
// The axes on screen and the ChartData settings are kept in step both ways:
// every axis change is written into the settings (what a chart file
// stores), and syncFromData() shows what a loaded file brought.
//
// Mouse: drag a rectangle to zoom the time axis, the wheel zooms it too,
// double-click shows every point.
#pragma once

#include "measure/ChartData.h"
#include "measure/ui/ChartZoom.h"

#include <qcustomplot.h>

#include <vector>

class ChartBackWall;
class ChartLineCanvas;
class ChartSeriesPlottable;

class ModuleChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit ModuleChart(obr9::ChartData& data, QWidget* parent = nullptr);

    obr9::ChartData& data() { return data_; }
    const obr9::ChartData& data() const { return data_; }
    int seriesCount() const { return int(plottables_.size()); }
    ChartSeriesPlottable* seriesPlottable(int k) const;
    const ChartLineCanvas* lineCanvas() const { return canvas_; }

    // The whole chart was replaced (a file loaded): title, axes, names,
    // pens, visibility and 3-D view as the data say.
    void syncFromData();

    obr9::ChartZoom::Axis bottomAxis() const;
    void setBottomAxis(obr9::ChartZoom::Axis axis);
    obr9::ChartZoom::Axis leftAxis() const;
    void setLeftAxis(obr9::ChartZoom::Axis axis);
    bool leftAutomatic() const { return data_.settings.left.automatic; }
    void setLeftAutomatic(bool on);

    bool seriesVisible(int k) const;
    void setSeriesVisible(int k, bool visible);
    void setSeriesTitle(int k, const QString& title);
    bool view3D() const { return data_.settings.view3D; }
    void setView3D(bool on);

    // Fits an automatic left axis to the points in view, then replots. A
    // hidden chart waits until it is shown.
    void redraw(RefreshPriority priority = rpQueuedReplot);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void refreshLegend();
    void applyDepth();
    void fitLeftAxis();

    obr9::ChartData& data_;
    std::vector<ChartSeriesPlottable*> plottables_;
    QCPTextElement* title_ = nullptr;
    ChartBackWall* wall_ = nullptr;
    ChartLineCanvas* canvas_ = nullptr; // dense lines, drawn above the series
    bool dirty_ = true; // a redraw was asked for while hidden
};
