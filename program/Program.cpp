#include "program/Program.h"

#include "protocol/Frames.h"

#include <utility>

namespace obr9 {

Program::Program(LinkControls* controls, QObject* parent)
    : QObject(parent)
    , controls_(controls ? controls : &ownControls_)
    , recording_(format_)
    , decoder_(state_, temperatureHistory_, voltageHistory_, format_)
{
    decoder_.setListener(this);
    gate_.setMemo([this](const QString& line) { emit memoWritten(line); });
    recording_.setMemo([this](const QString& line) { emit memoWritten(line); });
    link_ = std::make_unique<ConnectionManager>(*controls_, static_cast<LinkListener&>(*this));
    link_->setParserListener(this);
    link_->setReporter(&gate_);
    connect(&timer1_, &QTimer::timeout, this, &Program::Timer1Timer);
    connect(&timer2_, &QTimer::timeout, this, &Program::Timer2Timer);
}

Program::~Program()
{
    stopTimers();
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
    link_->deviceAnswered = false;
    link_->liveTimer = 0;
    link_->settingsDialogActive = false;
    link_->temperatureModuleSeen = false;
    link_->parser().setRequestMode(RequestData);
    state_.temperatureKind = TemperatureKind::None;
    temperatureHistory_.restart();
    voltageHistory_.restart();
    chartFileName = chartFile;
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
    emit chartSaveDue();
    emit relayCountdownDue();
    link_->Timer2Timer();
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
    if (graceful)
        link_->clientSocket().disconnectFromHost();
    else
        link_->clientSocket().abort();
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
    if (controls_ != &ownControls_) {
        emit connectSet(checked);
        return;
    }
    // A box only runs its handler when its state changes.
    if (ownControls_.connect == checked)
        return;
    ownControls_.connect = checked;
    link_->CheckBoxConnectClick();
}

void Program::setListenChecked(bool checked)
{
    if (controls_ != &ownControls_) {
        emit listenSet(checked);
        return;
    }
    if (ownControls_.listen == checked)
        return;
    CheckBox2Click(checked);
}

void Program::moduleBytes(const uint8_t* data, int count)
{
    if (moduleStreamSink)
        moduleStreamSink(data, count);
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
    setStatus(QStringLiteral("OBR-9 device connected v") + QString::number(version));
    emit deviceIdentified(version);
}

void Program::recordValues(const float* values, int count, RecordKind kind)
{
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
