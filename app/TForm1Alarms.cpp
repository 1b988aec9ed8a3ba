// The main window's part of the alarms: the indicator in the status row,
// the alarm window it opens, the desktop notifier, and what the alarms
// learn from the HQ-2 page: the limits and names of its table.
#include "app/TForm1.h"

#include "alarm/ui/AlarmIndicator.h"
#include "alarm/ui/AlarmWindow.h"
#include "alarm/ui/TrayNotifier.h"
#include "measure/ui/ModulePage.h"
#include "measure/ui/TemperatureTable.h"

using namespace obr9;

void TForm1::buildAlarms()
{
    Alarms& alarms = program_->alarms();
    trayNotifier_ = new TrayNotifier(this);
    alarms.setNotifier(trayNotifier_);
    alarmIndicator_ = new AlarmIndicator(alarms, centralWidget());
    alarmWindow_ = new AlarmWindow(alarms, this);
    connect(alarmIndicator_, &QPushButton::clicked, this, [this] {
        alarmWindow_->show();
        alarmWindow_->raise();
        alarmWindow_->activateWindow();
    });

    TemperatureTable* table = modulePage_->table();
    connect(table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        switch (item->column()) {
        case TemperatureTable::NameInt:
        case TemperatureTable::MaxInt:
        case TemperatureTable::MinInt:
        case TemperatureTable::NameExt:
        case TemperatureTable::MaxExt:
        case TemperatureTable::MinExt:
            applyTableRow(item->row() + 1);
            break;
        default:
            break; // live values, the voltage channel
        }
    });
    for (int row = 1; row < TemperatureTable::kRows; ++row)
        applyTableRow(row);
}

void TForm1::releaseAlarms()
{
    program_->alarms().setNotifier(nullptr);
    // An edit still open in the table commits while the windows go.
    modulePage_->table()->disconnect(this);
}

// Row r: channel r - 1; its internal temperature is alarm temperature
// r - 1, its external one r + 15.
void TForm1::applyTableRow(int row)
{
    const TemperatureTable* table = modulePage_->table();
    AlarmEngine& engine = program_->alarms().engine();
    auto limit = [table, row](int column) -> std::optional<float> {
        const std::optional<double> v = table->readLimit(table->cellText(column, row));
        return v ? std::optional<float>(float(*v)) : std::nullopt;
    };
    const int channel = row - 1;
    engine.setName(channel, table->cellText(TemperatureTable::NameInt, row));
    engine.setLimits(channel, limit(TemperatureTable::MaxInt), limit(TemperatureTable::MinInt));
    engine.setName(AlarmEngine::kChannels + channel, table->cellText(TemperatureTable::NameExt, row));
    engine.setLimits(AlarmEngine::kChannels + channel, limit(TemperatureTable::MaxExt),
                     limit(TemperatureTable::MinExt));
}
