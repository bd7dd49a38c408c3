// The scratch folder of one run, where the embedded images of the drawing being converted
// are extracted: a folder of its own inside the program's TEMP folder, marked by a lock
// file while the run lives, so that runs at the same time never see each other's files.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace app {

class ScratchFolder {
 public:
  ScratchFolder() = default;
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Makes the run's folder inside "TEMP\" beside the program (or, when that cannot be
  // made, inside the user's temporary folder) after removing the folders of runs that are
  // no longer alive; false when no folder could be made.
  bool Create(const std::string& programFolder);
  // The run's folder, ending in a backslash; "" before Create or after Remove.
  const std::string& Path() const { return path_; }
  // Makes a folder for one document's extracted images inside the run's folder and gives
  // its path (ending in a backslash); "" when there is no run folder or it cannot be made.
  std::string AddDocumentFolder();
  // Removes the run's folder with its files, its lock file, and TEMP itself when empty.
  void Remove();

  // Removes the folders (and lock files) of runs under root that are no longer alive.
  static void RemoveDeadRuns(const std::string& root);

 private:
  bool CreateIn(const std::string& root);

  std::string root_;
  std::string path_;
  int documents_ = 0;
  platform::RunLock lock_;
};

}  // namespace app
