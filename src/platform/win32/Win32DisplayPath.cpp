#include <windows.h>

#include <string>

#include "platform/Platform.h"
#include "platform/win32/Win32Text.h"

namespace platform {
namespace {

// The whole path (a path from the root of the current drive gets its letter) in the
// long form of its names; the path as given when the system cannot tell.
std::string Existing(const std::wstring& wide, const std::string& shown) {
  std::wstring full(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return shown;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.assign(n, L'\0');
  }
  std::wstring longName(full.size() + MAX_PATH, L'\0');
  const DWORD n = GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
  if (n > 0 && n < longName.size()) full.assign(longName.data(), n);
  return Utf16ToUtf8ForDisplay(std::u16string(full.begin(), full.end()));
}

}  // namespace

std::string ExistingPathForDisplay(const PathRef& path) {
  const std::wstring wide = path.HeldAsUnits() ? path.Visit([](const auto& p) { return std::wstring(p.begin(), p.end()); })
                                               : win32::ToWide(path.Sjis());
  return Existing(wide, NativePathForDisplay(path));
}

}  // namespace platform
