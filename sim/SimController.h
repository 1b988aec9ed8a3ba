// The simulated OBR-9 controller on its TCP link.
//
// It either listens for the program (the controller in server mode) or
// connects to the program's listening port (client mode), one connection at
// a time. On a connection it sends data frames on its own at its sampling
// intervals, answers identification requests and applies output commands.
// Fault switches make it write byte by byte, put garbage between frames,
// fall silent or drop the connection.
//
// The RS-485 modules behind the controller (HQ-2, VK8) are a separate peer,
// SimModules, carried on a pseudo-terminal or TCP.
#pragma once

#include "sim/SimDeviceConfig.h"
#include "sim/SimOptions.h"
#include "sim/SimReadings.h"
#include "sim/SimRequest.h"
#include "sim/SimRequestParser.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>

class QTcpServer;
class QTcpSocket;

namespace obr9::sim {

class SimController : public QObject {
    Q_OBJECT
public:
    explicit SimController(SimOptions options = {}, QObject* parent = nullptr);
    ~SimController() override;

    // Server mode. Port 0 lets the system choose; serverPort() tells which.
    // Refuses (returns false) any address outside 127.0.0.0/8.
    bool listen(const QHostAddress& address, quint16 port);
    quint16 serverPort() const;

    // Client mode: connects, and after a lost or refused connection tries
    // again every reconnectDelay(). Refuses any address outside 127.0.0.0/8.
    bool connectTo(const QHostAddress& address, quint16 port);

    // Closes the connection and stops listening or reconnecting.
    void stop();

    QString errorString() const { return error_; }
    bool isConnected() const;

    // Fault switches; they act on the running connection at once.
    void setBytePerWrite(bool on);
    void setGarbage(bool on);
    void setSilentAfter(std::optional<Milliseconds> after);
    void setDropAfter(std::optional<Milliseconds> after);
    // Pause between two single-byte writes, so the peer sees separate reads.
    void setBytePerWriteGap(Milliseconds gap);
    void setReconnectDelay(Milliseconds delay) { reconnectDelay_ = delay; }
    Milliseconds reconnectDelay() const { return reconnectDelay_; }

    // Frames of the RS-485 bus the controller forwards (SimModules::
    // hq2FramesOut, whole frames free of 0xFF): sent on the link like its own
    // data frames (not during an upload, subject to the faults). Every block
    // goes out whole and in turn, also byte by byte, so forwarded bytes only
    // ever lie between two whole controller frames, where the program's
    // parser skips all but a 0xFF.
    void forwardBusBytes(const QByteArray& bytes) { sendData(bytes); }

    // Replaces all sampling periods (nothing: back to the interval indexes).
    void setPeriod(std::optional<Milliseconds> period);

    const SimOptions& options() const { return options_; }
    // Output bits as the status frame carries them (kStatusOut1, kStatusOut2).
    uint8_t outputBits() const { return outputBits_; }
    const SimDeviceConfig& deviceConfig() const { return deviceConfig_; }
    const SimUploadReceiver& uploadReceiver() const { return upload_; }
    // Write calls made on the link since construction.
    qint64 writeCount() const { return writeCount_; }
    // Data frames (temperatures, voltage, inputs and outputs) whose every
    // byte has left for the system, over all connections since
    // construction. Frames still queued when a connection ends, or cut short
    // by it, do not count.
    qint64 dataFramesSent();

signals:
    void connectionStarted();
    void connectionEnded();
    void requestReceived(const QByteArray& request);
    // One block handed to the link (garbage included), before byte-per-write
    // splits it.
    void blockSent(const QByteArray& block);
    void fellSilent();
    // Device configuration: a login was answered; a settings frame was
    // taken up (why empty) or refused (why says so); a firmware upload has
    // received its whole image.
    void loginAnswered(bool accepted);
    void settingsFrameReceived(const QByteArray& frame, const QString& why);
    void uploadFinished(const QByteArray& file, bool checksumOk);

private:
    void connectSocket();
    void adoptConnection(QTcpSocket* socket);
    void endConnection();
    void scheduleReconnect();
    void armFaultTimers();
    void applyPeriods();
    Milliseconds temperaturePeriod() const;
    Milliseconds voltagePeriod() const;
    Milliseconds statusPeriod() const;

    void onReadyRead();
    void handle(const SimRequest& request);
    void applyOutputCommand(uint8_t commandBits);
    void takeChannelSettings(const QByteArray& frame);
    void takeSettings(const QByteArray& frame);
    void takeUploadHeader(const QByteArray& header);
    // Raw firmware blocks carry no header of their own: while an upload
    // runs they are taken from a read before the request parser sees it.
    void takeUploadBytes(QByteArray& data);

    void fallSilent();
    void sendTemperatures();
    void sendVoltage();
    void sendStatus();
    void sendData(const QByteArray& frame);
    // whole: in byte-per-write mode the block still leaves in one write
    // (command answers must arrive within one read of the program).
    void send(QByteArray block, bool whole = false);
    void writePendingWhole();
    void writeNextByte();
    QByteArray garbageBytes();
    // Bookkeeping of dataFramesSent(): bytes handed to the link, and where
    // in that byte stream (and in the trickle) each data frame ends.
    void handedToLink(qint64 count);
    void forgetQueuedFrames();
    void settleSentFrames();

    SimOptions options_;
    SimReadings readings_;
    SimRequestParser parser_;
    SimDeviceConfig deviceConfig_;
    SimUploadReceiver upload_;
    uint8_t outputBits_ = 0;
    uint8_t inputBits_ = 0;

    QTcpServer* server_ = nullptr;
    QPointer<QTcpSocket> link_;
    bool clientMode_ = false;
    QHostAddress peerAddress_; // client mode only
    quint16 peerPort_ = 0;
    QString error_;

    QElapsedTimer connectionClock_;
    bool silent_ = false;
    QTimer temperatureTimer_;
    QTimer voltageTimer_;
    QTimer statusTimer_;
    QTimer silenceTimer_;
    QTimer dropTimer_;
    QTimer reconnectTimer_;
    Milliseconds reconnectDelay_{1000};

    QByteArray trickle_; // bytes still to go out one per write
    QList<QByteArray> pendingWhole_; // answers waiting for the trickle to drain
    QTimer trickleTimer_;
    qint64 writeCount_ = 0;
    unsigned garbageCounter_ = 0;

    qint64 dataFramesSent_ = 0;
    qint64 linkBytes_ = 0;                 // this connection
    std::deque<qint64> frameEnds_;         // in linkBytes_ units
    qint64 trickleAppended_ = 0;           // this connection
    qint64 trickleTaken_ = 0;
    std::deque<qint64> trickleFrameEnds_;  // in trickleAppended_ units
};

} // namespace obr9::sim
