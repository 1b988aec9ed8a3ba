// The effects the connection manager reports to its owner.
#pragma once

#include <QString>

#include <cstdint>

namespace obr9 {

// Effects of the connection manager, in the order they happen. All default
// to nothing.
class LinkListener {
public:
    virtual ~LinkListener() = default;

    // The window caption is captionPrefix + status.
    virtual void statusCaption(const QString& status) { (void)status; }
    virtual void memoLine(const QString& line) { (void)line; }   // DebugMemo

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
