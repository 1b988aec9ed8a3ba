// Draws the relay output pictures shipped in Icons/: 72 x 64, an off and an
// on look of a relay, a lamp, a fan, a pump, a heater and a valve; and the
// application icon obr9.png (256 x 256, transparent corners) that the
// desktop entry names: the controller's front with a temperature trace and
// its two output lamps.
//
//   obr9-make-icons <folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 72;
constexpr int kHeight = 64;
const QColor kInk(50, 50, 50);

void frame(QPainter& p, bool on)
{
    p.fillRect(0, 0, kWidth, kHeight, on ? QColor(236, 248, 236) : QColor(242, 242, 242));
    p.setPen(QPen(on ? QColor(40, 150, 60) : QColor(160, 160, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), 6, 6);
}

void relay(QPainter& p, bool on)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(12, 30, 20, 22); // coil
    for (int y = 34; y < 50; y += 4)
        p.drawLine(12, y, 32, y + 2);
    p.drawLine(40, 52, 40, 40);
    p.drawLine(62, 52, 62, 40);
    p.setPen(QPen(on ? QColor(30, 140, 50) : kInk, 3, Qt::SolidLine, Qt::RoundCap));
    if (on)
        p.drawLine(40, 40, 62, 40);
    else
        p.drawLine(40, 40, 60, 24);
    p.setBrush(on ? QColor(40, 200, 70) : QColor(120, 120, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(58, 14), 6, 6);
}

void lamp(QPainter& p, bool on)
{
    if (on) {
        QRadialGradient glow(QPointF(36, 26), 30);
        glow.setColorAt(0, QColor(255, 240, 120, 220));
        glow.setColorAt(1, QColor(255, 240, 120, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QPointF(36, 26), 30, 30);
    }
    p.setPen(QPen(kInk, 2));
    p.setBrush(on ? QColor(255, 225, 60) : QColor(225, 225, 225));
    p.drawEllipse(QPointF(36, 26), 15, 15);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(29, 41, 14, 12);
    p.drawLine(29, 45, 43, 45);
    p.drawLine(29, 49, 43, 49);
}

void fan(QPainter& p, bool on)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(36, 32), 24, 24);
    p.setBrush(on ? QColor(70, 150, 230) : QColor(170, 170, 170));
    const double turn = on ? 25.0 : 0.0;
    for (int blade = 0; blade < 3; ++blade) {
        p.save();
        p.translate(36, 32);
        p.rotate(blade * 120.0 + turn);
        QPainterPath path;
        path.moveTo(0, 0);
        path.cubicTo(6, -8, 6, -18, 0, -20);
        path.cubicTo(-5, -16, -5, -6, 0, 0);
        p.drawPath(path);
        p.restore();
    }
    p.setBrush(kInk);
    p.drawEllipse(QPointF(36, 32), 3, 3);
}

void pump(QPainter& p, bool on)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(on ? QColor(90, 170, 235) : QColor(205, 205, 205));
    p.drawEllipse(QPointF(32, 34), 17, 17);
    p.drawRect(49, 18, 14, 10); // outlet
    p.drawLine(8, 34, 15, 34);
    QPolygonF arrow;
    arrow << QPointF(24, 24) << QPointF(44, 34) << QPointF(24, 44);
    p.setBrush(on ? Qt::white : QColor(140, 140, 140));
    p.drawPolygon(arrow);
    p.drawLine(16, 56, 48, 56);
}

void heater(QPainter& p, bool on)
{
    const QColor hot = on ? QColor(225, 70, 40) : QColor(150, 150, 150);
    p.setPen(QPen(hot, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath coil;
    coil.moveTo(12, 48);
    for (int i = 0; i < 4; ++i) {
        const double x = 12 + i * 12;
        coil.lineTo(x + 6, 22);
        coil.lineTo(x + 12, 48);
    }
    p.drawPath(coil);
    p.setPen(QPen(kInk, 2));
    p.drawLine(10, 54, 62, 54);
    if (on) {
        p.setPen(QPen(QColor(240, 140, 60), 2));
        for (int x = 20; x <= 52; x += 16)
            p.drawArc(QRectF(x - 4, 6, 8, 10), 90 * 16, 180 * 16);
    }
}

void valve(QPainter& p, bool on)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(on ? QColor(60, 180, 90) : QColor(210, 210, 210));
    QPolygonF bowtie;
    bowtie << QPointF(12, 26) << QPointF(36, 40) << QPointF(12, 54);
    p.drawPolygon(bowtie);
    QPolygonF other;
    other << QPointF(60, 26) << QPointF(36, 40) << QPointF(60, 54);
    p.drawPolygon(other);
    p.drawLine(36, 40, 36, 18);
    p.setBrush(on ? QColor(60, 180, 90) : QColor(200, 70, 60));
    p.drawRect(26, 10, 20, 8);
    if (on) {
        p.setPen(QPen(QColor(30, 110, 200), 2));
        p.drawLine(4, 40, 10, 40);
        p.drawLine(62, 40, 68, 40);
    }
}

QImage applicationIcon()
{
    constexpr int kSize = 256;
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Housing.
    QLinearGradient body(0, 16, 0, 240);
    body.setColorAt(0, QColor(70, 90, 120));
    body.setColorAt(1, QColor(35, 45, 65));
    p.setPen(QPen(QColor(20, 25, 35), 6));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(16, 16, 224, 224), 28, 28);
    // Screen with a grid and a trace.
    const QRectF screen(40, 44, 176, 112);
    p.setPen(QPen(QColor(15, 20, 25), 4));
    p.setBrush(QColor(18, 40, 30));
    p.drawRoundedRect(screen, 8, 8);
    p.setPen(QPen(QColor(40, 90, 60), 2));
    for (int k = 1; k < 4; ++k) {
        const qreal y = screen.top() + screen.height() * k / 4;
        p.drawLine(QPointF(screen.left() + 6, y), QPointF(screen.right() - 6, y));
    }
    QPainterPath trace;
    for (int k = 0; k <= 40; ++k) {
        const qreal x = screen.left() + 10 + (screen.width() - 20) * k / 40.0;
        const qreal y = screen.center().y() + 8 - 30 * std::sin(k / 6.0) * std::exp(-k / 60.0) - k * 0.4;
        if (k == 0)
            trace.moveTo(x, y);
        else
            trace.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 240, 120), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
    // Output lamps: one on, one off.
    p.setPen(QPen(QColor(15, 20, 25), 4));
    p.setBrush(QColor(60, 220, 90));
    p.drawEllipse(QPointF(72, 196), 18, 18);
    p.setBrush(QColor(110, 110, 115));
    p.drawEllipse(QPointF(128, 196), 18, 18);
    // Terminal strip.
    p.setBrush(QColor(210, 160, 60));
    for (int k = 0; k < 3; ++k)
        p.drawRect(QRectF(168 + k * 18, 186, 12, 20));
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Icons");
    QDir().mkpath(folder);
    const std::pair<const char*, std::function<void(QPainter&, bool)>> kinds[] = {
        {"relay", relay}, {"lamp", lamp}, {"fan", fan},
        {"pump", pump},   {"heater", heater}, {"valve", valve}};
    for (const auto& [name, draw] : kinds) {
        for (bool on : {false, true}) {
            QImage image(kWidth, kHeight, QImage::Format_RGB888);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            frame(p, on);
            draw(p, on);
            p.end();
            const QString file =
                QDir(folder).filePath(QStringLiteral("%1_%2.bmp").arg(name, on ? "on" : "off"));
            if (!image.save(file, "BMP")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    const QString iconFile = QDir(folder).filePath(QStringLiteral("obr9.png"));
    if (!applicationIcon().save(iconFile, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(iconFile));
        return 1;
    }
    return 0;
}
