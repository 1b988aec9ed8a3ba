// The main window. It owns the links, the parser and decoders, the device
// state and the histories for the life of the process, and shows what they
// report. Handlers read controls, call the core, and write controls.
#pragma once

#include "app/DriverPictures.h"
#include "base/Reporter.h"
#include "base/SettingsKeys.h"
#include "base/SettingsLocation.h"
#include "link/ConnectionManager.h"
#include "link/LinkControls.h"
#include "measure/CsvRecorder.h"
#include "base/HistoryRing.h"
#include "measure/ui/TForm5.h"
#include "protocol/DeviceState.h"
#include "protocol/DisplayFormat.h"
#include "protocol/MeasurementDecoder.h"
#include "protocol/ParserListener.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class PictureBox;
class ModulePage;
class RelayPage;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

// Every main-window caption starts with this text; the rest is a status.
inline const QString captionPrefix = QStringLiteral("OBR-9 ver. 1.0. ");

class TForm1 : public QMainWindow,
               private obr9::LinkControls,
               private obr9::LinkListener,
               private obr9::ParserListener,
               private obr9::MeasurementListener,
               private ChannelSettingsHost {
    Q_OBJECT
public:
    static constexpr int kDriverPage = 0;
    static constexpr int kRelayPage = 1;
    static constexpr int kTemperatureModulePage = 2;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The four further windows, created after this one and living as long.
    void attachDialogs(TForm2* login, TForm3* settings, TForm4* charts, TForm5* channels);
    // The start-up sequence: default state, then address history and
    // settings file.
    void startUp(const QStringList& arguments);

    // Where the settings file lives; tests point it into a temporary folder
    // before the windows are created.
    static std::optional<obr9::SettingsLocation>& settingsLocationOverride();
    // Every page binds its keys here before start-up reads the file.
    obr9::SettingsKeyTable& settingsKeys() { return settingsKeys_; }
    // Keys whose stored value could not be used at the last start-up.
    const QStringList& rejectedSettings() const { return rejectedSettings_; }
    // The shutdown sequence: address history and settings file.
    void FormClose();

    // Operator messages; tests replace the reporter so nothing is modal.
    void setReporter(obr9::Reporter* reporter);
    obr9::Reporter& reporter() const { return *reporter_; }

    obr9::ConnectionManager& link() { return *link_; }
    obr9::DeviceState& deviceState() { return state_; }
    obr9::TemperatureHistory& temperatureHistory() { return temperatureHistory_; }
    obr9::VoltageHistory& voltageHistory() { return voltageHistory_; }
    obr9::DisplayFormat& displayFormat() { return format_; }
    const DriverPictures& pictures() const { return pictures_; }
    TForm4* chartWindow() const { return form4_; }
    RelayPage* relayPage() const { return relayPage_; }
    ModulePage* modulePage() const { return modulePage_; }
    TForm5* channelSettings() const { return form5_; }
    QTimer& timer1() { return timer1_; }
    QTimer& timer2() { return timer2_; }
    QString chartFileName;

    // Seams for the pages that arrive later.
    std::function<void(const uint8_t*, int)> moduleStreamSink;   // module stream parser
    std::function<void()> chartSaveStep;                         // Timer2 step 1-2
    std::function<void()> relayCountdownStep;                    // Timer2 step 3

    void setStatusCaption(const QString& status);

    // The device settings dialog drops the links itself ("Save to device",
    // the end of a firmware upload): "connect" and, when asked, "listen"
    // go unchecked, as if the operator unticked them.
    void dropLinks(bool listenToo);

    // Recording: one line of the kind's values to its file while any of the
    // three "record" boxes is ticked. The recorder's folder and clock are
    // seams for tests.
    void ZapiszDane(const float* values, int kind);
    obr9::CsvRecorder& recorder() { return recorder_; }
    // Temperature redraw of the chart window (the decoder advances the ring).
    void RysujWykres();

    // Handlers.
    void CheckBoxConnectClick();
    void CheckBox2Click();
    void ComboBoxPortDropDown();
    void ComboBoxPortChange();
    void HostIPClick();
    void Image1DblClick();
    void Image2DblClick();
    void Button10Click();
    void Button9Click(); // "OBR-9 Settings": the login dialog
    void Button12Click(); // "Charts"
    void Button13Click(); // "Settings"
    void Timer1Timer();
    void Timer2Timer();
    void PageControl1Change();
    void PageControl1Resize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildConnectionGroup();
    void buildDriverPage(QWidget* page);
    void buildHiddenControls();
    void applyLayout();
    void bindSettings();
    void readSettings();
    void applyPollRate();
    obr9::SettingsLocation settingsLocation() const;
    void setPortTextEditable();

    // LinkControls
    bool connectChecked() const override;
    QString portText() const override;
    QString hostText() const override;
    QString tcpPortText() const override;
    QString speedText() const override;
    int activePage() const override;
    bool clearSecondsChecked() const override;

    // LinkListener
    void statusCaption(const QString& status) override;
    void memoLine(const QString& line) override;
    void serverLabel(const QString& text) override;
    void liveTimerShown(int seconds) override;
    void secondsShown(int seconds) override;
    void setConnectChecked(bool checked) override;
    void setListenChecked(bool checked) override;
    void moduleBytes(const uint8_t* data, int count) override;
    void historyRestart() override;
    void addressUsed(const QString& host) override;
    void settingsButtonEnabled(bool enabled) override;
    void closeDeviceSettings() override;
    void chartSaveTick() override;
    void relayCountdownTick() override;
    void conversionError(const QString& message) override;
    void linkError(const QString& message) override;

    // ParserListener
    void parserDiagnostics(const obr9::ParserDiagnostics& d) override;
    void dataFrame(uint8_t type, const uint8_t* payload, int length) override;
    void identificationVersion(uint8_t version) override;
    void voltageIntervalIndex(uint8_t index) override;
    void temperatureIntervalIndex(uint8_t index) override;
    void settingsRecordReceived(const uint8_t* record, int size) override;
    void uploadStep() override;
    void uploadAcknowledged(bool accepted) override;
    void readDone() override { redrawDueCharts(); }

    // MeasurementListener
    void temperatureKindChanged(int kind) override;
    void inputsOutputsChanged(const obr9::InputsOutputs& io) override;
    void temperatureChannelShown(int channel, const QString& name, const QString& text) override;
    void temperatureHumidityShown(const QString& temperatureText,
                                  const QString& humidityText) override;
    void voltageShown(const QString& text) override;
    void recordValues(const float* values, int count, int kind) override;
    void temperatureSampleStored() override;
    void voltageSampleStored() override;

    // ChannelSettingsHost
    bool linkChosen() const override;
    void channelSettingsMemo(const QString& line) override;
    void restartVoltageHistory() override;
    void restartTemperatureHistory() override;
    void sendChannelSettings(const QByteArray& frame) override;
    void relabelTemperatures(const std::array<QString, 8>& names) override;

    obr9::DeviceState state_;
    obr9::TemperatureHistory temperatureHistory_;
    obr9::VoltageHistory voltageHistory_;
    obr9::DisplayFormat format_;
    obr9::CsvRecorder recorder_;
    QStringList failingRecordFiles_; // reported once until written again
    // Chart redraws asked for during a read, drawn once it has returned.
    void scheduleChartRedraw(bool voltage);
    void redrawDueCharts();
    bool voltageRedrawDue_ = false;
    bool temperatureRedrawDue_ = false;
    obr9::MeasurementDecoder decoder_;
    std::unique_ptr<obr9::Reporter> defaultReporter_;
    // Every message passes the gate; the reporter set from outside (or the
    // message boxes) shows what it lets through.
    obr9::OnePerCauseReporter gate_;
    obr9::Reporter* reporter_ = nullptr;
    std::unique_ptr<obr9::ConnectionManager> link_;
    DriverPictures pictures_;
    QTimer timer1_;
    QTimer timer2_;
    int rememberedPage_ = 0;
    obr9::SettingsKeyTable settingsKeys_;
    QStringList rejectedSettings_;
    bool closed_ = false;

    RelayPage* relayPage_ = nullptr;
    ModulePage* modulePage_ = nullptr;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    TForm5* form5_ = nullptr;

    QTabWidget* pageControl1_ = nullptr;
    QGroupBox* connectionGroup_ = nullptr;
    QComboBox* comboBoxPort_ = nullptr;
    QLabel* label1_ = nullptr;
    QComboBox* hostIP_ = nullptr;
    QComboBox* comboBoxSpeed_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* editPort_ = nullptr;
    QCheckBox* checkBoxConnect_ = nullptr;
    QCheckBox* checkBox2_ = nullptr;
    QCheckBox* checkBox1_ = nullptr;
    QPushButton* button9_ = nullptr;
    QPushButton* button10_ = nullptr;
    QPushButton* button12_ = nullptr;
    QPushButton* button13_ = nullptr;
    QLabel* label75_ = nullptr;

    QGroupBox* groupBox1_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QGroupBox* groupBox3_ = nullptr;
    PictureBox* image1_ = nullptr; // OUT2
    PictureBox* image2_ = nullptr; // OUT1
    PictureBox* image3_ = nullptr; // IN2
    PictureBox* image4_ = nullptr; // IN1
    std::array<QLabel*, 8> temperatureLabels_{};
    QLabel* label18_ = nullptr;
    QCheckBox* recordIo_ = nullptr;          // CheckBox5
    QCheckBox* recordTemperature_ = nullptr; // CheckBox3
    QCheckBox* recordVoltage_ = nullptr;     // CheckBox4

    QPlainTextEdit* debugMemo_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label20_ = nullptr;
    QLabel* label23_ = nullptr;
    QLabel* label24_ = nullptr;
    QLabel* label25_ = nullptr;
    QLabel* label41_ = nullptr;
    QLineEdit* maskEdit1_ = nullptr;
    QCheckBox* checkBox7_ = nullptr;
};
