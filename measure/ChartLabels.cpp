#include "measure/ChartLabels.h"

#include <algorithm>

namespace obr9 {

void ChartLabels::clear()
{
    text_.clear();
    runs_.clear();
    count_ = 1;
}

uint32_t ChartLabels::add(QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return kEmpty;
    const auto last = uint32_t(count_ - 1);
    if (last != kEmpty && bytes(last) == utf8)
        return last;
    // Labels grow with the history for weeks: grow by an eighth, not by
    // doubling, so at most an eighth of what is held stands unused.
    const std::size_t need = text_.size() + std::size_t(utf8.size());
    if (need > text_.capacity())
        text_.reserve(need + need / 8 + 4096);
    const auto length = uint32_t(utf8.size());
    if (runs_.empty() || runs_.back().length != length) {
        if (runs_.size() == runs_.capacity())
            runs_.reserve(runs_.size() + runs_.size() / 8 + 64);
        runs_.push_back({uint32_t(count_), uint32_t(text_.size()), length});
    }
    text_.append(utf8.data(), std::size_t(utf8.size()));
    return uint32_t(count_++);
}

QByteArrayView ChartLabels::bytes(uint32_t index) const
{
    if (index == kEmpty || index >= count_)
        return {};
    // The last run that begins at or before index.
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](uint32_t i, const Run& run) { return i < run.first; });
    const Run& run = *std::prev(it);
    const std::size_t begin = std::size_t(run.offset) + std::size_t(index - run.first) * run.length;
    return QByteArrayView(text_.data() + begin, qsizetype(run.length));
}

} // namespace obr9
