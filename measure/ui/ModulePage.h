// The HQ-2 page (TabSheet3): the module stream parser's readings as value
// labels and the table StringGrid1, the two strip charts ChartTemp and
// ChartVolt with their "Show" and "Control" tabs, chart files (periodic
// saves, "save", "load") and the statistics of the stream.
//
// One class, its parts in files by tab and job: ModulePageShow.cpp,
// ModulePageControl.cpp, ModulePageValues.cpp, ModulePageSettings.cpp; the
// periodic saves are PeriodicChartSaves.
//
// The page owns the parser and both charts' data; the main window feeds it
// the module bytes and learns through the seams below what it must do
// itself (caption, relay answers, poll interval).
#pragma once

#include "measure/ChartData.h"
#include "measure/ChartFile.h"
#include "measure/ModuleStreamListener.h"
#include "measure/ModuleStreamParser.h"
#include "measure/PeriodicChartSaves.h"

#include <QDateTime>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;
class ModuleChart;
class ModuleChartFiles;
class RadioGroup;
class TemperatureTable;

namespace obr9 {
class DisplayFormat;
class Reporter;
class SettingsKeyTable;
} // namespace obr9

class ModulePage : public QWidget, private obr9::ModuleStreamListener {
    Q_OBJECT
public:
    static constexpr int kSoloNone = 100;
    static constexpr int kSavePeriodTicks = obr9::PeriodicChartSaves::kSavePeriodTicks;
    enum Display { Temperatures = 0, Voltages = 1, TempAndVolt = 2 };

    // Asked for a chart file path: save or open, starting from proposed.
    // An empty answer is a cancel.
    using FileChooser = std::function<QString(bool save, const QString& proposed)>;
    using Clock = std::function<QDateTime()>;

    explicit ModulePage(obr9::Reporter& reporter, QWidget* parent = nullptr);
    ~ModulePage() override;

    void setReporter(obr9::Reporter& reporter)
    {
        reporter_ = &reporter;
        periodic_.setReporter(reporter);
    }
    void setDisplayFormat(const obr9::DisplayFormat* format);
    // Wall-clock time for the parser's time labels and the periodic file
    // names; QDateTime::currentDateTime when not set.
    void setClock(Clock clock);
    void setFileChooser(FileChooser chooser);
    // The program-wide chart file name the dialogs start from and the
    // periodic save writes; the page keeps its own until given one.
    void setChartFileName(QString* name) { chartFileName_ = name ? name : &ownFileName_; }
    const QString& chartFileName() const { return *chartFileName_; }
    // The periodic files are relative names; they land in this folder
    // (empty: the working directory).
    void setChartFolder(const QString& folder) { periodic_.setFolder(folder); }

    // One module stream read (count may be 0: a poll with nothing waiting).
    void parse(const uint8_t* data, int count) { parser_.parse(data, count); }
    obr9::ModuleStreamParser& parser() { return parser_; }
    obr9::ChartData& temperatureData() { return temperatures_; }
    obr9::ChartData& voltageData() { return voltages_; }
    ModuleChart* chartTemp() const { return chartTemp_; }
    ModuleChart* chartVolt() const { return chartVolt_; }
    TemperatureTable* table() const { return table_; }
    ModuleChartFiles* chartFiles() const { return files_.get(); }
    QLabel* valueLabel(int k) const { return valueLabels_[std::size_t(k)]; }

    // Seams to the main window.
    std::function<void()> moduleConnected;             // first HQ-2 frame since the click
    std::function<void(const uint8_t* frame)> relayAnswer; // kind 1, 20 bytes
    std::function<void(int milliseconds)> pollIntervalChosen; // Timer1
    std::function<void(const obr9::ModuleChannelReading&)> readingArrived; // every HQ-2 reading

    // Keys name9..56, TINTmax/TINTmin/TEXTmax/TEXTmin, chan, chanV, 3DView,
    // AutoPan, recordTemperatures, recordVoltages, VTSwitch, period, Range.
    void bindSettings(obr9::SettingsKeyTable& keys);
    // End of start-up: the range choice and the list ticks reach the charts.
    void afterSettingsLoaded();

    // Layout rule; size is PageControl1's.
    void PageControl1Resize(QSize pageControl);
    // Timer2 steps 1 and 2: the periodic chart files.
    void chartSaveStep();
    // True while a periodic file is being written.
    bool periodicSaveRunning() const;
    static constexpr std::size_t kSaveSlicePoints = obr9::PeriodicChartSaves::kSaveSlicePoints;
    static constexpr int kSaveTurnMilliseconds = obr9::PeriodicChartSaves::kSaveTurnMilliseconds;

    int temperatureSpan() const { return temperatureSpan_; }
    int voltageSpan() const { return voltageSpan_; }
    int soloMemory(int list) const { return list == 1 ? solo1_ : solo2_; }
    int displayChoice() const;
    int periodChoice() const;
    // The table StringGrid1 stands where the charts were (SpeedButton1 says "Chart").
    bool tableShown() const { return tableShown_; }

    // Handlers.
    void RadioGroup2Click();
    void CheckBox9Click();
    void CheckBox10Click() {}
    void Button8Click(); // "+"
    void Button7Click(); // "-"
    void ComboBox1Change();
    void RadioGroupPeriodClick();
    void SpeedButton1Click();
    void CheckListBox1ClickCheck();
    void CheckListBox2ClickCheck();
    void CheckListBox1DblClick();
    void CheckListBox2DblClick();
    void Button2Click(); // "save"
    void Button4Click(); // "load"

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // ModuleStreamListener
    void bytesOfCall(int count) override;
    void statisticsChanged(const obr9::ModuleStreamStatistics& statistics) override;
    void checksumChecked(bool good) override;
    void temperatureModuleConnected() override;
    void channelReading(const obr9::ModuleChannelReading& reading) override;
    void relayStateAnswer(const uint8_t* frame) override;
    void chartingStep(const obr9::ModuleChartingStep& step) override;

    QWidget* buildShowTab();
    QWidget* buildControlTab();
    QWidget* buildValuesTab();
    void buildBottomLine();
    void layoutPage();
    void zoom(bool in);
    void applyTicks(QListWidget* list, ModuleChart* chart);
    void solo(QListWidget* list, ModuleChart* chart, int& memory);
    void applyNames(int column);
    void syncTicks(QListWidget* list, const ModuleChart* chart);
    // The chart GroupBox8's zoom and file buttons act on; its title says which.
    ModuleChart* chartOfGroup() const;
    using PeriodicChart = obr9::PeriodicChartSaves::Chart;
    void chartReplaced(PeriodicChart& chart) { periodic_.chartReplaced(chart); }

    obr9::Reporter* reporter_;
    obr9::ChartData temperatures_;
    obr9::ChartData voltages_;
    obr9::ModuleStreamParser parser_;
    obr9::PeriodicChartSaves periodic_; // [0] temperatures, [1] voltages
    QString ownFileName_ = QStringLiteral("plik");
    QString* chartFileName_ = &ownFileName_;

    int temperatureSpan_ = 100;
    int voltageSpan_ = 100;
    int solo1_ = kSoloNone;
    int solo2_ = kSoloNone;
    bool tableShown_ = false;
    bool groupOnVoltages_ = false;
    QSize pageControl_;

    ModuleChart* chartTemp_ = nullptr;
    ModuleChart* chartVolt_ = nullptr;
    TemperatureTable* table_ = nullptr;
    QTabWidget* pageControl2_ = nullptr;
    QWidget* panel1_ = nullptr;
    QListWidget* checkListBox1_ = nullptr;
    QListWidget* checkListBox2_ = nullptr;
    RadioGroup* radioGroup2_ = nullptr;
    QCheckBox* checkBox9_ = nullptr;  // 3D view
    QCheckBox* checkBox10_ = nullptr; // AutoPan
    QComboBox* comboBox1_ = nullptr;  // Range
    QPushButton* button8_ = nullptr;  // +
    QPushButton* button7_ = nullptr;  // -
    QGroupBox* groupBox8_ = nullptr;
    QCheckBox* checkBox6_ = nullptr; // record temperatures
    QCheckBox* checkBox8_ = nullptr; // record voltages
    QPushButton* button2_ = nullptr; // save
    QPushButton* button4_ = nullptr; // load
    RadioGroup* radioGroupPeriod_ = nullptr;
    QToolButton* speedButton1_ = nullptr;
    QLabel* label12_ = nullptr; // bytes of the last call
    QLabel* label29_ = nullptr; // rejections
    QLabel* label74_ = nullptr; // received
    QLabel* label28_ = nullptr; // checksum
    std::array<QLabel*, 32> valueLabels_{};
    // Last, so that it goes first: a save it finishes reads the charts.
    std::unique_ptr<ModuleChartFiles> files_;
};
