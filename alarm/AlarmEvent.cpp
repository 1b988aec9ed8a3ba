#include "alarm/AlarmEvent.h"

namespace obr9 {

QString alarmKindText(AlarmKind kind)
{
    switch (kind) {
    case AlarmKind::High:
        return QStringLiteral("high");
    case AlarmKind::Low:
        return QStringLiteral("low");
    case AlarmKind::Sensor:
        return QStringLiteral("sensor");
    case AlarmKind::Silent:
        return QStringLiteral("silent");
    case AlarmKind::Link:
        return QStringLiteral("link");
    }
    return {};
}

QString alarmStateText(AlarmState state)
{
    switch (state) {
    case AlarmState::Normal:
        return QStringLiteral("normal");
    case AlarmState::ActiveUnacknowledged:
        return QStringLiteral("active");
    case AlarmState::ActiveAcknowledged:
        return QStringLiteral("acknowledged");
    case AlarmState::ReturnedUnacknowledged:
        return QStringLiteral("returned");
    }
    return {};
}

} // namespace obr9
