// check: which drawings have lost which images, as text, JSON or CSV on standard output
// and as a page to look at, with a preview of each drawing beside it. Nothing is written
// to the drawings.
#include <string>
#include <vector>

#include "app/CheckPreviews.h"
#include "app/CheckReport.h"
#include "app/ProjectCheck.h"
#include "cli/Commands.h"
#include "platform/Platform.h"
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
  app::PreviewFolder previews(parsed.page);
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
