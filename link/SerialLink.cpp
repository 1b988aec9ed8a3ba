#include "link/SerialLink.h"

#include "base/IntegerText.h"

#include <algorithm>

namespace obr9 {

namespace {
constexpr uint32_t kSerialQueueSize = 1024;
} // namespace

void SerialLink::setPort(const QString& portText, const QString& speedText)
{
    portText_ = portText;
    speedText_ = speedText;
}

bool SerialLink::open()
{
    bool ok = port_.SetPortName(portText_) && port_.Open() && port_.GetState();
    if (ok) {
        int baud = 0;
        if (!textToInt(speedText_, baud) || baud <= 0)
            baud = kFallbackBaudRate;
        SerialLineSettings& line = port_.lineSettings;
        line.baudRate = baud;
        line.dataBits = QSerialPort::Data8;
        line.parity = QSerialPort::NoParity;
        line.stopBits = QSerialPort::OneStop;
        line.flowControl = QSerialPort::NoFlowControl;
        line.dataTerminalReady = false;
        line.requestToSend = false;
        port_.inputQueueSize = kSerialQueueSize;
        port_.outputQueueSize = kSerialQueueSize;
        port_.timeouts = {100, 10, 100, 10, 100};
        ok = port_.SetState() && port_.SetupQueues() && port_.SetTimeouts() && port_.GetState();
    }
    return ok;
}

int64_t SerialLink::write(const uint8_t* data, int length)
{
    return port_.Write(data, uint32_t(length));
}

int64_t SerialLink::read(uint8_t* buffer, int64_t maxCount)
{
    const auto want = uint32_t(std::min<int64_t>(maxCount, INT32_MAX));
    return port_.Read(buffer, want);
}

} // namespace obr9
