// An independent reader of what the controller sends, written from the byte
// layouts for the tests: data frames FF h1 h2 type length payload, the
// identification answer FF FE 01 and four bytes, and loose bytes between.
#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

struct ReadFrame {
    uint8_t header1 = 0;
    uint8_t header2 = 0;
    int type = 0; // -1: identification answer
    QByteArray payload;
};

class StreamReader {
public:
    void add(const QByteArray& data)
    {
        pending_ += data;
        qsizetype pos = 0;
        while (pos < pending_.size()) {
            if (uint8_t(pending_[pos]) != 0xFF) {
                looseBytes += pending_[pos];
                ++pos;
                continue;
            }
            const qsizetype left = pending_.size() - pos;
            if (left >= 2 && uint8_t(pending_[pos + 1]) == 0xFE) {
                if (left < 7)
                    break;
                frames.append({0xFF, 0xFE, -1, pending_.mid(pos + 2, 5)});
                pos += 7;
                continue;
            }
            if (left < 5 || left < 5 + uint8_t(pending_[pos + 4]))
                break;
            const int length = uint8_t(pending_[pos + 4]);
            frames.append({uint8_t(pending_[pos + 1]), uint8_t(pending_[pos + 2]), uint8_t(pending_[pos + 3]),
                           pending_.mid(pos + 5, length)});
            pos += 5 + length;
        }
        pending_.remove(0, pos);
    }

    QList<ReadFrame> ofType(int type) const
    {
        QList<ReadFrame> out;
        for (const ReadFrame& frame : frames)
            if (frame.type == type)
                out.append(frame);
        return out;
    }

    QList<ReadFrame> frames;
    QByteArray looseBytes;

private:
    QByteArray pending_;
};
