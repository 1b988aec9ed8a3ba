// The chart window: the controller's voltage and temperature histories as
// two strip charts of 1000 x 500 pixels, redrawn from the rings every time
// a frame arrives, shown or not. The channel boxes and their colour swatches
// are renamed, shown and hidden as the frame decoders report; unticking a
// box leaves its channel out of the next drawing.
#pragma once

#include "base/DisplayFormat.h"
#include "base/HistoryRing.h"
#include "measure/StripChart.h"

#include <QDialog>
#include <QImage>

#include <array>

class ChartImage;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;

namespace obr9 {
class Reporter;
struct DeviceState;
} // namespace obr9

class TForm4 : public QDialog {
    Q_OBJECT
public:
    // What the window draws: the program's rings and its sensor kind, which
    // outlive the window.
    TForm4(const obr9::DeviceState& state, const obr9::TemperatureHistory& temperatures,
           const obr9::VoltageHistory& voltage, QWidget* parent = nullptr);

    QCheckBox* channelBox(int channel) const { return checkBoxes_[size_t(channel)]; }
    QFrame* swatch(int channel) const { return shapes_[size_t(channel)]; }
    QLabel* kindLabel() const { return label32_; }
    QComboBox* rangeBox() const { return comboBox1_; } // "range", ComboBox1
    QComboBox* tminBox() const { return comboBox2_; }  // "Tmin", ComboBox2
    // Temperature scale, n = 0 the bottom label (Label14) .. 5 the top (Label9).
    QLabel* temperatureScaleLabel(int n) const { return temperatureScale_[size_t(n)]; }
    // Time scales, n = 0 at x = 0 .. 5 at x = 1000 (Label17.. and Label23..).
    QLabel* voltageTimeLabel(int n) const { return voltageTime_[size_t(n)]; }
    QLabel* temperatureTimeLabel(int n) const { return temperatureTime_[size_t(n)]; }
    const QImage& voltageImage() const;     // Image1
    const QImage& temperatureImage() const; // Image2

    // Where a "range" or "Tmin" that cannot be drawn is reported. The
    // report is posted, never shown inside the redraw that found it.
    void setReporter(obr9::Reporter* reporter) { reporter_ = reporter; }
    // The decimal separator of the captions and of scale labels with
    // decimals from now on (Recording::decimalSeparator).
    void setDecimalSeparator(QChar separator) { format_.setDecimalSeparator(separator); }

    // Rewrites the temperature scale from "Tmin" and "range"; runs when
    // either box changes and when the sensor kind changes. Text that cannot
    // be drawn leaves the labels as they are.
    void ComboBox1Change();

    // What the frame decoders report. A new sensor kind renames, shows and
    // hides the channel boxes and swatches and rewrites the scale; a value
    // enables its channel's box and shows in its caption.
    void showSensorKind(obr9::TemperatureKind kind);
    void showChannel(int channel, const QString& name, float celsius);
    void showTemperatureHumidity(float celsius, float humidityPercent);

    // The voltage trace, the frame last stored at x = 1000. Called once the
    // read that stored it is done, when the ring has already advanced.
    void redrawVoltage();
    // The temperature traces of the ticked channels (two in temperature and
    // humidity mode, the humidity on its own 0..100 % scale), drawn like the
    // voltage. The ring has advanced before this runs, whatever happens
    // here: a "range" or "Tmin" that cannot be drawn is reported once and
    // the last good scale is used.
    void RysujWykres();

    // The channel settings dialog's names and the sampling items it shows,
    // told here whenever the operator (or the controller) changes them.
    void setChartChoice(const std::array<QString, 8>& channelNames, const QString& voltageItem,
                        const QString& temperatureItem);
    // The "Charts" button: channel captions from the chosen names
    // (eight-temperature sensor) or "Temperature" and "Humidity", the two
    // time scales from the chosen sampling items, then shows the window.
    void showCharts();

    // The scale the next temperature redraw uses.
    obr9::StripChart::TemperatureScale lastGoodScale() const { return lastGoodScale_; }

private:
    struct ChartChoice {
        std::array<QString, 8> names{"Temp1", "Temp2", "Temp3", "Temp4",
                                     "Temp5", "Temp6", "Temp7", "Temp8"};
        QString voltageItem;
        QString temperatureItem;
    };

    void buildVoltageChart(QWidget* content);
    void buildTemperatureChart(QWidget* content);
    void buildChannelList(QWidget* content);
    obr9::TemperatureKind temperatureKind() const;
    // Reads the two boxes; nothing when their text cannot be drawn.
    std::optional<obr9::StripChart::TemperatureScale> typedScale(QString* problem) const;
    // The scale to draw with, reporting text that cannot be drawn once.
    obr9::StripChart::TemperatureScale drawingScale();
    void setTimeLabels(const std::array<QLabel*, 6>& labels,
                       const std::optional<obr9::StripChart::TimeSpan>& span);

    std::array<QCheckBox*, 8> checkBoxes_{}; // CheckBox1..CheckBox8
    std::array<QFrame*, 8> shapes_{};        // Shape1..Shape8
    QLabel* label32_ = nullptr;
    QComboBox* comboBox1_ = nullptr;
    QComboBox* comboBox2_ = nullptr;
    ChartImage* image1_ = nullptr;
    ChartImage* image2_ = nullptr;
    std::array<QLabel*, 6> temperatureScale_{}; // Label14 (bottom) .. Label9 (top)
    std::array<QLabel*, 6> voltageTime_{};      // Label17..Label22
    std::array<QLabel*, 6> temperatureTime_{};  // Label23..Label28

    const obr9::DeviceState& state_;
    const obr9::TemperatureHistory& temperatures_;
    const obr9::VoltageHistory& voltage_;
    QImage voltageBackground_;
    QImage temperatureBackground_;

    obr9::Reporter* reporter_ = nullptr;
    obr9::DisplayFormat format_;

    obr9::StripChart::TemperatureScale lastGoodScale_;
    QString reportedText_; // the bad "range" and "Tmin" last reported
    ChartChoice choice_;
};
