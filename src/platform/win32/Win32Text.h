// Shift-JIS (code page 932) to and from UTF-16 for the wide Win32 calls.
#pragma once

#include <string>

namespace platform::win32 {

// Shift-JIS bytes as UTF-16, for showing; a byte sequence with no Unicode form becomes
// U+FFFD.
std::wstring ToWide(const std::string& sjis);
// UTF-16 to Shift-JIS, only when every character has an exact CP932 form.
bool FromWide(const std::wstring& wide, std::string& sjis);
// Shift-JIS to UTF-16; false on a byte sequence with no Unicode form.
bool ToWideStrict(const std::string& sjis, std::wstring& wide);

}  // namespace platform::win32
