// Drawings in the layout of every format version, written by the fixture builder, read
// and saved again as version 700.
#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"

using namespace jww;

namespace {

// A scratch folder these tests share, removed when they end.
class SharedScratch : public ::testing::Environment {
 public:
  void SetUp() override { folder_ = std::make_unique<testsupport::TempFolder>(); }
  void TearDown() override { folder_.reset(); }
  static std::string Path() { return folder_ ? folder_->Path() : ""; }

 private:
  static inline std::unique_ptr<testsupport::TempFolder> folder_;
};
::testing::Environment* const kSharedScratch = ::testing::AddGlobalTestEnvironment(new SharedScratch);

// Loads a drawing; its embedded images go to the document's scratch folder, or to the
// shared one.
bool Load(TJwwData& d, const fixture::Drawing& f) {
  if (d.Images.TempFolder().empty()) d.Images.SetTempFolder(SharedScratch::Path());
  const std::vector<unsigned char> bytes = fixture::BuildDrawing(f);
  return d.LoadFromMemory(bytes.data(), bytes.size());
}

// Loads the drawing saved as 700.
TJwwData Resaved(TJwwData& d) {
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(d.SaveToMemory(bytes, 700));
  TJwwData back;
  back.Images.SetTempFolder(d.Images.TempFolder());
  EXPECT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size()));
  return back;
}

class Versions : public ::testing::TestWithParam<std::int32_t> {};

}  // namespace

TEST_P(Versions, HeaderRowsFollowTheirVersion) {
  const std::int32_t v = GetParam();
  const fixture::Drawing f = fixture::SampleDrawing(static_cast<std::uint32_t>(v));
  const fixture::Header& h = f.header;
  TJwwData d;
  ASSERT_TRUE(Load(d, f));
  EXPECT_EQ(d.Header.Version, v);
  EXPECT_EQ(d.Header.Memo.bytes, f.memo.bytes);
  EXPECT_EQ(d.Layers.size(), 256u);
  EXPECT_EQ(d.Layers[255].Name.bytes, h.LayerGroups[15].Layers[15].name.bytes);
  EXPECT_EQ(d.LayerGroups[3].Name.bytes, h.LayerGroups[3].name.bytes);
  EXPECT_EQ(d.Header.GridOriginY, h.gridOriginY);
  EXPECT_EQ(d.Header.SunWallHeight, h.wallMeasuringHeight);

  // sky-diagram values: in the file from 231, kept from 300
  EXPECT_EQ(d.Header.SkyHeight, v >= 300 ? h.skyHeight : 0.0);
  EXPECT_EQ(d.Header.SkyRadius, v >= 300 ? h.skyRadius : 0.0);
  EXPECT_EQ(d.Header.Unit25D, h.unit25D);
  // mark jumps: four before 231, eight with their layer groups after
  EXPECT_EQ(d.Header.MarkJumpScale[4], h.markJumps[3].scale);
  EXPECT_EQ(d.Header.MarkJumpScale[8], v >= 231 ? h.markJumps[7].scale : 1.0);
  EXPECT_EQ(d.Header.MarkJumpGroup[1], v >= 231 ? h.markJumps[0].layerGroup : -1);
  EXPECT_EQ(d.Header.FurtherFlagB, v >= 231 ? h.furtherSecondWord : 0);
  EXPECT_EQ(d.Header.MultiLineEndGap, h.multiLineEndGap);
  EXPECT_EQ(d.Pens[9].DotRadius, h.Pens[9].dotRadius);

  const bool switches = v == 220 || v == 223 || v == 225 || v >= 230;
  EXPECT_EQ(d.Header.Switches[9], switches ? h.switches[9] : 0);
  EXPECT_EQ(d.Header.Switch11Units, switches ? h.switches[10] % 10 : 0);
  EXPECT_EQ(d.Header.Switch11Tens, switches ? h.switches[10] / 10 : 0);
  EXPECT_EQ(d.Header.DrawingTime, switches && v >= 223 ? h.drawingTime : 0);
  EXPECT_EQ(d.Header.LastCircleRadius, switches && v >= 225 ? h.lastCircleRadius : 0.0);
  EXPECT_EQ(d.Header.SolidColor, switches && v >= 230 ? h.solidColor : 0);
  EXPECT_EQ(d.ColorsEx[256].Name.bytes, v >= 420 ? h.ColorsEx[256].name.bytes : "");
  EXPECT_EQ(d.LineTypesEx[32].SegmentCount, v >= 420 ? h.LineTypesEx[32].segmentCount : 0);
  EXPECT_EQ(d.TextTypes[9].Color, h.TextTypes[9].color);
  EXPECT_EQ(d.Header.ShiftTop, h.shiftTop);
}

TEST_P(Versions, EntitiesAndBlocksReadAndSaveAs700) {
  const std::int32_t v = GetParam();
  TJwwData d;
  ASSERT_TRUE(Load(d, fixture::SampleDrawing(static_cast<std::uint32_t>(v))));
  ASSERT_EQ(d.HeldCount(), 9u);
  ASSERT_EQ(d.Lines.size(), 1u);
  EXPECT_EQ(d.Lines[0].EndY, 20.25);
  EXPECT_EQ(d.Lines[0].Flag, 6);
  EXPECT_EQ(d.Lines[0].PenWidth, v >= 351 ? 3 : 0);  // absent from older bases
  EXPECT_EQ(d.Points[0].Scale, 2.5);
  EXPECT_EQ(d.Solids[0].Color, 0x00336699);
  ASSERT_EQ(d.Texts.size(), 3u);
  EXPECT_EQ(d.Texts[1].Text.bytes, "\x95\x5C\x8E\xA6");
  EXPECT_EQ(d.Texts[2].Text.form, StringForm::Utf16);
  ASSERT_EQ(d.Dims.size(), 1u);
  const TEntJwwDim& dim = d.Dims[0];
  EXPECT_EQ(dim.DimText.Text.bytes, "100");
  if (v >= 420) {
    EXPECT_EQ(dim.Point1.Scale, 2.5);
    EXPECT_EQ(dim.AuxLine2.StartX, 10.0);
  } else {
    // older dimensions: the extension carries the dimension's own attributes, numbers 0
    EXPECT_EQ(dim.AuxLine2.StartX, 0.0);
    EXPECT_EQ(dim.AuxLine2.Flag, dim.Flag);
    EXPECT_EQ(dim.Point1.LineType, 0);
  }
  ASSERT_EQ(d.BlockDefs.size(), 3u);
  EXPECT_EQ(d.BlockDefs[1].Time, 2);  // a long time stamp gives way to the ordinal
  EXPECT_EQ(d.ReferencedBlockCount, 2);

  TJwwData back = Resaved(d);
  EXPECT_EQ(back.Header.Version, 700);
  EXPECT_EQ(back.Order, d.Order);
  ASSERT_EQ(back.BlockDefs.size(), 2u);  // the unused definition is left out
  EXPECT_EQ(back.BlockDefs[1].Name.bytes, "inner");
  EXPECT_EQ(back.Lines[0].PenWidth, d.Lines[0].PenWidth);
  EXPECT_EQ(back.Texts[2].Text, d.Texts[2].Text);
  const TEntJwwDim& saved = back.Dims[0];
  EXPECT_EQ(saved.Point1.LineType, v >= 420 ? 100 : 1);  // written as a plain point
  EXPECT_EQ(saved.AuxPoint2.X, dim.AuxPoint2.X);
  EXPECT_EQ(back.Header.SkyHeight, d.Header.SkyHeight);
  EXPECT_EQ(back.Header.MarkJumpGroup[8], d.Header.MarkJumpGroup[8]);
  EXPECT_EQ(back.Header.SolidColor, d.Header.SolidColor);
}

// Reading and writing share one description of each layout: saved as its own version,
// a drawing reads back to the same entities and saves again to the same bytes.
TEST_P(Versions, SavedInItsOwnLayoutReadsBackTheSame) {
  const std::int32_t v = GetParam();
  TJwwData d;
  ASSERT_TRUE(Load(d, fixture::SampleDrawing(static_cast<std::uint32_t>(v))));
  std::vector<unsigned char> first, second;
  ASSERT_TRUE(d.SaveToMemory(first, v));
  TJwwData back;
  back.Images.SetTempFolder(d.Images.TempFolder());
  ASSERT_TRUE(back.LoadFromMemory(first.data(), first.size()));
  EXPECT_EQ(back.Header.Version, v);
  EXPECT_EQ(back.Order, d.Order);
  EXPECT_EQ(back.Lines, d.Lines);
  EXPECT_EQ(back.Arcs, d.Arcs);
  EXPECT_EQ(back.Points, d.Points);
  EXPECT_EQ(back.Texts, d.Texts);
  EXPECT_EQ(back.Dims, d.Dims);
  EXPECT_EQ(back.Solids, d.Solids);
  ASSERT_TRUE(back.SaveToMemory(second, v));
  EXPECT_EQ(first, second);
}

INSTANTIATE_TEST_SUITE_P(Jww, Versions,
                         ::testing::Values(220, 221, 222, 223, 224, 225, 226, 229, 230, 231, 250, 300, 350, 351, 400,
                                           419, 420, 600, 699, 700));

TEST(JwwVersions, Versions350And351HoldTheSameRecords) {
  TJwwData old, current;
  ASSERT_TRUE(Load(old, fixture::SampleDrawing(350)));
  ASSERT_TRUE(Load(current, fixture::SampleDrawing(351)));
  for (TEntJwwLine& l : current.Lines) l.PenWidth = 0;
  EXPECT_EQ(old.Lines, current.Lines);
  EXPECT_EQ(old.Arcs[0].Radius, current.Arcs[0].Radius);
  EXPECT_EQ(old.Texts[0].Text, current.Texts[0].Text);
}

TEST(JwwVersions, ImagesOnlyFrom700) {
  testsupport::TempFolder scratch;
  TJwwData d;
  d.Images.SetTempFolder(scratch.Path());
  ASSERT_TRUE(Load(d, fixture::SampleDrawing(699)));
  EXPECT_TRUE(d.Images.EmbeddedImages().empty());
  ASSERT_TRUE(Load(d, fixture::SampleDrawing(700)));
  ASSERT_EQ(d.Images.EmbeddedImages().size(), 1u);
  EXPECT_TRUE(platform::FileExists(scratch / "sample.bmp.gz"));
  TJwwData back = Resaved(d);  // still referred to by a definition: kept
  EXPECT_EQ(back.Images.EmbeddedImages().size(), 1u);
  d.DeleteExtractedFiles();
  d.DeleteUnpackedFiles();
  EXPECT_TRUE(platform::ListFolder(scratch.Path()).empty());
}

TEST(JwwVersions, UnknownClassesAndClassesFirstMetInDefinitions) {
  fixture::Drawing f;
  f.entities.push_back(fixture::UnknownClass{});
  f.entities.push_back(fixture::LineEntity{});
  fixture::BlockEntity insert;
  insert.blockNumber = 4;
  f.entities.push_back(insert);
  fixture::BlockDef def;
  def.Number = 4;
  def.entities.push_back(fixture::TextEntity{});  // the text class first appears here
  def.entities.push_back(fixture::LineEntity{});
  f.blockDefs.push_back(def);
  f.blockDefs.push_back(def);  // a second definition refers to both classes
  f.blockDefs.back().Number = 5;
  fixture::Drawing later = f;
  later.entities.push_back(fixture::TextEntity{});
  for (const fixture::Drawing& drawing : {f, later}) {
    TJwwData d;
    ASSERT_TRUE(Load(d, drawing));
    EXPECT_EQ(d.Lines.size(), 1u);
    ASSERT_EQ(d.BlockDefs.size(), 2u);
    EXPECT_EQ(d.BlockDefs[1].Texts.size(), 1u);
    EXPECT_EQ(d.BlockDefs[1].Lines.size(), 1u);
    TJwwData back = Resaved(d);
    EXPECT_EQ(back.BlockDefs.size(), 1u);
    EXPECT_EQ(back.BlockDefs[0].Texts.size(), 1u);
  }
}

TEST(JwwVersions, LongTimeStampOfAUsedDefinition) {
  fixture::Drawing f;
  fixture::BlockEntity insert;
  insert.blockNumber = 8;
  f.entities.push_back(insert);
  for (std::int32_t n : {7, 8}) {
    fixture::BlockDef def;
    def.Number = n;
    def.Time = 0x90000000u;
    f.blockDefs.push_back(def);
  }
  TJwwData d;
  ASSERT_TRUE(Load(d, f));
  EXPECT_EQ(d.BlockDefs[1].Time, 2);
  TJwwData back = Resaved(d);
  ASSERT_EQ(back.BlockDefs.size(), 1u);
  EXPECT_EQ(back.BlockDefs[0].Time, 2);  // written with the short stamp
  EXPECT_EQ(back.BlockDefs[0].Number, 0);
}
