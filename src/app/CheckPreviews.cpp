#include "app/CheckPreviews.h"

#include "platform/Platform.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"

namespace app {

void PreviewFolder::Draw(const std::string& path, const relocation::ImageSearch& search, CheckedDrawing& drawing) {
  if (!Made()) {
    drawing.NoPreview = CheckedDrawing::PreviewGap::NoFolder;
    return;
  }
  jww::TJwwData d;
  render::StoredImages stored;
  if (!render::LoadDrawing(path, d, stored)) {
    drawing.NoPreview = CheckedDrawing::PreviewGap::Unreadable;
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
    drawing.NoPreview = CheckedDrawing::PreviewGap::NotWritten;
    return;
  }
  drawing.Preview = platform::NativePathForDisplay(file);
}

bool PreviewFolder::Made() {
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

}  // namespace app
