#include "link/ConnectionManager.h"

#include "protocol/Frames.h"

#include <algorithm>

namespace obr9 {

namespace {
ParserListener& silentParserListener()
{
    static ParserListener none;
    return none;
}

// Serial line of the RS-485 modules, apart from the baud rate.
constexpr uint32_t kSerialQueueSize = 1024;
constexpr int kFallbackBaudRate = 500000;
} // namespace

ConnectionManager::ConnectionManager(LinkControls& controls, LinkListener& listener,
                                     QObject* parent)
    : QObject(parent)
    , controls_(controls)
    , listener_(listener)
    , parser_(this)
{
    connect(&client_, &QAbstractSocket::stateChanged, this,
            &ConnectionManager::onClientStateChanged);
    connect(&client_, &QAbstractSocket::connected, this, &ConnectionManager::onClientConnected);
    connect(&client_, &QAbstractSocket::disconnected, this,
            &ConnectionManager::onClientDisconnected);
    connect(&client_, &QIODevice::readyRead, this, &ConnectionManager::onClientReadyRead);
    // Socket errors are handled by being ignored: the caption keeps its last
    // status and "connect" stays checked (errorOccurred is not connected).
    connect(&server_, &QTcpServer::newConnection, this, &ConnectionManager::onServerConnection);
    readRest_.setSingleShot(true);
    readRest_.setInterval(0);
    connect(&readRest_, &QTimer::timeout, this, &ConnectionManager::readRest);
    serialReopen_.setInterval(kSerialReopenIntervalMs);
    connect(&serialReopen_, &QTimer::timeout, this, &ConnectionManager::tryReopenSerialPort);
}

ConnectionManager::~ConnectionManager()
{
    // No notifications into a half-destroyed owner.
    client_.disconnect(this);
    for (QTcpSocket* socket : std::as_const(serverClients_)) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

// ---- sending -------------------------------------------------------------

void ConnectionManager::SendFrame(const uint8_t* data, int length)
{
    if (length <= 0 || !data)
        return;
    if (controls_.connectChecked()) {
        if (lanChosen_) {
            // A closed client drops the bytes silently.
            if (client_.state() == QAbstractSocket::ConnectedState) {
                client_.write(reinterpret_cast<const char*>(data), length);
                client_.flush(); // hand the bytes to the system now, not at the next event
            }
            return;
        }
        if (serialReopen_.isActive())
            return; // the loss was reported once; nothing to write to
        const uint32_t written = serial_.Write(data, uint32_t(length));
        listener_.memoLine(written != 0 ? LinkText::sentRs485 : LinkText::serialWriteFailed);
        if (serial_.Lost())
            serialPortGone();
        return;
    }
    if (!serverClients_.isEmpty()) {
        QTcpSocket* first = serverClients_.first();
        first->write(reinterpret_cast<const char*>(data), length);
        first->flush();
        return;
    }
    listener_.memoLine(LinkText::noConnection);
}

void ConnectionManager::sendIdentificationRequest()
{
    SendFrame(identificationRequest());
}

void ConnectionManager::Button10Click()
{
    parser_.setRequestMode(RequestAnswer);
    sendIdentificationRequest();
    parser_.setRequestMode(RequestAnswer);
}

// ---- connect and listen --------------------------------------------------

void ConnectionManager::CheckBoxConnectClick()
{
    listener_.statusCaption(LinkText::deviceNotConnected);
    temperatureModuleSeen = false;

    if (!controls_.connectChecked()) {
        disconnect();
        return;
    }
    if (lanChosen_)
        connectTcpClient();
    else
        connectSerialPort();
}

void ConnectionManager::connectTcpClient()
{
    liveTimer = 0;
    const QString host = controls_.hostText();
    int port = 0;
    if (!textToInt(controls_.tcpPortText(), port) || port < 0 || port > 65535) {
        listener_.conversionError(notAnIntegerMessage(controls_.tcpPortText()));
        return; // nothing opened; the box stays checked
    }
    client_.abort();
    client_.connectToHost(host, quint16(port));
    parser_.requestReset();
    listener_.memoLine(controls_.portText());
    listener_.historyRestart();
    listener_.addressUsed(host);
}

ConnectionManager::Link ConnectionManager::activeLink() const
{
    if (controls_.connectChecked())
        return lanChosen_ ? Link::Client : Link::Serial;
    return serverClients_.isEmpty() ? Link::None : Link::Server;
}

void ConnectionManager::forgetAnswer(Link link)
{
    if (answeredLink_ != link)
        return;
    deviceAnswered = false;
    answeredLink_ = Link::None;
    liveTimer = 0;
}

bool ConnectionManager::openSerialPort()
{
    const QString portText = controls_.portText();
    bool ok = serial_.SetPortName(portText) && serial_.Open() && serial_.GetState();
    if (ok) {
        int baud = 0;
        if (!textToInt(controls_.speedText(), baud) || baud <= 0)
            baud = kFallbackBaudRate;
        SerialLineSettings& line = serial_.lineSettings;
        line.baudRate = baud;
        line.dataBits = QSerialPort::Data8;
        line.parity = QSerialPort::NoParity;
        line.stopBits = QSerialPort::OneStop;
        line.flowControl = QSerialPort::NoFlowControl;
        line.dataTerminalReady = false;
        line.requestToSend = false;
        serial_.inputQueueSize = kSerialQueueSize;
        serial_.outputQueueSize = kSerialQueueSize;
        serial_.timeouts = {100, 10, 100, 10, 100};
        ok = serial_.SetState() && serial_.SetupQueues() && serial_.SetTimeouts() &&
             serial_.GetState();
    }
    return ok;
}

void ConnectionManager::connectSerialPort()
{
    serialReopen_.stop();
    const QString portText = controls_.portText();
    if (openSerialPort()) {
        listener_.memoLine(LinkText::portOpened);
        listener_.memoLine(portText);
        listener_.memoLine(LinkText::speedPrefix + controls_.speedText());
        return;
    }
    listener_.memoLine(LinkText::portOpenFailed);
    // Unchecking runs the disconnect path, which closes a half-opened port.
    listener_.setConnectChecked(false);
}

void ConnectionManager::serialPortGone()
{
    if (serialReopen_.isActive())
        return;
    lostPortName_ = serial_.PortPath();
    serial_.Close();
    listener_.memoLine(LinkText::portLost + lostPortName_);
    listener_.statusCaption(LinkText::portLostCaption + lostPortName_);
    serialReopen_.start();
}

void ConnectionManager::tryReopenSerialPort()
{
    if (!controls_.connectChecked() || lanChosen_) {
        serialReopen_.stop();
        return;
    }
    if (!openSerialPort()) {
        serial_.Close();
        return; // next try in kSerialReopenIntervalMs
    }
    serialReopen_.stop();
    listener_.statusCaption(LinkText::deviceNotConnected);
    listener_.memoLine(LinkText::portOpened);
    listener_.memoLine(controls_.portText());
    listener_.memoLine(LinkText::speedPrefix + controls_.speedText());
}

void ConnectionManager::disconnect()
{
    serialReopen_.stop();
    if (lanChosen_) {
        client_.abort();
        forgetAnswer(Link::Client);
    } else {
        serial_.Close();
    }
    listener_.closeDeviceSettings();
    deviceSettingsClosed();
    listener_.memoLine(LinkText::portClosed);
}

void ConnectionManager::deviceSettingsClosed()
{
    // However the dialog closed: the live timer counts again.
    settingsDialogActive = false;
    listener_.settingsButtonEnabled(true);
    if (controls_.connectChecked()) {
        parser_.setRequestMode(RequestData);
        static const uint8_t closeFrame[2] = {0xFF, 0x00};
        SendFrame(closeFrame, 2);
    } else {
        listener_.memoLine(LinkText::noConnection);
    }
}

void ConnectionManager::CheckBox2Click(bool listen)
{
    if (listen) {
        int port = 0;
        if (!textToInt(controls_.tcpPortText(), port) || port < 0 || port > 65535) {
            listener_.conversionError(notAnIntegerMessage(controls_.tcpPortText()));
            return;
        }
        server_.close();
        if (server_.listen(listenAddress_, quint16(port))) {
            listener_.serverLabel(LinkText::listening);
        } else {
            // A port in use must not look like a server waiting for clients.
            listener_.serverLabel(LinkText::serverIdle);
            listener_.linkError(QStringLiteral("Cannot listen on port %1: %2")
                                    .arg(port)
                                    .arg(server_.errorString()));
        }
    } else {
        server_.close();
        const QList<QTcpSocket*> clients = serverClients_;
        serverClients_.clear();
        for (QTcpSocket* socket : clients) {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
        listener_.statusCaption(LinkText::notConnected);
        listener_.serverLabel(LinkText::clientDisconnected);
        forgetAnswer(Link::Server);
    }
    parser_.requestReset();
}

QStringList ConnectionManager::ComboBoxPortDropDown() const
{
    QStringList items;
    EnumeratePorts(items);
    items.append(LinkText::lan);
    return items;
}

// ---- socket notifications ------------------------------------------------

void ConnectionManager::onClientStateChanged(QAbstractSocket::SocketState state)
{
    if (state == QAbstractSocket::ConnectingState)
        listener_.statusCaption(LinkText::tryToConnect);
}

void ConnectionManager::onClientConnected()
{
    listener_.statusCaption(LinkText::connected);
    sendIdentificationRequest();
    parser_.setRequestMode(RequestAnswer);
}

void ConnectionManager::onClientDisconnected()
{
    listener_.statusCaption(LinkText::notConnected);
}

void ConnectionManager::onClientReadyRead()
{
    readSocketIntoParser(client_, true);
}

void ConnectionManager::readSocketIntoParser(QTcpSocket& socket, bool moduleStreamAllowed)
{
    // At most one portion per notification. A backlog is read in
    // portions with the event loop turning in between (window repaints,
    // timers, input), so the rest is queued for the next turn: the socket
    // would not notify again for bytes it already holds.
    static_assert(kSocketReadPortion <= ReceiveParser::kReceiveBufferSize);
    readBuffer_.resize(kSocketReadPortion);
    const qint64 n = socket.read(reinterpret_cast<char*>(readBuffer_.data()), kSocketReadPortion);
    if (n > 0) {
        readingFrom_ = &socket == &client_ ? Link::Client : Link::Server;
        if (moduleStreamAllowed && controls_.activePage() == kTemperatureModulePage)
            listener_.moduleBytes(readBuffer_.data(), int(n));
        else
            parser_.acceptRead(readBuffer_.data(), int(n));
        readingFrom_ = Link::None;
    }
    // A zero timer, not a posted call: it runs when the loop has nothing
    // else to do, so timers and input get their turn between portions.
    if (socket.bytesAvailable() > 0 && !readRest_.isActive())
        readRest_.start();
}

void ConnectionManager::readRest()
{
    // Sockets closed or gone meanwhile hold nothing to read.
    if (client_.bytesAvailable() > 0)
        readSocketIntoParser(client_, true);
    const QList<QTcpSocket*> clients = serverClients_;
    for (QTcpSocket* socket : clients) {
        if (serverClients_.contains(socket) && socket->bytesAvailable() > 0)
            readSocketIntoParser(*socket, false);
    }
}

void ConnectionManager::onServerConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(nullptr);
        serverClients_.append(socket);
        connect(socket, &QIODevice::readyRead, this,
                [this, socket] { onServerClientReadyRead(socket); });
        connect(socket, &QAbstractSocket::disconnected, this,
                [this, socket] { onServerClientDisconnected(socket); });
        listener_.serverLabel(LinkText::clientConnected);
        listener_.statusCaption(LinkText::connected);
        sendIdentificationRequest();
        parser_.setRequestMode(RequestAnswer);
    }
}

void ConnectionManager::onServerClientDisconnected(QTcpSocket* socket)
{
    if (!serverClients_.removeOne(socket))
        return;
    socket->disconnect(this);
    socket->deleteLater();
    listener_.serverLabel(LinkText::clientDisconnected);
    listener_.statusCaption(LinkText::notConnected);
    forgetAnswer(Link::Server);
}

void ConnectionManager::onServerClientReadyRead(QTcpSocket* socket)
{
    readSocketIntoParser(*socket, false);
}

// ---- timers --------------------------------------------------------------

void ConnectionManager::Timer1Timer()
{
    if (!serial_.IsOpen())
        return;
    if (serial_.Lost()) {
        serialPortGone();
        return;
    }
    readBuffer_.resize(kSerialBufferSize);
    int count = 0;
    uint32_t available = 0;
    while ((available = serial_.BytesAvailable()) > 0 && count < kSerialBufferSize) {
        const uint32_t want = std::min({available, uint32_t(kSerialReadChunk),
                                        uint32_t(kSerialBufferSize - count)});
        const uint32_t got = serial_.Read(readBuffer_.data() + count, want);
        if (got == 0)
            break;
        count += int(got);
    }
    listener_.moduleBytes(readBuffer_.data(), count);
    if (serial_.Lost())
        serialPortGone();
}

void ConnectionManager::Timer2Timer()
{
    if (controls_.clearSecondsChecked())
        secondsCounter = 0;
    ++secondsCounter;
    listener_.secondsShown(secondsCounter);

    if (settingsDialogActive)
        liveTimer = 0;
    // Only the link that carried the answer is watched: a controller that
    // answered over TCP says nothing about the RS-485 bus.
    if (deviceAnswered && answeredLink_ == activeLink())
        ++liveTimer;
    if (liveTimer > kIdentificationRepeatAfter)
        Button10Click();
    if (liveTimer > kReconnectAfter) {
        listener_.statusCaption(LinkText::timeOut);
        if (controls_.connectChecked()) {
            listener_.setConnectChecked(false);
            listener_.setConnectChecked(true);
        }
    }
    listener_.liveTimerShown(liveTimer);
}

// ---- parser events -------------------------------------------------------

void ConnectionManager::parserDiagnostics(const ParserDiagnostics& d)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).parserDiagnostics(d);
}

void ConnectionManager::uploadStep()
{
    (parserListener_ ? *parserListener_ : silentParserListener()).uploadStep();
}

void ConnectionManager::bytesReceived()
{
    liveTimer = 0;
    (parserListener_ ? *parserListener_ : silentParserListener()).bytesReceived();
}

void ConnectionManager::readDone()
{
    (parserListener_ ? *parserListener_ : silentParserListener()).readDone();
}

void ConnectionManager::dataFrame(uint8_t type, const uint8_t* payload, int length)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).dataFrame(type, payload, length);
}

void ConnectionManager::identificationVersion(uint8_t version)
{
    deviceAnswered = true;
    answeredLink_ = readingFrom_ != Link::None ? readingFrom_ : activeLink();
    (parserListener_ ? *parserListener_ : silentParserListener()).identificationVersion(version);
}

void ConnectionManager::voltageIntervalIndex(uint8_t index)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).voltageIntervalIndex(index);
}

void ConnectionManager::temperatureIntervalIndex(uint8_t index)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).temperatureIntervalIndex(index);
}

void ConnectionManager::loginRefused()
{
    (parserListener_ ? *parserListener_ : silentParserListener()).loginRefused();
}

void ConnectionManager::settingsRecordReceived(const uint8_t* record, int size)
{
    settingsDialogActive = true;
    (parserListener_ ? *parserListener_ : silentParserListener())
        .settingsRecordReceived(record, size);
}

void ConnectionManager::uploadAcknowledged(bool accepted)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).uploadAcknowledged(accepted);
}

} // namespace obr9
