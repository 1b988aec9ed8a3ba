#include "program/Gateway.h"

#include "base/IniFile.h"
#include "base/SettingsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace obr9 {

namespace {

// The sampling lists of the channel and sampling dialog: a reported index
// outside a list selects nothing (-1), as the list would show. The voltage
// list starts with nothing selected, the temperature list on its first item.
constexpr int kVoltageIntervals = 5;
constexpr int kTemperatureIntervals = 15;
// The charting periods of the HQ-2 page's "period" choice ("1", "10",
// "60" seconds; anything else reads as 10); 1 s without a settings file.
constexpr int kPeriodsMs[3] = {1000, 10000, 60000};
// How often finish() looks whether a periodic chart file is written.
constexpr int kSaveWatchMs = 20;

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
    , logReporter_(std::make_unique<LogReporter>([this](const QString& t) { log(t); }))
    , program_(std::make_unique<Program>())
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
    connect(&p.link(), &ConnectionManager::secondsCounted, this, &Gateway::secondTick);
}

Gateway::~Gateway()
{
    if (!finished_) {
        finish();
        program_->stopMqtt();
    }
}

bool Gateway::start()
{
    Program& p = *program_;
    p.startUp(QString());
    p.recording().voltageIntervalIndex = -1;
    p.recording().temperatureIntervalIndex = 0;
    for (int m = 0; m < RelayModel::kModules; ++m)
        p.relayModel().module(m).rsid = m;
    if (!applySettingsFile())
        return false;
    if (!options_.recordDirectory.isEmpty()) {
        if (!QDir().mkpath(options_.recordDirectory)) {
            error_ = QStringLiteral("cannot make the record folder ") + options_.recordDirectory;
            return false;
        }
        startRecording();
    }
    const QString none = QStringLiteral("none");
    log(QStringLiteral("gateway: controller %1, modules %2, record %3, MQTT %4")
            .arg(options_.controllerHost.isEmpty()
                     ? none
                     : options_.controllerHost + QLatin1Char(':') +
                           QString::number(options_.controllerPort),
                 options_.modulesDevice.isEmpty() ? none : options_.modulesDevice,
                 options_.recordDirectory.isEmpty() ? none : options_.recordDirectory,
                 options_.mqtt.enabled()
                     ? options_.mqtt.address() + QLatin1Char(' ') + options_.mqtt.prefix
                     : none));
    if (options_.mqtt.enabled())
        p.startMqtt(options_.mqtt);
    if (!options_.controllerHost.isEmpty())
        connectController();
    if (!options_.modulesDevice.isEmpty())
        startModules();
    p.startTimers();
    return true;
}

// The keys as the window program reads them, without the windows; a missing
// file gives the same defaults (the channel names' fallbacks).
bool Gateway::applySettingsFile()
{
    IniFile ini;
    const bool exists = !options_.settingsFile.isEmpty();
    if (exists && (!QFileInfo(options_.settingsFile).isFile() || !ini.load(options_.settingsFile))) {
        error_ = QStringLiteral("cannot read the settings file ") + options_.settingsFile;
        return false;
    }
    SettingsKeyTable keys;
    bindSettings(keys);
    for (const QString& key : keys.load(ini, exists))
        log(QStringLiteral("settings: %1 not used").arg(key));
    program_->hq2().setChartingPeriod(chartingPeriodMs_);
    if (exists) {
        // The alarms' on-delay and deadband, and the table's names and limits.
        program_->alarms().loadSettings(ini);
        program_->alarms().loadChannelSettings(ini);
    }
    if (exists && !options_.mqtt.enabled())
        options_.mqtt = MqttSettings::fromIni(ini);
    return true;
}

void Gateway::bindSettings(SettingsKeyTable& keys)
{
    Hq2Model& hq2 = program_->hq2();
    // name9..24 internal, name25..40 external, name41..56 voltage channels.
    keys.bindFamily(
        QStringLiteral("name"),
        [&hq2](int n, const SettingsValue& v) {
            const int k = n - 9;
            hq2.setChannelName(k, v.text);
            if (k < 32)
                hq2.temperatureData().series[std::size_t(k < 16 ? 2 * k : 2 * (k - 16) + 1)].name =
                    v.text;
            else
                hq2.voltageData().series[std::size_t(k - 32)].name = v.text;
            return true;
        },
        {});
    keys.bind(
        QStringLiteral("period"),
        [this](const SettingsValue& v) {
            chartingPeriodMs_ = kPeriodsMs[v.text == QLatin1String("1")    ? 0
                                           : v.text == QLatin1String("60") ? 2
                                                                           : 1];
            return true;
        },
        {});
    keys.bindFamily(
        QStringLiteral("ID"),
        [this](int m, const SettingsValue& v) {
            program_->relayModel().module(m).rsid = v.number >= 0 && v.number < 8 ? v.number : -1;
            return true;
        },
        {});
}

void Gateway::startRecording()
{
    Program& p = *program_;
    p.recorder().setDirectory(options_.recordDirectory);
    p.recording().enabled = true;
    p.hq2().setChartFolder(options_.recordDirectory);
    p.hq2().setRecording(Hq2Model::TemperatureChart, true);
    p.hq2().setRecording(Hq2Model::VoltageChart, true);
}

void Gateway::startModules()
{
    modules_ = std::make_unique<ModulePort>(options_.modulesDevice, options_.modulesBaud);
    connect(modules_.get(), &ModulePort::logLine, this, &Gateway::log);
    Hq2Model& hq2 = program_->hq2();
    modules_->setSink([&hq2](const uint8_t* data, int count) { hq2.parse(data, count); });
    connect(modules_.get(), &ModulePort::polled, this, &Gateway::askNextRelayModule);
    connect(&hq2, &Hq2Model::chartingPeriodChanged, modules_.get(),
            [this](int ms) { modules_->start(ms); });
    modules_->start(chartingPeriodMs_);
}

// One module per poll: an answer carries no address and is taken for the
// module asked last, so the next question waits for the next poll.
void Gateway::askNextRelayModule()
{
    RelayModel& relays = program_->relayModel();
    for (int tries = 0; tries < RelayModel::kModules; ++tries) {
        const int m = nextRelayModule_;
        nextRelayModule_ = (nextRelayModule_ + 1) % RelayModel::kModules;
        if (relays.module(m).rsid >= 0) {
            modules_->write(relays.readState(m));
            return;
        }
    }
}

void Gateway::connectController()
{
    ConnectionManager& link = program_->link();
    link.setPortText(LinkText::lan);
    link.setHost(options_.controllerHost);
    link.setTcpPort(QString::number(options_.controllerPort));
    unansweredSeconds_ = 0;
    program_->CheckBoxConnectClick(true);
}

// Once the controller has answered, the live timer reconnects it after 16
// silent seconds. Before that first answer nothing would, and a gateway
// started before its controller would wait for ever: it is called again
// on the same rhythm.
void Gateway::secondTick()
{
    if (options_.controllerHost.isEmpty() || program_->link().deviceAnswered()) {
        unansweredSeconds_ = 0;
        return;
    }
    if (++unansweredSeconds_ <= ConnectionManager::kReconnectAfter)
        return;
    program_->CheckBoxConnectClick(false);
    connectController();
}

void Gateway::finish()
{
    if (finishing_)
        return;
    finishing_ = true;
    Program& p = *program_;
    p.stopTimers();
    if (modules_)
        modules_->stop();
    if (p.link().connectChecked())
        p.CheckBoxConnectClick(false);
    finishWhenSaved();
}

// A periodic chart file is written a slice per event-loop turn; the end
// waits for its last slice, so the day's file is whole.
void Gateway::finishWhenSaved()
{
    if (program_->hq2().periodicSaveRunning()) {
        QTimer::singleShot(kSaveWatchMs, this, &Gateway::finishWhenSaved);
        return;
    }
    program_->stopMqtt();
    finished_ = true;
    emit finished();
}

void Gateway::log(const QString& text)
{
    emit logLine(QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
                 text);
}

} // namespace obr9
