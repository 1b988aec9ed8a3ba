// The chart window: voltage and temperature histories as strip charts.
// The drawing arrives with the recording work; the channel boxes and their
// colour swatches are here already, since the frame decoders rename, show
// and hide them.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    QCheckBox* channelBox(int channel) const { return checkBoxes_[size_t(channel)]; }
    QFrame* swatch(int channel) const { return shapes_[size_t(channel)]; }
    QLabel* kindLabel() const { return label32_; }

    // Runs whenever the controller's temperature sensor kind changes.
    void ComboBox1Change();

private:
    std::array<QCheckBox*, 8> checkBoxes_{}; // CheckBox1..CheckBox8
    std::array<QFrame*, 8> shapes_{};        // Shape1..Shape8
    QLabel* label32_ = nullptr;
};
