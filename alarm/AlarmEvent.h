// What an alarm is and the words the journal writes for it.
//
// States follow ISA-18.2: normal -> active-unacknowledged ->
// active-acknowledged -> normal, and active-unacknowledged ->
// returned-unacknowledged -> normal on acknowledge. Every change of state is
// one AlarmEvent.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace obr9 {

enum class AlarmKind : uint8_t { High, Low, Sensor, Silent, Link };

enum class AlarmState : uint8_t {
    Normal,
    ActiveUnacknowledged,
    ActiveAcknowledged,
    ReturnedUnacknowledged,
};

// "high", "low", "sensor", "silent", "link"
QString alarmKindText(AlarmKind kind);
// The journal's state column: "normal", "active", "acknowledged", "returned".
QString alarmStateText(AlarmState state);

inline bool isActive(AlarmState s)
{
    return s == AlarmState::ActiveUnacknowledged || s == AlarmState::ActiveAcknowledged;
}
inline bool isUnacknowledged(AlarmState s)
{
    return s == AlarmState::ActiveUnacknowledged || s == AlarmState::ReturnedUnacknowledged;
}

// The source of the alarms that belong to no channel: the silent HQ-2
// stream and the controller link.
inline const QString kLinkSource = QStringLiteral("link");

struct AlarmEvent {
    int slot = -1;      // the alarm, as AlarmEngine numbers them
    int64_t timeMs = 0; // milliseconds since 1970-01-01 UTC
    QString source;     // the channel's name in the table, or "link"
    AlarmKind kind = AlarmKind::High;
    AlarmState state = AlarmState::Normal; // the state entered
    std::optional<float> value;            // degC; silent: seconds without a reading
    std::optional<float> limit;            // degC; silent: the 30 s
};

} // namespace obr9
