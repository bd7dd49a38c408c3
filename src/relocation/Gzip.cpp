#include "relocation/Gzip.h"

#include <zlib.h>

#include <type_traits>
#include <vector>

#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace relocation {
namespace {

constexpr std::size_t kBlock = 64 * 1024;
// a gzip stream: deflate data in the gzip wrapper, the largest window
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;

}  // namespace

bool HasGzipMagic(const unsigned char* data, std::size_t size) {
  return size >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

bool HasPackedName(const jww::JwwString& name) {
  const auto endsWithGz = [](const auto& s) {
    return s.size() >= 3 && text::UpperCase(s.substr(s.size() - 3)) == text::Ascii<std::decay_t<decltype(s)>>(".GZ");
  };
  return name.IsSjis() ? endsWithGz(name.bytes) : endsWithGz(name.Units());
}

bool IsPackedImage(const jww::JwwString& name, const unsigned char* head, std::size_t size) {
  return HasPackedName(name) && HasGzipMagic(head, size);
}

namespace {

template <class Path>
PackResult Pack(const Path& source, const Unpacker::Sink& sink, std::uint64_t& packedSize) {
  packedSize = 0;
  platform::InputFile in;
  if (!in.Open(source)) return PackResult::Unreadable;
  if (in.Size() > kMaxImageBytes) return PackResult::TooLarge;
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
    return PackResult::WriteFailed;
  }
  std::vector<unsigned char> input(kBlock);
  std::vector<unsigned char> output(kBlock);
  PackResult result = PackResult::Packed;
  std::uint64_t read = 0;
  for (bool last = false; !last && result == PackResult::Packed;) {
    const std::size_t got = in.Read(input.data(), input.size());
    read += got;
    if (in.Failed()) {
      result = PackResult::Unreadable;
      break;
    }
    if (read > kMaxImageBytes) {
      result = PackResult::TooLarge;
      break;
    }
    last = got == 0;
    z.next_in = input.data();
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      const std::size_t produced = output.size() - z.avail_out;
      if (produced > 0 && !sink(output.data(), produced)) {
        result = PackResult::WriteFailed;
        break;
      }
      packedSize += produced;
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  // a file that changed its length while it was read was not read whole
  if (result == PackResult::Packed && read != in.Size()) result = PackResult::Unreadable;
  return result;
}

template <class Path>
PackResult PackInto(const Path& source, const Path& target, std::uint64_t& packedSize) {
  platform::OutputFile out;
  if (!out.Create(target)) return PackResult::WriteFailed;
  const auto write = [&out](const unsigned char* data, std::size_t size) {
    return out.Write(data, size) == size && !out.Failed();
  };
  PackResult result = Pack(source, write, packedSize);
  if (!out.Close() && result == PackResult::Packed) result = PackResult::WriteFailed;
  if (result != PackResult::Packed) platform::RemoveFile(target);
  return result;
}

}  // namespace

PackResult GzipFile(const std::string& source, const std::string& target, std::uint64_t& packedSize) {
  return PackInto(source, target, packedSize);
}

PackResult GzipFile(const std::u16string& source, const std::u16string& target, std::uint64_t& packedSize) {
  return PackInto(source, target, packedSize);
}

PackResult Gzip(const std::string& source, const Unpacker::Sink& sink) {
  std::uint64_t packedSize = 0;
  return Pack(source, sink, packedSize);
}

PackResult Gzip(const std::u16string& source, const Unpacker::Sink& sink) {
  std::uint64_t packedSize = 0;
  return Pack(source, sink, packedSize);
}

struct Unpacker::Stream {
  enum class Phase {
    MemberStart,  // the next bytes should begin a member
    InMember,
    Trailing,  // bytes after the last member, ignored
  };
  z_stream z{};
  bool ready = false;
  Phase phase = Phase::MemberStart;
  int members = 0;
  unsigned char magic[2] = {};
  std::size_t magicHave = 0;
  std::vector<unsigned char> output = std::vector<unsigned char>(kBlock);
};

Unpacker::Unpacker(std::uint64_t limit) : stream_(std::make_unique<Stream>()), limit_(limit) {
  stream_->ready = inflateInit2(&stream_->z, kGzipWindowBits) == Z_OK;
  if (!stream_->ready) failure_ = UnpackResult::Corrupt;
}

Unpacker::~Unpacker() {
  if (stream_->ready) inflateEnd(&stream_->z);
}

bool Unpacker::Feed(const unsigned char* data, std::size_t size, const Sink& sink) {
  Stream& s = *stream_;
  // inflates from `in` until it is used up or the member ends; false on a failure
  auto inflateSome = [&](const unsigned char* in, std::size_t n, std::size_t& used) {
    s.z.next_in = const_cast<unsigned char*>(in);
    s.z.avail_in = static_cast<uInt>(n);
    for (;;) {
      s.z.next_out = s.output.data();
      s.z.avail_out = static_cast<uInt>(s.output.size());
      const int status = inflate(&s.z, Z_NO_FLUSH);
      const std::size_t produced = s.output.size() - s.z.avail_out;
      if (produced > 0) {
        unpacked_ += produced;
        if (unpacked_ > limit_) {
          failure_ = UnpackResult::TooLarge;
          return false;
        }
        if (!sink(s.output.data(), produced)) {
          failure_ = UnpackResult::Stopped;
          return false;
        }
      }
      if (status == Z_STREAM_END) {
        ++s.members;
        s.phase = Stream::Phase::MemberStart;
        break;
      }
      // no progress is possible only once the input is used up
      if ((status != Z_OK && status != Z_BUF_ERROR) || (status == Z_BUF_ERROR && s.z.avail_in != 0)) {
        failure_ = UnpackResult::Corrupt;
        return false;
      }
      if (s.z.avail_in == 0 && s.z.avail_out != 0) break;
    }
    used = n - s.z.avail_in;
    return true;
  };

  if (failure_ != UnpackResult::Whole) return false;
  std::size_t pos = 0;
  while (pos < size && s.phase != Stream::Phase::Trailing) {
    std::size_t used = 0;
    if (s.phase == Stream::Phase::InMember) {
      if (!inflateSome(data + pos, size - pos, used)) return false;
      pos += used;
      continue;
    }
    // the magic may arrive split over two pieces
    while (s.magicHave < 2 && pos < size) s.magic[s.magicHave++] = data[pos++];
    if (s.magicHave < 2) break;
    s.magicHave = 0;
    if (!HasGzipMagic(s.magic, 2)) {
      // as the usual readers do, what follows a complete member without a magic is ignored
      if (s.members == 0) {
        failure_ = UnpackResult::Corrupt;
        return false;
      }
      s.phase = Stream::Phase::Trailing;
      break;
    }
    inflateReset(&s.z);
    s.phase = Stream::Phase::InMember;
    if (!inflateSome(s.magic, 2, used)) return false;
  }
  return true;
}

UnpackResult Unpacker::Finish() {
  if (failure_ != UnpackResult::Whole) return failure_;
  const Stream& s = *stream_;
  if (s.phase == Stream::Phase::InMember || s.members == 0) failure_ = UnpackResult::Corrupt;
  return failure_;
}

namespace {

template <class Path>
UnpackResult Unpack(const Path& path, bool gzip, const Unpacker::Sink& sink) {
  platform::InputFile in;
  if (!in.Open(path)) return UnpackResult::Corrupt;
  return UnpackFile(in, gzip, sink);
}

}  // namespace

UnpackResult UnpackFile(platform::InputFile& in, bool gzip, const Unpacker::Sink& sink) {
  Unpacker unpacker;
  std::vector<unsigned char> block(kBlock);
  for (;;) {
    const std::size_t got = in.Read(block.data(), block.size());
    if (in.Failed()) return UnpackResult::Corrupt;
    if (got == 0) break;
    if (gzip) {
      if (!unpacker.Feed(block.data(), got, sink)) break;
    } else if (!sink(block.data(), got)) {
      return UnpackResult::Stopped;
    }
  }
  return gzip ? unpacker.Finish() : UnpackResult::Whole;
}

UnpackResult UnpackFile(const std::string& path, bool gzip, const Unpacker::Sink& sink) {
  return Unpack(path, gzip, sink);
}

UnpackResult UnpackFile(const std::u16string& path, bool gzip, const Unpacker::Sink& sink) {
  return Unpack(path, gzip, sink);
}

}  // namespace relocation
