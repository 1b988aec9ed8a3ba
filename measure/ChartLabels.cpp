#include "measure/ChartLabels.h"

#include <algorithm>
#include <cstring>

namespace obr9 {

namespace {
constexpr uint32_t kSecondsADay = 86400;

// The second of the day of a "HH:MM:SS" text, or -1 for any other text.
int clockSecond(QByteArrayView t)
{
    if (t.size() != 8 || t[2] != ':' || t[5] != ':')
        return -1;
    int field[3];
    for (int k = 0; k < 3; ++k) {
        const char a = t[3 * k];
        const char b = t[3 * k + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9')
            return -1;
        field[k] = (a - '0') * 10 + (b - '0');
    }
    if (field[0] > 23 || field[1] > 59 || field[2] > 59)
        return -1;
    return field[0] * 3600 + field[1] * 60 + field[2];
}

void formatClock(uint32_t second, char* out)
{
    const uint32_t h = second / 3600;
    const uint32_t m = second / 60 % 60;
    const uint32_t s = second % 60;
    const char text[8] = {char('0' + h / 10), char('0' + h % 10), ':', char('0' + m / 10),
                          char('0' + m % 10), ':',       char('0' + s / 10), char('0' + s % 10)};
    std::memcpy(out, text, sizeof text);
}
} // namespace

void ChartLabels::clear()
{
    clockIndex_[0] = clockIndex_[1] = kEmpty;
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
    if (extendsClock(utf8))
        return uint32_t(count_++);
    if (const int second = clockSecond(utf8); second >= 0) {
        pushRun({uint32_t(count_), uint32_t(second), 0});
        return uint32_t(count_++);
    }
    // Labels grow with the history for weeks: grow by an eighth, not by
    // doubling, so at most an eighth of what is held stands unused.
    const std::size_t need = text_.size() + std::size_t(utf8.size());
    if (need > text_.capacity())
        text_.reserve(need + need / 8 + 4096);
    const auto length = uint32_t(utf8.size());
    if (runs_.empty() || runs_.back().length != length)
        pushRun({uint32_t(count_), uint32_t(text_.size()), length});
    text_.append(utf8.data(), std::size_t(utf8.size()));
    return uint32_t(count_++);
}

bool ChartLabels::extendsClock(QByteArrayView utf8) const
{
    if (runs_.empty() || runs_.back().length != 0)
        return false;
    const Run& run = runs_.back();
    const int second = clockSecond(utf8);
    return second >= 0 && uint32_t(second) == (run.offset + (uint32_t(count_) - run.first)) % kSecondsADay;
}

void ChartLabels::pushRun(Run run)
{
    if (runs_.size() == runs_.capacity())
        runs_.reserve(runs_.size() + runs_.size() / 8 + 64);
    runs_.push_back(run);
}

QByteArrayView ChartLabels::bytes(uint32_t index) const
{
    if (index == kEmpty || index >= count_)
        return {};
    // The last run that begins at or before index.
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](uint32_t i, const Run& run) { return i < run.first; });
    const Run& run = *std::prev(it);
    if (run.length == 0) {
        // Readers ask for the same label once a series: made once.
        for (int k = 0; k < 2; ++k) {
            if (clockIndex_[k] == index) {
                flip_ = k; // the next label goes into the other buffer
                return QByteArrayView(clock_[k], 8);
            }
        }
        flip_ ^= 1;
        clockIndex_[flip_] = index;
        formatClock((run.offset + (index - run.first)) % kSecondsADay, clock_[flip_]);
        return QByteArrayView(clock_[flip_], 8);
    }
    const std::size_t begin = std::size_t(run.offset) + std::size_t(index - run.first) * run.length;
    return QByteArrayView(text_.data() + begin, qsizetype(run.length));
}

} // namespace obr9
