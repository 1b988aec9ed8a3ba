// The alarms as the program runs them: the engine, its journal, the
// notifier and the "sound" choice, and their settings in the section
// [Alarms] of the settings file (the [Settings] keys are not touched).
//
//   [Alarms]
//   onDelay=5      seconds a limit condition must hold
//   deadband=0.5   degC back inside the limit before an alarm returns
//   sound=0        1: beep while anything is unacknowledged
//
// A journal that cannot be written gives one memo line and one box per
// cause until it is written again; the alarms keep working meanwhile.
#pragma once

#include "alarm/AlarmEngine.h"
#include "alarm/AlarmJournal.h"
#include "alarm/AlarmNotifier.h"

#include <QObject>

#include <functional>

namespace obr9 {

class IniFile;
class Reporter;

class Alarms : public QObject {
    Q_OBJECT
public:
    using MemoSink = std::function<void(const QString&)>;

    static inline const QString kSection = QStringLiteral("Alarms");
    static inline const QString kJournalCause = QStringLiteral("alarm journal");

    explicit Alarms(QObject* parent = nullptr);

    AlarmEngine& engine() { return engine_; }
    const AlarmEngine& engine() const { return engine_; }
    AlarmJournal& journal() { return journal_; }

    // Null: nobody is told.
    void setNotifier(AlarmNotifier* notifier);
    void setReporter(Reporter* reporter) { reporter_ = reporter; }
    void setMemo(MemoSink memo) { memo_ = std::move(memo); }

    void setSound(bool on);
    bool sound() const { return sound_; }

    void loadSettings(const IniFile& ini);
    void saveSettings(IniFile& ini) const;
    // The HQ-2 table's names and limits as the settings file keeps them
    // ([Settings] name9..40, TINTmax/TINTmin/TEXTmax/TEXTmin 0..15), for a
    // program without windows; the window's table gives them otherwise.
    // Reads only.
    void loadChannelSettings(const IniFile& ini);

signals:
    // A state changed and is in the journal (or its failure reported).
    void changed(const obr9::AlarmEvent& event);
    void settingsChanged();

private:
    void onEvent(const AlarmEvent& event);
    void journalFailed();
    void updateBeep();

    AlarmEngine engine_;
    AlarmJournal journal_;
    AlarmNotifier* notifier_ = nullptr;
    Reporter* reporter_ = nullptr;
    MemoSink memo_;
    bool sound_ = false;
    bool journalFailing_ = false;
    bool beeping_ = false;
};

} // namespace obr9
