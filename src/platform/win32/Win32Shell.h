// What the Windows shell services offer the window program beyond platform::Shell.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// Tells the user, in a message box, that a file name has no Shift-JIS form and so is not taken.
void ShowUnrepresentableName(HWND owner, const std::wstring& name);

}  // namespace platform::win32
