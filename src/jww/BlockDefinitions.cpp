// Block definitions and the block nesting tree.
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/DrawingDocument.h"
#include "jww/StringCleanup.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace jww {
namespace {

// The smallest block definition: tag, old base, three dwords, empty name, count.
constexpr std::uint64_t kMinBlockDefBytes = 2 + 13 + 12 + 1 + 2;

struct Matrix {
  double m11, m12, m21, m22;
};

Matrix InsertMatrix(const TEntJwwBlock& b) {
  const double c = std::cos(b.Angle);
  const double s = std::sin(b.Angle);
  return {c * b.ScaleX, -s * b.ScaleY, s * b.ScaleX, c * b.ScaleY};
}

// Depth-first walk of the nesting tree with an explicit stack (the nesting may be as
// deep as there are definitions) and a flag per definition on the current path, so
// every step takes constant time. An entry is expanded unless its definition is already
// on its path.
class NestingWalk {
 public:
  explicit NestingWalk(const TJwwData& d) : d_(d), onPath_(d.BlockDefs.size(), 0) {}

  // Meets the entries down to depth `deepest`, at most `lastLevel` of that depth and at
  // most `limit` in all. meet(insert, depth, parent, definition) returns the entry's id,
  // which its children get as their parent (-1 at the top). Returns how many it met.
  template <typename Meet>
  std::size_t Run(std::size_t deepest, std::size_t lastLevel, std::size_t limit, Meet&& meet) {
    std::size_t met = 0, metLast = 0;
    // false when the walk may take no more entries at this depth
    auto take = [&](const TEntJwwBlock& b, std::size_t depth, std::int32_t parent) {
      if (met == limit || (depth == deepest && metLast == lastLevel)) return false;
      const std::int32_t d = d_.FindBlockDef(b.Number);
      const std::int32_t self = meet(b, depth, parent, d);
      ++met;
      if (depth == deepest) ++metLast;
      if (d >= 0 && depth < deepest && !onPath_[static_cast<std::size_t>(d)]) {
        onPath_[static_cast<std::size_t>(d)] = 1;
        stack_.push_back({self, d, 0});
      }
      return true;
    };
    for (const TEntJwwBlock& root : d_.Blocks) {
      if (!take(root, 0, -1)) break;
      while (!stack_.empty()) {
        const std::size_t top = stack_.size() - 1;
        const Frame f = stack_[top];  // taking a child may push onto the stack
        const RecordArray<TEntJwwBlock>& inserts = d_.BlockDefs[static_cast<std::size_t>(f.definition)].Blocks;
        if (f.next < inserts.size() && take(inserts[f.next], top + 1, f.entry)) {
          ++stack_[top].next;
          continue;
        }
        onPath_[static_cast<std::size_t>(f.definition)] = 0;
        stack_.pop_back();
      }
    }
    return met;
  }

 private:
  struct Frame {
    std::int32_t entry;       // id of the expanded entry
    std::int32_t definition;  // its definition
    std::uint32_t next;       // its next insert to take
  };
  const TJwwData& d_;
  std::vector<unsigned char> onPath_;
  std::vector<Frame> stack_;
};

}  // namespace

std::int32_t TJwwData::FindBlockDef(std::int32_t number) const {
  const auto it = std::lower_bound(defsByNumber_.begin(), defsByNumber_.end(), std::pair{number, std::int32_t{0}});
  return it == defsByNumber_.end() || it->first != number ? -1 : it->second;
}

std::int32_t TJwwData::MapBlockNumber(std::int32_t number) const {
  const std::int32_t d = FindBlockDef(number);
  if (d < 0) return 0;
  return BlockDefs[d].Used == 1 ? BlockDefs[d].WriteNumber : number;
}

void TJwwData::BuildBlockTree(std::size_t maxEntries) {
  BlockTree = {};
  defsByNumber_.clear();
  defsByNumber_.reserve(BlockDefs.size());
  for (std::size_t i = 0; i < BlockDefs.size(); ++i) {
    defsByNumber_.emplace_back(BlockDefs[i].Number, static_cast<std::int32_t>(i));
    BlockDefs[i].Used = 0;
    BlockDefs[i].WriteNumber = -1;
  }
  std::sort(defsByNumber_.begin(), defsByNumber_.end());
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

  // The tree is the breadth-first prefix of at most maxEntries entries. A walk that
  // stops at the bound counts the entries down to a depth, so the level where the prefix
  // ends is found by halving; the levels above it are taken whole and that level's
  // entries from the left.
  NestingWalk walk(*this);
  auto count = [](const TEntJwwBlock&, std::size_t, std::int32_t, std::int32_t) { return std::int32_t{0}; };
  constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
  std::size_t deepest = BlockDefs.size();  // no path expands a definition twice
  std::size_t lastLevel = kAll, limit = kAll;
  if (walk.Run(deepest, kAll, maxEntries + 1, count) > maxEntries) {
    std::size_t lo = 0, hi = deepest;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (walk.Run(mid, kAll, maxEntries, count) >= maxEntries) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    deepest = lo;
    lastLevel = maxEntries - (lo == 0 ? 0 : walk.Run(lo - 1, kAll, maxEntries, count));
    limit = maxEntries;
  }

  // Breadth-first order keeps each level's left-to-right order, which is the order the
  // depth-first walk meets it in: count each level, then put every entry in its place.
  std::vector<std::size_t> levelStart;
  walk.Run(deepest, lastLevel, limit, [&levelStart](const TEntJwwBlock&, std::size_t depth, std::int32_t, std::int32_t) {
    if (depth == levelStart.size()) levelStart.push_back(0);
    ++levelStart[depth];
    return std::int32_t{0};
  });
  std::size_t total = 0;
  for (std::size_t& start : levelStart) start = std::exchange(total, total + start);
  BlockTree.resize(total);
  // a parent is met before its children, so its origin is known
  walk.Run(deepest, lastLevel, limit, [&](const TEntJwwBlock& b, std::size_t depth, std::int32_t parent, std::int32_t d) {
    const auto at = static_cast<std::int32_t>(levelStart[depth]++);
    TEntJwwBlockTree& entry = BlockTree[static_cast<std::size_t>(at)];
    entry.Depth = static_cast<std::int32_t>(depth);
    entry.Parent = parent;
    entry.BlockNumber = b.Number;
    entry.Definition = d;
    if (parent < 0) {
      CopyBase(b, entry.Base);
      entry.OriginX = b.X;
      entry.OriginY = b.Y;
      const Matrix m = InsertMatrix(b);
      entry.M11 = m.m11;
      entry.M12 = m.m12;
      entry.M21 = m.m21;
      entry.M22 = m.m22;
      return at;
    }
    const TEntJwwBlockTree& p = BlockTree[static_cast<std::size_t>(parent)];
    CopyBase(BlockDefs[static_cast<std::size_t>(p.Definition)], entry.Base);
    entry.OriginX = p.OriginX + p.M11 * b.X + p.M12 * b.Y;
    entry.OriginY = p.OriginY + p.M21 * b.X + p.M22 * b.Y;
    const Matrix l = InsertMatrix(b);
    entry.M11 = p.M11 * l.m11 + p.M12 * l.m21;
    entry.M12 = p.M11 * l.m12 + p.M12 * l.m22;
    entry.M21 = p.M21 * l.m11 + p.M22 * l.m21;
    entry.M22 = p.M21 * l.m12 + p.M22 * l.m22;
    return at;
  });
}

void TJwwData::ReadBlockDefs(ArchiveReader& ar) {
  const std::int32_t v = Header.Version;
  const std::uint64_t countAt = ar.Position();
  const std::uint32_t count = ar.ReadCount();
  ar.CheckFits(count, kMinBlockDefBytes, "block definition count", countAt);
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

}  // namespace jww
