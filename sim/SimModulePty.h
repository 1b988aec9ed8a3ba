// A pseudo-terminal carrying the module stream: the program opens path()
// as its serial port; the simulator keeps the other side.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace obr9::sim {

class SimModulePty : public QObject {
    Q_OBJECT
public:
    explicit SimModulePty(QObject* parent = nullptr);
    ~SimModulePty() override;

    // Creates the pseudo-terminal; false with errorString() on failure.
    bool open();
    // "/dev/pts/N", the path the program opens.
    QString path() const { return path_; }
    QString errorString() const { return error_; }

    // Bytes that find the terminal full (nobody reading) are dropped, as on
    // a bus nobody listens to.
    void write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);

private:
    void readMaster();

    int master_ = -1;
    int slave_ = -1; // kept open so the master never sees a hang-up
    QString path_;
    QString error_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace obr9::sim
