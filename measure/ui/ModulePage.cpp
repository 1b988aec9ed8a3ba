#include "measure/ui/ModulePage.h"
#include "widgets/Named.h"

#include "base/Reporter.h"
#include "measure/ModuleChannelNames.h"
#include "measure/ModuleCharts.h"
#include "measure/ui/ChartZoom.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModuleChartFiles.h"
#include "measure/ui/TemperatureTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

using namespace obr9;

namespace {

constexpr int kSideWidth = 150;   // right of the charts, within the page control
constexpr int kBottomHeight = 60; // below the charts, within the page control

} // namespace

ModulePage::ModulePage(Hq2Model& model, Reporter& reporter, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , reporter_(&reporter)
{
    setObjectName(QStringLiteral("TabSheet3"));

    chartTemp_ = named(new ModuleChart(model_.temperatureData(), this), "ChartTemp");
    chartVolt_ = named(new ModuleChart(model_.voltageData(), this), "ChartVolt");
    chartVolt_->hide();
    table_ = new TemperatureTable(this);
    table_->hide();
    table_->nameEdited = [this](int column, int) { applyNames(column); };
    for (int i = 0; i < 16; ++i) {
        table_->setCellText(TemperatureTable::NameInt, i + 1, ModuleChannelNames::defaultName(i));
        table_->setCellText(TemperatureTable::NameExt, i + 1, ModuleChannelNames::defaultName(16 + i));
        table_->setCellText(TemperatureTable::NameVolt, i + 1, ModuleChannelNames::defaultName(32 + i));
    }

    pageControl2_ = named(new QTabWidget(this), "PageControl2");
    pageControl2_->setDocumentMode(true);
    pageControl2_->setUsesScrollButtons(false);
    QFont tabFont = pageControl2_->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.78);
    pageControl2_->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 3px; }"));
    pageControl2_->tabBar()->setFont(tabFont);
    pageControl2_->addTab(buildShowTab(), QStringLiteral("Show"));
    pageControl2_->addTab(buildControlTab(), QStringLiteral("Control"));
    pageControl2_->addTab(buildValuesTab(), QStringLiteral("Values"));
    pageControl2_->setCurrentIndex(1);
    buildBottomLine();
    files_ = std::make_unique<ModuleChartFiles>(ModuleChartFiles::Page{
        this, [this]() -> Reporter& { return *reporter_; }, [this] { return model_.chartFileName(); },
        [this](const QString& name) { model_.setChartFileName(name); }, [this] { return chartOfGroup(); },
        [this](ModuleChart* chart) {
            model_.chartReplaced(chart == chartTemp_ ? Hq2Model::TemperatureChart : Hq2Model::VoltageChart);
            chart->syncFromData();
            syncTicks(chart == chartTemp_ ? checkListBox1_ : checkListBox2_, chart);
            (chart == chartTemp_ ? solo1_ : solo2_) = kSoloNone;
        },
        button2_, button4_});

    showModel();
    RadioGroup2Click();
    resize(800, 600);
}

ModulePage::~ModulePage() = default;

void ModulePage::setDecimalSeparator(QChar separator)
{
    format_.setDecimalSeparator(separator);
    table_->setDecimalSeparator(separator);
}

void ModulePage::showModel()
{
    connect(&model_, &Hq2Model::bytesCounted, label12_, [this](int count) { label12_->setText(QString::number(count)); });
    connect(&model_, &Hq2Model::statisticsUpdated, this, &ModulePage::statisticsUpdated);
    connect(&model_, &Hq2Model::checksumVerified, label28_,
            [this](bool good) { label28_->setText(good ? kChecksumGoodText : kChecksumBadText); });
    connect(&model_, &Hq2Model::channelRead, this, &ModulePage::channelRead);
    connect(&model_, &Hq2Model::chartingStepped, this, &ModulePage::chartingStepped);
    connect(checkBox6_, &QCheckBox::toggled, this,
            [this](bool on) { model_.setRecording(Hq2Model::TemperatureChart, on); });
    connect(checkBox8_, &QCheckBox::toggled, this,
            [this](bool on) { model_.setRecording(Hq2Model::VoltageChart, on); });
    checkBox6_->setChecked(model_.recording(Hq2Model::TemperatureChart));
    checkBox8_->setChecked(model_.recording(Hq2Model::VoltageChart));
}

// ---- bottom line: table or charts, statistics --------------------------------

void ModulePage::buildBottomLine()
{
    speedButton1_ = named(new QToolButton(this), "SpeedButton1");
    speedButton1_->setText(QStringLiteral("Table"));
    speedButton1_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(speedButton1_, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    label12_ = named(new QLabel(QStringLiteral("0"), this), "Label12");
    label29_ = named(new QLabel(QStringLiteral("odrzuty:0, 0%"), this), "Label29");
    label74_ = named(new QLabel(QStringLiteral("odebrane:0"), this), "Label74");
    label28_ = named(new QLabel(this), "Label28");
    label12_->setToolTip(tr("Bytes of the last read"));
}

void ModulePage::SpeedButton1Click()
{
    tableShown_ = !tableShown_;
    if (!tableShown_) {
        speedButton1_->setText(QStringLiteral("Table"));
        table_->hide();
        pageControl2_->show(); // Panel1 is one of its pages
        RadioGroup2Click();
    } else {
        speedButton1_->setText(QStringLiteral("Chart"));
        chartTemp_->hide();
        chartVolt_->hide();
        table_->show();
        pageControl2_->hide();
    }
}

// ---- layout --------------------------------------------------------------

void ModulePage::PageControl1Resize(QSize pageControl)
{
    pageControl_ = pageControl;
    layoutPage();
}

void ModulePage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPage();
}

void ModulePage::layoutPage()
{
    // Without a page control around it (tests), the page stands for it.
    const QSize outer = pageControl_.isValid() ? pageControl_ : size() + QSize(4, 30);
    const int w = outer.width();
    const int h = outer.height();
    const int chartWidth = std::max(100, w - kSideWidth);
    const int full = std::max(60, h - kBottomHeight);
    if (displayChoice() == TempAndVolt) {
        const int half = full / 2;
        chartTemp_->setGeometry(0, 0, chartWidth, half);
        chartVolt_->setGeometry(0, half, chartWidth, half);
    } else {
        chartTemp_->setGeometry(0, 0, chartWidth, full);
        chartVolt_->setGeometry(0, displayChoice() == Voltages ? 0 : chartVolt_->y(), chartWidth, full);
    }
    const int sideX = chartWidth + 2;
    pageControl2_->setGeometry(sideX, 0, std::max(80, width() - sideX - 2), full);
    table_->setGeometry(0, 0, std::max(100, width()), full);

    const int y = full + 3;
    speedButton1_->setGeometry(2, y, 70, 24);
    label12_->setGeometry(84, y, 60, 24);
    label29_->setGeometry(150, y, 150, 24);
    label74_->setGeometry(306, y, 150, 24);
    label28_->setGeometry(462, y, 100, 24);
}

// ---- chart files ------------------------------------------------------------

void ModulePage::setFileChooser(FileChooser chooser) { files_->setFileChooser(std::move(chooser)); }

void ModulePage::Button2Click() { files_->save(); }
void ModulePage::Button4Click() { files_->load(); }

// ---- what the model reports ---------------------------------------------------

void ModulePage::statisticsUpdated(const ModuleStreamStatistics& statistics)
{
    label29_->setText(statistics.rejectedText());
    label74_->setText(statistics.receivedText());
}

void ModulePage::chartingStepped(const ModuleChartingStep& step)
{
    const bool pan = checkBox10_->isChecked();
    if (pan) {
        chartTemp_->setBottomAxis(
            ChartZoom::autoPan(chartTemp_->bottomAxis(), step.lastTemperatureIndex, temperatureSpan_));
        chartVolt_->setBottomAxis(
            ChartZoom::autoPan(chartVolt_->bottomAxis(), step.lastVoltageIndex, voltageSpan_));
    }
    if (pan || step.addsPoints) {
        chartTemp_->redraw();
        chartVolt_->redraw();
    }
}
