// The images a drawing stores inside itself and the scratch folder their bytes lie in
// while the drawing is open. The store is the only code that touches that folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jww/DrawingRecords.h"
#include "jww/RecordArray.h"

namespace platform {
class InputFile;
}

namespace jww {

class ArchiveReader;
class ArchiveWriter;

// True for a name that can only mean a file directly inside the scratch folder.
bool IsPlainFileName(const JwwString& name);

class ImageStore {
 public:
  // Takes bytes piece by piece; false to stop.
  using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;
  // Hands a new entry's bytes to a sink; false when they could not all be had.
  using Source = std::function<bool(const Sink& sink)>;
  // Sees the bytes of each entry (its index, a piece) as they are read.
  using Watcher = std::function<void(std::size_t, const unsigned char*, std::size_t)>;

  // The folder the entries' files lie in (ending in a backslash); "" extracts nothing.
  // Two documents never share one.
  void SetTempFolder(const std::string& folder) { tempFolder_ = folder; }
  const std::string& TempFolder() const { return tempFolder_; }
  // The entries of the drawing last read and those added since, in file order.
  const std::vector<TBindImageType>& EmbeddedImages() const { return images_; }

  // Forgets the entries (their files stay).
  void ClearEmbeddedImages() { images_ = {}; }
  // Deletes the files of entries stored compressed (".gz").
  void DeleteExtractedFiles();
  // Deletes the files under the entries' names without ".gz".
  void DeleteUnpackedFiles();
  // Index of the entry a text "^@BM%temp%" + name + "," ... refers to: the first whose
  // name begins with that name, ignoring case; -1 when none or no such text.
  std::int32_t FindEmbeddedImage(const JwwString& text) const;
  // Index of the first entry whose name begins with name (in its form), ignoring case:
  // the one a text naming it in that form refers to; -1 when none.
  std::int32_t FindEmbeddedImageByName(const JwwString& name) const;

  // True when the folder holds a file of the name (Shift-JIS bytes or UTF-16 units).
  bool HoldsFile(const std::string& name) const;
  bool HoldsFile(const std::u16string& name) const;
  // Adds an entry whose bytes source hands over, kept in a file of its name; false (and
  // nothing added) without a folder or when the bytes cannot be had or kept whole.
  bool Add(const JwwString& name, const Source& source);
  // Opens the file of an entry for reading; false when it has none.
  bool Open(std::size_t index, platform::InputFile& in) const;

  // Reads the image section, extracting each entry with a plain name into the folder.
  void Read(ArchiveReader& ar, const Watcher& watcher);
  // Indices of the entries a save writes: those a text refers to, with bytes, in order.
  std::vector<std::size_t> Referenced(const std::vector<const RecordArray<TEntJwwText>*>& texts) const;
  // Writes the image section holding the given entries, read back from their files.
  void Write(ArchiveWriter& ar, const std::vector<std::size_t>& entries) const;

 private:
  std::string tempFolder_;
  std::vector<TBindImageType> images_;
};

}  // namespace jww
