#include "jww/DrawingDocument.h"

#include <new>

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

bool TJwwData::Load(ByteSource& source) {
  bool ok = false;
  try {
    ArchiveReader ar(source);
    ReadHeader(ar);
    ReadBody(ar);
    ok = true;
  } catch (...) {
  }
  try {
    if (Header.Version >= 220) BuildBlockTree();
  } catch (...) {
    // a drawing whose nesting cannot be worked out is not loaded
    BlockTree = {};
    ok = false;
  }
  return ok;
}

bool TJwwData::LoadFromFile(const std::string& path) {
  Reset();
  try {
    platform::InputFile file;
    if (!file.Open(path)) return false;
    FileSource source(file);
    return Load(source);
  } catch (...) {
    return false;
  }
}

bool TJwwData::LoadFromMemory(const void* data, std::size_t size) {
  Reset();
  try {
    MemorySource source(data, size);
    return Load(source);
  } catch (...) {
    return false;
  }
}

void TJwwData::ReadBody(ArchiveReader& ar) {
  ar.ResetClasses();
  ReadEntities(ar, *this);
  ReadBlockDefs(ar);
  if (Header.Version >= 700) ReadImages(ar);
}

void TJwwData::WriteBody(ArchiveWriter& ar, std::int32_t version) {
  ar.ResetClasses();
  WriteEntities(ar, *this, version);
  WriteBlockDefs(ar, version);
  if (version >= 700) WriteImages(ar);
}

void TJwwData::Save(ArchiveWriter& ar, std::int32_t version) {
  Header.Signature = "JwwData.";
  WriteHeader(ar, version);
  WriteBody(ar, version);
  ar.Flush();
}

bool TJwwData::SaveToMemory(std::vector<unsigned char>& bytes, std::int32_t version) {
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

bool TJwwData::SaveToFile(const std::string& path, std::int32_t version) {
  // a link is followed to the drawing it stands for; a read-only drawing is not replaced
  std::string target;
  if (!platform::FindSaveTarget(path, target)) return false;
  // written beside the target, flushed to the disk and moved over it only when complete
  std::string temp;
  platform::OutputFile out;
  if (!out.CreateTemporaryFor(target, temp)) return false;
  bool ok = false;
  try {
    FileSink sink(out);
    ArchiveWriter ar(sink);
    Save(ar, version);
    ok = out.Flush();
  } catch (const ArchiveError&) {
  } catch (const std::bad_alloc&) {
  }
  if (!out.Close()) ok = false;
  if (ok) ok = platform::MoveIntoPlace(temp, target);
  if (!ok) platform::RemoveFile(temp);
  return ok;
}

}  // namespace jww
