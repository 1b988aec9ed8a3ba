// An image control with a canvas: pictures are drawn onto it at (0, 0), and
// a double click is reported.
#pragma once

#include <QLabel>
#include <QPixmap>

class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Draws picture at (0, 0) over what the canvas shows.
    void draw(const QPixmap& picture);
    // The picture last drawn (tests read it back).
    QPixmap picture() const { return canvas_; }
    qint64 pictureKey() const { return lastKey_; }

signals:
    void doubleClicked();
    void pressed();  // any mouse button
    void released();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap canvas_;
    qint64 lastKey_ = 0;
};
