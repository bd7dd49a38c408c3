#include "app/UnitGval.h"

#include <random>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

std::string ProgramFolder;

void SetProgramFolder() { SetProgramFolder(platform::ProgramFilePath()); }

void SetProgramFolder(const std::string& programFile) { ProgramFolder = text::ExtractFilePath(programFile); }

void PrepareTempFolder() {
  TempFolder = ProgramFolder + "TEMP\\";
  platform::MakeFolder(TempFolder);
  if (platform::FolderExists(TempFolder)) return;
  // the program's folder may be read-only: a folder of this process's own in the user's
  // temporary folder serves instead, so that two runs never share extracted images
  static std::mt19937 random{std::random_device{}()};
  const std::string base = platform::UserTempFolder();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = base + "Quorvane-" + std::to_string(random() % 100000000u) + "\\";
    if (platform::MakeFolder(candidate)) {
      TempFolder = candidate;
      return;
    }
  }
}

void RemoveTempFolder() {
  if (!TempFolder.empty()) platform::RemoveFolder(TempFolder);
}

}  // namespace app
