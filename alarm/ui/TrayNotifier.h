// Tells the desktop: a tray notification for every new unacknowledged
// alarm where the platform has a system tray (nothing where it has none,
// as offscreen), and a beep every second while asked to.
#pragma once

#include "alarm/AlarmNotifier.h"

#include <QObject>
#include <QTimer>

class QSystemTrayIcon;

class TrayNotifier : public QObject, public obr9::AlarmNotifier {
    Q_OBJECT
public:
    explicit TrayNotifier(QObject* parent = nullptr);
    ~TrayNotifier() override;

    void notify(const obr9::AlarmEvent& event) override;
    void setBeeping(bool on) override;
    bool beeping() const { return beep_.isActive(); }

    static QString messageText(const obr9::AlarmEvent& event);

private:
    QSystemTrayIcon* tray_ = nullptr;
    QTimer beep_;
};
