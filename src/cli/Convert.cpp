// convert: the window's batch from the command line, and the external-transform mode.
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "cli/Commands.h"
#include "cli/ConsoleShell.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/ShownText.h"

namespace cli {

namespace {

// The program file whose settings file and scratch folder the console program uses. On
// Windows it is the window program beside it (the console program has a name of its own
// there, Windows not telling quorvane.exe from Quorvane.exe), so both share one choice.
std::string SettingsProgramFile() {
#ifdef _WIN32
  return text::ExtractFilePath(platform::ProgramFilePath()) + "Quorvane.exe";
#else
  return platform::ProgramFilePath();
#endif
}


enum class Destination { Desktop, Documents, InPlace, Folder };

struct ConvertOptions {
  std::optional<Destination> destination;
  std::string folder;  // --to, Shift-JIS
  std::optional<bool> pathNames;
  std::optional<relocation::ImageMode> imageMode;
  bool disableMissing = false;
  // --search-near, --search: when either is given it replaces the window's saved search
  bool searchGiven = false;
  bool searchNear = false;
  std::vector<std::string> searchFolders;  // Shift-JIS
  std::vector<platform::Argument> files;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool TakePath(const std::vector<platform::Argument>& args, std::size_t& i, std::string& path) {
  const std::string& option = args[i].display;
  if (i + 1 >= args.size()) {
    Complain(option + " needs a " + (option == "--html" ? "file" : "folder"));
    return false;
  }
  const platform::Argument& value = args[++i];
  if (!value.representable) {
    Complain(PathProblem(value) + ": " + value.display);
    return false;
  }
  path = FullPath(value.sjis);
  return true;
}

bool TakeSearchFolder(const std::vector<platform::Argument>& args, std::size_t& i, std::string& folder) {
  if (!TakePath(args, i, folder)) return false;
  if (!platform::FolderExists(folder)) {
    Complain("no such folder to search: " + args[i].display);
    return false;
  }
  folder = text::IncludeTrailingBackslash(folder);
  return true;
}

std::string FullPath(const std::string& path) {
  if (platform::IsFullPath(path)) return path;
  std::string result = platform::CurrentFolder();
  const std::size_t root = text::ExtractFilePath(result.substr(0, 3)).size();  // "\" or "C:\"
  std::string name;
  auto take = [&]() {
    if (name == "..") {
      if (result.size() > root) result = text::ExtractFilePath(result.substr(0, result.size() - 1));
    } else if (!name.empty() && name != ".") {
      result += name + "\\";
    }
    name.clear();
  };
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (text::IsLeadByte(c) && i + 1 < path.size()) {
      name += path.substr(i, 2);
      ++i;
    } else if (IsSeparator(path[i])) {
      take();
    } else {
      name += path[i];
    }
  }
  const bool endsInFolder = name.empty() || name == "." || name == "..";
  take();
  if (!endsInFolder && !result.empty()) result.pop_back();
  return result;
}

namespace {

// Reads the options and files; false (with a message) on a usage error.
bool ParseConvert(const std::vector<platform::Argument>& args, ConvertOptions& options) {
  auto setDestination = [&options](Destination d, const std::string& flag) {
    if (options.destination && *options.destination != d) {
      Complain("only one of --to, --desktop, --documents, --in-place may be given (" + flag + ")");
      return false;
    }
    options.destination = d;
    return true;
  };
  auto setNaming = [&options](bool pathNames) {
    if (options.pathNames && *options.pathNames != pathNames) {
      Complain("only one of --path-names, --plain-names may be given");
      return false;
    }
    options.pathNames = pathNames;
    return true;
  };
  auto setImageMode = [&options](relocation::ImageMode mode) {
    if (options.imageMode && *options.imageMode != mode) {
      Complain("only one of --copy, --embed, --separate may be given");
      return false;
    }
    options.imageMode = mode;
    return true;
  };
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i].display;
    if (filesOnly || !a.starts_with("--")) {
      options.files.push_back(args[i]);
    } else if (a == "--") {
      filesOnly = true;
    } else if (a == "--to") {
      if (i + 1 >= args.size()) {
        Complain("--to needs a folder");
        return false;
      }
      const platform::Argument& folder = args[++i];
      if (!folder.representable) {
        Complain(PathProblem(folder) + ": " + folder.display);
        return false;
      }
      if (!setDestination(Destination::Folder, a)) return false;
      options.folder = FullPath(folder.sjis);
    } else if (a == "--desktop") {
      if (!setDestination(Destination::Desktop, a)) return false;
    } else if (a == "--documents") {
      if (!setDestination(Destination::Documents, a)) return false;
    } else if (a == "--in-place") {
      if (!setDestination(Destination::InPlace, a)) return false;
    } else if (a == "--path-names" || a == "--plain-names") {
      if (!setNaming(a == "--path-names")) return false;
    } else if (a == "--copy") {
      if (!setImageMode(relocation::ImageMode::Copy)) return false;
    } else if (a == "--embed") {
      if (!setImageMode(relocation::ImageMode::Embed)) return false;
    } else if (a == "--separate") {
      if (!setImageMode(relocation::ImageMode::Separate)) return false;
    } else if (a == "--disable-missing") {
      options.disableMissing = true;
    } else if (a == "--search-near") {
      options.searchGiven = true;
      options.searchNear = true;
    } else if (a == "--search") {
      std::string folder;
      if (!TakeSearchFolder(args, i, folder)) return false;
      options.searchGiven = true;
      options.searchFolders.push_back(folder);
    } else {
      Complain("unknown option for convert: " + a);
      return false;
    }
  }
  if (options.files.empty()) {
    Complain("convert needs at least one drawing or folder");
    return false;
  }
  return true;
}

// The flags set the controls as the user would in the window, for this run only.
void ApplyOptions(const ConvertOptions& options, app::TForm1& form) {
  if (options.destination) {
    switch (*options.destination) {
      case Destination::Desktop: form.RadioButton1.SetChecked(true); break;
      case Destination::Documents: form.RadioButton2.SetChecked(true); break;
      case Destination::InPlace: form.RadioButton3.SetChecked(true); break;
      case Destination::Folder:
        form.RadioButton4.SetChecked(true);
        form.Edit1.Text = options.folder;
        break;
    }
  }
  if (options.pathNames) (*options.pathNames ? form.RadioButton5 : form.RadioButton6).SetChecked(true);
  form.GivenImageMode = options.imageMode;
  if (options.disableMissing) form.CheckBox1.Checked = true;
  if (options.searchGiven) {
    form.CheckBox2.Checked = options.searchNear;
    form.CheckBox3.Checked = false;
    form.SearchFolders = options.searchFolders;
  }
}

// What the batch did, as its log lines tell it.
struct BatchOutcome {
  int lines = 0;
  int failed = 0;
  bool stopped = false;
  bool unreadable = false;  // a folder of the input could not be read, or a name in it taken
};

// A path as the console shows it: native form, control characters as code points.
std::string Shown(const std::string& path) { return text::ControlsShownUtf8(platform::NativePathForDisplay(path)); }

// A log line that ends in its path, the path in native form (or, for a name with no
// Shift-JIS form, as the walk showed it).
std::string WithNativePath(const app::LogLine& line) {
  const std::string prefix = line.Text.substr(0, line.Text.size() - text::ControlsShown(line.Path).size());
  return platform::ToUtf8(prefix) + (line.Shown.empty() ? Shown(line.Path) : text::ControlsShownUtf8(line.Shown));
}

void PrintLine(const app::LogLine& line, BatchOutcome& outcome) {
  ++outcome.lines;
  switch (line.LineKind) {
    case app::LogLine::Kind::Source:
      Out(Shown(line.Path));
      break;
    case app::LogLine::Kind::Destination:
      Out(WithNativePath(line));
      break;
    case app::LogLine::Kind::Result:
      if (!line.Converted) ++outcome.failed;
      Out(platform::ToUtf8(line.Text));
      break;
    // what the search did for the drawing, under its result
    case app::LogLine::Kind::SearchFound:
    case app::LogLine::Kind::SearchTie:
      Out(line.Shown);
      break;
    case app::LogLine::Kind::Escape:
      outcome.stopped = true;
      Out(platform::ToUtf8(line.Text));
      break;
    // what was passed over and the totals go to standard error: standard output keeps
    // three lines per file, and the search's below them
    case app::LogLine::Kind::Unreadable:
    case app::LogLine::Kind::Unnameable:
      outcome.unreadable = true;
      Err(WithNativePath(line));
      break;
    case app::LogLine::Kind::Link:
    case app::LogLine::Kind::DestinationFolder:
    case app::LogLine::Kind::NameTaken:
      Err(WithNativePath(line));
      break;
    case app::LogLine::Kind::Summary:
      Err(platform::ToUtf8(line.Text));
      break;
    // a check's lines; a conversion has none
    case app::LogLine::Kind::Checked:
    case app::LogLine::Kind::CheckedReference:
    case app::LogLine::Kind::CheckTotals:
      Out(platform::ToUtf8(line.Text));
      break;
  }
}

}  // namespace

int Convert(const std::vector<platform::Argument>& args) {
  ConvertOptions options;
  if (!ParseConvert(args, options)) return kUsage;

  ConsoleShell shell;
  app::TForm1 form(shell, SettingsProgramFile());
  BatchOutcome outcome;
  form.OnLogLine = [&outcome](const app::LogLine& line) { PrintLine(line, outcome); };
  form.FormShow({});
  ApplyOptions(options, form);

  int refused = 0;
  for (const platform::Argument& file : options.files) {
    if (!file.representable) {
      Complain(PathProblem(file) + ": " + file.display);
      ++refused;
      continue;
    }
    const std::int32_t before = form.QueuedFileCount();
    const std::string path = FullPath(file.sjis);
    if (platform::FolderExistsAsNamed(path)) {
      const std::size_t passedOver = form.PassedOverCount();
      form.AddFolder(path);
      // a folder that could not be read is named by the batch
      if (form.QueuedFileCount() == before && form.PassedOverCount() == passedOver) {
        Complain("no drawing file (.jww) below the folder: " + file.display);
        ++refused;
      }
      continue;
    }
    form.AddFile(path);
    if (form.QueuedFileCount() == before) {
      const bool drawingName = text::UpperCase(text::ExtractFileExt(file.sjis)) == ".JWW";
      Complain((drawingName ? "no such drawing file: " : "not a drawing file (.jww): ") + file.display);
      ++refused;
    }
  }

  int status = kOk;
  if (!form.HasQueuedWork()) {
    status = kUsage;
  } else {
    form.RunBatch();
    if (outcome.lines == 0) {
      status = kUsage;  // the destination folder is missing; the message said so
    } else if (outcome.failed > 0 || outcome.stopped || outcome.unreadable || refused > 0) {
      status = kFailed;
    }
  }
  form.CloseWithoutSavingSettings();
  return status;
}

int ExternalTransform(const std::string& switchText) {
  ConsoleShell shell;
  app::TForm1 form(shell, SettingsProgramFile());
  form.FormShow({switchText});
  const bool converted = form.TransformConverted();
  form.FormClose();
  // the mode tells its outcome in messages
  return converted ? kOk : kFailed;
}

}  // namespace cli
