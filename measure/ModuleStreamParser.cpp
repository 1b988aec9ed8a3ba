#include "measure/ModuleStreamParser.h"

#include "base/LittleEndian.h"
#include "base/SilentListener.h"
#include "measure/ChartData.h"
#include "measure/ModuleCharts.h"
#include "protocol/Checksums.h"

#include <QTime>

#include <algorithm>
#include <cstring>

namespace obr9 {

QString ModuleStreamStatistics::rejectedText() const
{
    const int64_t percent = received > 0 ? rejected * 100 / received : 0;
    return QStringLiteral("odrzuty:%1, %2%").arg(rejected).arg(percent);
}

QString ModuleStreamStatistics::receivedText() const
{
    return QStringLiteral("odebrane:%1").arg(received);
}

ModuleStreamParser::ModuleStreamParser(ModuleStreamListener* listener)
    : listener_(listener)
{
}

void ModuleStreamParser::setCharts(ChartData* temperatures, ChartData* voltages)
{
    temperatureChart_ = temperatures;
    voltageChart_ = voltages;
}

std::optional<std::chrono::milliseconds> ModuleStreamParser::periodFromText(const QString& text)
{
    const QString t = text.trimmed();
    if (t == QLatin1String("1 sec") || t == QLatin1String("1"))
        return std::chrono::milliseconds{1000};
    if (t == QLatin1String("10sec") || t == QLatin1String("10"))
        return std::chrono::milliseconds{10000};
    if (t == QLatin1String("60sec") || t == QLatin1String("60"))
        return std::chrono::milliseconds{60000};
    return std::nullopt;
}

void ModuleStreamParser::parse(const uint8_t* data, int count)
{
    ModuleStreamListener& listener = listenerOr(listener_);
    if (count < 0 || !data)
        count = 0;
    if (count != 0)
        listener.bytesOfCall(count);

    for (int i = 0; i < count; ++i) {
        frame_[std::size_t(fill_++)] = data[i];
        if (fill_ == kFrameSize)
            frameComplete();
    }
    chartingStep();
}

void ModuleStreamParser::frameComplete()
{
    ModuleStreamListener& listener = listenerOr(listener_);
    const uint16_t computed = Crc16Modbus(frame_.data(), 0, kFrameSize - 2);
    const uint16_t received = le::read16(frame_.data() + 18);

    // A computed CRC of 0 never counts as a match on the module link.
    if (computed != received || computed == 0) {
        listener.checksumChecked(false);
        std::memmove(frame_.data(), frame_.data() + 1, kFrameSize - 1);
        fill_ = kFrameSize - 1;
        statistics_.received += 1;
        statistics_.rejected += 1;
        return;
    }

    fill_ = 0;
    statistics_.received += kFrameSize;
    listener.statisticsChanged(statistics_);
    if (frame_[3] == kKindTemperature)
        channelFrame();
    else if (frame_[3] == kKindRelayState)
        (relayListener_ ? *relayListener_ : listener).relayStateAnswer(frame_.data());
}

void ModuleStreamParser::channelFrame()
{
    ModuleStreamListener& listener = listenerOr(listener_);
    const int ch = frame_[0];
    // No slot, label or table row exists for it; it counted as received.
    if (ch >= kChannels)
        return;

    if (!moduleSeen_) {
        moduleSeen_ = true;
        listener.temperatureModuleConnected();
    }
    listener.checksumChecked(true);

    ModuleChannelReading r;
    r.channel = ch;
    r.internal = le::readFloat(frame_.data() + 4);
    r.external = le::readFloat(frame_.data() + 8);
    const uint16_t count = le::read16(frame_.data() + 12);
    r.volts = float(double(count) * kVoltsPerCount);
    r.externalMissing = r.external == kNoExternalSensor;


    readings_[std::size_t(2 * ch)] = r.internal;
    readings_[std::size_t(2 * ch + 1)] = r.external;
    volts_[std::size_t(ch)] = r.volts;
    listener.channelReading(r);
}

bool ModuleStreamParser::pointsDue(const QDateTime& now)
{
    if (!lastPoints_.isValid())
        return true;
    const qint64 elapsed = lastPoints_.msecsTo(now);
    if (elapsed < 0)
        return true; // the clock was set back: start over from now
    const qint64 period = period_.count();
    const qint64 gap = previousCall_.isValid() ? std::max<qint64>(previousCall_.msecsTo(now), 0) : period;
    const qint64 tolerance = std::min(period / 10, gap / 2);
    return elapsed >= period - tolerance;
}

void ModuleStreamParser::chartingStep()
{
    ModuleStreamListener& listener = listenerOr(listener_);
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();

    ModuleChartingStep step;
    step.timeText = now.time().toString(QStringLiteral("HH:mm:ss"));

    // The values of this step, whether or not they become points.
    for (int n = 0; n < 2 * kChannels; ++n) {
        float value = readings_[std::size_t(n)];
        uint32_t colour = kSeriesColours[std::size_t(n / 2)];
        if (value == kNoExternalSensor) {
            colour = kMissingSensorColour;
            value = lastGood_[std::size_t(n)];
        }
        step.temperatures[std::size_t(n)] = value;
        step.temperatureColours[std::size_t(n)] = colour;
    }
    step.volts = volts_;

    if (warmUp_ < kWarmUpCalls) {
        ++warmUp_;
    } else if (pointsDue(now)) {
        step.addsPoints = true;
        lastPoints_ = now;
        for (int n = 0; n < 2 * kChannels; ++n) {
            if (readings_[std::size_t(n)] != kNoExternalSensor)
                lastGood_[std::size_t(n)] = readings_[std::size_t(n)];
        }
        ++pointSteps_;
        lastTemperatureIndex_ = lastVoltageIndex_ = pointSteps_ - 1; // without charts
        const QByteArray time = step.timeText.toUtf8();
        if (temperatureChart_) {
            const uint32_t label = temperatureChart_->labels.add(QByteArrayView(time));
            const int series = std::min(temperatureChart_->seriesCount(), 2 * kChannels);
            for (int n = 0; n < series; ++n) {
                ChartSeries& s = temperatureChart_->series[std::size_t(n)];
                const uint32_t colour = step.temperatureColours[std::size_t(n)];
                lastTemperatureIndex_ = s.append(double(step.temperatures[std::size_t(n)]), label, colour);
                s.colour = colour;
            }
        }
        if (voltageChart_) {
            const uint32_t label = voltageChart_->labels.add(QByteArrayView(time));
            const int series = std::min(voltageChart_->seriesCount(), kChannels);
            for (int v = 0; v < series; ++v) {
                ChartSeries& s = voltageChart_->series[std::size_t(v)];
                const uint32_t colour = kSeriesColours[std::size_t(v)];
                lastVoltageIndex_ = s.append(double(volts_[std::size_t(v)]), label, colour);
                s.colour = colour;
            }
        }
    }
    previousCall_ = now;

    step.lastTemperatureIndex = lastTemperatureIndex_;
    step.lastVoltageIndex = lastVoltageIndex_;
    listener.chartingStep(step);
}

} // namespace obr9
