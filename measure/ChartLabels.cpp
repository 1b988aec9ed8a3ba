#include "measure/ChartLabels.h"

namespace obr9 {

void ChartLabels::clear()
{
    text_.clear();
    ends_.assign(1, 0);
}

uint32_t ChartLabels::add(QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return kEmpty;
    const uint32_t last = uint32_t(ends_.size() - 1);
    if (last != kEmpty && bytes(last) == utf8)
        return last;
    // Labels grow with the history for weeks: grow by an eighth, not by
    // doubling, so at most an eighth of what is held stands unused.
    const std::size_t need = text_.size() + std::size_t(utf8.size());
    if (need > text_.capacity())
        text_.reserve(need + need / 8 + 4096);
    if (ends_.size() == ends_.capacity())
        ends_.reserve(ends_.size() + ends_.size() / 8 + 1024);
    text_.append(utf8.data(), std::size_t(utf8.size()));
    ends_.push_back(uint32_t(text_.size()));
    return uint32_t(ends_.size() - 1);
}

QByteArrayView ChartLabels::bytes(uint32_t index) const
{
    if (index == kEmpty || index >= ends_.size())
        return {};
    const uint32_t begin = ends_[index - 1];
    return QByteArrayView(text_.data() + begin, qsizetype(ends_[index] - begin));
}

} // namespace obr9
