// The one way out: every frame the program sends is handed to a FrameSink.
// The connection manager's implementation applies the active-link rule (TCP
// client, serial port, or the first client of the listening server).
#pragma once

#include <QByteArray>

#include <cstdint>

namespace obr9 {

class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Writes length bytes from data to the active link, unchanged. Returns
    // when the link has taken the bytes; no answer is awaited.
    virtual void SendFrame(const uint8_t* data, int length) = 0;

    void SendFrame(const QByteArray& frame)
    {
        SendFrame(reinterpret_cast<const uint8_t*>(frame.constData()), int(frame.size()));
    }
};

} // namespace obr9
