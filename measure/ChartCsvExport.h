// A module chart as a CSV file: a header, then one row per point index.
//
//   Time,<name of each visible series>
//   <time label of point i>,<Y of point i of each visible series>
//
// The label comes from the first visible series that has point i (the
// parser labels every point of a call alike); a series shorter than the
// longest leaves its field empty. Numbers are written as the recording files
// write them: classic locale, general form, at most 6 significant digits.
// Texts holding a comma, a quote or a line break are quoted, quotes doubled.
// Lines end with a single 0x0A; the file is UTF-8 without a byte order mark.
//
// Rows are formatted into a small buffer and written as it fills, so a month
// of points costs no second copy in memory. Points are read only through
// ChartSeries::size(), y(i), label(i) and ChartData::labels.
#pragma once

#include "measure/ChartData.h"

#include <QString>

class QIODevice;

namespace obr9 {

// Writes to an open device; false (with *error) when a write failed.
bool WriteChartCsv(const ChartData& chart, QIODevice& out, QString* error = nullptr);

// Writes `path` whole or not at all (QSaveFile); false with *error.
bool SaveChartCsv(const ChartData& chart, const QString& path, QString* error = nullptr);

} // namespace obr9
