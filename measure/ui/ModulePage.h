// The HQ-2 page (TabSheet3): the module stream parser's readings as value
// labels and the table StringGrid1, the two strip charts ChartTemp and
// ChartVolt with their "Show" and "Control" tabs, chart files (periodic
// saves, "save", "load") and the statistics of the stream.
//
// The page owns the parser and both charts' data; the main window feeds it
// the module bytes and learns through the seams below what it must do
// itself (caption, relay answers, poll interval).
#pragma once

#include "measure/ChartData.h"
#include "measure/ChartFile.h"
#include "measure/ModuleStreamListener.h"
#include "measure/ModuleStreamParser.h"

#include <QDateTime>
#include <QSize>
#include <QWidget>

#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

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
class ChartFileWriter;
class DisplayFormat;
class Reporter;
class SettingsKeyTable;
} // namespace obr9

class ModulePage : public QWidget, private obr9::ModuleStreamListener {
    Q_OBJECT
public:
    static constexpr int kSoloNone = 100;
    static constexpr int kSavePeriodTicks = 600; // Timer2 ticks between periodic chart saves
    enum Display { Temperatures = 0, Voltages = 1, TempAndVolt = 2 };

    // Asked for a chart file path: save or open, starting from proposed.
    // An empty answer is a cancel.
    using FileChooser = std::function<QString(bool save, const QString& proposed)>;
    using Clock = std::function<QDateTime()>;

    explicit ModulePage(obr9::Reporter& reporter, QWidget* parent = nullptr);
    ~ModulePage() override;

    void setReporter(obr9::Reporter& reporter) { reporter_ = &reporter; }
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
    void setChartFolder(const QString& folder) { chartFolder_ = folder; }

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
    // A periodic save encodes slices of this many points, for at most
    // kSaveTurnMilliseconds per event-loop turn.
    static constexpr std::size_t kSaveSlicePoints = 10000;
    static constexpr int kSaveTurnMilliseconds = 15;

    int temperatureSpan() const { return temperatureSpan_; }
    int voltageSpan() const { return voltageSpan_; }
    int soloMemory(int list) const { return list == 1 ? solo1_ : solo2_; }
    int displayChoice() const;
    int periodChoice() const;
    bool tableShown() const;

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
    ModuleChart* chartOfGroup() const;
    // Periodic files of one chart. A day's file holds the points from that
    // day's first point on (the chart's first point, or the one after local
    // midnight); dayFirsts keeps that index per series. Saves are written a
    // slice at a time from saveTimer_, one file at a time per chart.
    struct PeriodicChart {
        obr9::ChartData* data = nullptr;
        obr9::ChartFile::Kind kind = obr9::ChartFile::Kind::Temperatures;
        QCheckBox* box = nullptr;
        QDate day;                   // day of dayFirsts; invalid before the first point
        std::vector<int> dayFirsts;
        struct Job {
            QString path;
            std::vector<int> firsts, ends; // ends empty: up to the newest point
        };
        std::deque<Job> pending;
        std::unique_ptr<obr9::ChartFileWriter> writer;
    };
    void periodicSave(PeriodicChart& chart, int& tick);
    // The day turned (or was seen first): the new day starts at firsts.
    void rollDay(PeriodicChart& chart, QDate today, int pointsBack);
    void startPendingSave(PeriodicChart& chart);
    void saveSlice();
    // The chart's points were replaced: its running saves are dropped and it
    // counts as begun now.
    void chartReplaced(PeriodicChart& chart);
    QString periodicPath(QDate day, obr9::ChartFile::Kind kind) const;
    QDateTime now() const;

    obr9::Reporter* reporter_;
    obr9::ChartData temperatures_;
    obr9::ChartData voltages_;
    obr9::ModuleStreamParser parser_;
    Clock clock_;
    QString ownFileName_ = QStringLiteral("plik");
    QString* chartFileName_ = &ownFileName_;
    QString chartFolder_;

    int temperatureSpan_ = 100;
    int voltageSpan_ = 100;
    int solo1_ = kSoloNone;
    int solo2_ = kSoloNone;
    int temperatureSaveTick_ = 0;
    int voltageSaveTick_ = 0;
    std::array<PeriodicChart, 2> periodic_; // temperatures, voltages
    QTimer saveTimer_;
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
