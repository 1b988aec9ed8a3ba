#include "alarm/ui/AlarmWindow.h"

#include "alarm/Alarms.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

using namespace obr9;

namespace {

QTableWidget* alarmTable(const char* name)
{
    auto* table = new QTableWidget(0, AlarmWindow::kColumns);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels({QStringLiteral("time"), QStringLiteral("source"),
                                      QStringLiteral("alarm"), QStringLiteral("state"),
                                      QStringLiteral("value"), QStringLiteral("limit")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(AlarmWindow::Time, 190);
    table->setColumnWidth(AlarmWindow::Source, 130);
    return table;
}

QString number(const std::optional<float>& value)
{
    return value ? QString::fromLatin1(AlarmJournal::numberText(*value)) : QString();
}

} // namespace

AlarmWindow::AlarmWindow(Alarms& alarms, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , alarms_(alarms)
{
    setObjectName(QStringLiteral("AlarmWindow"));
    setWindowTitle(QStringLiteral("Alarms"));
    resize(760, 420);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("AlarmTabs"));
    tabs_->addTab(buildCurrentTab(), QStringLiteral("Current"));
    history_ = alarmTable("AlarmHistory");
    tabs_->addTab(history_, QStringLiteral("History"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buildSettingsRow());

    connect(&alarms_, &Alarms::changed, this, &AlarmWindow::eventArrived);
    connect(&alarms_, &Alarms::settingsChanged, this, &AlarmWindow::showSettings);
    showSettings();
    refreshList();
}

QWidget* AlarmWindow::buildCurrentTab()
{
    auto* tab = new QWidget;
    list_ = alarmTable("AlarmList");
    acknowledgeSelected_ = new QPushButton(QStringLiteral("Acknowledge selected"));
    acknowledgeSelected_->setObjectName(QStringLiteral("AcknowledgeSelected"));
    acknowledgeAll_ = new QPushButton(QStringLiteral("Acknowledge all"));
    acknowledgeAll_->setObjectName(QStringLiteral("AcknowledgeAll"));
    connect(acknowledgeSelected_, &QPushButton::clicked, this, [this] { AcknowledgeSelectedClick(); });
    connect(acknowledgeAll_, &QPushButton::clicked, this, [this] { AcknowledgeAllClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(acknowledgeSelected_);
    buttons->addWidget(acknowledgeAll_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    return tab;
}

QWidget* AlarmWindow::buildSettingsRow()
{
    auto* row = new QWidget;
    onDelay_ = new QSpinBox;
    onDelay_->setObjectName(QStringLiteral("AlarmOnDelay"));
    onDelay_->setRange(0, 3600);
    onDelay_->setSuffix(QStringLiteral(" s"));
    deadband_ = new QDoubleSpinBox;
    deadband_->setObjectName(QStringLiteral("AlarmDeadband"));
    deadband_->setRange(0.0, 100.0);
    deadband_->setDecimals(2);
    deadband_->setSingleStep(0.1);
    deadband_->setSuffix(QStringLiteral(" °C"));
    sound_ = new QCheckBox(QStringLiteral("sound"));
    sound_->setObjectName(QStringLiteral("AlarmSound"));

    connect(onDelay_, &QSpinBox::valueChanged, this,
            [this](int seconds) { alarms_.engine().setOnDelay(std::chrono::seconds(seconds)); });
    connect(deadband_, &QDoubleSpinBox::valueChanged, this,
            [this](double band) { alarms_.engine().setDeadband(float(band)); });
    connect(sound_, &QCheckBox::toggled, this, [this](bool on) { alarms_.setSound(on); });

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("on-delay")));
    layout->addWidget(onDelay_);
    layout->addWidget(new QLabel(QStringLiteral("deadband")));
    layout->addWidget(deadband_);
    layout->addWidget(sound_);
    layout->addStretch();
    return row;
}

void AlarmWindow::showSettings()
{
    const QSignalBlocker a(onDelay_), b(deadband_), c(sound_);
    onDelay_->setValue(int(std::chrono::duration_cast<std::chrono::seconds>(alarms_.engine().onDelay()).count()));
    deadband_->setValue(double(alarms_.engine().deadband()));
    sound_->setChecked(alarms_.sound());
}

void AlarmWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshList();
    reloadHistory();
}

void AlarmWindow::refreshList()
{
    const AlarmEngine& engine = alarms_.engine();
    const std::vector<AlarmEngine::Alarm> alarms = engine.current();
    list_->setRowCount(int(alarms.size()));
    for (int row = 0; row < int(alarms.size()); ++row) {
        const AlarmEngine::Alarm& a = alarms[std::size_t(row)];
        const QStringList texts = {AlarmJournal::timeText(a.sinceMs), engine.sourceName(a.slot),
                                   alarmKindText(AlarmEngine::kindOf(a.slot)),
                                   alarmStateText(a.state), number(a.value), number(a.limit)};
        const QColor colour = isUnacknowledged(a.state) ? kUnacknowledgedColour : kAcknowledgedColour;
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(texts.at(c));
            item->setBackground(colour);
            item->setData(Qt::UserRole, a.slot);
            list_->setItem(row, c, item);
        }
    }
}

void AlarmWindow::reloadHistory()
{
    history_->setRowCount(0);
    for (const QStringList& fields : alarms_.journal().lastLines())
        addHistoryLine(fields);
}

// Newest on top.
void AlarmWindow::addHistoryLine(const QStringList& fields)
{
    history_->insertRow(0);
    for (int c = 0; c < kColumns; ++c)
        history_->setItem(0, c, new QTableWidgetItem(fields.value(c)));
    if (history_->rowCount() > AlarmJournal::kHistoryLines)
        history_->setRowCount(AlarmJournal::kHistoryLines);
}

void AlarmWindow::eventArrived(const AlarmEvent& event)
{
    if (!isVisible())
        return; // shown afresh when the window opens
    refreshList();
    addHistoryLine({AlarmJournal::timeText(event.timeMs), event.source, alarmKindText(event.kind),
                    alarmStateText(event.state), number(event.value), number(event.limit)});
}

void AlarmWindow::AcknowledgeSelectedClick()
{
    std::set<int> chosen;
    for (const QTableWidgetItem* item : list_->selectedItems())
        chosen.insert(item->data(Qt::UserRole).toInt());
    for (const int slot : chosen)
        alarms_.engine().acknowledge(slot);
}

void AlarmWindow::AcknowledgeAllClick()
{
    alarms_.engine().acknowledgeAll();
}
