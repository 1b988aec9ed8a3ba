#include "app/DriverPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QPixmap blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A rocker switch seen from the front: the lit half shows the state.
QPixmap outputPicture(int size, bool on)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(size * 0.08, size * 0.08, size * 0.84, size * 0.84);
    p.setPen(QPen(QColor(60, 60, 60), size / 24.0));
    p.setBrush(QColor(220, 220, 220));
    p.drawRoundedRect(body, size * 0.12, size * 0.12);

    const QRectF rocker = body.adjusted(size * 0.14, size * 0.1, -size * 0.14, -size * 0.1);
    const QColor lit = on ? QColor(40, 170, 60) : QColor(150, 150, 150);
    QLinearGradient shade(rocker.topLeft(), rocker.bottomLeft());
    shade.setColorAt(0, on ? lit.lighter(130) : lit.darker(110));
    shade.setColorAt(1, on ? lit.darker(120) : lit.lighter(120));
    p.setPen(QPen(QColor(40, 40, 40), size / 32.0));
    p.setBrush(shade);
    p.drawRoundedRect(rocker, size * 0.06, size * 0.06);

    // I on top when on, O at the bottom when off.
    p.setPen(QPen(Qt::white, size / 14.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c = rocker.center();
    if (on) {
        p.drawLine(QPointF(c.x(), rocker.top() + size * 0.08), QPointF(c.x(), c.y() - size * 0.04));
    } else {
        const qreal r = size * 0.1;
        p.drawEllipse(QPointF(c.x(), c.y() + size * 0.12), r, r);
    }
    return pixmap;
}

// A round signal lamp: bright amber when the input is active.
QPixmap inputPicture(int size, bool active)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const qreal r = size * 0.38;
    p.setPen(QPen(QColor(70, 70, 70), size / 16.0));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(c, r + size * 0.06, r + size * 0.06);

    QRadialGradient glow(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
    if (active) {
        glow.setColorAt(0, QColor(255, 250, 200));
        glow.setColorAt(0.5, QColor(255, 190, 30));
        glow.setColorAt(1, QColor(200, 110, 0));
    } else {
        glow.setColorAt(0, QColor(150, 140, 120));
        glow.setColorAt(1, QColor(70, 60, 50));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, r, r);
    return pixmap;
}

} // namespace

DriverPictures DriverPictures::make(int size)
{
    return {outputPicture(size, true), outputPicture(size, false), inputPicture(size, true),
            inputPicture(size, false)};
}
