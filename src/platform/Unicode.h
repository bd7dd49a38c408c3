// UTF-8 and UTF-16 conversions shared by the platform implementations (internal).
#pragma once

#include <string>

namespace platform::unicode {

// UTF-8 to UTF-16; false on a malformed, overlong or surrogate sequence.
bool Utf8ToUtf16(const std::string& utf8, std::u16string& units);
// UTF-16 to UTF-8; false on an unpaired surrogate.
bool Utf16ToUtf8(const std::u16string& units, std::string& utf8);

}  // namespace platform::unicode
