#include "measure/TForm5.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TForm5::TForm5(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(tr("Channel settings"));
    resize(420, 330);

    static const char* const editNames[8] = {"Edit3", "Edit4", "Edit5", "Edit6",
                                             "Edit1", "Edit2", "Edit7", "Edit8"};
    for (int k = 0; k < 8; ++k) {
        auto* caption = new QLabel(QStringLiteral("T%1").arg(k + 1), this);
        caption->setGeometry(12, 14 + 28 * k, 30, 22);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editNames[k]));
        edit->setMaxLength(24);
        edit->setGeometry(44, 12 + 28 * k, 170, 24);
        nameFields_[size_t(k)] = edit;
    }

    auto* voltageCaption = new QLabel(tr("Voltage sampling interval"), this);
    voltageCaption->setGeometry(230, 12, 180, 20);
    comboBox2_ = new QComboBox(this);
    comboBox2_->setObjectName(QStringLiteral("ComboBox2"));
    comboBox2_->setEditable(true);
    comboBox2_->addItems({"10/s", "5/s", "1/s", "1/2s", "1/10s"});
    comboBox2_->setCurrentIndex(-1);
    comboBox2_->setEditText(QStringLiteral("10/s"));
    comboBox2_->setGeometry(230, 34, 170, 26);

    auto* temperatureCaption = new QLabel(tr("Temperature sampling interval"), this);
    temperatureCaption->setGeometry(230, 72, 180, 20);
    comboBox1_ = new QComboBox(this);
    comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
    comboBox1_->addItems({"1/s", "1/2s", "1/5s", "1/10s", "1/30s", "1/1min", "1/2min", "1/5min",
                          "1/10min", "1/30min", "1/1h", "1/2h", "1/5h", "1/10h", ""});
    comboBox1_->setCurrentIndex(0);
    comboBox1_->setGeometry(230, 94, 170, 26);
}
