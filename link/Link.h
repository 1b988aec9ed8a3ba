// One byte link to the controller or the module bus: the TCP client, the
// listening server or the serial port. The connection manager decides which
// one carries a frame; a link only opens, closes, writes and hands over what
// it received.
#pragma once

#include <QObject>

#include <cstdint>

namespace obr9 {

class Link : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens with the settings given before. false: nothing is open and the
    // caller writes its own message.
    virtual bool open() = 0;
    // Closing a closed link does nothing.
    virtual void close() = 0;
    // Bytes written now reach a peer.
    virtual bool canWrite() const = 0;
    // The count of bytes the link took; 0 when it took none. The bytes are
    // handed to the system before this returns, not at the next event.
    virtual int64_t write(const uint8_t* data, int length) = 0;
    // Received bytes not read yet, and a read of at most maxCount of them.
    // Neither waits for bytes that have not arrived.
    virtual int64_t bytesAvailable() = 0;
    virtual int64_t read(uint8_t* buffer, int64_t maxCount) = 0;
    // Reports at once (bytesReceived) what the system has received for this
    // link but not yet announced; never waits. Socket links only.
    virtual void collectArrived() {}

signals:
    // Bytes arrived (socket links; the serial port is polled instead).
    void bytesReceived();
};

} // namespace obr9
