// The listening server link: the controller connects to the program. Every
// accepted client stays until it leaves; frames go to the first one, bytes
// are read from any.
#pragma once

#include "link/Link.h"

#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

namespace obr9 {

class TcpServerLink : public Link {
    Q_OBJECT
public:
    explicit TcpServerLink(QObject* parent = nullptr);
    ~TcpServerLink() override;

    // Any address by default, since the controller connects from the plant
    // network.
    void setAddress(const QHostAddress& address) { address_ = address; }
    void setPort(quint16 port) { port_ = port; }
    // Listens anew (a listening server is closed first); false when the
    // port cannot be had (errorString says why).
    bool open() override;
    // Stops listening and cuts every client.
    void close() override;
    QString errorString() const { return server_.errorString(); }
    bool canWrite() const override { return !clients_.isEmpty(); }
    // To the first client.
    int64_t write(const uint8_t* data, int length) override;
    int64_t bytesAvailable() override;
    // From the first client that holds bytes.
    int64_t read(uint8_t* buffer, int64_t maxCount) override;
    void collectArrived() override;

    QTcpServer& server() { return server_; }

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void accept();
    void clientLeft(QTcpSocket* socket);

    QTcpServer server_;
    QList<QTcpSocket*> clients_;
    QHostAddress address_ = QHostAddress::Any;
    quint16 port_ = 0;
};

} // namespace obr9
