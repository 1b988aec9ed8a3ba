// Channel and sampling settings: the controller's eight channel names and
// its two sampling intervals. "Save " sends them in one frame; the
// controller keeps the names and returns them in its eight-temperature
// frames. The identification answer selects the intervals; eight-temperature
// frames fill the names while the dialog is hidden.
#pragma once

#include "measure/ChannelSettings.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;

// What "Save " needs of the main window.
class ChannelSettingsHost {
public:
    virtual ~ChannelSettingsHost() = default;
    // "connect" or "listen" is ticked.
    virtual bool linkChosen() const = 0;
    virtual void channelSettingsMemo(const QString& line) = 0;
    // The old samples were taken at another rate: draw from slot 0 again.
    virtual void restartVoltageHistory() = 0;
    virtual void restartTemperatureHistory() = 0;
    virtual void sendChannelSettings(const QByteArray& frame) = 0;
    // The eight temperature labels show name=value (no unit) at once.
    virtual void relabelTemperatures(const std::array<QString, 8>& names) = 0;
};

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    void setHost(ChannelSettingsHost* host) { host_ = host; }

    QComboBox* temperatureIntervals() const { return comboBox1_; } // ComboBox1
    QComboBox* voltageIntervals() const { return comboBox2_; }     // ComboBox2
    // Name field of controller channel k (Edit3, Edit4, Edit5, Edit6, Edit1,
    // Edit2, Edit7, Edit8 for k = 0..7, captions "Chanel 1" .. "Chanel 8").
    QLineEdit* nameField(int channel) const { return nameFields_[size_t(channel)]; }
    // A name as the controller reports it: kept whole, even past what the
    // operator may type (kTypedNameLength).
    void setChannelName(int channel, const QString& name);
    static constexpr int kTypedNameLength = 24;
    std::array<QString, 8> channelNames() const;
    // The sampling item the window shows: the selected item, or the typed
    // text while nothing is selected.
    QString voltageItem() const;
    QString temperatureItem() const;
    const obr9::SamplingChoice& savedSampling() const { return saved_; }

    // The identification answer's interval indexes.
    void showVoltageInterval(int index);
    void showTemperatureInterval(int index);
    // A name from an eight-temperature frame; taken only while the dialog
    // is hidden, so that it never overwrites what the operator is typing.
    void offerChannelName(int channel, const QString& name);

    void Button1Click(); // "Save "
    void Button2Click(); // "Cancel"

    // Sends chartChoiceChanged with what the dialog shows now.
    void announceChartChoice();

signals:
    // A name or a shown sampling item changed: what the chart window's
    // "Charts" takes.
    void chartChoiceChanged(const std::array<QString, 8>& names, const QString& voltageItem,
                            const QString& temperatureItem);
    // The sampling items shown changed (-1: none selected), the indexes
    // recorded lines carry.
    void samplingShown(int voltageIndex, int temperatureIndex);

private:
    obr9::SamplingChoice saved_;
    ChannelSettingsHost* host_ = nullptr;
    QComboBox* comboBox1_ = nullptr;
    QComboBox* comboBox2_ = nullptr;
    std::array<QLineEdit*, 8> nameFields_{};
    QPushButton* button1_ = nullptr;
    QPushButton* button2_ = nullptr;
};
