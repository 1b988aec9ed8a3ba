#include "measure/ui/ModuleChart.h"

#include "measure/ui/ChartExportMenu.h"

#include "measure/ui/ChartBackWall.h"
#include "measure/ui/ChartLineCanvas.h"
#include "measure/ui/ChartSeriesPlottable.h"

#include <algorithm>
#include <cmath>

using obr9::ChartData;
namespace ChartZoom = obr9::ChartZoom;

namespace {

constexpr double kMaxDepth = 28;      // pixels from the front to the back wall in 3-D
constexpr int kLegendRowHeight = 14; // pixels per legend line at the legend's font

// Time axis ticks read the point's time label where it has one.
class TimeLabelTicker : public QCPAxisTicker {
public:
    explicit TimeLabelTicker(const ChartData& chart)
        : chart_(chart)
    {
    }

protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override
    {
        const double index = std::round(tick);
        if (std::abs(tick - index) < 1e-9 && !chart_.series.empty()) {
            const obr9::ChartSeries& s = chart_.series.front();
            if (index >= 0 && index < s.size() && !s.hasOwnX()) {
                const QString time = chart_.labels.text(s.label(int(index)));
                if (!time.isEmpty())
                    return QString::number(qint64(index)) + QLatin1Char('\n') + time;
            }
        }
        return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
    }

private:
    const ChartData& chart_;
};

} // namespace

ModuleChart::ModuleChart(ChartData& data, QWidget* parent)
    : QCustomPlot(parent)
    , data_(data)
{
    setAutoAddPlottableToLegend(false);
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phCacheLabels, true);
    setBackground(Qt::white);
    ChartExportMenu::install(this, data_); // "Save image…", "Export CSV…"

    plotLayout()->insertRow(0);
    QFont titleFont = font();
    titleFont.setBold(true);
    title_ = new QCPTextElement(this, data_.settings.title, titleFont);
    plotLayout()->addElement(0, 0, title_);

    QFont small = font();
    small.setPointSizeF(std::max(6.5, small.pointSizeF() * 0.8));
    xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TimeLabelTicker(data_)));
    xAxis->setTickLabelFont(small);
    yAxis->setTickLabelFont(small);
    xAxis->grid()->setPen(QPen(QColor(215, 215, 215), 0, Qt::DotLine));
    yAxis->grid()->setPen(QPen(QColor(215, 215, 215), 0, Qt::DotLine));

    axisRect()->insetLayout()->take(legend);
    plotLayout()->addElement(1, 1, legend);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    plotLayout()->setColumnSpacing(14); // room for the last time label
    legend->setFont(small);
    legend->setIconSize(40, 8);
    legend->setRowSpacing(0);
    legend->setColumnSpacing(6);
    legend->setBorderPen(QPen(QColor(180, 180, 180)));
    legend->setFillOrder(QCPLayoutGrid::foRowsFirst, false);

    wall_ = new ChartBackWall(this);
    for (int k = 0; k < data_.seriesCount(); ++k)
        plottables_.push_back(new ChartSeriesPlottable(data_, k, xAxis, yAxis));
    canvas_ = new ChartLineCanvas(this);
    for (ChartSeriesPlottable* p : plottables_)
        p->setCanvas(canvas_);

    setInteractions(QCP::iRangeZoom);
    axisRect()->setRangeZoom(Qt::Horizontal);
    axisRect()->setRangeZoomFactor(0.85, 1);
    setSelectionRectMode(QCP::srmZoom);

    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this](const QCPRange& r) {
        data_.settings.bottom.minimum = r.lower;
        data_.settings.bottom.maximum = r.upper;
    });
    connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this](const QCPRange& r) {
        data_.settings.left.minimum = r.lower;
        data_.settings.left.maximum = r.upper;
    });
    syncFromData();
}

ChartSeriesPlottable* ModuleChart::seriesPlottable(int k) const
{
    return k >= 0 && k < seriesCount() ? plottables_[std::size_t(k)] : nullptr;
}

void ModuleChart::syncFromData()
{
    // Copies first: setting one axis end writes both back into the settings.
    const obr9::ChartSettings settings = data_.settings;
    title_->setText(settings.title);
    xAxis->setRange(settings.bottom.minimum, settings.bottom.maximum);
    yAxis->setRange(settings.left.minimum, settings.left.maximum);
    data_.settings.bottom.automatic = settings.bottom.automatic;
    data_.settings.left.automatic = settings.left.automatic;
    for (ChartSeriesPlottable* p : plottables_) {
        const obr9::ChartSeries& s = data_.series[std::size_t(p->seriesIndex())];
        p->setName(s.name);
        p->setVisible(s.visible);
    }
    legend->setVisible(settings.legendVisible);
    applyDepth();
    refreshLegend();
    redraw();
}

ChartZoom::Axis ModuleChart::bottomAxis() const { return {xAxis->range().lower, xAxis->range().upper}; }

void ModuleChart::setBottomAxis(ChartZoom::Axis axis)
{
    // QCPRange sorts its ends; the settings keep them as set.
    xAxis->setRange(axis.minimum, axis.maximum);
    data_.settings.bottom.minimum = axis.minimum;
    data_.settings.bottom.maximum = axis.maximum;
}

ChartZoom::Axis ModuleChart::leftAxis() const { return {yAxis->range().lower, yAxis->range().upper}; }

void ModuleChart::setLeftAxis(ChartZoom::Axis axis)
{
    yAxis->setRange(axis.minimum, axis.maximum);
    data_.settings.left.minimum = axis.minimum;
    data_.settings.left.maximum = axis.maximum;
}

void ModuleChart::setLeftAutomatic(bool on)
{
    data_.settings.left.automatic = on;
    redraw();
}

bool ModuleChart::seriesVisible(int k) const
{
    return k >= 0 && k < data_.seriesCount() && data_.series[std::size_t(k)].visible;
}

void ModuleChart::setSeriesVisible(int k, bool visible)
{
    if (k < 0 || k >= seriesCount() || k >= data_.seriesCount())
        return;
    data_.series[std::size_t(k)].visible = visible;
    plottables_[std::size_t(k)]->setVisible(visible);
    applyDepth();
    refreshLegend();
    redraw();
}

void ModuleChart::setSeriesTitle(int k, const QString& title)
{
    if (k < 0 || k >= seriesCount() || k >= data_.seriesCount())
        return;
    data_.series[std::size_t(k)].name = title;
    plottables_[std::size_t(k)]->setName(title);
    redraw();
}

void ModuleChart::setView3D(bool on)
{
    data_.settings.view3D = on;
    applyDepth();
    redraw();
}

void ModuleChart::applyDepth()
{
    const bool on = data_.settings.view3D;
    const double depth = on ? std::min(kMaxDepth, std::max(8.0, axisRect()->width() / 25.0)) : 0;
    wall_->setDepth(depth);
    // Visible series stand one behind the other, the first in front.
    int shown = 0;
    for (ChartSeriesPlottable* p : plottables_)
        shown += p->visible() ? 1 : 0;
    int j = 0;
    for (ChartSeriesPlottable* p : plottables_) {
        if (!on || !p->visible()) {
            p->setDepthOffset({});
            continue;
        }
        const double d = shown > 1 ? depth * j / (shown - 1) : depth / 2;
        p->setDepthOffset({d, d});
        ++j;
    }
    // The plot area leaves room above and right for the wall.
    axisRect()->setMinimumMargins(on ? QMargins(0, int(depth), int(depth), 0) : QMargins());
}

void ModuleChart::refreshLegend()
{
    legend->clearItems();
    // The wrap is set first: items are placed as they are added.
    const int rows = std::max(1, (height() - 50) / kLegendRowHeight);
    legend->setWrap(rows);
    for (ChartSeriesPlottable* p : plottables_) {
        if (p->visible())
            legend->addItem(new QCPPlottableLegendItem(legend, p));
    }
}

void ModuleChart::fitLeftAxis()
{
    if (!data_.settings.left.automatic)
        return;
    bool any = false;
    QCPRange all;
    for (ChartSeriesPlottable* p : plottables_) {
        if (!p->visible())
            continue;
        bool found = false;
        const QCPRange r = p->valueRangeIn(xAxis->range(), found);
        if (!found)
            continue;
        all = any ? QCPRange(std::min(all.lower, r.lower), std::max(all.upper, r.upper)) : r;
        any = true;
    }
    if (!any)
        return;
    double margin = (all.upper - all.lower) * 0.05;
    if (margin <= 0)
        margin = std::max(1.0, std::abs(all.upper) * 0.05);
    yAxis->setRange(all.lower - margin, all.upper + margin);
}

void ModuleChart::redraw(RefreshPriority priority)
{
    if (!isVisible()) {
        dirty_ = true;
        return;
    }
    dirty_ = false;
    fitLeftAxis();
    replot(priority);
}

void ModuleChart::showEvent(QShowEvent* event)
{
    QCustomPlot::showEvent(event);
    if (dirty_)
        redraw();
}

void ModuleChart::resizeEvent(QResizeEvent* event)
{
    QCustomPlot::resizeEvent(event);
    applyDepth();
    refreshLegend();
}

void ModuleChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    QCustomPlot::mouseDoubleClickEvent(event);
    int newest = 0;
    for (const obr9::ChartSeries& s : data_.series)
        newest = std::max(newest, s.size() - 1);
    setBottomAxis({0, double(std::max(newest, 1))});
    redraw();
}
