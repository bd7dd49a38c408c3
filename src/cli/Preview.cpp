// preview: a picture of the whole paper of a drawing, as SVG or PNG; images missing where
// they say are looked for as the conversion looks for them when a search is asked.
#include <string>
#include <vector>

#include "app/CheckReport.h"
#include "app/SearchIndex.h"
#include "cli/Commands.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"

namespace cli {
namespace {

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
  platform::OutputFile out;
  if (!out.Create(path)) return false;
  const bool written = out.Write(data, size) == size && !out.Failed();
  return out.Close() && written;
}

}  // namespace

int Preview(const std::vector<platform::Argument>& args) {
  const platform::Argument* drawingArg = nullptr;
  const platform::Argument* outArg = nullptr;
  int width = 1194;
  relocation::SearchOptions search;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i].display;
    if ((a == "-o" || a == "--width" || a == "--search") && i + 1 == args.size()) {
      Complain(a + " needs a value");
      return kUsage;
    }
    if (a == "--search-near") {
      search.Near = true;
    } else if (a == "--search") {
      std::string folder;
      if (!TakeSearchFolder(args, i, folder)) return kUsage;
      search.Folders.push_back(folder);
    } else if (a == "-o") {
      outArg = &args[++i];
    } else if (a == "--width") {
      const std::string& value = args[++i].display;
      width = value.find_first_not_of("0123456789") == std::string::npos && value.size() <= 6 ? std::stoi("0" + value) : 0;
      if (width < 1 || width > render::kMaxWidthPixels) {
        Complain("--width takes a number of pixels from 1 to " + std::to_string(render::kMaxWidthPixels) + ": " + value);
        return kUsage;
      }
    } else if (a.starts_with("-") && a != "-") {
      Complain("unknown option for preview: " + a);
      return kUsage;
    } else if (drawingArg) {
      Complain("preview takes one drawing");
      return kUsage;
    } else {
      drawingArg = &args[i];
    }
  }
  if (!drawingArg) {
    Complain("preview needs a drawing");
    return kUsage;
  }
  const bool toStdout = outArg && outArg->display == "-";
  std::string outPath;
  if (!toStdout) {
    if (outArg) {
      if (const std::string problem = PathProblem(*outArg); !problem.empty()) {
        Complain(problem + ": " + outArg->display);
        return kUsage;
      }
      outPath = outArg->sjis;
    } else {
      outPath = platform::CurrentFolder() + text::ChangeFileExt(text::ExtractFileName(drawingArg->sjis), ".svg");
    }
  }
  const std::string ext = text::UpperCase(text::ExtractFileExt(outPath));
  const bool png = ext == ".PNG";
  if (!toStdout && !png && ext != ".SVG") {
    Complain("the picture is written as .svg or .png: " + (outArg ? outArg->display : outPath));
    return kUsage;
  }
  if (const std::string problem = PathProblem(*drawingArg); !problem.empty()) {
    Complain(problem + ": " + drawingArg->display);
    return kFailed;
  }
  // whole, for the search looks in the folders above the drawing's
  const std::string drawingPath = FullPath(drawingArg->sjis);
  jww::TJwwData drawing;
  render::StoredImages stored;
  if (!render::LoadDrawing(drawingPath, drawing, stored)) {
    Complain("cannot read the drawing: " + drawingArg->display);
    return kFailed;
  }
  relocation::ImageSearch finder(search);
  std::vector<app::PassedOver> passedOver;
  app::IndexSearchFolders(finder, passedOver);
  for (const app::PassedOver& p : passedOver) {
    Complain(std::string(app::PassedOverWords(p)) + ": " + platform::NativePathForDisplay(p.Path));
  }
  render::PreviewOptions options;
  options.widthPixels = width;
  options.findImage = render::FindImageFileOrSearch(finder);
  const render::DisplayList list = render::BuildDisplayList(drawing, drawingPath, stored, options);
  if (toStdout) {
    platform::WriteStdout(render::WriteSvg(list, width));
    return kOk;
  }
  bool written = false;
  if (png) {
    render::Bitmap picture;
    if (!render::Rasterize(list, width, picture)) {
      Complain("cannot draw the picture: " + drawingArg->display);
      return kFailed;
    }
    const std::vector<std::uint8_t> bytes = render::EncodePng(picture);
    written = !bytes.empty() && WriteFile(outPath, bytes.data(), bytes.size());
  } else {
    const std::string svg = render::WriteSvg(list, width);
    written = WriteFile(outPath, svg.data(), svg.size());
  }
  if (!written) {
    Complain("cannot write " + platform::NativePathForDisplay(outPath));
    return kFailed;
  }
  return kOk;
}

}  // namespace cli
