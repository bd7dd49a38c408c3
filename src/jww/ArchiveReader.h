// Reading the primitives of a drawing file: little-endian numbers, counted strings,
// element counts and class tags, over a buffered byte source.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "jww/Archive.h"
#include "jww/JwwString.h"

namespace jww {

class ArchiveReader {
 public:
  explicit ArchiveReader(ByteSource& source);

  // Exactly n bytes, or ArchiveError.
  void ReadBytes(void* out, std::size_t n);
  void Skip(std::uint64_t n);
  std::uint8_t ReadU8() { return Fixed<std::uint8_t>(); }
  std::uint16_t ReadU16() { return Fixed<std::uint16_t>(); }
  std::uint32_t ReadU32() { return Fixed<std::uint32_t>(); }
  std::int32_t ReadI32() { return static_cast<std::int32_t>(Fixed<std::uint32_t>()); }
  double ReadF64() { return std::bit_cast<double>(Fixed<std::uint64_t>()); }

  // The next n bytes (at most kMaxTake) in one read; valid until the next read.
  const unsigned char* Take(std::size_t n) {
    if (end_ - next_ >= static_cast<std::ptrdiff_t>(n)) {
      const unsigned char* p = next_;
      next_ += n;
      position_ += n;
      return p;
    }
    ReadBytes(scratch_, n);
    return scratch_;
  }
  static constexpr std::size_t kMaxTake = 128;

  // Bytes not yet read.
  std::uint64_t Remaining() const { return position_ < size_ ? size_ - position_ : 0; }
  // Bytes read so far.
  std::uint64_t Position() const { return position_; }
  // Fails the load unless `count` items of at least `minBytes` each can still follow;
  // `what` names the count, `at` is where it was read.
  void CheckFits(std::uint64_t count, std::uint64_t minBytes, std::string_view what, std::uint64_t at);
  // Ends the archive with the reason and the offset it names; every later read fails too.
  [[noreturn]] void Fail(const std::string& why, std::uint64_t at);
  // The first failure of this archive, or nullptr; it outlives failures that were caught.
  const ArchiveError* FirstFailure() const { return firstFailure_ ? &*firstFailure_ : nullptr; }
  // Names the part being read ("the entity list"), for a file that ends inside it.
  void SetPart(const char* part) { part_ = part; }

  // A counted string in either form, bytes as stored.
  JwwString ReadString();
  // ReadString without control characters.
  JwwString ReadCleanString();
  // An element count (word, or dword after 0xFFFF).
  std::uint32_t ReadCount();

  // The class registry and map counter run through one body.
  void ResetClasses();
  // Reads a class tag. In an entity list the result is 1-7, or 0 for a class that is
  // not an entity class; in the block-definition list a new class of any name is 8.
  int ReadClassTag(bool blockDefinitionList);
  // Counts one object read.
  void AdvanceMapCounter() { ++mapCounter_; }
  std::uint32_t MapCounter() const { return mapCounter_; }

 private:
  template <typename T>
  T Fixed() {
    unsigned char raw[sizeof(T)];
    if (end_ - next_ >= static_cast<std::ptrdiff_t>(sizeof(T))) {
      std::memcpy(raw, next_, sizeof(T));
      next_ += sizeof(T);
      position_ += sizeof(T);
    } else {
      ReadBytes(raw, sizeof(T));
    }
    T v = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) v = static_cast<T>((v << 8) | raw[i]);
    return v;
  }
  bool Refill();
  // A read that found no more bytes.
  [[noreturn]] void FailShort();
  std::uint32_t ReadStringLength(std::uint8_t first);

  ByteSource& source_;
  std::unique_ptr<unsigned char[]> buffer_;
  const unsigned char* next_ = nullptr;
  const unsigned char* end_ = nullptr;
  std::uint64_t position_ = 0;
  std::uint64_t size_ = 0;
  std::array<std::uint32_t, 9> classIndex_{};
  std::uint32_t mapCounter_ = 1;
  bool failed_ = false;
  std::optional<ArchiveError> firstFailure_;
  const char* part_ = "the file";
  bool inPlace_ = false;
  unsigned char scratch_[kMaxTake];
};

}  // namespace jww
