// The external-transform mode: the drafting program runs this program with "-G" after
// writing the exchange file beside it; the open drawing is converted into TEMP.JWW here
// and the drafting program is started on that file.
#include "app/DrawingConversion.h"
#include "app/FormTexts.h"
#include "app/MainForm.h"
#include "exchange/ExchangeFile.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {
namespace {

// The file the mode converts into, beside the program.
constexpr char kTempDrawing[] = "TEMP.JWW";
constexpr char kExchangeFile[] = "JWC_TEMP.TXT";
// Where the drafting program is looked for when it has not registered its documents.
constexpr char kDefaultJwCad[] = "C:\\JWW\\JW_WIN.EXE";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The program file named at the start of a registered command, without quotes or
// arguments: `"C:\Program Files\X\Jw_win.exe" "%1"`, `C:\JWW\Jw_win.exe "%1" "%2"`, or an
// unquoted path with blanks followed by %1.
std::string ProgramOfCommand(std::string command) {
  const std::size_t begin = command.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  command.erase(0, begin);
  if (command[0] == '"') {
    const std::size_t close = command.find('"', 1);
    return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  // cut before the first blank followed by a double quote ...
  const std::size_t quoted = command.find(" \"");
  if (quoted != std::string::npos) command.resize(quoted);
  // ... or after ".exe" when plain arguments follow it
  const std::string upper = text::UpperCase(command);
  for (std::size_t at = upper.find(".EXE"); at != std::string::npos; at = upper.find(".EXE", at + 1)) {
    const std::size_t end = at + 4;
    if (end == upper.size() || upper[end] == ' ') {
      command.resize(end);
      break;
    }
  }
  const std::size_t last = command.find_last_not_of(' ');
  command.resize(last == std::string::npos ? 0 : last + 1);
  if (!command.empty() && command.back() == '"') command.pop_back();
  return command;
}

}  // namespace

void TForm1::RunExternalTransform() {
  transformConverted_ = false;
  try {
    // copies keep their plain names whatever RadioButton5 shows
    ConversionOptions options;
    options.DisableMissingImages = CheckBox1.Checked;
    options.Mode = ChosenImageMode();
    options.Search = &search_;
    const std::string path = GetTransformDrawingPath();
    if (path.empty() || text::UpperCase(text::ExtractFileExt(path)) != ".JWW") {
      Message(texts::kSaveAsJwwFirst);
      return;
    }
    if (!platform::FileExists(path)) {
      Message(texts::kDrawingMissingBefore + path + texts::kDrawingMissingAfter);
      return;
    }
    const std::string temp = ProgramFolder + kTempDrawing;
    // after an earlier transform the drafting program has TEMP.JWW itself open: it is
    // converted where it is, like any drawing replaced in its own folder
    if (!platform::SameFile(path, temp)) {
      if (platform::FileExists(temp)) platform::RemoveFile(temp);
      if (platform::FileExists(temp)) {
        Message(texts::kTempJwwRemains);
        return;
      }
    }
    // the saved search applies as in the window's batch
    std::string searchFolder;
    if (!PrepareSearch(searchFolder)) {
      SayFolderMissing(searchFolder);
      return;
    }
    const ConversionResult result = DrawingConversion(options, DocumentFolder()).Run(path, temp);
    if (!result.Converted()) {
      Message(texts::kCouldNotConvert);
      return;
    }
    transformConverted_ = true;
    Message(result.Text);
    std::string exe = FindJwCadExe();
    if (exe.empty()) exe = kDefaultJwCad;
    shell_.StartProgram(Quoted(exe), Quoted(temp), text::ExtractFilePath(exe));
  } catch (...) {
  }
}

std::string TForm1::GetTransformDrawingPath() {
  exchange::ExchangeReader reader;
  reader.ReadExchangeFile(ProgramFolder + kExchangeFile);
  return reader.ExchangeDrawingPath;
}

std::string TForm1::FindJwCadExe() {
  try {
    return ProgramOfCommand(shell_.JwCadOpenCommand());
  } catch (...) {
    return "";
  }
}

}  // namespace app
