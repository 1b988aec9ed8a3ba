// How the alarms tell someone who is not looking at the window: a desktop
// notification for every new unacknowledged alarm, and a repeating beep.
// The windows give the real one; tests see the calls.
#pragma once

#include "alarm/AlarmEvent.h"

namespace obr9 {

class AlarmNotifier {
public:
    virtual ~AlarmNotifier() = default;
    // An alarm has just become active and unacknowledged.
    virtual void notify(const AlarmEvent& event) = 0;
    // On: beep again and again until told off.
    virtual void setBeeping(bool on) = 0;
};

} // namespace obr9
