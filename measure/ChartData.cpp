#include "measure/ChartData.h"

#include <cstring>

namespace obr9 {

std::size_t ChartData::pointCount() const
{
    std::size_t n = 0;
    for (const ChartSeries& s : series)
        n += std::size_t(s.size());
    return n;
}

std::size_t ChartData::memoryBytes() const
{
    std::size_t bytes = sizeof(*this) + labels.memoryBytes();
    for (const ChartSeries& s : series)
        bytes += s.memoryBytes();
    return bytes;
}

void ChartData::clearPoints()
{
    for (ChartSeries& s : series)
        s.clearPoints();
    labels.clear();
}

namespace {
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool samePoints(const ChartData& a, const ChartSeries& sa, const ChartData& b, const ChartSeries& sb)
{
    if (sa.size() != sb.size())
        return false;
    for (int i = 0; i < sa.size(); ++i) {
        if (!sameBits(sa.y(i), sb.y(i)) || !sameBits(sa.x(i), sb.x(i)) ||
            sa.pointColour(i) != sb.pointColour(i) || a.labels.bytes(sa.label(i)) != b.labels.bytes(sb.label(i)))
            return false;
    }
    return true;
}
} // namespace

bool sameChart(const ChartData& a, const ChartData& b)
{
    if (!(a.settings == b.settings) || a.series.size() != b.series.size())
        return false;
    for (std::size_t k = 0; k < a.series.size(); ++k) {
        const ChartSeries& sa = a.series[k];
        const ChartSeries& sb = b.series[k];
        if (sa.name != sb.name || sa.colour != sb.colour || sa.pen != sb.pen || sa.visible != sb.visible ||
            !samePoints(a, sa, b, sb))
            return false;
    }
    return true;
}

} // namespace obr9
