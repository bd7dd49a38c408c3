// The in-memory drawing: everything read from a drawing file, so that it can be written
// back as version 700 with only the image references changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "jww/DrawingRecords.h"
#include "jww/ImageStore.h"

namespace jww {

class ArchiveReader;
class ArchiveWriter;
class ByteSource;

// Reads a base in the layout of the file version (13 bytes before 351, PenWidth 0).
void ReadBase(ArchiveReader& ar, std::int32_t version, TEntJwwBase& base);
// Copies the common attributes of one record into another.
void CopyBase(const TEntJwwBase& source, TEntJwwBase& target);
// Writes a base with the clean-up of an attribute kind (a class number 1-8).
void WriteBase(ArchiveWriter& ar, std::int32_t version, const TEntJwwBase& base, int kind);

// How a load ended: read whole, or why not and where.
struct LoadResult {
  bool ok = false;
  std::string reason;        // in English, for the console; "" when ok
  std::uint64_t offset = 0;  // where in the file the bytes that failed begin
};

class TJwwData : public EntityList, public HeaderSection {
 public:
  TJwwData();
  virtual ~TJwwData();

  // Releases everything read from a file and restores the defaults.
  void Clear();
  // Sets every field to its default.
  void Reset();

  // Reads a drawing of version 220 or later; says why and where it could not be read whole.
  LoadResult Load(const std::string& path);
  // Load, true when the drawing was read whole.
  bool LoadFromFile(const std::string& path);
  // Reads a drawing from bytes in memory.
  bool LoadFromMemory(const void* data, std::size_t size);
  // How the last load ended.
  const LoadResult& LastLoadResult() const { return lastLoad_; }
  // Writes the drawing as the given version through a temporary file that replaces
  // the target only when complete; false leaves the target as it was.
  bool SaveToFile(const std::string& path, std::int32_t version) const;
  // Writes the drawing into memory; false when an embedded image cannot be read back.
  bool SaveToMemory(std::vector<unsigned char>& bytes, std::int32_t version) const;

  // The entity list, the block definitions and, from 700 on, the embedded images.
  void ReadBody(ArchiveReader& ar);
  void WriteBody(ArchiveWriter& ar, std::int32_t version) const;

  // Marks and numbers the definitions the drawing's block inserts reach; builds BlockTree,
  // its breadth-first order cut after maxEntries entries.
  void BuildBlockTree(std::size_t maxEntries = kMaxBlockTree);
  // The number a block insert is written with; an insert whose number no definition
  // has is not written at all.
  std::int32_t MapBlockNumber(std::int32_t number) const;
  // Index in BlockDefs of the first definition with the number, or -1 (after BuildBlockTree).
  std::int32_t FindBlockDef(std::int32_t number) const;

  // Forget the embedded images, delete their extracted files, find one: see ImageStore.
  void ClearEmbeddedImages() { Images.ClearEmbeddedImages(); }
  void DeleteExtractedFiles() { Images.DeleteExtractedFiles(); }
  void DeleteUnpackedFiles() { Images.DeleteUnpackedFiles(); }
  std::int32_t FindEmbeddedImage(const JwwString& text) const { return Images.FindEmbeddedImage(text); }
  std::int32_t FindEmbeddedImageByName(const JwwString& name) const { return Images.FindEmbeddedImageByName(name); }

  // The drawing's embedded images and the scratch folder they are extracted into.
  ImageStore Images;
  // When set, sees the bytes of each embedded image (its index, a piece) as they are
  // read, whether or not they are extracted.
  ImageStore::Watcher OnImageBytes;

  std::vector<TEntJwwBlockDef> BlockDefs;
  std::vector<TEntJwwBlockTree> BlockTree;
  std::int32_t ReferencedBlockCount = 0;

  // Most entries BlockTree grows to, however deep or wide the nesting.
  static constexpr std::size_t kMaxBlockTree = 100000;

 private:
  LoadResult LoadFrom(ByteSource& source);
  void Save(ArchiveWriter& ar, std::int32_t version) const;
  void ReadHeader(ArchiveReader& ar);
  void WriteHeader(ArchiveWriter& ar, std::int32_t version) const;
  void ReadEntities(ArchiveReader& ar, EntityList& list);
  void WriteEntities(ArchiveWriter& ar, const EntityList& list, std::int32_t version) const;
  void ReadBlockDefs(ArchiveReader& ar);
  void WriteBlockDefs(ArchiveWriter& ar, std::int32_t version) const;
  void ReadImages(ArchiveReader& ar);
  void WriteImages(ArchiveWriter& ar) const;

  // (number, index) of every definition, sorted: the first of a number comes first
  std::vector<std::pair<std::int32_t, std::int32_t>> defsByNumber_;
  LoadResult lastLoad_;
};

}  // namespace jww
