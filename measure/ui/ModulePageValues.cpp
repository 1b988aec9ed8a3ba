// The "Values" tab of the HQ-2 page (Panel1): the 32 value labels, and the
// channel names that the table StringGrid1 and the settings give to the
// labels, the charts' series and the series lists.
#include "measure/ui/ModulePage.h"
#include "widgets/Named.h"

#include "measure/ModuleChannelNames.h"
#include "measure/ui/ModuleReadingTexts.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/TemperatureTable.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

using namespace obr9;

namespace {

// Element k of the display-label list: internal channels 0..15, then
// external channels 0..15.
constexpr const char* kValueLabelNames[32] = {
    "Label4",  "Label6",  "Label8",  "Label10", "Label50", "Label52", "Label54", "Label56",
    "Label58", "Label60", "Label62", "Label64", "Label80", "Label81", "Label82", "Label83",
    "Label5",  "Label7",  "Label9",  "Label11", "Label51", "Label53", "Label55", "Label57",
    "Label59", "Label61", "Label63", "Label65", "Label84", "Label85", "Label86", "Label87"};

} // namespace

QWidget* ModulePage::buildValuesTab()
{
    panel1_ = named(new QWidget, "Panel1");
    auto* grid = new QGridLayout(panel1_);
    grid->setContentsMargins(3, 4, 3, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    for (int k = 0; k < 32; ++k) {
        const int channel = k % 16;
        const QString name = ModuleChannelNames::defaultName(k);
        auto* label = named(new QLabel(QStringLiteral("%1 = ---").arg(name), panel1_), kValueLabelNames[k]);
        label->setFont(small);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setToolTip(k < 16 ? tr("Internal temperature of channel %1").arg(channel + 1)
                                 : tr("External temperature of channel %1").arg(channel + 1));
        grid->addWidget(label, channel, k < 16 ? 0 : 1);
        valueLabels_[std::size_t(k)] = label;
    }
    grid->setRowStretch(16, 1);
    return panel1_;
}

void ModulePage::channelRead(const ModuleChannelReading& r)
{
    const ModuleReadingTexts t = ModuleReadingTexts::of(r, model_.channelNames(), format_);
    valueLabels_[std::size_t(r.channel)]->setText(t.internalLabel);
    valueLabels_[std::size_t(16 + r.channel)]->setText(t.externalLabel);
    table_->setCellText(TemperatureTable::TempInt, r.channel + 1, t.internal);
    table_->setCellText(TemperatureTable::TempExt, r.channel + 1, t.external);
    table_->setCellText(TemperatureTable::Voltage, r.channel + 1, t.volts);
}

void ModulePage::applyNames(int column)
{
    for (int i = 0; i < 16; ++i) {
        const QString name = table_->cellText(column, i + 1);
        switch (column) {
        case TemperatureTable::NameInt:
            chartTemp_->setSeriesTitle(2 * i, name);
            checkListBox1_->item(2 * i)->setText(name);
            model_.setChannelName(i, name);
            break;
        case TemperatureTable::NameExt:
            chartTemp_->setSeriesTitle(2 * i + 1, name);
            checkListBox1_->item(2 * i + 1)->setText(name);
            model_.setChannelName(16 + i, name);
            break;
        case TemperatureTable::NameVolt:
            chartVolt_->setSeriesTitle(i, name);
            checkListBox2_->item(i)->setText(name);
            model_.setChannelName(32 + i, name);
            break;
        default:
            return;
        }
    }
}
