// Path helpers for paths held as UTF-16 units (names with no Shift-JIS form), in the
// Windows form the Shift-JIS helpers take; each unit stands for itself, so a separator
// is never part of another character.
#pragma once

#include <string>
#include <string_view>

namespace text {

// ASCII text as a string of either kind (Shift-JIS bytes or UTF-16 units).
template <class Text>
Text Ascii(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

// Upper-cases ASCII a-z only.
std::u16string UpperCase(const std::u16string& s);
// Units in the character starting at s[i]: two for a surrogate pair.
inline std::size_t CharLength(const std::u16string& s, std::size_t i) {
  return s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() ? 2 : 1;
}
// Position of the last '\', '/' or ':'; npos when there is none.
std::size_t LastSeparator(const std::u16string& path);
// The folder part of a path, with its trailing separator (empty when there is none).
std::u16string ExtractFilePath(const std::u16string& path);
// The file-name part of a path (what follows the last separator).
std::u16string ExtractFileName(const std::u16string& path);
// The extension of the file name, from its last "." on, dot included (empty when none).
std::u16string ExtractFileExt(const std::u16string& path);
// True for a path that starts from a root: "\" or "/" first, or ":" second.
bool IsAbsolutePath(const std::u16string& path);
// True for a file name that Windows takes for a device (as IsDeviceName of ShiftJis.h).
bool IsDeviceName(const std::u16string& name);

}  // namespace text
