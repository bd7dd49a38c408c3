#include "app/UnitGval.h"

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

std::string ProgramFolder;

void SetProgramFolder() { SetProgramFolder(platform::ProgramFilePath()); }

void SetProgramFolder(const std::string& programFile) { ProgramFolder = text::ExtractFilePath(programFile); }

}  // namespace app
