#include "app/MainForm.h"

#include <utility>

#include "app/FormTexts.h"
#include "text/ShiftJis.h"
#include "text/ShownText.h"

namespace app {

TForm1::TForm1(platform::Shell& shell, std::string programFile)
    : shell_(shell), programFile_(std::move(programFile)) {
  Caption = "Quorvane Ver.1.1";
  FontName = texts::kFontName;
  GroupBox1.Caption = texts::kGroupBox1Caption;
  RadioButton1.Caption = texts::kRadioButton1Caption;
  RadioButton2.Caption = texts::kRadioButton2Caption;
  RadioButton3.Caption = texts::kRadioButton3Caption;
  RadioButton4.Caption = texts::kRadioButton4Caption;
  RadioButton::Group({&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4});
  RadioButton1.SetChecked(true);
  Button1.Caption = texts::kButton1Caption;
  SaveDialog1.Title = texts::kSaveDialog1Title;
  SaveDialog1.Options = platform::kHideReadOnly | platform::kPathMustExist | platform::kEnableSizing;
  TabSheet1.Caption = texts::kTabSheet1Caption;
  TabSheet2.Caption = texts::kTabSheet2Caption;
  StatusBar1.SimpleText = texts::kStatusBar1Text;
  Label2.Caption = texts::kLabel2Caption;
  Label3.Caption = texts::kLabel3Caption;
  OpenDialog1.Title = texts::kOpenDialog1Title;
  OpenDialog1.Options = platform::kHideReadOnly | platform::kAllowMultiSelect | platform::kPathMustExist |
                        platform::kFileMustExist | platform::kEnableSizing;
  Label1.Visible = false;
  Label1.Enabled = false;
  CheckBox1.Caption = texts::kCheckBox1Caption;
  Label8.Caption = texts::kLabel8Caption;
  Label10.Caption = texts::kLabel10Caption;
  GroupBox2.Caption = texts::kGroupBox2Caption;
  RadioButton5.Caption = texts::kRadioButton5Caption;
  RadioButton6.Caption = texts::kRadioButton6Caption;
  RadioButton::Group({&RadioButton5, &RadioButton6});
  RadioButton5.SetChecked(true);
  Label4.Caption = texts::kLabel4Caption;
  GroupBox3.Caption = texts::kGroupBox3Caption;
  RadioButton7.Caption = texts::kRadioButton7Caption;
  RadioButton8.Caption = texts::kRadioButton8Caption;
  RadioButton9.Caption = texts::kRadioButton9Caption;
  RadioButton::Group({&RadioButton7, &RadioButton8, &RadioButton9});
  for (RadioButton* button : {&RadioButton7, &RadioButton8, &RadioButton9}) {
    button->OnClick = [this] { RadioButton7Click(); };
  }
  RadioButton7.SetChecked(true);
  CheckBox4.Caption = texts::kCheckBox4Caption;
  Button3.Caption = texts::kButton3Caption;
  Button4.Caption = texts::kButton4Caption;
  Button3.Enabled = false;
  Button4.Enabled = false;
  SaveDialog2.Title = texts::kButton3Caption;
  SaveDialog2.Options =
      platform::kHideReadOnly | platform::kPathMustExist | platform::kEnableSizing | platform::kOverwritePrompt;
  SaveDialog2.Filter = texts::kSaveDialog2Filter;
  SaveDialog2.DefaultExt = "html";
  GroupBox4.Caption = texts::kGroupBox4Caption;
  CheckBox2.Caption = texts::kCheckBox2Caption;
  CheckBox3.Caption = texts::kCheckBox3Caption;
  Button2.Caption = texts::kButton2Caption;
}

void TForm1::RadioButton7Click() {
  switch (ChosenImageMode()) {
    case relocation::ImageMode::Embed: Label7.Caption = texts::kLabel7Embed; break;
    case relocation::ImageMode::Separate: Label7.Caption = texts::kLabel7Separate; break;
    default: Label7.Caption = texts::kLabel7Caption; break;
  }
}

relocation::ImageMode TForm1::ChosenImageMode() const {
  if (RadioButton8.Checked()) return relocation::ImageMode::Embed;
  if (RadioButton9.Checked()) return relocation::ImageMode::Separate;
  return relocation::ImageMode::Copy;
}

relocation::SearchOptions TForm1::ChosenSearch() const {
  relocation::SearchOptions options;
  options.Near = CheckBox2.Checked;
  // a ticked box with an empty field is kept, so that the run can say no folder is named
  if (CheckBox3.Checked) {
    options.Folders.push_back(Edit2.Text.empty() ? "" : text::IncludeTrailingBackslash(Edit2.Text));
  }
  for (const std::string& folder : SearchFolders) options.Folders.push_back(text::IncludeTrailingBackslash(folder));
  return options;
}

TForm1::~TForm1() = default;

std::string TForm1::SettingsPath() const { return text::ChangeFileExt(programFile_, ".dat"); }

void TForm1::FormShow(const std::vector<std::string>& parameters) {
  try {
    shown_ = true;
    // the front end registers the window as a drop target
    ProgramFolder = text::ExtractFilePath(programFile_);
    LoadSettings(SettingsPath());
    // a folder of this run's own: another run's extracted images never meet these
    scratch_.Create(ProgramFolder);
    Drawing.reset();
    Document();
    ClearQueue();
    if (parameters.size() == 1) {
      const std::string switchText = text::UpperCase(parameters.front());
      if (switchText == "-G" || switchText == "/G") {
        RunExternalTransform();
        Close();
        return;
      }
    }
    TakeIn(parameters, true);
  } catch (...) {
  }
}

void TForm1::FormClose() { Shutdown(true); }

void TForm1::CloseWithoutSavingSettings() { Shutdown(false); }

void TForm1::Close() { Shutdown(true); }

void TForm1::Shutdown(bool saveSettings) {
  if (closed_) return;
  closed_ = true;
  if (!shown_) return;
  try {
    ClearQueue();
    if (saveSettings) SaveSettings(SettingsPath());
    ResetConversion();
    Drawing.reset();
    scratch_.Remove();
  } catch (...) {
  }
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
  try {
    TakeIn(paths, true);
  } catch (...) {
  }
}

void TForm1::Label3Click() {
  try {
    OpenDialog1.InitialDir = Label1.Caption;
    OpenDialog1.FileName = texts::kDialogFileName;
    OpenDialog1.Filter = texts::kOpenDialog1Filter;
    OpenDialog1.FilterIndex = OpenFilterIndex;
    OpenDialog1.Files.clear();
    if (!shell_.RunOpenDialog(OpenDialog1)) return;
    Label1.Caption = text::ExtractFilePath(OpenDialog1.FileName);
    OpenFilterIndex = OpenDialog1.FilterIndex;
    TakeIn(OpenDialog1.Files, false);
  } catch (...) {
  }
}

void TForm1::Button1Click() {
  try {
    const bool typed = !Edit1.Text.empty() && platform::FolderExists(Edit1.Text);
    SaveDialog1.InitialDir = typed ? Edit1.Text : ProgramFolder;
    SaveDialog1.FileName = texts::kDialogFileName;
    SaveDialog1.Files.clear();
    if (shell_.RunSaveDialog(SaveDialog1)) Edit1.Text = text::ExtractFilePath(SaveDialog1.FileName);
  } catch (...) {
  }
}

void TForm1::Button2Click() {
  try {
    // the destination's folder picker, under a title of its own
    const bool typed = !Edit2.Text.empty() && platform::FolderExists(Edit2.Text);
    const std::string title = SaveDialog1.Title;
    SaveDialog1.Title = texts::kSearchFolderDialogTitle;
    SaveDialog1.InitialDir = typed ? Edit2.Text : ProgramFolder;
    SaveDialog1.FileName = texts::kDialogFileName;
    SaveDialog1.Files.clear();
    const bool chosen = shell_.RunSaveDialog(SaveDialog1);
    SaveDialog1.Title = title;
    if (chosen) {
      Edit2.Text = text::ExtractFilePath(SaveDialog1.FileName);
      CheckBox3.Checked = true;
    }
  } catch (...) {
  }
}

void TForm1::AddFile(const std::string& path) {
  try {
    if (path.empty()) return;
    if (text::UpperCase(text::ExtractFileExt(path)) != ".JWW") return;
    if (!platform::FileExistsAsNamed(path)) return;
    FileQueue.push_back(path);
    FileOrigins.push_back(-1);
    ++FileCount;
  } catch (...) {
  }
}

void TForm1::AddFolder(const std::string& path) {
  try {
    const std::string folder = text::IncludeTrailingBackslash(path);
    std::string destination;
    std::string shown;
    const std::string name = TreeName(folder);
    // a run never converts what it or an earlier run wrote into the destination: neither
    // the destination folder inside the tree nor the tree's mirror when it is the tree
    std::vector<platform::FileId> skip;
    platform::FileId id;
    if (ChosenDestination(destination, shown) && !destination.empty()) {
      for (const std::string& written : {destination, destination + name}) {
        if (platform::GetFileId(written, id)) skip.push_back(id);
      }
    }
    const auto input = static_cast<std::int32_t>(FolderInputs.size());
    FolderInputs.push_back({folder.size(), name});
    WalkDrawings(
        folder, skip,
        [this, input](const std::string& drawing) {
          FileQueue.push_back(drawing);
          FileOrigins.push_back(input);
          ++FileCount;
        },
        PassedOverPaths);
  } catch (...) {
  }
}

void TForm1::AddFileOrFolder(const std::string& path) {
  if (!path.empty() && platform::FolderExistsAsNamed(path)) {
    AddFolder(path);
  } else {
    AddFile(path);
  }
}

jww::TJwwData& TForm1::Document() {
  if (!Drawing) {
    Drawing = std::make_unique<jww::TJwwData>();
    Drawing->Images.SetTempFolder(scratch_.AddDocumentFolder());
  }
  return *Drawing;
}

void TForm1::StartBatchIfQueued() {
  if (!HasQueuedWork()) return;
  ForgetCheck();  // the log is about to show the batch instead
  RunBatch();
}

void TForm1::TakeIn(const std::vector<std::string>& paths, bool foldersToo) {
  ClearQueue();
  if (CheckBox4.Checked) {
    std::vector<std::string> drawings;
    for (const std::string& path : paths) {
      if (!path.empty() && (foldersToo || !platform::FolderExistsAsNamed(path))) drawings.push_back(path);
    }
    RunCheck(drawings);
    return;
  }
  for (const std::string& path : paths) {
    if (foldersToo) {
      AddFileOrFolder(path);
    } else {
      AddFile(path);
    }
  }
  StartBatchIfQueued();
}

void TForm1::ClearQueue() {
  FileCount = 0;
  FileQueue.clear();
  FileOrigins.clear();
  FolderInputs.clear();
  PassedOverPaths.clear();
}

void TForm1::Message(const std::string& text) { shell_.ShowMessage(kApplicationTitle, text); }

void TForm1::AddLog(LogLine::Kind kind, const std::string& text, const std::string& path, bool converted,
                    const std::string& shown) {
  // a line break or tab in a name would split the line or hide part of it
  const std::string line = text::ControlsShown(text);
  ListBox1.Items.push_back(line);
  if (OnLogLine) OnLogLine(LogLine{kind, line, path, converted, shown});
}

}  // namespace app
