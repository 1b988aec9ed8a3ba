#include "alarm/ui/TrayNotifier.h"

#include "alarm/AlarmJournal.h"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>

TrayNotifier::TrayNotifier(QObject* parent)
    : QObject(parent)
{
    beep_.setInterval(1000);
    connect(&beep_, &QTimer::timeout, this, [] { QApplication::beep(); });
}

TrayNotifier::~TrayNotifier() = default;

QString TrayNotifier::messageText(const obr9::AlarmEvent& event)
{
    QString text = event.source + QLatin1Char(' ') + obr9::alarmKindText(event.kind);
    if (event.value)
        text += QLatin1Char(' ') + QString::fromLatin1(obr9::AlarmJournal::numberText(*event.value));
    if (event.limit)
        text += QStringLiteral(" (limit %1)")
                    .arg(QString::fromLatin1(obr9::AlarmJournal::numberText(*event.limit)));
    return text;
}

void TrayNotifier::notify(const obr9::AlarmEvent& event)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    if (!tray_) {
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        tray_ = new QSystemTrayIcon(icon, this);
        tray_->setToolTip(QStringLiteral("OBR-9 alarms"));
        tray_->show();
    }
    tray_->showMessage(QStringLiteral("OBR-9 alarm"), messageText(event), QSystemTrayIcon::Warning);
}

void TrayNotifier::setBeeping(bool on)
{
    if (on == beep_.isActive())
        return;
    if (on) {
        QApplication::beep();
        beep_.start();
    } else {
        beep_.stop();
    }
}
