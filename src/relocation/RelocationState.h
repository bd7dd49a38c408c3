// What a relocation pass is given and what it keeps while it places a drawing's images:
// the options, the counters and the table of images placed (the embedder and the
// separator keep theirs in the same table).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "relocation/ImagePlacement.h"
#include "relocation/ImageSearch.h"

namespace relocation {

// One image placed during the current conversion, its paths as Shift-JIS bytes or, for a
// path with no Shift-JIS form, as UTF-16 units.
template <class Path>
struct BasicCopiedImage {
  Path SourcePath;  // the resolved path, compared ignoring case
  Path FileName;    // its name in the destination folder
};
using CopiedImage = BasicCopiedImage<std::string>;
using Utf16CopiedImage = BasicCopiedImage<std::u16string>;

// The images placed for the drawing being converted, in the order first met; an image is
// found by its source path whatever the ASCII letter case, and has one entry for each
// name it was placed under. A path that has a Shift-JIS form is always held in it, so one
// file has one entry whichever form its reference had.
class CopiedImageTable {
 public:
  // The first entry of the image at sourcePath, or nullptr.
  const CopiedImage* Find(const std::string& sourcePath) const;
  const Utf16CopiedImage* Find(const std::u16string& sourcePath) const;
  // The first entry of the image at sourcePath whose name keeps to the limits' length.
  const CopiedImage* Find(const std::string& sourcePath, const NameLimits& limits) const;
  const Utf16CopiedImage* Find(const std::u16string& sourcePath, const NameLimits& limits) const;
  void Add(const std::string& sourcePath, const std::string& fileName);
  void Add(const std::u16string& sourcePath, const std::u16string& fileName);
  // Notes a file made in the destination for the drawing, so that it can be taken back.
  void NoteCreated(const std::string& path);
  void NoteCreated(const std::u16string& path);
  // Deletes every file noted as made and forgets them: the drawing was not written, and
  // nothing names them.
  void RemoveCreatedFiles();
  // Forgets everything, the files made included (which stay).
  void clear();
  std::size_t size() const { return sjis_.entries.size() + units_.entries.size(); }
  bool empty() const { return size() == 0; }

 private:
  template <class Path>
  struct Entries {
    std::vector<BasicCopiedImage<Path>> entries;
    // the next entry of the same image, or npos
    std::vector<std::size_t> next;
    // the first and the last entry of each upper-cased source path
    std::unordered_map<Path, std::pair<std::size_t, std::size_t>> index;
    std::vector<Path> created;
  };
  template <class Path>
  static const BasicCopiedImage<Path>* FindIn(const Entries<Path>& entries, const Path& sourcePath,
                                              const NameLimits* limits);
  template <class Path>
  static void AddTo(Entries<Path>& entries, const Path& sourcePath, const Path& fileName);
  Entries<std::string> sjis_;
  Entries<std::u16string> units_;
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
  // where an image missing at its path is looked for; nothing is searched without one
  const ImageSearch* Search = nullptr;
};

// A reference whose image was missing where it says and was looked for. A path is held as
// Shift-JIS bytes or, when it has no Shift-JIS form, as UTF-16 units.
struct SearchNote {
  bool Tie = false;            // different files equally near: the reference stays missing
  std::string Reference;       // the path as the drawing holds it
  std::u16string ReferenceUnits;
  std::string File;            // found: the file used in its place
  std::u16string FileUnits;
  std::size_t Candidates = 0;  // a tie: how many files
};

struct RelocationCounters {
  std::int32_t ImageTextCount = 0;          // rewritten among the drawing's texts
  std::int32_t BlockImageTextCount = 0;     // rewritten among block definitions' texts
  std::int32_t MissingImageCount = 0;       // missing among the drawing's texts
  std::int32_t BlockMissingImageCount = 0;  // missing among block definitions' texts
  std::int32_t FailedCopyCount = 0;         // images that could not be placed whole
  std::vector<SearchNote> Searched;         // found by the search, or tied, in the order met
};

// Longest text the system writes into a reference (bytes, or UTF-16 units); longer ones
// are cut.
constexpr std::size_t kMaxReferenceLength = 255;

}  // namespace relocation
