#include "measure/ChartCsvExport.h"

#include "base/WholeFile.h"

#include <QIODevice>

#include <algorithm>
#include <vector>

namespace obr9 {

namespace {

constexpr qsizetype kFlushBytes = 64 * 1024;

void appendField(QByteArray& line, QByteArrayView text)
{
    const bool quote = std::any_of(text.begin(), text.end(),
                                   [](char c) { return c == ',' || c == '"' || c == '\n' || c == '\r'; });
    if (!quote) {
        line.append(text);
        return;
    }
    line.append('"');
    for (const char c : text) {
        if (c == '"')
            line.append('"');
        line.append(c);
    }
    line.append('"');
}

bool flush(QIODevice& out, QByteArray& buffer, QString* error)
{
    if (buffer.isEmpty())
        return true;
    if (out.write(buffer) != buffer.size()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    buffer.clear();
    return true;
}

} // namespace

bool WriteChartCsv(const ChartData& chart, QIODevice& out, QString* error)
{
    std::vector<const ChartSeries*> visible;
    for (const ChartSeries& series : chart.series) {
        if (series.visible)
            visible.push_back(&series);
    }
    int rows = 0;
    for (const ChartSeries* series : visible)
        rows = std::max(rows, series->size());

    QByteArray buffer;
    buffer.reserve(kFlushBytes + 1024);
    buffer.append("Time");
    for (const ChartSeries* series : visible) {
        buffer.append(',');
        appendField(buffer, series->name.toUtf8());
    }
    buffer.append('\n');

    for (int i = 0; i < rows; ++i) {
        for (const ChartSeries* series : visible) {
            if (i < series->size()) {
                appendField(buffer, chart.labels.bytes(series->label(i)));
                break;
            }
        }
        for (const ChartSeries* series : visible) {
            buffer.append(',');
            if (i < series->size())
                buffer.append(QByteArray::number(series->y(i), 'g', 6));
        }
        buffer.append('\n');
        if (buffer.size() >= kFlushBytes && !flush(out, buffer, error))
            return false;
    }
    return flush(out, buffer, error);
}

bool SaveChartCsv(const ChartData& chart, const QString& path, QString* error)
{
    const WholeFileResult result =
        writeWholeFile(path, [&](QIODevice& file) { return WriteChartCsv(chart, file, error); });
    // A failed write has said why itself.
    if (!result.ok() && result.failedAt != WholeFileResult::Write && error)
        *error = result.fileError;
    return result.ok();
}

} // namespace obr9
