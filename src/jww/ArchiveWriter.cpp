#include "jww/ArchiveWriter.h"

#include <cstring>
#include <string>

#include "platform/Platform.h"

namespace jww {
ArchiveWriter::ArchiveWriter(ByteSink& sink) : sink_(sink), buffer_(new unsigned char[kArchiveBufferSize]) {}

ArchiveWriter::~ArchiveWriter() = default;

void ArchiveWriter::WriteBytes(const void* data, std::size_t n) {
  if (n == 0) return;
  const auto* p = static_cast<const unsigned char*>(data);
  if (n >= kArchiveBufferSize) {
    Flush();
    if (!sink_.Write(p, n)) throw ArchiveError("write failed");
    return;
  }
  if (used_ + n > kArchiveBufferSize) Flush();
  std::memcpy(buffer_.get() + used_, p, n);
  used_ += n;
}

void ArchiveWriter::Flush() {
  if (used_ == 0) return;
  const std::size_t n = used_;
  used_ = 0;
  if (!sink_.Write(buffer_.get(), n)) throw ArchiveError("write failed");
}

void ArchiveWriter::WriteStringLength(std::uint32_t length) {
  if (length < 0xFF) {
    WriteU8(static_cast<std::uint8_t>(length));
  } else if (length < 0xFFFE) {
    WriteU8(0xFF);
    WriteU16(static_cast<std::uint16_t>(length));
  } else {
    // from 0xFFFE on the word would read as the Unicode marker: use the dword form
    WriteU8(0xFF);
    WriteU16(0xFFFF);
    WriteU32(length);
  }
}

void ArchiveWriter::WriteString(const JwwString& s) {
  if (s.form == StringForm::Ansi) {
    WriteStringLength(static_cast<std::uint32_t>(s.bytes.size()));
    WriteBytes(s.bytes.data(), s.bytes.size());
    return;
  }
  std::string raw;
  if (s.form == StringForm::Utf16) {
    raw = s.bytes;
  } else {
    std::u16string units;
    if (!platform::Cp932ToUtf16(s.bytes, units)) {
      // bytes that no longer decode are written as they are
      WriteString(JwwString(s.bytes, StringForm::Ansi));
      return;
    }
    raw = BytesOf(units);
  }
  // the Unicode marker, then the length in UTF-16 units
  WriteU8(0xFF);
  WriteU16(0xFFFE);
  WriteStringLength(static_cast<std::uint32_t>(raw.size() / 2));
  WriteBytes(raw.data(), raw.size());
}

void ArchiveWriter::WriteCount(std::uint32_t n) {
  if (n < 0xFFFF) {
    WriteU16(static_cast<std::uint16_t>(n));
  } else {
    WriteU16(0xFFFF);
    WriteU32(n);
  }
}

void ArchiveWriter::ResetClasses() {
  classIndex_.fill(0);
  mapCounter_ = 1;
}

void ArchiveWriter::WriteClassTag(int classNo, std::uint32_t version) {
  if (classIndex_[classNo] == 0) {
    WriteNewClass(kClassNames[classNo], version);
    classIndex_[classNo] = mapCounter_ - 1;
  } else {
    WriteClassRef(classIndex_[classNo]);
  }
}

void ArchiveWriter::WriteNewClass(std::string_view name, std::uint32_t version) {
  WriteU16(0xFFFF);
  WriteU16(static_cast<std::uint16_t>(version & 0xFFFF));
  WriteU16(static_cast<std::uint16_t>(name.size()));
  WriteBytes(name.data(), name.size());
  ++mapCounter_;
}

void ArchiveWriter::WriteClassRef(std::uint32_t classIndex) {
  if (classIndex < 0x7FFF) {
    WriteU16(static_cast<std::uint16_t>(0x8000 + classIndex));
  } else {
    WriteU16(0x7FFF);
    WriteU32(0x80000000u + classIndex);
  }
}

}  // namespace jww
