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

bool textToInt(const QString& text, int& value)
{
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = parsed;
    return ok;
}

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

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
        if (controls_.portText() == LinkText::lan) {
            // A closed client drops the bytes silently.
            if (client_.state() == QAbstractSocket::ConnectedState) {
                client_.write(reinterpret_cast<const char*>(data), length);
                client_.flush(); // hand the bytes to the system now, not at the next event
            }
            return;
        }
        const uint32_t written = serial_.Write(data, uint32_t(length));
        listener_.memoLine(written != 0 ? LinkText::sentRs485 : LinkText::serialWriteFailed);
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
    if (controls_.portText() == LinkText::lan)
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

void ConnectionManager::connectSerialPort()
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
    if (ok) {
        listener_.memoLine(LinkText::portOpened);
        listener_.memoLine(portText);
        listener_.memoLine(LinkText::speedPrefix + controls_.speedText());
        return;
    }
    listener_.memoLine(LinkText::portOpenFailed);
    // Unchecking runs the disconnect path, which closes a half-opened port.
    listener_.setConnectChecked(false);
}

void ConnectionManager::disconnect()
{
    if (controls_.portText() == LinkText::lan)
        client_.abort();
    else
        serial_.Close();
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
    // At most one receive buffer per read; the rest follows in the next
    // round of this loop, so nothing waits for another notification.
    readBuffer_.resize(ReceiveParser::kReceiveBufferSize);
    while (socket.bytesAvailable() > 0) {
        const qint64 n = socket.read(reinterpret_cast<char*>(readBuffer_.data()),
                                     ReceiveParser::kReceiveBufferSize);
        if (n <= 0)
            break;
        if (moduleStreamAllowed && controls_.activePage() == kTemperatureModulePage)
            listener_.moduleBytes(readBuffer_.data(), int(n));
        else
            parser_.acceptRead(readBuffer_.data(), int(n));
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
    deviceAnswered = false;
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
}

void ConnectionManager::Timer2Timer()
{
    listener_.chartSaveTick();
    listener_.relayCountdownTick();

    if (controls_.clearSecondsChecked())
        secondsCounter = 0;
    ++secondsCounter;
    listener_.secondsShown(secondsCounter);

    if (settingsDialogActive)
        liveTimer = 0;
    if (deviceAnswered)
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

void ConnectionManager::dataFrame(uint8_t type, const uint8_t* payload, int length)
{
    (parserListener_ ? *parserListener_ : silentParserListener()).dataFrame(type, payload, length);
}

void ConnectionManager::identificationVersion(uint8_t version)
{
    deviceAnswered = true;
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
