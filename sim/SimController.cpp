#include "sim/SimController.h"

#include "sim/SimAddress.h"
#include "sim/SimFrames.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace obr9::sim {

namespace {
// Data frames are skipped while this many bytes still wait to go out one by
// one: a controller on a slow link drops samples rather than queue them.
constexpr qsizetype kTrickleBacklog = 1024;

// Never 0xFF (it would start a frame) and never '{' or 'd' (upload
// acknowledgements), so the garbage disturbs only the framing.
constexpr std::array<uint8_t, 8> kGarbagePool{0x00, 0x55, 0xAA, 0xFE, 0x01, 0x13, 0x80, 0x7F};

template <size_t N>
Milliseconds periodFor(const std::array<Milliseconds, N>& table, uint8_t index)
{
    return index < N ? table[index] : table[0];
}
} // namespace

SimController::SimController(SimOptions options, QObject* parent)
    : QObject(parent), options_(options), deviceConfig_(options.loginUser, options.loginPassword)
{
    upload_.setNakEvery(options.nakEvery);
    connect(&temperatureTimer_, &QTimer::timeout, this, &SimController::sendTemperatures);
    connect(&voltageTimer_, &QTimer::timeout, this, &SimController::sendVoltage);
    connect(&statusTimer_, &QTimer::timeout, this, &SimController::sendStatus);

    silenceTimer_.setSingleShot(true);
    connect(&silenceTimer_, &QTimer::timeout, this, &SimController::fallSilent);
    dropTimer_.setSingleShot(true);
    connect(&dropTimer_, &QTimer::timeout, this, [this] {
        if (link_)
            link_->flush();
        endConnection();
    });
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &SimController::connectSocket);

    trickleTimer_.setTimerType(Qt::PreciseTimer);
    trickleTimer_.setInterval(Milliseconds{1});
    connect(&trickleTimer_, &QTimer::timeout, this, &SimController::writeNextByte);
}

SimController::~SimController()
{
    blockSignals(true);
    stop();
}

bool SimController::listen(const QHostAddress& address, quint16 port)
{
    if (!isLoopbackIpv4(address)) {
        error_ = QStringLiteral("refusing %1: only addresses in 127.0.0.0/8 are allowed").arg(address.toString());
        return false;
    }
    stop();
    if (!server_) {
        server_ = new QTcpServer(this);
        connect(server_, &QTcpServer::newConnection, this, [this] {
            while (server_->hasPendingConnections())
                adoptConnection(server_->nextPendingConnection());
        });
    }
    if (!server_->listen(address, port)) {
        error_ = server_->errorString();
        return false;
    }
    return true;
}

quint16 SimController::serverPort() const
{
    return server_ && server_->isListening() ? server_->serverPort() : 0;
}

bool SimController::connectTo(const QHostAddress& address, quint16 port)
{
    if (!isLoopbackIpv4(address)) {
        error_ = QStringLiteral("refusing %1: only addresses in 127.0.0.0/8 are allowed").arg(address.toString());
        return false;
    }
    if (port == 0) {
        error_ = QStringLiteral("no port to connect to");
        return false;
    }
    stop();
    clientMode_ = true;
    peerAddress_ = address;
    peerPort_ = port;
    connectSocket();
    return true;
}

void SimController::stop()
{
    clientMode_ = false;
    reconnectTimer_.stop();
    endConnection();
    if (server_)
        server_->close();
}

bool SimController::isConnected() const
{
    return link_ && link_->state() == QAbstractSocket::ConnectedState;
}

void SimController::connectSocket()
{
    if (!clientMode_ || link_)
        return;
    auto* socket = new QTcpSocket(this);
    connect(socket, &QTcpSocket::connected, this, [this, socket] { adoptConnection(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        // Errors of an adopted link end in disconnected(); only a failed
        // attempt is handled here.
        if (socket == link_)
            return;
        socket->disconnect(this);
        socket->deleteLater();
        scheduleReconnect();
    });
    socket->connectToHost(peerAddress_, peerPort_);
}

void SimController::adoptConnection(QTcpSocket* socket)
{
    // One program at a time; a newer connection replaces an older one, as
    // after the program's own time-out and reconnect.
    endConnection();

    link_ = socket;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &SimController::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &SimController::endConnection);

    parser_.reset();
    upload_.abandon();
    trickle_.clear();
    pendingWhole_.clear();
    forgetQueuedFrames();
    silent_ = false;
    connectionClock_.start();
    applyPeriods();
    armFaultTimers();
    emit connectionStarted();
}

void SimController::endConnection()
{
    temperatureTimer_.stop();
    voltageTimer_.stop();
    statusTimer_.stop();
    silenceTimer_.stop();
    dropTimer_.stop();
    trickleTimer_.stop();
    trickle_.clear();
    pendingWhole_.clear();
    if (!link_)
        return;
    settleSentFrames();
    forgetQueuedFrames();

    QTcpSocket* socket = link_;
    link_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit connectionEnded();
    scheduleReconnect();
}

void SimController::scheduleReconnect()
{
    if (clientMode_)
        reconnectTimer_.start(reconnectDelay_);
}

void SimController::armFaultTimers()
{
    if (!link_)
        return;
    const Milliseconds elapsed{connectionClock_.elapsed()};
    auto arm = [elapsed](QTimer& timer, const std::optional<Milliseconds>& after) {
        if (after)
            timer.start(std::max(Milliseconds{0}, *after - elapsed));
        else
            timer.stop();
    };
    arm(dropTimer_, options_.dropAfter);
    if (!silent_)
        arm(silenceTimer_, options_.silentAfter);
}

void SimController::setBytePerWrite(bool on)
{
    options_.bytePerWrite = on;
    if (!on && !trickle_.isEmpty() && link_) {
        link_->write(trickle_);
        ++writeCount_;
        handedToLink(trickle_.size());
        for (qsizetype i = 0; i < qsizetype(trickleFrameEnds_.size()); ++i)
            frameEnds_.push_back(linkBytes_);
        trickleFrameEnds_.clear();
        trickle_.clear();
        trickleTimer_.stop();
        writePendingWhole();
    }
}

void SimController::setGarbage(bool on)
{
    options_.garbage = on;
}

void SimController::setSilentAfter(std::optional<Milliseconds> after)
{
    options_.silentAfter = after;
    if (!after && silent_) {
        silent_ = false;
        applyPeriods();
    }
    armFaultTimers();
}

void SimController::setDropAfter(std::optional<Milliseconds> after)
{
    options_.dropAfter = after;
    armFaultTimers();
}

void SimController::setBytePerWriteGap(Milliseconds gap)
{
    trickleTimer_.setInterval(gap);
}

void SimController::setPeriod(std::optional<Milliseconds> period)
{
    options_.period = period;
    applyPeriods();
}

void SimController::applyPeriods()
{
    if (!link_ || silent_) {
        temperatureTimer_.stop();
        voltageTimer_.stop();
        statusTimer_.stop();
        return;
    }
    temperatureTimer_.start(temperaturePeriod());
    voltageTimer_.start(voltagePeriod());
    statusTimer_.start(statusPeriod());
}

Milliseconds SimController::temperaturePeriod() const
{
    return options_.period ? *options_.period
                           : periodFor(kTemperaturePeriods, options_.temperatureIntervalIndex);
}

Milliseconds SimController::voltagePeriod() const
{
    return options_.period ? *options_.period : periodFor(kVoltagePeriods, options_.voltageIntervalIndex);
}

Milliseconds SimController::statusPeriod() const
{
    return options_.period ? *options_.period : kStatusPeriod;
}

void SimController::onReadyRead()
{
    if (!link_)
        return;
    QByteArray data = link_->readAll();
    takeUploadBytes(data);
    for (const SimRequest& request : parser_.feed(data))
        handle(request);
}

void SimController::handle(const SimRequest& request)
{
    emit requestReceived(request.bytes);
    switch (request.kind) {
    case SimRequest::Kind::Identification:
        // The program wants the whole answer within one read.
        send(identificationAnswer(options_.version, options_.voltageIntervalIndex,
                                  options_.temperatureIntervalIndex),
             true);
        break;
    case SimRequest::Kind::OutputCommand:
        applyOutputCommand(static_cast<uint8_t>(request.bytes[5]));
        break;
    case SimRequest::Kind::Login:
        // Status and record in one write: the program wants them in one read.
        send(deviceConfig_.loginAnswer(request.bytes));
        emit loginAnswered(deviceConfig_.lastLoginAccepted());
        break;
    case SimRequest::Kind::DeviceSettings:
        takeSettings(request.bytes);
        break;
    case SimRequest::Kind::UploadHeader:
        takeUploadHeader(request.bytes);
        break;
    case SimRequest::Kind::ChannelSettings:
        takeChannelSettings(request.bytes);
        break;
    case SimRequest::Kind::SettingsClose:
        // Recognised and consumed; not answered yet.
        break;
    }
}

void SimController::applyOutputCommand(uint8_t commandBits)
{
    // The command numbers the outputs the other way round from the status
    // frame: bit 0 is OUT2, bit 1 is OUT1.
    outputBits_ = static_cast<uint8_t>(((commandBits & 0x01) ? kStatusOut2 : 0) |
                                       ((commandBits & 0x02) ? kStatusOut1 : 0));
    send(inputsOutputsFrame(static_cast<uint8_t>(inputBits_ | outputBits_)));
}

void SimController::takeSettings(const QByteArray& frame)
{
    const QString why = deviceConfig_.takeSettings(frame);
    emit settingsFrameReceived(frame, why);
    if (why.isEmpty()) {
        // The controller restarts its network with the new settings.
        if (link_)
            link_->flush();
        endConnection();
    }
}

void SimController::takeUploadHeader(const QByteArray& header)
{
    const QByteArray answer = upload_.header(header);
    if (!answer.isEmpty())
        send(answer);
}

// While an upload runs, the raw blocks come before any request parsing; the
// data frames pause, since their bytes could read as '{' or 'd'.
void SimController::takeUploadBytes(QByteArray& data)
{
    if (!upload_.active())
        return;
    QByteArray answers;
    const qsizetype used = upload_.feed(data, answers);
    data.remove(0, used);
    if (!answers.isEmpty())
        send(answers);
    if (upload_.takeFinished())
        emit uploadFinished(upload_.file(), upload_.checksumOk());
}

// The controller keeps the names (they come back in its eight-temperature
// frames) and samples at the new intervals from now on. An index outside its
// list (FF: nothing chosen; the temperature list's empty last item) keeps
// that interval as it was.
void SimController::takeChannelSettings(const QByteArray& frame)
{
    if (frame.size() < SimRequestParser::kChannelSettingsSize)
        return;
    const auto voltageIndex = static_cast<uint8_t>(frame[4]);
    const auto temperatureIndex = static_cast<uint8_t>(frame[5]);
    if (voltageIndex < kVoltagePeriods.size())
        options_.voltageIntervalIndex = voltageIndex;
    if (temperatureIndex < kTemperaturePeriods.size())
        options_.temperatureIntervalIndex = temperatureIndex;
    for (int k = 0; k < kChannelCount; ++k) {
        const char* field = frame.constData() + 6 + kChannelNameField * k;
        readings_.setChannelName(k, QByteArray(field, int(qstrnlen(field, kChannelNameField))));
    }
    applyPeriods();
}

void SimController::fallSilent()
{
    silent_ = true;
    applyPeriods();
    emit fellSilent();
}

void SimController::sendTemperatures()
{
    if (options_.sensor == SensorKind::TemperatureHumidity) {
        const auto th = readings_.nextTemperatureHumidity();
        sendData(temperatureHumidityFrame(th.humidityPercent, th.celsius));
    } else {
        sendData(eightTemperaturesFrame(readings_.nextHalfDegrees(), readings_.channelNames()));
    }
}

void SimController::sendVoltage()
{
    sendData(voltageFrame(voltageCount(readings_.nextVolts())));
}

void SimController::sendStatus()
{
    inputBits_ = readings_.nextInputBits();
    sendData(inputsOutputsFrame(static_cast<uint8_t>(inputBits_ | outputBits_)));
}

void SimController::sendData(const QByteArray& frame)
{
    if (upload_.active())
        return;
    // While an answer waits, the trickle drains so the answer can follow.
    if (trickle_.size() > kTrickleBacklog || !pendingWhole_.isEmpty())
        return;
    if (!link_ || silent_)
        return;
    send(frame);
    // send() wrote it (and its garbage) or put it at the end of the trickle.
    if (options_.bytePerWrite)
        trickleFrameEnds_.push_back(trickleAppended_);
    else
        frameEnds_.push_back(linkBytes_);
}

void SimController::send(QByteArray block, bool whole)
{
    if (!link_ || silent_)
        return;
    if (options_.garbage)
        block.prepend(garbageBytes());
    emit blockSent(block);
    if (!options_.bytePerWrite) {
        link_->write(block);
        ++writeCount_;
        handedToLink(block.size());
        return;
    }
    if (whole) {
        pendingWhole_.append(block);
        if (trickle_.isEmpty())
            writePendingWhole();
        return;
    }
    trickle_.append(block);
    trickleAppended_ += block.size();
    if (!trickleTimer_.isActive()) {
        writeNextByte();
        if (!trickle_.isEmpty())
            trickleTimer_.start();
    }
}

void SimController::writeNextByte()
{
    if (!link_ || trickle_.isEmpty()) {
        trickleTimer_.stop();
        return;
    }
    link_->write(trickle_.left(1));
    ++writeCount_;
    handedToLink(1);
    ++trickleTaken_;
    if (!trickleFrameEnds_.empty() && trickleFrameEnds_.front() == trickleTaken_) {
        trickleFrameEnds_.pop_front();
        frameEnds_.push_back(linkBytes_);
    }
    link_->flush(); // into the system now, so each byte leaves on its own
    trickle_.remove(0, 1);
    if (trickle_.isEmpty()) {
        trickleTimer_.stop();
        writePendingWhole();
    }
}

void SimController::writePendingWhole()
{
    if (!link_)
        return;
    for (const QByteArray& block : std::as_const(pendingWhole_)) {
        link_->write(block);
        handedToLink(block.size());
        link_->flush();
        ++writeCount_;
    }
    pendingWhole_.clear();
}

qint64 SimController::dataFramesSent()
{
    settleSentFrames();
    return dataFramesSent_;
}

void SimController::handedToLink(qint64 count)
{
    linkBytes_ += count;
}

void SimController::forgetQueuedFrames()
{
    linkBytes_ = 0;
    frameEnds_.clear();
    trickleAppended_ = 0;
    trickleTaken_ = 0;
    trickleFrameEnds_.clear();
}

void SimController::settleSentFrames()
{
    if (!link_)
        return;
    // What the socket still buffers has not reached the system yet.
    const qint64 gone = linkBytes_ - link_->bytesToWrite();
    while (!frameEnds_.empty() && frameEnds_.front() <= gone) {
        frameEnds_.pop_front();
        ++dataFramesSent_;
    }
}

QByteArray SimController::garbageBytes()
{
    const int count = 1 + int(garbageCounter_ % 3);
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(static_cast<char>(kGarbagePool[(garbageCounter_ + unsigned(i)) % kGarbagePool.size()]));
    ++garbageCounter_;
    return out;
}

} // namespace obr9::sim
