// Writing the primitives of a drawing file over a buffered byte sink. Every failure to
// write raises ArchiveError.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string_view>

#include "jww/Archive.h"
#include "jww/JwwString.h"

namespace jww {

class ArchiveWriter {
 public:
  explicit ArchiveWriter(ByteSink& sink);
  ~ArchiveWriter();

  void WriteBytes(const void* data, std::size_t n);
  void WriteU8(std::uint8_t v) { Fixed(v); }
  void WriteU16(std::uint16_t v) { Fixed(v); }
  void WriteU32(std::uint32_t v) { Fixed(v); }
  void WriteI32(std::int32_t v) { Fixed(static_cast<std::uint32_t>(v)); }
  void WriteF64(double v) { Fixed(std::bit_cast<std::uint64_t>(v)); }

  // Room for n bytes (at most a few hundred), counted as written; the caller fills it.
  unsigned char* Room(std::size_t n) {
    if (used_ + n > kArchiveBufferSize) Flush();
    unsigned char* p = buffer_.get() + used_;
    used_ += n;
    return p;
  }

  // A counted string in the form it was read in.
  void WriteString(const JwwString& s);
  // An element count (word, or 0xFFFF and a dword).
  void WriteCount(std::uint32_t n);

  // The map counter and the classes written so far run through one body.
  void ResetClasses();
  // A new-class tag (name with its length word) for the first object of a class, a
  // class reference afterwards.
  void WriteClassTag(int classNo, std::uint32_t version);
  void WriteNewClass(std::string_view name, std::uint32_t version);
  void WriteClassRef(std::uint32_t classIndex);
  void AdvanceMapCounter() { ++mapCounter_; }
  std::uint32_t MapCounter() const { return mapCounter_; }

  // Hands everything buffered to the sink.
  void Flush();

 private:
  template <typename T>
  void Fixed(T v) {
    if (used_ + sizeof(T) > kArchiveBufferSize) Flush();
    unsigned char* out = buffer_.get() + used_;
    for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
    used_ += sizeof(T);
  }
  void WriteStringLength(std::uint32_t length);

  ByteSink& sink_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t used_ = 0;
  std::array<std::uint32_t, 9> classIndex_{};
  std::uint32_t mapCounter_ = 1;
};

}  // namespace jww
