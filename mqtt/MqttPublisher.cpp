#include "mqtt/MqttPublisher.h"

#include "base/IniFile.h"

#include <QHash>
#include <QHostInfo>
#include <QTimer>

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <unistd.h>

namespace obr9 {

namespace {

constexpr int kKeepAliveSeconds = 10;
// Messages handed to the library and not yet written out (QoS 0) or
// acknowledged (QoS 1). Beyond it values wait in the topic table, where a
// newer value replaces an older one, instead of in the library's queue.
constexpr int kMaxInFlight = 64;
constexpr int kQos0 = 0;
constexpr int kQos1 = 1;
// How long start() waits for the first connection before the memo says the
// broker is not there.
constexpr int kFirstConnectGraceMs = 5000;
constexpr auto kOfflineAckWait = std::chrono::seconds(1);

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString connectedText(const MqttSettings& s)
{
    return QStringLiteral("MQTT: connected to ") + s.address();
}

QString lostText(const MqttSettings& s)
{
    return QStringLiteral("MQTT: broker ") + s.address() + QStringLiteral(" lost");
}

} // namespace

bool MqttSettings::setAddress(const QString& hostAndPort)
{
    const int colon = hostAndPort.lastIndexOf(QLatin1Char(':'));
    QString newHost = colon < 0 ? hostAndPort : hostAndPort.left(colon);
    int newPort = 1883;
    if (colon >= 0) {
        bool ok = false;
        newPort = hostAndPort.mid(colon + 1).toInt(&ok);
        if (!ok || newPort < 1 || newPort > 65535)
            return false;
    }
    if (newHost.isEmpty())
        return false;
    host = newHost;
    port = newPort;
    return true;
}

MqttSettings MqttSettings::fromIni(const IniFile& ini)
{
    const QString section = QStringLiteral("MQTT");
    MqttSettings s;
    s.host = ini.readString(section, QStringLiteral("Host"), {}).trimmed();
    const int port = ini.readInt(section, QStringLiteral("Port"), s.port);
    if (port >= 1 && port <= 65535)
        s.port = port;
    const QString prefix = ini.readString(section, QStringLiteral("Prefix"), {}).trimmed();
    if (!prefix.isEmpty())
        s.prefix = prefix;
    s.user = ini.readString(section, QStringLiteral("User"), {});
    s.password = ini.readString(section, QStringLiteral("Password"), {});
    return s;
}

QString MqttSettings::address() const
{
    return host + QLatin1Char(':') + QString::number(port);
}

// What the caller's thread, the sender thread and libmosquitto's thread
// share. The library is never called with `mutex` held, so a callback that
// takes it can never wait on a thread that waits on the library.
struct MqttPublisher::Shared {
    struct Slot {
        QByteArray payload;
        bool waiting = false;
    };
    struct Message {
        QByteArray topic;
        QByteArray payload;
        int qos = kQos0;
    };

    std::mutex mutex;
    std::condition_variable wake;
    QHash<QByteArray, Slot> values;
    std::deque<QByteArray> waitingTopics;
    std::deque<Message> events;
    bool stopping = false;
    bool connected = false;
    int inFlight = 0;
    std::vector<int> ackedWhileStopping;
    std::atomic<quint64> published{0};

    mosquitto* client = nullptr;
    std::thread sender;
    bool loopStarted = false;
    MqttPublisher* owner = nullptr;
    QByteArray statusTopic;

    bool canSend() const
    {
        return connected && inFlight < kMaxInFlight && (!events.empty() || !waitingTopics.empty());
    }

    // True when the sender should look again.
    bool storeValue(const QByteArray& topic, const QByteArray& payload)
    {
        auto it = values.find(topic);
        if (it == values.end()) {
            if (values.size() >= kTopicCapacity)
                return false;
            it = values.insert(topic, Slot{});
        }
        it->payload = payload;
        if (!it->waiting) {
            it->waiting = true;
            waitingTopics.push_back(topic);
        }
        return canSend();
    }

    void markAllWaiting()
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (!it->waiting) {
                it->waiting = true;
                waitingTopics.push_back(it.key());
            }
        }
    }

    std::vector<Message> takeBatch()
    {
        std::vector<Message> batch;
        while (inFlight < kMaxInFlight && !events.empty()) {
            batch.push_back(std::move(events.front()));
            events.pop_front();
            ++inFlight;
        }
        while (inFlight < kMaxInFlight && !waitingTopics.empty()) {
            QByteArray topic = std::move(waitingTopics.front());
            waitingTopics.pop_front();
            Slot& slot = values[topic];
            slot.waiting = false;
            batch.push_back({std::move(topic), slot.payload, kQos0});
            ++inFlight;
        }
        return batch;
    }

    // A message the library refused (the connection went meanwhile) waits
    // again, unless a newer value of its topic already does.
    void giveBack(Message&& m)
    {
        --inFlight;
        if (m.qos == kQos1) {
            events.push_front(std::move(m));
            return;
        }
        Slot& slot = values[m.topic];
        if (!slot.waiting) {
            slot.waiting = true;
            waitingTopics.push_front(m.topic);
        }
    }

    void announce(bool up)
    {
        QMetaObject::invokeMethod(owner, [o = owner, up] { o->announce(up); },
                                  Qt::QueuedConnection);
    }

    // ---- libmosquitto's thread -------------------------------------------

    static void onConnect(mosquitto* client, void* data, int rc)
    {
        auto* s = static_cast<Shared*>(data);
        if (rc != 0)
            return;
        static const QByteArray online("online");
        mosquitto_publish(client, nullptr, s->statusTopic.constData(), int(online.size()),
                          online.constData(), kQos1, true);
        {
            std::lock_guard lock(s->mutex);
            s->connected = true;
            // QoS 0 messages queued before the break were dropped by the
            // library; every topic goes out again.
            s->inFlight = 0;
            s->markAllWaiting();
        }
        s->wake.notify_all();
        s->announce(true);
    }

    static void onDisconnect(mosquitto*, void* data, int rc)
    {
        auto* s = static_cast<Shared*>(data);
        bool was = false;
        {
            std::lock_guard lock(s->mutex);
            was = s->connected;
            s->connected = false;
        }
        // rc 0: our own disconnect at stop.
        if (was && rc != 0)
            s->announce(false);
    }

    static void onPublish(mosquitto*, void* data, int mid)
    {
        auto* s = static_cast<Shared*>(data);
        s->published.fetch_add(1, std::memory_order_relaxed);
        {
            std::lock_guard lock(s->mutex);
            s->inFlight = std::max(0, s->inFlight - 1);
            if (s->stopping)
                s->ackedWhileStopping.push_back(mid);
        }
        s->wake.notify_all();
    }

    // ---- the sender thread -----------------------------------------------

    // Name resolution happens inside connect, so it runs here and not on
    // the caller's thread. Until a first connection is under way (a broker
    // that refuses at once, a name that does not resolve) it is retried
    // here; once one was, the library's loop reconnects by itself.
    bool connectFirst(const MqttSettings& settings)
    {
        std::unique_lock lock(mutex);
        auto delay = std::chrono::seconds(1);
        while (!stopping) {
            lock.unlock();
            const QByteArray host = settings.host.toUtf8();
            const int rc = mosquitto_connect_async(client, host.constData(), settings.port,
                                                   kKeepAliveSeconds);
            lock.lock();
            if (rc == MOSQ_ERR_SUCCESS)
                return true;
            wake.wait_for(lock, delay, [this] { return stopping; });
            delay = std::min(delay * 2, std::chrono::seconds(4));
        }
        return false;
    }

    void send()
    {
        std::unique_lock lock(mutex);
        while (!stopping) {
            wake.wait(lock, [this] { return stopping || canSend(); });
            if (stopping)
                break;
            std::vector<Message> batch = takeBatch();
            lock.unlock();
            std::vector<Message> refused;
            for (Message& m : batch) {
                const int rc = mosquitto_publish(client, nullptr, m.topic.constData(),
                                                 int(m.payload.size()), m.payload.constData(),
                                                 m.qos, m.qos == kQos0);
                if (rc != MOSQ_ERR_SUCCESS)
                    refused.push_back(std::move(m));
            }
            lock.lock();
            for (Message& m : refused)
                giveBack(std::move(m));
            // The connection is going; let the library notice before trying again.
            if (!refused.empty())
                wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return stopping; });
        }
    }

    void run(const MqttSettings& settings)
    {
        if (!connectFirst(settings))
            return;
        if (mosquitto_loop_start(client) != MOSQ_ERR_SUCCESS)
            return;
        {
            std::lock_guard lock(mutex);
            loopStarted = true;
        }
        send();
    }
};

MqttPublisher::MqttPublisher(MqttSettings settings, QObject* parent)
    : QObject(parent)
    , settings_(std::move(settings))
    , shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
    shared_->statusTopic = (settings_.prefix + QStringLiteral("/status")).toUtf8();
}

MqttPublisher::~MqttPublisher()
{
    stop();
}

void MqttPublisher::start()
{
    if (running_ || !settings_.enabled())
        return;
    initialiseLibrary();
    Shared& s = *shared_;
    const QByteArray id = QStringLiteral("obr9-%1-%2")
                              .arg(QHostInfo::localHostName())
                              .arg(::getpid())
                              .left(64)
                              .toUtf8();
    s.client = mosquitto_new(id.constData(), true, &s);
    if (!s.client)
        return;
    static const QByteArray offline("offline");
    mosquitto_will_set(s.client, s.statusTopic.constData(), int(offline.size()),
                       offline.constData(), kQos1, true);
    if (!settings_.user.isEmpty()) {
        const QByteArray user = settings_.user.toUtf8();
        const QByteArray password = settings_.password.toUtf8();
        mosquitto_username_pw_set(s.client, user.constData(),
                                  password.isEmpty() ? nullptr : password.constData());
    }
    // Exponential: 1 s, then 4 s between attempts, so a broker back from a
    // restart is found again within a few seconds.
    mosquitto_reconnect_delay_set(s.client, 1, 4, true);
    mosquitto_connect_callback_set(s.client, &Shared::onConnect);
    mosquitto_disconnect_callback_set(s.client, &Shared::onDisconnect);
    mosquitto_publish_callback_set(s.client, &Shared::onPublish);
    running_ = true;
    s.sender = std::thread([&s, settings = settings_] { s.run(settings); });
    QTimer::singleShot(kFirstConnectGraceMs, this, [this] {
        if (running_ && !isConnected())
            announce(false);
    });
}

void MqttPublisher::stop()
{
    if (!running_)
        return;
    running_ = false;
    Shared& s = *shared_;
    {
        std::lock_guard lock(s.mutex);
        s.stopping = true;
    }
    s.wake.notify_all();
    s.sender.join();
    bool loopStarted = false;
    bool connected = false;
    {
        std::lock_guard lock(s.mutex);
        loopStarted = s.loopStarted;
        connected = s.connected;
    }
    if (connected) {
        static const QByteArray offline("offline");
        int mid = 0;
        if (mosquitto_publish(s.client, &mid, s.statusTopic.constData(), int(offline.size()),
                              offline.constData(), kQos1, true) == MOSQ_ERR_SUCCESS) {
            std::unique_lock lock(s.mutex);
            s.wake.wait_for(lock, kOfflineAckWait, [&s, mid] {
                return std::find(s.ackedWhileStopping.begin(), s.ackedWhileStopping.end(),
                                 mid) != s.ackedWhileStopping.end();
            });
        }
    }
    // A disconnect also ends the library's wait before a reconnect.
    mosquitto_disconnect(s.client);
    if (loopStarted)
        mosquitto_loop_stop(s.client, false);
    mosquitto_destroy(s.client);
    s.client = nullptr;
}

void MqttPublisher::publishValue(const QString& subtopic, const QByteArray& payload)
{
    const QByteArray topic = (settings_.prefix + QLatin1Char('/') + subtopic).toUtf8();
    bool due = false;
    {
        std::lock_guard lock(shared_->mutex);
        due = shared_->storeValue(topic, payload);
    }
    if (due)
        shared_->wake.notify_one();
}

void MqttPublisher::publishEvent(const QString& subtopic, const QByteArray& payload)
{
    const QByteArray topic = (settings_.prefix + QLatin1Char('/') + subtopic).toUtf8();
    bool due = false;
    {
        std::lock_guard lock(shared_->mutex);
        auto& events = shared_->events;
        if (int(events.size()) >= kEventCapacity)
            events.pop_front();
        events.push_back({topic, payload, kQos1});
        due = shared_->canSend();
    }
    if (due)
        shared_->wake.notify_one();
}

bool MqttPublisher::isConnected() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->connected;
}

quint64 MqttPublisher::publishedCount() const
{
    return shared_->published.load(std::memory_order_relaxed);
}

int MqttPublisher::waitingCount() const
{
    std::lock_guard lock(shared_->mutex);
    return int(shared_->waitingTopics.size());
}

void MqttPublisher::announce(bool connected)
{
    if (connected) {
        lostAnnounced_ = false;
        emit memoLine(connectedText(settings_));
    } else if (!lostAnnounced_) {
        lostAnnounced_ = true;
        emit memoLine(lostText(settings_));
    }
    emit connectedChanged(connected);
}

} // namespace obr9
