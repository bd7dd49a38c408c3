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

bool WidePath(const std::u16string& path, std::wstring& wide) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return false;
  wide.assign(path.begin(), path.end());
  return true;
}

template <class Path>
DWORD Attributes(const Path& path) {
  std::wstring wide;
  return WidePath(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Only files on a disk count: a device name ("CON", "NUL") is refused.
bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

// Packed DOS form of a local time, clamped to the years 1980-2107 the form can hold (the
// system's own conversion wraps other years).
std::uint32_t ToDosTime(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return 0;
  if (t.wYear < 1980) return 1u << 21 | 1u << 16;
  if (t.wYear > 2107) return 127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u;
  return static_cast<std::uint32_t>(t.wYear - 1980) << 25 | static_cast<std::uint32_t>(t.wMonth) << 21 |
         static_cast<std::uint32_t>(t.wDay) << 16 | static_cast<std::uint32_t>(t.wHour) << 11 |
         static_cast<std::uint32_t>(t.wMinute) << 5 | static_cast<std::uint32_t>(t.wSecond / 2);
}

// An open handle on whatever the path names, file or folder, links followed.
HANDLE OpenForQuery(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The path a link leads to, in the internal form; false when it has none.
bool FinalPath(const std::wstring& path, std::string& internal) {
  const HANDLE file = OpenForQuery(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  if (length >= resolved.size()) {
    resolved.resize(length + 1);
    length = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  }
  CloseHandle(file);
  if (length == 0 || length >= resolved.size()) return false;
  resolved.resize(length);
  // "\\?\C:\..." or "\\?\UNC\server\..."
  if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    resolved = L"\\\\" + resolved.substr(8);
  } else if (resolved.rfind(L"\\\\?\\", 0) == 0) {
    resolved.erase(0, 4);
  }
  return win32::FromWide(resolved, internal);
}

// A lock file held by a handle shared with nobody, gone with the last handle so that a
// dead run leaves no lock behind: CREATE_NEW makes one, OPEN_EXISTING takes one over.
HANDLE OpenLock(const std::string& path, DWORD disposition) {
  std::wstring wide;
  if (!WidePath(path, wide)) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

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

// The file operations below, each written once for a Shift-JIS path and a UTF-16 one.

template <class Path>
bool IsEntry(const Path& path, bool folder) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

template <class Path>
bool FileInfoOf(const Path& path, std::uint32_t& dosTime, std::uint64_t& size) {
  std::wstring wide;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!WidePath(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  dosTime = ToDosTime(data.ftLastWriteTime);
  size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

template <class Path>
bool SetDosTimeOf(const Path& path, std::uint32_t dosTime) {
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

template <class Path>
bool MakeArchiveOnly(const Path& path) {
  std::wstring wide;
  return WidePath(path, wide) && SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

template <class Path>
bool RemoveFileAt(const Path& path) {
  std::wstring wide;
  return WidePath(path, wide) && win32::OsDelete(wide, false);
}

template <class Path>
bool SameEntry(const Path& a, const Path& b) {
  std::wstring wideA;
  std::wstring wideB;
  if (!WidePath(a, wideA) || !WidePath(b, wideB)) return false;
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::wstring* paths[2] = {&wideA, &wideB};
  for (int i = 0; i < 2; ++i) {
    const HANDLE file = OpenForQuery(*paths[i]);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool got = GetFileInformationByHandle(file, &info[i]) != FALSE;
    CloseHandle(file);
    if (!got) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The long name of the entry at path, from its directory entry; false when none.
template <class Path>
bool EntryName(const Path& path, std::wstring& name) {
  std::wstring wide;
  if (!WidePath(path, wide)) return false;
  // a wildcard would make the lookup a search ("\\?\" before the folders is no wildcard)
  const std::size_t separator = wide.find_last_of(L"\\/");
  const std::size_t last = separator == std::wstring::npos ? 0 : separator + 1;
  if (wide.find_first_of(L"*?", last) != std::wstring::npos) return false;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  name = found.cFileName;
  return !name.empty();
}

template <class Path>
bool MakeFolderAt(const Path& path) {
  std::wstring wide;
  return WidePath(path, wide) && CreateDirectoryW(wide.c_str(), nullptr);
}

}  // namespace

bool FileExists(const PathRef& path) {
  return path.Visit([](const auto& p) { return IsEntry(p, false); });
}
bool FolderExists(const PathRef& path) {
  return path.Visit([](const auto& p) { return IsEntry(p, true); });
}
// Windows takes names that differ only in letter case for one
bool FileExistsAsNamed(const std::string& path) { return IsEntry(path, false); }
bool FolderExistsAsNamed(const std::string& path) { return IsEntry(path, true); }

bool GetFileInfo(const PathRef& path, std::uint32_t& dosTime, std::uint64_t& size) {
  return path.Visit([&](const auto& p) { return FileInfoOf(p, dosTime, size); });
}

bool SetFileDosTime(const PathRef& path, std::uint32_t dosTime) {
  return path.Visit([dosTime](const auto& p) { return SetDosTimeOf(p, dosTime); });
}

bool SetArchiveOnly(const PathRef& path) {
  return path.Visit([](const auto& p) { return MakeArchiveOnly(p); });
}

bool RemoveFile(const PathRef& path) {
  return path.Visit([](const auto& p) { return RemoveFileAt(p); });
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
  std::wstring wideFrom;
  std::wstring wideTo;
  if (!WidePath(from, wideFrom) || !WidePath(to, wideTo)) return false;
  const DWORD attributes = GetFileAttributesW(wideTo.c_str());
  // an existing file is replaced so that it keeps its attributes, ACLs and streams
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!win32::OsReplace(wideTo, wideFrom)) return false;
    // where the replacement leaves the old attributes behind (Wine's does), they are set again
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = GetFileAttributesW(wideTo.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (attributes & kKept)) {
      const DWORD wanted = (now & ~(kKept | FILE_ATTRIBUTE_NORMAL)) | (attributes & kKept);
      SetFileAttributesW(wideTo.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
    }
    return true;
  }
  return win32::OsRename(wideFrom, wideTo);
}

bool FindSaveTarget(const std::string& path, std::string& target) {
  std::wstring wide;
  if (!WidePath(path, wide)) return false;
  target = path;
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // nothing there yet
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (!FinalPath(wide, target)) {
      // a link that leads nowhere stands for no drawing: the new file takes its own place
      const DWORD error = GetLastError();
      target = path;
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (!WidePath(target, wide)) return false;
    attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  }
  return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

bool SameFile(const PathRef& a, const PathRef& b) {
  if (!a.HeldAsUnits() && !b.HeldAsUnits()) return SameEntry(a.Sjis(), b.Sjis());
  return SameEntry(a.Units(), b.Units());
}

std::string RealFileName(const std::string& path) {
  std::wstring name;
  std::string sjis;
  return EntryName(path, name) && win32::FromWide(name, sjis) ? sjis : std::string();
}

std::u16string RealFileName(const std::u16string& path) {
  std::wstring name;
  return EntryName(path, name) ? std::u16string(name.begin(), name.end()) : std::u16string();
}

bool MakeFolder(const PathRef& path) {
  return path.Visit([](const auto& p) { return MakeFolderAt(p); });
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

bool InputFile::Open(const PathRef& path) {
  return path.Visit([this](const auto& p) { return OpenPath(p); });
}

template <class Path>
bool InputFile::OpenPath(const Path& path) {
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

bool OutputFile::Create(const PathRef& path, bool exclusive) {
  return path.Visit([this, exclusive](const auto& p) { return CreatePath(p, exclusive); });
}

template <class Path>
bool OutputFile::CreatePath(const Path& path, bool exclusive) {
  Close();
  failed_ = false;
  nameTaken_ = false;
  std::wstring wide;
  if (!WidePath(path, wide)) return false;
  // a symbolic link at the name goes, and a fresh file takes its place
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (!exclusive && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !win32::OsDelete(wide, false)) {
    return false;
  }
  const HANDLE file = win32::OsOpen(wide, GENERIC_WRITE, FILE_SHARE_READ, exclusive ? CREATE_NEW : CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    nameTaken_ = exclusive && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return false;
  }
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

RunLock::~RunLock() { Release(); }

bool RunLock::Acquire(const std::string& path) {
  Release();
  const HANDLE file = OpenLock(path, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  path_ = path;
  return true;
}

bool RunLock::TakeOver(const std::string& path) {
  Release();
  const HANDLE file = OpenLock(path, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  path_ = path;
  return true;
}

void RunLock::Release() {
  if (handle_ == -1) return;
  CloseHandle(AsHandle(handle_));
  handle_ = -1;
  path_.clear();
}

}  // namespace platform
