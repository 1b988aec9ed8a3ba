#include "alarm/AlarmEngine.h"

#include <QDateTime>

#include <algorithm>

namespace obr9 {

AlarmEngine::AlarmEngine(QObject* parent)
    : QObject(parent)
{
    setClock({});
}

void AlarmEngine::setClock(Clock clock)
{
    clock_ = clock ? std::move(clock) : Clock([] { return QDateTime::currentMSecsSinceEpoch(); });
}

void AlarmEngine::setOnDelay(std::chrono::milliseconds delay)
{
    onDelayMs_ = std::max<int64_t>(0, delay.count());
}

void AlarmEngine::setDeadband(float deadband)
{
    deadband_ = deadband > 0 ? deadband : 0.0f;
}

AlarmKind AlarmEngine::kindOf(int slot)
{
    if (slot == kSilentSlot)
        return AlarmKind::Silent;
    if (slot == kLinkSlot)
        return AlarmKind::Link;
    return AlarmKind(slot % 3);
}

void AlarmEngine::setName(int temperature, const QString& name)
{
    if (temperature >= 0 && temperature < kTemperatures)
        names_[std::size_t(temperature)] = name;
}

QString AlarmEngine::sourceName(int slot) const
{
    if (slot < 0 || slot >= kSilentSlot)
        return kLinkSource;
    return names_[std::size_t(slot / 3)];
}

void AlarmEngine::setLimits(int temperature, std::optional<float> high, std::optional<float> low)
{
    if (temperature < 0 || temperature >= kTemperatures)
        return;
    Limits& l = limits_[std::size_t(temperature)];
    l.hasHigh = high.has_value();
    l.high = high.value_or(0.0f);
    l.hasLow = low.has_value();
    l.low = low.value_or(0.0f);
    for (const auto& [kind, kept] : {std::pair{AlarmKind::High, l.hasHigh}, {AlarmKind::Low, l.hasLow}}) {
        Slot& s = slots_[std::size_t(slotOf(temperature, kind))];
        if (kept)
            continue;
        s.pendingSince = -1;
        if (s.condition)
            setCondition(slotOf(temperature, kind), false);
    }
}

// ---- evaluation ------------------------------------------------------------

void AlarmEngine::reading(int channel, float internal, float external)
{
    if (channel < 0 || channel >= kChannels)
        return;
    readingSinceTick_ = true;
    if (slots_[kSilentSlot].condition)
        setCondition(kSilentSlot, false);
    temperature(channel, internal);
    temperature(kChannels + channel, external);
}

void AlarmEngine::temperature(int k, float value)
{
    const int sensor = slotOf(k, AlarmKind::Sensor);
    if (value == kMissingSensor) {
        // A missing sensor says nothing about the limits: their alarms stay.
        if (!slots_[std::size_t(sensor)].condition)
            setCondition(sensor, true);
        return;
    }
    if (slots_[std::size_t(sensor)].condition)
        setCondition(sensor, false);

    const Limits& l = limits_[std::size_t(k)];
    int64_t time = -1; // read once, and only when an on-delay runs
    if (l.hasHigh)
        limitCheck(slotOf(k, AlarmKind::High), value, l.high, value > l.high,
                   value <= l.high - deadband_, time);
    if (l.hasLow)
        limitCheck(slotOf(k, AlarmKind::Low), value, l.low, value < l.low,
                   value >= l.low + deadband_, time);
}

// beyond: the condition holds; inside: back within the limit by the
// deadband. Between the two a condition that holds keeps holding.
void AlarmEngine::limitCheck(int slot, float value, float limit, bool beyond, bool inside,
                             int64_t& time)
{
    Slot& s = slots_[std::size_t(slot)];
    if (s.condition) {
        if (inside) {
            s.value = value;
            s.limit = limit;
            setCondition(slot, false);
        }
        return;
    }
    if (!beyond) {
        s.pendingSince = -1;
        return;
    }
    if (time < 0)
        time = now();
    if (s.pendingSince < 0)
        s.pendingSince = time;
    s.value = value;
    s.limit = limit;
    s.hasValue = s.hasLimit = true;
    if (time - s.pendingSince >= onDelayMs_)
        setCondition(slot, true);
}

void AlarmEngine::tick(bool moduleLinkOpen)
{
    int64_t time = -1;
    for (int slot = 0; slot < kSilentSlot; ++slot) {
        const Slot& s = slots_[std::size_t(slot)];
        if (s.pendingSince < 0)
            continue;
        if (time < 0)
            time = now();
        if (time - s.pendingSince >= onDelayMs_)
            setCondition(slot, true);
    }

    Slot& silent = slots_[kSilentSlot];
    if (!moduleLinkOpen) {
        lastModuleLife_ = -1;
        readingSinceTick_ = false;
        if (silent.condition)
            setCondition(kSilentSlot, false);
        return;
    }
    if (time < 0)
        time = now();
    if (readingSinceTick_ || lastModuleLife_ < 0) {
        lastModuleLife_ = time;
        readingSinceTick_ = false;
    }
    const int64_t quiet = time - lastModuleLife_;
    if (!silent.condition && quiet >= kSilentAfter.count()) {
        silent.value = float(quiet / 1000);
        silent.limit = float(kSilentAfter.count() / 1000);
        silent.hasValue = silent.hasLimit = true;
        setCondition(kSilentSlot, true);
    }
}

void AlarmEngine::setControllerLinkLost(bool lost)
{
    if (slots_[kLinkSlot].condition != lost)
        setCondition(kLinkSlot, lost);
}

// ---- states ---------------------------------------------------------------

void AlarmEngine::setCondition(int slot, bool on)
{
    Slot& s = slots_[std::size_t(slot)];
    s.condition = on;
    s.pendingSince = -1;
    if (on) {
        if (s.state == AlarmState::Normal || s.state == AlarmState::ReturnedUnacknowledged)
            enter(slot, AlarmState::ActiveUnacknowledged);
        return;
    }
    if (s.state == AlarmState::ActiveUnacknowledged)
        enter(slot, AlarmState::ReturnedUnacknowledged);
    else if (s.state == AlarmState::ActiveAcknowledged)
        enter(slot, AlarmState::Normal);
}

void AlarmEngine::acknowledge(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    const AlarmState state = slots_[std::size_t(slot)].state;
    if (state == AlarmState::ActiveUnacknowledged)
        enter(slot, AlarmState::ActiveAcknowledged);
    else if (state == AlarmState::ReturnedUnacknowledged)
        enter(slot, AlarmState::Normal);
}

void AlarmEngine::acknowledgeAll()
{
    for (int slot = 0; slot < kSlots; ++slot)
        acknowledge(slot);
}

void AlarmEngine::enter(int slot, AlarmState state)
{
    Slot& s = slots_[std::size_t(slot)];
    active_ += int(isActive(state)) - int(isActive(s.state));
    unacknowledged_ += int(isUnacknowledged(state)) - int(isUnacknowledged(s.state));
    if (s.state == AlarmState::Normal)
        s.order = ++activations_;
    s.state = state;
    s.sinceMs = now();

    const AlarmKind kind = kindOf(slot);
    const bool measured = kind != AlarmKind::Sensor && kind != AlarmKind::Link;
    AlarmEvent event;
    event.slot = slot;
    event.timeMs = s.sinceMs;
    event.source = sourceName(slot);
    event.kind = kind;
    event.state = state;
    if (measured && s.hasValue)
        event.value = s.value;
    if (measured && s.hasLimit)
        event.limit = s.limit;
    emit changed(event);
}

std::vector<AlarmEngine::Alarm> AlarmEngine::current() const
{
    std::vector<std::pair<int64_t, Alarm>> found;
    for (int slot = 0; slot < kSlots; ++slot) {
        const Slot& s = slots_[std::size_t(slot)];
        if (s.state == AlarmState::Normal)
            continue;
        const AlarmKind kind = kindOf(slot);
        const bool measured = kind != AlarmKind::Sensor && kind != AlarmKind::Link;
        Alarm a{slot, s.state, s.sinceMs, {}, {}};
        if (measured && s.hasValue)
            a.value = s.value;
        if (measured && s.hasLimit)
            a.limit = s.limit;
        found.push_back({s.order, a});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<Alarm> out;
    out.reserve(found.size());
    for (const auto& f : found)
        out.push_back(f.second);
    return out;
}

} // namespace obr9
