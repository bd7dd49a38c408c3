// The files a search by name looks among: everything below the folders the user names.
#pragma once

#include <vector>

#include "app/DrawingTree.h"
#include "relocation/ImageSearch.h"

namespace app {

// Adds every file below each of the search's folders to its index, a folder's files
// together, by name with ASCII letters folded. Links inside are not followed (a folder
// named through a link is); a folder that cannot be read is noted and left out.
void IndexSearchFolders(relocation::ImageSearch& search, std::vector<PassedOver>& passedOver);

}  // namespace app
