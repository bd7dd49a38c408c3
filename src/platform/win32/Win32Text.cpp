#include "platform/win32/Win32Text.h"

#include <windows.h>

#include "platform/Platform.h"
#include "platform/Wide.h"
#include "platform/Unicode.h"

namespace platform::win32 {

namespace {

constexpr UINT kShiftJis = 932;

}  // namespace

bool ToWideStrict(const std::string& sjis, std::wstring& wide) {
  wide.clear();
  if (sjis.empty()) return true;
  const int size = static_cast<int>(sjis.size());
  const int length = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), size, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(static_cast<std::size_t>(length));
  if (MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), size, wide.data(), length) != length) {
    wide.clear();
    return false;
  }
  return true;
}

std::wstring ToWide(const std::string& sjis) {
  std::wstring wide;
  if (ToWideStrict(sjis, wide)) return wide;
  std::u16string units;
  unicode::Utf8ToUtf16(ToUtf8(sjis), units);
  return std::wstring(units.begin(), units.end());
}

bool FromWide(const std::wstring& wide, std::string& sjis) {
  sjis.clear();
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int length =
      WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  sjis.resize(static_cast<std::size_t>(length));
  if (WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size, sjis.data(), length, nullptr,
                          &usedDefault) != length ||
      usedDefault) {
    sjis.clear();
    return false;
  }
  // no best fit: the bytes must give back the very same units
  std::wstring back;
  if (!ToWideStrict(sjis, back) || back != wide) {
    sjis.clear();
    return false;
  }
  return true;
}

}  // namespace platform::win32

namespace platform {

bool Cp932ToUtf16(const std::string& sjis, std::u16string& units) {
  std::wstring wide;
  const bool ok = win32::ToWideStrict(sjis, wide);
  units.assign(wide.begin(), wide.end());
  return ok;
}

bool Utf16ToCp932(const std::u16string& units, std::string& sjis) {
  return win32::FromWide(std::wstring(units.begin(), units.end()), sjis);
}

std::string NativePathForDisplay(const PathRef& path) {
  return path.HeldAsUnits() ? Utf16ToUtf8ForDisplay(path.Units()) : ToUtf8(path.Sjis());
}


std::wstring ToWide(const std::string& sjis) { return win32::ToWide(sjis); }

bool FromWide(const std::wstring& wide, std::string& sjis) { return win32::FromWide(wide, sjis); }

}  // namespace platform
