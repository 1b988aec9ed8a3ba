// Everything a strip chart holds: its settings, its series with their
// points, and the labels those points share. This is what a chart file
// stores and what the module stream parser appends to; the window draws it.
#pragma once

#include "measure/ChartLabels.h"
#include "measure/ChartSeries.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace obr9 {

struct ChartAxis {
    double minimum = 0;
    double maximum = 100;
    bool automatic = false;

    bool operator==(const ChartAxis&) const = default;
};

struct ChartSettings {
    QString title;
    ChartAxis bottom;
    ChartAxis left{0, 100, true};
    bool legendVisible = true;
    bool view3D = false;

    bool operator==(const ChartSettings&) const = default;
};

class ChartData {
public:
    ChartSettings settings;
    std::vector<ChartSeries> series;
    ChartLabels labels;

    int seriesCount() const { return int(series.size()); }
    // Points stored in all series together.
    std::size_t pointCount() const;
    // Heap and object bytes of the points, labels and series.
    std::size_t memoryBytes() const;
    void clearPoints();
};

// Same settings, series looks and points; labels compared by their text.
bool sameChart(const ChartData& a, const ChartData& b);

} // namespace obr9
