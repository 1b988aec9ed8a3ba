// Publishes the program's readings to an MQTT broker, for the plant's
// dashboards and historians. Publishing only: nothing the broker sends is
// read, so no broker message can switch an output or send a frame.
//
// The caller's thread never waits on the network. publishValue() stores the
// value under a lock and returns; a sender thread hands it to libmosquitto,
// whose own thread does the socket work, connects, and reconnects with a
// backoff of 1, 4, 4, ... seconds. While the broker is away or slow the
// values wait in a table with one slot per topic, the newest value winning,
// so the memory stays bounded by the number of topics.
//
// Every value is retained, so a subscriber that arrives later sees the last
// reading at once; after each (re)connection every known topic is sent
// again, since a restarted broker may have lost its retained messages.
// PREFIX/status is "online" while connected and "offline" after a clean
// stop or, through the broker's last will, after the process died.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace obr9 {

class IniFile;

struct MqttSettings {
    QString host; // empty: no publishing
    int port = 1883;
    QString prefix = QStringLiteral("obr9");
    QString user;     // empty: no login
    QString password; // never written to any log

    bool enabled() const { return !host.isEmpty(); }
    // "HOST:PORT" or "HOST" (port 1883); false on an empty host or a port
    // outside 1..65535.
    bool setAddress(const QString& hostAndPort);
    // HOST:PORT, for the memo (never the login).
    QString address() const;

    // Section "MQTT" of the settings file: Host, Port, Prefix, User,
    // Password. No Host: no publishing. A Port that is no number in
    // 1..65535 reads as 1883.
    static MqttSettings fromIni(const IniFile& ini);
};

class MqttPublisher : public QObject {
    Q_OBJECT
public:
    // More topics than this are not taken (the table stays bounded whatever
    // the caller does); alarm-like events beyond kEventCapacity waiting
    // push out the oldest.
    static constexpr int kTopicCapacity = 2048;
    static constexpr int kEventCapacity = 256;

    explicit MqttPublisher(MqttSettings settings, QObject* parent = nullptr);
    // Stops as stop() does.
    ~MqttPublisher() override;

    const MqttSettings& settings() const { return settings_; }

    // Starts connecting in the background; publishing may begin before.
    void start();
    // Publishes "offline" (waiting at most a second for the broker's
    // acknowledgement), disconnects and ends the threads. Values still
    // waiting are dropped.
    void stop();

    // PREFIX/subtopic, retained, QoS 0; the newest value of a topic wins
    // while it waits.
    void publishValue(const QString& subtopic, const QByteArray& payload);
    // PREFIX/subtopic, QoS 1, not retained; every event is sent, in order.
    void publishEvent(const QString& subtopic, const QByteArray& payload);

    bool isConnected() const;
    // Messages the library has written out since start (a measure of rate).
    quint64 publishedCount() const;
    // Topics whose newest value has not been sent yet.
    int waitingCount() const;

signals:
    // One line when the broker is reached, one when it is lost (or not
    // reached within a few seconds of start); texts for the memo.
    void memoLine(const QString& line);
    void connectedChanged(bool connected);

private:
    struct Shared;

    void announce(bool connected);

    MqttSettings settings_;
    std::shared_ptr<Shared> shared_;
    bool lostAnnounced_ = false;
    bool running_ = false;
};

} // namespace obr9
