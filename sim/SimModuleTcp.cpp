#include "sim/SimModuleTcp.h"

#include "sim/SimAddress.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace obr9::sim {

SimModuleTcp::SimModuleTcp(QObject* parent)
    : QObject(parent)
    , server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* next = server_->nextPendingConnection()) {
            if (client_)
                client_->deleteLater(); // the newest connection wins
            client_ = next;
            connect(next, &QTcpSocket::readyRead, this, [this, next] { emit received(next->readAll()); });
            connect(next, &QTcpSocket::disconnected, next, &QObject::deleteLater);
            emit clientConnected();
        }
    });
}

bool SimModuleTcp::listen(const QHostAddress& address, quint16 port)
{
    if (!isLoopbackIpv4(address)) {
        error_ = QStringLiteral("%1 is not a loopback address").arg(address.toString());
        return false;
    }
    if (!server_->listen(address, port)) {
        error_ = server_->errorString();
        return false;
    }
    return true;
}

quint16 SimModuleTcp::serverPort() const
{
    return server_->serverPort();
}

void SimModuleTcp::write(const QByteArray& bytes)
{
    if (client_ && client_->state() == QAbstractSocket::ConnectedState)
        client_->write(bytes);
}

} // namespace obr9::sim
