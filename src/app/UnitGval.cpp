#include "app/UnitGval.h"

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

std::string ProgramFolder;

void SetProgramFolder() { ProgramFolder = text::ExtractFilePath(platform::ProgramFilePath()); }

void PrepareTempFolder() {
  TempFolder = ProgramFolder + "TEMP\\";
  platform::MakeFolder(TempFolder);
  if (platform::FolderExists(TempFolder)) return;
  // the program's folder may be read-only: the user's temporary folder serves instead
  const std::string fallback = platform::UserTempFolder() + "Quorvane-TEMP\\";
  platform::MakeFolder(fallback);
  TempFolder = fallback;
}

void RemoveTempFolder() {
  if (!TempFolder.empty()) platform::RemoveFolder(TempFolder);
}

}  // namespace app
