// The gateway's RS-485 module port, open beside the controller's link (the
// window program has one active link; the gateway has both). Read as the
// serial poll reads: every interval everything waiting is handed on in one
// piece, also when nothing is (the module stream adds its chart points per
// call). A port that goes away (a USB adapter pulled) is opened again every
// two seconds.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace obr9 {

class ModulePort : public QObject {
    Q_OBJECT
public:
    using Sink = std::function<void(const uint8_t* data, int count)>;
    static constexpr int kReopenIntervalMs = 2000;

    ModulePort(QString device, int baud, QObject* parent = nullptr);

    void setSink(Sink sink) { sink_ = std::move(sink); }
    // Opens the port and starts polling every intervalMs; false (and a log
    // line) when it cannot be opened now; it is tried again meanwhile.
    bool start(int intervalMs);
    void stop();
    bool isOpen() const { return port_.isOpen(); }
    // A frame to the modules; false when the port is not open.
    bool write(const QByteArray& frame);

signals:
    void logLine(const QString& line);
    // After each poll's hand-over.
    void polled();

private:
    bool open();
    void poll();
    void lost();

    QString device_;
    int baud_;
    QSerialPort port_;
    QTimer poll_;
    QTimer reopen_;
    QByteArray buffer_;
    Sink sink_;
};

} // namespace obr9
