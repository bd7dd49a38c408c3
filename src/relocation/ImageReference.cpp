#include "relocation/ImageReference.h"

#include "text/Utf16Path.h"

namespace relocation {
namespace {

template <class Text>
BasicImageReference<Text> Parse(const Text& t) {
  BasicImageReference<Text> r;
  if (t.compare(0, 10, text::Ascii<Text>("^@BM%temp%")) == 0) {
    r.kind = ReferenceKind::Embedded;
    return r;
  }
  if (t.compare(0, 4, text::Ascii<Text>("_@BM")) == 0) {
    r.kind = ReferenceKind::Disabled;
    return r;
  }
  if (t.compare(0, 4, text::Ascii<Text>("^@BM")) != 0) return r;
  // 0x2C is never the second byte of a double-byte character
  const std::size_t comma = t.find(',');
  if (comma == Text::npos || comma == 4) return r;
  r.kind = ReferenceKind::Image;
  r.path = t.substr(4, comma - 4);
  r.tail = t.substr(comma);
  return r;
}

}  // namespace

ImageReference ParseImageReference(const std::string& sjis) { return Parse(sjis); }

Utf16ImageReference ParseImageReference(const std::u16string& units) { return Parse(units); }

}  // namespace relocation
