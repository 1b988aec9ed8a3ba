#include "link/TcpServerLink.h"

namespace obr9 {

TcpServerLink::TcpServerLink(QObject* parent)
    : Link(parent)
{
    connect(&server_, &QTcpServer::newConnection, this, &TcpServerLink::accept);
}

TcpServerLink::~TcpServerLink()
{
    // No notifications into a half-destroyed owner.
    for (QTcpSocket* socket : std::as_const(clients_)) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

bool TcpServerLink::open()
{
    server_.close();
    return server_.listen(address_, port_);
}

void TcpServerLink::close()
{
    server_.close();
    const QList<QTcpSocket*> clients = clients_;
    clients_.clear();
    for (QTcpSocket* socket : clients) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

int64_t TcpServerLink::write(const uint8_t* data, int length)
{
    if (clients_.isEmpty())
        return 0;
    QTcpSocket* first = clients_.first();
    const qint64 n = first->write(reinterpret_cast<const char*>(data), length);
    first->flush();
    return n > 0 ? n : 0;
}

int64_t TcpServerLink::bytesAvailable()
{
    int64_t total = 0;
    for (QTcpSocket* socket : std::as_const(clients_))
        total += socket->bytesAvailable();
    return total;
}

int64_t TcpServerLink::read(uint8_t* buffer, int64_t maxCount)
{
    for (QTcpSocket* socket : std::as_const(clients_)) {
        if (socket->bytesAvailable() > 0) {
            const qint64 n = socket->read(reinterpret_cast<char*>(buffer), maxCount);
            return n > 0 ? n : 0;
        }
    }
    return 0;
}

void TcpServerLink::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(nullptr);
        clients_.append(socket);
        connect(socket, &QIODevice::readyRead, this, &Link::bytesReceived);
        connect(socket, &QAbstractSocket::disconnected, this,
                [this, socket] { clientLeft(socket); });
        emit clientConnected();
    }
}

void TcpServerLink::clientLeft(QTcpSocket* socket)
{
    if (!clients_.removeOne(socket))
        return;
    socket->disconnect(this);
    socket->deleteLater();
    emit clientDisconnected();
}

void TcpServerLink::collectArrived()
{
    const QList<QTcpSocket*> clients = clients_; // a read may drop one
    for (QTcpSocket* socket : clients) {
        if (clients_.contains(socket) && socket->state() == QAbstractSocket::ConnectedState)
            socket->waitForReadyRead(0);
    }
}

} // namespace obr9
