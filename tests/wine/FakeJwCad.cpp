// Stands in for the drafting program in the external-transform test: writes its command
// line and working folder, UTF-8, one per line, into started.txt beside itself, and ends.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring record(self, length);
  record = record.substr(0, record.find_last_of(L'\\') + 1) + L"started.txt";
  wchar_t folder[MAX_PATH];
  const DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);
  const std::string text = Utf8(GetCommandLineW()) + "\n" + Utf8(std::wstring(folder, folderLength)) + "\n";
  const HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
