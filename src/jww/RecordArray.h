// The records of one class, kept in blocks that never move once full: a large drawing
// grows without copying its records and without holding room it does not use.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace jww {

template <typename T>
class RecordArray {
 public:
  // Records per full block (about 256 KiB of them); the first block grows to it.
  static constexpr std::size_t kPerBlock = std::max<std::size_t>(64, std::bit_floor(256 * 1024 / sizeof(T)));

  RecordArray() = default;
  // (delegating, so that a copy that throws half-way frees what it made)
  RecordArray(std::initializer_list<T> records) : RecordArray() {
    for (const T& r : records) push_back(r);
  }
  RecordArray(const RecordArray& other) : RecordArray() {
    for (const T& r : other) push_back(r);
  }
  RecordArray(RecordArray&& other) noexcept { Swap(other); }
  RecordArray& operator=(const RecordArray& other) {
    if (this != &other) {
      RecordArray copy(other);
      Swap(copy);
    }
    return *this;
  }
  RecordArray& operator=(RecordArray&& other) noexcept {
    RecordArray gone(std::move(other));
    Swap(gone);
    return *this;
  }
  RecordArray& operator=(std::initializer_list<T> records) {
    RecordArray fresh(records);
    Swap(fresh);
    return *this;
  }
  ~RecordArray() { clear(); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return blocks_[i / kPerBlock][i % kPerBlock]; }
  const T& operator[](std::size_t i) const { return blocks_[i / kPerBlock][i % kPerBlock]; }
  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  // r may be one of this array's own records
  void push_back(const T& r) { Emplace(r); }
  void push_back(T&& r) { Emplace(std::move(r)); }
  T& emplace_back() { return Emplace(); }
  void pop_back() {
    back().~T();
    --size_;
  }
  void clear() {
    while (size_ > 0) pop_back();
    for (std::uint32_t b = 0; b < blockCount_; ++b) {
      std::allocator<T>().deallocate(blocks_[b], b == 0 ? firstCapacity_ : kPerBlock);
    }
    delete[] blocks_;
    blocks_ = nullptr;
    blockCount_ = 0;
    firstCapacity_ = 0;
  }

  template <typename Value, typename Owner>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;
    Iterator() = default;
    Iterator(Owner* owner, std::size_t i) : owner_(owner), i_(i) {}
    Value& operator*() const { return (*owner_)[i_]; }
    Value* operator->() const { return &(*owner_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator was = *this;
      ++i_;
      return was;
    }
    bool operator==(const Iterator& other) const { return i_ == other.i_; }

   private:
    Owner* owner_ = nullptr;
    std::size_t i_ = 0;
  };
  using iterator = Iterator<T, RecordArray>;
  using const_iterator = Iterator<const T, const RecordArray>;
  using value_type = T;

  iterator begin() { return {this, 0}; }
  iterator end() { return {this, size_}; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }

  bool operator==(const RecordArray& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }

 private:
  // Room in the block table for one more block; the table holds a power of two of them.
  void ReserveBlock() {
    if (blockCount_ != 0 && !std::has_single_bit(blockCount_)) return;
    T** table = new T*[blockCount_ == 0 ? 1 : 2 * std::size_t{blockCount_}];
    std::copy_n(blocks_, blockCount_, table);
    delete[] blocks_;
    blocks_ = table;
  }

  // Makes one more record from args, growing the first block (by moving its few records)
  // until it is full size, and adding full blocks after that. The record is made before
  // the records move, so args may name one of them; if making it throws, nothing changes.
  template <typename... Args>
  T& Emplace(Args&&... args) {
    static_assert(std::is_nothrow_move_constructible_v<T>, "records move without throwing");
    if (size_ < kPerBlock && size_ == firstCapacity_) {
      if (blockCount_ == 0) ReserveBlock();
      const std::size_t grown = std::min(kPerBlock, std::max<std::size_t>(1, std::size_t{firstCapacity_} * 2));
      T* block = std::allocator<T>().allocate(grown);
      try {
        ::new (block + size_) T(std::forward<Args>(args)...);
      } catch (...) {
        std::allocator<T>().deallocate(block, grown);
        throw;
      }
      for (std::size_t i = 0; i < size_; ++i) {
        ::new (block + i) T(std::move(blocks_[0][i]));
        blocks_[0][i].~T();
      }
      if (blockCount_ == 0) {
        blockCount_ = 1;
      } else {
        std::allocator<T>().deallocate(blocks_[0], firstCapacity_);
      }
      blocks_[0] = block;
      firstCapacity_ = static_cast<std::uint32_t>(grown);
      return block[size_++];
    }
    if (size_ >= kPerBlock && size_ % kPerBlock == 0 && size_ / kPerBlock == blockCount_) {
      ReserveBlock();
      blocks_[blockCount_] = std::allocator<T>().allocate(kPerBlock);
      ++blockCount_;
    }
    T* slot = blocks_[size_ / kPerBlock] + size_ % kPerBlock;
    ::new (slot) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }

  void Swap(RecordArray& other) noexcept {
    std::swap(blocks_, other.blocks_);
    std::swap(size_, other.size_);
    std::swap(blockCount_, other.blockCount_);
    std::swap(firstCapacity_, other.firstCapacity_);
  }

  // A table of block pointers (not a vector: a definition has seven arrays, most of
  // them empty or small, and a drawing may have a hundred thousand definitions).
  T** blocks_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t blockCount_ = 0;
  std::uint32_t firstCapacity_ = 0;
};

}  // namespace jww
