// The chart file reader. A month of a chart is some 80 million points, so
// the point loop reads straight from the bytes with one bounds check per
// point (two with a label) and finds each label without a search: the
// label of the same point in the series before, or the label after the
// previous point's.
#include "measure/ChartFile.h"
#include "measure/ChartFileFormat.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace obr9::chartfile {

namespace {

// Bounds-checked little-endian reader. The first failure sticks: later reads
// return zeros and the message names the first fault.
class Reader {
public:
    explicit Reader(QByteArrayView bytes)
        : data_(reinterpret_cast<const uint8_t*>(bytes.data()))
        , size_(bytes.size())
    {
    }

    bool ok() const { return !failed_; }
    const QString& error() const { return error_; }
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return size_ - pos_; }

    bool need(qsizetype n)
    {
        if (failed_)
            return false;
        if (n > size_ - pos_) {
            failed_ = true;
            error_ = QStringLiteral("The chart file is truncated (it ends at byte %1).").arg(size_);
            return false;
        }
        return true;
    }
    void fail(const QString& what)
    {
        if (!failed_) {
            failed_ = true;
            error_ = QStringLiteral("Invalid chart in the file: %1 (byte %2).").arg(what).arg(pos_);
        }
    }
    void stop(const QString& why)
    {
        if (!failed_) {
            failed_ = true;
            error_ = why;
        }
    }

    uint8_t u8() { return need(1) ? data_[pos_++] : 0; }
    uint16_t u16() { return need(2) ? take<uint16_t>() : 0; }
    uint32_t u32() { return need(4) ? take<uint32_t>() : 0; }
    double f64() { return need(8) ? takeF64() : 0; }
    std::string_view bytes(qsizetype n)
    {
        if (!need(n))
            return {};
        return takeBytes(n);
    }
    QString text16()
    {
        const uint16_t n = u16();
        const std::string_view v = bytes(n);
        return QString::fromUtf8(v.data(), qsizetype(v.size()));
    }

    // Unchecked reads, for after need() has vouched for the bytes.
    template <typename T>
    T take()
    {
        const T v = qFromLittleEndian<T>(data_ + pos_);
        pos_ += qsizetype(sizeof(T));
        return v;
    }
    double takeF64()
    {
        const uint64_t bits = take<uint64_t>();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    uint8_t takeU8() { return data_[pos_++]; }
    std::string_view takeBytes(qsizetype n)
    {
        const std::string_view v(reinterpret_cast<const char*>(data_ + pos_), std::size_t(n));
        pos_ += n;
        return v;
    }

private:
    const uint8_t* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    bool failed_ = false;
    QString error_;
};

bool readAxis(Reader& in, ChartAxis& axis, const char* name)
{
    axis.minimum = in.f64();
    axis.maximum = in.f64();
    if (in.ok() && (!std::isfinite(axis.minimum) || !std::isfinite(axis.maximum))) {
        in.fail(QStringLiteral("%1 axis range is not a number").arg(QLatin1String(name)));
        return false;
    }
    return in.ok();
}

bool readSettings(Reader& in, ChartData& chart)
{
    const uint32_t length = in.u32();
    if (!in.need(qsizetype(length)))
        return false;
    const qsizetype end = in.position() + qsizetype(length);

    if (in.u8() != kSettingsVersion) {
        in.fail(QStringLiteral("unknown settings version"));
        return false;
    }
    const uint8_t flags = in.u8();
    if (flags & ~kKnownSettingsFlags) {
        in.fail(QStringLiteral("unknown chart settings"));
        return false;
    }
    ChartSettings& s = chart.settings;
    s.legendVisible = flags & LegendVisible;
    s.view3D = flags & View3D;
    s.bottom.automatic = flags & BottomAutomatic;
    s.left.automatic = flags & LeftAutomatic;
    if (!readAxis(in, s.bottom, "bottom") || !readAxis(in, s.left, "left"))
        return false;
    s.title = in.text16();

    const uint16_t count = in.u16();
    chart.series.clear();
    // Eight bytes is the least a series takes; the block bounds the count.
    chart.series.reserve(std::min<std::size_t>(count, std::size_t(in.remaining() / 8)));
    for (int k = 0; k < count && in.ok(); ++k) {
        ChartSeries series;
        series.name = in.text16();
        series.colour = in.u32();
        const uint8_t pen = in.u8();
        const uint8_t visible = in.u8();
        if (!in.ok())
            break;
        if (pen > uint8_t(Qt::DashDotDotLine)) {
            in.fail(QStringLiteral("pen style %1 of series %2").arg(pen).arg(k + 1));
            break;
        }
        if (visible > 1) {
            in.fail(QStringLiteral("visibility %1 of series %2").arg(visible).arg(k + 1));
            break;
        }
        series.pen = Qt::PenStyle(pen);
        series.visible = visible;
        chart.series.push_back(std::move(series));
    }
    if (!in.ok())
        return false;
    if (in.position() != end) {
        in.fail(QStringLiteral("settings block of %1 bytes ends at byte %2").arg(length).arg(in.position()));
        return false;
    }
    return true;
}

// Points of one file share labels across series: the same index in the
// previous series nearly always carries the same text, and within the first
// series each point nearly always has the label after its predecessor's
// (or the same one).
class LabelMatcher {
public:
    explicit LabelMatcher(ChartData& chart)
        : chart_(chart)
    {
    }

    void startSeries(std::size_t count, bool labelled)
    {
        previous_.swap(current_);
        current_.clear();
        if (labelled)
            current_.reserve(count);
        last_ = ChartLabels::kEmpty;
    }

    uint32_t index(std::string_view text, std::size_t i)
    {
        const uint32_t found = find(text, i);
        current_.push_back(found);
        last_ = found;
        return found;
    }

private:
    bool holds(uint32_t label, std::string_view text) const
    {
        const QByteArrayView stored = chart_.labels.bytes(label);
        return std::size_t(stored.size()) == text.size() && std::memcmp(stored.data(), text.data(), text.size()) == 0;
    }

    uint32_t find(std::string_view text, std::size_t i)
    {
        if (text.empty())
            return ChartLabels::kEmpty;
        if (i < previous_.size() && holds(previous_[i], text))
            return previous_[i];
        if (last_ != ChartLabels::kEmpty) {
            if (holds(last_ + 1, text))
                return last_ + 1;
            if (holds(last_, text))
                return last_;
        }
        const auto known = known_.find(text);
        if (known != known_.end())
            return known->second;
        const uint32_t added = chart_.labels.add(QByteArrayView(text.data(), qsizetype(text.size())));
        known_.emplace(text, added);
        return added;
    }

    ChartData& chart_;
    std::vector<uint32_t> previous_; // labels of the series before, by point
    std::vector<uint32_t> current_;
    uint32_t last_ = ChartLabels::kEmpty;
    std::unordered_map<std::string_view, uint32_t> known_; // views into the file's bytes
};

constexpr uint32_t kProgressPoints = 1 << 16; // points between progress reports

bool cancelled(Reader& in, ChartReadControl* control)
{
    if (!control)
        return false;
    control->bytesRead.store(in.position(), std::memory_order_relaxed);
    if (!control->cancel.load(std::memory_order_relaxed))
        return false;
    in.stop(QStringLiteral("Loading was cancelled."));
    return true;
}

bool readPoints(Reader& in, ChartSeries& series, LabelMatcher& labels, int number, ChartReadControl* control)
{
    const uint8_t flags = in.u8();
    const uint32_t count = in.u32();
    if (!in.ok())
        return false;
    if (flags & ~kKnownPointFlags) {
        in.fail(QStringLiteral("point flags %1 of series %2").arg(flags).arg(number));
        return false;
    }
    const qsizetype pointBytes = 8 + (flags & PointX ? 8 : 0) + (flags & PointColour ? 4 : 0) +
                                 (flags & PointLabel ? 1 : 0);
    // Refused before anything is allocated for it.
    if (count > uint32_t(std::numeric_limits<int>::max())) {
        in.fail(QStringLiteral("%1 points in series %2").arg(count).arg(number));
        return false;
    }
    if (!in.need(qsizetype(count) * pointBytes))
        return false;

    const bool ownX = flags & PointX;
    const bool colours = flags & PointColour;
    const bool labelled = flags & PointLabel;
    labels.startSeries(count, labelled);
    for (uint32_t i = 0; i < count; ++i) {
        if (i % kProgressPoints == 0 && cancelled(in, control))
            return false;
        if (!in.need(pointBytes))
            return false;
        const double x = ownX ? in.takeF64() : double(i);
        const double y = in.takeF64();
        const uint32_t colour = colours ? in.take<uint32_t>() : series.colour;
        uint32_t label = ChartLabels::kEmpty;
        if (labelled) {
            const uint8_t n = in.takeU8();
            if (!in.need(n))
                return false;
            label = labels.index(in.takeBytes(n), i);
        }
        if (ownX)
            series.append(x, y, label, colour);
        else
            series.append(y, label, colour);
    }
    return !cancelled(in, control);
}

} // namespace

bool readChart(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString& error,
               ChartReadControl* control)
{
    if (bytes.size() < 2 || uint8_t(bytes[0]) != kMagic[0] || uint8_t(bytes[1]) != kMagic[1]) {
        error = QStringLiteral("Wrong chart file format: the file does not start with 60 30.");
        return false;
    }
    Reader in(bytes);
    in.bytes(4);
    if (readSettings(in, chart)) {
        if (expectedSeriesCount != ChartFile::kAnySeriesCount && chart.seriesCount() != expectedSeriesCount) {
            error = QStringLiteral("The file holds a chart of %1 series; this chart has %2. Nothing was loaded.")
                        .arg(chart.seriesCount())
                        .arg(expectedSeriesCount);
            return false;
        }
        LabelMatcher labels(chart);
        for (int k = 0; k < chart.seriesCount() && in.ok(); ++k)
            readPoints(in, chart.series[std::size_t(k)], labels, k + 1, control);
        if (in.ok() && in.remaining() != 0)
            in.fail(QStringLiteral("%1 bytes after the last series").arg(in.remaining()));
    }
    error = in.error();
    return in.ok();
}

} // namespace obr9::chartfile
