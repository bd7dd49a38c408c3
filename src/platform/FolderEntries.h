// A folder's entries as a walk over a tree sees them: a link is reported as a link and
// never entered, and a folder is known by its identity however it is reached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class EntryKind {
  File,    // an ordinary file
  Folder,  // a folder
  Link,    // a symbolic link or junction, whatever it leads to
  Other,   // a device, pipe or socket
};

struct FolderEntry {
  std::string Name;  // Shift-JIS; a name with none as NameForShowing gives it
  EntryKind Kind = EntryKind::Other;
  // False when the name has no Shift-JIS form (on POSIX: is not UTF-8 text, or holds a
  // backslash), so that no path can name the entry.
  bool Nameable = true;
  std::string Shown;  // UTF-8: such a name as the console shows it
};

// What tells one file or folder from every other on the machine.
struct FileId {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  bool operator==(const FileId&) const = default;
};

// The entries of a folder, "." and ".." left out, in no particular order; false when the
// folder cannot be read.
bool ReadFolderEntries(const std::string& folder, std::vector<FolderEntry>& entries);
// The identity of the file or folder a path names, links followed; false when none.
bool GetFileId(const std::string& path, FileId& id);

}  // namespace platform
