// Block definitions, the block nesting tree, and the embedded images.
#include <algorithm>
#include <cmath>
#include <deque>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/jwwunit.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace jww {
namespace {

// The smallest block definition: tag, old base, three dwords, empty name, count.
constexpr std::uint64_t kMinBlockDefBytes = 2 + 13 + 12 + 1 + 2;
// The smallest embedded image entry: empty name and its size.
constexpr std::uint64_t kMinImageBytes = 1 + 4;
constexpr std::size_t kCopyBlock = 64 * 1024;
// "^@BM%temp%": a text that refers to an image stored in the drawing
constexpr std::string_view kEmbeddedPrefix = "^@BM%temp%";

struct Matrix {
  double m11, m12, m21, m22;
};

Matrix InsertMatrix(const TEntJwwBlock& b) {
  const double c = std::cos(b.Angle);
  const double s = std::sin(b.Angle);
  return {c * b.ScaleX, -s * b.ScaleY, s * b.ScaleX, c * b.ScaleY};
}

}  // namespace

std::int32_t TJwwData::FindBlockDef(std::int32_t number) const {
  const auto it = firstDefByNumber_.find(number);
  return it == firstDefByNumber_.end() ? -1 : it->second;
}

std::int32_t TJwwData::MapBlockNumber(std::int32_t number) const {
  const std::int32_t d = FindBlockDef(number);
  if (d < 0) return 0;
  return BlockDefs[d].Used == 1 ? BlockDefs[d].WriteNumber : number;
}

void TJwwData::BuildBlockTree() {
  BlockTree = {};
  firstDefByNumber_.clear();
  for (std::size_t i = 0; i < BlockDefs.size(); ++i) {
    firstDefByNumber_.emplace(BlockDefs[i].Number, static_cast<std::int32_t>(i));
    BlockDefs[i].Used = 0;
    BlockDefs[i].WriteNumber = -1;
  }
  if (Blocks.empty()) return;

  // which definitions the drawing reaches, each visited once
  std::deque<std::int32_t> pending;
  auto reach = [&](const RecordArray<TEntJwwBlock>& inserts) {
    for (const TEntJwwBlock& b : inserts) {
      const std::int32_t d = FindBlockDef(b.Number);
      if (d >= 0 && BlockDefs[d].Used == 0) {
        BlockDefs[d].Used = 1;
        pending.push_back(d);
      }
    }
  };
  reach(Blocks);
  while (!pending.empty()) {
    const std::int32_t d = pending.front();
    pending.pop_front();
    reach(BlockDefs[d].Blocks);
  }
  std::int32_t n = 0;
  for (TEntJwwBlockDef& def : BlockDefs) {
    if (def.Used == 1) def.WriteNumber = n++;
  }
  ReferencedBlockCount = n;

  // the nesting tree, breadth first, never re-entering a definition on its own path
  for (const TEntJwwBlock& b : Blocks) {
    if (BlockTree.size() >= kMaxBlockTree) return;
    TEntJwwBlockTree entry;
    CopyBase(b, entry.Base);
    entry.BlockNumber = b.Number;
    entry.OriginX = b.X;
    entry.OriginY = b.Y;
    const Matrix m = InsertMatrix(b);
    entry.M11 = m.m11;
    entry.M12 = m.m12;
    entry.M21 = m.m21;
    entry.M22 = m.m22;
    entry.Definition = FindBlockDef(b.Number);
    if (entry.Definition >= 0) entry.Name = BlockDefs[entry.Definition].Name;
    BlockTree.push_back(std::move(entry));
  }
  for (std::size_t k = 0; k < BlockTree.size(); ++k) {
    const std::int32_t d = BlockTree[k].Definition;
    if (d < 0) continue;
    bool cycle = false;
    for (std::int32_t p = BlockTree[k].Parent; p >= 0 && !cycle; p = BlockTree[p].Parent) {
      cycle = BlockTree[p].Definition == d;
    }
    if (cycle) continue;
    for (const TEntJwwBlock& b : BlockDefs[d].Blocks) {
      if (BlockTree.size() >= kMaxBlockTree) return;
      const TEntJwwBlockTree& parent = BlockTree[k];
      TEntJwwBlockTree entry;
      CopyBase(BlockDefs[d], entry.Base);
      entry.Depth = parent.Depth + 1;
      entry.Parent = static_cast<std::int32_t>(k);
      entry.BlockNumber = b.Number;
      entry.OriginX = parent.OriginX + parent.M11 * b.X + parent.M12 * b.Y;
      entry.OriginY = parent.OriginY + parent.M21 * b.X + parent.M22 * b.Y;
      const Matrix l = InsertMatrix(b);
      entry.M11 = parent.M11 * l.m11 + parent.M12 * l.m21;
      entry.M12 = parent.M11 * l.m12 + parent.M12 * l.m22;
      entry.M21 = parent.M21 * l.m11 + parent.M22 * l.m21;
      entry.M22 = parent.M21 * l.m12 + parent.M22 * l.m22;
      entry.Definition = FindBlockDef(b.Number);
      if (entry.Definition >= 0) entry.Name = BlockDefs[entry.Definition].Name;
      BlockTree.push_back(std::move(entry));
    }
  }
}

void TJwwData::ReadBlockDefs(ArchiveReader& ar) {
  const std::int32_t v = Header.Version;
  const std::uint32_t count = ar.ReadCount();
  ar.CheckFits(count, kMinBlockDefBytes);
  BlockDefs.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    TEntJwwBlockDef& def = BlockDefs[i];
    ar.ReadClassTag(true);  // whatever the tag says, a block definition follows
    ReadBase(ar, v, def);
    def.Number = ar.ReadI32();
    def.Referenced = ar.ReadI32();
    def.Time = ar.ReadI32();
    if (static_cast<std::uint32_t>(def.Time) >= 0x80000000u) {
      // a long time stamp: dropped, the definition's ordinal stands in
      ar.Skip(8);
      def.Time = static_cast<std::int32_t>(i + 1);
    }
    def.Name = ar.ReadCleanString();
    ar.AdvanceMapCounter();  // the definition object itself
    ReadEntities(ar, def);
  }
}

void TJwwData::WriteBlockDefs(ArchiveWriter& ar, std::int32_t v) const {
  ar.WriteCount(static_cast<std::uint32_t>(ReferencedBlockCount));
  for (const TEntJwwBlockDef& def : BlockDefs) {
    if (def.Used != 1) continue;
    ar.WriteClassTag(kBlockDefClass, static_cast<std::uint32_t>(v));
    WriteBase(ar, v, def, kBlockDefClass);
    ar.WriteI32(MapBlockNumber(def.Number));
    ar.WriteI32(def.Referenced);
    ar.WriteI32(def.Time);
    WriteCleanString(ar, def.Name);
    ar.AdvanceMapCounter();
    WriteEntities(ar, def, v);
  }
}

void TJwwData::ReadImages(ArchiveReader& ar) {
  ClearEmbeddedImages();
  const std::int32_t count = ar.ReadI32();
  if (count <= 0) return;
  ar.CheckFits(static_cast<std::uint32_t>(count), kMinImageBytes);
  EmbeddedImages.resize(static_cast<std::size_t>(count));
  std::vector<unsigned char> block(kCopyBlock);
  for (TBindImageType& image : EmbeddedImages) {
    image.Name = ar.ReadCleanString();
    image.Size = ar.ReadI32();
    if (image.Size < 0) throw ArchiveError("negative image size");
    ar.CheckFits(static_cast<std::uint32_t>(image.Size), 1);
    std::uint64_t left = static_cast<std::uint32_t>(image.Size);
    if (left == 0) continue;
    // only a plain name inside the scratch folder is ever written to disk
    platform::OutputFile out;
    const std::string path = TempFolder + image.Name.bytes;
    bool extracting = !TempFolder.empty() && IsPlainFileName(image.Name) && out.Create(path);
    try {
      while (left > 0) {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        ar.ReadBytes(block.data(), take);
        left -= take;
        if (extracting && out.Write(block.data(), take) != take) {
          // a failed extraction is dropped; the reader stays in step with the file
          out.Close();
          platform::RemoveFile(path);
          extracting = false;
        }
      }
    } catch (...) {
      if (extracting) {
        out.Close();
        platform::RemoveFile(path);
      }
      throw;
    }
    if (extracting && !out.Close()) platform::RemoveFile(path);
  }
}

void TJwwData::WriteImages(ArchiveWriter& ar) const {
  for (TBindImageType& image : EmbeddedImages) image.Used = 0;
  auto mark = [](const RecordArray<TEntJwwText>& texts) {
    for (const TEntJwwText& t : texts) {
      const std::string& s = t.Text.Sjis();
      if (s.size() <= kEmbeddedPrefix.size() || s.compare(0, kEmbeddedPrefix.size(), kEmbeddedPrefix) != 0) continue;
      const std::size_t comma = s.find(',');
      if (comma == std::string::npos) continue;
      const std::string ref = text::UpperCase(s.substr(kEmbeddedPrefix.size(), comma - kEmbeddedPrefix.size()));
      if (ref.empty()) continue;
      for (TBindImageType& image : EmbeddedImages) {
        if (image.Name.IsSjis() && text::UpperCase(image.Name.bytes).compare(0, ref.size(), ref) == 0) {
          image.Used = 1;
          break;
        }
      }
    }
  };
  mark(Texts);
  for (const TEntJwwBlockDef& def : BlockDefs) mark(def.Texts);

  std::int32_t count = 0;
  for (TBindImageType& image : EmbeddedImages) {
    if (image.Used != 1) continue;
    if (image.Size == 0) {
      image.Used = 0;  // an empty image was never extracted
      continue;
    }
    // an image still referred to must not vanish from the drawing
    if (!IsPlainFileName(image.Name) || !platform::FileExists(TempFolder + image.Name.bytes)) {
      throw ArchiveError("embedded image missing from the scratch folder");
    }
    ++count;
  }
  ar.WriteI32(count);
  std::vector<unsigned char> block(kCopyBlock);
  for (const TBindImageType& image : EmbeddedImages) {
    if (image.Used != 1) continue;
    ar.WriteString(image.Name);
    platform::InputFile in;
    if (!in.Open(TempFolder + image.Name.bytes) || in.Size() > 0x7FFFFFFF) {
      throw ArchiveError("embedded image cannot be read back");
    }
    const std::uint64_t size = in.Size();
    ar.WriteI32(static_cast<std::int32_t>(size));
    std::uint64_t left = size;
    while (left > 0) {
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
      if (in.Read(block.data(), take) != take) throw ArchiveError("embedded image cannot be read back");
      ar.WriteBytes(block.data(), take);
      left -= take;
    }
  }
}

}  // namespace jww
