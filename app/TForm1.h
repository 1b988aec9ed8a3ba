// The main window. It owns every link, parser and decoder of the program for
// the life of the process; the pages arrive with their own features.
#pragma once

#include <QMainWindow>

class QTabWidget;

// Every main-window caption starts with this text; the rest is a status.
inline const QString captionPrefix = QStringLiteral("OBR-9 ver. 1.0. ");

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    void setStatusCaption(const QString& status);

private:
    QTabWidget* pageControl1_ = nullptr;
};
