// Measurement history rings of the controller's own sensors.
//
// One slot per received frame, 1000 slots a row, one write index shared by
// all rows. A frame stores its samples at writeIndex and then advances the
// ring; the charts are drawn later (once per socket read), so they start
// from the frame last stored (newest()), not from writeIndex. Restarting the
// ring only restarts the drawing: the samples stay.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace obr9 {

template <int Rows>
class HistoryRing {
public:
    static constexpr int kRows = Rows;
    static constexpr int kSlots = 1000;

    int writeIndex() const { return writeIndex_; }
    bool wrapped() const { return wrapped_; }

    // Out-of-range rows and slots read 0 and are never written.
    int32_t sample(int row, int slot) const
    {
        return valid(row, slot) ? samples_[std::size_t(row)][std::size_t(slot)] : 0;
    }
    const int32_t* row(int r) const { return samples_[std::size_t(r)].data(); }

    void store(int row, int32_t value)
    {
        if (valid(row, writeIndex_))
            samples_[std::size_t(row)][std::size_t(writeIndex_)] = value;
    }

    // The sample before writeIndex in the same row; at writeIndex 0 that is
    // the ring's last slot.
    int32_t previous(int row) const
    {
        return sample(row, writeIndex_ == 0 ? kSlots - 1 : writeIndex_ - 1);
    }

    // The frame last stored, as a chart draws it once the ring has moved on:
    // its slot, and whether the ring had wrapped when it was stored (the
    // voltage rows round differently from then on). slot is -1 before the
    // first frame and after a restart.
    struct Newest {
        int slot = -1;
        bool wrapped = false;
    };
    Newest newest() const { return newest_; }

    void advance()
    {
        newest_ = {writeIndex_, wrapped_};
        if (++writeIndex_ >= kSlots) {
            writeIndex_ = 0;
            wrapped_ = true;
        }
    }

    // Drawing starts again from slot 0; the samples are kept.
    void restart()
    {
        writeIndex_ = 0;
        wrapped_ = false;
        newest_ = {};
    }

private:
    static bool valid(int row, int slot)
    {
        return row >= 0 && row < Rows && slot >= 0 && slot < kSlots;
    }

    std::array<std::array<int32_t, kSlots>, Rows> samples_{};
    int writeIndex_ = 0;
    bool wrapped_ = false;
    Newest newest_;
};

// Eight channels in half degrees (v means v x 0.5 degC). A temperature and
// humidity sensor uses row 0 for temperature x 2 and row 1 for humidity x 2.
using TemperatureHistory = HistoryRing<8>;
// Raw 16-bit voltage counts as received, before scaling.
using VoltageHistory = HistoryRing<1>;

} // namespace obr9
