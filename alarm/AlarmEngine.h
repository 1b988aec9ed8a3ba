// The alarm states of everything the program watches, evaluated for every
// new value.
//
// Sources, each one alarm slot:
//   - every HQ-2 temperature k (0..15 internal of channel k, 16..31 external
//     of channel k - 16, as ModuleChannelNames counts them) against its upper
//     and lower limit ("high", "low"; no limit, no alarm), and the sensor
//     missing (the reading -900.0, "sensor");
//   - the HQ-2 stream silent for 30 s while a module link is open ("silent");
//   - the controller link lost ("link").
//
// A limit alarm becomes active only once its condition has held for the
// on-delay, and returns only when the value is back inside the limit by the
// deadband, so a value wavering on a limit gives one alarm. Sensor, silent
// and link alarms act at once.
//
// Time is milliseconds since 1970 UTC from an injectable clock, read only
// while a condition waits out its on-delay or an event is made: a reading
// that changes nothing costs a few comparisons.
#pragma once

#include "alarm/AlarmEvent.h"

#include <QObject>

#include <array>
#include <chrono>
#include <functional>
#include <vector>

namespace obr9 {

class AlarmEngine : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<int64_t()>; // ms since 1970 UTC

    static constexpr int kChannels = 16;
    static constexpr int kTemperatures = 2 * kChannels;
    static constexpr int kSilentSlot = 3 * kTemperatures;
    static constexpr int kLinkSlot = kSilentSlot + 1;
    static constexpr int kSlots = kLinkSlot + 1;
    static constexpr float kMissingSensor = -900.0f;
    static constexpr std::chrono::milliseconds kSilentAfter{30000};
    static constexpr std::chrono::milliseconds kDefaultOnDelay{5000};
    static constexpr float kDefaultDeadband = 0.5f;

    static constexpr int slotOf(int temperature, AlarmKind kind) { return 3 * temperature + int(kind); }

    explicit AlarmEngine(QObject* parent = nullptr);

    // The wall clock when not set.
    void setClock(Clock clock);
    int64_t now() const { return clock_(); }

    void setOnDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds onDelay() const { return std::chrono::milliseconds(onDelayMs_); }
    // degC, not negative.
    void setDeadband(float deadband);
    float deadband() const { return deadband_; }

    // An empty limit raises no alarm; removing the limit of a condition
    // that holds returns its alarm.
    void setLimits(int temperature, std::optional<float> high, std::optional<float> low);
    // The source the journal names for the temperature's alarms.
    void setName(int temperature, const QString& name);
    QString sourceName(int slot) const;

    // One HQ-2 channel reading, degC.
    void reading(int channel, float internal, float external);
    // Once a second: on-delays that ran out with no newer reading, and the
    // silent stream (moduleLinkOpen: a link that carries the module stream
    // is open; the 30 s count from its opening or the last reading).
    void tick(bool moduleLinkOpen);
    // The controller link went (Time Out, a dropped connection, a vanished
    // port) or is back, or is no longer wanted.
    void setControllerLinkLost(bool lost);

    void acknowledge(int slot);
    void acknowledgeAll();

    struct Alarm {
        int slot = -1;
        AlarmState state = AlarmState::Normal;
        int64_t sinceMs = 0; // when it entered its state
        std::optional<float> value;
        std::optional<float> limit;
    };
    // Every alarm not in the normal state, in the order they became active.
    std::vector<Alarm> current() const;
    AlarmState state(int slot) const { return slots_[std::size_t(slot)].state; }
    int activeCount() const { return active_; }
    int unacknowledgedCount() const { return unacknowledged_; }

    static AlarmKind kindOf(int slot);

signals:
    // After the state has changed; counts and current() tell the new state.
    void changed(const obr9::AlarmEvent& event);

private:
    struct Slot {
        AlarmState state = AlarmState::Normal;
        bool condition = false;
        int64_t pendingSince = -1; // condition seen, waiting out the on-delay
        int64_t sinceMs = 0;
        int64_t order = 0; // activation order, for current()
        float value = 0;
        float limit = 0;
        bool hasValue = false;
        bool hasLimit = false;
    };
    struct Limits {
        float high = 0;
        float low = 0;
        bool hasHigh = false;
        bool hasLow = false;
    };

    void temperature(int k, float value);
    void limitCheck(int slot, float value, float limit, bool beyond, bool inside, int64_t& time);
    void setCondition(int slot, bool on);
    void enter(int slot, AlarmState state);

    Clock clock_;
    int64_t onDelayMs_ = kDefaultOnDelay.count();
    float deadband_ = kDefaultDeadband;
    std::array<Slot, kSlots> slots_{};
    std::array<Limits, kTemperatures> limits_{};
    std::array<QString, kTemperatures> names_;
    int active_ = 0;
    int unacknowledged_ = 0;
    int64_t activations_ = 0;
    // Silent stream: the last sign of life of the module stream.
    int64_t lastModuleLife_ = -1;
    bool readingSinceTick_ = false;
};

} // namespace obr9
