#include "relocation/ImageRelocation.h"

#include <optional>
#include <unordered_map>

#include "relocation/ImageEmbedding.h"

#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageReference.h"
#include "text/ShiftJis.h"

namespace relocation {

namespace {

// "^@BM": an image reference; "_@BM": one switched off
constexpr std::string_view kReferencePrefix = "^@BM";
constexpr std::string_view kDisabledPrefix = "_@BM";
// The auxiliary-line colour a switched-off reference takes.
constexpr std::uint16_t kAuxiliaryColor = 9;

// What one pass of relocation works with.
struct Pass {
  const std::string& drawingPath;
  const std::string& folder;
  const RelocationOptions& options;
  CopiedImageTable& copied;
  std::int32_t& failedCopies;
  ImageEmbedder* embedder;  // set in the embed mode
};

void RelocateText(jww::TEntJwwText& t, const Pass& pass, std::int32_t& found, std::int32_t& missing) {
  const ImageReference ref = ParseImageReference(t.Text);
  if (ref.kind != ReferenceKind::Image) return;
  bool exists = false;
  const std::string path = ResolveImagePath(ref.path, pass.drawingPath, &exists);
  if (exists && pass.embedder) {
    const EmbedResult embedded = pass.embedder->Embed(path, ref.tail, t.Text);
    if (embedded == EmbedResult::Kept) return;
    if (embedded == EmbedResult::Failed) ++pass.failedCopies;
    ++found;
    return;
  }
  if (exists) {
    std::string name;
    if (const CopiedImage* copied = pass.copied.Find(path)) {
      name = copied->FileName;
    } else {
      // the reference still names where the image should be; the caller learns of it
      if (!PlaceImage(pass.options.NameWithPath, path, pass.folder, name)) ++pass.failedCopies;
      pass.copied.Add(path, name);
    }
    t.Text.bytes = CutReference(std::string(kReferencePrefix) + name + ref.tail);
    ++found;
    return;
  }
  if (pass.options.DisableMissingImages) {
    t.Text.bytes = CutReference(std::string(kDisabledPrefix) + path + ref.tail);
    t.TextType = 0;
    t.PenColor = kAuxiliaryColor;
  }
  ++missing;
}

}  // namespace

const CopiedImage* CopiedImageTable::Find(const std::string& sourcePath) const {
  const auto it = index_.find(text::UpperCase(sourcePath));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

void CopiedImageTable::Add(const std::string& sourcePath, const std::string& fileName) {
  entries_.push_back({sourcePath, fileName});
  index_.emplace(text::UpperCase(sourcePath), entries_.size() - 1);
}

void CopiedImageTable::clear() {
  entries_ = {};
  index_ = {};
}

std::string ResolveImagePath(const std::string& path, const std::string& drawingPath, bool* exists) {
  // a relative path is taken from the drawing's folder, never from the working folder
  const bool absolute = text::IsAbsolutePath(path);
  const std::string resolved = absolute ? path : text::ExtractFilePath(drawingPath) + path;
  // a drawing read from memory has no folder of its own; a device is never an image
  if (exists) {
    *exists = (absolute || !drawingPath.empty()) && !text::IsDeviceName(text::ExtractFileName(resolved)) &&
              platform::FileExists(resolved);
  }
  return resolved;
}

std::string CutReference(const std::string& s) {
  if (s.size() <= kMaxReferenceBytes) return s;
  std::size_t end = 0;
  while (end < s.size()) {
    const std::size_t next = end + (text::IsLeadByte(static_cast<unsigned char>(s[end])) ? 2 : 1);
    if (next > kMaxReferenceBytes) break;
    end = next;
  }
  return s.substr(0, end);
}

void RelocateImages(jww::TJwwData& drawing, const std::string& sourceDrawingPath, const std::string& destinationFolder,
                    const RelocationOptions& options, CopiedImageTable& copiedImages, RelocationCounters& counters) {
  // stored images are checked before anything is written, and written out after the
  // copies, so that the walks never take their new references for ordinary ones
  ImageSeparator separator;
  if (options.Mode == ImageMode::Separate && !separator.Prepare(drawing)) {
    ++counters.FailedCopyCount;
    return;
  }
  std::optional<ImageEmbedder> embedder;
  if (options.Mode == ImageMode::Embed) embedder.emplace(drawing, copiedImages);
  const Pass pass{sourceDrawingPath, destinationFolder, options, copiedImages, counters.FailedCopyCount,
                  embedder ? &*embedder : nullptr};
  for (jww::TEntJwwText& t : drawing.Texts) RelocateText(t, pass, counters.ImageTextCount, counters.MissingImageCount);
  for (jww::TEntJwwBlockDef& def : drawing.BlockDefs) {
    for (jww::TEntJwwText& t : def.Texts) {
      RelocateText(t, pass, counters.BlockImageTextCount, counters.BlockMissingImageCount);
    }
  }
  if (options.Mode == ImageMode::Separate && !separator.Place(drawing, destinationFolder, copiedImages, counters)) {
    ++counters.FailedCopyCount;
  }
}

}  // namespace relocation
