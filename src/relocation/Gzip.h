// gzip streams for images stored inside a drawing: packing a file, and unpacking data
// fed in pieces (one member or several, any level and header flags).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "jww/JwwString.h"

namespace platform {
class InputFile;
}

namespace relocation {

// The most bytes an image may have unpacked; a larger one is refused either way, so that
// every drawing made can be separated again.
constexpr std::uint64_t kMaxImageBytes = std::uint64_t{256} << 20;

// True when the bytes begin with the gzip magic 0x1F 0x8B.
bool HasGzipMagic(const unsigned char* data, std::size_t size);
// True for a stored image's name, in either form, ending in ".gz" in any letter case.
bool HasPackedName(const jww::JwwString& name);
// True for a stored image that is unpacked on the way out, as the drafting program does:
// its name ends in ".gz" and its bytes (head, the first size of them) begin with the magic.
bool IsPackedImage(const jww::JwwString& name, const unsigned char* head, std::size_t size);

enum class PackResult {
  Packed,
  Unreadable,  // the source could not be opened or read whole
  TooLarge,    // the source holds more than kMaxImageBytes
  WriteFailed, // the target could not be written; it is deleted
};

// Writes source's bytes as a gzip stream into target (created or replaced); packedSize
// receives the stream's length. Paths are Shift-JIS, or UTF-16 units for names with no
// Shift-JIS form.
PackResult GzipFile(const std::string& source, const std::string& target, std::uint64_t& packedSize);
PackResult GzipFile(const std::u16string& source, const std::u16string& target, std::uint64_t& packedSize);

enum class UnpackResult {
  Whole,     // every member unpacked; bytes after the last one that begin no member are ignored
  Corrupt,   // the data does not unpack, or ends inside a member
  TooLarge,  // it unpacks past the limit
  Stopped,   // the sink asked to stop
};

// Unpacks gzip data fed piece by piece, handing the bytes to a sink that returns false to
// stop. The sink never receives more than the limit in all.
class Unpacker {
 public:
  using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;

  explicit Unpacker(std::uint64_t limit = kMaxImageBytes);
  ~Unpacker();
  Unpacker(const Unpacker&) = delete;
  Unpacker& operator=(const Unpacker&) = delete;

  // Feeds the next packed bytes; false once the outcome is known to be other than Whole.
  bool Feed(const unsigned char* data, std::size_t size, const Sink& sink);
  // The outcome, once every piece has been fed.
  UnpackResult Finish();
  // Bytes unpacked so far.
  std::uint64_t UnpackedSize() const { return unpacked_; }

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  std::uint64_t limit_;
  std::uint64_t unpacked_ = 0;
  UnpackResult failure_ = UnpackResult::Whole;
};

// Feeds a whole file through an Unpacker (gzip) or hands its bytes to the sink as they
// are; a file that cannot be read counts as Corrupt.
UnpackResult UnpackFile(const std::string& path, bool gzip, const Unpacker::Sink& sink);
UnpackResult UnpackFile(const std::u16string& path, bool gzip, const Unpacker::Sink& sink);
// The same over a file already open, read from where it stands.
UnpackResult UnpackFile(platform::InputFile& in, bool gzip, const Unpacker::Sink& sink);

// Hands source's bytes as a gzip stream to sink, piece by piece, as GzipFile writes them;
// WriteFailed when the sink stops.
PackResult Gzip(const std::string& source, const Unpacker::Sink& sink);
PackResult Gzip(const std::u16string& source, const Unpacker::Sink& sink);

}  // namespace relocation
