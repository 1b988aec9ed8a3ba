// What the connection manager needs of the window around it: the controls
// it reads at the moment of each operation, and the effects it reports.
#pragma once

#include <QString>

#include <cstdint>

namespace obr9 {

// Current texts and states of the "Connection" group and its neighbours.
class LinkControls {
public:
    virtual ~LinkControls() = default;
    virtual bool connectChecked() const = 0; // CheckBoxConnect
    virtual QString portText() const = 0;    // ComboBoxPort: "LAN" or a serial port
    virtual QString hostText() const = 0;    // HostIP
    virtual QString tcpPortText() const = 0; // EditPort
    virtual QString speedText() const = 0;   // ComboBoxSpeed
    virtual int activePage() const = 0;      // PageControl1 index
    virtual bool clearSecondsChecked() const { return false; } // hidden CheckBox7 "clear"
};

// Effects of the connection manager, in the order they happen. All default
// to nothing.
class LinkListener {
public:
    virtual ~LinkListener() = default;

    // The window caption is captionPrefix + status.
    virtual void statusCaption(const QString& status) { (void)status; }
    virtual void memoLine(const QString& line) { (void)line; }   // DebugMemo
    virtual void serverLabel(const QString& text) { (void)text; } // Label25
    virtual void liveTimerShown(int seconds) { (void)seconds; }  // Label41
    virtual void secondsShown(int seconds) { (void)seconds; }    // Label75

    // The program sets "connect" itself; the window must run the connect
    // handler again, as a click would.
    virtual void setConnectChecked(bool checked) { (void)checked; }
    // "Save to device" unchecks "listen" too.
    virtual void setListenChecked(bool checked) { (void)checked; }

    // Bytes for the module stream parser (serial poll, or the TCP client
    // while the temperature module page is shown).
    virtual void moduleBytes(const uint8_t* data, int count) { (void)data, (void)count; }
    // Connecting the TCP client restarts the measurement histories.
    virtual void historyRestart() {}
    // The address just used to connect; the window keeps it in its history.
    virtual void addressUsed(const QString& host) { (void)host; }
    // The device settings dialog closes (its closing step runs through the
    // manager's deviceSettingsClosed()).
    virtual void closeDeviceSettings() {}
    virtual void settingsButtonEnabled(bool enabled) { (void)enabled; } // Button9
    // An operator input that is not a number (a port text, say).
    virtual void conversionError(const QString& message) { (void)message; }
    // A link that could not be opened although the operator asked for it.
    virtual void linkError(const QString& message) { (void)message; }
    // The controller link went against the operator's wish ("Time Out", a
    // dropped connection, a vanished serial port: true) or is back, or is no
    // longer wanted (false). Told on changes only.
    virtual void controllerLinkLost(bool lost) { (void)lost; }
};

} // namespace obr9
