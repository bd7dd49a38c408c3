// The block nesting tree against a plain breadth-first build, on nested, cyclic and wide
// drawings and at every bound; and the drawings that made the plain build blow up.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fixture/Hostile.h"
#include "jww/Archive.h"
#include "jww/DrawingDocument.h"

using namespace jww;

namespace {

struct Matrix {
  double m11, m12, m21, m22;
};

Matrix InsertMatrix(const TEntJwwBlock& b) {
  return {std::cos(b.Angle) * b.ScaleX, -std::sin(b.Angle) * b.ScaleY, std::sin(b.Angle) * b.ScaleX,
          std::cos(b.Angle) * b.ScaleY};
}

// The tree built the plain way: breadth first, the parent chain walked for every entry
// to keep a definition from being expanded twice on one path, cut at the bound.
std::vector<TEntJwwBlockTree> PlainTree(const TJwwData& d, std::size_t bound) {
  auto find = [&d](std::int32_t number) {
    for (std::size_t i = 0; i < d.BlockDefs.size(); ++i) {
      if (d.BlockDefs[i].Number == number) return static_cast<std::int32_t>(i);
    }
    return -1;
  };
  std::vector<TEntJwwBlockTree> tree;
  for (const TEntJwwBlock& b : d.Blocks) {
    if (tree.size() >= bound) return tree;
    TEntJwwBlockTree e;
    e.Base = b;
    e.BlockNumber = b.Number;
    e.OriginX = b.X;
    e.OriginY = b.Y;
    const Matrix m = InsertMatrix(b);
    e.M11 = m.m11, e.M12 = m.m12, e.M21 = m.m21, e.M22 = m.m22;
    e.Definition = find(b.Number);
    tree.push_back(e);
  }
  for (std::size_t k = 0; k < tree.size(); ++k) {
    const std::int32_t d0 = tree[k].Definition;
    if (d0 < 0) continue;
    bool cycle = false;
    for (std::int32_t p = tree[k].Parent; p >= 0 && !cycle; p = tree[p].Parent) cycle = tree[p].Definition == d0;
    if (cycle) continue;
    for (const TEntJwwBlock& b : d.BlockDefs[d0].Blocks) {
      if (tree.size() >= bound) return tree;
      const TEntJwwBlockTree p = tree[k];
      TEntJwwBlockTree e;
      e.Base = d.BlockDefs[d0];
      e.Depth = p.Depth + 1;
      e.Parent = static_cast<std::int32_t>(k);
      e.BlockNumber = b.Number;
      e.OriginX = p.OriginX + p.M11 * b.X + p.M12 * b.Y;
      e.OriginY = p.OriginY + p.M21 * b.X + p.M22 * b.Y;
      const Matrix l = InsertMatrix(b);
      e.M11 = p.M11 * l.m11 + p.M12 * l.m21;
      e.M12 = p.M11 * l.m12 + p.M12 * l.m22;
      e.M21 = p.M21 * l.m11 + p.M22 * l.m21;
      e.M22 = p.M21 * l.m12 + p.M22 * l.m22;
      e.Definition = find(b.Number);
      tree.push_back(e);
    }
  }
  return tree;
}

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(a) + std::fabs(b)); }

// The first entry where the trees differ, or "" when they are the same.
std::string FirstDifference(const std::vector<TEntJwwBlockTree>& got, const std::vector<TEntJwwBlockTree>& want) {
  if (got.size() != want.size()) return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const TEntJwwBlockTree& g = got[i];
    const TEntJwwBlockTree& w = want[i];
    if (!(g.Base == w.Base) || g.Depth != w.Depth || g.Parent != w.Parent || g.BlockNumber != w.BlockNumber ||
        g.Definition != w.Definition || !Near(g.OriginX, w.OriginX) || !Near(g.OriginY, w.OriginY) ||
        !Near(g.M11, w.M11) || !Near(g.M12, w.M12) || !Near(g.M21, w.M21) || !Near(g.M22, w.M22)) {
      return "entry " + std::to_string(i);
    }
  }
  return "";
}

TEntJwwBlock Insert(std::int32_t number, std::mt19937& rng) {
  TEntJwwBlock b;
  b.Group = static_cast<std::int32_t>(rng() % 1000);
  b.Number = number;
  b.X = static_cast<double>(rng() % 100);
  b.Y = static_cast<double>(rng() % 100);
  b.Angle = static_cast<double>(rng() % 7) * 0.5;
  b.ScaleX = 0.5 + static_cast<double>(rng() % 4);
  b.ScaleY = 0.5 + static_cast<double>(rng() % 3);
  return b;
}

void AddInsert(EntityList& list, const TEntJwwBlock& b) {
  list.Blocks.push_back(b);
  list.Order.push_back({kBlockClass, static_cast<std::int32_t>(list.Blocks.size() - 1)});
}

// A few definitions numbered from a small range (some numbers twice, some missing),
// inserting each other at random: nesting, cycles, self-inserts and dangling numbers.
TJwwData RandomDrawing(std::mt19937& rng) {
  TJwwData d;
  const std::size_t defs = 1 + rng() % 5;
  for (std::size_t i = 0; i < defs; ++i) {
    TEntJwwBlockDef def;
    def.Group = static_cast<std::int32_t>(1000 + i);
    def.Number = static_cast<std::int32_t>(rng() % 6);
    for (std::size_t n = rng() % 4; n > 0; --n) AddInsert(def, Insert(static_cast<std::int32_t>(rng() % 7), rng));
    d.BlockDefs.push_back(std::move(def));
  }
  for (std::size_t n = 1 + rng() % 4; n > 0; --n) AddInsert(d, Insert(static_cast<std::int32_t>(rng() % 7), rng));
  return d;
}

// `levels` definitions, each inserting the next `width` times.
TJwwData Layered(int levels, int width, std::mt19937& rng) {
  TJwwData d;
  for (int level = 0; level < levels; ++level) {
    TEntJwwBlockDef def;
    def.Group = level;
    def.Number = level;
    for (int i = 0; i < width && level + 1 < levels; ++i) AddInsert(def, Insert(level + 1, rng));
    d.BlockDefs.push_back(std::move(def));
  }
  AddInsert(d, Insert(0, rng));
  AddInsert(d, Insert(levels - 1, rng));
  return d;
}

}  // namespace

TEST(BlockTree, SameAsThePlainBuildAtEveryBound) {
  std::mt19937 rng(20240613);
  std::vector<std::pair<std::string, TJwwData>> drawings;
  for (int i = 0; i < 150; ++i) drawings.emplace_back("random " + std::to_string(i), RandomDrawing(rng));
  drawings.emplace_back("chain of 300", Layered(300, 1, rng));
  drawings.emplace_back("6 levels of 4", Layered(6, 4, rng));
  drawings.emplace_back("3 levels of 60", Layered(3, 60, rng));
  for (auto& [name, d] : drawings) {
    const std::size_t full = PlainTree(d, TJwwData::kMaxBlockTree).size();
    std::vector<std::size_t> bounds = {full / 3, full / 2, full - 1, full, full + 1};
    for (std::size_t bound = 0; bound < 40; ++bound) bounds.push_back(bound);
    for (std::size_t bound : bounds) {
      d.BuildBlockTree(bound);
      const std::string difference = FirstDifference(d.BlockTree, PlainTree(d, bound));
      ASSERT_EQ(difference, "") << name << ", bound " << bound << " of " << full;
    }
  }
}

// The long name on 102,720 paths took gigabytes and the chain quadratic time.
TEST(BlockTree, HostileNestingLoadsInLinearTime) {
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    if (c.name != "block-name-100000-on-102720-paths" && c.name != "block-chain-100000") continue;
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    TJwwData d;
    EXPECT_TRUE(d.LoadFromMemory(c.bytes.data(), c.bytes.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(d.BlockTree.size(), TJwwData::kMaxBlockTree);
    // the fan: 320 inserts at the top, then the first 99,680 of their 102,400 children;
    // the chain: one entry a level, the last at the bottom
    const TEntJwwBlockTree& last = d.BlockTree.back();
    EXPECT_EQ(last.Depth, c.name == "block-chain-100000" ? 99999 : 1);
    EXPECT_EQ(last.Parent, c.name == "block-chain-100000" ? 99998 : 99679 / 320);
  }
}
