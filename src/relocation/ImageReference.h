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

// A reference in the form of its text: Shift-JIS bytes (std::string) or, for a text with
// no Shift-JIS form, UTF-16 units (std::u16string).
template <class Text>
struct BasicImageReference {
  ReferenceKind kind = ReferenceKind::None;
  Text path;  // from the fifth character up to the first ","
  Text tail;  // from that "," to the end
};
using ImageReference = BasicImageReference<std::string>;
using Utf16ImageReference = BasicImageReference<std::u16string>;

// Classifies a text string. A "^@BM" string without "," or with an empty path is not
// a reference.
ImageReference ParseImageReference(const std::string& sjis);
Utf16ImageReference ParseImageReference(const std::u16string& units);

// Calls f with the reference read from a drawing's string in the form it is held in.
template <class F>
decltype(auto) WithImageReference(const jww::JwwString& s, F&& f) {
  return s.IsSjis() ? f(ParseImageReference(s.bytes)) : f(ParseImageReference(s.Units()));
}

}  // namespace relocation
