// One drawing's conversion made from its options alone, without the window.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "app/DrawingConversion.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace apptest {
namespace {

using app::ConversionOptions;
using app::ConversionResult;
using app::DrawingConversion;
using relocation::ImageMode;

TEST(DrawingConversion, EachOptionReachesTheDrawingWritten) {
  testsupport::TempFolder root;
  ASSERT_TRUE(platform::MakeFolder(root / "img\\"));
  testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
  const std::string source = root / "plan.jww";
  ASSERT_TRUE(fixture::WriteDrawing(source, DrawingWithTexts({Reference("img\\a.bmp"), Reference("img\\gone.bmp")})));
  const std::string scratch = root / "scratch\\";
  ASSERT_TRUE(platform::MakeFolder(scratch));
  const std::string tail = ",100,75,0,0,1,0";
  const struct {
    const char* what;
    bool pathNames;
    ImageMode mode;
    bool disable;
    std::string placed, placedEnd;  // the start and the end of the found image's reference
    std::string missing;            // the missing image's reference
    std::size_t files;              // in the destination's folder, the drawing included
  } rows[] = {
      {"copied", false, ImageMode::Copy, false, Reference("a.bmp"), tail, Reference("img\\gone.bmp"), 2},
      {"path names", true, ImageMode::Copy, false, "^@BM", "img_a.bmp" + tail, Reference("img\\gone.bmp"), 2},
      {"embedded, missing ones off", false, ImageMode::Embed, true, "^@BM%temp%", "img_a_bmp.bmp" + tail,
       "_@BM" + root / "img\\gone.bmp" + tail, 1},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    // written two folders below the destination folder, which the conversion makes
    const std::string out = root / ("out" + std::to_string(++n) + "\\");
    ASSERT_TRUE(platform::MakeFolder(out));
    const std::string destination = out + "1F\\A\\plan.jww";
    const ConversionOptions options{out, row.pathNames, row.mode, row.disable};
    const ConversionResult result = DrawingConversion(options, scratch).Run(source, destination);
    EXPECT_TRUE(result.Converted());
    EXPECT_EQ(result.Text, OkText(1, 1, 0, 1, 0));
    const std::vector<std::string> texts = TextsOf(destination);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].starts_with(row.placed) && texts[0].ends_with(row.placedEnd)) << texts[0];
    EXPECT_EQ(texts[1], row.missing);
    EXPECT_EQ(SortedList(text::ExtractFilePath(destination)).size(), row.files);
  }
  // an unreadable drawing says so, and the destination is not made
  testsupport::WriteFileText(root / "bad.jww", "JwwData. but nothing after");
  const ConversionResult bad = DrawingConversion({}, scratch).Run(root / "bad.jww", root / "out1\\bad.jww");
  EXPECT_EQ(bad.Why, ConversionResult::Failure::Unreadable);
  EXPECT_EQ(bad.Text, kFailed);
  EXPECT_FALSE(platform::FileExists(root / "out1\\bad.jww"));
  // nothing is left in the scratch folder
  EXPECT_TRUE(SortedList(scratch).empty());
}

}  // namespace
}  // namespace apptest
