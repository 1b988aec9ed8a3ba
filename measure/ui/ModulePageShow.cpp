// The "Show" tab of the HQ-2 page: the series lists CheckListBox1
// (temperatures) and CheckListBox2 (voltages). A tick shows a series, a
// double-click shows it alone and a second one the ticked ones again.
#include "measure/ui/ModulePage.h"
#include "widgets/Named.h"

#include "measure/ModuleCharts.h"
#include "measure/ui/ModuleChart.h"

#include <QListWidget>
#include <QVBoxLayout>

using namespace obr9;

namespace {

QListWidget* checkList(const char* name, int count, const std::function<QString(int)>& text)
{
    auto* list = named(new QListWidget, name);
    for (int k = 0; k < count; ++k) {
        auto* item = new QListWidgetItem(text(k), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    return list;
}

} // namespace

QWidget* ModulePage::buildShowTab()
{
    auto* tab = named(new QWidget, "TabSheet5");
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 4, 2, 2);
    checkListBox1_ = checkList("CheckListBox1", kTemperatureSeriesCount,
                               [this](int k) { return model_.temperatureData().series[std::size_t(k)].name; });
    checkListBox2_ = checkList("CheckListBox2", kVoltageSeriesCount,
                               [this](int k) { return model_.voltageData().series[std::size_t(k)].name; });
    for (QListWidget* list : {checkListBox1_, checkListBox2_}) {
        list->setToolTip(tr("Tick the series to show; double-click one to show it alone, again to show the ticked ones"));
        layout->addWidget(list);
    }
    checkListBox2_->hide();
    connect(checkListBox1_, &QListWidget::itemChanged, this, [this] { CheckListBox1ClickCheck(); });
    connect(checkListBox2_, &QListWidget::itemChanged, this, [this] { CheckListBox2ClickCheck(); });
    connect(checkListBox1_, &QListWidget::itemDoubleClicked, this, [this] { CheckListBox1DblClick(); });
    connect(checkListBox2_, &QListWidget::itemDoubleClicked, this, [this] { CheckListBox2DblClick(); });
    return tab;
}

void ModulePage::applyTicks(QListWidget* list, ModuleChart* chart)
{
    for (int k = 0; k < chart->seriesCount() && k < list->count(); ++k)
        chart->setSeriesVisible(k, list->item(k)->checkState() == Qt::Checked);
}

void ModulePage::CheckListBox1ClickCheck() { applyTicks(checkListBox1_, chartTemp_); }
void ModulePage::CheckListBox2ClickCheck() { applyTicks(checkListBox2_, chartVolt_); }

void ModulePage::solo(QListWidget* list, ModuleChart* chart, int& memory)
{
    const int s = list->currentRow();
    if (s < 0)
        return;
    if (s == memory) {
        applyTicks(list, chart);
        memory = kSoloNone;
        return;
    }
    for (int k = 0; k < chart->seriesCount(); ++k)
        chart->setSeriesVisible(k, k == s);
    memory = s;
}

void ModulePage::CheckListBox1DblClick() { solo(checkListBox1_, chartTemp_, solo1_); }
void ModulePage::CheckListBox2DblClick() { solo(checkListBox2_, chartVolt_, solo2_); }

void ModulePage::syncTicks(QListWidget* list, const ModuleChart* chart)
{
    const QSignalBlocker quiet(list);
    for (int k = 0; k < chart->seriesCount() && k < list->count(); ++k)
        list->item(k)->setCheckState(chart->seriesVisible(k) ? Qt::Checked : Qt::Unchecked);
}
