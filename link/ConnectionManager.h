// The one byte channel between the operator program and the controller.
//
// Three links behind one interface: the TCP client, the listening TCP server
// and the serial port. The manager opens and closes them as "connect" and
// "listen" change, routes received bytes (the receive parser, or the module stream
// for serial bytes and for the TCP client on the temperature module page),
// writes every outgoing frame to the active link, and runs the one-second
// housekeeping with the live timer that reconnects a silent controller.
#pragma once

#include "base/IntegerText.h"
#include "base/LinkText.h"
#include "link/LinkListener.h"
#include "link/SerialLink.h"
#include "link/TcpClientLink.h"
#include "link/TcpServerLink.h"
#include "protocol/FrameSink.h"
#include "protocol/ReceiveParser.h"

#include <QObject>
#include <QTimer>

#include <vector>

namespace obr9 {

// Where the TCP client's bytes go: the controller's receive parser, or the
// module bus (while the HQ-2 page is shown).
enum class LanRoute { Controller, ModuleBus };

class ConnectionManager : public QObject, public FrameSink {
    Q_OBJECT
public:
    static constexpr int kSerialBufferSize = 1000000; // one poll drains at most this
    static constexpr int kSerialReadChunk = 1024;
    static constexpr int kIdentificationRepeatAfter = 12; // seconds of silence
    static constexpr int kReconnectAfter = 15;
    static constexpr int kSerialReopenIntervalMs = 2000;
    // Bytes of one socket notification (the parser takes up to 100 000):
    // each frame is recorded to its file at once, so a portion costs a few
    // milliseconds per kilobyte, and this keeps a notification near 10 ms.
    static constexpr int kSocketReadPortion = 8192;

    explicit ConnectionManager(LinkListener& listener, QObject* parent = nullptr);
    ~ConnectionManager() override;

    void setReporter(Reporter* reporter) { parser_.setReporter(reporter); }
    // Address the listening server binds; any address by default, since the
    // controller connects from the plant network.
    void setListenAddress(const QHostAddress& address) { server_.setAddress(address); }

    ReceiveParser& parser() { return parser_; }
    TCOMSocket& serialPort() { return serial_.port(); }
    QTcpSocket& clientSocket() { return client_.socket(); }
    QTcpServer& server() { return server_.server(); }

    using FrameSink::SendFrame;
    void SendFrame(const uint8_t* data, int length) override;

    // The "Connection" group's choices, told by its owner whenever they
    // change; every operation uses the latest. portText: "LAN" (the TCP
    // client) or a serial port; tcpPort: EditPort's text, checked as a port
    // number when a link is opened with it; speed: the serial baud rate text.
    void setPortText(const QString& text);
    void setHost(const QString& host) { host_ = host; }
    void setTcpPort(const QString& text) { tcpPort_ = text; }
    void setSpeed(const QString& text) { speed_ = text; }
    void setLanRoute(LanRoute route) { route_ = route; }
    // The hidden "clear" box: the seconds counter restarts at each tick.
    void setClearSeconds(bool clear) { clearSeconds_ = clear; }
    LanRoute lanRoute() const { return route_; }

    // Handlers of the "Connection" group: "connect" and "listen" ticked or
    // unticked.
    void CheckBoxConnectClick(bool connect);
    void CheckBox2Click(bool listen);
    bool connectChecked() const { return connect_; }
    bool listenChecked() const { return listen_; }
    QStringList ComboBoxPortDropDown() const; // the new items: serial ports, then "LAN"
    // "check version": identification request, then an answer is awaited.
    void Button10Click();
    // Timer1: drains the serial port into the module stream.
    void Timer1Timer();
    // Timer2, after the chart saves and relay countdown of its owner: the
    // seconds and the live timer.
    void Timer2Timer();
    // The device settings dialog's closing step.
    void deviceSettingsClosed();
    // Ends the TCP client's connection: graceful lets what was written
    // leave first (the settings frame before the controller restarts).
    void closeClient(bool graceful);
    // Reads and parses everything the sockets have received so far, so that
    // nothing sent before a frame about to leave is taken for its answer.
    void takeArrivedBytes();

    // "LAN" is chosen in the port box (the TCP client), else a serial port.
    bool lanChosen() const { return lanChosen_; }

    // Link state. liveTimer: seconds since the answering controller last
    // sent a byte; deviceAnswered: an identification answer came on the
    // link now watched; settingsDialogActive: the device settings record
    // arrived and the dialog holds the link (the live timer stays 0);
    // temperatureModuleSeen: an HQ-2 frame came since the last connect click.
    int liveTimer() const { return liveTimer_; }
    bool deviceAnswered() const { return deviceAnswered_; }
    bool settingsDialogActive() const { return settingsDialogActive_; }
    bool temperatureModuleSeen() const { return temperatureModuleSeen_; }
    int secondsCounter() const { return secondsCounter_; }
    void setSettingsDialogActive(bool active);
    void setTemperatureModuleSeen(bool seen);
    // What the parser's owner reports of the bytes read: any byte restarts
    // the live timer; an identification answer marks the link it came on
    // as the one to watch.
    void bytesArrived()
    {
        liveTimer_ = 0;
        setControllerLost(false);
    }
    void deviceIdentified();
    // A fresh start: no device, no module, no dialog, the live timer at 0.
    void resetLinkState();

    // Only the link whose controller set deviceAnswered, while it is the one
    // frames go to, counts the live timer up.
    enum class LinkId { None, Client, Server, Serial };
    // Where SendFrame writes at this moment.
    LinkId activeLink() const;
    // A serial port that went away while "connect" stayed ticked; reopened
    // every kSerialReopenIntervalMs until the device is back.
    bool serialPortLost() const { return serialReopen_.isActive(); }

    // The controller link is down against the operator's wish.
    bool controllerLinkLost() const { return controllerLost_; }

signals:
    void serverStatusChanged(const QString& text); // Label25
    void liveTimerCounted(int seconds);            // Label41, each Timer2 tick
    void secondsCounted(int seconds);              // Label75, each Timer2 tick
    // The address just used to connect; the window keeps it in its history.
    void addressUsed(const QString& host);
    void deviceAnsweredChanged(bool answered);
    void settingsDialogActiveChanged(bool active);
    void temperatureModuleSeenChanged(bool seen);

private:
    void setDeviceAnswered(bool answered);
    // The TCP port text as a port number; a conversion error reported.
    bool tcpPortNumber(quint16& port);
    void setControllerLost(bool lost);
    void serialPortGone();
    void tryReopenSerialPort();
    void forgetAnswer(LinkId link);
    void connectTcpClient();
    void connectSerialPort();
    void disconnect();
    void onClientConnected();
    void onServerConnection();
    void onServerClientDisconnected();
    void sendIdentificationRequest();
    // One portion of what the link holds, into the parser or the module
    // stream.
    void readLinkIntoParser(Link& link, bool moduleStreamAllowed);
    void readRest();
    void memoSerialLine();

    LinkListener& listener_;
    ReceiveParser parser_;
    SerialLink serial_;
    TcpClientLink client_;
    TcpServerLink server_;
    std::vector<uint8_t> readBuffer_;
    // Reads what a notification left in the sockets, one portion each.
    QTimer readRest_;
    LinkId readingFrom_ = LinkId::None;
    LinkId answeredLink_ = LinkId::None;
    QTimer serialReopen_;
    QString lostPortName_;
    bool connect_ = false;
    bool listen_ = false;
    QString portText_ = LinkText::lan;
    bool lanChosen_ = true;
    // Until told otherwise (a run without windows): this machine's controller.
    QString host_ = QStringLiteral("127.0.0.1");
    QString tcpPort_ = QStringLiteral("8090");
    QString speed_ = QStringLiteral("115200");
    LanRoute route_ = LanRoute::Controller;
    bool clearSeconds_ = false;
    int liveTimer_ = 0;
    bool deviceAnswered_ = false;
    bool settingsDialogActive_ = false;
    bool temperatureModuleSeen_ = false;
    int secondsCounter_ = 0;
    bool controllerLost_ = false;
    // The live timer's own disconnect and reconnect: the loss stays.
    bool reconnecting_ = false;
};

} // namespace obr9
