#include "measure/ChartFile.h"
#include "measure/ChartFileWriter.h"

#include <QFile>
#include <QSaveFile>

#include <thread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace obr9 {

namespace {

constexpr uint8_t kMagic[4] = {0x60, 0x30, 0x20, 0x01};
constexpr uint8_t kSettingsVersion = 1;

enum SettingsFlag : uint8_t {
    LegendVisible = 1,
    View3D = 2,
    BottomAutomatic = 4,
    LeftAutomatic = 8,
};
constexpr uint8_t kKnownSettingsFlags = 0x0F;

enum PointFlag : uint8_t {
    PointX = 1,
    PointColour = 2,
    PointLabel = 4,
};
constexpr uint8_t kKnownPointFlags = 0x07;

constexpr int kMaxLabelBytes = 255;
constexpr qsizetype kWriteBlock = 1 << 20;

// Little-endian writer into a block that is handed to the device whenever
// it passes kWriteBlock.
class Writer {
public:
    explicit Writer(QIODevice* device)
        : device_(device)
    {
        buffer_.reserve(kWriteBlock + 4096);
    }

    void u8(uint8_t v) { buffer_.append(char(v)); }
    void u16(uint16_t v)
    {
        const char b[2] = {char(v), char(v >> 8)};
        buffer_.append(b, 2);
    }
    void u32(uint32_t v)
    {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        buffer_.append(b, 4);
    }
    void f64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(uint32_t(bits));
        u32(uint32_t(bits >> 32));
    }
    void bytes(const char* data, qsizetype n) { buffer_.append(data, n); }
    void text16(const QString& text)
    {
        QByteArray utf8 = text.toUtf8();
        if (utf8.size() > 0xFFFF)
            utf8 = cutUtf8(utf8, 0xFFFF);
        u16(uint16_t(utf8.size()));
        buffer_.append(utf8);
    }

    static QByteArray cutUtf8(QByteArrayView utf8, qsizetype limit)
    {
        qsizetype n = limit;
        // Step back over continuation bytes so no character is split.
        while (n > 0 && (uint8_t(utf8[n]) & 0xC0) == 0x80)
            --n;
        return utf8.first(n).toByteArray();
    }

    QByteArray& buffer() { return buffer_; }

    // Hands full blocks to the device; true while the device takes them.
    bool flushIfFull() { return buffer_.size() < kWriteBlock || flush(); }
    bool flush()
    {
        if (!device_)
            return true;
        const bool ok = device_->write(buffer_) == buffer_.size();
        buffer_.resize(0);
        return ok;
    }

private:
    QIODevice* device_;
    QByteArray buffer_;
};

void writeSettings(Writer& out, const ChartData& chart)
{
    const ChartSettings& s = chart.settings;
    out.u8(kSettingsVersion);
    uint8_t flags = 0;
    flags |= s.legendVisible ? LegendVisible : 0;
    flags |= s.view3D ? View3D : 0;
    flags |= s.bottom.automatic ? BottomAutomatic : 0;
    flags |= s.left.automatic ? LeftAutomatic : 0;
    out.u8(flags);
    out.f64(s.bottom.minimum);
    out.f64(s.bottom.maximum);
    out.f64(s.left.minimum);
    out.f64(s.left.maximum);
    out.text16(s.title);
    out.u16(uint16_t(chart.series.size()));
    for (const ChartSeries& series : chart.series) {
        out.text16(series.name);
        out.u32(series.colour);
        out.u8(uint8_t(series.pen));
        out.u8(series.visible ? 1 : 0);
    }
}

void writeLabel(Writer& out, const ChartData& chart, uint32_t index)
{
    const QByteArrayView label = chart.labels.bytes(index);
    if (label.size() <= kMaxLabelBytes) {
        out.u8(uint8_t(label.size()));
        out.bytes(label.data(), label.size());
    } else {
        const QByteArray cut = Writer::cutUtf8(label, kMaxLabelBytes);
        out.u8(uint8_t(cut.size()));
        out.bytes(cut.constData(), cut.size());
    }
}

void writePoint(Writer& out, const ChartData& chart, const ChartSeries& series, uint8_t flags, int i)
{
    if (flags & PointX)
        out.f64(series.x(i));
    out.f64(series.y(i));
    if (flags & PointColour)
        out.u32(series.pointColour(i));
    if (flags & PointLabel)
        writeLabel(out, chart, series.label(i));
}

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
    out.bytes(reinterpret_cast<const char*>(kMagic), 4);
    const qsizetype lengthAt = out.buffer().size();
    out.u32(0);
    writeSettings(out, chart);
    const auto length = uint32_t(out.buffer().size() - lengthAt - 4);
    for (int i = 0; i < 4; ++i)
        out.buffer()[lengthAt + i] = char(length >> (8 * i));

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

// Bounds-checked little-endian reader. The first failure sticks: later reads
// return zeros and the message names the first fault.
class Reader {
public:
    explicit Reader(QByteArrayView bytes)
        : data_(reinterpret_cast<const uint8_t*>(bytes.data()))
        , size_(bytes.size())
    {
    }

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return size_ - pos_; }

    bool need(qsizetype n)
    {
        if (!ok())
            return false;
        if (n > remaining()) {
            error_ = QStringLiteral("The chart file is truncated (it ends at byte %1).").arg(size_);
            return false;
        }
        return true;
    }
    void fail(const QString& what)
    {
        if (ok())
            error_ = QStringLiteral("Invalid chart in the file: %1 (byte %2).").arg(what).arg(pos_);
    }

    uint8_t u8() { return need(1) ? data_[pos_++] : 0; }
    uint16_t u16()
    {
        if (!need(2))
            return 0;
        const uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t u32()
    {
        if (!need(4))
            return 0;
        const uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 |
                           uint32_t(data_[pos_ + 2]) << 16 | uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    double f64()
    {
        if (!need(8))
            return 0;
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | data_[pos_ + i];
        pos_ += 8;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    std::string_view bytes(qsizetype n)
    {
        if (!need(n))
            return {};
        const std::string_view v(reinterpret_cast<const char*>(data_ + pos_), std::size_t(n));
        pos_ += n;
        return v;
    }
    QString text16()
    {
        const uint16_t n = u16();
        const std::string_view v = bytes(n);
        return QString::fromUtf8(v.data(), qsizetype(v.size()));
    }

private:
    const uint8_t* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
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
// previous series nearly always carries the same text.
class LabelMatcher {
public:
    explicit LabelMatcher(ChartData& chart)
        : chart_(chart)
    {
    }

    uint32_t index(std::string_view text, const ChartSeries* previous, int i)
    {
        if (text.empty())
            return ChartLabels::kEmpty;
        const QByteArrayView view(text.data(), qsizetype(text.size()));
        if (previous && i < previous->size()) {
            const uint32_t candidate = previous->label(i);
            if (chart_.labels.bytes(candidate) == view)
                return candidate;
        }
        const auto found = known_.find(text);
        if (found != known_.end())
            return found->second;
        const uint32_t added = chart_.labels.add(view);
        known_.emplace(text, added);
        return added;
    }

private:
    ChartData& chart_;
    std::unordered_map<std::string_view, uint32_t> known_; // views into the file's bytes
};

bool readPoints(Reader& in, ChartSeries& series, const ChartSeries* previous, LabelMatcher& labels, int number)
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

    for (uint32_t i = 0; i < count; ++i) {
        const double x = flags & PointX ? in.f64() : double(i);
        const double y = in.f64();
        const uint32_t colour = flags & PointColour ? in.u32() : series.colour;
        uint32_t label = ChartLabels::kEmpty;
        if (flags & PointLabel) {
            const uint8_t n = in.u8();
            const std::string_view text = in.bytes(n);
            label = labels.index(text, previous, int(i));
        }
        if (!in.ok())
            return false;
        if (flags & PointX)
            series.append(x, y, label, colour);
        else
            series.append(y, label, colour);
    }
    return true;
}

bool readChart(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString& error)
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
            readPoints(in, chart.series[std::size_t(k)], k > 0 ? &chart.series[std::size_t(k - 1)] : nullptr,
                       labels, k + 1);
        if (in.ok() && in.remaining() != 0)
            in.fail(QStringLiteral("%1 bytes after the last series").arg(in.remaining()));
    }
    error = in.error();
    return in.ok();
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot create %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!write(file, chart, error)) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ChartFile::read(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString* error)
{
    ChartData loaded;
    QString message;
    if (!readChart(bytes, expectedSeriesCount, loaded, message)) {
        if (error)
            *error = message;
        return false;
    }
    chart = std::move(loaded);
    return true;
}

bool ChartFile::load(const QString& path, int expectedSeriesCount, ChartData& chart, QString* error)
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
            const bool ok = read(QByteArrayView(mapped, qsizetype(size)), expectedSeriesCount, chart, error);
            file.unmap(const_cast<uchar*>(mapped));
            return ok;
        }
    }
    const QByteArray bytes = file.readAll();
    return read(bytes, expectedSeriesCount, chart, error);
}

QString ChartFile::periodicFileName(QDate date, Kind kind)
{
    return date.toString(Qt::ISODate) + (kind == Kind::Temperatures ? QLatin1String("Temp.bin")
                                                                      : QLatin1String("Volt.bin"));
}

// ---- ChartFileWriter ---------------------------------------------------------

ChartFileWriter::ChartFileWriter(const ChartData& chart, std::vector<int> firsts, QString path,
                                 std::vector<int> ends)
    : chart_(chart)
    , path_(std::move(path))
    , file_(std::make_unique<QSaveFile>(path_))
{
    firsts.resize(chart.series.size(), 0);
    ends.resize(chart.series.size(), std::numeric_limits<int>::max());
    for (std::size_t k = 0; k < chart.series.size(); ++k) {
        const int end = std::min(ends[k], chart.series[k].size());
        firsts_.push_back(std::clamp(firsts[k], 0, end));
        ends_.push_back(end);
        total_ += std::size_t(end - firsts_.back());
    }
    if (chart.series.size() > 0xFFFF) {
        fail(QStringLiteral("A chart of %1 series cannot be stored.").arg(chart.series.size()));
        return;
    }
    if (!file_->open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("Cannot create %1: %2").arg(path_, file_->errorString()));
        return;
    }
    Writer out(nullptr);
    out.bytes(reinterpret_cast<const char*>(kMagic), 4);
    out.u32(0);
    writeSettings(out, chart);
    const auto length = uint32_t(out.buffer().size() - 8);
    for (int i = 0; i < 4; ++i)
        out.buffer()[4 + i] = char(length >> (8 * i));
    buffer_ = std::move(out.buffer());
}

ChartFileWriter::~ChartFileWriter()
{
    if (commit_.valid())
        commit_.wait();
    else if (file_)
        file_->cancelWriting(); // the temporary file goes, the old file stays
}

void ChartFileWriter::fail(const QString& what)
{
    state_ = State::Failed;
    error_ = what;
    if (file_ && !commit_.valid())
        file_->cancelWriting();
}

bool ChartFileWriter::flush()
{
    const qsizetype n = buffer_.size();
    if (n == 0)
        return true;
    if (file_->write(buffer_) != n) {
        fail(QStringLiteral("Cannot write %1: %2").arg(path_, file_->errorString()));
        return false;
    }
    written_ += std::size_t(n);
    buffer_.resize(0);
    return true;
}

ChartFileWriter::State ChartFileWriter::step(std::size_t pointBudget)
{
    if (state_ != State::Running)
        return state_;
    if (commit_.valid()) {
        if (commit_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return state_;
        const QString problem = commit_.get();
        if (problem.isEmpty())
            state_ = State::Done;
        else
            fail(problem);
        return state_;
    }
    Writer out(nullptr);
    out.buffer() = std::move(buffer_);
    std::size_t budget = pointBudget;
    while (series_ < chart_.series.size() && budget > 0) {
        const ChartSeries& series = chart_.series[series_];
        const int first = firsts_[series_];
        const int end = ends_[series_];
        if (next_ < 0) {
            flags_ = 0;
            flags_ |= series.hasOwnX() ? PointX : 0;
            flags_ |= series.hasPointColours(first, end) ? PointColour : 0;
            flags_ |= series.hasLabels(first, end) ? PointLabel : 0;
            out.u8(flags_);
            out.u32(uint32_t(end - first));
            next_ = first;
        }
        const int stop = int(std::min<std::size_t>(std::size_t(end), std::size_t(next_) + budget));
        for (int i = next_; i < stop; ++i)
            writePoint(out, chart_, series, flags_, i);
        budget -= std::size_t(stop - next_);
        done_ += std::size_t(stop - next_);
        next_ = stop;
        if (next_ >= end) {
            ++series_;
            next_ = -1;
        }
    }
    buffer_ = std::move(out.buffer());
    if (!flush())
        return state_;
    if (series_ >= chart_.series.size()) {
        // fsync and rename may take long on a busy disk: off the caller's thread.
        QSaveFile* file = file_.get();
        const QString path = path_;
        commit_ = std::async(std::launch::async, [file, path] {
            return file->commit() ? QString() : QStringLiteral("Cannot write %1: %2").arg(path, file->errorString());
        });
    }
    return state_;
}

} // namespace obr9
