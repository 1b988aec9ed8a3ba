// The TCP client link: the program connects to the controller's address.
#pragma once

#include "link/Link.h"

#include <QTcpSocket>

namespace obr9 {

class TcpClientLink : public Link {
    Q_OBJECT
public:
    explicit TcpClientLink(QObject* parent = nullptr);
    ~TcpClientLink() override;

    void setTarget(const QString& host, quint16 port);
    // Starts connecting (an open connection is cut first); connected() or
    // nothing follows. Always true: a wrong address shows as no connection.
    bool open() override;
    void close() override { socket_.abort(); }
    // Lets what was written leave, then closes.
    void closeGracefully() { socket_.disconnectFromHost(); }
    bool canWrite() const override { return socket_.state() == QAbstractSocket::ConnectedState; }
    int64_t write(const uint8_t* data, int length) override;
    int64_t bytesAvailable() override { return socket_.bytesAvailable(); }
    int64_t read(uint8_t* buffer, int64_t maxCount) override;
    void collectArrived() override;

    QTcpSocket& socket() { return socket_; }

signals:
    void connecting();
    void connected();
    void disconnected();

private:
    QTcpSocket socket_;
    QString host_;
    quint16 port_ = 0;
};

} // namespace obr9
