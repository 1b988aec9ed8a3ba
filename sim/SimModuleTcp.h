// The module stream on a loopback TCP port, as the controller forwards it
// on its TCP link: one client at a time, everything the modules send goes
// to it, everything it sends goes to the modules.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

namespace obr9::sim {

class SimModuleTcp : public QObject {
    Q_OBJECT
public:
    explicit SimModuleTcp(QObject* parent = nullptr);

    // Refuses addresses outside 127.0.0.0/8. Port 0: the system chooses.
    bool listen(const QHostAddress& address, quint16 port);
    quint16 serverPort() const;
    QString errorString() const { return error_; }

    void write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);
    void clientConnected();

private:
    QTcpServer* server_;
    QPointer<QTcpSocket> client_;
    QString error_;
};

} // namespace obr9::sim
