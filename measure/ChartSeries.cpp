#include "measure/ChartSeries.h"

#include <algorithm>
#include <bit>
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

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Least and greatest finite value of the n values from p, and whether some
// value is not finite. The plain loop first (it vectorises); values that are
// not finite are rare and then counted one by one.
template <typename V>
void scan(const V* p, std::size_t n, double& lo, double& hi, bool& gap)
{
    V l = std::numeric_limits<V>::infinity();
    V h = -std::numeric_limits<V>::infinity();
    bool bad = false;
    for (std::size_t k = 0; k < n; ++k) {
        const V v = p[k];
        bad |= !(v - v == V(0)); // NaN and the infinities
        l = v < l ? v : l;
        h = v > h ? v : h;
    }
    if (!bad) {
        if (n > 0) {
            lo = std::min(lo, double(l));
            hi = std::max(hi, double(h));
        }
        return;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const double v = double(p[k]);
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        } else {
            gap = true;
        }
    }
}

// Points [begin, end) of a column, chunk by chunk.
template <typename V>
void scanColumn(const CompressedColumn<V>& column, std::size_t begin, std::size_t end, double& lo, double& hi,
                bool& gap)
{
    constexpr std::size_t chunk = CompressedColumn<V>::kBlock;
    while (begin < end) {
        const std::size_t stop = std::min(end, (begin / chunk + 1) * chunk);
        scan(column.at(begin), stop - begin, lo, hi, gap);
        begin = stop;
    }
}

template <typename V, typename S>
void pushSummary(std::vector<S>& level, S value)
{
    // Grows by an eighth, like the labels: little stands unused.
    if (level.size() == level.capacity())
        level.reserve(level.size() + level.size() / 8 + 64);
    level.push_back(value);
}

// Called with size counting the new point: closes every block it ends.
template <typename V, typename Levels>
void closeBlocks(const CompressedColumn<V>& column, Levels& levels, std::size_t size, int blockShift, int levelShift)
{
    const std::size_t block = std::size_t(1) << blockShift;
    if (size % block != 0)
        return;
    using S = typename Levels::value_type::value_type;
    double lo = kInf;
    double hi = -kInf;
    bool gap = false;
    scan(column.at(size - block), block, lo, hi, gap); // a block never crosses a chunk
    const V* values = column.at(size - block);
    S sum = gap ? S{V(kNaN), V(kNaN), values[0], values[block - 1]} : S{V(lo), V(hi), values[0], values[block - 1]};
    if (levels.empty())
        levels.emplace_back();
    pushSummary<V>(levels[0], sum);
    const std::size_t fan = std::size_t(1) << levelShift;
    for (std::size_t level = 0; levels[level].size() % fan == 0; ++level) {
        const auto& below = levels[level];
        S up = below[below.size() - fan];
        up.last = below.back().last;
        for (std::size_t j = below.size() - fan + 1; j < below.size(); ++j) {
            if (std::isnan(below[j].lo) || std::isnan(up.lo)) {
                up.lo = up.hi = V(kNaN);
                continue;
            }
            up.lo = std::min(up.lo, below[j].lo);
            up.hi = std::max(up.hi, below[j].hi);
        }
        if (levels.size() == level + 1)
            levels.emplace_back();
        pushSummary<V>(levels[level + 1], up);
    }
}

template <typename V, typename Levels>
void spanOf(const CompressedColumn<V>& column, const Levels& levels, int blockShift, int levelShift, int begin,
            int end, double& lo, double& hi, bool& gap)
{
    const int block = 1 << blockShift;
    int i = begin;
    // Single points up to the first whole block (or the end).
    const int head = std::min(end, (i + block - 1) & ~(block - 1));
    if (head > i) {
        scanColumn(column, std::size_t(i), std::size_t(head), lo, hi, gap);
        i = head;
    }
    while (i + block <= end) {
        // The largest summarised block that starts at i and ends by end:
        // the search starts at the highest level that i's alignment and
        // the length left allow, so a read costs one step, not one a level.
        bool used = false;
        const int byAlignment = (std::countr_zero(unsigned(i) | (1u << 30)) - blockShift) / levelShift;
        const int byLength = (std::bit_width(unsigned(end - i)) - 1 - blockShift) / levelShift;
        const int top = std::min({int(levels.size()) - 1, byAlignment, byLength});
        for (int level = top; level >= 0; --level) {
            const int shift = blockShift + level * levelShift;
            const int length = 1 << shift;
            if ((i & (length - 1)) != 0 || i + length > end)
                continue;
            const auto& summaries = levels[std::size_t(level)];
            if (std::size_t(i >> shift) >= summaries.size())
                continue;
            const auto& sum = summaries[std::size_t(i >> shift)];
            if (std::isnan(sum.lo)) {
                if (level > 0)
                    continue; // the blocks below say which part
                scanColumn(column, std::size_t(i), std::size_t(i + length), lo, hi, gap);
            } else {
                lo = std::min(lo, double(sum.lo));
                hi = std::max(hi, double(sum.hi));
            }
            i += length;
            used = true;
            break;
        }
        if (!used) { // the newest points, not yet summarised
            scanColumn(column, std::size_t(i), std::size_t(i + block), lo, hi, gap);
            i += block;
        }
    }
    if (i < end)
        scanColumn(column, std::size_t(i), std::size_t(end), lo, hi, gap);
}

template <typename Levels>
std::size_t levelBytes(const Levels& levels)
{
    std::size_t bytes = levels.capacity() * sizeof(levels[0]);
    for (const auto& level : levels)
        bytes += level.capacity() * sizeof(level[0]);
    return bytes;
}
} // namespace

void ChartSeries::appendY(double y)
{
    if (!doubles_ && !fitsFloat(y)) {
        doubles_ = true;
        for (std::size_t i = 0; i < yf_.size(); ++i)
            yd_.push_back(double(yf_[i]));
        yf_.clear();
        // The summaries so far hold floats, which doubles hold exactly.
        levelsD_.clear();
        for (const auto& level : levelsF_) {
            levelsD_.emplace_back();
            levelsD_.back().reserve(level.size());
            for (const auto& sum : level)
                levelsD_.back().push_back({double(sum.lo), double(sum.hi), double(sum.first), double(sum.last)});
        }
        levelsF_.clear();
    }
    if (doubles_)
        yd_.push_back(y);
    else
        yf_.push_back(float(y));
}

void ChartSeries::summarize()
{
    if (doubles_)
        closeBlocks(yd_, levelsD_, size_, kBlockShift, kLevelShift);
    else
        closeBlocks(yf_, levelsF_, size_, kBlockShift, kLevelShift);
}

std::size_t ChartSeries::summaryBytes() const { return levelBytes(levelsF_) + levelBytes(levelsD_); }

void ChartSeries::span(int begin, int end, double& lo, double& hi, bool& gap) const
{
    if (doubles_)
        spanOf(yd_, levelsD_, kBlockShift, kLevelShift, begin, end, lo, hi, gap);
    else
        spanOf(yf_, levelsF_, kBlockShift, kLevelShift, begin, end, lo, hi, gap);
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

bool ChartSeries::edgeValues(int level, int begin, int end, double& first, double& last) const
{
    if (level < 0)
        return false;
    const int shift = kBlockShift + level * kLevelShift;
    const int mask = (1 << shift) - 1;
    if ((begin & mask) != 0 || (end & mask) != 0)
        return false;
    auto take = [&](const auto& levels) {
        if (std::size_t(level) >= levels.size())
            return false;
        const auto& summaries = levels[std::size_t(level)];
        if (std::size_t(end >> shift) > summaries.size()) // not summarised yet
            return false;
        first = double(summaries[std::size_t(begin >> shift)].first);
        last = double(summaries[std::size_t((end >> shift) - 1)].last);
        return true;
    };
    return doubles_ ? take(levelsD_) : take(levelsF_);
}

double ChartSeries::edgeValue(int index, bool last) const
{
    const int block = 1 << kBlockShift;
    if (index % block == 0) {
        const auto at = std::size_t(index / block - (last ? 1 : 0));
        if (doubles_ && !levelsD_.empty() && at < levelsD_[0].size())
            return last ? levelsD_[0][at].last : levelsD_[0][at].first;
        if (!doubles_ && !levelsF_.empty() && at < levelsF_[0].size())
            return double(last ? levelsF_[0][at].last : levelsF_[0][at].first);
    }
    return y(last ? index - 1 : index);
}

bool ChartSeries::valueRange(int first, int last, double& lo, double& hi) const
{
    first = std::max(first, 0);
    last = std::min(last, size() - 1);
    lo = std::numeric_limits<double>::infinity();
    hi = -std::numeric_limits<double>::infinity();
    bool gap = false;
    if (first <= last) {
        // The points after the last whole summary block first: a drawing
        // of the same span reads on from the head, so the head's block is
        // the one left decoded.
        const int tail = std::max(first, (last + 1) & ~((1 << kBlockShift) - 1));
        span(tail, last + 1, lo, hi, gap);
        span(first, tail, lo, hi, gap);
    }
    return lo <= hi;
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
    // Inner run ends go to the nearest boundary of the largest summary
    // blocks no longer than half a run: each moves by at most a quarter of
    // a run, no run comes out empty, and a run is read from the summaries
    // of one level in memory order instead of from points at both ends.
    int64_t grid = 1;
    int gridLevel = -1; // the summary level of the grid's blocks
    for (int shift = kBlockShift; (int64_t(1) << shift) * 2 <= points / runs; shift += kLevelShift) {
        grid = int64_t(1) << shift;
        ++gridLevel;
    }
    auto boundary = [&](int64_t r) -> int {
        if (r <= 0 || r >= runs)
            return first + int(r <= 0 ? 0 : points);
        const int64_t at = first + r * points / runs;
        return int((at + grid / 2) / grid * grid);
    };
    int begin = boundary(0);
    for (int64_t r = 0; r < runs; ++r) {
        const int end = boundary(r + 1);
        if (begin >= end)
            continue;
        Envelope& e = out[std::size_t(r)];
        e.firstIndex = begin;
        e.count = end - begin;
        e.minimum = std::numeric_limits<double>::infinity();
        e.maximum = -std::numeric_limits<double>::infinity();
        // The summaries being read have the ends on the grid; otherwise the
        // points are read in index order, so that no block is decoded twice.
        if (edgeValues(gridLevel, begin, end, e.first, e.last)) {
            span(begin, end, e.minimum, e.maximum, e.gap);
        } else {
            e.first = edgeValue(begin, false);
            span(begin, end, e.minimum, e.maximum, e.gap);
            e.last = edgeValue(end, true);
        }
        begin = end;
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
    levelsF_.clear();
    levelsD_.clear();
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
