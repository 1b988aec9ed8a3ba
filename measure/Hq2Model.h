// The HQ-2 temperature module as the program holds it: the module stream
// parser, the newest reading of each channel, the stream's counters, the
// two charts' data (32 temperature series, 16 voltage series) and their
// periodic day files.
//
// The program feeds it every module stream read; the HQ-2 page shows what
// its signals report and forwards the operator's choices (record boxes,
// charting period, channel names). Relay state answers (kind 1) pass the
// parser to its relay listener and never reach this model.
#pragma once

#include "measure/ChartData.h"
#include "measure/ModuleChannelNames.h"
#include "measure/ModuleStreamListener.h"
#include "measure/ModuleStreamParser.h"
#include "measure/PeriodicChartSaves.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

namespace obr9 {

class Reporter;

class Hq2Model : public QObject, private ModuleStreamListener {
    Q_OBJECT
public:
    enum ChartIndex { TemperatureChart = 0, VoltageChart = 1 };
    using Clock = std::function<QDateTime()>;

    explicit Hq2Model(Reporter& reporter, QObject* parent = nullptr);
    ~Hq2Model() override;

    void setReporter(Reporter& reporter) { periodic_.setReporter(reporter); }
    // Wall-clock time of the readings' time labels and of the periodic file
    // names; QDateTime::currentDateTime when not set.
    void setClock(Clock clock);
    // The periodic files are relative names; they land in this folder
    // (empty: the working directory).
    void setChartFolder(const QString& folder) { periodic_.setFolder(folder); }
    // Where kind-1 frames go (the VK8 relay model's way in).
    void setRelayListener(ModuleStreamListener* listener) { parser_.setRelayListener(listener); }

    // One module stream read (count may be 0: a poll with nothing waiting).
    void parse(const uint8_t* data, int count) { parser_.parse(data, count); }
    ModuleStreamParser& parser() { return parser_; }
    const ModuleStreamParser& parser() const { return parser_; }

    ChartData& temperatureData() { return temperatures_; }
    ChartData& voltageData() { return voltages_; }
    ChartData& chartData(int chart) { return chart == VoltageChart ? voltages_ : temperatures_; }

    // The newest good frame of each channel 0..15 (all zero before one came).
    const ModuleChannelReading& reading(int channel) const { return readings_[std::size_t(channel)]; }
    const ModuleStreamStatistics& statistics() const { return parser_.statistics(); }
    int bytesOfLastCall() const { return bytesOfLastCall_; }

    // k as in ModuleChannelNames: 0..15 internal, 16..31 external, 32..47
    // voltage channels; the table's names.
    void setChannelName(int k, const QString& name) { names_.setName(k, name); }
    const ModuleChannelNames& channelNames() const { return names_; }
    // Least time between chart points, in milliseconds ("1 sec", "10sec",
    // "60sec"); the module port is polled at the same rate.
    void setChartingPeriod(int milliseconds);

    // The "record" boxes: a chart whose box is ticked is written to its
    // day's file every PeriodicChartSaves::kSavePeriodTicks ticks.
    void setRecording(int chart, bool on) { recording_[std::size_t(chart)] = on; }
    bool recording(int chart) const { return recording_[std::size_t(chart)]; }
    // Timer2 steps 1 and 2: the periodic chart files.
    void chartSaveStep() { periodic_.step(); }
    bool periodicSaveRunning() const { return periodic_.running(); }
    // A loaded file replaced the chart's points.
    void chartReplaced(int chart) { periodic_.chartReplaced(periodic_[chart]); }

    // The last chart file: of a file dialog, or the periodic file whose
    // turn began. The program's chart file name is this one.
    const QString& chartFileName() const { return chartFileName_; }
    void setChartFileName(const QString& name);

signals:
    void bytesCounted(int count); // a call with bytes
    void statisticsUpdated(const obr9::ModuleStreamStatistics& statistics);
    void checksumVerified(bool good);
    // First good HQ-2 frame since the parser's flag was cleared.
    void moduleConnected();
    void channelRead(const obr9::ModuleChannelReading& reading);
    // The end of every parser call; step.addsPoints when the charts grew.
    void chartingStepped(const obr9::ModuleChartingStep& step);
    void chartingPeriodChanged(int milliseconds);
    void chartFileNameChanged(const QString& name);

private:
    // ModuleStreamListener
    void bytesOfCall(int count) override;
    void statisticsChanged(const ModuleStreamStatistics& statistics) override
    {
        emit statisticsUpdated(statistics);
    }
    void checksumChecked(bool good) override { emit checksumVerified(good); }
    void temperatureModuleConnected() override { emit moduleConnected(); }
    void channelReading(const ModuleChannelReading& reading) override;
    void chartingStep(const ModuleChartingStep& step) override;

    ChartData temperatures_;
    ChartData voltages_;
    ModuleStreamParser parser_;
    PeriodicChartSaves periodic_;
    std::array<ModuleChannelReading, ModuleStreamParser::kChannels> readings_{};
    std::array<bool, 2> recording_{};
    ModuleChannelNames names_;
    int bytesOfLastCall_ = 0;
    QString chartFileName_ = QStringLiteral("plik");
};

} // namespace obr9
