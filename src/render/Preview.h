// Drawing a drawing as the drafting program shows it: a display list, written as SVG or
// rasterised to PNG. Only BMP images are drawn; others show their reference string.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jww/DrawingDocument.h"
#include "render/DisplayList.h"

namespace relocation {
class ImageSearch;
}

namespace render {

// A path in the form its reference text is held in: Shift-JIS bytes, or UTF-16 units for
// one with no Shift-JIS form (then `sjis` is empty).
struct ImagePath {
  std::string sjis;
  std::u16string units;
};

// Finds the file an image reference of the drawing at drawingPath names; false when there
// is none. The hook through which a search for lost images can be added.
using ImageFinder = std::function<bool(const ImagePath& reference, const std::string& drawingPath, ImagePath& file)>;
// The finder a conversion uses: relative beside the drawing, absolute as written, never a
// device or a drive-relative name.
bool FindImageFile(const ImagePath& reference, const std::string& drawingPath, ImagePath& file);
// The same, and then for an image missing where it says, the search a conversion runs
// with (found when one file is nearest, never a tie). The search must outlive the finder.
ImageFinder FindImageFileOrSearch(const relocation::ImageSearch& search);

// The images a drawing stores, unpacked, indexed as TJwwData::EmbeddedImages; an entry
// that did not unpack is empty.
struct StoredImages {
  std::vector<std::vector<std::uint8_t>> bytes;
};

struct PreviewOptions {
  int widthPixels = 1194;  // the picture's width; its height follows the paper's shape
  ImageFinder findImage = FindImageFile;
};

// Most pixels a decoded image keeps; a larger one is sampled down to about this many.
constexpr std::size_t kMaxBitmapPixels = std::size_t{4} << 20;
// Most bytes an image file may have to be drawn.
constexpr std::uint64_t kMaxImageFileBytes = std::uint64_t{256} << 20;
// Most entities drawn from block definitions, and the deepest nesting followed.
constexpr std::size_t kMaxBlockEntities = 500000;
constexpr int kMaxBlockDepth = 64;
// Widest picture made.
constexpr int kMaxWidthPixels = 16384;

// Reads a drawing, unpacking the images it stores into memory (nothing is extracted);
// false when the drawing cannot be read.
bool LoadDrawing(const std::string& path, jww::TJwwData& drawing, StoredImages& stored);
// The same for a drawing's bytes in memory.
bool LoadDrawing(const void* data, std::size_t size, jww::TJwwData& drawing, StoredImages& stored);

// Paper size in mm (width, height) of the header's paper code.
Vec PaperSize(std::int32_t code);

// What the drawing shows. Stored images come from `stored`, or else from the document's
// scratch folder.
DisplayList BuildDisplayList(const jww::TJwwData& drawing, const std::string& drawingPath,
                             const StoredImages& stored, const PreviewOptions& options);

// The picture as an SVG document widthPixels wide, images included as data.
std::string WriteSvg(const DisplayList& list, int widthPixels);
// The picture drawn on the system's canvas: RGB rows, top first; false when it could not
// be made.
bool Rasterize(const DisplayList& list, int widthPixels, Bitmap& picture);
// A bitmap as a PNG file's bytes.
std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap);
// The pixel height of a picture of the paper widthPixels wide.
int PictureHeight(const DisplayList& list, int widthPixels);

}  // namespace render
