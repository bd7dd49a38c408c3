#include "app/SearchIndex.h"

#include <utility>

namespace app {

void IndexSearchFolders(relocation::ImageSearch& search, std::vector<PassedOver>& passedOver) {
  // one walk for all the folders: a folder inside another is indexed once
  TreeWalk walk;
  std::vector<PassedOver> passed;
  for (const std::string& folder : search.Options().Folders) {
    walk.Walk(
        folder, {}, [](const std::string&) { return true; },
        [&search](const std::string& path) { search.AddFile(path); }, passed);
  }
  // links and names no path can hold are simply not searched; a folder that cannot be
  // read is named
  for (PassedOver& p : passed) {
    if (p.Why == PassedOver::Reason::Unreadable) passedOver.push_back(std::move(p));
  }
}

}  // namespace app
