#include "measure/ui/ModulePage.h"
#include "widgets/Named.h"

#include "base/Reporter.h"
#include "base/SettingsKeys.h"
#include "measure/ChartFileWriter.h"
#include "measure/ui/ChartZoom.h"
#include "measure/ui/ModuleChart.h"
#include "measure/ui/ModuleChartFiles.h"
#include "measure/ModuleCharts.h"
#include "widgets/RadioGroup.h"
#include "measure/ui/TemperatureTable.h"

#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace obr9;

namespace {

constexpr int kSideWidth = 150;   // right of the charts, within the page control
constexpr int kBottomHeight = 60; // below the charts, within the page control
constexpr int kPeriods[3] = {1000, 10000, 60000};

const QString kTemperaturesCaption = QStringLiteral("temperatures");
const QString kVoltagesCaption = QStringLiteral("voltages");

// Element k of the display-label list: internal channels 0..15, then
// external channels 0..15.
constexpr const char* kValueLabelNames[32] = {
    "Label4",  "Label6",  "Label8",  "Label10", "Label50", "Label52", "Label54", "Label56",
    "Label58", "Label60", "Label62", "Label64", "Label80", "Label81", "Label82", "Label83",
    "Label5",  "Label7",  "Label9",  "Label11", "Label51", "Label53", "Label55", "Label57",
    "Label59", "Label61", "Label63", "Label65", "Label84", "Label85", "Label86", "Label87"};

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

ModulePage::ModulePage(Reporter& reporter, QWidget* parent)
    : QWidget(parent)
    , reporter_(&reporter)
    , temperatures_(makeTemperatureChart())
    , voltages_(makeVoltageChart())
    , parser_(this)
{
    setObjectName(QStringLiteral("TabSheet3"));
    parser_.setCharts(&temperatures_, &voltages_);
    saveTimer_.setInterval(0);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { saveSlice(); });

    chartTemp_ = named(new ModuleChart(temperatures_, this), "ChartTemp");
    chartVolt_ = named(new ModuleChart(voltages_, this), "ChartVolt");
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
    periodic_[0].data = &temperatures_;
    periodic_[0].kind = ChartFile::Kind::Temperatures;
    periodic_[0].box = checkBox6_;
    periodic_[1].data = &voltages_;
    periodic_[1].kind = ChartFile::Kind::Voltages;
    periodic_[1].box = checkBox8_;
    files_ = std::make_unique<ModuleChartFiles>(ModuleChartFiles::Page{
        this, [this]() -> Reporter& { return *reporter_; }, [this]() -> QString& { return *chartFileName_; },
        [this] { return chartOfGroup(); },
        [this](ModuleChart* chart) {
            chartReplaced(periodic_[chart == chartTemp_ ? 0 : 1]);
            chart->syncFromData();
            syncTicks(chart == chartTemp_ ? checkListBox1_ : checkListBox2_, chart);
            (chart == chartTemp_ ? solo1_ : solo2_) = kSoloNone;
        },
        button2_, button4_});

    RadioGroup2Click();
    resize(800, 600);
}

ModulePage::~ModulePage() = default;

void ModulePage::setDisplayFormat(const DisplayFormat* format)
{
    parser_.setDisplayFormat(format);
    table_->setDisplayFormat(format);
}

void ModulePage::setClock(Clock clock)
{
    clock_ = clock;
    parser_.setClock(std::move(clock));
}

QDateTime ModulePage::now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

// ---- building ------------------------------------------------------------

QWidget* ModulePage::buildShowTab()
{
    auto* tab = named(new QWidget, "TabSheet5");
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 4, 2, 2);
    checkListBox1_ = checkList("CheckListBox1", kTemperatureSeriesCount,
                               [this](int k) { return temperatures_.series[std::size_t(k)].name; });
    checkListBox2_ = checkList("CheckListBox2", kVoltageSeriesCount,
                               [this](int k) { return voltages_.series[std::size_t(k)].name; });
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

// ---- handlers: display, zoom, range, period -------------------------------

int ModulePage::displayChoice() const
{
    const int i = radioGroup2_ ? radioGroup2_->itemIndex() : 0;
    return i < 0 ? 0 : i;
}

int ModulePage::periodChoice() const { return std::max(0, radioGroupPeriod_->itemIndex()); }

bool ModulePage::tableShown() const { return speedButton1_->text() == QLatin1String("Chart"); }

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
    groupBox8_->setTitle(volts ? kVoltagesCaption : kTemperaturesCaption);
    layoutPage();
}

void ModulePage::CheckBox9Click()
{
    chartTemp_->setView3D(checkBox9_->isChecked());
    chartVolt_->setView3D(checkBox9_->isChecked());
}

ModuleChart* ModulePage::chartOfGroup() const
{
    if (groupBox8_->title() == kTemperaturesCaption)
        return chartTemp_;
    if (groupBox8_->title() == kVoltagesCaption)
        return chartVolt_;
    return nullptr;
}

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
    const int ms = kPeriods[periodChoice()];
    parser_.setChartingPeriod(std::chrono::milliseconds(ms));
    if (pollIntervalChosen)
        pollIntervalChosen(ms);
}

void ModulePage::SpeedButton1Click()
{
    if (tableShown()) {
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

// ---- series lists -----------------------------------------------------------

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

// ---- names ------------------------------------------------------------------

void ModulePage::applyNames(int column)
{
    for (int i = 0; i < 16; ++i) {
        const QString name = table_->cellText(column, i + 1);
        switch (column) {
        case TemperatureTable::NameInt:
            chartTemp_->setSeriesTitle(2 * i, name);
            checkListBox1_->item(2 * i)->setText(name);
            parser_.setChannelName(i, name);
            break;
        case TemperatureTable::NameExt:
            chartTemp_->setSeriesTitle(2 * i + 1, name);
            checkListBox1_->item(2 * i + 1)->setText(name);
            parser_.setChannelName(16 + i, name);
            break;
        case TemperatureTable::NameVolt:
            chartVolt_->setSeriesTitle(i, name);
            checkListBox2_->item(i)->setText(name);
            parser_.setChannelName(32 + i, name);
            break;
        default:
            return;
        }
    }
}

// ---- chart files ------------------------------------------------------------

QString ModulePage::periodicPath(QDate day, ChartFile::Kind kind) const
{
    const QString name = ChartFile::periodicFileName(day, kind);
    return chartFolder_.isEmpty() ? name : QDir(chartFolder_).filePath(name);
}

void ModulePage::rollDay(PeriodicChart& chart, QDate today, int pointsBack)
{
    std::vector<int> firsts;
    for (const ChartSeries& s : chart.data->series)
        firsts.push_back(std::max(0, s.size() - pointsBack));
    if (chart.day.isValid() && chart.box->isChecked()) {
        // The closing day's last minutes are in no file yet: its file is
        // written once more, up to its last point.
        chart.pending.push_back({periodicPath(chart.day, chart.kind), chart.dayFirsts, firsts});
        startPendingSave(chart);
    }
    chart.day = today;
    chart.dayFirsts = chart.day.isValid() && !firsts.empty() ? firsts : std::vector<int>{};
}

void ModulePage::chartReplaced(PeriodicChart& chart)
{
    chart.writer.reset();
    chart.pending.clear();
    chart.day = now().date();
    chart.dayFirsts.assign(chart.data->series.size(), 0);
}

void ModulePage::startPendingSave(PeriodicChart& chart)
{
    while (!chart.writer && !chart.pending.empty()) {
        PeriodicChart::Job job = std::move(chart.pending.front());
        chart.pending.pop_front();
        chart.writer = std::make_unique<ChartFileWriter>(*chart.data, job.firsts, job.path, job.ends);
        if (chart.writer->state() == ChartFileWriter::State::Failed) {
            // A failed save is tried again on its next turn, 600 ticks later.
            // The writer goes before the report: a box runs the event loop,
            // and the saves that fall due meanwhile must find the page idle.
            const QString error = chart.writer->error();
            chart.writer.reset();
            reporter_->report({error, QStringLiteral("Chart file"), ReportCause::periodicChartSave});
        }
    }
    if (chart.writer && !saveTimer_.isActive())
        saveTimer_.start();
}

void ModulePage::saveSlice()
{
    for (PeriodicChart& chart : periodic_) {
        if (!chart.writer)
            continue;
        // Slices of a few milliseconds until this turn's share is used.
        QElapsedTimer turn;
        turn.start();
        ChartFileWriter::State state = ChartFileWriter::State::Running;
        while (state == ChartFileWriter::State::Running && turn.elapsed() < kSaveTurnMilliseconds) {
            const std::size_t before = chart.writer->pointsDone();
            state = chart.writer->step(kSaveSlicePoints);
            if (chart.writer->pointsDone() == before)
                break; // waiting for the worker's flush and rename
        }
        if (state == ChartFileWriter::State::Running)
            continue;
        const bool failed = state == ChartFileWriter::State::Failed;
        const QString error = failed ? chart.writer->error() : QString();
        chart.writer.reset();
        if (failed)
            reporter_->report({error, QStringLiteral("Chart file"), ReportCause::periodicChartSave});
        startPendingSave(chart);
    }
    if (!periodicSaveRunning())
        saveTimer_.stop();
}

bool ModulePage::periodicSaveRunning() const
{
    return std::any_of(periodic_.begin(), periodic_.end(), [](const PeriodicChart& c) { return bool(c.writer); });
}

void ModulePage::periodicSave(PeriodicChart& chart, int& tick)
{
    if (!chart.box->isChecked()) {
        tick = 0;
        return;
    }
    ++tick;
    if (tick == 1) {
        const QDate today = now().date();
        if (chart.day.isValid() && chart.day != today)
            rollDay(chart, today, 0); // no point yet since midnight
        *chartFileName_ = ChartFile::periodicFileName(today, chart.kind);
        // A save still running holds this turn's points; the next turn takes them.
        if (!chart.writer && chart.pending.empty()) {
            chart.pending.push_back({periodicPath(today, chart.kind),
                                     chart.day.isValid() ? chart.dayFirsts : std::vector<int>{}, {}});
            startPendingSave(chart);
        }
    }
    if (tick == kSavePeriodTicks)
        tick = 0;
}

void ModulePage::chartSaveStep()
{
    periodicSave(periodic_[0], temperatureSaveTick_);
    periodicSave(periodic_[1], voltageSaveTick_);
}

void ModulePage::setFileChooser(FileChooser chooser) { files_->setFileChooser(std::move(chooser)); }

void ModulePage::Button2Click() { files_->save(); }
void ModulePage::Button4Click() { files_->load(); }

// ---- module stream events ----------------------------------------------------

void ModulePage::bytesOfCall(int count) { label12_->setText(QString::number(count)); }

void ModulePage::statisticsChanged(const ModuleStreamStatistics& statistics)
{
    label29_->setText(statistics.rejectedText());
    label74_->setText(statistics.receivedText());
}

void ModulePage::checksumChecked(bool good) { label28_->setText(good ? kChecksumGoodText : kChecksumBadText); }

void ModulePage::temperatureModuleConnected()
{
    if (moduleConnected)
        moduleConnected();
}

void ModulePage::channelReading(const ModuleChannelReading& r)
{
    valueLabels_[std::size_t(r.channel)]->setText(r.internalLabel);
    valueLabels_[std::size_t(16 + r.channel)]->setText(r.externalLabel);
    table_->setCellText(TemperatureTable::TempInt, r.channel + 1, r.internalText);
    table_->setCellText(TemperatureTable::TempExt, r.channel + 1, r.externalText);
    table_->setCellText(TemperatureTable::Voltage, r.channel + 1, r.voltageText);
}

void ModulePage::relayStateAnswer(const uint8_t* frame)
{
    if (relayAnswer)
        relayAnswer(frame);
}

void ModulePage::chartingStep(const ModuleChartingStep& step)
{
    if (step.addsPoints) {
        // Each series got this step's point: a new day starts with it.
        const QDate today = now().date();
        for (PeriodicChart& chart : periodic_) {
            if (!chart.day.isValid()) {
                chart.day = today;
                chart.dayFirsts.assign(chart.data->series.size(), 0);
            } else if (chart.day != today) {
                rollDay(chart, today, 1);
            }
        }
    }
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

// ---- settings ------------------------------------------------------------------

void ModulePage::bindSettings(SettingsKeyTable& keys)
{
    keys.bindFamily(
        QStringLiteral("name"),
        [this](int n, const SettingsValue& v) {
            if (n <= 24) {
                table_->setCellText(TemperatureTable::NameInt, n - 8, v.text);
                applyNames(TemperatureTable::NameInt);
            } else if (n <= 40) {
                table_->setCellText(TemperatureTable::NameExt, n - 24, v.text);
                applyNames(TemperatureTable::NameExt);
            } else {
                table_->setCellText(TemperatureTable::NameVolt, n - 40, v.text);
                applyNames(TemperatureTable::NameVolt);
            }
            return true;
        },
        [this](int n) {
            const int column = n <= 24 ? TemperatureTable::NameInt
                               : n <= 40 ? TemperatureTable::NameExt
                                         : TemperatureTable::NameVolt;
            const int row = n <= 24 ? n - 8 : n <= 40 ? n - 24 : n - 40;
            return table_->cellText(column, row);
        });

    const std::pair<const char*, int> limits[] = {{"TINTmax", TemperatureTable::MaxInt},
                                                  {"TINTmin", TemperatureTable::MinInt},
                                                  {"TEXTmax", TemperatureTable::MaxExt},
                                                  {"TEXTmin", TemperatureTable::MinExt}};
    for (const auto& [family, column] : limits) {
        const int c = column;
        keys.bindFamily(
            QLatin1String(family),
            [this, c](int n, const SettingsValue& v) {
                // A limit that is not a number would only be emptied when
                // drawn; it is emptied here instead.
                table_->setCellText(c, n + 1, table_->checkedLimit(v.text));
                return true;
            },
            [this, c](int n) { return table_->cellText(c, n + 1); });
    }

    auto tickKey = [](QListWidget* list) {
        return [list](int n, const SettingsValue& v) {
            if (n >= list->count())
                return false;
            // Without a settings file every series is shown.
            const bool ticked = v.fromFile ? v.text == QLatin1String("1") : true;
            const QSignalBlocker quiet(list);
            list->item(n)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
            return true;
        };
    };
    auto tickText = [](QListWidget* list) {
        return [list](int n) {
            return n < list->count() && list->item(n)->checkState() == Qt::Checked ? QStringLiteral("1")
                                                                                   : QStringLiteral("0");
        };
    };
    keys.bindFamily(QStringLiteral("chan"), tickKey(checkListBox1_), tickText(checkListBox1_));
    keys.bindFamily(QStringLiteral("chanV"), tickKey(checkListBox2_), tickText(checkListBox2_));

    auto box = [&keys](const char* name, QCheckBox* b) {
        keys.bind(
            QLatin1String(name),
            [b](const SettingsValue& v) {
                b->setChecked(v.number != 0);
                return true;
            },
            [b] { return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); });
    };
    box("3DView", checkBox9_);
    box("AutoPan", checkBox10_);
    box("recordTemperatures", checkBox6_);
    box("recordVoltages", checkBox8_);

    keys.bind(
        QStringLiteral("VTSwitch"),
        [this](const SettingsValue& v) {
            radioGroup2_->setItemIndex(v.text == QLatin1String("voltages")    ? Voltages
                                       : v.text == QLatin1String("temp&volt") ? TempAndVolt
                                                                              : Temperatures);
            RadioGroup2Click();
            return true;
        },
        [this] {
            static const char* const texts[3] = {"temperatures", "voltages", "temp&volt"};
            return QString::fromLatin1(texts[displayChoice()]);
        });
    keys.bind(
        QStringLiteral("period"),
        [this](const SettingsValue& v) {
            radioGroupPeriod_->setItemIndex(v.text == QLatin1String("1") ? 0 : v.text == QLatin1String("60") ? 2 : 1);
            RadioGroupPeriodClick();
            return true;
        },
        [this] {
            static const char* const texts[3] = {"1", "10", "60"};
            return QString::fromLatin1(texts[periodChoice()]);
        });
    keys.bind(QStringLiteral("Range"), {}, [this] { return QString::number(comboBox1_->currentIndex()); });
}

void ModulePage::afterSettingsLoaded()
{
    ComboBox1Change();
    CheckListBox1ClickCheck();
    CheckListBox2ClickCheck();
}
