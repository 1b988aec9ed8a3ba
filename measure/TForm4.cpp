#include "measure/TForm4.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>

namespace {
const QColor kChannelColours[8] = {Qt::red,      Qt::blue,        QColor(0, 140, 0), Qt::magenta,
                                   Qt::darkCyan, QColor(200, 120, 0), Qt::darkGray, Qt::black};
}

TForm4::TForm4(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(tr("Charts"));
    resize(1180, 620);
    label32_ = new QLabel(QStringLiteral("Temperature"), this);
    label32_->setObjectName(QStringLiteral("Label32"));
    label32_->setGeometry(1040, 10, 130, 20);
    for (int k = 0; k < 8; ++k) {
        auto* shape = new QFrame(this);
        shape->setObjectName(QStringLiteral("Shape%1").arg(k + 1));
        shape->setGeometry(1040, 42 + 26 * k, 14, 14);
        shape->setAutoFillBackground(true);
        QPalette palette = shape->palette();
        palette.setColor(QPalette::Window, kChannelColours[k]);
        shape->setPalette(palette);
        shape->setFrameShape(QFrame::Box);
        shapes_[size_t(k)] = shape;

        auto* box = new QCheckBox(QStringLiteral("T%1").arg(k + 1), this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
        box->setGeometry(1060, 38 + 26 * k, 115, 22);
        box->setChecked(true);
        checkBoxes_[size_t(k)] = box;
    }
}

void TForm4::ComboBox1Change() {}
