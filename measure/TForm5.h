// Channel and sampling settings: the controller's eight channel names and
// its two sampling intervals. The identification answer selects the
// intervals; eight-temperature frames fill the names while it is hidden.
#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    QComboBox* temperatureIntervals() const { return comboBox1_; } // ComboBox1
    QComboBox* voltageIntervals() const { return comboBox2_; }     // ComboBox2
    // Name field of controller channel k (Edit3, Edit4, Edit5, Edit6, Edit1,
    // Edit2, Edit7, Edit8 for k = 0..7).
    QLineEdit* nameField(int channel) const { return nameFields_[size_t(channel)]; }

private:
    QComboBox* comboBox1_ = nullptr;
    QComboBox* comboBox2_ = nullptr;
    std::array<QLineEdit*, 8> nameFields_{};
};
