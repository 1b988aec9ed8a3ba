#include "link/TcpClientLink.h"

namespace obr9 {

TcpClientLink::TcpClientLink(QObject* parent)
    : Link(parent)
{
    connect(&socket_, &QAbstractSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState state) {
                if (state == QAbstractSocket::ConnectingState)
                    emit connecting();
            });
    connect(&socket_, &QAbstractSocket::connected, this, &TcpClientLink::connected);
    connect(&socket_, &QAbstractSocket::disconnected, this, &TcpClientLink::disconnected);
    connect(&socket_, &QIODevice::readyRead, this, &Link::bytesReceived);
    // Socket errors are handled by being ignored: the caption keeps its last
    // status and "connect" stays checked (errorOccurred is not connected).
}

TcpClientLink::~TcpClientLink()
{
    // No notifications into a half-destroyed owner.
    socket_.disconnect(this);
}

void TcpClientLink::setTarget(const QString& host, quint16 port)
{
    host_ = host;
    port_ = port;
}

bool TcpClientLink::open()
{
    socket_.abort();
    socket_.connectToHost(host_, port_);
    return true;
}

int64_t TcpClientLink::write(const uint8_t* data, int length)
{
    const qint64 n = socket_.write(reinterpret_cast<const char*>(data), length);
    socket_.flush();
    return n > 0 ? n : 0;
}

int64_t TcpClientLink::read(uint8_t* buffer, int64_t maxCount)
{
    const qint64 n = socket_.read(reinterpret_cast<char*>(buffer), maxCount);
    return n > 0 ? n : 0;
}

void TcpClientLink::collectArrived()
{
    // A zero wait reads what the system holds and emits readyRead now.
    if (canWrite())
        socket_.waitForReadyRead(0);
}

} // namespace obr9
