// The RS-485 module stream: 20-byte frames of the HQ-2 temperature module
// and the VK8 relay modules.
//
// Frame (little-endian): 0 channel, 1-2 unused, 3 kind (2 temperature
// channel, 1 relay state), 4 f32 internal degC (kind 1: output bits),
// 8 f32 external degC (-900.0 = no sensor), 12 u16 voltage count
// (x 0.065316786414108423744 V), 14-17 unused, 18 CRC-16/MODBUS of 0..17.
//
// Frames are found with a sliding window: whenever 20 bytes are gathered
// and their CRC fails (or computes to 0) the window moves on by one byte.
// State survives between calls, so a frame may be split over any number of
// them.
//
// Each call ends with the charting step: after three warm-up calls it adds
// one point to each of the 48 series of the two charts, no more often than
// the charting period allows (see setChartingPeriod).
#pragma once

#include "measure/ModuleStreamListener.h"

#include <QDateTime>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace obr9 {

class ChartData;

class ModuleStreamParser {
public:
    static constexpr int kFrameSize = 20;
    static constexpr int kChannels = 16;
    static constexpr int kWarmUpCalls = 3;
    static constexpr uint8_t kKindRelayState = 1;
    static constexpr uint8_t kKindTemperature = 2;
    static constexpr float kNoExternalSensor = -900.0f;
    static constexpr double kVoltsPerCount = 0.065316786414108423744;

    using Clock = std::function<QDateTime()>;

    explicit ModuleStreamParser(ModuleStreamListener* listener = nullptr);

    void setListener(ModuleStreamListener* listener) { listener_ = listener; }
    // Relay state answers (kind 1) go here when set, else to the listener.
    void setRelayListener(ModuleStreamListener* listener) { relayListener_ = listener; }
    // Local wall-clock time; QDateTime::currentDateTime when not set.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // The charts the step appends to (32 and 16 series); null: none. Series
    // missing from a chart are skipped.
    void setCharts(ChartData* temperatures, ChartData* voltages);

    // Least time between two charting steps that add points: "1 sec",
    // "10sec", "60sec" of the period box. A step adds points once the period
    // has passed since the last one that did, less a tolerance for timer
    // jitter: half the time since the previous call, at most a tenth of the
    // period. So polls at the period's own rate are never skipped, faster
    // polls chart at the period, and no point comes sooner than 90 % of it.
    void setChartingPeriod(std::chrono::milliseconds period) { period_ = period; }
    std::chrono::milliseconds chartingPeriod() const { return period_; }
    // "1 sec", "10sec", "60sec" (also "1", "10", "60"); nullopt otherwise.
    static std::optional<std::chrono::milliseconds> periodFromText(const QString& text);

    // One call: count bytes of data (count 0 runs only the charting step).
    void parse(const uint8_t* data, int count);

    const ModuleStreamStatistics& statistics() const { return statistics_; }
    int bufferedBytes() const { return fill_; }
    int warmUpCalls() const { return warmUp_; }

    bool temperatureModuleSeen() const { return moduleSeen_; }
    // Each click on the connect box: the next good frame reports again.
    void clearTemperatureModuleSeen() { moduleSeen_ = false; }

    // moduleReadings: int0, ext0, int1, ext1, ... and volts per channel.
    const std::array<float, 2 * kChannels>& readings() const { return readings_; }
    const std::array<float, kChannels>& volts() const { return volts_; }

private:
    void frameComplete();
    void channelFrame();
    void chartingStep();
    bool pointsDue(const QDateTime& now);

    ModuleStreamListener* listener_;
    ModuleStreamListener* relayListener_ = nullptr;
    Clock clock_;
    ChartData* temperatureChart_ = nullptr;
    ChartData* voltageChart_ = nullptr;

    std::array<uint8_t, kFrameSize> frame_{};
    int fill_ = 0;
    ModuleStreamStatistics statistics_;
    int warmUp_ = 0;
    bool moduleSeen_ = false;

    std::array<float, 2 * kChannels> readings_{};
    std::array<float, kChannels> volts_{};
    std::array<float, 2 * kChannels> lastGood_{};
    int lastTemperatureIndex_ = 0;
    int lastVoltageIndex_ = 0;
    int pointSteps_ = 0;

    std::chrono::milliseconds period_{1000};
    QDateTime lastPoints_;   // invalid until a step added points
    QDateTime previousCall_; // invalid before the first step
};

} // namespace obr9
