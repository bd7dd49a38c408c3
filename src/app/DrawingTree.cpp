#include "app/DrawingTree.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

namespace {

struct SortedEntry {
  std::string key;  // the name with ASCII letters folded, a folder's with its backslash
  platform::FolderEntry entry;
  bool operator<(const SortedEntry& other) const {
    return key != other.key ? key < other.key : entry.Name < other.entry.Name;
  }
};

}  // namespace

bool IsDrawingName(const std::string& name) { return text::UpperCase(text::ExtractFileExt(name)) == ".JWW"; }

void WalkDrawings(const std::string& folder, const std::vector<platform::FileId>& skip,
                  const std::function<void(const std::string&)>& onDrawing, std::vector<PassedOver>& passedOver) {
  TreeWalk().Walk(folder, skip, IsDrawingName, onDrawing, passedOver);
}

void TreeWalk::Walk(const std::string& folder, const std::vector<platform::FileId>& skip,
                    const std::function<bool(const std::string&)>& wanted,
                    const std::function<void(const std::string&)>& onFile, std::vector<PassedOver>& passedOver) {
  // folders still to walk, the next on top; each folder is walked once, so no loop is
  // followed even where the system does not show a link as one
  std::vector<std::string> pending{folder};
  std::vector<platform::FolderEntry> entries;
  std::vector<SortedEntry> sorted;
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    platform::FileId id;
    const bool known = platform::GetFileId(current, id);
    if (known && current != folder && std::find(skip.begin(), skip.end(), id) != skip.end()) {
      passedOver.push_back({PassedOver::Reason::Destination, current.substr(0, current.size() - 1), {}});
      continue;
    }
    if (known && !walked_.emplace(id.Volume, id.Index).second) {
      passedOver.push_back({PassedOver::Reason::Link, current.substr(0, current.size() - 1), {}});
      continue;
    }
    if (!known || !platform::ReadFolderEntries(current, entries)) {
      passedOver.push_back({PassedOver::Reason::Unreadable, current, {}});
      continue;
    }
    sorted.clear();
    // a folder's name is compared as its drawings' paths hold it, with a backslash after it
    for (platform::FolderEntry& entry : entries) {
      std::string key = text::UpperCase(entry.Name);
      if (entry.Kind == platform::EntryKind::Folder) key += '\\';
      sorted.push_back({std::move(key), std::move(entry)});
    }
    std::sort(sorted.begin(), sorted.end());
    const std::size_t firstFolder = pending.size();
    for (const SortedEntry& s : sorted) {
      const std::string path = current + s.entry.Name;
      if (!s.entry.Nameable) {
        if (s.entry.Kind == platform::EntryKind::Folder ||
            (s.entry.Kind != platform::EntryKind::Other && wanted(s.entry.Name))) {
          passedOver.push_back(
              {PassedOver::Reason::Unnameable, path, platform::NativePathForDisplay(current) + s.entry.Shown});
        }
        continue;
      }
      switch (s.entry.Kind) {
        case platform::EntryKind::File:
          if (wanted(s.entry.Name)) onFile(path);
          break;
        case platform::EntryKind::Folder:
          pending.push_back(path + "\\");
          break;
        case platform::EntryKind::Link:
          // a link to a file not asked for is no concern of the walk
          if (wanted(s.entry.Name) || platform::FolderExists(path)) {
            passedOver.push_back({PassedOver::Reason::Link, path, {}});
          }
          break;
        case platform::EntryKind::Other:
          break;
      }
    }
    // the first subfolder on top
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstFolder), pending.end());
  }
}

std::string TreeName(const std::string& folder) {
  // "." and ".." are taken as the system takes them, so the name never leads out of the
  // destination
  std::vector<std::string> names;
  const std::size_t kept = text::HasDrive(folder) ? 1 : 0;  // a drive is never left
  std::string name;
  auto take = [&]() {
    if (name == "..") {
      if (names.size() > kept) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    name.clear();
  };
  for (std::size_t i = 0; i < folder.size();) {
    const std::size_t length = text::IsLeadByte(static_cast<unsigned char>(folder[i])) ? 2 : 1;
    if (length == 1 && (folder[i] == '\\' || folder[i] == '/')) {
      take();
    } else {
      name += folder.substr(i, length);
    }
    i += length;
  }
  take();
  if (names.empty()) return "";
  if (names.size() == 1 && kept == 1) return names.front().substr(0, 1);
  return names.back();
}

}  // namespace app
