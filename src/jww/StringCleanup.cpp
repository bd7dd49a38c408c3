#include "jww/StringCleanup.h"

#include "jww/ArchiveWriter.h"
#include "text/ShiftJis.h"

namespace jww {

JwwString CleanForWrite(const JwwString& s) {
  if (s.IsSjis()) {
    std::string cleaned = text::CleanJwwText(s.bytes);
    if (cleaned.empty()) cleaned.push_back(' ');
    return JwwString(std::move(cleaned), s.form);
  }
  const std::u16string units = s.Units();
  std::u16string kept;
  kept.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i] == u'^' && i + 1 < units.size() && units[i + 1] == u'm') {
      ++i;
      continue;
    }
    if (!IsControlUnit(units[i])) kept.push_back(units[i]);
  }
  if (kept.empty()) kept.push_back(u' ');
  return JwwString(BytesOf(kept), StringForm::Utf16);
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
  for (const char16_t u : s.Units()) {
    if (!IsControlUnit(u) && u != u'\u3000') return false;
  }
  return true;
}

}  // namespace jww
