#include "measure/ChartSeries.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace obr9 {

namespace {
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The value as a float when the float gives back the very same bits
// (NaN payloads and -0.0 included).
bool fitsFloat(double y)
{
    if (std::isfinite(y) && std::abs(y) > double(FLT_MAX))
        return false; // the conversion itself would be undefined
    return sameBits(double(float(y)), y);
}
} // namespace

void ChartSeries::appendY(double y)
{
    if (!doubles_ && !fitsFloat(y)) {
        doubles_ = true;
        for (std::size_t i = 0; i < yf_.size(); ++i)
            yd_.push_back(double(yf_[i]));
        yf_.clear();
    }
    if (doubles_)
        yd_.push_back(y);
    else
        yf_.push_back(float(y));
}

void ChartSeries::summarize()
{
    // Called with size_ counting the new point: close every block it ends.
    constexpr std::size_t block = std::size_t(1) << kBlockShift;
    if (size_ % block != 0)
        return;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    Summary sum{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (std::size_t i = size_ - block; i < size_; ++i) {
        const double v = y(int(i));
        if (!std::isfinite(v)) {
            sum = {nan, nan};
            break;
        }
        sum.lo = std::min(sum.lo, v);
        sum.hi = std::max(sum.hi, v);
    }
    if (levels_.empty())
        levels_.emplace_back();
    auto push = [](std::vector<Summary>& level, Summary value) {
        // Grows by an eighth, like the labels: little stands unused.
        if (level.size() == level.capacity())
            level.reserve(level.size() + level.size() / 8 + 64);
        level.push_back(value);
    };
    push(levels_[0], sum);
    constexpr std::size_t fan = std::size_t(1) << kLevelShift;
    for (std::size_t level = 0; levels_[level].size() % fan == 0; ++level) {
        const std::vector<Summary>& below = levels_[level];
        Summary up = below[below.size() - fan];
        for (std::size_t j = below.size() - fan + 1; j < below.size(); ++j) {
            if (std::isnan(below[j].lo) || std::isnan(up.lo)) {
                up = {nan, nan};
                continue;
            }
            up.lo = std::min(up.lo, below[j].lo);
            up.hi = std::max(up.hi, below[j].hi);
        }
        if (levels_.size() == level + 1)
            levels_.emplace_back();
        push(levels_[level + 1], up);
    }
}

std::size_t ChartSeries::summaryBytes() const
{
    std::size_t bytes = levels_.capacity() * sizeof(levels_[0]);
    for (const auto& level : levels_)
        bytes += level.capacity() * sizeof(Summary);
    return bytes;
}

void ChartSeries::span(int begin, int end, double& lo, double& hi, bool& gap) const
{
    auto point = [&](int i) {
        const double v = y(i);
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        } else {
            gap = true;
        }
    };
    int i = begin;
    while (i < end) {
        // The largest summarised block that starts at i and ends by end.
        int used = -1;
        for (int level = int(levels_.size()) - 1; level >= 0; --level) {
            const int shift = kBlockShift + level * kLevelShift;
            const int length = 1 << shift;
            if ((i & (length - 1)) == 0 && i + length <= end &&
                std::size_t(i >> shift) < levels_[std::size_t(level)].size() &&
                !std::isnan(levels_[std::size_t(level)][std::size_t(i >> shift)].lo)) {
                const Summary& s = levels_[std::size_t(level)][std::size_t(i >> shift)];
                lo = std::min(lo, s.lo);
                hi = std::max(hi, s.hi);
                i += length;
                used = level;
                break;
            }
        }
        if (used < 0)
            point(i++);
    }
}

void ChartSeries::appendLabel(uint32_t index, uint32_t label)
{
    if (!labelRuns_.empty()) {
        LabelRun& run = labelRuns_.back();
        const uint32_t offset = index - run.first;
        if (offset == 1 && (label == run.base || label == run.base + 1)) {
            run.step = label - run.base; // the run's second point sets its step
            return;
        }
        if (offset > 1 && label == run.base + run.step * offset)
            return;
    }
    labelRuns_.push_back({index, label, 0});
}

uint32_t ChartSeries::label(int i) const
{
    auto it = std::upper_bound(labelRuns_.begin(), labelRuns_.end(), uint32_t(i),
                               [](uint32_t index, const LabelRun& run) { return index < run.first; });
    if (it == labelRuns_.begin())
        return 0;
    const LabelRun& run = *std::prev(it);
    return run.base + run.step * (uint32_t(i) - run.first);
}

int ChartSeries::append(double y, uint32_t label, uint32_t pointColour)
{
    const auto index = uint32_t(size_);
    if (ownX_)
        x_.push_back(double(index));
    appendY(y);
    appendLabel(index, label);
    ++size_;
    summarize();
    if (runs_.empty() || runs_.back().colour != pointColour)
        runs_.push_back({index, pointColour});
    return int(index);
}

int ChartSeries::append(double x, double y, uint32_t label, uint32_t pointColour)
{
    const std::size_t index = size_;
    // Bitwise test: -0.0 and NaN are X values of their own, not the index.
    const double asIndex = double(index);
    if (!ownX_ && std::memcmp(&x, &asIndex, sizeof x) != 0) {
        ownX_ = true;
        for (std::size_t i = 0; i < index; ++i)
            x_.push_back(double(i));
    }
    const int result = append(y, label, pointColour);
    if (ownX_)
        x_[index] = x;
    return result;
}

uint32_t ChartSeries::pointColour(int i) const
{
    // The last run that starts at or before i.
    auto it = std::upper_bound(runs_.begin(), runs_.end(), uint32_t(i),
                               [](uint32_t index, const ColourRun& run) { return index < run.first; });
    return it == runs_.begin() ? colour : std::prev(it)->colour;
}

void ChartSeries::envelope(int first, int last, std::span<Envelope> out) const
{
    for (Envelope& e : out)
        e = Envelope{};
    first = std::max(first, 0);
    last = std::min(last, size() - 1);
    if (out.empty() || first > last)
        return;
    const int64_t points = int64_t(last) - first + 1;
    const auto runs = int64_t(out.size());
    for (int64_t r = 0; r < runs; ++r) {
        // Run r covers [first + r * points / runs, first + (r + 1) * points / runs).
        const int begin = first + int(r * points / runs);
        const int end = first + int((r + 1) * points / runs);
        if (begin >= end)
            continue;
        Envelope& e = out[std::size_t(r)];
        e.firstIndex = begin;
        e.count = end - begin;
        e.first = y(begin);
        e.last = y(end - 1);
        e.minimum = std::numeric_limits<double>::infinity();
        e.maximum = -std::numeric_limits<double>::infinity();
        span(begin, end, e.minimum, e.maximum, e.gap);
    }
}

bool ChartSeries::hasOwnX() const
{
    for (std::size_t i = 0; i < x_.size(); ++i) {
        const double asIndex = double(i);
        const double value = x_[i];
        if (std::memcmp(&value, &asIndex, sizeof value) != 0)
            return true;
    }
    return false;
}

bool ChartSeries::hasPointColours() const
{
    return std::any_of(runs_.begin(), runs_.end(), [this](const ColourRun& run) { return run.colour != colour; });
}

bool ChartSeries::hasLabels() const
{
    return std::any_of(labelRuns_.begin(), labelRuns_.end(),
                       [](const LabelRun& run) { return run.base != 0 || run.step != 0; });
}

bool ChartSeries::hasPointColours(int first, int end) const
{
    if (first >= end)
        return false;
    auto it = std::upper_bound(runs_.begin(), runs_.end(), uint32_t(first),
                               [](uint32_t index, const ColourRun& run) { return index < run.first; });
    if (it != runs_.begin())
        --it;
    for (; it != runs_.end() && it->first < uint32_t(end); ++it) {
        if (it->colour != colour)
            return true;
    }
    return false;
}

bool ChartSeries::hasLabels(int first, int end) const
{
    if (first >= end)
        return false;
    auto it = std::upper_bound(labelRuns_.begin(), labelRuns_.end(), uint32_t(first),
                               [](uint32_t index, const LabelRun& run) { return index < run.first; });
    if (it != labelRuns_.begin())
        --it;
    for (; it != labelRuns_.end() && it->first < uint32_t(end); ++it) {
        // Labels of the run's points inside [first, end): base + step * offset.
        const uint32_t from = std::max(it->first, uint32_t(first));
        const uint32_t next = std::next(it) == labelRuns_.end() ? uint32_t(end) : std::next(it)->first;
        const uint32_t to = std::min(next, uint32_t(end)); // exclusive
        if (from >= to)
            continue;
        if (it->base != 0 || (it->step != 0 && to - from > 1) || (it->step != 0 && from > it->first))
            return true;
    }
    return false;
}

void ChartSeries::clearPoints()
{
    size_ = 0;
    doubles_ = false;
    yf_.clear();
    yd_.clear();
    labelRuns_.clear();
    labelRuns_.shrink_to_fit();
    levels_.clear();
    x_.clear();
    ownX_ = false;
    runs_.clear();
    runs_.shrink_to_fit();
}

std::size_t ChartSeries::memoryBytes() const
{
    return sizeof(*this) + yf_.memoryBytes() + yd_.memoryBytes() + x_.memoryBytes() +
           labelRuns_.capacity() * sizeof(LabelRun) + summaryBytes() +
           runs_.capacity() * sizeof(ColourRun) + std::size_t(name.capacity()) * sizeof(QChar);
}

} // namespace obr9
