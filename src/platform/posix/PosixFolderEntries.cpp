#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/FolderEntries.h"
#include "platform/Unicode.h"
#include "platform/posix/PosixPath.h"
#include "platform/posix/PosixText.h"

namespace platform {

namespace {

EntryKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

// The kind the folder listing gives, or the entry's own (never followed) when it gives none.
EntryKind KindOf(int folderFd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Folder;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: break;
    default: return EntryKind::Other;
  }
  struct stat st;
  if (fstatat(folderFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::Other;
  return KindOf(st.st_mode);
}

}  // namespace

bool ReadFolderEntries(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string native;
  if (!posix::FindExisting(folder, native)) return false;
  const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return false;
  }
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      FolderEntry found;
      found.Kind = KindOf(fd, *entry);
      // a name with a backslash or with no CP932 form cannot be named in the internal form
      if (name.find('\\') != std::string::npos || !posix::Utf8ToCp932(name, found.Name)) {
        found.Nameable = false;
        unicode::NameForShowing(name, found.Shown, found.Name);
      }
      entries.push_back(std::move(found));
    }
    errno = 0;
  }
  const bool complete = errno == 0;
  closedir(dir);
  return complete;
}

bool GetFileId(const std::string& path, FileId& id) {
  std::string native;
  struct stat st;
  if (!posix::FindExisting(path, native) || stat(native.c_str(), &st) != 0) return false;
  id.Volume = static_cast<std::uint64_t>(st.st_dev);
  id.Index = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

}  // namespace platform
