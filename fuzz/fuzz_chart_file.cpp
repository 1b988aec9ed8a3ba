// Random bytes through the chart file reader, and charts made from random
// bytes through the writer and back.
//
// A file that reads must write out again and read back into the same chart;
// one that is refused must leave the chart as it was. Then the input is
// taken as a recipe for a chart (series count, then 11-byte points: Y, an
// X-or-index byte, a colour byte, a label byte), which must survive a
// write and a read unchanged.

#include "measure/ChartFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace obr9;

namespace {

void checkRoundTrip(const ChartData& chart)
{
    const QByteArray file = ChartFile::encode(chart);
    ChartData again;
    QString error;
    if (!ChartFile::read(file, chart.seriesCount(), again, &error))
        std::abort();
    if (!sameChart(again, chart))
        std::abort();
    if (ChartFile::encode(again) != file)
        std::abort();
}

ChartData chartFromRecipe(const uint8_t* data, size_t size)
{
    ChartData chart;
    if (size == 0)
        return chart;
    const int seriesCount = data[0] % 5;
    for (int k = 0; k < seriesCount; ++k)
        chart.series.emplace_back(QString::number(k), 0xFF000000u | uint32_t(k) * 0x101010u,
                                  Qt::PenStyle(k % 6), k % 2 == 0);
    if (seriesCount == 0)
        return chart;
    size_t offset = 1;
    int k = 0;
    while (size - offset >= 11) {
        double y;
        std::memcpy(&y, data + offset, sizeof y);
        const uint8_t xByte = data[offset + 8];
        const uint8_t colourByte = data[offset + 9];
        const uint8_t labelByte = data[offset + 10];
        offset += 11;
        ChartSeries& s = chart.series[std::size_t(k++ % seriesCount)];
        const uint32_t label =
            labelByte % 4 == 0 ? ChartLabels::kEmpty
                               : chart.labels.add(QByteArray(labelByte % 7 + 1, char('0' + labelByte % 10)));
        const uint32_t colour = colourByte < 200 ? s.colour : 0xFF000000u | colourByte;
        if (xByte < 128)
            s.append(y, label, colour);
        else
            s.append(double(xByte) - 200.0, y, label, colour);
    }
    return chart;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    ChartData chart;
    chart.series.emplace_back(QStringLiteral("before"), 0xFF00FF00u);
    chart.series.back().append(1.0, chart.labels.addText(QStringLiteral("12:00:00")), 0xFF00FF00u);
    const ChartData before = chart;

    if (ChartFile::read(bytes, ChartFile::kAnySeriesCount, chart)) {
        checkRoundTrip(chart);
        ChartData thirtyTwo = before;
        const bool right = ChartFile::read(bytes, 32, thirtyTwo);
        if (right != (chart.seriesCount() == 32) || (!right && !sameChart(thirtyTwo, before)))
            std::abort();
    } else {
        if (!sameChart(chart, before))
            std::abort();
    }

    checkRoundTrip(chartFromRecipe(data, size));
    return 0;
}
