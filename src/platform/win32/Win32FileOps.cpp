#include "platform/win32/Win32FileOps.h"

namespace platform::win32 {

HANDLE OsOpen(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool OsRead(HANDLE file, void* buffer, DWORD n, DWORD& got) {
  got = 0;
  return ReadFile(file, buffer, n, &got, nullptr) != FALSE;
}

bool OsWrite(HANDLE file, const void* buffer, DWORD n, DWORD& put) {
  put = 0;
  return WriteFile(file, buffer, n, &put, nullptr) != FALSE;
}

bool OsFlush(HANDLE file) { return file != INVALID_HANDLE_VALUE; }

bool OsClose(HANDLE file) { return CloseHandle(file) != FALSE; }

bool OsRename(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool OsDelete(const std::wstring& path, bool folder) {
  return (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) != FALSE;
}

}  // namespace platform::win32
