// The main window. It owns the Program (links, parser, decoders, device
// state, histories, recording) for the life of the process and shows what
// it reports. Handlers read controls, call the Program, and write controls.
#pragma once

#include "app/DriverPictures.h"
#include "base/DisplayFormat.h"
#include "base/SettingsKeys.h"
#include "base/SettingsLocation.h"
#include "measure/ui/TForm5.h"
#include "program/Program.h"

#include <QMainWindow>

#include <array>
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
class AlarmIndicator;
class AlarmWindow;
class PictureBox;
class TrayNotifier;
class ModulePage;
class RelayPage;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

using obr9::captionPrefix;

class TForm1 : public QMainWindow, private ChannelSettingsHost {
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
    obr9::Reporter& reporter() { return program_->reporter(); }

    obr9::Program& program() { return *program_; }
    obr9::ConnectionManager& link() { return program_->link(); }
    obr9::DeviceState& deviceState() { return program_->deviceState(); }
    obr9::TemperatureHistory& temperatureHistory() { return program_->temperatureHistory(); }
    obr9::VoltageHistory& voltageHistory() { return program_->voltageHistory(); }
    obr9::CsvRecorder& recorder() { return program_->recorder(); }
    QTimer& timer1() { return program_->timer1(); }
    QTimer& timer2() { return program_->timer2(); }
    const DriverPictures& pictures() const { return pictures_; }
    TForm4* chartWindow() const { return form4_; }
    RelayPage* relayPage() const { return relayPage_; }
    ModulePage* modulePage() const { return modulePage_; }
    TForm5* channelSettings() const { return form5_; }
    AlarmWindow* alarmWindow() const { return alarmWindow_; }

    void setStatusCaption(const QString& status) { program_->setStatus(status); }

    // The device settings dialog drops the links itself ("Save to device",
    // the end of a firmware upload): "connect" and, when asked, "listen"
    // go unchecked, as if the operator unticked them.
    void dropLinks(bool listenToo) { program_->dropLinks(listenToo); }

    // Recording: one line of the kind's values to its file while any of the
    // three "record" boxes is ticked.
    void ZapiszDane(const float* values, obr9::RecordKind kind) { program_->ZapiszDane(values, kind); }

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
    // Heights of the "Temperature" group: eight channels, or one sensor.
    static constexpr int kTemperatureGroupEight = 270;
    static constexpr int kTemperatureGroupSingle = 80;

    void buildConnectionGroup();
    void buildDriverPage(QWidget* page);
    void buildHiddenControls();
    // The alarm indicator, window and notifier; the table's limits and
    // names and the HQ-2 readings reach the alarms.
    void buildAlarms();
    void applyTableRow(int row);
    // Before the Program goes: nothing reaches its alarms any more.
    void releaseAlarms();
    void applyLayout();
    void bindSettings();
    void readSettings();
    void applyPollRate();
    obr9::SettingsLocation settingsLocation() const;

    // The "Connection" group's choices and the page's route, told to the
    // connection manager (also before each connect and listen).
    void pushLinkSettings();
    obr9::LanRoute lanRoute() const;

    // What the Program reports, shown.
    void connectProgram();
    void memoLine(const QString& line);
    void showDiagnostics(const obr9::ParserDiagnostics& d);
    void showSensorKind(obr9::TemperatureKind kind);
    void showInputsOutputs(const obr9::InputsOutputs& io);
    void showChannel(int channel, const QString& name, float celsius);
    void showTemperatureHumidity(float celsius, float humidityPercent);
    void showVoltage(float volts);
    // Numbers as the recording has them shown at this moment.
    obr9::DisplayFormat numberFormat() const;
    void updateRecording();

    // ChannelSettingsHost
    bool linkChosen() const override;
    void channelSettingsMemo(const QString& line) override;
    void restartVoltageHistory() override;
    void restartTemperatureHistory() override;
    void sendChannelSettings(const QByteArray& frame) override;
    void relabelTemperatures(const std::array<QString, 8>& names) override;

    std::unique_ptr<obr9::Reporter> defaultReporter_;
    std::unique_ptr<obr9::Program> program_;
    DriverPictures pictures_;
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
    AlarmIndicator* alarmIndicator_ = nullptr;
    AlarmWindow* alarmWindow_ = nullptr;
    TrayNotifier* trayNotifier_ = nullptr;

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
