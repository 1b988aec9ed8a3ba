#include "measure/BlockCodec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace obr9::blockcodec {

namespace {

// Writes into room the caller has made.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out)
        : p_(out)
    {
    }

    // n in 1..64: the low n bits of value, most significant first.
    void put(uint64_t value, int n)
    {
        if (n > 32) {
            put32(value >> 32, n - 32);
            put32(value, 32);
        } else {
            put32(value, n);
        }
    }

    // Past the last byte, padding the last one with zero bits.
    uint8_t* finish()
    {
        if (bits_ > 0)
            *p_++ = uint8_t(acc_ << (8 - bits_));
        bits_ = 0;
        return p_;
    }

    uint8_t* at() const { return p_; }

private:
    void put32(uint64_t value, int n)
    {
        acc_ = (acc_ << n) | (value & (~uint64_t(0) >> (64 - n)));
        bits_ += n;
        while (bits_ >= 8) {
            bits_ -= 8;
            *p_++ = uint8_t(acc_ >> bits_);
        }
    }

    uint8_t* p_;
    uint64_t acc_ = 0; // the low bits_ bits are pending
    int bits_ = 0;
};

class BitReader {
public:
    BitReader(const uint8_t* bytes, std::size_t size)
        : p_(bytes)
        , end_(bytes + size)
    {
    }

    // n in 1..32; false when the bytes end first.
    bool get(int n, uint64_t& value)
    {
        if (bits_ < n && !refill(n))
            return false;
        value = acc_ >> (64 - n);
        acc_ <<= n;
        bits_ -= n;
        return true;
    }

    bool get64(int n, uint64_t& value)
    {
        if (n <= 32)
            return get(n, value);
        uint64_t high = 0;
        uint64_t low = 0;
        if (!get(n - 32, high) || !get(32, low))
            return false;
        value = (high << 32) | low;
        return true;
    }

    // Takes the zero bits that come next, at most most (1..63) of them;
    // 0 when a one bit comes next or the bytes have ended.
    int zeros(int most)
    {
        if (bits_ == 0 && !refill(1))
            return 0;
        const int z = std::min({std::countl_zero(acc_), bits_, most});
        acc_ <<= z;
        bits_ -= z;
        return z;
    }

    // Every byte read, and what is left of the last one is zero padding.
    bool atEnd() const { return p_ == end_ && bits_ < 8 && acc_ == 0; }

private:
    // At least n bits pending, or false at the end of the bytes. Away from
    // the end, eight bytes are loaded at once and the whole bytes that fit
    // are taken: the bits of the byte that did not fit land below bits_,
    // and its next load writes the very same bits there.
    bool refill(int n)
    {
        if (end_ - p_ >= 8) {
            uint64_t word = 0;
            for (int k = 0; k < 8; ++k)
                word = (word << 8) | p_[k];
            acc_ |= word >> bits_;
            p_ += (63 - bits_) >> 3;
            bits_ |= 56;
            return true;
        }
        while (bits_ <= 56 && p_ != end_) {
            acc_ |= uint64_t(*p_++) << (56 - bits_);
            bits_ += 8;
        }
        return bits_ >= n;
    }

    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t acc_ = 0; // bits_ bits, left-aligned
    int bits_ = 0;
};

template <typename Word>
constexpr int kWidth = std::numeric_limits<Word>::digits;
template <typename Word>
constexpr int kFieldBits = kWidth<Word> == 32 ? 5 : 6;

// The XOR stream of the values into out, or false once it would take
// more than limit bytes.
template <typename Word>
bool encodeXor(const Word* values, std::size_t n, std::vector<uint8_t>& out, std::size_t limit)
{
    // Room for the stream's worst case, so the writer needs no checks: a
    // new window costs 2 + 2 fields + the width in bits.
    out.resize(1 + (std::size_t(kWidth<Word>) + n * (kWidth<Word> + 2 + 2 * kFieldBits<Word>) + 7) / 8 + 8);
    out[0] = kXor;
    BitWriter bits(out.data() + 1);
    if (n > 0)
        bits.put(values[0], kWidth<Word>);
    int lead = -1; // the window of the last change; none yet
    int trail = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (std::size_t(bits.at() - out.data()) > limit)
            return false;
        const Word x = values[i] ^ values[i - 1];
        if (x == 0) {
            bits.put(0, 1);
            continue;
        }
        const int l = std::countl_zero(x);
        const int t = std::countr_zero(x);
        if (lead >= 0 && l >= lead && t >= trail) {
            bits.put(0b10, 2);
            bits.put(uint64_t(x >> trail), kWidth<Word> - lead - trail);
            continue;
        }
        lead = l;
        trail = t;
        const int length = kWidth<Word> - l - t;
        bits.put(0b11, 2);
        bits.put(uint64_t(l), kFieldBits<Word>);
        bits.put(uint64_t(length - 1), kFieldBits<Word>);
        bits.put(uint64_t(x >> t), length);
    }
    out.resize(std::size_t(bits.finish() - out.data()));
    return out.size() <= limit;
}

template <typename Word>
void encodeBlock(const Word* values, std::size_t n, std::vector<uint8_t>& out)
{
    // A stream that saves less than a quarter is not worth its decoding,
    // which is several times slower than raw on a redraw of many points.
    if (encodeXor(values, n, out, maxBytes(n, sizeof(Word)) * 3 / 4))
        return;
    out.resize(maxBytes(n, sizeof(Word)));
    out[0] = kRaw;
    if constexpr (std::endian::native == std::endian::little) {
        if (n > 0)
            std::memcpy(out.data() + 1, values, n * sizeof(Word));
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t b = 0; b < sizeof(Word); ++b)
            out[1 + i * sizeof(Word) + b] = uint8_t(values[i] >> (8 * b));
    }
}

template <typename Word>
bool decodeXor(const uint8_t* bytes, std::size_t size, std::size_t n, Word* out)
{
    BitReader bits(bytes, size);
    if (n == 0)
        return size == 0;
    uint64_t v = 0;
    if (!bits.get64(kWidth<Word>, v))
        return false;
    Word previous = Word(v);
    out[0] = previous;
    int lead = -1;
    int trail = 0;
    for (std::size_t i = 1; i < n;) {
        // Repeats (a 0 bit each) come in runs: taken a run at a time.
        const int same = bits.zeros(int(std::min<std::size_t>(n - i, 63)));
        if (same > 0) {
            std::fill(out + i, out + i + same, previous);
            i += std::size_t(same);
            continue;
        }
        uint64_t control = 0; // 1 0 or 1 1
        if (!bits.get(2, control))
            return false;
        if (control == 0b11) {
            uint64_t l = 0;
            uint64_t length = 0;
            if (!bits.get(kFieldBits<Word>, l) || !bits.get(kFieldBits<Word>, length))
                return false;
            if (int(l) + int(length) + 1 > kWidth<Word>)
                return false;
            lead = int(l);
            trail = kWidth<Word> - lead - int(length) - 1;
        } else if (lead < 0) {
            return false;
        }
        if (!bits.get64(kWidth<Word> - lead - trail, v))
            return false;
        previous ^= Word(v << trail);
        out[i++] = previous;
    }
    return bits.atEnd();
}

template <typename Word>
bool decodeBlock(const uint8_t* bytes, std::size_t size, std::size_t n, Word* out)
{
    if (size == 0)
        return false;
    if (bytes[0] == kRaw) {
        if (size != maxBytes(n, sizeof(Word)))
            return false;
        if constexpr (std::endian::native == std::endian::little) {
            if (n > 0)
                std::memcpy(out, bytes + 1, n * sizeof(Word));
            return true;
        }
        for (std::size_t i = 0; i < n; ++i) {
            Word w = 0;
            for (std::size_t b = 0; b < sizeof(Word); ++b)
                w |= Word(Word(bytes[1 + i * sizeof(Word) + b]) << (8 * b));
            out[i] = w;
        }
        return true;
    }
    if (bytes[0] == kXor)
        return decodeXor(bytes + 1, size - 1, n, out);
    return false;
}

} // namespace

void encode(const uint32_t* values, std::size_t n, std::vector<uint8_t>& out) { encodeBlock(values, n, out); }
void encode(const uint64_t* values, std::size_t n, std::vector<uint8_t>& out) { encodeBlock(values, n, out); }

bool decode(const uint8_t* bytes, std::size_t size, std::size_t n, uint32_t* out)
{
    return decodeBlock(bytes, size, n, out);
}

bool decode(const uint8_t* bytes, std::size_t size, std::size_t n, uint64_t* out)
{
    return decodeBlock(bytes, size, n, out);
}

} // namespace obr9::blockcodec
