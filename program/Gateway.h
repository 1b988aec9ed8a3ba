// The program as a plant gateway: one Program without windows that takes
// the controller's frames (and the RS-485 modules' stream), records them and
// publishes them over MQTT. What the window program's operator would tick is
// given as options:
//
//   controller   "connect" with "LAN" on HOST:PORT; the live timer rules
//                call a silent controller again, and since nobody is there to
//                tick the box again, a controller that has not answered
//                within the same 16 seconds is called again too
//   modules      the RS-485 module port, open at the same time (ModulePort),
//                polled at the charting period as the HQ-2 page polls it;
//                its bytes go to the program's module bus. Each poll asks
//                the next of the four VK8 modules for its state ("Read
//                State"), at the bus address of the settings file's ID<m>,
//                else at address m
//   record       the three "record" boxes and both "record temperatures"
//                and "record voltages" ticked, the files in that folder
//   settings     the settings file, read and never written: the HQ-2
//                channel names, the charting period, the VK8 addresses
//   mqtt         the broker; without it the settings file's [MQTT] section
//                (whose User and Password stay out of the process list)
//
// Every memo line, status text and operator message becomes a log line with
// a timestamp (logLine), which main() writes to standard error.
#pragma once

#include "mqtt/MqttPublisher.h"
#include "program/ModulePort.h"
#include "program/Program.h"

#include <QObject>
#include <QString>

#include <memory>

namespace obr9 {

class SettingsKeyTable;

struct GatewayOptions {
    QString controllerHost; // empty: no controller link
    int controllerPort = 8090;
    QString modulesDevice; // empty: no module port
    int modulesBaud = 115200;
    QString recordDirectory; // empty: nothing recorded
    QString settingsFile;    // empty: defaults
    MqttSettings mqtt;       // no host: the settings file's [MQTT], if any
};

class Gateway : public QObject {
    Q_OBJECT
public:
    explicit Gateway(GatewayOptions options, QObject* parent = nullptr);
    ~Gateway() override;

    // Opens what the options name and starts the timers. False, with the
    // reason in error(), when an option cannot be used (a settings file that
    // cannot be read, a record folder that cannot be made).
    bool start();
    QString error() const { return error_; }

    // The clean end: the links closed, a periodic chart file that is being
    // written finished, "offline" published; then finished(). Nothing more
    // is read meanwhile.
    void finish();

    Program& program() { return *program_; }

signals:
    void logLine(const QString& line);
    void finished();

private:
    bool applySettingsFile();
    void bindSettings(SettingsKeyTable& keys);
    void startRecording();
    void connectController();
    void startModules();
    void askNextRelayModule();
    void finishWhenSaved();
    void log(const QString& text);
    void secondTick();

    GatewayOptions options_;
    // Outlives the program, whose last messages still reach it.
    std::unique_ptr<Reporter> logReporter_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ModulePort> modules_;
    QString error_;
    int chartingPeriodMs_ = 1000;
    int unansweredSeconds_ = 0;
    int nextRelayModule_ = 0;
    bool finishing_ = false;
    bool finished_ = false;
};

} // namespace obr9
