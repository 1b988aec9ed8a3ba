#include "measure/ui/ChartImage.h"

#include <QPainter>

ChartImage::ChartImage(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartImage::setImage(QImage image)
{
    image_ = std::move(image);
    setFixedSize(image_.size());
    update();
}

void ChartImage::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}
