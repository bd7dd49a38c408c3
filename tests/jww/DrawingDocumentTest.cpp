// The drawing document built in memory: its writer's clean-ups, the entity framing, the
// block definitions in use, embedded images, and failures that must leave files alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "TestSupport.h"
#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/DrawingDocument.h"
#include "platform/FaultHook.h"
#include "platform/Platform.h"

using namespace jww;
using testsupport::Hex;

namespace {

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string Body(TJwwData& d) {
  MemorySink sink;
  ArchiveWriter ar(sink);
  d.WriteBody(ar, 700);
  ar.Flush();
  return AsString(sink.Bytes());
}

TEntJwwLine Line(double x) {
  TEntJwwLine l;
  l.LineType = 1;
  l.PenColor = 2;
  l.StartX = x;
  return l;
}

TEntJwwText Text(const std::string& s) {
  TEntJwwText t;
  t.LineType = 1;
  t.PenColor = 3;
  t.FontName = JwwString("MS");
  t.Text = JwwString(s);
  return t;
}

TEntJwwBlock Insert(std::int32_t number, double x = 0, double y = 0, double angle = 0, double sx = 1, double sy = 1) {
  TEntJwwBlock b;
  b.Number = number;
  b.X = x;
  b.Y = y;
  b.Angle = angle;
  b.ScaleX = sx;
  b.ScaleY = sy;
  return b;
}

template <typename Record>
void Add(EntityList& list, RecordArray<Record>& array, int classNo, const Record& r) {
  array.push_back(r);
  list.Order.push_back({classNo, static_cast<std::int32_t>(array.size() - 1)});
}

TEntJwwBlockDef Def(std::int32_t number, std::vector<std::int32_t> inserts = {}) {
  TEntJwwBlockDef def;
  def.Number = number;
  def.Name = JwwString("def" + std::to_string(number));
  for (std::int32_t n : inserts) Add(def, def.Blocks, kBlockClass, Insert(n));
  return def;
}

// Saves and loads again through memory.
TJwwData RoundTrip(TJwwData& d) {
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(d.SaveToMemory(bytes, 700));
  TJwwData back;
  EXPECT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size()));
  return back;
}

}  // namespace

TEST(WriteBase, CleansAttributesByKind) {
  struct Row {
    int kind;
    int lineType, penColor, layer, layerGroup, penWidth;
    int wantLineType, wantPenColor, wantLayer, wantLayerGroup, wantPenWidth;
  };
  const Row rows[] = {
      {kLineClass, 10, 0, 16, 16, 30001, 0, 0, 0, 0, 0},
      {kLineClass, 20, 10, 15, 15, 30000, 0, 0, 15, 15, 30000},
      {kArcClass, 63, 356, 0, 0, 0, 0, 356, 0, 0, 0},
      {kLineClass, 62, 101, 0, 0, 0, 62, 101, 0, 0, 0},
      {kLineClass, 11, 100, 0, 0, 0, 11, 0, 0, 0, 0},
      {kPointClass, 100, 9, 0, 0, 0, 100, 9, 0, 0, 0},
      {kPointClass, 5, 357, 0, 0, 0, 1, 0, 0, 0, 0},
      {kTextClass, 0, 10, 0, 0, 0, 1, 0, 0, 0, 0},
      {kTextClass, 9, 9, 0, 0, 0, 9, 9, 0, 0, 0},
      {kDimClass, 77, 10, 0, 0, 0, 77, 0, 0, 0, 0},
      {kSolidClass, 77, 10, 0, 0, 0, 77, 10, 0, 0, 0},
      {kSolidClass, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0},
      {kBlockClass, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0},
      {kBlockDefClass, 200, 4000, 0, 99, 0, 200, 4000, 0, 0, 0},
  };
  for (const Row& r : rows) {
    TEntJwwBase b;
    b.Group = 0x01020304;
    b.LineType = static_cast<std::uint8_t>(r.lineType);
    b.PenColor = static_cast<std::uint16_t>(r.penColor);
    b.Layer = static_cast<std::uint16_t>(r.layer);
    b.LayerGroup = static_cast<std::uint16_t>(r.layerGroup);
    b.PenWidth = static_cast<std::uint16_t>(r.penWidth);
    b.Flag = 0xBEEF;
    const TEntJwwBase before = b;
    MemorySink sink;
    ArchiveWriter ar(sink);
    WriteBase(ar, 700, b, r.kind);
    ar.Flush();
    EXPECT_TRUE(b == before);  // the record in memory keeps its values
    MemorySource source(sink.Bytes().data(), sink.Bytes().size());
    ArchiveReader in(source);
    TEntJwwBase back;
    ReadBase(in, 700, back);
    SCOPED_TRACE("kind " + std::to_string(r.kind) + " line type " + std::to_string(r.lineType));
    EXPECT_EQ(sink.Bytes().size(), 15u);
    EXPECT_EQ(back.Group, 0x01020304);
    EXPECT_EQ(back.LineType, r.wantLineType);
    EXPECT_EQ(back.PenColor, r.wantPenColor);
    EXPECT_EQ(back.Layer, r.wantLayer);
    EXPECT_EQ(back.LayerGroup, r.wantLayerGroup);
    EXPECT_EQ(back.PenWidth, r.wantPenWidth);
    EXPECT_EQ(back.Flag, 0xBEEF);
  }
}

TEST(JwwBody, OneAndTwoLines) {
  TJwwData d;
  Add(d, d.Lines, kLineClass, Line(1.0));
  const std::string line = Hex("00 00 00 00 01 02 00 00 00 00 00 00 00 00 00") + Hex("00 00 00 00 00 00 F0 3F") +
                           std::string(24, '\0');
  const std::string head = Hex("FF FF BC 02 08 00") + "CDataSen";
  const std::string tail = Hex("00 00") + Hex("00 00 00 00");  // no block definitions, no images
  EXPECT_EQ(Body(d), Hex("01 00") + head + line + tail);
  Add(d, d.Lines, kLineClass, Line(1.0));
  EXPECT_EQ(Body(d), Hex("02 00") + head + line + Hex("01 80") + line + tail);
}

TEST(JwwBody, MixedClassesKeepTheirOrder) {
  TJwwData d;
  Add(d, d.Lines, kLineClass, Line(1));
  Add(d, d.Texts, kTextClass, Text("a"));
  Add(d, d.Lines, kLineClass, Line(2));
  TEntJwwArc arc;
  arc.LineType = 1;
  arc.Radius = 5;
  Add(d, d.Arcs, kArcClass, arc);
  Add(d, d.Texts, kTextClass, Text("b"));
  TEntJwwPoint coded;
  coded.LineType = 100;
  coded.Code = 7;
  coded.Scale = 2;
  Add(d, d.Points, kPointClass, coded);
  TEntJwwSolid solid;
  solid.PenColor = 10;
  solid.Color = 0x123456;
  Add(d, d.Solids, kSolidClass, solid);

  const std::string body = Body(d);
  // the line class is object 1, the first line 2, the text class 3: later ones refer to them
  EXPECT_NE(body.find(Hex("01 80")), std::string::npos);
  EXPECT_NE(body.find(Hex("03 80")), std::string::npos);

  TJwwData back = RoundTrip(d);
  EXPECT_EQ(back.Order, d.Order);
  EXPECT_EQ(back.Lines, d.Lines);
  EXPECT_EQ(back.Texts, d.Texts);
  EXPECT_EQ(back.Arcs, d.Arcs);
  EXPECT_EQ(back.Points, d.Points);
  EXPECT_EQ(back.Solids, d.Solids);
}

TEST(JwwBody, EmptyStringsAreWrittenAsOneSpace) {
  TJwwData d;
  Add(d, d.Texts, kTextClass, Text(""));
  Add(d, d.Texts, kTextClass, Text("x^my\x01"));
  d.Texts[0].FontName = JwwString("", StringForm::Unicode);
  TJwwData back = RoundTrip(d);
  ASSERT_EQ(back.Texts.size(), 2u);
  EXPECT_EQ(back.Texts[0].Text.bytes, " ");
  EXPECT_EQ(back.Texts[0].FontName, JwwString(" ", StringForm::Unicode));
  EXPECT_EQ(back.Texts[1].Text.bytes, "xy");
  EXPECT_EQ(d.Texts[1].Text.bytes, "x^my\x01");  // the document keeps what it held
}

TEST(JwwHeader, WritingRules) {
  TJwwData d;
  d.Header.Version = 600;
  d.Layers.assign(256, {});
  d.Layers[1].Name = JwwString("^mA");
  d.Pens.assign(10, {});
  d.Pens[0].PrinterColor = 0x00FF00;
  d.Pens[3].ScreenWidth = 0;
  d.Pens[4].ScreenWidth = 17;
  d.Pens[5].ScreenColor = 0x1000000;
  d.Pens[6].PrinterWidth = 501;
  d.Pens[7].DotRadius = 0.05;
  d.Pens[8].DotRadius = 11;
  d.ColorsEx.assign(257, {});
  d.ColorsEx[20].Name = JwwString(Hex("81 40 81 40"));  // ideographic spaces
  d.ColorsEx[20].ScreenColor = 0x112233;
  d.ColorsEx[20].PrinterColor = 0x445566;
  d.ColorsEx[3].PrinterColor = 0x445566;
  d.LineTypesEx.assign(33, {});
  d.LineTypesEx[5].Name = JwwString("dash");
  d.LineTypesEx[18].SegmentCount = 4;
  d.LineTypesEx[18].Pattern = 0x0F0F;
  d.LineTypesEx[18].Name = JwwString("user");
  d.Header.Switch11Units = 1;

  TJwwData back = RoundTrip(d);
  EXPECT_EQ(back.Layers[1].Name.bytes, "A");
  EXPECT_EQ(back.Layers[0].Name.bytes, " ");
  EXPECT_EQ(back.Pens[0].PrinterColor, 0xFFFFFF);
  EXPECT_EQ(back.Pens[3].ScreenWidth, 1);
  EXPECT_EQ(back.Pens[4].ScreenWidth, 16);
  EXPECT_EQ(back.Pens[5].ScreenColor, 0);
  EXPECT_EQ(back.Pens[6].PrinterWidth, 500);
  EXPECT_EQ(back.Pens[7].DotRadius, 0.1);
  EXPECT_EQ(back.Pens[8].DotRadius, 10);
  EXPECT_EQ(back.ColorsEx[20].Name.bytes, "Color_20");
  EXPECT_EQ(back.ColorsEx[20].PrinterColor, 0x112233);
  EXPECT_EQ(back.ColorsEx[3].PrinterColor, 0x445566);
  EXPECT_EQ(back.ColorsEx[0].Name.bytes, "Color_0");
  EXPECT_EQ(back.LineTypesEx[5].Name.bytes, "dash");
  EXPECT_EQ(back.LineTypesEx[5].Pattern, -1);
  EXPECT_EQ(back.LineTypesEx[18].Pattern, 0x0F0F);
  EXPECT_EQ(back.LineTypesEx[18].Name.bytes, "user");
  EXPECT_EQ(back.LineTypesEx[17].Name.bytes, "LType_17");
  EXPECT_EQ(back.LineTypesEx[17].Pattern, static_cast<std::int32_t>(0xC3C3C3C3));
  EXPECT_EQ(back.LineTypesEx[17].SegmentCount, 2);
  EXPECT_EQ(back.LineTypesEx[17].Pitches[1], 1.0);
  EXPECT_EQ(back.Header.Switch11Units, 1);
  EXPECT_EQ(back.Header.Switch11Tens, 1);  // 1 is written back as 11

  d.Header.Switch11Units = 3;
  d.Header.Switch11Tens = 2;
  TJwwData again = RoundTrip(d);
  EXPECT_EQ(again.Header.Switch11Units * 1 + again.Header.Switch11Tens * 10, 23);
}

TEST(JwwHeader, VersionBelow220IsRefused) {
  TJwwData d;
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(d.SaveToMemory(bytes, 700));
  for (std::int32_t version : {219, 0, -1}) {
    std::memcpy(bytes.data() + 8, &version, 4);
    TJwwData back;
    EXPECT_FALSE(back.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(back.Header.Version, version);
    EXPECT_TRUE(back.Header.Memo.bytes.empty() && back.HeldCount() == 0 && back.Layers[0].Name.bytes.empty());
  }
}

TEST(JwwHeader, MemoKeepsLineBreaks) {
  TJwwData d;
  d.Header.Memo = JwwString("line 1\r\nline 2\x01");
  TJwwData back = RoundTrip(d);
  EXPECT_EQ(back.Header.Memo.bytes, "line 1\r\nline 2\x01");
}

TEST(BlockTree, MarksAndNumbersTheDefinitionsInUse) {
  TJwwData d;
  d.BlockDefs = {Def(5), Def(7, {9}), Def(9)};
  Add(d, d.Blocks, kBlockClass, Insert(7));
  d.BuildBlockTree();
  EXPECT_EQ(d.BlockDefs[0].Used, 0);
  EXPECT_EQ(d.BlockDefs[1].Used, 1);
  EXPECT_EQ(d.BlockDefs[2].Used, 1);
  EXPECT_EQ(d.BlockDefs[0].WriteNumber, -1);
  EXPECT_EQ(d.BlockDefs[1].WriteNumber, 0);
  EXPECT_EQ(d.BlockDefs[2].WriteNumber, 1);
  EXPECT_EQ(d.ReferencedBlockCount, 2);
  EXPECT_EQ(d.MapBlockNumber(9), 1);
  EXPECT_EQ(d.MapBlockNumber(5), 5);
  EXPECT_EQ(d.MapBlockNumber(42), 0);

  // saved: only the used ones, renumbered, the inserts following them
  TJwwData back = RoundTrip(d);
  ASSERT_EQ(back.BlockDefs.size(), 2u);
  EXPECT_EQ(back.BlockDefs[0].Number, 0);
  EXPECT_EQ(back.BlockDefs[0].Name.bytes, "def7");
  EXPECT_EQ(back.BlockDefs[0].Blocks[0].Number, 1);
  EXPECT_EQ(back.BlockDefs[1].Number, 1);
  EXPECT_EQ(back.Blocks[0].Number, 0);
}

TEST(BlockTree, NoInsertsDropsEveryDefinition) {
  TJwwData d;
  d.BlockDefs = {Def(1), Def(2, {1})};
  d.BuildBlockTree();
  EXPECT_EQ(d.ReferencedBlockCount, 0);
  EXPECT_EQ(d.BlockDefs[1].WriteNumber, -1);
  EXPECT_TRUE(RoundTrip(d).BlockDefs.empty());
}

TEST(BlockTree, DuplicateAndMissingNumbers) {
  TJwwData d;
  d.BlockDefs = {Def(3), Def(3)};
  Add(d, d.Blocks, kBlockClass, Insert(3));
  Add(d, d.Blocks, kBlockClass, Insert(8));
  d.BuildBlockTree();
  EXPECT_EQ(d.BlockDefs[0].Used, 1);
  EXPECT_EQ(d.BlockDefs[1].Used, 0);  // only the first of a number is ever taken
  ASSERT_EQ(d.BlockTree.size(), 2u);
  EXPECT_EQ(d.BlockTree[1].Definition, -1);
}

// Each row a drawing: "top: 20 99 L; 10: 99 L" inserts definitions 20 and 99 and holds a
// line, and has a definition numbered 10 (named "d10") that inserts 99 and holds a line.
// The saved drawing is described by names: each insert as the name of the definition its
// number finds, "?" when none, and each definition as its name.
TEST(BlockTree, DanglingInsertsAreNotWritten) {
  auto build = [](const std::string& text) {
    TJwwData d;
    double lines = 0;
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, ';');) {
      std::istringstream items(part);
      std::string owner, item;
      items >> owner;  // "top:" or a definition's number with its colon
      EntityList* list = &d;
      if (owner != "top:") {
        d.BlockDefs.push_back(Def(std::stoi(owner)));
        list = &d.BlockDefs.back();
      }
      while (items >> item) {
        if (item == "L") {
          Add(*list, list->Lines, kLineClass, Line(++lines));
        } else {
          Add(*list, list->Blocks, kBlockClass, Insert(std::stoi(item)));
        }
      }
    }
    d.BuildBlockTree();
    return d;
  };
  auto describe = [](const TJwwData& d) {
    auto items = [&d](const EntityList& list) {
      std::string out;
      for (const TEntJwwOrder& o : list.Order) {
        std::string name = "?";
        if (o.ClassNo == kLineClass) {
          name = "L";
        } else {
          for (const TEntJwwBlockDef& def : d.BlockDefs) {
            if (def.Number == list.Blocks[o.Index].Number) {
              name = def.Name.bytes;
              break;
            }
          }
        }
        out += " " + name;
      }
      return out;
    };
    std::string out = "top:" + items(d);
    for (const TEntJwwBlockDef& def : d.BlockDefs) out += "; " + def.Name.bytes + ":" + items(def);
    return out;
  };
  struct Row {
    const char* drawing;
    const char* saved;
  };
  // definitions are numbered 10, 20, 30: dangling numbers below and above their count
  const Row rows[] = {
      {"top: 1 10 L; 10: L; 20: L; 30: L", "top: def10 L; def10: L"},
      {"top: 99 L 10 99; 10: L", "top: L def10; def10: L"},
      {"top: L 0 7; 10: L; 20: 10", "top: L"},
      {"top: 10; 10: 20; 20: 99 L", "top: def10; def10: def20; def20: L"},
      {"top: 10 20 1; 10: L; 20: 0", "top: def10 def20; def10: L; def20:"},
      {"top: 30 L; 30: -1 L 20 2; 20: L; 10: 3", "top: def30 L; def30: L def20; def20: L"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.drawing);
    TJwwData d = build(r.drawing);
    TJwwData back = RoundTrip(d);
    EXPECT_EQ(describe(back), r.saved);
    // the counts written are the entities written, and every definition written is reached
    EXPECT_EQ(static_cast<std::size_t>(back.EntityCount), back.Order.size());
    for (const TEntJwwBlockDef& def : back.BlockDefs) {
      EXPECT_EQ(static_cast<std::size_t>(def.EntityCount), def.Order.size());
    }
    EXPECT_EQ(back.ReferencedBlockCount, static_cast<std::int32_t>(back.BlockDefs.size()));
    // everything else is intact
    EXPECT_EQ(back.Lines, d.Lines);
    for (const TEntJwwBlockDef& def : back.BlockDefs) {
      for (const TEntJwwBlockDef& was : d.BlockDefs) {
        if (was.Name == def.Name) {
          EXPECT_EQ(def.Lines, was.Lines);
        }
      }
    }
    // the tree loses the dangling entries and nothing else
    std::size_t found = 0;
    for (const TEntJwwBlockTree& e : d.BlockTree) found += e.Definition >= 0 ? 1 : 0;
    EXPECT_EQ(back.BlockTree.size(), found);
  }
}

TEST(BlockTree, NestedInsertOrigin) {
  TJwwData d;
  TEntJwwBlockDef outer = Def(1);
  Add(outer, outer.Blocks, kBlockClass, Insert(2, 10, 0, std::acos(0.0), 2, 3));
  d.BlockDefs = {outer, Def(2)};
  Add(d, d.Blocks, kBlockClass, Insert(1, 100, 100));
  d.BuildBlockTree();
  ASSERT_EQ(d.BlockTree.size(), 2u);
  const TEntJwwBlockTree& nested = d.BlockTree[1];
  EXPECT_EQ(nested.Depth, 1);
  EXPECT_EQ(nested.Parent, 0);
  EXPECT_NEAR(nested.OriginX, 110, 1e-9);
  EXPECT_NEAR(nested.OriginY, 100, 1e-9);
  EXPECT_NEAR(nested.M12, -3, 1e-9);  // rotated 90 degrees, scaled 2 and 3
  EXPECT_NEAR(nested.M21, 2, 1e-9);
}

TEST(BlockTree, CyclesAndDeepNestingStayBounded) {
  TJwwData cyclic;
  cyclic.BlockDefs = {Def(1, {2}), Def(2, {1}), Def(3, {3})};
  Add(cyclic, cyclic.Blocks, kBlockClass, Insert(1));
  Add(cyclic, cyclic.Blocks, kBlockClass, Insert(3));
  cyclic.BuildBlockTree();
  EXPECT_EQ(cyclic.ReferencedBlockCount, 3);
  EXPECT_LT(cyclic.BlockTree.size(), 10u);

  // 20 levels, each inserting the next ten times: 10^20 paths
  TJwwData deep;
  for (int level = 0; level < 20; ++level) {
    deep.BlockDefs.push_back(Def(level, std::vector<std::int32_t>(10, level + 1)));
  }
  deep.BlockDefs.push_back(Def(20));
  Add(deep, deep.Blocks, kBlockClass, Insert(0));
  deep.BuildBlockTree();
  EXPECT_EQ(deep.ReferencedBlockCount, 21);
  EXPECT_EQ(deep.BlockTree.size(), TJwwData::kMaxBlockTree);
}

class EmbeddedImages : public ::testing::Test {
 protected:
  // A document extracting into the scratch folder.
  TJwwData Document() {
    TJwwData d;
    d.Images.SetTempFolder(scratch_.Path());
    return d;
  }
  static void AddImage(TJwwData& d, const JwwString& name, const std::string& bytes) {
    const auto source = [&bytes](const ImageStore::Sink& sink) {
      return sink(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    };
    ASSERT_TRUE(d.Images.Add(name, source));
  }
  static void AddImage(TJwwData& d, const std::string& name, const std::string& bytes) {
    AddImage(d, JwwString(name), bytes);
  }
  testsupport::TempFolder scratch_;
};

TEST_F(EmbeddedImages, KeptWhileReferencedAndExtractedOnLoad) {
  TJwwData d = Document();
  AddImage(d, "PHOTO.BMP.GZ", "gzipped photo");
  AddImage(d, "unused.bmp", "nobody refers to me");
  AddImage(d, "plan.png", "png");
  Add(d, d.Texts, kTextClass, Text("^@BM%temp%photo.bmp,10,10,0,0"));  // prefix match, any case
  TEntJwwBlockDef def = Def(1);
  Add(def, def.Texts, kTextClass, Text("^@BM%temp%plan.png,1,1"));
  d.BlockDefs = {def};  // an unused definition still keeps its images
  d.BuildBlockTree();

  std::vector<unsigned char> bytes;
  ASSERT_TRUE(d.SaveToMemory(bytes, 700));
  d.DeleteExtractedFiles();
  d.DeleteUnpackedFiles();
  EXPECT_FALSE(platform::FileExists(scratch_ / "PHOTO.BMP.GZ"));

  TJwwData back = Document();
  ASSERT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size()));
  ASSERT_EQ(back.Images.EmbeddedImages().size(), 2u);
  EXPECT_EQ(back.Images.EmbeddedImages()[0].Name.bytes, "PHOTO.BMP.GZ");
  EXPECT_EQ(back.Images.EmbeddedImages()[1].Name.bytes, "plan.png");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(scratch_ / "PHOTO.BMP.GZ")), "gzipped photo");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(scratch_ / "plan.png")), "png");
}

TEST_F(EmbeddedImages, SavingTwiceGivesTheSameBytesAndLeavesTheImagesAsTheyWere) {
  TJwwData d = Document();
  AddImage(d, "kept.bmp", "kept");
  AddImage(d, "dropped.bmp", "no text refers to me");
  Add(d, d.Texts, kTextClass, Text("^@BM%temp%kept.bmp,1,1"));
  const std::vector<TBindImageType> before = d.Images.EmbeddedImages();
  const std::vector<std::string> files = platform::ListFolder(scratch_.Path());
  std::vector<unsigned char> first, second;
  ASSERT_TRUE(d.SaveToMemory(first, 700));
  ASSERT_TRUE(d.SaveToMemory(second, 700));
  EXPECT_TRUE(first == second);
  EXPECT_EQ(d.Images.EmbeddedImages(), before);
  EXPECT_EQ(platform::ListFolder(scratch_.Path()), files);
}

TEST_F(EmbeddedImages, ReferencedImageMissingFromScratchFailsTheSave) {
  TJwwData d = Document();
  AddImage(d, "a.bmp", "a");
  platform::RemoveFile(scratch_ / "a.bmp");
  Add(d, d.Texts, kTextClass, Text("^@BM%temp%a.bmp,1,1"));
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(d.SaveToMemory(bytes, 700));

  // a failed save leaves the file that was there and no temporary file
  testsupport::TempFolder out;
  const std::string target = out / "kept.jww";
  testsupport::WriteFileText(target, "previous");
  EXPECT_FALSE(d.SaveToFile(target, 700));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(target)), "previous");
  EXPECT_EQ(platform::ListFolder(out.Path()), std::vector<std::string>{"kept.jww"});
}

TEST_F(EmbeddedImages, NamesThatReachOtherFoldersNeverTouchTheDisk) {
  testsupport::TempFolder outside;
  TJwwData d = Document();
  for (const std::string& name : {std::string("..\\..\\x.bmp"), std::string("a/b.bmp"), std::string("C:x.bmp"),
                                 std::string("..")}) {
    EXPECT_FALSE(d.Images.Add(JwwString(name), [](const ImageStore::Sink&) { return true; }));
  }
  AddImage(d, "ok.bmp", "abc");
  Add(d, d.Texts, kTextClass, Text("^@BM%temp%ok.bmp,1,1"));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(d.SaveToMemory(bytes, 700));
  // the unreferenced entries were dropped; put them back into the file by hand
  TJwwData back = Document();
  ASSERT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size()));
  EXPECT_EQ(back.Images.EmbeddedImages().size(), 1u);
  const std::vector<std::string> before = platform::ListFolder(scratch_.Path());

  // nor is a device name or a name Windows forbids, so that every platform gives one result
  const std::string tail = Hex("07 00 00 00") +                          // seven images
                           Hex("07") + "nul.bmp" + Hex("03 00 00 00") + "xyz" +        //
                           Hex("06") + "a<.bmp" + Hex("03 00 00 00") + "xyz" +         //
                           Hex("0B") + "..\\..\\x.bmp" + Hex("03 00 00 00") + "xyz" +  //
                           Hex("07") + "a/b.bmp" + Hex("03 00 00 00") + "xyz" +        //
                           Hex("07") + "C:x.bmp" + Hex("03 00 00 00") + "xyz" +        //
                           Hex("02") + ".." + Hex("03 00 00 00") + "xyz" +             //
                           Hex("06") + "ok.bmp" + Hex("03 00 00 00") + "new";
  std::string hostile = AsString(bytes);
  hostile.replace(hostile.size() - (4 + 1 + 6 + 4 + 3), std::string::npos, tail);
  TJwwData loaded = Document();
  ASSERT_TRUE(loaded.LoadFromMemory(hostile.data(), hostile.size()));
  EXPECT_EQ(loaded.Images.EmbeddedImages().size(), 7u);
  EXPECT_EQ(platform::ListFolder(scratch_.Path()), before);
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(scratch_ / "ok.bmp")), "new");
  EXPECT_TRUE(platform::ListFolder(outside.Path()).empty());
  // such an entry cannot be written back while a text refers to it
  Add(loaded, loaded.Texts, kTextClass, Text("^@BM%temp%nul.bmp,1,1"));
  EXPECT_FALSE(loaded.SaveToMemory(bytes, 700));
}

TEST_F(EmbeddedImages, NamesHeldAsUtf16AreExtractedKeptAndReadBack) {
  auto utf16 = [](const std::u16string& units) { return JwwString(BytesOf(units), StringForm::Utf16); };
  const std::u16string scratch = testsupport::Units(scratch_.Path());
  TJwwData d = Document();
  TBindImageType image;
  image.Name = utf16(u"写真😀.JPG.gz");
  AddImage(d, image.Name, "gzipped");
  TEntJwwText text = Text("");
  text.Text = utf16(u"^@BM%temp%写真😀.jpg,1,1");
  Add(d, d.Texts, kTextClass, text);
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(d.SaveToMemory(bytes, 700));
  d.DeleteExtractedFiles();
  EXPECT_FALSE(testsupport::Exists(scratch + u"写真😀.JPG.gz"));

  TJwwData back = Document();
  ASSERT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size()));
  ASSERT_EQ(back.Images.EmbeddedImages().size(), 1u);
  EXPECT_EQ(back.Images.EmbeddedImages()[0].Name, image.Name);
  EXPECT_EQ(testsupport::ReadFileText(scratch + u"写真😀.JPG.gz"), "gzipped");
  std::vector<unsigned char> again;
  ASSERT_TRUE(back.SaveToMemory(again, 700));
  EXPECT_TRUE(again == bytes);

  // a name that reaches another folder is never a scratch file, in UTF-16 terms too
  const struct {
    std::u16string name;
    bool plain;
  } rows[] = {{u"😀.bmp", true},     {u"..\\😀.bmp", false}, {u"😀/a.bmp", false}, {u"C:😀.bmp", false},
              {u"😀\x01.bmp", false}, {u"😀\\", false},     {u"😀?.bmp", false},  {u"nul.😀", false},
              {u"CONIN$", false}};
  for (const auto& row : rows) EXPECT_EQ(IsPlainFileName(utf16(row.name)), row.plain) << testsupport::Utf8(row.name);
}

TEST(EmbeddedImageLookup, FirstImageWhoseNameBeginsWithTheNameAsciiLettersInEitherCase) {
  auto utf16 = [](const std::u16string& units) { return JwwString(BytesOf(units), StringForm::Utf16); };
  testsupport::TempFolder scratch;
  TJwwData d;
  d.Images.SetTempFolder(scratch.Path());
  for (const JwwString& name : {JwwString("PHOTO.BMP.GZ"), JwwString("\x83\x61.bmp"), utf16(u"😀a.bmp.gz"),
                                JwwString("ab.png")}) {
    ASSERT_TRUE(d.Images.Add(name, [](const ImageStore::Sink&) { return true; }));
  }
  const struct {
    JwwString name;
    std::int32_t image;
  } rows[] = {
      {JwwString("photo.bmp"), 0},
      {JwwString("Photo.Bmp.Gz"), 0},
      {JwwString("photo.bmp.gz.x"), -1},       // longer than the name
      {JwwString("\x83\x61"), 1},              // ャ
      {JwwString("\x83\x41.bmp"), -1},         // ア: a second byte is no letter
      {utf16(u"😀A.BMP"), 2},
      {utf16(u"photo😀"), -1},
      {JwwString("a"), 3},                     // the first in list order
      {JwwString("Photo", StringForm::Unicode), 0},
      {JwwString(""), -1},
  };
  for (const auto& row : rows) EXPECT_EQ(d.FindEmbeddedImageByName(row.name), row.image) << row.name.bytes;
}

TEST_F(EmbeddedImages, TwoDocumentsKeepTheirOwnImages) {
  // two drawings whose embedded images have one name, read one after the other
  testsupport::TempFolder second;
  std::vector<std::vector<unsigned char>> files;
  for (const char* picture : {"the first picture", "the second picture"}) {
    TJwwData d = Document();
    AddImage(d, "pic.bmp", picture);
    Add(d, d.Texts, kTextClass, Text("^@BM%temp%pic.bmp,1,1"));
    files.emplace_back();
    ASSERT_TRUE(d.SaveToMemory(files.back(), 700));
  }
  TJwwData first = Document();
  TJwwData other;
  other.Images.SetTempFolder(second.Path());
  ASSERT_TRUE(first.LoadFromMemory(files[0].data(), files[0].size()));
  ASSERT_TRUE(other.LoadFromMemory(files[1].data(), files[1].size()));
  std::vector<unsigned char> savedFirst, savedOther;
  ASSERT_TRUE(first.SaveToMemory(savedFirst, 700));
  ASSERT_TRUE(other.SaveToMemory(savedOther, 700));
  EXPECT_TRUE(savedFirst == files[0]);
  EXPECT_TRUE(savedOther == files[1]);
}

TEST(JwwHostile, CountsThatCannotFitFailFast) {
  TJwwData d;
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(d.SaveToMemory(bytes, 700));
  const std::size_t countAt = bytes.size() - 2 - 2 - 4;  // entity count, block count, image count
  std::string hostile = AsString(bytes);
  hostile.replace(countAt, 2, Hex("FF FF FF FF FF FF"));
  TJwwData back;
  // failed by the bound itself, not by reserving room for the count
  EXPECT_FALSE(back.LoadFromMemory(hostile.data(), hostile.size()));
  EXPECT_EQ(back.LastLoadResult().reason, "entity count 4294967295 cannot fit in the 6 bytes left");
  EXPECT_EQ(back.LastLoadResult().offset, countAt);

  // one image whose size runs past the end of the file
  std::string image = AsString(bytes);
  image.replace(image.size() - 4, 4, Hex("01 00 00 00 05") + "a.bmp" + Hex("00 00 00 10") + "short");
  EXPECT_FALSE(back.LoadFromMemory(image.data(), image.size()));
  EXPECT_EQ(back.LastLoadResult().reason, "size of embedded image 1 268435456 cannot fit in the 5 bytes left");
}

TEST(JwwSave, IntoAMissingFolderLeavesNothing) {
  testsupport::TempFolder folder;
  TJwwData d;
  EXPECT_FALSE(d.SaveToFile(folder / "missing\\x.jww", 700));
  EXPECT_TRUE(platform::ListFolder(folder.Path()).empty());
  EXPECT_TRUE(d.SaveToFile(folder / "x.jww", 700));
  EXPECT_EQ(platform::ListFolder(folder.Path()), std::vector<std::string>{"x.jww"});
  TJwwData back;
  EXPECT_TRUE(back.LoadFromFile(folder / "x.jww"));
}

TEST(JwwLoad, NothingEscapesALoad) {
  testsupport::TempFolder folder;
  TJwwData d;
  ASSERT_TRUE(d.SaveToFile(folder / "x.jww", 700));
  // a failure of a kind the reader does not expect, where the file is opened and read
  for (platform::FileOp op : {platform::FileOp::Open, platform::FileOp::Read}) {
    static platform::FileOp failing;
    failing = op;
    platform::faultHook = [](platform::FileOp seen) {
      if (seen == failing) throw std::logic_error("unexpected");
      return platform::FaultAction::None;
    };
    bool loaded = true;
    EXPECT_NO_THROW(loaded = d.LoadFromFile(folder / "x.jww"));
    platform::faultHook = nullptr;
    EXPECT_FALSE(loaded);
  }
  EXPECT_TRUE(d.LoadFromFile(folder / "x.jww"));
}
