#include "app/SearchIndex.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/FolderEntries.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {
namespace {

// Every file below one folder, folder by folder, the first subfolder first.
void IndexFolder(const std::string& folder, relocation::ImageSearch& search,
                 std::set<std::pair<std::uint64_t, std::uint64_t>>& walked, std::vector<PassedOver>& passedOver) {
  std::vector<std::string> pending{folder};
  std::vector<platform::FolderEntry> entries;
  std::vector<std::pair<std::string, platform::FolderEntry>> sorted;
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    platform::FileId id;
    const bool known = platform::GetFileId(current, id);
    // a folder reached again (a loop, or search folders inside each other) adds nothing new
    if (known && !walked.emplace(id.Volume, id.Index).second) continue;
    if (!known || !platform::ReadFolderEntries(current, entries)) {
      passedOver.push_back({PassedOver::Reason::Unreadable, current});
      continue;
    }
    sorted.clear();
    for (platform::FolderEntry& entry : entries) sorted.emplace_back(text::UpperCase(entry.Name), std::move(entry));
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first < b.first : a.second.Name < b.second.Name;
    });
    const std::size_t firstFolder = pending.size();
    for (const auto& [key, entry] : sorted) {
      if (entry.Kind == platform::EntryKind::File) search.AddFile(current + entry.Name);
      if (entry.Kind == platform::EntryKind::Folder) pending.push_back(current + entry.Name + "\\");
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstFolder), pending.end());
  }
}

}  // namespace

void IndexSearchFolders(relocation::ImageSearch& search, std::vector<PassedOver>& passedOver) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> walked;
  for (const std::string& folder : search.Options().Folders) IndexFolder(folder, search, walked, passedOver);
}

}  // namespace app
