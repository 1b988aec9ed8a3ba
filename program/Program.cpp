#include "program/Program.h"

#include "program/MqttFeed.h"
#include "protocol/Frames.h"

#include <utility>

namespace obr9 {

Program::Program(QObject* parent)
    : QObject(parent)
    , decoder_(state_, temperatureHistory_, voltageHistory_)
{
    connect(&decoder_, &MeasurementDecoder::recordDue, this, &Program::recordValues);
    connect(&decoder_, &MeasurementDecoder::temperatureSampleStored, this,
            [this] { scheduleChartRedraw(false); });
    connect(&decoder_, &MeasurementDecoder::voltageSampleStored, this,
            [this] { scheduleChartRedraw(true); });
    gate_.setMemo([this](const QString& line) { emit memoWritten(line); });
    recording_.setMemo([this](const QString& line) { emit memoWritten(line); });
    alarms_.setMemo([this](const QString& line) { emit memoWritten(line); });
    alarms_.setReporter(&gate_);
    connect(&hq2_, &Hq2Model::channelRead, &alarms_, [this](const ModuleChannelReading& r) {
        alarms_.engine().reading(r.channel, r.internal, r.external);
    });
    link_ = std::make_unique<ConnectionManager>(static_cast<LinkListener&>(*this));
    link_->parser().setListener(this);
    link_->setReporter(&gate_);
    deviceConfig_ = std::make_unique<DeviceConfigSession>(static_cast<DeviceSession&>(*this));
    hq2_.setRelayListener(&relayAnswers_);
    connect(&hq2_, &Hq2Model::moduleConnected, this, &Program::hq2Connected);
    connect(&hq2_, &Hq2Model::chartingPeriodChanged, &timer1_,
            qOverload<int>(&QTimer::setInterval));
    connect(&timer1_, &QTimer::timeout, this, &Program::Timer1Timer);
    connect(&timer2_, &QTimer::timeout, this, &Program::Timer2Timer);
}

Program::~Program()
{
    stopTimers();
    stopMqtt();
    // The links go first: their last notifications still reach this object.
    link_.reset();
}

void Program::setReporter(Reporter* inner)
{
    gate_.setInner(inner);
}

void Program::startUp(const QString& chartFile)
{
    timer1_.setInterval(1000);
    timer2_.setInterval(1000);
    link_->resetLinkState();
    link_->parser().setRequestMode(RequestData);
    state_.temperatureKind = TemperatureKind::None;
    temperatureHistory_.restart();
    voltageHistory_.restart();
    setChartFileName(chartFile);
}

void Program::startTimers()
{
    timer1_.start();
    timer2_.start();
}

void Program::stopTimers()
{
    timer1_.stop();
    timer2_.stop();
}

void Program::setStatus(const QString& status)
{
    status_ = status;
    emit statusChanged(caption());
}

bool Program::toggleOutput(bool out2)
{
    bool& output = out2 ? state_.out2On : state_.out1On;
    output = !output;
    link_->SendFrame(outputCommand(state_.out2On, state_.out1On));
    return output;
}

void Program::Timer2Timer()
{
    hq2_.chartSaveStep();
    relayModel_.tick();
    link_->Timer2Timer();
    alarms_.engine().tick(moduleLinkOpen());
}

bool Program::moduleLinkOpen()
{
    if (!link_->connectChecked())
        return false;
    if (!link_->lanChosen())
        return link_->serialPort().IsOpen() && !link_->serialPortLost();
    return link_->lanRoute() == LanRoute::ModuleBus &&
           link_->clientSocket().state() == QAbstractSocket::ConnectedState;
}

void Program::startMqtt(const MqttSettings& settings)
{
    stopMqtt();
    if (!settings.enabled())
        return;
    mqtt_ = std::make_unique<MqttPublisher>(settings);
    feed_ = std::make_unique<MqttFeed>(*mqtt_);
    MqttPublisher* publisher = mqtt_.get();
    connect(publisher, &MqttPublisher::memoLine, this, &Program::memoWritten);
    connect(&hq2_, &Hq2Model::channelRead, publisher, [this](const ModuleChannelReading& r) {
        if (feed_)
            feed_->hq2Reading(r.channel, r.internal, r.external, r.volts);
    });
    connect(&relayModel_, &RelayModel::outputStateChanged, publisher,
            [this](int n) {
                if (feed_)
                    feed_->relayOutput(n, relayModel_.output(n).state != 0);
            });
    connect(&alarms_, &Alarms::changed, publisher, [this](const AlarmEvent& e) {
        if (feed_)
            feed_->alarm({e.timeMs, e.source, alarmKindText(e.kind), alarmStateText(e.state),
                          e.value, e.limit});
    });
    mqtt_->start();
}

void Program::stopMqtt()
{
    feed_.reset();
    mqtt_.reset();
}

void Program::ZapiszDane(const float* values, RecordKind kind)
{
    recording_.ZapiszDane(values, kind, state_.channelNames);
}

void Program::restartHistories(bool voltage, bool temperature)
{
    if (voltage)
        voltageHistory_.restart();
    if (temperature)
        temperatureHistory_.restart();
}

// ---- device session ------------------------------------------------------

void Program::runParserOnce()
{
    ReceiveParser& parser = link_->parser();
    parser.Analizuj(0);
    parser.flushMessages();
}

void Program::closeClient(bool graceful)
{
    link_->closeClient(graceful);
}

void Program::dropLinks(bool listenToo)
{
    setConnectChecked(false);
    if (listenToo)
        setListenChecked(false);
}

// ---- link events ---------------------------------------------------------

void Program::setConnectChecked(bool checked)
{
    if (linkBoxesInWindow_) {
        emit connectSet(checked);
        return;
    }
    // A box only runs its handler when its state changes.
    if (link_->connectChecked() != checked)
        link_->CheckBoxConnectClick(checked);
}

void Program::setListenChecked(bool checked)
{
    if (linkBoxesInWindow_) {
        emit listenSet(checked);
        return;
    }
    if (link_->listenChecked() != checked)
        link_->CheckBox2Click(checked);
}

void Program::moduleBytes(const uint8_t* data, int count)
{
    // The link forgets the module at each click of "connect"; the next HQ-2
    // frame announces it again.
    if (!link_->temperatureModuleSeen())
        hq2_.parser().clearTemperatureModuleSeen();
    hq2_.parse(data, count);
}

void Program::hq2Connected()
{
    link_->setTemperatureModuleSeen(true);
    setStatus(QStringLiteral("HQ2 connected"));
}

void Program::conversionError(const QString& message)
{
    gate_.report({message, QStringLiteral("Error")});
}

void Program::linkError(const QString& message)
{
    emit memoWritten(message);
    gate_.report({message, caption()});
}

// ---- parser and decoder events ------------------------------------------

void Program::dataFrame(uint8_t type, const uint8_t* payload, int)
{
    decoder_.decode(type, payload);
}

void Program::identificationVersion(uint8_t version)
{
    link_->deviceIdentified();
    setStatus(QStringLiteral("OBR-9 device connected v") + QString::number(version));
    emit deviceIdentified(version);
}

void Program::recordValues(const float* values, int count, RecordKind kind)
{
    if (feed_)
        feed_->driverValues(kind, values, count);
    if (count >= CsvRecorder::valueCount(kind))
        ZapiszDane(values, kind);
}

// A read of 100 000 bytes stores thousands of samples; each redraw depends
// only on the rings, so one drawing when the read is done (readDone) gives
// the picture that drawing after every sample would leave. A sample stored
// outside a read is drawn at the next turn of the event loop.
void Program::scheduleChartRedraw(bool voltage)
{
    const bool queued = voltageRedrawDue_ || temperatureRedrawDue_;
    (voltage ? voltageRedrawDue_ : temperatureRedrawDue_) = true;
    if (queued)
        return;
    QMetaObject::invokeMethod(this, &Program::redrawDueCharts, Qt::QueuedConnection);
}

void Program::redrawDueCharts()
{
    const bool voltage = std::exchange(voltageRedrawDue_, false);
    const bool temperature = std::exchange(temperatureRedrawDue_, false);
    if (voltage)
        emit voltageChartDue();
    if (temperature)
        emit temperatureChartDue();
}

} // namespace obr9
