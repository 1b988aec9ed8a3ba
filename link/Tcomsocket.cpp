#include "link/Tcomsocket.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <climits>
#include <limits>

namespace {

const QString kComPrefix = QStringLiteral("COM");
const QString kDevicePrefix = QStringLiteral("/dev/");
const QString kComDevice = QStringLiteral("/dev/ttyS%1");

// A line that never stops delivering must not hold the poll for long: each
// pull moves at most QSerialPort's read chunk (tens of kilobytes).
constexpr int kMaxPullsPerPoll = 16;

// n of "COM" + n, or 0 when the text after "COM" is not a plain decimal
// number that fits 32 bits.
uint32_t comNumber(QStringView digits)
{
    if (digits.isEmpty())
        return 0;
    uint64_t value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + uint64_t(c.unicode() - u'0');
        if (value > std::numeric_limits<uint32_t>::max())
            return 0;
    }
    return uint32_t(value);
}

// The number a name ends with (0 when it ends otherwise; above every other
// number when it does not fit 64 bits) and the text before that number.
struct PortSortKey {
    uint64_t number = 0;
    QStringView stem;
};

PortSortKey sortKey(const QString& name)
{
    qsizetype start = name.size();
    while (start > 0 && name.at(start - 1) >= u'0' && name.at(start - 1) <= u'9')
        --start;
    PortSortKey key;
    key.stem = QStringView(name).left(start);
    bool ok = false;
    const uint64_t number = name.mid(start).toULongLong(&ok);
    if (ok)
        key.number = number;
    else if (start < name.size())
        key.number = std::numeric_limits<uint64_t>::max();
    return key;
}

} // namespace

void obr9::SortPortNames(QStringList& names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const PortSortKey ka = sortKey(a);
        const PortSortKey kb = sortKey(b);
        if (ka.number != kb.number)
            return ka.number < kb.number;
        if (const int c = ka.stem.compare(kb.stem); c != 0)
            return c < 0;
        return a < b;
    });
}

TCOMSocket::TCOMSocket() = default;

TCOMSocket::~TCOMSocket()
{
    Close();
}

bool TCOMSocket::SetPortName(const QString& name)
{
    if (IsOpen())
        return false;
    if (name.startsWith(kDevicePrefix) && name.size() > kDevicePrefix.size()) {
        portPath_ = name;
        portNumber_ = 0;
        return true;
    }
    if (!name.startsWith(kComPrefix))
        return false;
    const uint32_t number = comNumber(QStringView(name).mid(kComPrefix.size()));
    if (number == 0)
        return false;
    portNumber_ = number;
    portPath_ = kComDevice.arg(number - 1);
    return true;
}

bool TCOMSocket::Open()
{
    Close();
    if (portPath_.isEmpty())
        return false;
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(portPath_);
    if (!port->open(QIODevice::ReadWrite))
        return false;
    port_ = std::move(port);
    activeTimeouts_ = {};
    lost_ = false;
    return true;
}

bool TCOMSocket::Close()
{
    if (port_) {
        port_->close();
        port_.reset();
    }
    lost_ = false;
    return true;
}

void TCOMSocket::noteError()
{
    // An unplugged adapter shows as a resource error; a hung-up line fails
    // reads (EIO, reported as a read error) and writes. A tty read or write
    // fails for no other reason, so either means the device is gone.
    switch (port_->error()) {
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        lost_ = true;
        break;
    default:
        break;
    }
}

bool TCOMSocket::IsOpen() const
{
    return port_ && port_->isOpen();
}

bool TCOMSocket::GetState()
{
    if (!IsOpen())
        return false;
    const qint32 baud = port_->baudRate();
    if (baud <= 0) // input and output speeds differ
        return false;
    lineSettings.baudRate = baud;
    lineSettings.dataBits = port_->dataBits();
    lineSettings.parity = port_->parity();
    lineSettings.stopBits = port_->stopBits();
    lineSettings.flowControl = port_->flowControl();
    return true;
}

bool TCOMSocket::SetState()
{
    if (!IsOpen())
        return false;
    const obr9::SerialLineSettings& s = lineSettings;
    if (s.baudRate <= 0)
        return false;
    if (!port_->setBaudRate(s.baudRate) || !port_->setDataBits(s.dataBits)
        || !port_->setParity(s.parity) || !port_->setStopBits(s.stopBits)
        || !port_->setFlowControl(s.flowControl))
        return false;
    // Pseudo-terminals and some adapters have no modem lines and refuse to
    // set them; that leaves nothing to drive, which is not a failed setting.
    // Under hardware flow control the driver owns RTS.
    port_->setDataTerminalReady(s.dataTerminalReady);
    if (s.flowControl != QSerialPort::HardwareControl)
        port_->setRequestToSend(s.requestToSend);
    port_->clearError();
    return true;
}

bool TCOMSocket::SetTimeouts()
{
    if (!IsOpen())
        return false;
    activeTimeouts_ = timeouts;
    return true;
}

bool TCOMSocket::SetupQueues()
{
    // The tty driver's queues have a fixed size on this platform. The sizes
    // are deliberately not turned into a QSerialPort read buffer limit: that
    // would leave bytes beyond the limit in the driver, where BytesAvailable
    // could not count them.
    return IsOpen();
}

uint32_t TCOMSocket::BytesAvailable()
{
    if (!IsOpen())
        return 0;
    // QSerialPort moves received bytes into its buffer only when the event
    // loop runs or a wait asks it to; a zero wait polls the driver now.
    for (int pull = 0; pull < kMaxPullsPerPoll && port_->waitForReadyRead(0); ++pull) {
    }
    // A zero wait that finds nothing reports a time-out; it is the normal
    // outcome of a poll.
    if (port_->error() == QSerialPort::TimeoutError)
        port_->clearError();
    noteError(); // what arrived before a hang-up can still be read
    const qint64 queued = port_->bytesAvailable();
    return uint32_t(std::clamp<qint64>(queued, 0, std::numeric_limits<uint32_t>::max()));
}

uint32_t TCOMSocket::Read(uint8_t* buffer, uint32_t maxCount)
{
    if (!IsOpen() || buffer == nullptr || maxCount == 0)
        return 0;
    const uint32_t wanted = std::min(maxCount, BytesAvailable());
    if (wanted == 0)
        return 0;
    const qint64 got = port_->read(reinterpret_cast<char*>(buffer), wanted);
    noteError();
    return got > 0 ? uint32_t(got) : 0;
}

uint32_t TCOMSocket::Write(const uint8_t* buffer, uint32_t count)
{
    if (!IsOpen() || buffer == nullptr || count == 0)
        return 0;
    if (port_->write(reinterpret_cast<const char*>(buffer), count) != qint64(count)) {
        noteError();
        port_->clear(QSerialPort::Output);
        return 0;
    }

    const obr9::SerialTimeouts& t = activeTimeouts_;
    const bool unbounded = t.writeTotalMultiplier == 0 && t.writeTotalConstant == 0;
    const QDeadlineTimer deadline = unbounded
        ? QDeadlineTimer(QDeadlineTimer::Forever)
        : QDeadlineTimer(qint64(t.writeTotalMultiplier) * count + t.writeTotalConstant,
                         Qt::PreciseTimer);

    // QSerialPort hands its buffer to the driver only from the event loop or
    // inside a wait; each wait passes on one chunk.
    while (port_->bytesToWrite() > 0) {
        const qint64 left = deadline.remainingTime(); // -1 when unbounded
        if (!port_->waitForBytesWritten(int(std::min<qint64>(left, INT_MAX))))
            break;
        if (deadline.hasExpired())
            break;
    }

    noteError();
    const qint64 unsent = std::min<qint64>(port_->bytesToWrite(), count);
    if (unsent > 0) {
        // The rest would otherwise leave later, cut loose from its call and
        // ahead of the caller's next frame.
        port_->clear(QSerialPort::Output);
    }
    port_->clearError();
    return count - uint32_t(unsent);
}

void EnumeratePorts(QStringList& ports)
{
    ports.clear();
    QStringList found;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        found.append(info.systemLocation());
    obr9::SortPortNames(found);
    ports.append(found);
    ports.append(obr9::ExtraPorts(qEnvironmentVariable(obr9::kExtraPortsVariable), found));
}

QStringList obr9::ExtraPorts(const QString& variable, const QStringList& listed)
{
    QStringList extra;
    const QStringList names = variable.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        // Only device paths SetPortName takes, and only those that exist now:
        // a simulator that has gone leaves no dead entry behind.
        if (!name.startsWith(QLatin1String("/dev/")) || listed.contains(name) || extra.contains(name))
            continue;
        if (QFileInfo::exists(name))
            extra.append(name);
    }
    return extra;
}
