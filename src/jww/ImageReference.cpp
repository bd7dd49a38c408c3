#include "jww/ImageReference.h"

#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace jww {
namespace {

constexpr std::size_t kMaxPlacementValues = 8;

template <class Text>
bool BeginsWith(const Text& t, std::string_view prefix) {
  return t.compare(0, prefix.size(), text::Ascii<Text>(prefix)) == 0;
}

template <class Text>
BasicImageReference<Text> Parse(const Text& t) {
  BasicImageReference<Text> r;
  for (const ReferenceKind kind : {ReferenceKind::Embedded, ReferenceKind::Disabled, ReferenceKind::Image}) {
    const std::string prefix = ReferencePrefix(kind);
    if (!BeginsWith(t, prefix)) continue;
    // 0x2C is never the second byte of a double-byte character
    const std::size_t comma = t.find(',');
    if (kind == ReferenceKind::Image && (comma == Text::npos || comma == prefix.size())) return r;
    r.kind = kind;
    if (comma != Text::npos && comma >= prefix.size()) {
      r.path = t.substr(prefix.size(), comma - prefix.size());
      r.tail = t.substr(comma);
    }
    return r;
  }
  return r;
}

template <class Text>
std::vector<double> Values(const Text& tail) {
  std::vector<double> values;
  std::size_t at = 0;
  while (at < tail.size() && values.size() < kMaxPlacementValues) {
    const std::size_t next = tail.find(',', at + 1);
    const std::size_t end = next == Text::npos ? tail.size() : next;
    // the values are ASCII; anything else makes the field no number
    std::string field;
    for (std::size_t i = at + 1; i < end; ++i) {
      const auto c = static_cast<std::uint32_t>(tail[i]);
      field += c < 0x80 ? static_cast<char>(c) : '?';
    }
    values.push_back(text::TextToFloat(text::RemoveBlanks(field)));
    if (next == Text::npos) break;
    at = next;
  }
  return values;
}

}  // namespace

ImageReference ParseImageReference(const std::string& sjis) { return Parse(sjis); }

Utf16ImageReference ParseImageReference(const std::u16string& units) { return Parse(units); }

std::string ReferencePrefix(ReferenceKind kind) {
  switch (kind) {
    case ReferenceKind::Embedded:
      return "^@BM%temp%";
    case ReferenceKind::Image:
      return "^@BM";
    case ReferenceKind::Disabled:
      return "_@BM";
    case ReferenceKind::None:
      break;
  }
  return "";
}

std::string ReferenceText(ReferenceKind kind, const std::string& path, const std::string& tail) {
  return ReferencePrefix(kind) + path + tail;
}

std::u16string ReferenceText(ReferenceKind kind, const std::u16string& path, const std::u16string& tail) {
  return text::Ascii<std::u16string>(ReferencePrefix(kind)) + path + tail;
}

std::vector<double> PlacementValues(const std::string& tail) { return Values(tail); }

std::vector<double> PlacementValues(const std::u16string& tail) { return Values(tail); }

}  // namespace jww
