#include "app/PictureBox.h"

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
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    QLabel::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit released();
    QLabel::mouseReleaseEvent(event);
}
