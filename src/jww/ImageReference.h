// Image-reference texts, read and written here only: "^@BM" + an image file's path, "^@BM%temp%"
// + the name of an image stored in the drawing, or "_@BM" + a path for a reference switched
// off; each followed by "," and the placement values (the tail).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "jww/JwwString.h"

namespace jww {

enum class ReferenceKind {
  None,      // not an image reference
  Embedded,  // "^@BM%temp%" + name + tail: an image stored inside the drawing
  Image,     // "^@BM" + path + tail: an image file
  Disabled,  // "_@BM" + path + tail: a reference switched off
};

// A reference in the form of its text: Shift-JIS bytes (std::string) or, for a text with
// no Shift-JIS form, UTF-16 units (std::u16string).
template <class Text>
struct BasicImageReference {
  ReferenceKind kind = ReferenceKind::None;
  Text path;  // after the kind's prefix up to the first "," (Embedded: the stored name)
  Text tail;  // from that "," to the end; "" when the text has none
};
using ImageReference = BasicImageReference<std::string>;
using Utf16ImageReference = BasicImageReference<std::u16string>;

// Classifies a text string. A "^@BM" string without "," or with an empty path is not
// a reference; "^@BM%temp%" and "_@BM" strings are of their kind whatever follows.
ImageReference ParseImageReference(const std::string& sjis);
Utf16ImageReference ParseImageReference(const std::u16string& units);

// Calls f with the reference read from a drawing's string in the form it is held in.
template <class F>
decltype(auto) WithImageReference(const JwwString& s, F&& f) {
  return s.IsSjis() ? f(ParseImageReference(s.bytes)) : f(ParseImageReference(s.Units()));
}

// The prefix a reference of the kind begins with ("" for None).
std::string ReferencePrefix(ReferenceKind kind);
// The text of a reference: the kind's prefix, the path (or stored name) and the tail.
std::string ReferenceText(ReferenceKind kind, const std::string& path, const std::string& tail);
std::u16string ReferenceText(ReferenceKind kind, const std::u16string& path, const std::u16string& tail);

// The numbers of a tail ",width,height,x,y,scale,angle,...", at most eight; a field that is
// no number reads as 0.
std::vector<double> PlacementValues(const std::string& tail);
std::vector<double> PlacementValues(const std::u16string& tail);

}  // namespace jww
