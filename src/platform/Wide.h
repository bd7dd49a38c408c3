// Text for the wide (UTF-16) calls of the window program, which talks to Windows itself;
// served on Windows only.
#pragma once

#include <string>

namespace platform {

// Shift-JIS bytes as UTF-16, for showing; a byte sequence with no Unicode form becomes
// U+FFFD.
std::wstring ToWide(const std::string& sjis);
// UTF-16 to Shift-JIS, only when every character has an exact CP932 form.
bool FromWide(const std::wstring& wide, std::string& sjis);
// Tells the user, in a message box owned by the window (an HWND), that a file name has no
// Shift-JIS form and so is not taken.
void ShowUnrepresentableName(void* owner, const std::wstring& name);

}  // namespace platform
