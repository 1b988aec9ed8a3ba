// What the module stream parser tells the HQ-2 page, at the moment it
// happens. All methods default to doing nothing; the page overrides what it
// shows and turns each event into labels, table cells and chart redraws.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace obr9 {

// Reception statistics, in bytes. 64-bit so that months of reception never
// wrap (the texts show them in decimal whatever their size).
struct ModuleStreamStatistics {
    int64_t received = 0; // 20 per good frame, 1 per byte slid over
    int64_t rejected = 0; // 1 per byte slid over

    // "odrzuty:3, 1%": rejected, then rejected x 100 / received, truncated.
    QString rejectedText() const;
    // "odebrane:21"
    QString receivedText() const;
};

inline const QString kChecksumGoodText = QStringLiteral("suma ok");
inline const QString kChecksumBadText = QStringLiteral("suma zla");

// One good temperature-module frame, decoded: degrees Celsius and volts.
struct ModuleChannelReading {
    int channel = 0; // 0..15
    float internal = 0;
    float external = 0; // -900.0 exactly: no external sensor fitted
    float volts = 0;
    bool externalMissing = false;
};

// The end of every parser call.
struct ModuleChartingStep {
    QString timeText;   // time of day of the call, "14:03:09"
    bool addsPoints = false; // false during the warm-up and sooner than the period
    // Newest point index of each chart after the step (auto-pan follows it);
    // 0 before any point was added.
    int lastTemperatureIndex = 0;
    int lastVoltageIndex = 0;
    // The values charted (or that would have been): series order of the
    // charts, temperatures 2i internal, 2i + 1 external channel i.
    std::array<float, 32> temperatures{};
    std::array<uint32_t, 32> temperatureColours{}; // 0xAARRGGBB; silver for a missing sensor
    std::array<float, 16> volts{};
};

class ModuleStreamListener {
public:
    virtual ~ModuleStreamListener() = default;

    // A call with bytes: the byte count label.
    virtual void bytesOfCall(int count) { (void)count; }
    // After every good frame, whatever its kind.
    virtual void statisticsChanged(const ModuleStreamStatistics& statistics) { (void)statistics; }
    // The checksum label: false for every window that failed, true for every
    // good temperature-module frame.
    virtual void checksumChecked(bool good) { (void)good; }
    // First good temperature-module frame since the start or since
    // clearTemperatureModuleSeen(): the caption gets "HQ2 connected".
    virtual void temperatureModuleConnected() {}
    virtual void channelReading(const ModuleChannelReading& reading) { (void)reading; }
    // A good frame of kind 1, all 20 bytes, for the relay page.
    virtual void relayStateAnswer(const uint8_t* frame) { (void)frame; }
    // After all bytes of a call, also for a call without bytes.
    virtual void chartingStep(const ModuleChartingStep& step) { (void)step; }
};

} // namespace obr9
