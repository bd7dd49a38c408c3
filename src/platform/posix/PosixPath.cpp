#include "platform/posix/PosixPath.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <unordered_map>

#include "platform/Unicode.h"
#include "platform/posix/PosixText.h"
#include "text/ShiftJis.h"

namespace platform::posix {

namespace {

bool EntryExists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// A folder's names by their case-folded form (the least name of each), read once and kept
// while the folder's identity and modification time stand still; this program's own
// changes are written into it as they happen, so converting into a folder of thousands of
// files does not read it again for every file.
struct FolderNames {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  std::unordered_map<std::string, std::string> byFolded;
};

constexpr std::size_t kMaxCachedFolders = 64;
std::unordered_map<std::string, FolderNames> folderCache;

std::string FolderKey(const std::string& folder) {
  std::string key = folder.empty() ? "." : folder;
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

bool SameState(const FolderNames& names, const struct stat& st) {
  return names.device == st.st_dev && names.inode == st.st_ino && names.modified.tv_sec == st.st_mtim.tv_sec &&
         names.modified.tv_nsec == st.st_mtim.tv_nsec;
}

void Remember(FolderNames& names, const struct stat& st) {
  names.device = st.st_dev;
  names.inode = st.st_ino;
  names.modified = st.st_mtim;
}

void AddName(FolderNames& names, const std::string& name) {
  auto [it, added] = names.byFolded.emplace(Folded(name), name);
  if (!added && name < it->second) it->second = name;
}

const FolderNames* NamesOf(const std::string& folder) {
  const std::string key = FolderKey(folder);
  struct stat st;
  if (stat(key.c_str(), &st) != 0) return nullptr;
  auto it = folderCache.find(key);
  if (it != folderCache.end() && SameState(it->second, st)) return &it->second;
  std::vector<std::string> names;
  if (!ReadFolderNames(key, names)) return nullptr;
  if (folderCache.size() >= kMaxCachedFolders) folderCache.clear();
  FolderNames& entry = folderCache[key];
  entry = FolderNames{};
  Remember(entry, st);
  for (const std::string& name : names) AddName(entry, name);
  return &entry;
}

// The entry of the folder whose name equals `name` ignoring ASCII case; the least such
// name when there are several, so the choice does not depend on the directory order.
bool FindNameIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
  const FolderNames* names = NamesOf(folder);
  if (names == nullptr) return false;
  const auto it = names->byFolded.find(Folded(name));
  if (it == names->byFolded.end()) return false;
  found = it->second;
  return true;
}

// Brings a cached folder up to date after this program added or removed one of its entries.
void NoteChange(const std::string& native, bool added) {
  const std::size_t slash = native.find_last_of('/', native.find_last_not_of('/'));
  const std::string folder = FolderKey(slash == std::string::npos ? "." : native.substr(0, slash + 1));
  const auto it = folderCache.find(folder);
  if (it == folderCache.end()) return;
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) {
    folderCache.erase(it);
    return;
  }
  std::string name = native.substr(slash == std::string::npos ? 0 : slash + 1);
  while (!name.empty() && name.back() == '/') name.pop_back();
  if (added) {
    AddName(it->second, name);
  } else {
    // another entry may fold to the same form: read the folder again next time
    folderCache.erase(it);
    return;
  }
  Remember(it->second, st);
}

// Walks the components from the root (or the working folder), taking each as written
// when it exists and otherwise the entry that matches it ignoring case.
bool MatchComponents(const std::string& native, std::string& found) {
  std::string result = native.front() == '/' ? "/" : "";
  std::size_t start = 0;
  while (start < native.size()) {
    std::size_t end = native.find('/', start);
    if (end == std::string::npos) end = native.size();
    const std::string component = native.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    if (!result.empty() && result.back() != '/') result += '/';
    std::string candidate = result + component;
    if (!EntryExists(candidate)) {
      if (errno != ENOENT) return false;
      std::string name;
      if (!FindNameIgnoringCase(result, component, name)) return false;
      candidate = result + name;
    }
    result = candidate;
  }
  if (native.back() == '/' && result.back() != '/') result += '/';
  found = result;
  return true;
}

bool FindNative(const std::string& exact, std::string& native) {
  if (EntryExists(exact)) {
    native = exact;
    return true;
  }
  if (errno != ENOENT && errno != ENOTDIR) return false;
  return MatchComponents(exact, native);
}

// The native path at which to create an entry named by the exact native path.
bool PlaceNative(const std::string& exact, std::string& native) {
  native = exact;
  std::size_t nameEnd = exact.find_last_not_of('/');
  if (nameEnd == std::string::npos) return true;  // the root
  ++nameEnd;
  const std::size_t slash = exact.rfind('/', nameEnd - 1);
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string name = exact.substr(nameStart, nameEnd - nameStart);
  if (name == "." || name == "..") return true;

  std::string folder = exact.substr(0, nameStart);
  std::string foundFolder;
  if (!folder.empty() && FindNative(folder, foundFolder)) folder = foundFolder;
  std::string place = folder + name;
  std::string other;
  if (!EntryExists(place) && errno == ENOENT && FindNameIgnoringCase(folder, name, other)) {
    place = folder + other;
  }
  native = place + exact.substr(nameEnd);
  return true;
}

}  // namespace

bool DecodePath(const std::string& path, std::string& native) {
  native.clear();
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  if (text::HasDrive(path)) return false;  // no drive on this system
  // decoded first, so the second byte 0x5C of a double-byte character stays put
  if (!Cp932ToUtf8(path, native)) return false;
  std::replace(native.begin(), native.end(), '\\', '/');
  return true;
}

bool DecodePath(const std::u16string& path, std::string& native) {
  native.clear();
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return false;
  if (path.size() >= 2 && path[1] == u':') return false;  // no drive on this system
  if (!unicode::Utf16ToUtf8(path, native)) return false;
  std::replace(native.begin(), native.end(), '\\', '/');
  return true;
}

bool FindExisting(const std::string& path, std::string& native) {
  std::string exact;
  return DecodePath(path, exact) && FindNative(exact, native);
}

bool FindExisting(const std::u16string& path, std::string& native) {
  std::string exact;
  return DecodePath(path, exact) && FindNative(exact, native);
}

bool PlaceForCreate(const std::string& path, std::string& native) {
  std::string exact;
  return DecodePath(path, exact) && PlaceNative(exact, native);
}

bool PlaceForCreate(const std::u16string& path, std::string& native) {
  std::string exact;
  return DecodePath(path, exact) && PlaceNative(exact, native);
}

void NoteCreated(const std::string& native) { NoteChange(native, true); }

void NoteRemoved(const std::string& native) { NoteChange(native, false); }

void ForgetFolders() { folderCache.clear(); }

bool EncodePath(const std::string& native, std::string& path) {
  std::string windowsForm = native;
  std::replace(windowsForm.begin(), windowsForm.end(), '/', '\\');
  return Utf8ToCp932(windowsForm, path);
}

bool ReadFolderNames(const std::string& native, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return true;
}

}  // namespace platform::posix
