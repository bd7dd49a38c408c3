// Rewriting the image references of a loaded drawing so that they name copies placed in
// the destination folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jww/jwwunit.h"

namespace relocation {

// One image placed during the current conversion.
struct CopiedImage {
  std::string SourcePath;  // the resolved path, compared ignoring case
  std::string FileName;    // its name in the destination folder
};

// The images placed for the drawing being converted, in the order first met.
extern std::vector<CopiedImage> CopiedImages;
// Empties the table.
void ClearCopiedImages();

struct RelocationOptions {
  bool DisableMissingImages = false;  // switch off references to missing images
  bool NameWithPath = false;          // name copies after their whole path
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
// folder of SourceDrawingPath. `exists` tells whether a file is found under the result
// (a device name such as NUL or COM1 never is one).
std::string ResolveImagePath(const std::string& path, bool* exists = nullptr);
// The text cut to kMaxReferenceBytes, never inside a double-byte character.
std::string CutReference(const std::string& text);

// Walks the drawing's texts, then every block definition's, placing each referenced image
// in destinationFolder (ending in a backslash) and rewriting its reference.
void RelocateImages(jww::TJwwData& drawing, const std::string& destinationFolder, const RelocationOptions& options,
                    RelocationCounters& counters);

}  // namespace relocation
