// Random module streams in random chunk sizes through the module stream
// parser, with both charts attached and a clock that jumps about.
//
// Input layout, repeated: one control byte, then a chunk of the stream.
//   control bits 0-4: chunk length (1..31, 0 = the rest)
//   control bit 5:    the clock moves on by (control x 37) ms, else by 20 ms
//   control bit 6:    next charting period (1 s, 10 s, 60 s in turn)
//   control bit 7:    rename a channel from the chunk's first byte, or
//                     clear "module seen"

#include "measure/ChartData.h"
#include "measure/ModuleCharts.h"
#include "measure/ModuleChannelNames.h"
#include "measure/ModuleStreamParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace obr9;

namespace {

class Harness : public ModuleStreamListener {
public:
    void statisticsChanged(const ModuleStreamStatistics& s) override
    {
        if (s.rejected < 0 || s.rejected > s.received || s.rejectedText().isEmpty())
            std::abort();
    }
    void channelReading(const ModuleChannelReading& r) override
    {
        // A label never starts with " = ": a blank name gives the default back.
        if (r.channel < 0 || r.channel >= ModuleStreamParser::kChannels ||
            r.externalMissing != (r.external == ModuleStreamParser::kNoExternalSensor) ||
            names.internalName(r.channel).trimmed().isEmpty() || names.externalName(r.channel).trimmed().isEmpty())
            std::abort();
        ++readings;
    }
    void relayStateAnswer(const uint8_t* frame) override
    {
        if (frame[3] != ModuleStreamParser::kKindRelayState)
            std::abort();
    }
    void chartingStep(const ModuleChartingStep& step) override
    {
        if (step.addsPoints)
            ++pointSteps;
        if (step.timeText.size() != 8)
            std::abort();
    }

    ModuleChannelNames names;
    int readings = 0;
    int pointSteps = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Harness harness;
    ChartData temperatures = makeTemperatureChart();
    ChartData voltages = makeVoltageChart();
    QDateTime now(QDate(2026, 12, 8), QTime(23, 59, 0));
    ModuleStreamParser parser(&harness);
    parser.setCharts(&temperatures, &voltages);
    parser.setClock([&now] { return now; });

    static const std::chrono::milliseconds periods[] = {std::chrono::milliseconds{1000},
                                                        std::chrono::milliseconds{10000},
                                                        std::chrono::milliseconds{60000}};
    int period = 0;
    int calls = 0;
    size_t offset = 0;
    while (offset < size) {
        const uint8_t control = data[offset++];
        size_t length = control & 0x1F;
        if (length == 0 || length > size - offset)
            length = size - offset;
        now = now.addMSecs(control & 0x20 ? qint64(control) * 37 : 20);
        if (control & 0x40)
            parser.setChartingPeriod(periods[++period % 3]);
        if (control & 0x80) {
            if (length > 0)
                harness.names.setName(data[offset] % 64 - 8, QString::fromLatin1(reinterpret_cast<const char*>(data + offset), qsizetype(length)));
            else
                parser.clearTemperatureModuleSeen();
        }
        parser.parse(data + offset, int(length));
        offset += length;
        ++calls;

        if (parser.bufferedBytes() < 0 || parser.bufferedBytes() >= ModuleStreamParser::kFrameSize)
            std::abort();
        if (parser.statistics().rejected > parser.statistics().received)
            std::abort();
    }
    // One point per series per step that added points, on every series.
    for (const ChartSeries& s : temperatures.series) {
        if (s.size() != harness.pointSteps)
            std::abort();
    }
    for (const ChartSeries& s : voltages.series) {
        if (s.size() != harness.pointSteps)
            std::abort();
    }
    if (harness.pointSteps > calls - std::min(calls, ModuleStreamParser::kWarmUpCalls))
        std::abort();
    return 0;
}
