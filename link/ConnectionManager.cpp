#include "link/ConnectionManager.h"

#include "base/IntegerText.h"
#include "protocol/Frames.h"

#include <algorithm>

namespace obr9 {

ConnectionManager::ConnectionManager(LinkListener& listener, QObject* parent)
    : QObject(parent)
    , listener_(listener)
{
    connect(&client_, &TcpClientLink::connecting, this,
            [this] { listener_.statusCaption(LinkText::tryToConnect); });
    connect(&client_, &TcpClientLink::connected, this, &ConnectionManager::onClientConnected);
    connect(&client_, &TcpClientLink::disconnected, this, [this] {
        listener_.statusCaption(LinkText::notConnected);
        // "connect" still ticked: the controller went, not the operator.
        if (connect_ && lanChosen_)
            setControllerLost(true);
    });
    connect(&client_, &Link::bytesReceived, this, [this] { readLinkIntoParser(client_, true); });
    connect(&server_, &TcpServerLink::clientConnected, this,
            &ConnectionManager::onServerConnection);
    connect(&server_, &TcpServerLink::clientDisconnected, this,
            &ConnectionManager::onServerClientDisconnected);
    connect(&server_, &Link::bytesReceived, this, [this] { readLinkIntoParser(server_, false); });
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
    server_.disconnect(this);
}

// ---- sending -------------------------------------------------------------

// The active-link rule: with "connect" ticked the chosen link (TCP client
// for "LAN", else the serial port) carries every frame, even while the
// server has clients; otherwise the server's first client does.
void ConnectionManager::SendFrame(const uint8_t* data, int length)
{
    if (length <= 0 || !data)
        return;
    if (connect_) {
        if (lanChosen_) {
            // A closed client drops the bytes silently.
            if (client_.canWrite())
                client_.write(data, length);
            return;
        }
        if (serialReopen_.isActive())
            return; // the loss was reported once; nothing to write to
        const int64_t written = serial_.write(data, length);
        listener_.memoLine(written != 0 ? LinkText::sentRs485 : LinkText::serialWriteFailed);
        if (serial_.lost())
            serialPortGone();
        return;
    }
    if (server_.canWrite()) {
        server_.write(data, length);
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

void ConnectionManager::setPortText(const QString& text)
{
    portText_ = text;
    lanChosen_ = text == LinkText::lan;
}

void ConnectionManager::CheckBoxConnectClick(bool connect)
{
    connect_ = connect;
    listener_.statusCaption(LinkText::deviceNotConnected);
    setTemperatureModuleSeen(false);

    if (!connect_) {
        if (!reconnecting_)
            setControllerLost(false);
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
    liveTimer_ = 0;
    const QString host = host_;
    quint16 port = 0;
    if (!tcpPortNumber(port))
        return; // nothing opened; the box stays checked
    client_.setTarget(host, port);
    client_.open();
    parser_.requestReset();
    listener_.memoLine(portText_);
    listener_.historyRestart();
    emit addressUsed(host);
}

ConnectionManager::LinkId ConnectionManager::activeLink() const
{
    if (connect_)
        return lanChosen_ ? LinkId::Client : LinkId::Serial;
    return server_.canWrite() ? LinkId::Server : LinkId::None;
}

void ConnectionManager::forgetAnswer(LinkId link)
{
    if (answeredLink_ != link)
        return;
    setDeviceAnswered(false);
    answeredLink_ = LinkId::None;
    liveTimer_ = 0;
}

void ConnectionManager::memoSerialLine()
{
    listener_.memoLine(LinkText::portOpened);
    listener_.memoLine(portText_);
    listener_.memoLine(LinkText::speedPrefix + speed_);
}

void ConnectionManager::connectSerialPort()
{
    serialReopen_.stop();
    serial_.setPort(portText_, speed_);
    if (serial_.open()) {
        memoSerialLine();
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
    lostPortName_ = serial_.portPath();
    serial_.close();
    listener_.memoLine(LinkText::portLost + lostPortName_);
    listener_.statusCaption(LinkText::portLostCaption + lostPortName_);
    serialReopen_.start();
    setControllerLost(true);
}

void ConnectionManager::tryReopenSerialPort()
{
    if (!connect_ || lanChosen_) {
        serialReopen_.stop();
        return;
    }
    serial_.setPort(portText_, speed_);
    if (!serial_.open()) {
        serial_.close();
        return; // next try in kSerialReopenIntervalMs
    }
    serialReopen_.stop();
    listener_.statusCaption(LinkText::deviceNotConnected);
    memoSerialLine();
    setControllerLost(false);
}

void ConnectionManager::setControllerLost(bool lost)
{
    if (controllerLost_ == lost)
        return;
    controllerLost_ = lost;
    listener_.controllerLinkLost(lost);
}

void ConnectionManager::disconnect()
{
    serialReopen_.stop();
    if (lanChosen_) {
        client_.close();
        forgetAnswer(LinkId::Client);
    } else {
        serial_.close();
    }
    listener_.closeDeviceSettings();
    deviceSettingsClosed();
    listener_.memoLine(LinkText::portClosed);
}

void ConnectionManager::deviceSettingsClosed()
{
    // However the dialog closed: the live timer counts again.
    setSettingsDialogActive(false);
    listener_.settingsButtonEnabled(true);
    if (connect_) {
        parser_.setRequestMode(RequestData);
        static const uint8_t closeFrame[2] = {0xFF, 0x00};
        SendFrame(closeFrame, 2);
    } else {
        listener_.memoLine(LinkText::noConnection);
    }
}

bool ConnectionManager::tcpPortNumber(quint16& port)
{
    const QString& text = tcpPort_;
    int number = 0;
    if (!textToInt(text, number) || number < 0 || number > 65535) {
        listener_.conversionError(notAnIntegerMessage(text));
        return false;
    }
    port = quint16(number);
    return true;
}

// ---- link state ----------------------------------------------------------

void ConnectionManager::setDeviceAnswered(bool answered)
{
    if (deviceAnswered_ == answered)
        return;
    deviceAnswered_ = answered;
    emit deviceAnsweredChanged(answered);
}

void ConnectionManager::setSettingsDialogActive(bool active)
{
    if (settingsDialogActive_ == active)
        return;
    settingsDialogActive_ = active;
    emit settingsDialogActiveChanged(active);
}

void ConnectionManager::setTemperatureModuleSeen(bool seen)
{
    if (temperatureModuleSeen_ == seen)
        return;
    temperatureModuleSeen_ = seen;
    emit temperatureModuleSeenChanged(seen);
}

void ConnectionManager::resetLinkState()
{
    setDeviceAnswered(false);
    liveTimer_ = 0;
    setSettingsDialogActive(false);
    setTemperatureModuleSeen(false);
}

void ConnectionManager::closeClient(bool graceful)
{
    if (graceful)
        client_.closeGracefully();
    else
        client_.close();
}

void ConnectionManager::CheckBox2Click(bool listen)
{
    listen_ = listen;
    if (listen) {
        quint16 port = 0;
        if (!tcpPortNumber(port))
            return;
        server_.setPort(port);
        if (server_.open()) {
            emit serverStatusChanged(LinkText::listening);
        } else {
            // A port in use must not look like a server waiting for clients.
            emit serverStatusChanged(LinkText::serverIdle);
            listener_.linkError(QStringLiteral("Cannot listen on port %1: %2")
                                    .arg(port)
                                    .arg(server_.errorString()));
        }
    } else {
        server_.close();
        listener_.statusCaption(LinkText::notConnected);
        emit serverStatusChanged(LinkText::clientDisconnected);
        forgetAnswer(LinkId::Server);
        if (!connect_)
            setControllerLost(false);
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

// ---- link notifications --------------------------------------------------

void ConnectionManager::onClientConnected()
{
    listener_.statusCaption(LinkText::connected);
    sendIdentificationRequest();
    parser_.setRequestMode(RequestAnswer);
}

void ConnectionManager::readLinkIntoParser(Link& link, bool moduleStreamAllowed)
{
    // At most one portion per notification. A backlog is read in
    // portions with the event loop turning in between (window repaints,
    // timers, input), so the rest is queued for the next turn: the socket
    // would not notify again for bytes it already holds.
    static_assert(kSocketReadPortion <= ReceiveParser::kReceiveBufferSize);
    readBuffer_.resize(kSocketReadPortion);
    const int64_t n = link.read(readBuffer_.data(), kSocketReadPortion);
    if (n > 0) {
        readingFrom_ = &link == &client_ ? LinkId::Client : LinkId::Server;
        if (moduleStreamAllowed && route_ == LanRoute::ModuleBus)
            listener_.moduleBytes(readBuffer_.data(), int(n));
        else
            parser_.acceptRead(readBuffer_.data(), int(n));
        readingFrom_ = LinkId::None;
    }
    // A zero timer, not a posted call: it runs when the loop has nothing
    // else to do, so timers and input get their turn between portions.
    if (link.bytesAvailable() > 0 && !readRest_.isActive())
        readRest_.start();
}

void ConnectionManager::takeArrivedBytes()
{
    client_.collectArrived(); // reads a portion through bytesReceived
    server_.collectArrived();
    while (client_.bytesAvailable() > 0)
        readLinkIntoParser(client_, true);
    while (server_.bytesAvailable() > 0)
        readLinkIntoParser(server_, false);
}

void ConnectionManager::readRest()
{
    // Links closed meanwhile hold nothing to read.
    if (client_.bytesAvailable() > 0)
        readLinkIntoParser(client_, true);
    if (server_.bytesAvailable() > 0)
        readLinkIntoParser(server_, false);
}

void ConnectionManager::onServerConnection()
{
    emit serverStatusChanged(LinkText::clientConnected);
    listener_.statusCaption(LinkText::connected);
    sendIdentificationRequest();
    parser_.setRequestMode(RequestAnswer);
}

void ConnectionManager::onServerClientDisconnected()
{
    emit serverStatusChanged(LinkText::clientDisconnected);
    listener_.statusCaption(LinkText::notConnected);
    // Only a controller that had answered on the server is missed.
    if (answeredLink_ == LinkId::Server)
        setControllerLost(true);
    forgetAnswer(LinkId::Server);
}

// ---- timers --------------------------------------------------------------

void ConnectionManager::Timer1Timer()
{
    if (!serial_.isOpenPort())
        return;
    if (serial_.lost()) {
        serialPortGone();
        return;
    }
    readBuffer_.resize(kSerialBufferSize);
    int count = 0;
    int64_t available = 0;
    while ((available = serial_.bytesAvailable()) > 0 && count < kSerialBufferSize) {
        const int64_t want =
            std::min({available, int64_t(kSerialReadChunk), int64_t(kSerialBufferSize - count)});
        const int64_t got = serial_.read(readBuffer_.data() + count, want);
        if (got == 0)
            break;
        count += int(got);
    }
    listener_.moduleBytes(readBuffer_.data(), count);
    if (serial_.lost())
        serialPortGone();
}

void ConnectionManager::Timer2Timer()
{
    if (clearSeconds_)
        secondsCounter_ = 0;
    ++secondsCounter_;
    emit secondsCounted(secondsCounter_);

    if (settingsDialogActive_)
        liveTimer_ = 0;
    // Only the link that carried the answer is watched: a controller that
    // answered over TCP says nothing about the RS-485 bus.
    if (deviceAnswered_ && answeredLink_ == activeLink())
        ++liveTimer_;
    if (liveTimer_ > kIdentificationRepeatAfter)
        Button10Click();
    if (liveTimer_ > kReconnectAfter) {
        listener_.statusCaption(LinkText::timeOut);
        setControllerLost(true);
        if (connect_) {
            reconnecting_ = true;
            listener_.setConnectChecked(false);
            listener_.setConnectChecked(true);
            reconnecting_ = false;
        }
    }
    emit liveTimerCounted(liveTimer_);
}

// ---- what the parser reported --------------------------------------------

void ConnectionManager::deviceIdentified()
{
    setDeviceAnswered(true);
    answeredLink_ = readingFrom_ != LinkId::None ? readingFrom_ : activeLink();
}

} // namespace obr9
