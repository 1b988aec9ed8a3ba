#include "alarm/Alarms.h"

#include "base/IniFile.h"
#include "base/Reporter.h"

#include <cmath>

namespace obr9 {

namespace {
const QString kOnDelayKey = QStringLiteral("onDelay");
const QString kDeadbandKey = QStringLiteral("deadband");
const QString kSoundKey = QStringLiteral("sound");
constexpr float kMaxDeadband = 100.0f;
constexpr int kMaxOnDelaySeconds = 3600;
} // namespace

Alarms::Alarms(QObject* parent)
    : QObject(parent)
{
    connect(&engine_, &AlarmEngine::changed, this, &Alarms::onEvent);
}

void Alarms::setNotifier(AlarmNotifier* notifier)
{
    if (notifier_ && beeping_)
        notifier_->setBeeping(false);
    notifier_ = notifier;
    beeping_ = false;
    updateBeep();
}

void Alarms::setSound(bool on)
{
    if (sound_ == on)
        return;
    sound_ = on;
    updateBeep();
    emit settingsChanged();
}

void Alarms::onEvent(const AlarmEvent& event)
{
    if (journal_.append(event)) {
        journalFailing_ = false;
    } else if (!journalFailing_) {
        journalFailing_ = true;
        journalFailed();
    }
    if (notifier_ && event.state == AlarmState::ActiveUnacknowledged)
        notifier_->notify(event);
    updateBeep();
    emit changed(event);
}

void Alarms::journalFailed()
{
    const QString path = journal_.filePath();
    const QString why = journal_.error();
    if (memo_)
        memo_(QStringLiteral("alarm journal %1: %2").arg(path, why));
    // Events come from inside a parser call or a timer: the box waits for
    // the loop, never opens inside the byte loop.
    QMetaObject::invokeMethod(
        this,
        [this, path, why] {
            if (reporter_)
                reporter_->report({tr("The alarm journal \"%1\" cannot be written (%2). "
                                      "The alarms keep working; their changes are not kept.")
                                       .arg(path, why),
                                   tr("Alarms"), kJournalCause});
        },
        Qt::QueuedConnection);
}

void Alarms::updateBeep()
{
    const bool on = sound_ && engine_.unacknowledgedCount() > 0;
    if (on == beeping_)
        return;
    beeping_ = on;
    if (notifier_)
        notifier_->setBeeping(on);
}

void Alarms::loadSettings(const IniFile& ini)
{
    const int delay = ini.readInt(kSection, kOnDelayKey, int(AlarmEngine::kDefaultOnDelay.count() / 1000));
    if (delay >= 0 && delay <= kMaxOnDelaySeconds)
        engine_.setOnDelay(std::chrono::seconds(delay));
    bool ok = false;
    const float band = ini.readString(kSection, kDeadbandKey, {}).trimmed().toFloat(&ok);
    if (ok && std::isfinite(band) && band >= 0 && band <= kMaxDeadband)
        engine_.setDeadband(band);
    setSound(ini.readInt(kSection, kSoundKey, 0) == 1);
    emit settingsChanged();
}

void Alarms::loadChannelSettings(const IniFile& ini)
{
    const QString section = QStringLiteral("Settings");
    auto limit = [&ini, &section](const QString& key) -> std::optional<float> {
        QString text = ini.readString(section, key, {}).trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.')); // the table's decimal comma
        bool ok = false;
        const float v = text.toFloat(&ok);
        return ok && std::isfinite(v) ? std::optional<float>(v) : std::nullopt;
    };
    for (int ch = 0; ch < AlarmEngine::kChannels; ++ch) {
        const QString n = QString::number(ch);
        const int ext = AlarmEngine::kChannels + ch;
        engine_.setName(ch, ini.readString(section, QStringLiteral("name%1").arg(9 + ch),
                                           QStringLiteral("intTemp%1").arg(ch)));
        engine_.setName(ext, ini.readString(section, QStringLiteral("name%1").arg(25 + ch),
                                            QStringLiteral("extTemp%1").arg(ch)));
        engine_.setLimits(ch, limit(QStringLiteral("TINTmax") + n), limit(QStringLiteral("TINTmin") + n));
        engine_.setLimits(ext, limit(QStringLiteral("TEXTmax") + n), limit(QStringLiteral("TEXTmin") + n));
    }
}

void Alarms::saveSettings(IniFile& ini) const
{
    ini.writeString(kSection, kOnDelayKey,
                    QString::number(std::chrono::duration_cast<std::chrono::seconds>(engine_.onDelay()).count()));
    ini.writeString(kSection, kDeadbandKey, QString::fromLatin1(AlarmJournal::numberText(engine_.deadband())));
    ini.writeString(kSection, kSoundKey, sound_ ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace obr9
