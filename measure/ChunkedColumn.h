// An append-only column of plain values in fixed-size chunks.
//
// Chart series grow by one value a second for days. A std::vector would copy
// the whole history at every doubling and keep up to half of its capacity
// unused; fixed chunks never move what is stored and waste at most one
// chunk per column.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

namespace obr9 {

template <typename T>
class ChunkedColumn {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    static constexpr std::size_t kChunk = 8192;

    ChunkedColumn() = default;
    ChunkedColumn(ChunkedColumn&&) noexcept = default;
    ChunkedColumn& operator=(ChunkedColumn&&) noexcept = default;
    ChunkedColumn(const ChunkedColumn& other) { *this = other; }
    ChunkedColumn& operator=(const ChunkedColumn& other)
    {
        if (this == &other)
            return *this;
        clear();
        chunks_.reserve(other.chunks_.size());
        for (const auto& chunk : other.chunks_) {
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
            std::copy(chunk.get(), chunk.get() + kChunk, chunks_.back().get());
        }
        size_ = other.size_;
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T operator[](std::size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    // Value i and the ones after it up to the end of its chunk lie
    // contiguously from here.
    const T* at(std::size_t i) const { return chunks_[i / kChunk].get() + i % kChunk; }
    T& operator[](std::size_t i) { return chunks_[i / kChunk][i % kChunk]; }

    void push_back(T value)
    {
        if (size_ % kChunk == 0)
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
        chunks_.back()[size_ % kChunk] = value;
        ++size_;
    }

    // Grows to n values; the new ones are value.
    void resize(std::size_t n, T value)
    {
        while (size_ < n)
            push_back(value);
    }

    void clear()
    {
        chunks_.clear();
        size_ = 0;
    }

    // Heap bytes held, chunk table included.
    std::size_t memoryBytes() const
    {
        return chunks_.size() * kChunk * sizeof(T) + chunks_.capacity() * sizeof(chunks_[0]);
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

} // namespace obr9
