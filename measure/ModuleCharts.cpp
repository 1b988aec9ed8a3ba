#include "measure/ModuleCharts.h"

namespace obr9 {

ChartData makeTemperatureChart(const ModuleChannelNames& names)
{
    ChartData chart;
    chart.settings.title = QStringLiteral("Temperatures chart");
    chart.series.reserve(kTemperatureSeriesCount);
    for (int i = 0; i < ModuleChannelNames::kChannels; ++i) {
        const uint32_t colour = kSeriesColours[std::size_t(i)];
        chart.series.emplace_back(names.internalName(i), colour, Qt::SolidLine);
        chart.series.emplace_back(names.externalName(i), colour, Qt::DotLine);
    }
    return chart;
}

ChartData makeVoltageChart(const ModuleChannelNames& names)
{
    ChartData chart;
    chart.settings.title = QStringLiteral("Voltages chart");
    chart.series.reserve(kVoltageSeriesCount);
    for (int i = 0; i < ModuleChannelNames::kChannels; ++i)
        chart.series.emplace_back(names.voltageName(i), kSeriesColours[std::size_t(i)], Qt::SolidLine);
    return chart;
}

} // namespace obr9
