#include "relocation/ImageRelocation.h"

#include <unordered_map>

#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageReference.h"
#include "text/ShiftJis.h"

namespace relocation {

std::vector<CopiedImage> CopiedImages;

namespace {

// First table entry for each upper-cased source path, so a lookup costs the same
// however many images the drawing has.
std::unordered_map<std::string, std::size_t> copiedIndex;
std::size_t indexedCount = 0;

// "^@BM": an image reference; "_@BM": one switched off
constexpr std::string_view kReferencePrefix = "^@BM";
constexpr std::string_view kDisabledPrefix = "_@BM";
// The auxiliary-line colour a switched-off reference takes.
constexpr std::uint16_t kAuxiliaryColor = 9;

// Brings the index in line with the table, which callers may have emptied themselves.
void SyncIndex() {
  if (CopiedImages.size() < indexedCount) {
    copiedIndex.clear();
    indexedCount = 0;
  }
  for (; indexedCount < CopiedImages.size(); ++indexedCount) {
    copiedIndex.emplace(text::UpperCase(CopiedImages[indexedCount].SourcePath), indexedCount);
  }
}

const CopiedImage* FindCopied(const std::string& path) {
  SyncIndex();
  const std::string key = text::UpperCase(path);
  auto it = copiedIndex.find(key);
  if (it != copiedIndex.end() && text::UpperCase(CopiedImages[it->second].SourcePath) != key) {
    indexedCount = CopiedImages.size() + 1;  // entries were replaced in place: index afresh
    SyncIndex();
    it = copiedIndex.find(key);
  }
  return it == copiedIndex.end() ? nullptr : &CopiedImages[it->second];
}

void AddCopied(const std::string& path, const std::string& name) {
  CopiedImages.push_back({path, name});
  SyncIndex();
}

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() >= 2 && path[1] == ':');
}

void RelocateText(jww::TEntJwwText& t, const std::string& folder, const RelocationOptions& options,
                  std::int32_t& found, std::int32_t& missing, std::int32_t& failedCopies) {
  const ImageReference ref = ParseImageReference(t.Text);
  if (ref.kind != ReferenceKind::Image) return;
  bool exists = false;
  const std::string path = ResolveImagePath(ref.path, &exists);
  if (exists) {
    std::string name;
    if (const CopiedImage* copied = FindCopied(path)) {
      name = copied->FileName;
    } else {
      // the reference still names where the image should be; the caller learns of it
      if (!PlaceImage(options.NameWithPath, path, folder, name)) ++failedCopies;
      AddCopied(path, name);
    }
    t.Text.bytes = CutReference(std::string(kReferencePrefix) + name + ref.tail);
    ++found;
    return;
  }
  if (options.DisableMissingImages) {
    t.Text.bytes = CutReference(std::string(kDisabledPrefix) + path + ref.tail);
    t.TextType = 0;
    t.PenColor = kAuxiliaryColor;
  }
  ++missing;
}

}  // namespace

void ClearCopiedImages() {
  CopiedImages = {};
  copiedIndex = {};
  indexedCount = 0;
}

std::string ResolveImagePath(const std::string& path, bool* exists) {
  // a relative path is taken from the drawing's folder, never from the working folder
  const bool absolute = IsAbsolute(path);
  const std::string resolved = absolute ? path : text::ExtractFilePath(jww::SourceDrawingPath) + path;
  // a drawing read from memory has no folder of its own; a device is never an image
  if (exists) {
    *exists = (absolute || !jww::SourceDrawingPath.empty()) && !text::IsDeviceName(text::ExtractFileName(resolved)) &&
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

void RelocateImages(jww::TJwwData& drawing, const std::string& destinationFolder, const RelocationOptions& options,
                    RelocationCounters& counters) {
  for (jww::TEntJwwText& t : drawing.Texts) {
    RelocateText(t, destinationFolder, options, counters.ImageTextCount, counters.MissingImageCount,
                 counters.FailedCopyCount);
  }
  for (jww::TEntJwwBlockDef& def : drawing.BlockDefs) {
    for (jww::TEntJwwText& t : def.Texts) {
      RelocateText(t, destinationFolder, options, counters.BlockImageTextCount, counters.BlockMissingImageCount,
                   counters.FailedCopyCount);
    }
  }
}

}  // namespace relocation
