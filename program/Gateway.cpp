#include "program/Gateway.h"

#include "base/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace obr9 {

namespace {

// The sampling lists of the channel and sampling dialog: a reported index
// outside a list selects nothing (-1), as the list would show. The voltage
// list starts with nothing selected, the temperature list on its first item.
constexpr int kVoltageIntervals = 5;
constexpr int kTemperatureIntervals = 15;

int listIndex(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

// Operator messages have no box to go to: they become log lines.
class LogReporter : public Reporter {
public:
    explicit LogReporter(std::function<void(const QString&)> log) : log_(std::move(log)) {}
    void report(const OperatorMessage& message) override
    {
        log_(message.caption.isEmpty() ? message.text : message.caption + QStringLiteral(": ") +
                                                            message.text);
    }

private:
    std::function<void(const QString&)> log_;
};

} // namespace

Gateway::Gateway(GatewayOptions options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , program_(std::make_unique<Program>())
    , logReporter_(std::make_unique<LogReporter>([this](const QString& t) { log(t); }))
{
    Program& p = *program_;
    p.setReporter(logReporter_.get());
    connect(&p, &Program::memoWritten, this, &Gateway::log);
    connect(&p, &Program::statusChanged, this, [this](const QString& caption) {
        log(caption.mid(captionPrefix.size()));
    });
    connect(&p, &Program::voltageIntervalReported, this, [this](int index) {
        program_->recording().voltageIntervalIndex = listIndex(index, kVoltageIntervals);
    });
    connect(&p, &Program::temperatureIntervalReported, this, [this](int index) {
        program_->recording().temperatureIntervalIndex = listIndex(index, kTemperatureIntervals);
    });
    connect(&p, &Program::secondsCounted, this, &Gateway::secondTick);
}

Gateway::~Gateway()
{
    finish();
}

bool Gateway::start()
{
    Program& p = *program_;
    p.startUp(QString());
    p.recording().voltageIntervalIndex = -1;
    p.recording().temperatureIntervalIndex = 0;
    if (!applySettingsFile())
        return false;
    if (!options_.recordDirectory.isEmpty()) {
        if (!QDir().mkpath(options_.recordDirectory)) {
            error_ = QStringLiteral("cannot make the record folder ") + options_.recordDirectory;
            return false;
        }
        startRecording();
    }
    if (options_.mqtt.enabled())
        p.startMqtt(options_.mqtt);
    if (!options_.controllerHost.isEmpty())
        connectController();
    p.startTimers();
    return true;
}

bool Gateway::applySettingsFile()
{
    if (options_.settingsFile.isEmpty())
        return true;
    IniFile ini;
    if (!QFileInfo(options_.settingsFile).isFile() || !ini.load(options_.settingsFile)) {
        error_ = QStringLiteral("cannot read the settings file ") + options_.settingsFile;
        return false;
    }
    if (!options_.mqtt.enabled())
        options_.mqtt = MqttSettings::fromIni(ini);
    return true;
}

void Gateway::startRecording()
{
    Program& p = *program_;
    p.recorder().setDirectory(options_.recordDirectory);
    p.recording().enabled = true;
}

void Gateway::connectController()
{
    LinkChoice& choice = program_->linkChoice();
    choice.port = LinkText::lan;
    choice.host = options_.controllerHost;
    choice.tcpPort = QString::number(options_.controllerPort);
    program_->link().setLanChosen(true);
    choice.connect = true;
    unansweredSeconds_ = 0;
    program_->CheckBoxConnectClick();
}

// Once the controller has answered, the live timer reconnects it after 16
// silent seconds. Before that first answer nothing would, and a gateway
// started before its controller would wait for ever: it is called again
// on the same rhythm.
void Gateway::secondTick()
{
    if (options_.controllerHost.isEmpty() || program_->link().deviceAnswered) {
        unansweredSeconds_ = 0;
        return;
    }
    if (++unansweredSeconds_ <= ConnectionManager::kReconnectAfter)
        return;
    LinkChoice& choice = program_->linkChoice();
    choice.connect = false;
    program_->CheckBoxConnectClick();
    connectController();
}

void Gateway::finish()
{
    if (finished_)
        return;
    finished_ = true;
    Program& p = *program_;
    p.stopTimers();
    if (p.linkChoice().connect) {
        p.linkChoice().connect = false;
        p.CheckBoxConnectClick();
    }
    p.stopMqtt();
}

void Gateway::log(const QString& text)
{
    emit logLine(QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
                 text);
}

} // namespace obr9
