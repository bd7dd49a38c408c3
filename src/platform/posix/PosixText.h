// Shift-JIS (code page 932) to and from UTF-8 through iconv (internal).
#pragma once

#include <string>

namespace platform::posix {

// Shift-JIS to UTF-8; false on a byte sequence with no Unicode form.
bool Cp932ToUtf8(const std::string& sjis, std::string& utf8);
// UTF-8 to Shift-JIS, only when every character has an exact CP932 form.
bool Utf8ToCp932(const std::string& utf8, std::string& sjis);

}  // namespace platform::posix
