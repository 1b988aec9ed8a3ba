#include "alarm/ui/AlarmIndicator.h"

#include "alarm/Alarms.h"

AlarmIndicator::AlarmIndicator(obr9::Alarms& alarms, QWidget* parent)
    : QPushButton(parent)
    , alarms_(alarms)
{
    setObjectName(QStringLiteral("AlarmIndicator"));
    setAutoFillBackground(true);
    connect(&alarms_, &obr9::Alarms::changed, this, &AlarmIndicator::refresh);
    refresh();
}

// current: alarms not in the normal state; a returned, unacknowledged one
// is not active but still counts as an alarm.
QString AlarmIndicator::textFor(int current, int active, int unacknowledged)
{
    if (current == 0)
        return QStringLiteral("Alarms: none");
    return QStringLiteral("Alarms: %1 active, %2 unacknowledged").arg(active).arg(unacknowledged);
}

void AlarmIndicator::refresh()
{
    const obr9::AlarmEngine& engine = alarms_.engine();
    const int unacknowledged = engine.unacknowledgedCount();
    const int current = int(engine.current().size());
    setText(textFor(current, engine.activeCount(), unacknowledged));
    const bool red = unacknowledged > 0;
    if (red == red_)
        return;
    red_ = red;
    setStyleSheet(red ? QStringLiteral("QPushButton { background-color: rgb(220, 0, 0); color: white; "
                                       "font-weight: bold; }")
                      : QString());
}
