// The two directions a record description runs in. A description names each field once,
// in file order, with the versions that carry it: io(a, b, ...) for numbers one by one,
// io.Block(a, b, ...) for numbers taken or reserved as one block, io.String for counted
// strings. A number's width in the file is its width in memory. Reading fills a
// default-constructed record; writing takes a copy the writer's clean-ups were applied to.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/JwwString.h"
#include "jww/DrawingRecords.h"
#include "jww/StringCleanup.h"
#include "text/ShiftJis.h"

namespace jww {

// Runs a description as a read: every field is filled from the archive.
class RecordReader {
 public:
  static constexpr bool kStoring = false;
  explicit RecordReader(ArchiveReader& ar) : ar_(ar) {}

  // The next n bytes (at most ArchiveReader::kMaxTake), decoded field by field.
  FieldReader Fields(std::size_t n) { return FieldReader(ar_.Take(n), n); }
  // The fields as one block of their total width.
  template <typename... T>
  void Block(T&... fields) {
    Fields((sizeof(T) + ...))(fields...);
  }
  // The fields one by one.
  template <typename... T>
  void operator()(T&... fields) {
    (Field(fields), ...);
  }
  // A counted string without its control characters.
  void String(JwwString& s) { s = ar_.ReadCleanString(); }
  // A counted string as stored, control characters and all.
  void RawString(JwwString& s) { s = ar_.ReadString(); }
  // Exactly n bytes.
  void Bytes(std::string& s, std::size_t n) {
    s.assign(n, '\0');
    ar_.ReadBytes(s.data(), n);
  }
  // Bytes that carry nothing: passed over.
  void Reserved(std::size_t n) { ar_.Skip(n); }

 private:
  void Field(std::uint8_t& v) { v = ar_.ReadU8(); }
  void Field(std::uint16_t& v) { v = ar_.ReadU16(); }
  void Field(std::int32_t& v) { v = ar_.ReadI32(); }
  void Field(double& v) { v = ar_.ReadF64(); }
  template <typename T, std::size_t N>
  void Field(std::array<T, N>& values) {
    for (T& v : values) Field(v);
  }

  ArchiveReader& ar_;
};

// Runs a description as a write: every field goes to the archive as the copy holds it.
class RecordWriter {
 public:
  static constexpr bool kStoring = true;
  explicit RecordWriter(ArchiveWriter& ar) : ar_(ar) {}

  // Room for the next n bytes (at most a few hundred), encoded field by field.
  FieldWriter Fields(std::size_t n) { return FieldWriter(ar_.Room(n), n); }
  // The fields as one block of their total width.
  template <typename... T>
  void Block(const T&... fields) {
    Fields((sizeof(T) + ...))(fields...);
  }
  // The fields one by one.
  template <typename... T>
  void operator()(const T&... fields) {
    (Field(fields), ...);
  }
  // Counted strings in the form they were read in.
  void String(const JwwString& s) { ar_.WriteString(s); }
  void RawString(const JwwString& s) { ar_.WriteString(s); }
  // Exactly n bytes.
  void Bytes(const std::string& s, std::size_t n) {
    assert(s.size() == n);
    ar_.WriteBytes(s.data(), n);
  }
  // Bytes that carry nothing: written as zeros.
  void Reserved(std::size_t n) {
    static constexpr unsigned char kZeros[64] = {};
    for (std::size_t k = 0; k < n; k += sizeof kZeros) ar_.WriteBytes(kZeros, std::min(n - k, sizeof kZeros));
  }

 private:
  void Field(std::uint8_t v) { ar_.WriteU8(v); }
  void Field(std::uint16_t v) { ar_.WriteU16(v); }
  void Field(std::int32_t v) { ar_.WriteI32(v); }
  void Field(double v) { ar_.WriteF64(v); }
  template <typename T, std::size_t N>
  void Field(const std::array<T, N>& values) {
    for (const T& v : values) Field(v);
  }

  ArchiveWriter& ar_;
};

// The writer's clean-up of a string in a record copy; a string already clean is kept.
inline void CleanInPlace(JwwString& s) {
  if (!s.IsSjis() || !text::IsCleanJwwText(s.bytes)) s = CleanForWrite(s);
}

}  // namespace jww
