#include "measure/ChartFile.h"
#include "measure/ChartFileFormat.h"
#include "base/WholeFile.h"

#include <QFile>

namespace obr9 {

using namespace chartfile;

namespace {

bool writePoints(Writer& out, const ChartData& chart, const ChartSeries& series)
{
    uint8_t flags = 0;
    flags |= series.hasOwnX() ? PointX : 0;
    flags |= series.hasPointColours() ? PointColour : 0;
    flags |= series.hasLabels() ? PointLabel : 0;
    out.u8(flags);
    const int count = series.size();
    out.u32(uint32_t(count));
    for (int i = 0; i < count; ++i) {
        writePoint(out, chart, series, flags, i);
        if (!out.flushIfFull())
            return false;
    }
    return true;
}

bool writeChart(Writer& out, const ChartData& chart, QString* error)
{
    if (chart.series.size() > 0xFFFF) {
        if (error)
            *error = QStringLiteral("A chart of %1 series cannot be stored.").arg(chart.series.size());
        return false;
    }
    writeHead(out, chart);
    for (const ChartSeries& series : chart.series) {
        if (!writePoints(out, chart, series)) {
            if (error)
                *error = QStringLiteral("The chart file could not be written.");
            return false;
        }
    }
    if (!out.flush()) {
        if (error)
            *error = QStringLiteral("The chart file could not be written.");
        return false;
    }
    return true;
}

} // namespace

QByteArray ChartFile::encode(const ChartData& chart)
{
    Writer out(nullptr);
    writeChart(out, chart, nullptr);
    return std::move(out.buffer());
}

bool ChartFile::write(QIODevice& device, const ChartData& chart, QString* error)
{
    Writer out(&device);
    return writeChart(out, chart, error);
}

bool ChartFile::save(const QString& path, const ChartData& chart, QString* error)
{
    const WholeFileResult result =
        writeWholeFile(path, [&](QIODevice& file) { return write(file, chart, error); });
    if (!result.ok() && error)
        *error = (result.failedAt == WholeFileResult::Open ? QStringLiteral("Cannot create %1: %2")
                                                           : QStringLiteral("Cannot write %1: %2"))
                     .arg(path, result.fileError);
    return result.ok();
}

bool ChartFile::read(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString* error,
                     ChartReadControl* control)
{
    ChartData loaded;
    QString message;
    if (!readChart(bytes, expectedSeriesCount, loaded, message, control)) {
        if (error)
            *error = message;
        return false;
    }
    chart = std::move(loaded);
    return true;
}

bool ChartFile::load(const QString& path, int expectedSeriesCount, ChartData& chart, QString* error,
                     ChartReadControl* control)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    if (size > 0) {
        if (const uchar* mapped = file.map(0, size)) {
            const bool ok =
                read(QByteArrayView(mapped, qsizetype(size)), expectedSeriesCount, chart, error, control);
            file.unmap(const_cast<uchar*>(mapped));
            return ok;
        }
    }
    const QByteArray bytes = file.readAll();
    return read(bytes, expectedSeriesCount, chart, error, control);
}

QString ChartFile::periodicFileName(QDate date, Kind kind)
{
    return date.toString(Qt::ISODate) + (kind == Kind::Temperatures ? QLatin1String("Temp.bin")
                                                                      : QLatin1String("Volt.bin"));
}

} // namespace obr9
