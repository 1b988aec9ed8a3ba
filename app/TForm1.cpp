#include "app/TForm1.h"

#include <QLabel>
#include <QTabWidget>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    pageControl1_ = new QTabWidget(this);
    pageControl1_->setObjectName(QStringLiteral("PageControl1"));
    const char* pages[][2] = {{"TabSheet1", "Driver"}, {"TabSheet2", "VK8"}, {"TabSheet3", "HQ-2"}};
    for (const auto& page : pages) {
        auto* sheet = new QLabel(tr("This page is being built."), pageControl1_);
        sheet->setObjectName(QString::fromLatin1(page[0]));
        sheet->setAlignment(Qt::AlignCenter);
        pageControl1_->addTab(sheet, QString::fromLatin1(page[1]));
    }
    setCentralWidget(pageControl1_);
    resize(900, 640);
    setStatusCaption(QStringLiteral("OBR-9 device not connected"));
}

void TForm1::setStatusCaption(const QString& status)
{
    setWindowTitle(captionPrefix + status);
}
