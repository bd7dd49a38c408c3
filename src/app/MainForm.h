// The main window: the state of its controls and everything it does, without widgets. A
// front end shows the state, calls the handlers and answers through the shell. Every
// text and path is Shift-JIS; no handler lets an exception escape.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/DrawingConversion.h"
#include "app/DrawingTree.h"
#include "app/ProjectCheck.h"
#include "app/ScratchFolder.h"
#include "relocation/ImageRelocation.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace app {

// The application's title: the caption of every message box.
inline constexpr char kApplicationTitle[] = "Quorvane";

// One line as it is added to the log.
struct LogLine {
  enum class Kind {
    Source,             // the source path
    Destination,        // "→ " and the destination path
    Result,             // "　…… " and the result text
    Escape,             // the batch was stopped
    Unreadable,         // a folder of the input that could not be read
    Link,               // a link in a folder of the input, not followed
    Unnameable,         // a drawing or folder of the input whose name has no Shift-JIS form
    DestinationFolder,  // the destination folder, lying inside a folder of the input
    NameTaken,          // under a failed result: the output written before whose name differs only in case
    Summary,            // the batch's totals
    Checked,            // a check: a drawing and its counts
    CheckedReference,   // a check: under its drawing, a reference whose image is not where it says
    CheckTotals,        // a check: the totals
    SearchFound,        // under a result: a reference's image found by the search, and the file used
    SearchTie,          // under a result: a reference the search found different files for
  };
  Kind LineKind = Kind::Source;
  std::string Text;        // the line as the log shows it, control characters shown as code points
  std::string Path;        // every kind but Result, Escape, Summary and CheckTotals: the path alone, as it is
  bool Converted = false;  // Result: the file was converted
  std::string Shown;       // Unnameable: the path as UTF-8; SearchFound, SearchTie: the line as UTF-8
};

class TForm1 {
 public:
  // programFile: the program file's full path; the settings file and the scratch folder
  // lie beside it.
  explicit TForm1(platform::Shell& shell, std::string programFile = platform::ProgramFilePath());
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The window: caption, position and the design size of its client area.
  std::string Caption;
  std::int32_t Left = 192;
  std::int32_t Top = 133;
  static constexpr std::int32_t ClientWidth = 484;
  static constexpr std::int32_t ClientHeight = 484;
  std::string FontName;
  std::int32_t FontHeight = 13;

  GroupBox GroupBox1;
  RadioButton RadioButton1;
  RadioButton RadioButton2;
  RadioButton RadioButton3;
  RadioButton RadioButton4;
  Edit Edit1;
  Button Button1;
  platform::FileDialog SaveDialog1;
  PageControl PageControl1;
  TabSheet TabSheet1;
  TabSheet TabSheet2;
  StatusBar StatusBar1;
  ListBox ListBox1;
  Panel Panel1;
  Label Label2;
  Label Label3;
  platform::FileDialog OpenDialog1;
  Label Label1;
  ScrollBox ScrollBox1;
  Panel Panel2;
  Label Label7;
  CheckBox CheckBox1;
  Label Label8;
  Label Label10;
  GroupBox GroupBox2;
  RadioButton RadioButton5;
  RadioButton RadioButton6;
  Label Label4;
  GroupBox GroupBox3;
  RadioButton RadioButton7;  // images copied beside the drawing
  RadioButton RadioButton8;  // images stored inside the drawing
  RadioButton RadioButton9;  // stored images separated out beside it
  CheckBox CheckBox4;        // drawings taken in are checked, not converted
  Button Button3;            // saves the last check's report
  Button Button4;            // shows a checked drawing's preview
  platform::FileDialog SaveDialog2;  // where the report goes
  GroupBox GroupBox4;        // looking for images missing where their references say
  CheckBox CheckBox2;        // near the drawing
  CheckBox CheckBox3;        // in the folder of Edit2 too
  Edit Edit2;
  Button Button2;

  // Called with each line as it is added to the log.
  std::function<void(const LogLine&)> OnLogLine;
  // Called when a file of a batch is done, so that the window can repaint.
  std::function<void()> OnFileDone;

  // Start-up: folders, settings, scratch folder, drawing; then the command line's
  // parameters: the external-transform mode, or files to convert.
  void FormShow(const std::vector<std::string>& parameters);
  // Shut-down: settings written, scratch files and folder removed. Runs once, and only
  // after start-up.
  void FormClose();
  // Shut-down without writing the settings file.
  void CloseWithoutSavingSettings();
  // Closes the window from inside (shut-down, unless it has run).
  void Close();
  bool Closed() const { return closed_; }

  // Files dropped on the window.
  void WMDropFiles(const std::vector<std::string>& paths);
  // Browses for the destination folder.
  void Button1Click();
  // Browses for the folder to look for missing images in.
  void Button2Click();
  // Picks files to convert.
  void Label3Click();
  // The image mode chosen (RadioButton7, 8 or 9 turned on): Label7 says what it does.
  void RadioButton7Click();
  // Checks the drawings and folders among paths (those a batch would take), writing
  // nothing: per drawing the lines of the console's check, then what the walks passed
  // over and the totals. Escape stops it between drawings.
  void RunCheck(const std::vector<std::string>& paths);
  // Saves the last check's report, a page in Japanese, where the user picks.
  void Button3Click();
  // Writes a picture of the drawing PreviewDrawing names into the scratch folder and has
  // the system open it.
  void Button4Click();
  // The drawing of the selected log line, or, when no line of a drawing is selected, the
  // last one checked; "" before a check.
  std::string PreviewDrawing() const;
  // The last check with each readable drawing's preview drawn into a folder beside the
  // page (a full Shift-JIS path) as the console draws them, progress in the status bar.
  CheckResult WithPreviews(const std::string& page);
  // The last check, while the log shows it.
  bool HasCheck() const { return hasCheck_; }
  const CheckResult& LastCheck() const { return lastCheck_; }

  // Queues one path if it names an existing drawing file (".jww" in any case).
  void AddFile(const std::string& path);
  // Queues every drawing below a folder, in a stable order; its tree is mirrored under the
  // destination. The destination folder chosen now, where it lies inside, is left out.
  void AddFolder(const std::string& path);
  // AddFolder for a folder, AddFile for anything else.
  void AddFileOrFolder(const std::string& path);

  // Converts every queued file into the chosen destination, logging three lines each;
  // then what the folders' walks passed over and, for more than one file or a folder,
  // the totals.
  void RunBatch();
  // Converts one drawing into destination (which may be the source itself) with the
  // options of the last batch; false and "変換失敗" when it cannot be read or written.
  bool ConvertFile(const std::string& source, const std::string& destination, std::string& resultText);

  // Applies the defaults, then the settings file's values.
  void LoadSettings(const std::string& path);
  // Writes the settings file; a file that fails is deleted.
  void SaveSettings(const std::string& path);
  // The program file's path with ".dat".
  std::string SettingsPath() const;

  // The external-transform mode: converts the drawing the drafting program has open into
  // TEMP.JWW beside the program, reports the result and starts the drafting program on it.
  void RunExternalTransform();
  // The path of the drawing named by the exchange file beside the program, or "".
  std::string GetTransformDrawingPath();
  // The drafting program's file, from the registered command for its documents; "" when
  // none is registered.
  std::string FindJwCadExe();
  // True when the last external-transform run wrote TEMP.JWW.
  bool TransformConverted() const { return transformConverted_; }

  std::int32_t QueuedFileCount() const { return FileCount; }
  // What the walks of the queued folders passed over.
  std::size_t PassedOverCount() const { return PassedOverPaths.size(); }
  // True when a batch has something to do or to report.
  bool HasQueuedWork() const { return FileCount > 0 || !PassedOverPaths.empty(); }

  // What the image buttons choose to do with a drawing's images.
  relocation::ImageMode ChosenImageMode() const;
  // Where the search boxes, and SearchFolders, look for missing images.
  relocation::SearchOptions ChosenSearch() const;
  // Folders searched by file name besides the one of Edit2, for this run (the console's).
  std::vector<std::string> SearchFolders;
  // The image mode of this run in place of the buttons' (the console's).
  std::optional<relocation::ImageMode> GivenImageMode;

  // The program's folder, ending in a backslash (set at start-up).
  std::string ProgramFolder;

 private:
  friend class TForm1Probe;

  void AddLog(LogLine::Kind kind, const std::string& text, const std::string& path = {}, bool converted = false,
              const std::string& shown = {});
  void Message(const std::string& text);
  void Shutdown(bool saveSettings);
  void StartBatchIfQueued();
  // Drawings and folders taken in: checked in check mode, else queued and converted.
  void TakeIn(const std::vector<std::string>& paths, bool foldersToo);
  // Forgets the last check; its buttons go grey.
  void ForgetCheck();
  // Writes a PNG picture of a drawing under the scratch folder; its path, or "" on failure.
  std::string WritePreview(const std::string& drawing);
  void ClearQueue();
  // The destination folder the controls choose, with its backslash, or "" in same-folder
  // mode; false when it cannot be found, `shown` then naming it for the message.
  bool ChosenDestination(std::string& folder, std::string& shown);
  // The destination of queued file i below the destination folder.
  std::string MirroredName(std::size_t i) const;
  // The scratch folder the drawings converted extract their embedded images into, made
  // when there is none ("" when it cannot be made).
  const std::string& DocumentFolder();
  // False when a folder the search names is missing (or the field is empty), `shown` then
  // naming it for the message.
  static bool SearchFoldersExist(const relocation::SearchOptions& options, std::string& shown);
  // Indexes the folders the search chooses, once for a run; false as above.
  bool PrepareSearch(std::string& shown);
  // The lines under a drawing's result that tell what the search found for it.
  void LogSearchNotes(const std::vector<relocation::SearchNote>& notes);
  // Says that a folder the run needs is missing, naming it when there is a name.
  void SayFolderMissing(const std::string& shown);
  // The log line of a path a batch or a check passed over.
  void LogPassedOver(const PassedOver& passed, bool checking);

  std::int32_t FileCount = 0;
  std::vector<std::string> FileQueue;
  // A folder given as input: the length of its path with the backslash, and the name its
  // tree takes under the destination.
  struct FolderInput {
    std::size_t PathLength = 0;
    std::string Name;
  };
  std::vector<FolderInput> FolderInputs;
  // For each queued file, the folder input it was found in; -1 for a file given directly.
  std::vector<std::int32_t> FileOrigins;
  std::vector<PassedOver> PassedOverPaths;
  std::int32_t OpenFilterIndex = 0;
  // the options the last batch read from the controls, kept until the next one
  ConversionOptions conversionOptions_;
  std::optional<std::string> documentFolder_;
  // this run's search, and the folders below it passed over
  relocation::ImageSearch search_;
  std::vector<PassedOver> searchPassedOver_;

  platform::Shell& shell_;
  std::string programFile_;
  ScratchFolder scratch_;
  bool shown_ = false;
  bool closed_ = false;
  bool transformConverted_ = false;
  bool hasCheck_ = false;
  CheckResult lastCheck_;
  relocation::SearchOptions checkSearch_;  // where the last check looked for missing images
  // For each log line of the last check, the index of its drawing in lastCheck_; -1 for
  // a line of no drawing.
  std::vector<std::int32_t> logDrawings_;
  std::int32_t previews_ = 0;  // pictures written so far, for their names
};

}  // namespace app
