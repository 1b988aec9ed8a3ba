// An append-only column of floats or doubles kept in compressed blocks.
//
// Values arrive one at a time into an open block of kBlock values; when it
// is full it is encoded by blockcodec (XOR stream, or raw when that saves
// little) into a heap block of its own, so nothing stored ever moves or is
// copied again. Reading a closed block decodes it whole into a cache of one
// block; reading on in order costs a decode per kBlock values.
//
// The cache makes reads change this object: a column must not be read from
// two threads at once. at() points into the open block or the cache, valid
// until the next read of another block.
#pragma once

#include "measure/BlockCodec.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

namespace obr9 {

template <typename T>
class CompressedColumn {
    static_assert(std::is_same_v<T, float> || std::is_same_v<T, double>);
    using Word = std::conditional_t<std::is_same_v<T, float>, uint32_t, uint64_t>;

public:
    static constexpr std::size_t kBlock = 1024;

    CompressedColumn() = default;
    CompressedColumn(CompressedColumn&&) noexcept = default;
    CompressedColumn& operator=(CompressedColumn&&) noexcept = default;
    CompressedColumn(const CompressedColumn& other) { *this = other; }
    CompressedColumn& operator=(const CompressedColumn& other)
    {
        if (this == &other)
            return *this;
        clear();
        blocks_.reserve(other.blocks_.size());
        for (const Block& b : other.blocks_) {
            Block copy{std::make_unique_for_overwrite<uint8_t[]>(b.size), b.size};
            std::copy(b.bytes.get(), b.bytes.get() + b.size, copy.bytes.get());
            blocks_.push_back(std::move(copy));
        }
        if (other.open_) {
            open_ = std::make_unique_for_overwrite<T[]>(kBlock);
            std::copy(other.open_.get(), other.open_.get() + kBlock, open_.get());
        }
        size_ = other.size_;
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T operator[](std::size_t i) const { return *at(i); }

    // Value i and the ones after it up to the end of its block lie
    // contiguously from here.
    const T* at(std::size_t i) const
    {
        const std::size_t block = i / kBlock;
        if (block == blocks_.size())
            return open_.get() + i % kBlock;
        return decoded(block) + i % kBlock;
    }

    void push_back(T value)
    {
        // A full block is closed by the value after it, so the newest
        // kBlock values stay plain for the summaries being built.
        if (size_ % kBlock == 0 && size_ > 0)
            closeOpenBlock();
        if (!open_)
            open_ = std::make_unique_for_overwrite<T[]>(kBlock);
        open_[size_ % kBlock] = value;
        ++size_;
    }

    void clear()
    {
        blocks_.clear();
        blocks_.shrink_to_fit();
        open_.reset();
        cache_.reset();
        cached_ = kNone;
        size_ = 0;
    }

    // Heap bytes held: each closed block as the allocator rounds it (its
    // 8-byte header, 16-byte steps), the block table, the open block and
    // the cache.
    std::size_t memoryBytes() const
    {
        std::size_t bytes = blocks_.capacity() * sizeof(Block);
        for (const Block& b : blocks_)
            bytes += (std::size_t(b.size) + 8 + 15) / 16 * 16;
        return bytes + (open_ ? kBlock * sizeof(T) : 0) + (cache_ ? kBlock * sizeof(T) : 0);
    }

    // Encoded bytes of the closed blocks alone.
    std::size_t closedBytes() const
    {
        std::size_t bytes = 0;
        for (const Block& b : blocks_)
            bytes += b.size;
        return bytes;
    }

private:
    struct Block {
        std::unique_ptr<uint8_t[]> bytes;
        uint32_t size = 0;
    };
    static constexpr std::size_t kNone = ~std::size_t(0);

    void closeOpenBlock()
    {
        thread_local std::vector<uint8_t> encoded;
        encoded.reserve(blockcodec::maxBytes(kBlock, sizeof(Word)));
        Word words[kBlock];
        for (std::size_t k = 0; k < kBlock; ++k)
            words[k] = std::bit_cast<Word>(open_[k]);
        blockcodec::encode(words, kBlock, encoded);
        Block b{std::make_unique_for_overwrite<uint8_t[]>(encoded.size()), uint32_t(encoded.size())};
        std::copy(encoded.begin(), encoded.end(), b.bytes.get());
        // The table grows by an eighth: little stands unused.
        if (blocks_.size() == blocks_.capacity())
            blocks_.reserve(blocks_.size() + blocks_.size() / 8 + 16);
        blocks_.push_back(std::move(b));
    }

    const T* decoded(std::size_t block) const
    {
        if (cached_ != block) {
            if (!cache_)
                cache_ = std::make_unique_for_overwrite<T[]>(kBlock);
            Word words[kBlock];
            const Block& b = blocks_[block];
            // The blocks were encoded here: a failure is memory corruption.
            if (!blockcodec::decode(b.bytes.get(), b.size, kBlock, words))
                std::abort();
            for (std::size_t k = 0; k < kBlock; ++k)
                cache_[k] = std::bit_cast<T>(words[k]);
            cached_ = block;
        }
        return cache_.get();
    }

    std::vector<Block> blocks_;
    std::unique_ptr<T[]> open_; // values from blocks_.size() * kBlock on
    std::size_t size_ = 0;
    mutable std::unique_ptr<T[]> cache_;
    mutable std::size_t cached_ = kNone;
};

} // namespace obr9
