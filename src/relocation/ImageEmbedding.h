// Images stored inside the drawing: packing found image files into it, and writing the
// stored images out beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "jww/DrawingDocument.h"
#include "relocation/Gzip.h"
#include "relocation/RelocationState.h"

namespace relocation {

// The name an image is stored under: its path with every ":", "\", "/", "." and character
// Windows forbids in a name made "_", then its own extension ("C:\img\photo.bmp" gives
// "C__img_photo_bmp.bmp"); Shift-JIS, or UTF-16 units for a path with no Shift-JIS form.
std::string EmbeddedImageName(const std::string& path);
std::u16string EmbeddedImageName(const std::u16string& path);

enum class EmbedResult {
  Embedded,  // the reference now names the stored image
  Failed,    // the image could not be read whole, is too large or could not be packed, or
             // the placement values leave no room for a name; the reference is unchanged
};

// Packs image files into a drawing's image store as gzip entries, each file once.
class ImageEmbedder {
 public:
  ImageEmbedder(jww::TJwwData& drawing, CopiedImageTable& embedded);

  // Stores the found image at path (resolved) unless it is stored already, and rewrites
  // the reference `text` (placement values `tail`) to "^@BM%temp%" + its name + tail in the
  // text's form, shortening the name so that the text stays within kMaxReferenceLength.
  EmbedResult Embed(const std::string& path, const std::string& tail, jww::JwwString& text);
  EmbedResult Embed(const std::u16string& path, const std::u16string& tail, jww::JwwString& text);

 private:
  // The name the image at path is stored under, fitting `budget`, made and packed when
  // no earlier one fits; "" (with `result` Failed) when none can be had.
  template <class Path>
  Path StoredName(const Path& path, std::size_t budget, jww::StringForm form, EmbedResult& result);
  // A name no entry begins with (ignoring case), fitting `budget`; "" when none.
  template <class Path>
  Path FreeName(const Path& path, std::size_t budget) const;
  // True when an entry of either form begins with name, so that a text naming it would
  // find that entry.
  bool Taken(const std::string& name) const;
  bool Taken(const std::u16string& name) const;

  jww::TJwwData& drawing_;
  CopiedImageTable& embedded_;
  // the names made for each upper-cased path, the first one in `embedded_`
  std::unordered_map<std::string, std::vector<std::string>> names_;
  std::unordered_map<std::u16string, std::vector<std::u16string>> unitNames_;
};

// Writes the embedded images that texts refer to into the destination folder and points
// those references at the files.
class ImageSeparator {
 public:
  // Finds the entries the drawing's and its definitions' texts refer to and checks that
  // each one unpacks; false when one does not (corrupt, past kMaxImageBytes, or its
  // scratch file missing). An entry whose name is not a plain file name stays embedded.
  bool Prepare(const jww::TJwwData& drawing);
  // Writes each entry as a file in folder (ending in a backslash), reusing a file of equal
  // bytes there and never taking drawingFileName, notes the files it made in `separated`,
  // and rewrites the references to "^@BM" + its name; false when a file could not be
  // written.
  bool Place(jww::TJwwData& drawing, const std::string& folder, CopiedImageTable& separated,
             RelocationCounters& counters, const std::string& drawingFileName = {});

 private:
  // Names and paths are held as UTF-16 units, whichever form the entry's name has.
  struct Entry {
    std::size_t image = 0;     // index in EmbeddedImages
    const jww::ImageStore* store = nullptr;  // holds its bytes; none for an empty image
    std::u16string fileName;   // the entry's name without ".gz"
    bool gzip = false;         // unpacked on the way out
    std::uint64_t size = 0;    // bytes once unpacked
  };
  struct Reference {
    std::int32_t owner = -1;  // -1 the drawing, else the block definition's index
    std::size_t text = 0;     // index in the owner's texts
    std::size_t entry = 0;    // index in entries_
  };

  // Hands the entry's bytes to sink, unpacked when it is a gzip stream.
  static UnpackResult Read(const Entry& entry, const Unpacker::Sink& sink);
  // True when the file at path holds exactly the entry's bytes.
  static bool SameBytes(const Entry& entry, const std::u16string& path);
  // Writes the entry under the first free name of folder other than `reserved` (upper-cased),
  // or finds it there; "" on failure. `created` tells whether a file was made.
  static std::u16string WriteOut(const Entry& entry, const std::u16string& folder, const std::u16string& reserved,
                                 bool& created);

  std::vector<Entry> entries_;
  std::vector<Reference> references_;
};

}  // namespace relocation
