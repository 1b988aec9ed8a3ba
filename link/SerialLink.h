// The serial port link (RS-485 modules, or the controller on a serial
// line): 8N1 without flow control, modem lines off, polled by Timer1.
#pragma once

#include "link/Link.h"
#include "link/Tcomsocket.h"

namespace obr9 {

class SerialLink : public Link {
    Q_OBJECT
public:
    static constexpr int kFallbackBaudRate = 500000; // when the speed text is no number > 0

    using Link::Link;

    // The port box's text ("COM" + n or a device path) and the speed box's.
    void setPort(const QString& portText, const QString& speedText);
    // Opens and sets up the line; false leaves it closed or half open (a
    // close cleans up).
    bool open() override;
    void close() override { port_.Close(); }
    bool isOpenPort() const { return port_.IsOpen(); }
    bool canWrite() const override { return port_.IsOpen(); }
    int64_t write(const uint8_t* data, int length) override;
    int64_t bytesAvailable() override { return port_.BytesAvailable(); }
    int64_t read(uint8_t* buffer, int64_t maxCount) override;
    // The device went away under the open port.
    bool lost() const { return port_.Lost(); }
    const QString& portPath() const { return port_.PortPath(); }

    TCOMSocket& port() { return port_; }

private:
    TCOMSocket port_;
    QString portText_;
    QString speedText_;
};

} // namespace obr9
