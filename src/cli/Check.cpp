// check: which drawings have lost which images, as text, JSON or CSV on standard output
// and as a page to look at, with a preview of each drawing beside it. Nothing is written
// to the drawings.
#include <string>
#include <vector>

#include "app/CheckReport.h"
#include "app/ProjectCheck.h"
#include "cli/Commands.h"
#include "platform/Platform.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"

namespace cli {
namespace {

enum class Format { Text, Json, Csv };

struct CheckArguments {
  app::CheckOptions options;
  Format format = Format::Text;
  std::string page;  // --html, Shift-JIS, whole; "" for none
  bool previews = true;  // drawn for the page only
  std::vector<platform::Argument> inputs;
};

// The path after an option, whole; false (with a message) when there is none to take.
bool ParseCheck(const std::vector<platform::Argument>& args, CheckArguments& parsed) {
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i].display;
    if (filesOnly || !a.starts_with("--")) {
      parsed.inputs.push_back(args[i]);
    } else if (a == "--") {
      filesOnly = true;
    } else if (a == "--search-near") {
      parsed.options.Search.Near = true;
    } else if (a == "--search") {
      std::string folder;
      if (!TakeSearchFolder(args, i, folder)) return false;
      parsed.options.Search.Folders.push_back(folder);
    } else if (a == "--json" || a == "--csv") {
      const Format format = a == "--json" ? Format::Json : Format::Csv;
      if (parsed.format != Format::Text && parsed.format != format) {
        Complain("only one of --json, --csv may be given");
        return false;
      }
      parsed.format = format;
    } else if (a == "--no-previews") {
      parsed.previews = false;
    } else if (a == "--html") {
      if (!TakePath(args, i, parsed.page)) return false;
      if (!platform::FolderExists(text::ExtractFilePath(parsed.page))) {
        Complain("no such folder for the report: " + args[i].display);
        return false;
      }
    } else {
      Complain("unknown option for check: " + a);
      return false;
    }
  }
  if (parsed.inputs.empty()) {
    Complain("check needs at least one drawing or folder");
    return false;
  }
  return true;
}

// One line per drawing with its counts, one per reference whose image is not where the
// drawing says, and the totals.
void PrintText(const app::CheckResult& result) {
  for (const app::CheckedDrawing& d : result.Drawings) {
    for (const std::string& line : app::CheckLines(d)) Out(line);
  }
  Out(app::CheckTotalsLine(result.Totals));
}

bool WritePage(const std::string& path, const std::string& page) {
  platform::OutputFile file;
  if (!file.Create(path)) return false;
  const bool written = file.Write(page.data(), page.size()) == page.size() && !file.Failed();
  return file.Close() && written;
}

// The previews of one run, in a folder of their own beside the page, named after the page
// ("report.html" gives "report.previews"), or "report.previews-2", "-3", ... when that
// name is taken: the folder is new, made by this run, so no file the run did not make is
// ever replaced, and a run beside an earlier one leaves that one's previews as they are.
// Inside it the previews are named by their number, never by a drawing's name.
class PreviewFolder {
 public:
  // Pixels across a preview: what the page shows it at.
  static constexpr int kWidth = 960;

  explicit PreviewFolder(std::string page) : page_(std::move(page)) {}

  // Draws one drawing as SVG into the folder, its images found with the check's search.
  void Draw(const std::string& path, const relocation::ImageSearch& search, app::CheckedDrawing& drawing) {
    if (!Made()) {
      drawing.NoPreview = "no folder for the previews can be made beside the report";
      return;
    }
    jww::TJwwData d;
    render::StoredImages stored;
    if (!render::LoadDrawing(path, d, stored)) {
      drawing.NoPreview = "the drawing cannot be read";
      return;
    }
    render::PreviewOptions options;
    options.widthPixels = kWidth;
    options.findImage = render::FindImageFileOrSearch(search);
    const std::string svg = render::WriteSvg(render::BuildDisplayList(d, path, stored, options), kWidth);
    const std::string file = folder_ + "drawing-" + std::to_string(++count_) + ".svg";
    platform::OutputFile out;
    bool written = out.Create(file, true);
    if (written) {
      written = out.Write(svg.data(), svg.size()) == svg.size() && !out.Failed();
      written = out.Close() && written;
      if (!written) platform::RemoveFile(file);  // made here, and only in part
    }
    if (!written) {
      drawing.NoPreview = "the picture cannot be written";
      return;
    }
    drawing.Preview = platform::NativePathForDisplay(file);
  }

 private:
  bool Made() {
    if (tried_) return !folder_.empty();
    tried_ = true;
    const std::string base = text::ChangeFileExt(page_, "") + ".previews";
    for (int n = 1; n <= 100; ++n) {
      const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
      // the page itself is no folder to take
      if (text::UpperCase(name) == text::UpperCase(page_)) continue;
      if (platform::MakeFolder(name)) {
        folder_ = text::IncludeTrailingBackslash(name);
        return true;
      }
      if (!platform::FolderExists(name) && !platform::FileExists(name)) return false;
    }
    return false;
  }

  std::string page_;
  std::string folder_;
  bool tried_ = false;
  int count_ = 0;
};

}  // namespace

int Check(const std::vector<platform::Argument>& args) {
  CheckArguments parsed;
  if (!ParseCheck(args, parsed)) return kUsage;

  std::vector<std::string> inputs;
  int refused = 0;
  for (const platform::Argument& input : parsed.inputs) {
    if (!input.representable) {
      Complain(PathProblem(input) + ": " + input.display);
      ++refused;
    } else {
      inputs.push_back(FullPath(input.sjis));
    }
  }
  PreviewFolder previews(parsed.page);
  if (!parsed.page.empty() && parsed.previews) {
    parsed.options.Preview = [&previews](const std::string& path, const relocation::ImageSearch& search,
                                         app::CheckedDrawing& drawing) { previews.Draw(path, search, drawing); };
  }
  const app::CheckResult result = app::CheckProject(inputs, parsed.options);
  for (const app::RefusedInput& r : result.Refused) Complain(std::string(app::RefusedWords(r.Why)) + ": " + r.Path);
  for (const app::PassedOver& p : result.PassedOverPaths) {
    Complain(std::string(app::PassedOverWords(p)) + ": " + platform::NativePathForDisplay(p.Path));
  }
  if (result.Drawings.empty() && result.PassedOverPaths.empty()) return kUsage;

  switch (parsed.format) {
    case Format::Json: platform::WriteStdout(app::CheckJson(result)); break;
    case Format::Csv: platform::WriteStdout(app::CheckCsv(result)); break;
    case Format::Text: PrintText(result); break;
  }
  int status = result.AllResolve() && refused == 0 ? kOk : kFailed;
  if (!parsed.page.empty()) {
    app::PageOptions page;
    page.Folder = platform::NativePathForDisplay(text::ExtractFilePath(parsed.page));
    if (!WritePage(parsed.page, app::CheckPage(result, page))) {
      Complain("cannot write the report: " + platform::NativePathForDisplay(parsed.page));
      status = kFailed;
    }
  }
  return status;
}

}  // namespace cli
