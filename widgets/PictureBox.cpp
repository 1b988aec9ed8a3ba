#include "widgets/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::draw(const QPixmap& picture)
{
    if (canvas_.size() != size() || canvas_.isNull()) {
        canvas_ = QPixmap(size().expandedTo(picture.size()));
        canvas_.fill(Qt::transparent);
    }
    QPainter painter(&canvas_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, picture);
    painter.end();
    lastKey_ = picture.cacheKey();
    setPixmap(canvas_);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Accepted, not handed on: QLabel ignores mouse events, and an ignored
    // event travels up to the parent (a group box that selects its module).
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit pressed();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit released();
}
