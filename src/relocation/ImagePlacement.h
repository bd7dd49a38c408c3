// Placing an image file in the destination folder: the name it gets and the copy.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace relocation {

// A file's stamp: packed DOS local modification time and the low 32 bits of its size.
struct FileStamp {
  std::uint32_t time = 0;
  std::uint32_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

// Raised when the source of a copy cannot be opened.
class CopyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class CopyResult {
  Whole,      // the target holds every byte of the source
  NotWhole,   // the copy failed or a write came up short
  NameTaken,  // a file already has the target's name; it was left alone
};

// What a placed name keeps to: at most `length` long, counted in bytes, or in characters
// when the text it goes into is held as UTF-16 units; never `reserved` (Shift-JIS; the
// name the drawing is saved under), whatever the letter case.
struct NameLimits {
  std::size_t length = std::string::npos;
  bool inCharacters = false;
  std::string reserved;
};

// True when a name keeps to the limits' length (a name held as units counts its units).
bool NameFits(const std::string& name, const NameLimits& limits);
bool NameFits(const std::u16string& name, const NameLimits& limits);

// What a name offered by BranchedName is to the caller.
enum class NameTurn {
  Take,  // the name is the image's
  Next,  // taken by something else: offer the next branch number
  Stop,  // no name will do
};
// The names an image may take, in order: stem + ext, then stem + "~1" + ext, "~2" and so on
// up to "~99999", each within the limits' length (as few whole characters dropped from the
// front of stem as make it fit). Gives the first name `turn` takes; "" when it stops, when
// every branch number is passed over, or when not one character of stem fits.
std::string BranchedName(const std::string& stem, const std::string& ext, const NameLimits& limits,
                         const std::function<NameTurn(const std::string&)>& turn);
std::u16string BranchedName(const std::u16string& stem, const std::u16string& ext, const NameLimits& limits,
                            const std::function<NameTurn(const std::u16string&)>& turn);

// The path flattened into one file name: every separator ("\\", "/"), ":" and character
// Windows forbids in a name becomes "_" (in a Shift-JIS path never a trail byte; in UTF-16
// units each unit stands for itself).
std::string FlattenedImageName(const std::string& path);
std::u16string FlattenedImageName(const std::u16string& path);
// The stamp of a file; (0, 0) when nothing is found.
FileStamp GetFileStamp(const std::string& path);
// True when two files hold the same bytes.
bool SameContents(const std::string& a, const std::string& b);
// The name (no folder) under which an image lies or is to lie in the destination folder:
// its own name when it already lies there; else the first of the name (the whole path
// flattened into one name, or the plain name) and its branch numbers "~n" that is free
// or holds a file equal to the image in stamp and bytes. `present` tells whether the file
// is already there. "" when every branch number is taken by other files.
std::string MakeImageFileName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                              bool* present = nullptr);
// Copies a file byte for byte into a new file that never replaces another; a failing
// target is deleted, a write that takes fewer bytes than given ends the copy and keeps
// the shorter target, a source that cannot be opened raises CopyError. The copy is never
// read-only.
CopyResult FileCopy(const std::string& source, const std::string& target);
// FileCopy, then the target gets the source's modification time.
CopyResult FileCopyKeepTime(const std::string& source, const std::string& target);
// Puts the image into the destination folder (MakeImageFileName, then the copy unless it
// is there) and gives the name it lies under; false when it could not be placed whole.
// A name too long for the limits loses whole characters from the front of its stem (the
// extension kept), more for a branch number; false when not one character is left.
// `created` tells whether a file was made (whole or not).
bool PlaceImage(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                std::string& fileName, const NameLimits& limits = {}, bool* created = nullptr);
// The same for an image path held as UTF-16 units, the destination folder converted.
bool PlaceImage(bool nameWithPath, const std::u16string& sourcePath, const std::u16string& destinationFolder,
                std::u16string& fileName, const NameLimits& limits = {}, bool* created = nullptr);

}  // namespace relocation
