// The archive convention of a drawing file: byte streams, the I/O failure, class numbers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
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
  using std::runtime_error::runtime_error;
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

// Little-endian fields decoded one after another from bytes already read.
class FieldReader {
 public:
  explicit FieldReader(const unsigned char* p) : p_(p) {}
  std::uint8_t U8() { return *p_++; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
  std::int32_t I32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Take(4))); }
  double F64() { return std::bit_cast<double>(Take(8)); }

 private:
  std::uint64_t Take(int n) {
    std::uint64_t v = 0;
    for (int i = n; i-- > 0;) v = (v << 8) | p_[i];
    p_ += n;
    return v;
  }
  const unsigned char* p_;
};

// Little-endian fields encoded one after another into room already reserved.
class FieldWriter {
 public:
  explicit FieldWriter(unsigned char* p) : p_(p) {}
  void U8(std::uint8_t v) { *p_++ = v; }
  void U16(std::uint16_t v) { Put(v, 2); }
  void I32(std::int32_t v) { Put(static_cast<std::uint32_t>(v), 4); }
  void F64(double v) { Put(std::bit_cast<std::uint64_t>(v), 8); }

 private:
  void Put(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) *p_++ = static_cast<unsigned char>(v >> (8 * i));
  }
  unsigned char* p_;
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
