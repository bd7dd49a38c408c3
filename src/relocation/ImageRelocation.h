// Rewriting the image references of a loaded drawing so that they name copies placed in
// the destination folder.
#pragma once

#include <string>

#include "jww/DrawingDocument.h"
#include "jww/ImageReference.h"
#include "relocation/RelocationState.h"

namespace relocation {

// The file an image path names: an absolute path as written, a relative one under the
// folder of the drawing at drawingPath. `exists` tells whether a file is found under the
// result (a device name such as NUL or COM1 never is one).
std::string ResolveImagePath(const std::string& path, const std::string& drawingPath, bool* exists = nullptr);
// The same for a path held as UTF-16 units: the drawing's folder converted and put in front.
std::u16string ResolveImagePath(const std::u16string& path, const std::string& drawingPath, bool* exists = nullptr);
// The text cut to kMaxReferenceLength, never inside a double-byte character.
std::string CutReference(const std::string& text);
// The text cut to kMaxReferenceLength UTF-16 units, never between the halves of a pair.
std::u16string CutReference(const std::u16string& text);
// The reference rewritten to name fileName in the destination folder: "^@BM", the name
// and the reference's tail, cut as above.
std::string RewrittenReference(const jww::ImageReference& ref, const std::string& fileName);
std::u16string RewrittenReference(const jww::Utf16ImageReference& ref, const std::u16string& fileName);
// The reference switched off: "_@BM", the path its image was looked for under (see
// ResolveImagePath) and its tail, cut as above.
std::string DisabledReference(const jww::ImageReference& ref, const std::string& resolvedPath);
std::u16string DisabledReference(const jww::Utf16ImageReference& ref, const std::u16string& resolvedPath);

// Walks the texts of the drawing read from sourceDrawingPath, then every block
// definition's, placing each referenced image in destinationFolder (ending in a
// backslash) or, in the embed mode, inside the drawing, noting it in copiedImages, and
// rewriting its reference. The separate mode also writes the embedded images the texts
// refer to into destinationFolder. No image takes drawingFileName, the name the drawing is
// to be saved under there. A name is shortened so that the rewritten reference keeps its
// placement values whole; where it cannot be, the image counts as not placed.
void RelocateImages(jww::TJwwData& drawing, const std::string& sourceDrawingPath, const std::string& destinationFolder,
                    const RelocationOptions& options, CopiedImageTable& copiedImages, RelocationCounters& counters,
                    const std::string& drawingFileName = {});

}  // namespace relocation
