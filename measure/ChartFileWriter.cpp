#include "measure/ChartFileWriter.h"
#include "measure/ChartFileFormat.h"

#include <QSaveFile>

#include <algorithm>
#include <chrono>
#include <limits>

namespace obr9 {

using namespace chartfile;

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
    writeHead(out, chart);
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
