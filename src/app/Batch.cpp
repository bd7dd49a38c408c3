// The batch run over the queued files and the conversion of one drawing.
#include <string>

#include "app/FormTexts.h"
#include "app/MainForm.h"
#include "relocation/ImageRelocation.h"
#include "text/ShiftJis.h"

namespace app {

namespace {

constexpr std::int32_t kSavedVersion = 700;

}  // namespace

void TForm1::RunBatch() {
  try {
    if (FileCount <= 0) return;

    std::string folder;
    const bool sameFolder = !RadioButton1.Checked() && !RadioButton2.Checked() && RadioButton3.Checked();
    if (!sameFolder) {
      std::string shown;  // what the message names when the folder is missing
      if (RadioButton1.Checked() || RadioButton2.Checked()) {
        const bool desktop = RadioButton1.Checked();
        const std::string found =
            shell_.SpecialFolder(desktop ? platform::SpecialFolderId::Desktop : platform::SpecialFolderId::Documents);
        folder = text::IncludeTrailingBackslash(found);
        // a special folder the shell cannot name is reported rather than taken for "\"
        shown = found.empty() ? (desktop ? RadioButton1.Caption : RadioButton2.Caption) : folder;
        if (found.empty()) folder.clear();
      } else {
        folder = text::IncludeTrailingBackslash(Edit1.Text);
        shown = folder;
      }
      if (folder.empty() || !platform::FolderExists(folder)) {
        Message(std::string(texts::kFolderNotFound) + "\r\n" + shown);
        return;
      }
    }

    DisableMissingImages = CheckBox1.Checked;
    NameWithPath = RadioButton5.Checked();
    imageMode_ = ChosenImageMode();
    ListBox1.Items.clear();
    for (std::size_t i = 0; i < static_cast<std::size_t>(FileCount) && i < FileQueue.size(); ++i) {
      if (shell_.IsEscapeDown()) {
        AddLog(LogLine::Kind::Escape, texts::kEscapeLine);
        break;
      }
      const std::string source = FileQueue[i];
      const std::string destination = sameFolder ? source : folder + text::ExtractFileName(source);
      AddLog(LogLine::Kind::Source, source, source);
      AddLog(LogLine::Kind::Destination, texts::kDestinationMark + destination, destination);
      std::string result;
      const bool converted = ConvertFile(source, destination, result);
      AddLog(LogLine::Kind::Result, texts::kResultMark + result, {}, converted);
      if (OnFileDone) OnFileDone();
    }
  } catch (...) {
  }
  // the log page comes to the front whether the batch ran to its end or was stopped
  PageControl1.ActivePageIndex = 1;
}

bool TForm1::ConvertFile(const std::string& source, const std::string& destination, std::string& resultText) {
  resultText = texts::kResultFailed;
  try {
    ImageTextCount = 0;
    BlockImageTextCount = 0;
    MissingImageCount = 0;
    BlockMissingImageCount = 0;
    ResetConversion();
    jww::TJwwData& drawing = Document();
    // a drawing reached through a link is converted where the link points, images and
    // all; a read-only one is not replaced
    std::string target;
    if (!platform::FindSaveTarget(destination, target)) return false;
    const std::string from = source == destination ? target : source;
    if (!drawing.LoadFromFile(from)) return false;
    SourceDrawingPath = from;
    if (!RelocateImages(text::ExtractFilePath(target))) return false;
    // written beside the destination and moved over it only when complete, so a failed
    // save leaves the destination (in same-folder mode: the source) as it was
    if (!drawing.SaveToFile(target, kSavedVersion)) return false;
    resultText = std::string(texts::kResultOk) + std::to_string(CopiedImages.size()) + texts::kResultImageTexts +
                 std::to_string(ImageTextCount) + texts::kResultInBlocks + std::to_string(BlockImageTextCount) +
                 texts::kResultMissing + std::to_string(MissingImageCount) + texts::kResultInBlocks +
                 std::to_string(BlockMissingImageCount) + ")";
    return true;
  } catch (...) {
    resultText = texts::kResultFailed;
    return false;
  }
}

void TForm1::ResetConversion() {
  try {
    CopiedImages.clear();
    if (!Drawing) return;
    Drawing->Clear();
    Drawing->DeleteExtractedFiles();
    Drawing->DeleteUnpackedFiles();
    Drawing->ClearEmbeddedImages();
  } catch (...) {
  }
}

bool TForm1::RelocateImages(const std::string& folder) {
  if (!Drawing) return false;
  try {
    const relocation::RelocationOptions options{DisableMissingImages, NameWithPath, imageMode_};
    relocation::RelocationCounters counters{ImageTextCount, BlockImageTextCount, MissingImageCount,
                                            BlockMissingImageCount};
    relocation::RelocateImages(*Drawing, SourceDrawingPath, folder, options, CopiedImages, counters);
    ImageTextCount = counters.ImageTextCount;
    BlockImageTextCount = counters.BlockImageTextCount;
    MissingImageCount = counters.MissingImageCount;
    BlockMissingImageCount = counters.BlockMissingImageCount;
    // a drawing whose references name copies that are not there (whole) is not saved
    return counters.FailedCopyCount == 0;
  } catch (...) {
    return false;
  }
}

}  // namespace app
