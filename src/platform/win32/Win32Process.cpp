#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/win32/Win32Text.h"
#include "text/ShiftJis.h"

namespace platform {

namespace {

// A path from the system in the internal form; when a name in it has no CP932 form,
// its short (8.3) form, which is plain ASCII. "" when neither serves.
std::string InternalPath(const std::wstring& wide) {
  std::string sjis;
  if (win32::FromWide(wide, sjis)) return sjis;
  const DWORD length = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (length == 0) return "";
  std::wstring shortForm(length, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), shortForm.data(), length);
  if (written == 0 || written >= length) return "";
  shortForm.resize(written);
  return win32::FromWide(shortForm, sjis) ? sjis : "";
}

std::string InternalFolder(const std::wstring& wide) {
  std::string folder = InternalPath(wide);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// UTF-8 to a console through the wide API, anywhere else as the bytes themselves.
void WriteTo(DWORD which, const std::string& utf8) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE || utf8.empty()) return;
  DWORD mode;
  if (GetConsoleMode(out, &mode)) {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (length <= 0) return;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    std::size_t done = 0;
    while (done < wide.size()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
      if (!WriteConsoleW(out, wide.data() + done, chunk, &written, nullptr) || written == 0) return;
      done += written;
    }
  } else {
    std::size_t done = 0;
    while (done < utf8.size()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(utf8.size() - done, 1u << 20));
      if (!WriteFile(out, utf8.data() + done, chunk, &written, nullptr) || written == 0) return;
      done += written;
    }
  }
}

}  // namespace

bool IsFullPath(const std::string& path) { return text::IsAbsolutePath(path); }

std::string ProgramFilePath() {
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (length == 0) return "";
    if (length < wide.size()) {
      wide.resize(length);
      break;
    }
    wide.resize(wide.size() * 2);
  }
  return InternalPath(wide);
}

std::string CurrentFolder() {
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return "";
  std::wstring wide(length, L'\0');
  const DWORD written = GetCurrentDirectoryW(length, wide.data());
  if (written == 0 || written >= length) return "";
  wide.resize(written);
  return InternalFolder(wide);
}

std::string UserTempFolder() {
  std::wstring wide(MAX_PATH + 1, L'\0');
  const DWORD length = GetTempPathW(static_cast<DWORD>(wide.size()), wide.data());
  if (length == 0 || length >= wide.size()) return "";
  wide.resize(length);
  return InternalFolder(wide);
}

std::vector<Argument> ProgramArguments(int, char**) {
  std::vector<Argument> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 1; i < count; ++i) {
    Argument argument;
    argument.display = Utf8(words[i]);
    argument.representable = win32::FromWide(words[i], argument.sjis);
    arguments.push_back(std::move(argument));
  }
  LocalFree(words);
  return arguments;
}

void WriteStdout(const std::string& utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8); }

void WriteStderr(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, utf8); }

}  // namespace platform
