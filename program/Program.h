// The running program without its windows: the links and their manager, the
// receive parser and the frame decoders, the device state, the histories,
// the recording, the module bus (HQ-2 model with its stream parser, charts
// and periodic files; VK8 relay model) and the two timers. The windows own
// one Program, forward the operator's actions to it and show what it and
// its models report; they tell the connection manager the "Connection"
// group's choices (link()). Without windows (tests, a headless run) the
// caller tells it the same.
#pragma once

#include "alarm/Alarms.h"
#include "base/HistoryRing.h"
#include "base/Reporter.h"
#include "devconfig/DeviceConfigSession.h"
#include "devconfig/DeviceSession.h"
#include "link/ConnectionManager.h"
#include "link/LinkListener.h"
#include "measure/Hq2Model.h"
#include "measure/ModuleStreamListener.h"
#include "measure/Recording.h"
#include "mqtt/MqttPublisher.h"
#include "protocol/DeviceState.h"
#include "protocol/MeasurementDecoder.h"
#include "protocol/ParserListener.h"
#include "relay/RelayModel.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace obr9 {

class MqttFeed;

// Every main-window caption starts with this text; the rest is a status.
inline const QString captionPrefix = QStringLiteral("OBR-9 ver. 1.0. ");

class Program : public QObject,
                public DeviceSession,
                private LinkListener,
                private ParserListener {
    Q_OBJECT
public:
    explicit Program(QObject* parent = nullptr);
    ~Program() override;

    ConnectionManager& link() { return *link_; }
    ReceiveParser& parser() { return link_->parser(); }
    DeviceState& deviceState() { return state_; }
    TemperatureHistory& temperatureHistory() { return temperatureHistory_; }
    VoltageHistory& voltageHistory() { return voltageHistory_; }
    // The controller's frames as typed values, for the windows to show.
    MeasurementDecoder& decoder() { return decoder_; }
    // Its decimalSeparator is the one the windows show numbers with.
    Recording& recording() { return recording_; }
    // The VK8 outputs and modules the relay page shows and edits; the
    // module bus's state answers (kind 1) reach it directly.
    RelayModel& relayModel() { return relayModel_; }
    // The HQ-2 module: every module stream read goes to it (serial poll, or
    // the TCP client while the HQ-2 page is the route).
    Hq2Model& hq2() { return hq2_; }
    // Login, settings record and frame, firmware upload: the login and
    // settings dialogs show it and forward the operator's input to it.
    DeviceConfigSession& deviceConfig() { return *deviceConfig_; }
    CsvRecorder& recorder() { return recording_.recorder(); }
    // Alarms on the HQ-2 readings and the links, with their journal.
    Alarms& alarms() { return alarms_; }
    // A link that carries the module stream is open: the serial port, or
    // the TCP client while the temperature module page is shown.
    bool moduleLinkOpen();
    // A window shows "connect" and "listen": when the program ticks or
    // unticks one itself, it asks the window (connectSet, listenSet), whose
    // box then runs its handler as after a click. Without a window the
    // program runs the handler directly.
    void setLinkBoxesInWindow(bool inWindow) { linkBoxesInWindow_ = inWindow; }
    // Timer1 polls the serial port; Timer2 is the one-second housekeeping.
    QTimer& timer1() { return timer1_; }
    QTimer& timer2() { return timer2_; }

    // The last file of a file dialog (chart, firmware) or periodic chart
    // save; the third command line argument at start-up. Held by the HQ-2
    // model, which announces each change (chartFileNameChanged).
    QString chartFileName() const { return hq2_.chartFileName(); }
    void setChartFileName(const QString& name) { hq2_.setChartFileName(name); }

    // Every message passes a one-per-cause gate; inner shows what it lets
    // through.
    void setReporter(Reporter* inner);
    Reporter& reporter() override { return gate_; }

    // The state of a fresh start: no device, data requests, empty rings.
    void startUp(const QString& chartFile);
    void startTimers();
    void stopTimers();

    // The caption's status; statusChanged tells the window.
    void setStatus(const QString& status);
    QString caption() const { return captionPrefix + status_; }

    // Publishing of the readings to an MQTT broker, in either mode; a
    // publisher already running is stopped first ("offline"). Settings
    // without a host stop publishing.
    void startMqtt(const MqttSettings& settings);
    void stopMqtt();
    MqttPublisher* mqtt() { return mqtt_.get(); }
    MqttFeed* mqttFeed() { return feed_.get(); }

    // Operator actions.
    void CheckBoxConnectClick(bool connect) { link_->CheckBoxConnectClick(connect); }
    void CheckBox2Click(bool listen) { link_->CheckBox2Click(listen); }
    void Button10Click() { link_->Button10Click(); }
    // Switches OUT2 (out2 true) or OUT1 and sends both outputs; returns the
    // new state of the switched output.
    bool toggleOutput(bool out2);
    // The login dialog opens: the parser starts over with the next answer.
    void loginOpened() { link_->parser().requestReset(); }
    void Timer1Timer() { link_->Timer1Timer(); }
    // Periodic chart saves, relay countdown, then the seconds and the live
    // timer.
    void Timer2Timer();
    void ZapiszDane(const float* values, RecordKind kind);
    // New sampling rates: the old samples were taken at another rate.
    void restartHistories(bool voltage, bool temperature);

    // DeviceSession
    FrameSink& frames() override { return *link_; }
    void setRequestMode(uint8_t mode) override { link_->parser().setRequestMode(mode); }
    void runParserOnce() override;
    void takeArrivedBytes() override { link_->takeArrivedBytes(); }
    void closeClient(bool graceful) override;
    void dropLinks(bool listenToo) override;
    void setSettingsDialogActive(bool active) override { link_->setSettingsDialogActive(active); }
    void deviceSettingsClosed() override { link_->deviceSettingsClosed(); }
    QString chartFile() const override { return chartFileName(); }
    void setChartFile(const QString& path) override { setChartFileName(path); }

signals:
    void statusChanged(const QString& caption); // the whole caption
    void memoWritten(const QString& line);      // DebugMemo
    // The program sets "connect" or "listen" itself; the window ticks or
    // unticks the box, and its handler runs as after a click.
    void connectSet(bool checked);
    void listenSet(bool checked);
    void settingsAllowed(bool enabled); // Button9

    void diagnosticsShown(const obr9::ParserDiagnostics& d);
    void deviceIdentified(int version);
    void voltageIntervalReported(int index);
    void temperatureIntervalReported(int index);

    // A sample was stored: the chart is drawn once the read is done.
    void voltageChartDue();
    void temperatureChartDue();

private:
    // Kind-1 frames of the module bus, straight into the relay model.
    struct RelayAnswers final : ModuleStreamListener {
        explicit RelayAnswers(RelayModel& model)
            : model(model)
        {
        }
        void relayStateAnswer(const uint8_t* frame) override { model.stateAnswerFrame(frame); }
        RelayModel& model;
    };

    void hq2Connected();

    // LinkListener
    void statusCaption(const QString& status) override { setStatus(status); }
    void memoLine(const QString& line) override { emit memoWritten(line); }
    void setConnectChecked(bool checked) override;
    void setListenChecked(bool checked) override;
    void moduleBytes(const uint8_t* data, int count) override;
    void historyRestart() override { restartHistories(true, true); }
    void settingsButtonEnabled(bool enabled) override { emit settingsAllowed(enabled); }
    void closeDeviceSettings() override { deviceConfig_->linkDropped(); }
    void conversionError(const QString& message) override;
    void linkError(const QString& message) override;
    void controllerLinkLost(bool lost) override { alarms_.engine().setControllerLinkLost(lost); }

    // ParserListener
    void parserDiagnostics(const ParserDiagnostics& d) override { emit diagnosticsShown(d); }
    void dataFrame(uint8_t type, const uint8_t* payload, int length) override;
    void identificationVersion(uint8_t version) override;
    void voltageIntervalIndex(uint8_t index) override { emit voltageIntervalReported(index); }
    void temperatureIntervalIndex(uint8_t index) override
    {
        emit temperatureIntervalReported(index);
    }
    void settingsRecordReceived(const uint8_t* record, int size) override
    {
        deviceConfig_->settingsRecordReceived(record, size);
    }
    void uploadStep() override { deviceConfig_->uploadStep(); }
    void uploadAcknowledged(bool accepted) override { deviceConfig_->uploadAcknowledged(accepted); }
    void readDone() override { redrawDueCharts(); }
    void bytesReceived() override { link_->bytesArrived(); }

    // What the decoder has for the core: recording lines, stored samples.
    void recordValues(const float* values, int count, RecordKind kind);

    // Chart redraws asked for during a read, drawn once it has returned.
    void scheduleChartRedraw(bool voltage);
    void redrawDueCharts();

    bool linkBoxesInWindow_ = false;
    OnePerCauseReporter gate_;
    DeviceState state_;
    TemperatureHistory temperatureHistory_;
    VoltageHistory voltageHistory_;
    Recording recording_;
    RelayModel relayModel_;
    RelayAnswers relayAnswers_{relayModel_};
    Hq2Model hq2_{gate_};
    MeasurementDecoder decoder_;
    Alarms alarms_;
    std::unique_ptr<ConnectionManager> link_;
    std::unique_ptr<DeviceConfigSession> deviceConfig_;
    QTimer timer1_;
    QTimer timer2_;
    QString status_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::unique_ptr<MqttFeed> feed_;
    bool voltageRedrawDue_ = false;
    bool temperatureRedrawDue_ = false;
};

} // namespace obr9
