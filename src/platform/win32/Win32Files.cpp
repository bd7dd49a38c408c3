#include <windows.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/win32/Win32FileOps.h"
#include "platform/win32/Win32Text.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::size_t kLargestTransfer = 1u << 30;

// The UTF-16 form of a path; false when it has none.
bool WidePath(const std::string& path, std::wstring& wide) {
  return !path.empty() && path.find('\0') == std::string::npos && win32::ToWideStrict(path, wide);
}

DWORD Attributes(const std::string& path) {
  std::wstring wide;
  return WidePath(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Only files on a disk count: a device name ("CON", "NUL") is refused.
bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

// Deletes a folder with everything in it; a folder link is removed, never entered.
bool RemoveWideTree(const std::wstring& folder) {
  const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L'\\';
  bool ok = true;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((prefix + L'*').c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    ok = false;
  } else {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = prefix + name;
      const DWORD attributes = found.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!RemoveWideTree(path)) ok = false;
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!win32::OsDelete(path, true)) ok = false;
      } else {
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!win32::OsDelete(path, false)) ok = false;
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return win32::OsDelete(folder, true) && ok;
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetFileInfo(const std::string& path, std::uint32_t& dosTime, std::uint64_t& size) {
  std::wstring wide;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!WidePath(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  // a time outside the DOS range (1980-2107) is 0
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    date = 0;
    time = 0;
  }
  dosTime = static_cast<std::uint32_t>(date) << 16 | time;
  size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

bool SetFileDosTime(const std::string& path, std::uint32_t dosTime) {
  std::wstring wide;
  FILETIME local;
  FILETIME utc;
  if (!WidePath(path, wide) ||
      !DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime & 0xFFFF), &local) ||
      !LocalFileTimeToFileTime(&local, &utc)) {
    return false;
  }
  const HANDLE file = win32::OsOpen(wide, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(file, nullptr, nullptr, &utc) != FALSE;
  return win32::OsClose(file) && set;
}

bool SetArchiveOnly(const std::string& path) {
  std::wstring wide;
  return WidePath(path, wide) && SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

bool RemoveFile(const std::string& path) {
  std::wstring wide;
  return WidePath(path, wide) && win32::OsDelete(wide, false);
}

bool RenameOver(const std::string& from, const std::string& to) {
  std::wstring wideFrom;
  std::wstring wideTo;
  return WidePath(from, wideFrom) && WidePath(to, wideTo) && win32::OsRename(wideFrom, wideTo);
}

bool MakeFolder(const std::string& path) {
  std::wstring wide;
  return WidePath(path, wide) && CreateDirectoryW(wide.c_str(), nullptr);
}

bool RemoveFolder(const std::string& path) {
  std::wstring wide;
  return WidePath(path, wide) && win32::OsDelete(wide, true);
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::wstring wide;
  if (!WidePath(folder, wide)) return names;
  if (wide.back() != L'\\' && wide.back() != L'/') wide += L'\\';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((wide + L'*').c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    std::string sjis;
    if (name != L"." && name != L".." && win32::FromWide(name, sjis)) names.push_back(sjis);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

bool RemoveTree(const std::string& folder) {
  std::wstring wide;
  if (!WidePath(folder, wide)) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  return RemoveWideTree(wide);
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  failed_ = false;
  size_ = 0;
  std::wstring wide;
  if (!WidePath(path, wide)) return false;
  const HANDLE file = win32::OsOpen(wide, GENERIC_READ, kShareAll, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!IsDiskFile(file) || !GetFileSizeEx(file, &size)) {
    win32::OsClose(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

std::size_t InputFile::Read(void* buffer, std::size_t n) {
  if (!IsOpen()) {
    failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < n) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(n - done, kLargestTransfer));
    if (!win32::OsRead(AsHandle(handle_), static_cast<char*>(buffer) + done, chunk, got)) {
      failed_ = true;
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void InputFile::Close() {
  if (IsOpen()) win32::OsClose(AsHandle(handle_));
  handle_ = -1;
}

bool InputFile::IsOpen() const { return handle_ != -1; }

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::string& path) {
  Close();
  failed_ = false;
  std::wstring wide;
  if (!WidePath(path, wide)) return false;
  // a symbolic link at the name goes, and a fresh file takes its place
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !win32::OsDelete(wide, false)) {
    return false;
  }
  const HANDLE file = win32::OsOpen(wide, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (!IsDiskFile(file)) {
    win32::OsClose(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

std::size_t OutputFile::Write(const void* buffer, std::size_t n) {
  if (!IsOpen()) {
    failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < n) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(n - done, kLargestTransfer));
    if (!win32::OsWrite(AsHandle(handle_), static_cast<const char*>(buffer) + done, chunk, put)) {
      failed_ = true;
      break;
    }
    if (put == 0) break;  // a short write: taken as it is
    done += put;
  }
  return done;
}

bool OutputFile::Flush() {
  if (!IsOpen() || failed_) return false;
  if (win32::OsFlush(AsHandle(handle_))) return true;
  failed_ = true;
  return false;
}

bool OutputFile::Close() {
  if (!IsOpen()) return false;
  const bool closed = win32::OsClose(AsHandle(handle_));
  handle_ = -1;
  return closed;
}

bool OutputFile::IsOpen() const { return handle_ != -1; }

}  // namespace platform
