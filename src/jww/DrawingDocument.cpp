#include "jww/DrawingDocument.h"

#include <exception>
#include <new>
#include <string>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace jww {

TJwwData::TJwwData() { Reset(); }

TJwwData::~TJwwData() { Clear(); }

void TJwwData::Clear() {
  for (TEntJwwBlockDef& def : BlockDefs) def.ClearEntities();
  Reset();
}

void TJwwData::Reset() {
  Header = TEntJwwHeader();
  LayerGroups = {};
  Layers = {};
  Pens = {};
  LineTypes = {};
  RandomLines = {};
  DoubleLines = {};
  ColorsEx = {};
  LineTypesEx = {};
  TextTypes = {};
  ClearEntities();
  BlockDefs = {};
  BlockTree = {};
  ReferencedBlockCount = 0;
  defsByNumber_ = {};
}

namespace {

// Why a read stopped, inside the handler of what stopped it: the archive's first failure
// (a record's failure may have been passed over before a later read failed), else the
// exception itself.
LoadResult FailureOf(const ArchiveReader& ar) {
  if (const ArchiveError* first = ar.FirstFailure()) return {false, first->what(), first->Offset()};
  try {
    throw;
  } catch (const ArchiveError& e) {
    return {false, e.what(), e.Offset()};
  } catch (const std::bad_alloc&) {
    return {false, "out of memory", ar.Position()};
  } catch (const std::exception& e) {
    return {false, std::string("the reader failed: ") + e.what(), ar.Position()};
  } catch (...) {
    return {false, "the reader failed", ar.Position()};
  }
}

// Why a load stopped before anything was read.
LoadResult FailureBeforeReading() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return {false, "out of memory", 0};
  } catch (const std::exception& e) {
    return {false, std::string("the file cannot be read: ") + e.what(), 0};
  } catch (...) {
    return {false, "the file cannot be read", 0};
  }
}

}  // namespace

LoadResult TJwwData::LoadFrom(ByteSource& source) {
  LoadResult result;
  std::uint64_t end = 0;
  try {
    ArchiveReader ar(source);
    try {
      ReadHeader(ar);
      ReadBody(ar);
      result = {true, "", 0};
    } catch (...) {
      result = FailureOf(ar);
    }
    end = ar.Position();
  } catch (...) {
    result = FailureBeforeReading();
  }
  try {
    if (Header.Version >= 220) BuildBlockTree();
  } catch (...) {
    // a drawing whose nesting cannot be worked out is not loaded
    BlockTree = {};
    if (result.ok) result = {false, "the block nesting cannot be worked out", end};
  }
  return result;
}

LoadResult TJwwData::Load(const std::string& path) {
  Reset();
  try {
    platform::InputFile file;
    if (!file.Open(path)) {
      lastLoad_ = {false, "the file cannot be opened", 0};
    } else {
      FileSource source(file);
      lastLoad_ = LoadFrom(source);
    }
  } catch (...) {
    lastLoad_ = FailureBeforeReading();
  }
  return lastLoad_;
}

bool TJwwData::LoadFromFile(const std::string& path) { return Load(path).ok; }

bool TJwwData::LoadFromMemory(const void* data, std::size_t size) {
  Reset();
  try {
    MemorySource source(data, size);
    lastLoad_ = LoadFrom(source);
  } catch (...) {
    lastLoad_ = FailureBeforeReading();
  }
  return lastLoad_.ok;
}

void TJwwData::ReadBody(ArchiveReader& ar) {
  ar.ResetClasses();
  ar.SetPart("the entity list");
  ReadEntities(ar, *this);
  ar.SetPart("the block definitions");
  ReadBlockDefs(ar);
  ar.SetPart("the embedded images");
  if (Header.Version >= 700) ReadImages(ar);
}

void TJwwData::WriteBody(ArchiveWriter& ar, std::int32_t version) const {
  ar.ResetClasses();
  WriteEntities(ar, *this, version);
  WriteBlockDefs(ar, version);
  if (version >= 700) WriteImages(ar);
}

void TJwwData::ReadImages(ArchiveReader& ar) { Images.Read(ar, OnImageBytes); }

void TJwwData::WriteImages(ArchiveWriter& ar) const {
  // the images every text refers to, those of unused definitions too
  std::vector<const RecordArray<TEntJwwText>*> texts{&Texts};
  for (const TEntJwwBlockDef& def : BlockDefs) texts.push_back(&def.Texts);
  Images.Write(ar, Images.Referenced(texts));
}

void TJwwData::Save(ArchiveWriter& ar, std::int32_t version) const {
  WriteHeader(ar, version);
  WriteBody(ar, version);
  ar.Flush();
}

bool TJwwData::SaveToMemory(std::vector<unsigned char>& bytes, std::int32_t version) const {
  MemorySink sink;
  try {
    ArchiveWriter ar(sink);
    Save(ar, version);
  } catch (const ArchiveError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  bytes = sink.Bytes();
  return true;
}

bool TJwwData::SaveToFile(const std::string& path, std::int32_t version) const {
  // written beside the drawing, flushed to the disk and moved over it only when complete
  return platform::ReplaceFileContents(path, [this, version](platform::OutputFile& out) {
    FileSink sink(out);
    ArchiveWriter ar(sink);
    Save(ar, version);
    return true;
  });
}

}  // namespace jww
