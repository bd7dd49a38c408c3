// The block nesting tree: which definitions the drawing reaches, the numbers they are
// written with, and the tree of block entries expanded from the drawing's inserts.
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

#include "jww/DrawingDocument.h"

namespace jww {
namespace {

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

// Marks Used on every definition the drawing's inserts reach, directly or through other
// definitions; each is visited once, so a cycle ends.
void MarkReached(TJwwData& d) {
  std::deque<std::int32_t> pending;
  auto reach = [&](const RecordArray<TEntJwwBlock>& inserts) {
    for (const TEntJwwBlock& b : inserts) {
      const std::int32_t def = d.FindBlockDef(b.Number);
      if (def >= 0 && d.BlockDefs[def].Used == 0) {
        d.BlockDefs[def].Used = 1;
        pending.push_back(def);
      }
    }
  };
  reach(d.Blocks);
  while (!pending.empty()) {
    const std::int32_t def = pending.front();
    pending.pop_front();
    reach(d.BlockDefs[def].Blocks);
  }
}

// Gives the used definitions the numbers 0, 1, ... in their order; returns how many.
std::int32_t NumberUsed(std::vector<TEntJwwBlockDef>& defs) {
  std::int32_t n = 0;
  for (TEntJwwBlockDef& def : defs) {
    if (def.Used == 1) def.WriteNumber = n++;
  }
  return n;
}

// How far the tree goes: every entry down to depth `deepest`, at most `lastLevel` of that
// depth and at most `limit` in all.
struct TreeExtent {
  std::size_t deepest;
  std::size_t lastLevel;
  std::size_t limit;
};

// The breadth-first prefix of at most maxEntries entries. A walk that stops at the bound
// counts the entries down to a depth, so the level where the prefix ends is found by
// halving; the levels above it are taken whole and that level's entries from the left.
TreeExtent FindExtent(NestingWalk& walk, std::size_t definitions, std::size_t maxEntries) {
  auto count = [](const TEntJwwBlock&, std::size_t, std::int32_t, std::int32_t) { return std::int32_t{0}; };
  constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
  // no path expands a definition twice
  if (walk.Run(definitions, kAll, maxEntries + 1, count) <= maxEntries) return {definitions, kAll, kAll};
  std::size_t lo = 0, hi = definitions;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (walk.Run(mid, kAll, maxEntries, count) >= maxEntries) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return {lo, maxEntries - (lo == 0 ? 0 : walk.Run(lo - 1, kAll, maxEntries, count)), maxEntries};
}

// Fills BlockTree with the entries of the extent in breadth-first order, each with its
// origin and matrix composed from its parent's.
void PlaceEntries(TJwwData& d, NestingWalk& walk, const TreeExtent& e) {
  // Breadth-first order keeps each level's left-to-right order, which is the order the
  // depth-first walk meets it in: count each level, then put every entry in its place.
  std::vector<std::size_t> levelStart;
  walk.Run(e.deepest, e.lastLevel, e.limit,
           [&levelStart](const TEntJwwBlock&, std::size_t depth, std::int32_t, std::int32_t) {
             if (depth == levelStart.size()) levelStart.push_back(0);
             ++levelStart[depth];
             return std::int32_t{0};
           });
  std::size_t total = 0;
  for (std::size_t& start : levelStart) start = std::exchange(total, total + start);
  d.BlockTree.resize(total);
  // a parent is met before its children, so its origin is known
  walk.Run(e.deepest, e.lastLevel, e.limit,
           [&](const TEntJwwBlock& b, std::size_t depth, std::int32_t parent, std::int32_t def) {
             const auto at = static_cast<std::int32_t>(levelStart[depth]++);
             TEntJwwBlockTree& entry = d.BlockTree[static_cast<std::size_t>(at)];
             entry.Depth = static_cast<std::int32_t>(depth);
             entry.Parent = parent;
             entry.BlockNumber = b.Number;
             entry.Definition = def;
             const Matrix l = InsertMatrix(b);
             if (parent < 0) {
               CopyBase(b, entry.Base);
               entry.OriginX = b.X;
               entry.OriginY = b.Y;
               entry.M11 = l.m11;
               entry.M12 = l.m12;
               entry.M21 = l.m21;
               entry.M22 = l.m22;
               return at;
             }
             const TEntJwwBlockTree& p = d.BlockTree[static_cast<std::size_t>(parent)];
             CopyBase(d.BlockDefs[static_cast<std::size_t>(p.Definition)], entry.Base);
             entry.OriginX = p.OriginX + p.M11 * b.X + p.M12 * b.Y;
             entry.OriginY = p.OriginY + p.M21 * b.X + p.M22 * b.Y;
             entry.M11 = p.M11 * l.m11 + p.M12 * l.m21;
             entry.M12 = p.M11 * l.m12 + p.M12 * l.m22;
             entry.M21 = p.M21 * l.m11 + p.M22 * l.m21;
             entry.M22 = p.M21 * l.m12 + p.M22 * l.m22;
             return at;
           });
}

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
  // the definitions by number, none of them used yet
  defsByNumber_.clear();
  defsByNumber_.reserve(BlockDefs.size());
  for (std::size_t i = 0; i < BlockDefs.size(); ++i) {
    defsByNumber_.emplace_back(BlockDefs[i].Number, static_cast<std::int32_t>(i));
    BlockDefs[i].Used = 0;
    BlockDefs[i].WriteNumber = -1;
  }
  std::sort(defsByNumber_.begin(), defsByNumber_.end());
  if (Blocks.empty()) return;

  MarkReached(*this);
  ReferencedBlockCount = NumberUsed(BlockDefs);
  NestingWalk walk(*this);
  PlaceEntries(*this, walk, FindExtent(walk, BlockDefs.size(), maxEntries));
}

}  // namespace jww
