#include <windows.h>

#include <utility>

#include "platform/FolderEntries.h"
#include "platform/Platform.h"
#include "platform/Unicode.h"
#include "platform/win32/Win32Text.h"

namespace platform {

namespace {

// Only symbolic links and junctions are links; other reparse points (deduplicated or cloud
// files) are the files they stand for. A reparse point without a tag is a link too: Wine
// shows a Linux link to a folder so.
bool IsLink(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT ||
          found.dwReserved0 == 0);
}

bool ToWidePath(const std::string& path, std::wstring& wide) {
  return !path.empty() && path.find('\0') == std::string::npos && win32::ToWideStrict(path, wide);
}

}  // namespace

bool ReadFolderEntries(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::wstring wide;
  if (!ToWidePath(folder, wide)) return false;
  if (wide.back() != L'\\' && wide.back() != L'/') wide += L'\\';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW((wide + L'*').c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    // a drive's root folder has no "." entry: it may hold nothing at all
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const EntryKind kind = IsLink(found)                                        ? EntryKind::Link
                           : (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                                 : EntryKind::File;
    FolderEntry entry;
    entry.Kind = kind;
    if (!win32::FromWide(name, entry.Name)) {
      entry.Nameable = false;
      unicode::NameForShowing(Utf16ToUtf8ForDisplay(std::u16string(name.begin(), name.end())), entry.Shown,
                              entry.Name);
    }
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}

bool GetFileId(const std::string& path, FileId& id) {
  std::wstring wide;
  if (!ToWidePath(path, wide)) return false;
  const HANDLE file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool got = GetFileInformationByHandle(file, &info) != FALSE;
  CloseHandle(file);
  if (!got) return false;
  id.Volume = info.dwVolumeSerialNumber;
  id.Index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

}  // namespace platform
