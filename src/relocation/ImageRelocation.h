// Rewriting the image references of a loaded drawing so that they name copies placed in
// the destination folder.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "jww/DrawingDocument.h"

namespace relocation {

// One image placed during the current conversion.
struct CopiedImage {
  std::string SourcePath;  // the resolved path, compared ignoring case
  std::string FileName;    // its name in the destination folder
};

// The images placed for the drawing being converted, in the order first met; an image is
// found by its source path whatever the letter case.
class CopiedImageTable {
 public:
  // The entry of the image at sourcePath, or nullptr.
  const CopiedImage* Find(const std::string& sourcePath) const;
  void Add(const std::string& sourcePath, const std::string& fileName);
  void clear();
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<CopiedImage> entries_;
  // the first entry of each upper-cased source path
  std::unordered_map<std::string, std::size_t> index_;
};

// What becomes of the images of a drawing.
enum class ImageMode {
  Copy,      // copied beside the drawing, references made bare
  Embed,     // stored inside the drawing as gzip entries
  Separate,  // stored ones written out beside the drawing; the others copied
};

struct RelocationOptions {
  bool DisableMissingImages = false;  // switch off references to missing images
  bool NameWithPath = false;          // name copies after their whole path
  ImageMode Mode = ImageMode::Copy;
};

struct RelocationCounters {
  std::int32_t ImageTextCount = 0;          // rewritten among the drawing's texts
  std::int32_t BlockImageTextCount = 0;     // rewritten among block definitions' texts
  std::int32_t MissingImageCount = 0;       // missing among the drawing's texts
  std::int32_t BlockMissingImageCount = 0;  // missing among block definitions' texts
  std::int32_t FailedCopyCount = 0;         // images that could not be placed whole
};

// Longest text the system writes into a reference; longer ones are cut.
constexpr std::size_t kMaxReferenceBytes = 255;

// The file an image path names: an absolute path as written, a relative one under the
// folder of the drawing at drawingPath. `exists` tells whether a file is found under the
// result (a device name such as NUL or COM1 never is one).
std::string ResolveImagePath(const std::string& path, const std::string& drawingPath, bool* exists = nullptr);
// The text cut to kMaxReferenceBytes, never inside a double-byte character.
std::string CutReference(const std::string& text);

// Walks the texts of the drawing read from sourceDrawingPath, then every block
// definition's, placing each referenced image in destinationFolder (ending in a
// backslash) or, in the embed mode, inside the drawing, noting it in copiedImages, and
// rewriting its reference. The separate mode also writes the embedded images the texts
// refer to into destinationFolder.
void RelocateImages(jww::TJwwData& drawing, const std::string& sourceDrawingPath, const std::string& destinationFolder,
                    const RelocationOptions& options, CopiedImageTable& copiedImages, RelocationCounters& counters);

}  // namespace relocation
