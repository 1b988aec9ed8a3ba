// One strip chart of the chart window: a 1000 x 500 picture shown 1:1. It
// keeps its last drawing until the next one replaces it, shown or not.
#pragma once

#include <QImage>
#include <QWidget>

class ChartImage : public QWidget {
public:
    explicit ChartImage(QWidget* parent = nullptr);

    const QImage& image() const { return image_; }
    // Takes the picture and repaints; the widget keeps the picture's size.
    void setImage(QImage image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};
