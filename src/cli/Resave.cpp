#include "app/ScratchFolder.h"
#include "app/UnitGval.h"
#include "cli/Commands.h"
#include "jww/jwwunit.h"

namespace cli {

int Resave(const std::vector<platform::Argument>& args) {
  if (args.size() != 2) {
    Complain("resave needs two paths: IN OUT");
    return kUsage;
  }
  for (const platform::Argument& a : args) {
    if (!a.representable) {
      Complain(PathProblem(a) + ": " + a.display);
      return kUsage;
    }
  }
  app::SetProgramFolder();
  app::ScratchFolder scratch;
  jww::TempFolder = scratch.Create(app::ProgramFolder) ? scratch.Path() : "";
  jww::TJwwData drawing;
  int status = kOk;
  if (!drawing.LoadFromFile(args[0].sjis)) {
    Complain("cannot read the drawing " + args[0].display);
    status = kFailed;
  } else if (!drawing.SaveToFile(args[1].sjis, 700)) {
    Complain("cannot write " + args[1].display);
    status = kFailed;
  }
  jww::DeleteExtractedFiles();
  jww::DeleteUnpackedFiles();
  jww::ClearEmbeddedImages();
  scratch.Remove();
  jww::TempFolder.clear();
  return status;
}

}  // namespace cli
