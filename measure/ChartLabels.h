// The point labels of one chart, stored once and referred to by index.
//
// Every parser call labels all the points it adds with the same time text,
// so a chart keeps each text once (UTF-8, packed end to end) and its points
// keep a 32-bit index. Index 0 is the empty label and always exists. Where
// labels follow one another at one length they are kept as one run of that
// length, so a label costs its bytes only. Times of day ("HH:MM:SS") that
// go on a second at a time, as the charting step writes them, cost nothing
// each: such a run keeps its first second only and makes its texts when
// read.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace obr9 {

class ChartLabels {
public:
    static constexpr uint32_t kEmpty = 0;

    ChartLabels() { clear(); }

    // Appends a label and returns its index; the empty text gives kEmpty.
    // The same text as the last label added gives that label's index again.
    uint32_t add(QByteArrayView utf8);
    uint32_t addText(const QString& text) { return add(QByteArrayView(text.toUtf8())); }

    // Index as add() returned it; an unknown index reads as the empty label.
    // The view stays valid until the second call after this one (a time of
    // day is made into a buffer of this object), or until the next add().
    QByteArrayView bytes(uint32_t index) const;
    QString text(uint32_t index) const { return QString::fromUtf8(bytes(index)); }

    std::size_t count() const { return count_; }
    void clear();
    std::size_t memoryBytes() const { return text_.capacity() + runs_.capacity() * sizeof(Run); }

private:
    // Labels first.. up to the next run's first, each length bytes long,
    // the first of them at offset in text_; or, with length 0, times of day
    // a second apart from second offset (of the day) on.
    struct Run {
        uint32_t first;
        uint32_t offset;
        uint32_t length;
    };
    bool extendsClock(QByteArrayView utf8) const;
    void pushRun(Run run);

    std::string text_;      // every label's bytes, end to end
    std::vector<Run> runs_; // the labels from 1 on
    std::size_t count_ = 1; // the empty label counted
    mutable char clock_[2][8] = {};
    mutable uint32_t clockIndex_[2] = {kEmpty, kEmpty}; // the labels in clock_
    mutable int flip_ = 0;
};

} // namespace obr9
