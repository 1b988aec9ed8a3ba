// The HQ-2 page (TabSheet3): the module stream parser's readings as value
// labels and the table StringGrid1, the two strip charts ChartTemp and
// ChartVolt with their "Show" and "Control" tabs, chart files (periodic
// saves, "save", "load") and the statistics of the stream.
//
// One class, its parts in files by tab and job: ModulePageShow.cpp,
// ModulePageControl.cpp, ModulePageValues.cpp, ModulePageSettings.cpp; the
// periodic saves are PeriodicChartSaves.
//
// The program's HQ-2 model holds the parser, the readings, both charts'
// data and the periodic saves; the page shows what the model reports and
// forwards the operator's choices to it.
#pragma once

#include "base/DisplayFormat.h"
#include "measure/Hq2Model.h"
#include "measure/ModuleStreamListener.h"
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
class Reporter;
class SettingsKeyTable;
} // namespace obr9

class ModulePage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSoloNone = 100;
    static constexpr int kSavePeriodTicks = obr9::PeriodicChartSaves::kSavePeriodTicks;
    enum Display { Temperatures = 0, Voltages = 1, TempAndVolt = 2 };

    // Asked for a chart file path: save or open, starting from proposed.
    // An empty answer is a cancel.
    using FileChooser = std::function<QString(bool save, const QString& proposed)>;
    // The page shows and steers model, which the program owns and which
    // outlives the page.
    ModulePage(obr9::Hq2Model& model, obr9::Reporter& reporter, QWidget* parent = nullptr);
    ~ModulePage() override;

    void setReporter(obr9::Reporter& reporter) { reporter_ = &reporter; }
    // The decimal separator of the labels and the table from now on
    // (Recording::decimalSeparator).
    void setDecimalSeparator(QChar separator);
    void setFileChooser(FileChooser chooser);

    obr9::Hq2Model& model() { return model_; }
    ModuleChart* chartTemp() const { return chartTemp_; }
    ModuleChart* chartVolt() const { return chartVolt_; }
    TemperatureTable* table() const { return table_; }
    ModuleChartFiles* chartFiles() const { return files_.get(); }
    QLabel* valueLabel(int k) const { return valueLabels_[std::size_t(k)]; }

    // Keys name9..56, TINTmax/TINTmin/TEXTmax/TEXTmin, chan, chanV, 3DView,
    // AutoPan, recordTemperatures, recordVoltages, VTSwitch, period, Range.
    void bindSettings(obr9::SettingsKeyTable& keys);
    // End of start-up: the range choice and the list ticks reach the charts.
    void afterSettingsLoaded();

    // Layout rule; size is PageControl1's.
    void PageControl1Resize(QSize pageControl);
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
    // The table's keys (names and limits), and the lists' and control tab's.
    void bindTableSettings(obr9::SettingsKeyTable& keys);
    void bindControlSettings(obr9::SettingsKeyTable& keys);
    // What the model reports.
    void showModel();
    void statisticsUpdated(const obr9::ModuleStreamStatistics& statistics);
    void channelRead(const obr9::ModuleChannelReading& reading);
    void chartingStepped(const obr9::ModuleChartingStep& step);

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

    obr9::Hq2Model& model_;
    obr9::Reporter* reporter_;
    obr9::DisplayFormat format_;

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
