#include "jww/ArchiveReader.h"

#include <algorithm>
#include <string>

#include "text/ShiftJis.h"

namespace jww {
namespace {

// Longest class name a tag may carry.
constexpr std::uint16_t kMaxClassName = 2048;

}  // namespace

ArchiveReader::ArchiveReader(ByteSource& source) : source_(source), size_(source.Size()) {
  if (const unsigned char* data = source.Contiguous()) {
    // bytes in memory are read in place
    next_ = data;
    end_ = data + size_;
    inPlace_ = true;
  } else {
    buffer_.reset(new unsigned char[kArchiveBufferSize]);
  }
}

bool ArchiveReader::Refill() {
  if (failed_ || inPlace_ || source_.Failed()) return false;
  const std::size_t got = source_.Read(buffer_.get(), kArchiveBufferSize);
  next_ = buffer_.get();
  end_ = next_ + got;
  return got > 0;
}

void ArchiveReader::Fail(const std::string& why, std::uint64_t at) {
  failed_ = true;
  next_ = end_;
  if (!firstFailure_) firstFailure_.emplace(why, at);
  throw ArchiveError(why, at);
}

void ArchiveReader::FailShort() {
  if (!failed_ && source_.Failed()) Fail("the file cannot be read", position_);
  Fail(std::string("the file ends inside ") + part_, position_);
}

void ArchiveReader::ReadBytes(void* out, std::size_t n) {
  auto* dest = static_cast<unsigned char*>(out);
  while (n > 0) {
    if (next_ == end_ && !Refill()) FailShort();
    const std::size_t take = std::min(n, static_cast<std::size_t>(end_ - next_));
    std::memcpy(dest, next_, take);
    dest += take;
    next_ += take;
    position_ += take;
    n -= take;
  }
}

void ArchiveReader::Skip(std::uint64_t n) {
  while (n > 0) {
    if (next_ == end_ && !Refill()) FailShort();
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, static_cast<std::uint64_t>(end_ - next_)));
    next_ += take;
    position_ += take;
    n -= take;
  }
}

void ArchiveReader::CheckFits(std::uint64_t count, std::uint64_t minBytes, std::string_view what, std::uint64_t at) {
  if (minBytes > 0 && count > Remaining() / minBytes) {
    Fail(std::string(what) + " " + std::to_string(count) + " cannot fit in the " + std::to_string(Remaining()) +
             " bytes left",
         at);
  }
}

std::uint32_t ArchiveReader::ReadStringLength(std::uint8_t first) {
  if (first < 0xFF) return first;
  const std::uint16_t word = ReadU16();
  if (word < 0xFFFF) return word;
  return ReadU32();
}

JwwString ArchiveReader::ReadString() {
  const std::uint64_t at = position_;
  std::uint8_t first = ReadU8();
  bool unicode = false;
  std::uint32_t length = 0;
  if (first < 0xFF) {
    length = first;
  } else {
    const std::uint16_t word = ReadU16();
    if (word == 0xFFFE) {
      // the Unicode marker: the length follows again, counted in UTF-16 units
      unicode = true;
      length = ReadStringLength(ReadU8());
    } else if (word < 0xFFFF) {
      length = word;
    } else {
      length = ReadU32();
    }
  }
  if (!unicode) {
    CheckFits(length, 1, "string length", at);
    std::string bytes(length, '\0');
    ReadBytes(bytes.data(), length);
    return JwwString(std::move(bytes), StringForm::Ansi);
  }
  CheckFits(length, 2, "string length", at);
  std::string raw(static_cast<std::size_t>(length) * 2, '\0');
  ReadBytes(raw.data(), raw.size());
  return StringOfUnits(UnitsOf(raw));
}

JwwString ArchiveReader::ReadCleanString() {
  JwwString s = ReadString();
  if (s.IsSjis()) {
    if (!text::HasNoControlChars(s.bytes)) s.bytes = text::RemoveControlChars(s.bytes);
    return s;
  }
  s.bytes = BytesOf(WithoutControlUnits(s.Units()));
  return s;
}

std::uint32_t ArchiveReader::ReadCount() {
  const std::uint16_t word = ReadU16();
  // the count escapes to a dword at 0xFFFF
  if (word != 0xFFFF) return word;
  return ReadU32();
}

void ArchiveReader::ResetClasses() {
  classIndex_.fill(0);
  mapCounter_ = 1;
}

int ArchiveReader::ReadClassTag(bool blockDefinitionList) {
  const std::uint64_t at = position_;
  const std::uint16_t tag = ReadU16();
  if (tag == 0xFFFF) {
    ReadU16();  // schema number
    const std::uint16_t nameLength = ReadU16();
    if (nameLength > kMaxClassName) Fail("class name of " + std::to_string(nameLength) + " bytes is too long", at);
    std::string name(nameLength, '\0');
    ReadBytes(name.data(), nameLength);
    int classNo = kNoClass;
    if (blockDefinitionList) {
      classNo = kBlockDefClass;
    } else {
      for (int c = kLineClass; c <= kBlockClass; ++c) {
        if (name == kClassNames[c]) classNo = c;
      }
    }
    if (classNo != kNoClass) classIndex_[classNo] = mapCounter_;
    ++mapCounter_;
    return classNo;
  }
  std::uint32_t index = 0;
  if (tag == 0x7FFF) {
    index = ReadU32() & 0x7FFFFFFFu;
  } else if (tag >= 0x8000) {
    index = tag - 0x8000u;
  } else {
    return kNoClass;
  }
  if (index == 0) return kNoClass;
  const int last = blockDefinitionList ? kBlockDefClass : kBlockClass;
  for (int c = kLineClass; c <= last; ++c) {
    if (classIndex_[c] == index) return c;
  }
  return kNoClass;
}

}  // namespace jww
