// The window's check mode: drawings and folders checked rather than converted, the
// report of the last check saved as a page, and a checked drawing's picture shown.
#include <string>
#include <vector>

#include "app/CheckPreviews.h"
#include "app/CheckReport.h"
#include "app/FormTexts.h"
#include "app/MainForm.h"
#include "app/SearchIndex.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"
#include "text/ShownText.h"

namespace app {

namespace {

// Width of a preview picture, as the console draws one by default.
constexpr int kPreviewWidth = 1194;

// Writes bytes to path, replacing what is there only when they are written whole.
bool WriteFileWhole(const std::string& path, const void* data, std::size_t size) {
  return platform::ReplaceFileContents(path,
                                       [&](platform::OutputFile& file) { return file.Write(data, size) == size; });
}

}  // namespace

void TForm1::ForgetCheck() {
  hasCheck_ = false;
  lastCheck_ = CheckResult{};
  checkSearch_ = {};
  logDrawings_.clear();
  ListBox1.ItemIndex = -1;
  Button3.Enabled = false;
  Button4.Enabled = false;
}

void TForm1::RunCheck(const std::vector<std::string>& paths) {
  const std::string statusText = StatusBar1.SimpleText;
  try {
    // what a batch would take: folders, and drawing files that are there
    std::vector<std::string> inputs;
    for (const std::string& path : paths) {
      if (path.empty()) continue;
      if (platform::FolderExistsAsNamed(path) || (IsDrawingName(path) && platform::FileExistsAsNamed(path))) {
        inputs.push_back(path);
      }
    }
    if (inputs.empty()) return;
    // missing images are looked for as a conversion would look for them
    CheckOptions options;
    options.Search = ChosenSearch();
    if (std::string shown; !SearchFoldersExist(options.Search, shown)) {
      SayFolderMissing(shown);
      return;
    }
    ForgetCheck();
    ListBox1.Items.clear();

    // each log line remembers the drawing it belongs to, for the preview
    auto log = [this](LogLine::Kind kind, const std::string& text, const std::string& path, std::int32_t drawing) {
      AddLog(kind, text, path);
      logDrawings_.resize(ListBox1.Items.size(), drawing);
    };
    std::int32_t checked = 0;
    options.OnDrawing = [&](const CheckedDrawing& d) {
      StatusBar1.SimpleText = texts::kCheckProgress + std::to_string(checked + 1) + ": " +
                              text::ControlsShown(text::ExtractFileName(d.Source));
      const std::vector<std::string> lines = CheckLines(d);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        log(i == 0 ? LogLine::Kind::Checked : LogLine::Kind::CheckedReference, platform::ShiftJisForShowing(lines[i]),
            d.Source, checked);
      }
      ++checked;
      if (OnFileDone) OnFileDone();
      if (!shell_.IsEscapeDown()) return true;
      log(LogLine::Kind::Escape, texts::kEscapeLine, {}, -1);
      return false;
    };
    lastCheck_ = CheckProject(inputs, options);
    checkSearch_ = options.Search;
    StatusBar1.SimpleText = statusText;
    for (const PassedOver& passed : lastCheck_.PassedOverPaths) LogPassedOver(passed, true);
    log(LogLine::Kind::CheckTotals, platform::ShiftJisForShowing(CheckTotalsLine(lastCheck_.Totals)), {}, -1);
    hasCheck_ = true;
    Button3.Enabled = true;
    Button4.Enabled = !lastCheck_.Drawings.empty();
  } catch (...) {
  }
  StatusBar1.SimpleText = statusText;
  PageControl1.ActivePageIndex = 1;
}

void TForm1::Button3Click() {
  try {
    if (!hasCheck_) return;
    SaveDialog2.FileName = texts::kReportFileName;
    SaveDialog2.Files.clear();
    if (!shell_.RunSaveDialog(SaveDialog2)) return;
    const std::string path = SaveDialog2.FileName;
    // the next report is offered where this one went
    SaveDialog2.InitialDir = text::ExtractFilePath(path);
    PageOptions page;
    page.Language = PageLanguage::Japanese;
    page.Folder = platform::NativePathForDisplay(text::ExtractFilePath(path));
    const std::string html = CheckPage(WithPreviews(path), page);
    if (!WriteFileWhole(path, html.data(), html.size())) Message(std::string(texts::kReportNotSaved) + "\r\n" + path);
  } catch (...) {
  }
}

CheckResult TForm1::WithPreviews(const std::string& page) {
  CheckResult result = lastCheck_;
  const std::string statusText = StatusBar1.SimpleText;
  // the check's search, indexed once more for the previews: its index was not kept
  relocation::ImageSearch search(checkSearch_);
  std::vector<PassedOver> passedOver;
  IndexSearchFolders(search, passedOver);
  PreviewFolder previews(page);
  const PreviewDrawer draw = [&previews](const std::string& path, const relocation::ImageSearch& found,
                                         CheckedDrawing& drawing) { previews.Draw(path, found, drawing); };
  std::int32_t drawn = 0;
  for (CheckedDrawing& d : result.Drawings) {
    StatusBar1.SimpleText = texts::kPreviewProgress + std::to_string(++drawn) + ": " +
                            text::ControlsShown(text::ExtractFileName(d.Source));
    if (OnFileDone) OnFileDone();
    d.Preview.clear();
    d.NoPreview = CheckedDrawing::PreviewGap::None;
    DrawPreview(d.Source, search, draw, d);
  }
  StatusBar1.SimpleText = statusText;
  return result;
}

std::string TForm1::PreviewDrawing() const {
  if (!hasCheck_ || lastCheck_.Drawings.empty()) return "";
  const std::int32_t row = ListBox1.ItemIndex;
  if (row >= 0 && static_cast<std::size_t>(row) < logDrawings_.size() && logDrawings_[row] >= 0 &&
      static_cast<std::size_t>(logDrawings_[row]) < lastCheck_.Drawings.size()) {
    return lastCheck_.Drawings[static_cast<std::size_t>(logDrawings_[row])].Source;
  }
  return lastCheck_.Drawings.back().Source;
}

std::string TForm1::WritePreview(const std::string& drawingPath) {
  try {
    if (scratch_.Path().empty()) return "";
    jww::TJwwData drawing;
    render::StoredImages stored;
    if (!render::LoadDrawing(drawingPath, drawing, stored)) return "";
    render::PreviewOptions options;
    options.widthPixels = kPreviewWidth;
    const render::DisplayList list = render::BuildDisplayList(drawing, drawingPath, stored, options);
    render::Bitmap picture;
    if (!render::Rasterize(list, kPreviewWidth, picture)) return "";
    const std::vector<std::uint8_t> bytes = render::EncodePng(picture);
    if (bytes.empty()) return "";
    // a name of its own each time: a viewer may still hold the last picture open
    const std::string file = scratch_.Path() + "preview" + std::to_string(++previews_) + "_" +
                             text::ChangeFileExt(text::ExtractFileName(drawingPath), ".png");
    return WriteFileWhole(file, bytes.data(), bytes.size()) ? file : "";
  } catch (...) {
    return "";
  }
}

void TForm1::Button4Click() {
  try {
    const std::string drawing = PreviewDrawing();
    if (drawing.empty()) return;
    const std::string picture = WritePreview(drawing);
    if (picture.empty() || !shell_.OpenDocument(picture)) {
      Message(std::string(texts::kPreviewNotMade) + "\r\n" + drawing);
    }
  } catch (...) {
  }
}

}  // namespace app
