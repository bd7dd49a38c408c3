#include "app/ScratchFolder.h"
#include "cli/Commands.h"
#include "jww/DrawingDocument.h"
#include "text/ShiftJis.h"

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
  app::ScratchFolder scratch;
  scratch.Create(text::ExtractFilePath(platform::ProgramFilePath()));
  jww::TJwwData drawing;
  drawing.Images.SetTempFolder(scratch.AddDocumentFolder());
  int status = kOk;
  if (!drawing.LoadFromFile(args[0].sjis)) {
    Complain("cannot read the drawing " + args[0].display);
    status = kFailed;
  } else if (!drawing.SaveToFile(args[1].sjis, 700)) {
    Complain("cannot write " + args[1].display);
    status = kFailed;
  }
  drawing.DeleteExtractedFiles();
  drawing.DeleteUnpackedFiles();
  scratch.Remove();
  return status;
}

}  // namespace cli
