// What the device-configuration session needs of the running program: the
// way out to the controller, the parser's request mode, the links it drops
// when the controller restarts, and the program's reporter.
#pragma once

#include "protocol/FrameSink.h"

#include <QString>

#include <cstdint>

namespace obr9 {

class Reporter;

class DeviceSession {
public:
    virtual ~DeviceSession() = default;

    // Frames go out through the active-link rule.
    virtual FrameSink& frames() = 0;
    // RequestMode of the receive parser: what the next answer is taken for.
    virtual void setRequestMode(uint8_t mode) = 0;
    // An empty parser call: the firmware upload sends its first block at
    // the start of every call, so this starts it without waiting for bytes.
    virtual void runParserOnce() = 0;
    // Parses what the links have received so far, in the present request
    // mode: bytes that came before a frame are not its answer.
    virtual void takeArrivedBytes() = 0;

    // The controller takes up new settings or firmware and restarts. The TCP
    // client goes: graceful lets the frame just written leave first, else it
    // is cut at once.
    virtual void closeClient(bool graceful) = 0;
    // "connect" and, when asked, "listen" go unchecked, as if the operator
    // unticked them.
    virtual void dropLinks(bool listenToo) = 0;

    // The settings dialog is up: the live timer does not count meanwhile.
    virtual void setSettingsDialogActive(bool active) = 0;
    // The settings dialog's closing step: the close frame, or the memo line
    // without a link.
    virtual void deviceSettingsClosed() = 0;

    // The last file chosen in a file dialog of the program; the next one
    // starts in its folder.
    virtual QString chartFile() const = 0;
    virtual void setChartFile(const QString& path) = 0;

    virtual Reporter& reporter() = 0;
};

} // namespace obr9
