// Random bytes through the chart block decoder, and random values through
// the encoder and back.
//
// Input: a byte choosing the width (even: floats, odd: doubles) and, with
// the next byte, the value count (0..2047); the rest is a block. A block
// that decodes must encode again into one that gives the same bits and is
// no longer than raw. Then the whole input, taken as values, must survive
// an encode and a decode bit for bit.

#include "measure/BlockCodec.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace obr9;

namespace {

template <typename Word>
void checkEncodes(const std::vector<Word>& values)
{
    std::vector<uint8_t> bytes;
    blockcodec::encode(values.data(), values.size(), bytes);
    check(bytes.size() <= blockcodec::maxBytes(values.size(), sizeof(Word)));
    std::vector<Word> back(values.size());
    check(blockcodec::decode(bytes.data(), bytes.size(), values.size(), back.data()));
    check(back == values);
}

template <typename Word>
void fuzz(const uint8_t* data, size_t size, std::size_t n)
{
    std::vector<Word> out(n);
    if (blockcodec::decode(data, size, n, out.data()))
        checkEncodes(out);
    std::vector<Word> values(size / sizeof(Word));
    if (!values.empty())
        std::memcpy(values.data(), data, values.size() * sizeof(Word));
    checkEncodes(values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t n = (std::size_t(data[0] >> 1) << 4 | (data[1] & 0x0F)) % 2048;
    if (data[0] % 2 == 0)
        fuzz<uint32_t>(data + 2, size - 2, n);
    else
        fuzz<uint64_t>(data + 2, size - 2, n);
    return 0;
}
