// Image-reference strings: a text "^@BM" + image path + "," + placement values.
#pragma once

#include <string>

#include "jww/JwwString.h"

namespace relocation {

enum class ReferenceKind {
  None,      // not an image reference
  Embedded,  // "^@BM%temp%...": an image stored inside the drawing
  Image,     // "^@BM" + path + tail: an image file
  Disabled,  // "_@BM...": a reference switched off
};

struct ImageReference {
  ReferenceKind kind = ReferenceKind::None;
  std::string path;  // Shift-JIS; bytes 5 up to the first ","
  std::string tail;  // from that "," to the end
};

// Classifies a text string. A "^@BM" string without "," or with an empty path is not
// a reference; neither is a string with no Shift-JIS form.
ImageReference ParseImageReference(const jww::JwwString& s);

}  // namespace relocation
