// The point labels of one chart, stored once and referred to by index.
//
// Every parser call labels all the points it adds with the same time text,
// so a chart keeps each text once (UTF-8, packed end to end) and its points
// keep a 32-bit index. Index 0 is the empty label and always exists.
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
    QByteArrayView bytes(uint32_t index) const;
    QString text(uint32_t index) const { return QString::fromUtf8(bytes(index)); }

    std::size_t count() const { return ends_.size(); }
    void clear();
    std::size_t memoryBytes() const { return text_.capacity() + ends_.capacity() * sizeof(uint32_t); }

private:
    std::string text_;          // every label's bytes, end to end
    std::vector<uint32_t> ends_; // end offset of label i in text_
};

} // namespace obr9
