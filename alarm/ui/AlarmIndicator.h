// The alarm indicator of the main window's status row: "Alarms: none" or
// "Alarms: N active, M unacknowledged", red while anything is
// unacknowledged. A click opens the alarm window (the owner connects
// clicked()).
#pragma once

#include <QPushButton>

namespace obr9 {
class Alarms;
}

class AlarmIndicator : public QPushButton {
    Q_OBJECT
public:
    explicit AlarmIndicator(obr9::Alarms& alarms, QWidget* parent = nullptr);

    static QString textFor(int current, int active, int unacknowledged);
    bool red() const { return red_; }

private:
    void refresh();

    obr9::Alarms& alarms_;
    bool red_ = false;
};
