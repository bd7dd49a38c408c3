// Checking a project: the state of every kind of image reference, found where the drawing
// says, by a search, stored, gone or switched off; totals, and nothing written.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "TestSupport.h"
#include "app/CheckReport.h"
#include "app/ProjectCheck.h"
#include "fixture/DrawingBuilder.h"
#include "fixture/GzipStream.h"
#include "platform/Platform.h"

namespace {

using app::ReferenceState;

fixture::TextEntity Text(const std::string& text) {
  fixture::TextEntity t;
  t.Text = text;
  return t;
}

TEST(ProjectCheck, TellsTheStateOfEveryKindOfReference) {
  const testsupport::TempFolder root;
  for (const char* folder : {"house\\", "house\\img\\", "old\\", "old\\x\\", "old\\y\\", "elsewhere\\"}) {
    platform::MakeFolder(root / folder);
  }
  testsupport::WriteFileText(root / "house\\img\\a.bmp", "BM a");
  testsupport::WriteFileText(root / "old\\moved.bmp", "BM moved");
  testsupport::WriteFileText(root / "old\\x\\twice.bmp", "BM one");
  testsupport::WriteFileText(root / "old\\y\\twice.bmp", "BM another");
  testsupport::WriteFileText(root / "elsewhere\\linked.bmp", "BM behind a link");
  testsupport::MakeLink(root / "elsewhere", root / "old\\link", true);

  fixture::Drawing d;
  const std::string texts[] = {
      "^@BMimg\\a.bmp,1,1",           "^@BMlost.bmp,1,1",        "^@BMC:\\was\\moved.bmp,1,1",
      "^@BMC:\\was\\twice.bmp,1,1",   "^@BM%temp%stamp.bmp,1,1", "^@BM%temp%bad.bmp,1,1",
      "^@BM%temp%gone.bmp,1,1",       "_@BMC:\\x.bmp,1,1",       "^@BMC:\\was\\linked.bmp,1,1",
      "not a reference",
  };
  for (const std::string& text : texts) d.entities.push_back(Text(text));
  fixture::BlockDef block;
  block.Number = 1;
  block.Name = "<parts>";
  block.entities.push_back(Text("^@BMimg\\a.bmp,2,2"));
  d.blockDefs.push_back(block);
  d.images.push_back({"stamp.bmp.gz", fixture::GzipStream(std::string(1000, 'x')), {}});
  d.images.push_back({"bad.bmp.gz", {0x1F, 0x8B, 'n', 'o', 't', ' ', 'g', 'z'}, {}});
  ASSERT_TRUE(fixture::WriteDrawing(root / "house\\plan.jww", d));
  testsupport::WriteFileText(root / "house\\broken.jww", "not a drawing");

  app::CheckOptions options;
  options.Search.Folders.push_back(root / "old\\");
  const std::vector<std::string> before = testsupport::FolderNames(root / "house\\");
  const app::CheckResult result = app::CheckProject({root / "house", root / "none.jww", root / "a.txt"}, options);
  EXPECT_EQ(testsupport::FolderNames(root / "house\\"), before);  // nothing extracted or written

  ASSERT_EQ(result.Drawings.size(), 2u);
  const app::CheckedDrawing& broken = result.Drawings[0];
  EXPECT_FALSE(broken.Readable);
  const app::CheckedDrawing& plan = result.Drawings[1];
  ASSERT_TRUE(plan.Readable);
  EXPECT_EQ(plan.Version, 700);
  struct Row {
    ReferenceState state;
    std::string path;  // "" when none is expected
  };
  const Row rows[] = {
      {ReferenceState::Found, root / "house\\img\\a.bmp"},
      {ReferenceState::Missing, root / "house\\lost.bmp"},
      {ReferenceState::FoundBySearch, root / "old\\moved.bmp"},
      {ReferenceState::Tie, ""},
      {ReferenceState::Embedded, ""},
      {ReferenceState::EmbeddedBroken, ""},
      {ReferenceState::EmbeddedGone, ""},
      {ReferenceState::Disabled, ""},
      {ReferenceState::Missing, ""},  // a link inside a search folder is not followed
      {ReferenceState::Found, root / "house\\img\\a.bmp"},
  };
  ASSERT_EQ(plan.References.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(plan.References[i].Text);
    EXPECT_EQ(plan.References[i].State, rows[i].state);
    if (!rows[i].path.empty()) {
      EXPECT_EQ(plan.References[i].Path, platform::NativePathForDisplay(rows[i].path));
    }
  }
  EXPECT_EQ(plan.References[3].Candidates.size(), 2u);
  EXPECT_EQ(plan.References[4].Entry, "stamp.bmp.gz");
  EXPECT_EQ(plan.References[4].UnpackedSize, 1000u);
  EXPECT_TRUE(plan.References[9].InBlock);
  EXPECT_EQ(plan.References[9].Block, "<parts>");

  const app::CheckTotals& t = result.Totals;
  EXPECT_EQ(std::vector<std::size_t>({t.Drawings, t.Unreadable, t.WithProblems, t.References, t.Found,
                                      t.FoundBySearch, t.Missing, t.Embedded, t.Disabled}),
            std::vector<std::size_t>({2, 1, 2, 10, 2, 1, 5, 1, 1}));
  ASSERT_EQ(result.Refused.size(), 2u);
  EXPECT_EQ(result.Refused[0].Why, app::RefusedInput::Reason::NoSuchDrawing);
  EXPECT_EQ(result.Refused[1].Why, app::RefusedInput::Reason::NotADrawing);
  EXPECT_FALSE(result.AllResolve());
}

TEST(ProjectCheck, ResolvesWhenEveryImageIsFoundStoredOrSwitchedOff) {
  const testsupport::TempFolder root;
  testsupport::WriteFileText(root / "a.bmp", "BM a");
  fixture::Drawing d;
  for (const char* text : {"^@BMa.bmp,1,1", "_@BMgone.bmp,1,1", "^@BM%temp%s.bmp,1,1"}) d.entities.push_back(Text(text));
  d.images.push_back({"s.bmp", {'B', 'M'}, {}});  // stored as it is
  ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  app::CheckResult result = app::CheckProject({root / "plan.jww"}, {});
  EXPECT_TRUE(result.AllResolve());
  EXPECT_EQ(result.Drawings[0].References[2].UnpackedSize, 2u);

  // a folder that names no drawing, or a drawing with a missing image, and it does not
  platform::MakeFolder(root / "empty\\");
  result = app::CheckProject({root / "plan.jww", root / "empty"}, {});
  EXPECT_FALSE(result.AllResolve());
  d.entities.push_back(Text("^@BMlost.bmp,1,1"));
  ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  result = app::CheckProject({root / "plan.jww"}, {});
  EXPECT_FALSE(result.AllResolve());

  // a check stopped after its first drawing checks no other and does not pass
  app::CheckOptions stopAtOnce;
  stopAtOnce.OnDrawing = [](const app::CheckedDrawing&) { return false; };
  ASSERT_TRUE(fixture::WriteDrawing(root / "fine.jww", fixture::Drawing{}));
  result = app::CheckProject({root / "fine.jww", root / "empty", root / "plan.jww"}, stopAtOnce);
  EXPECT_EQ(result.Drawings.size(), 1u);
  EXPECT_TRUE(result.Refused.empty());
  EXPECT_FALSE(result.AllResolve());
}

// A preview that throws costs its drawing the picture, never the check; the page shows
// each picture by a relative link, or in words why there is none.
TEST(ProjectCheck, APreviewThatFailsCostsOnlyItsOwnPicture) {
  const testsupport::TempFolder root;
  for (const char* name : {"a.jww", "b.jww", "c.jww"}) ASSERT_TRUE(fixture::WriteDrawing(root / name, fixture::Drawing{}));
  testsupport::WriteFileText(root / "d.jww", "not a drawing");
  app::CheckOptions options;
  options.Preview = [&root](const std::string& path, const relocation::ImageSearch&, app::CheckedDrawing& drawing) {
    drawing.Preview = platform::NativePathForDisplay(root / "p\\<x>.svg");  // thrown away when it throws
    if (path.ends_with("a.jww")) throw std::bad_alloc();
    if (path.ends_with("b.jww")) throw std::runtime_error("no");
  };
  const std::vector<std::string> inputs{root / "a.jww", root / "b.jww", root / "c.jww", root / "d.jww"};
  const app::CheckResult result = app::CheckProject(inputs, options);
  ASSERT_EQ(result.Drawings.size(), 4u);
  using Gap = app::CheckedDrawing::PreviewGap;
  std::vector<std::string> previews;
  std::vector<Gap> reasons;
  for (const app::CheckedDrawing& d : result.Drawings) {
    previews.push_back(d.Preview);
    reasons.push_back(d.NoPreview);
  }
  const std::string drawn = platform::NativePathForDisplay(root / "p\\<x>.svg");
  EXPECT_EQ(previews, std::vector<std::string>({"", "", drawn, ""}));
  EXPECT_EQ(reasons, std::vector<Gap>({Gap::TooLarge, Gap::CannotDraw, Gap::None, Gap::Unreadable}));
  EXPECT_EQ(result.Totals.Unreadable, 1u);

  const std::string page = app::CheckPage(result, {app::PageLanguage::English, platform::NativePathForDisplay(root.Path())});
  EXPECT_NE(page.find("<a class=\"picture\" href=\"p/%3Cx%3E.svg\"><img src=\"p/%3Cx%3E.svg\""), std::string::npos)
      << page;
  EXPECT_NE(page.find("<p class=\"nopreview\">no preview: too large to draw</p>"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"nopreview\">no preview: cannot be drawn</p>"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"nopreview\">no preview: the drawing cannot be read</p>"), std::string::npos);
}

}  // namespace
