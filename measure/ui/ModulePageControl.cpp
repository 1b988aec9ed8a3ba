// The "Control" tab of the HQ-2 page: which chart is shown (RadioGroup2),
// 3-D view, auto-pan, the left axis range, zoom, the record boxes and the
// file buttons of GroupBox8, and the charting period.
#include "measure/ui/ModulePage.h"
#include "widgets/Named.h"

#include "measure/ui/ChartZoom.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/TemperatureTable.h"
#include "widgets/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace obr9;

namespace {

constexpr int kPeriods[3] = {1000, 10000, 60000};

// GroupBox8's title: the chart its zoom and file buttons act on.
const QString kTemperaturesCaption = QStringLiteral("temperatures");
const QString kVoltagesCaption = QStringLiteral("voltages");

} // namespace

QWidget* ModulePage::buildControlTab()
{
    auto* tab = named(new QWidget, "TabSheet6");
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 6, 4, 4);
    layout->setSpacing(5);

    radioGroup2_ = named(new RadioGroup(QStringLiteral("Display"),
                                        {QStringLiteral("Temperatures"), QStringLiteral("Voltages"),
                                         QStringLiteral("Temp&&Volt")}),
                         "RadioGroup2");
    radioGroup2_->setItemIndex(Temperatures);
    connect(radioGroup2_, &RadioGroup::clicked, this, [this] { RadioGroup2Click(); });
    layout->addWidget(radioGroup2_);

    checkBox9_ = named(new QCheckBox(QStringLiteral("3D view")), "CheckBox9");
    connect(checkBox9_, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    checkBox10_ = named(new QCheckBox(QStringLiteral("AutoPan")), "CheckBox10");
    checkBox10_->setChecked(true);
    layout->addWidget(checkBox9_);
    layout->addWidget(checkBox10_);

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Range")));
    comboBox1_ = named(new QComboBox, "ComboBox1");
    comboBox1_->addItems({QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50"),
                          QStringLiteral("100"), QStringLiteral("125"), QStringLiteral("150"),
                          QStringLiteral("Auto")});
    comboBox1_->setCurrentIndex(7);
    connect(comboBox1_, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    range->addWidget(comboBox1_, 1);
    layout->addLayout(range);

    auto* zoomRow = new QHBoxLayout;
    auto* zoomLabel = named(new QLabel(QStringLiteral("ZOOM")), "Label30");
    zoomRow->addWidget(zoomLabel);
    button8_ = named(new QPushButton(QStringLiteral("+")), "Button8");
    button7_ = named(new QPushButton(QStringLiteral("-")), "Button7");
    for (QPushButton* b : {button8_, button7_}) {
        b->setFixedWidth(34);
        zoomRow->addWidget(b);
    }
    connect(button8_, &QPushButton::clicked, this, [this] { Button8Click(); });
    connect(button7_, &QPushButton::clicked, this, [this] { Button7Click(); });
    layout->addLayout(zoomRow);

    groupBox8_ = named(new QGroupBox(kTemperaturesCaption), "GroupBox8");
    auto* files = new QGridLayout(groupBox8_);
    files->setContentsMargins(2, 4, 2, 4);
    groupBox8_->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    files->setVerticalSpacing(4);
    checkBox6_ = named(new QCheckBox(QStringLiteral("record temperatures")), "CheckBox6");
    checkBox8_ = named(new QCheckBox(QStringLiteral("record voltages")), "CheckBox8");
    checkBox8_->hide();
    files->addWidget(checkBox6_, 0, 0, 1, 2);
    files->addWidget(checkBox8_, 1, 0, 1, 2);
    button2_ = named(new QPushButton(QStringLiteral("save")), "Button2");
    button4_ = named(new QPushButton(QStringLiteral("load")), "Button4");
    files->addWidget(button2_, 2, 0);
    files->addWidget(button4_, 2, 1);
    connect(button2_, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(button4_, &QPushButton::clicked, this, [this] { Button4Click(); });
    layout->addWidget(groupBox8_);

    radioGroupPeriod_ = named(new RadioGroup(QStringLiteral("period"), {QStringLiteral("1 sec"),
                                                                         QStringLiteral("10sec"),
                                                                         QStringLiteral("60sec")}),
                              "RadioGroupPeriod");
    radioGroupPeriod_->setItemIndex(0);
    connect(radioGroupPeriod_, &RadioGroup::clicked, this, [this] { RadioGroupPeriodClick(); });
    layout->addWidget(radioGroupPeriod_);
    layout->addStretch(1);

    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    for (QWidget* w : tab->findChildren<QWidget*>())
        w->setFont(small);
    return tab;
}

int ModulePage::displayChoice() const
{
    const int i = radioGroup2_ ? radioGroup2_->itemIndex() : 0;
    return i < 0 ? 0 : i;
}

int ModulePage::periodChoice() const { return std::max(0, radioGroupPeriod_->itemIndex()); }

void ModulePage::RadioGroup2Click()
{
    const int choice = displayChoice();
    const bool volts = choice == Voltages;
    if (!tableShown()) {
        chartTemp_->setVisible(!volts);
        chartVolt_->setVisible(choice != Temperatures);
    }
    checkListBox1_->setVisible(!volts);
    checkBox6_->setVisible(!volts);
    checkListBox2_->setVisible(volts);
    checkBox8_->setVisible(volts);
    groupOnVoltages_ = volts;
    groupBox8_->setTitle(groupOnVoltages_ ? kVoltagesCaption : kTemperaturesCaption);
    layoutPage();
}

void ModulePage::CheckBox9Click()
{
    chartTemp_->setView3D(checkBox9_->isChecked());
    chartVolt_->setView3D(checkBox9_->isChecked());
}

ModuleChart* ModulePage::chartOfGroup() const { return groupOnVoltages_ ? chartVolt_ : chartTemp_; }

void ModulePage::zoom(bool in)
{
    ModuleChart* chart = chartOfGroup();
    if (!chart)
        return;
    const ChartZoom::Axis axis = ChartZoom::zoom(chart->bottomAxis(), in);
    chart->setBottomAxis(axis);
    (chart == chartTemp_ ? temperatureSpan_ : voltageSpan_) = ChartZoom::panSpan(axis);
    chart->redraw();
}

void ModulePage::Button8Click() { zoom(true); }
void ModulePage::Button7Click() { zoom(false); }

void ModulePage::ComboBox1Change()
{
    const int index = comboBox1_->currentIndex();
    const bool automatic = index == comboBox1_->count() - 1 || index < 0;
    for (ModuleChart* chart : {chartTemp_, chartVolt_}) {
        if (automatic) {
            chart->setLeftAutomatic(true);
            continue;
        }
        chart->setLeftAutomatic(false);
        const ChartZoom::Axis left = chart->leftAxis();
        chart->setLeftAxis({left.minimum, left.minimum + comboBox1_->currentText().toDouble()});
        chart->redraw();
    }
}

void ModulePage::RadioGroupPeriodClick()
{
    model_.setChartingPeriod(kPeriods[periodChoice()]);
}
