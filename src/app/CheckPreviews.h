// The previews of a check's page, drawn into a folder of their own beside the page.
#pragma once

#include <string>
#include <utility>

#include "app/ProjectCheck.h"
#include "relocation/ImageSearch.h"

namespace app {

// The previews of one page, in a folder of their own beside it, named after the page
// ("report.html" gives "report.previews"), or "report.previews-2", "-3", ... when that
// name is taken: the folder is new, made for this page, so no file it did not make is
// ever replaced, and a page beside an earlier one leaves that one's previews as they are.
// Inside it the previews are named by their number, never by a drawing's name. The
// folder is made with the first preview drawn.
class PreviewFolder {
 public:
  // Pixels across a preview: what the page shows it at.
  static constexpr int kWidth = 960;

  // page: the page's full Shift-JIS path.
  explicit PreviewFolder(std::string page) : page_(std::move(page)) {}

  // Draws one drawing (a full Shift-JIS path) as SVG into the folder, its images found
  // with the check's search, and sets the drawing's Preview or NoPreview.
  void Draw(const std::string& path, const relocation::ImageSearch& search, CheckedDrawing& drawing);

 private:
  bool Made();

  std::string page_;
  std::string folder_;
  bool tried_ = false;
  int count_ = 0;
};

}  // namespace app
