// The alarm window (non-modal): the current alarms in AlarmList with
// AcknowledgeSelected and AcknowledgeAll, red rows unacknowledged and amber
// rows acknowledged; a history tab with the journal's last 1000 lines,
// newest first; the on-delay, the deadband and the "sound" tick box.
#pragma once

#include "alarm/AlarmEvent.h"

#include <QColor>
#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace obr9 {
class Alarms;
}

class AlarmWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QColor kUnacknowledgedColour{255, 96, 96}; // red
    static inline const QColor kAcknowledgedColour{255, 191, 0};   // amber
    enum Column { Time = 0, Source, Kind, State, Value, Limit, kColumns };

    explicit AlarmWindow(obr9::Alarms& alarms, QWidget* parent = nullptr);

    QTableWidget* alarmList() const { return list_; }
    QTableWidget* history() const { return history_; }

    void AcknowledgeSelectedClick();
    void AcknowledgeAllClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildCurrentTab();
    QWidget* buildSettingsRow();
    void refreshList();
    void reloadHistory();
    void addHistoryLine(const QStringList& fields);
    void eventArrived(const obr9::AlarmEvent& event);
    void showSettings();

    obr9::Alarms& alarms_;
    QTabWidget* tabs_ = nullptr;
    QTableWidget* list_ = nullptr;
    QTableWidget* history_ = nullptr;
    QPushButton* acknowledgeSelected_ = nullptr;
    QPushButton* acknowledgeAll_ = nullptr;
    QSpinBox* onDelay_ = nullptr;
    QDoubleSpinBox* deadband_ = nullptr;
    QCheckBox* sound_ = nullptr;
};
