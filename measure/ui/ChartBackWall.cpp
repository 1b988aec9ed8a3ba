#include "measure/ui/ChartBackWall.h"

namespace {
const QString kWallLayer = QStringLiteral("wall");
}

ChartBackWall::ChartBackWall(QCustomPlot* plot)
    : QCPLayerable(plot)
{
    if (!plot->layer(kWallLayer))
        plot->addLayer(kWallLayer, plot->layer(QStringLiteral("grid")), QCustomPlot::limBelow);
    setLayer(kWallLayer);
}

void ChartBackWall::applyDefaultAntialiasingHint(QCPPainter* painter) const
{
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

QRect ChartBackWall::clipRect() const
{
    return mParentPlot->axisRect() ? mParentPlot->axisRect()->rect() : QCPLayerable::clipRect();
}

void ChartBackWall::draw(QCPPainter* painter)
{
    if (depth_ <= 0 || !mParentPlot->axisRect())
        return;
    const QRectF front = mParentPlot->axisRect()->rect();
    const QRectF back = front.translated(depth_, -depth_);

    // Floor: the band between the front and the back bottom edges.
    const QPolygonF floor{front.bottomLeft(), front.bottomRight(), back.bottomRight(), back.bottomLeft()};
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(214, 214, 220));
    painter->drawPolygon(floor);
    // Left side wall.
    const QPolygonF side{front.topLeft(), front.bottomLeft(), back.bottomLeft(), back.topLeft()};
    painter->setBrush(QColor(228, 228, 234));
    painter->drawPolygon(side);

    QLinearGradient shade(back.topLeft(), back.bottomLeft());
    shade.setColorAt(0, QColor(250, 250, 252));
    shade.setColorAt(1, QColor(232, 232, 238));
    painter->setBrush(shade);
    painter->setPen(QPen(QColor(150, 150, 160), 1));
    painter->drawRect(back);
    painter->drawLine(front.bottomLeft(), back.bottomLeft());
    painter->drawLine(front.topLeft(), back.topLeft());
    painter->drawLine(front.bottomRight(), back.bottomRight());
}
