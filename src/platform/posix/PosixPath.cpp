#include "platform/posix/PosixPath.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/posix/PosixText.h"

namespace platform::posix {

namespace {

bool EntryExists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return fold(x) == fold(y); });
}

// The entry of the folder whose name equals `name` ignoring ASCII case; the least such
// name when there are several, so the choice does not depend on the directory order.
bool FindNameIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
  std::vector<std::string> names;
  if (!ReadFolderNames(folder.empty() ? "." : folder, names)) return false;
  found.clear();
  for (const std::string& entry : names) {
    if (SameIgnoringAsciiCase(entry, name) && (found.empty() || entry < found)) found = entry;
  }
  return !found.empty();
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

}  // namespace

bool DecodePath(const std::string& path, std::string& native) {
  native.clear();
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  if (path.size() >= 2 && path[1] == ':') return false;  // a drive letter
  // decoded first, so the second byte 0x5C of a double-byte character stays put
  if (!Cp932ToUtf8(path, native)) return false;
  std::replace(native.begin(), native.end(), '\\', '/');
  return true;
}

bool FindExisting(const std::string& path, std::string& native) {
  std::string exact;
  return DecodePath(path, exact) && FindNative(exact, native);
}

bool PlaceForCreate(const std::string& path, std::string& native) {
  std::string exact;
  if (!DecodePath(path, exact)) return false;
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
