// Process-wide values: the program's folder, the drawing being converted, the scratch
// folder, and the table of image files placed for the current drawing.
#pragma once

#include <string>

#include "jww/jwwtype.h"

namespace app {

// Folder of the program file, ending in a backslash.
extern std::string ProgramFolder;

using jww::SourceDrawingPath;
using jww::TempFolder;

// Sets ProgramFolder from the program file's path.
void SetProgramFolder();
// Makes the scratch folder "TEMP\" beside the program and sets TempFolder to it; when it
// cannot be made there, a folder in the user's temporary folder serves instead.
void PrepareTempFolder();
// Removes the scratch folder if it is empty.
void RemoveTempFolder();

}  // namespace app
