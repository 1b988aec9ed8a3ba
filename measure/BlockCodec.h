// Compression of one closed block of chart values, float or double bits.
//
// A block is one kind byte and then either the values as they are (raw,
// little-endian), or an XOR stream in the manner of Gorilla (Pelkonen et
// al., VLDB 2015): the first value's bits whole, then for each value its
// XOR with the one before:
//   0                      the same bits again
//   1 0 <bits>             the changed bits lie inside the window of the
//                          last change: only that window's bits
//   1 1 <lead> <len-1> <bits>  a new window: its leading zero count and
//                          length (5 bits each for floats, 6 for doubles)
// Bits are packed from the most significant end of each byte. The encoder
// keeps the XOR stream only where it saves a quarter or more, so noisy
// values cost one byte a block more than raw ones. Both forms give back the very same bits, NaN payloads
// included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace obr9::blockcodec {

enum Kind : uint8_t { kRaw = 0, kXor = 1 };

// Bytes the raw form of n values of a width takes: the most a block costs.
constexpr std::size_t maxBytes(std::size_t n, std::size_t width) { return 1 + n * width; }

// Replaces out with the encoding of the n values.
void encode(const uint32_t* values, std::size_t n, std::vector<uint8_t>& out);
void encode(const uint64_t* values, std::size_t n, std::vector<uint8_t>& out);

// Decodes exactly n values from size bytes. False (out partly written) when
// the bytes are not a block of n values: unknown kind, too short, a window
// reaching past the value's width, or bytes left over.
bool decode(const uint8_t* bytes, std::size_t size, std::size_t n, uint32_t* out);
bool decode(const uint8_t* bytes, std::size_t size, std::size_t n, uint64_t* out);

} // namespace obr9::blockcodec
