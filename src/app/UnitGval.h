// Process-wide values: the program's folder, the drawing being converted, the scratch
// folder, and the table of image files placed for the current drawing.
#pragma once

#include <string>

#include "jww/jwwtype.h"
#include "relocation/ImageRelocation.h"

namespace app {

// Folder of the program file, ending in a backslash.
extern std::string ProgramFolder;

using jww::SourceDrawingPath;
using jww::TempFolder;
using relocation::ClearCopiedImages;
using relocation::CopiedImage;
using relocation::CopiedImages;

// Sets ProgramFolder from the running program file's path.
void SetProgramFolder();
// Sets ProgramFolder from a program file's path.
void SetProgramFolder(const std::string& programFile);

}  // namespace app
