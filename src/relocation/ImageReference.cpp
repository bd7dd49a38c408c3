#include "relocation/ImageReference.h"

namespace relocation {

ImageReference ParseImageReference(const jww::JwwString& s) {
  ImageReference r;
  if (!s.IsSjis()) return r;
  const std::string& t = s.bytes;
  if (t.compare(0, 10, "^@BM%temp%") == 0) {
    r.kind = ReferenceKind::Embedded;
    return r;
  }
  if (t.compare(0, 4, "_@BM") == 0) {
    r.kind = ReferenceKind::Disabled;
    return r;
  }
  if (t.compare(0, 4, "^@BM") != 0) return r;
  // 0x2C is never the second byte of a double-byte character
  const std::size_t comma = t.find(',');
  if (comma == std::string::npos || comma == 4) return r;
  r.kind = ReferenceKind::Image;
  r.path = t.substr(4, comma - 4);
  r.tail = t.substr(comma);
  return r;
}

}  // namespace relocation
