// The batch run over the queued files and the conversion of one drawing.
#include <algorithm>
#include <map>
#include <string>

#include "app/DrawingConversion.h"
#include "app/FormTexts.h"
#include "app/MainForm.h"
#include "app/SearchIndex.h"
#include "relocation/ImageRelocation.h"
#include "text/ShiftJis.h"
#include "text/ShownText.h"

namespace app {

namespace {

// A path with no Shift-JIS form as the window's log shows it: each character that has
// none as its code point.
std::string LogForm(const std::u16string& units) {
  std::string shown;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                      units[i + 1] <= 0xDFFF;
    std::string sjis;
    if (platform::Utf16ToCp932(units.substr(i, pair ? 2 : 1), sjis)) {
      shown += sjis;
    } else {
      shown += text::CodePointShown(static_cast<char32_t>(
          pair ? 0x10000 + ((units[i] - 0xD800) << 10) + (units[i + 1] - 0xDC00) : units[i]));
    }
    if (pair) ++i;
  }
  return shown;
}

}  // namespace

bool TForm1::SearchFoldersExist(const relocation::SearchOptions& options, std::string& shown) {
  for (const std::string& folder : options.Folders) {
    // an empty field names no folder, never the root of a drive
    if (folder.empty() || !platform::FolderExists(folder)) {
      shown = folder;
      return false;
    }
  }
  return true;
}

bool TForm1::PrepareSearch(std::string& shown) {
  const relocation::SearchOptions options = ChosenSearch();
  if (!SearchFoldersExist(options, shown)) return false;
  search_ = relocation::ImageSearch(options);
  searchPassedOver_.clear();
  IndexSearchFolders(search_, searchPassedOver_);
  return true;
}

void TForm1::LogSearchNotes(const std::vector<relocation::SearchNote>& notes) {
  for (const relocation::SearchNote& note : notes) {
    const std::string reference = note.Reference.empty() ? LogForm(note.ReferenceUnits) : note.Reference;
    const std::string shownReference = note.Reference.empty() ? platform::Utf16ToUtf8ForDisplay(note.ReferenceUnits)
                                                              : platform::ToUtf8(note.Reference);
    if (note.Tie) {
      const std::string count = " (" + std::to_string(note.Candidates) + texts::kSearchCandidates;
      AddLog(LogLine::Kind::SearchTie, texts::kSearchTie + reference + count, {}, false,
             text::ControlsShownUtf8(platform::ToUtf8(texts::kSearchTie) + shownReference + platform::ToUtf8(count)));
    } else {
      const std::string file = note.File.empty() ? LogForm(note.FileUnits) : note.File;
      const std::string shownFile = note.File.empty() ? platform::NativePathForDisplay(note.FileUnits)
                                                      : platform::NativePathForDisplay(note.File);
      AddLog(LogLine::Kind::SearchFound, texts::kSearchFound + reference + " " + texts::kDestinationMark + file, file,
             false,
             text::ControlsShownUtf8(platform::ToUtf8(texts::kSearchFound) + shownReference + " " +
                                     platform::ToUtf8(texts::kDestinationMark) + shownFile));
    }
  }
}

void TForm1::SayFolderMissing(const std::string& shown) {
  Message(std::string(texts::kFolderNotFound) + (shown.empty() ? "" : "\r\n" + shown));
}

void TForm1::LogPassedOver(const PassedOver& passed, bool checking) {
  switch (passed.Why) {
    case PassedOver::Reason::Unreadable:
      AddLog(LogLine::Kind::Unreadable, texts::kUnreadableFolder + passed.Path, passed.Path);
      break;
    case PassedOver::Reason::Link:
      AddLog(LogLine::Kind::Link, (checking ? texts::kLinkNotChecked : texts::kLinkPassedOver) + passed.Path,
             passed.Path);
      break;
    case PassedOver::Reason::Unnameable:
      AddLog(LogLine::Kind::Unnameable,
             (checking ? texts::kUnnameableNotChecked : texts::kUnnameablePassedOver) + passed.Path, passed.Path, false,
             passed.Shown);
      break;
    case PassedOver::Reason::Destination:
      AddLog(LogLine::Kind::DestinationFolder, texts::kDestinationPassedOver + passed.Path, passed.Path);
      break;
  }
}

bool TForm1::ChosenDestination(std::string& folder, std::string& shown) {
  folder.clear();
  if (!RadioButton1.Checked() && !RadioButton2.Checked() && RadioButton3.Checked()) return true;
  if (RadioButton1.Checked() || RadioButton2.Checked()) {
    const bool desktop = RadioButton1.Checked();
    const std::string found =
        shell_.SpecialFolder(desktop ? platform::SpecialFolderId::Desktop : platform::SpecialFolderId::Documents);
    // a special folder the shell cannot name is reported rather than taken for "\"
    if (found.empty()) {
      shown = desktop ? RadioButton1.Caption : RadioButton2.Caption;
      return false;
    }
    folder = text::IncludeTrailingBackslash(found);
  } else {
    // an empty field names no folder, never the root of a drive
    if (Edit1.Text.empty()) {
      shown.clear();
      return false;
    }
    folder = text::IncludeTrailingBackslash(Edit1.Text);
  }
  shown = folder;
  return platform::FolderExistsAsNamed(folder);
}

std::string TForm1::MirroredName(std::size_t i) const {
  const std::string& source = FileQueue[i];
  const std::int32_t origin = i < FileOrigins.size() ? FileOrigins[i] : -1;
  if (origin < 0) return text::ExtractFileName(source);
  const FolderInput& input = FolderInputs[static_cast<std::size_t>(origin)];
  return (input.Name.empty() ? "" : input.Name + "\\") + source.substr(input.PathLength);
}

void TForm1::RunBatch() {
  const std::string statusText = StatusBar1.SimpleText;
  try {
    if (!HasQueuedWork()) return;

    std::string folder;
    std::string shown;  // what the message names when the folder is missing
    if (!ChosenDestination(folder, shown)) {
      SayFolderMissing(shown);
      return;
    }
    const bool sameFolder = folder.empty();
    if (!PrepareSearch(shown)) {
      SayFolderMissing(shown);
      return;
    }
    const bool searching = search_.Options().Active();

    conversionOptions_.DisableMissingImages = CheckBox1.Checked;
    conversionOptions_.NameWithPath = RadioButton5.Checked();
    conversionOptions_.Mode = GivenImageMode.value_or(ChosenImageMode());
    conversionOptions_.Search = &search_;
    ConversionOptions options = conversionOptions_;
    options.DestinationFolder = folder;
    ListBox1.Items.clear();
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(FileCount, 0)), FileQueue.size());
    std::int64_t converted = 0;
    std::int64_t failed = 0;
    std::int64_t imageFiles = 0;
    std::int64_t missingImages = 0;
    std::int64_t foundBySearch = 0;
    // the drawings written, by their path as Windows, where they go, tells paths apart
    std::map<std::string, std::string> written;
    for (std::size_t i = 0; i < count; ++i) {
      if (shell_.IsEscapeDown()) {
        AddLog(LogLine::Kind::Escape, texts::kEscapeLine);
        break;
      }
      const std::string source = FileQueue[i];
      const std::string destination = sameFolder ? source : folder + MirroredName(i);
      StatusBar1.SimpleText = texts::kProgress + std::to_string(i + 1) + "/" + std::to_string(count) + ": " +
                              text::ControlsShown(text::ExtractFileName(source));
      AddLog(LogLine::Kind::Source, source, source);
      AddLog(LogLine::Kind::Destination, texts::kDestinationMark + destination, destination);
      // one drawing of this run never replaces another whose name differs only in case
      const auto first = sameFolder ? written.end() : written.find(text::UpperCase(destination));
      const bool taken = first != written.end() && first->second != destination;
      ConversionResult result;
      result.Text = texts::kResultFailed;
      if (!taken) result = DrawingConversion(options, DocumentFolder()).Run(source, destination);
      const bool done = !taken && result.Converted();
      if (done) {
        if (!sameFolder) written.emplace(text::UpperCase(destination), destination);
        ++converted;
        imageFiles += static_cast<std::int64_t>(result.ImageFiles);
        missingImages += result.Counters.MissingImageCount + result.Counters.BlockMissingImageCount;
        for (const relocation::SearchNote& note : result.Counters.Searched) foundBySearch += note.Tie ? 0 : 1;
      } else {
        ++failed;
      }
      AddLog(LogLine::Kind::Result, texts::kResultMark + result.Text, {}, done);
      if (done) LogSearchNotes(result.Counters.Searched);
      if (taken) AddLog(LogLine::Kind::NameTaken, texts::kNameTakenInOtherCase + first->second, first->second);
      if (OnFileDone) OnFileDone();
    }
    StatusBar1.SimpleText = statusText;
    // a folder below a search folder that could not be read is named like one of the input
    std::vector<PassedOver> passedOver = PassedOverPaths;
    passedOver.insert(passedOver.end(), searchPassedOver_.begin(), searchPassedOver_.end());
    for (const PassedOver& passed : passedOver) LogPassedOver(passed, false);
    if (!FolderInputs.empty() || count > 1) {
      AddLog(LogLine::Kind::Summary, texts::kTotalConverted + std::to_string(converted) + texts::kTotalFailed +
                                         std::to_string(failed) + texts::kTotalImageFiles +
                                         std::to_string(imageFiles) + texts::kTotalMissing +
                                         std::to_string(missingImages) +
                                         (searching ? texts::kTotalFoundBySearch + std::to_string(foundBySearch)
                                                    : std::string()));
    }
  } catch (...) {
  }
  StatusBar1.SimpleText = statusText;
  // the log page comes to the front whether the batch ran to its end or was stopped
  PageControl1.ActivePageIndex = 1;
}

bool TForm1::ConvertFile(const std::string& source, const std::string& destination, std::string& resultText) {
  const ConversionResult result = DrawingConversion(conversionOptions_, DocumentFolder()).Run(source, destination);
  resultText = result.Text;
  return result.Converted();
}

const std::string& TForm1::DocumentFolder() {
  if (!documentFolder_) documentFolder_ = scratch_.AddDocumentFolder();
  return *documentFolder_;
}

}  // namespace app
