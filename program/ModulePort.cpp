#include "program/ModulePort.h"

namespace obr9 {

ModulePort::ModulePort(QString device, int baud, QObject* parent)
    : QObject(parent)
    , device_(std::move(device))
    , baud_(baud)
{
    connect(&poll_, &QTimer::timeout, this, &ModulePort::poll);
    reopen_.setInterval(kReopenIntervalMs);
    connect(&reopen_, &QTimer::timeout, this, [this] {
        if (open())
            reopen_.stop();
    });
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError && port_.isOpen())
            lost();
    });
}

bool ModulePort::start(int intervalMs)
{
    poll_.start(intervalMs);
    if (open())
        return true;
    reopen_.start();
    return false;
}

void ModulePort::stop()
{
    poll_.stop();
    reopen_.stop();
    port_.close();
}

bool ModulePort::open()
{
    port_.setPortName(device_);
    // 8 data bits, no parity, one stop bit, no flow control, as the
    // window program sets the line.
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        emit logLine(QStringLiteral("module port ") + device_ + QStringLiteral(" not opened: ") +
                     port_.errorString());
        return false;
    }
    // Pseudo-terminals have no modem lines; a refusal here is no failure.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    emit logLine(QStringLiteral("module port ") + device_ + QStringLiteral(" open at ") +
                 QString::number(baud_));
    return true;
}

void ModulePort::lost()
{
    port_.close();
    emit logLine(QStringLiteral("module port ") + device_ + QStringLiteral(" lost"));
    reopen_.start();
}

void ModulePort::poll()
{
    if (!port_.isOpen())
        return;
    port_.waitForReadyRead(0);
    buffer_ = port_.readAll();
    if (sink_)
        sink_(reinterpret_cast<const uint8_t*>(buffer_.constData()), int(buffer_.size()));
    emit polled();
}

bool ModulePort::write(const QByteArray& frame)
{
    return port_.isOpen() && port_.write(frame) == frame.size();
}

} // namespace obr9
