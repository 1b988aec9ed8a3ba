// TCOMSocket: one serial port, driven step by step by its caller.
//
// Each platform step is its own call so that the connection manager decides
// the order: SetPortName, Open, GetState, edit lineSettings / timeouts /
// queue sizes, SetState, SetupQueues, SetTimeouts, GetState. Input is polled
// (BytesAvailable, then Read); nothing is event driven. No call throws; every
// failure is a false or 0 result and the caller writes its own message.
//
// Port names: "COM" + n (n > 0) stands for /dev/ttyS(n-1); a path beginning
// with "/dev/" is taken as it is (USB adapters, pseudo-terminals). Those
// paths are what EnumeratePorts lists.
//
// Single-threaded: the object lives in the GUI thread that polls it.
#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace obr9 {

// The line settings block. GetState fills the five line fields from the
// port; SetState writes all of them.
struct SerialLineSettings {
    qint32 baudRate = 9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
    // Requested levels of the modem output lines. SetState applies them where
    // the port has such lines; GetState leaves them as they are.
    bool dataTerminalReady = false;
    bool requestToSend = false;
};

// Milliseconds. A total time-out is multiplier * byte count + constant; a
// write whose multiplier and constant are both 0 has no time-out. Read only
// ever takes bytes already queued, so the read values never make it wait.
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

// Orders port names by the number they end with (ttyS2 before ttyS10, COM2
// before COM10); a name without a trailing number counts as 0. Equal numbers
// go by the text before the number, then by the whole name.
void SortPortNames(QStringList& names);

} // namespace obr9

class TCOMSocket {
public:
    TCOMSocket();
    ~TCOMSocket(); // closes the port
    TCOMSocket(const TCOMSocket&) = delete;
    TCOMSocket& operator=(const TCOMSocket&) = delete;

    // Fails while the port is open, and for any text other than "COM" + a
    // non-zero decimal number or "/dev/" + a device; a failure keeps the
    // previous name and number.
    bool SetPortName(const QString& name);

    // Opens the named device for reading and writing, exclusively (a second
    // open of the same device, from this process or another, fails). An open
    // port is closed first. The line starts at 9600 8N1 without flow control.
    bool Open();
    // Closing a closed port succeeds.
    bool Close();
    bool IsOpen() const;

    // false when closed.
    bool GetState();
    bool SetState();
    bool SetTimeouts();
    bool SetupQueues();

    // Bytes received and not yet read; 0 when closed. Collects what the
    // driver holds at the moment of the call, without waiting.
    uint32_t BytesAvailable();
    // Reads min(maxCount, BytesAvailable()) bytes into buffer and returns the
    // count; 0 when closed, buffer null, maxCount 0 or nothing queued. Never
    // waits for bytes that have not arrived yet.
    uint32_t Read(uint8_t* buffer, uint32_t maxCount);
    // Returns the number of bytes sent within the write time-out of the last
    // SetTimeouts; what the time-out cut off is dropped. 0 when closed,
    // buffer null, count 0 or nothing could be written.
    uint32_t Write(const uint8_t* buffer, uint32_t count);

    // True once the device went away under an open port (adapter unplugged,
    // pseudo-terminal closed): the driver reported a resource error, or a
    // read or write failed for that reason. Cleared by Open and Close.
    bool Lost() const { return lost_; }

    // n of the last accepted "COM" + n name; 0 for a device path or until a
    // name was accepted.
    uint32_t PortNumber() const { return portNumber_; }
    // Device path that Open uses; empty until a name was accepted.
    const QString& PortPath() const { return portPath_; }

    // Edited by the caller, written by SetState / SetTimeouts / SetupQueues.
    obr9::SerialLineSettings lineSettings;
    obr9::SerialTimeouts timeouts;
    uint32_t inputQueueSize = 0; // bytes
    uint32_t outputQueueSize = 0; // bytes

private:
    std::unique_ptr<QSerialPort> port_; // null while closed
    uint32_t portNumber_ = 0;
    QString portPath_;
    obr9::SerialTimeouts activeTimeouts_; // as of the last SetTimeouts
    bool lost_ = false;
    void noteError();
};

// Replaces ports by the device paths of the machine's serial ports, sorted
// with obr9::SortPortNames, then the ports named in OBR9_EXTRA_PORTS (see
// obr9::ExtraPorts) in the order given there. Pseudo-terminals are listed
// only when named there (scripts/run.sh names the simulator's module
// port). No ports gives an empty list.
void EnumeratePorts(QStringList& ports);

namespace obr9 {
inline constexpr char kExtraPortsVariable[] = "OBR9_EXTRA_PORTS";
// The entries of a ':'-separated list of device paths that begin with
// "/dev/", exist and are not in `listed` yet, first occurrence kept.
QStringList ExtraPorts(const QString& variable, const QStringList& listed);
} // namespace obr9
