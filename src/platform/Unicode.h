// UTF-8 and UTF-16 conversions shared by the platform implementations (internal).
#pragma once

#include <string>

namespace platform::unicode {

// UTF-8 to UTF-16; false on a malformed, overlong or surrogate sequence.
bool Utf8ToUtf16(const std::string& utf8, std::u16string& units);
// True when the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& bytes);
// The bytes with every byte that does not belong to a well-formed UTF-8 sequence replaced
// by U+FFFD.
std::string ValidUtf8(const std::string& bytes);
// UTF-16 to UTF-8; false on an unpaired surrogate.
bool Utf16ToUtf8(const std::u16string& units, std::string& utf8);
// A name with no Shift-JIS form, for showing: as UTF-8, each byte that is not UTF-8 shown
// as <0xXX>; as Shift-JIS, besides, each character with no form there (and a backslash,
// which would read as a separator) shown as <U+XXXX>.
void NameForShowing(const std::string& bytes, std::string& utf8, std::string& sjis);

}  // namespace platform::unicode
