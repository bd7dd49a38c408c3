// The archive convention of a drawing file: byte streams, the I/O failure, class numbers.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class InputFile;
class OutputFile;
}  // namespace platform

namespace jww {

// Bytes move between a drawing file and the reader or writer this many at a time: large
// enough that a system call carries many fields, small enough that a drawing of a
// megabyte does not pay for fresh pages it never fills.
inline constexpr std::size_t kArchiveBufferSize = 128 * 1024;

// A short read, a failed write, or bytes that cannot be what the file says they are.
class ArchiveError : public std::runtime_error {
 public:
  explicit ArchiveError(const std::string& why, std::uint64_t offset = 0) : std::runtime_error(why), offset_(offset) {}
  // Where in the file the bytes that failed begin.
  std::uint64_t Offset() const { return offset_; }

 private:
  std::uint64_t offset_;
};

// Class numbers of the body; 0 is "no known class".
enum ClassNo : int {
  kNoClass = 0,
  kLineClass = 1,
  kArcClass = 2,
  kPointClass = 3,
  kTextClass = 4,
  kDimClass = 5,
  kSolidClass = 6,
  kBlockClass = 7,
  kBlockDefClass = 8,
};
// "CDataSen" ... "CDataList", indexed by class number (entry 0 is empty).
extern const std::string_view kClassNames[9];

// Little-endian fields decoded one after another from a block of bytes already read:
// f(a, b, ...) fills each field in turn, and the block is used up exactly.
class FieldReader {
 public:
  static constexpr bool kStoring = false;
  FieldReader(const unsigned char* p, std::size_t n) : p_(p), end_(p + n) {}
  ~FieldReader() { assert(p_ == end_); }
  FieldReader(const FieldReader&) = delete;
  FieldReader& operator=(const FieldReader&) = delete;

  template <typename... T>
  void operator()(T&... fields) {
    (Field(fields), ...);
  }

 private:
  void Field(std::uint8_t& v) { v = *p_++; }
  void Field(std::uint16_t& v) { v = Take<std::uint16_t>(); }
  void Field(std::int32_t& v) { v = static_cast<std::int32_t>(Take<std::uint32_t>()); }
  void Field(double& v) { v = std::bit_cast<double>(Take<std::uint64_t>()); }
  template <typename U>
  U Take() {
    U v = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&v, p_, sizeof v);  // the file's byte order is the machine's
    } else {
      for (std::size_t i = sizeof v; i-- > 0;) v = static_cast<U>((v << 8) | p_[i]);
    }
    p_ += sizeof v;
    return v;
  }
  const unsigned char* p_;
  [[maybe_unused]] const unsigned char* end_;
};

// Little-endian fields encoded one after another into a block of room already reserved:
// f(a, b, ...) writes each field in turn, and the block is filled exactly.
class FieldWriter {
 public:
  static constexpr bool kStoring = true;
  FieldWriter(unsigned char* p, std::size_t n) : p_(p), end_(p + n) {}
  ~FieldWriter() { assert(p_ == end_); }
  FieldWriter(const FieldWriter&) = delete;
  FieldWriter& operator=(const FieldWriter&) = delete;

  template <typename... T>
  void operator()(const T&... fields) {
    (Field(fields), ...);
  }

 private:
  void Field(std::uint8_t v) { *p_++ = v; }
  void Field(std::uint16_t v) { Put(v, 2); }
  void Field(std::int32_t v) { Put(static_cast<std::uint32_t>(v), 4); }
  void Field(double v) { Put(std::bit_cast<std::uint64_t>(v), 8); }
  void Put(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) *p_++ = static_cast<unsigned char>(v >> (8 * i));
  }
  unsigned char* p_;
  [[maybe_unused]] unsigned char* end_;
};

// Where the bytes of a load come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes; fewer only at the end or on an error.
  virtual std::size_t Read(void* buffer, std::size_t n) = 0;
  virtual bool Failed() const = 0;
  // Total bytes the source holds.
  virtual std::uint64_t Size() const = 0;
  // All the bytes, when they already lie in memory; else nullptr.
  virtual const unsigned char* Contiguous() const { return nullptr; }
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(platform::InputFile& file) : file_(file) {}
  std::size_t Read(void* buffer, std::size_t n) override;
  bool Failed() const override;
  std::uint64_t Size() const override;

 private:
  platform::InputFile& file_;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  std::size_t Read(void* buffer, std::size_t n) override;
  bool Failed() const override { return false; }
  std::uint64_t Size() const override { return size_; }
  const unsigned char* Contiguous() const override { return data_; }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Where the bytes of a save go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when not every byte was taken.
  virtual bool Write(const void* buffer, std::size_t n) = 0;
};

class FileSink : public ByteSink {
 public:
  explicit FileSink(platform::OutputFile& file) : file_(file) {}
  bool Write(const void* buffer, std::size_t n) override;

 private:
  platform::OutputFile& file_;
};

class MemorySink : public ByteSink {
 public:
  bool Write(const void* buffer, std::size_t n) override;
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace jww
