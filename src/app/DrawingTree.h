// The drawings below a folder, in the order a batch takes them.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "platform/FolderEntries.h"

namespace app {

// What a walk passed over, to be named in the log.
struct PassedOver {
  enum class Reason {
    Unreadable,   // a folder that could not be read
    Link,         // a linked drawing or folder (or a folder reached a second time)
    Unnameable,   // a drawing or folder whose name has no Shift-JIS form
    Destination,  // a folder that `skip` names
  };
  Reason Why = Reason::Unreadable;
  std::string Path;   // Shift-JIS; an unreadable folder with its backslash
  std::string Shown;  // Unnameable: the path as UTF-8, for the console
};

// Walks folder trees, handing on the files it is asked for, each folder once however
// often it is reached (a loop, or one tree inside another).
class TreeWalk {
 public:
  // Calls onFile with every file below folder (ending in a backslash) at any depth whose
  // name `wanted` takes: by path, comparing the Shift-JIS bytes with ASCII letters folded,
  // the files of a folder before its subfolders. Links are never entered; a folder below
  // it that `skip` names is left out whole. What is passed over is noted: unreadable
  // folders, and links and names with no Shift-JIS form of folders and wanted files.
  void Walk(const std::string& folder, const std::vector<platform::FileId>& skip,
            const std::function<bool(const std::string&)>& wanted, const std::function<void(const std::string&)>& onFile,
            std::vector<PassedOver>& passedOver);

 private:
  std::set<std::pair<std::uint64_t, std::uint64_t>> walked_;
};

// True for a drawing's file name (".jww" in any case).
bool IsDrawingName(const std::string& name);

// Calls onDrawing with every drawing below folder, as TreeWalk::Walk does.
void WalkDrawings(const std::string& folder, const std::vector<platform::FileId>& skip,
                  const std::function<void(const std::string&)>& onDrawing, std::vector<PassedOver>& passedOver);

// The name a folder's tree takes under the destination: its own name ("." and ".."
// resolved), a drive root's letter, "" for the root of a system without drives.
std::string TreeName(const std::string& folder);

}  // namespace app
