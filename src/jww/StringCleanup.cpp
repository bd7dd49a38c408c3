#include "jww/StringCleanup.h"

#include "jww/ArchiveWriter.h"
#include "text/ShiftJis.h"

namespace jww {

namespace {

std::uint16_t UnitAt(const std::string& bytes, std::size_t i) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
}

}  // namespace

JwwString CleanForWrite(const JwwString& s) {
  if (s.IsSjis()) {
    std::string cleaned = text::CleanJwwText(s.bytes);
    if (cleaned.empty()) cleaned.push_back(' ');
    return JwwString(std::move(cleaned), s.form);
  }
  const std::size_t units = s.bytes.size() / 2;
  std::string kept;
  kept.reserve(s.bytes.size());
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t u = UnitAt(s.bytes, i);
    if (u == '^' && i + 1 < units && UnitAt(s.bytes, i + 1) == 'm') {
      ++i;
      continue;
    }
    if (u < 0x20) continue;
    kept.append(s.bytes, 2 * i, 2);
  }
  if (kept.empty()) kept = std::string(" \0", 2);
  return JwwString(std::move(kept), StringForm::Utf16);
}

void WriteCleanString(ArchiveWriter& ar, const JwwString& s) {
  if (s.IsSjis() && text::IsCleanJwwText(s.bytes)) {
    ar.WriteString(s);
  } else {
    ar.WriteString(CleanForWrite(s));
  }
}

bool IsBlank(const JwwString& s) {
  if (s.IsSjis()) return text::RemoveBlanks(s.bytes).empty();
  for (std::size_t i = 0; i < s.bytes.size() / 2; ++i) {
    const std::uint16_t u = UnitAt(s.bytes, i);
    if (u >= 0x20 && u != 0x3000) return false;
  }
  return true;
}

}  // namespace jww
