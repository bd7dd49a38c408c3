// The window's check mode: drawings taken in are checked, not converted; the report of
// the check is saved where the user picks; a checked drawing's picture is opened.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace apptest {
namespace {

using app::LogLine;

// The log line of a drawing as the console prints it, in the log's Shift-JIS.
std::string Shown(const std::string& utf8) { return platform::ShiftJisForShowing(utf8); }

class TForm1Check : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.CheckBox4.Checked = true;
    tree = Folder("tree");
    testsupport::WriteFileText(tree + "here.bmp", "BM here");
    // 表 ends in 0x5C, as a separator would
    first = Write("tree\\a\x95\x5C.jww", DrawingWithTexts({Reference("here.bmp"), Reference("lost.bmp")}));
    second = Write("tree\\z.jww", DrawingWithTexts({Reference("here.bmp")}));
    form.OnLogLine = [this](const LogLine& line) { kinds.push_back(line.LineKind); };
  }

  std::string tree;
  std::string first;
  std::string second;
  std::vector<LogLine::Kind> kinds;
};

TEST_F(TForm1Check, AFolderIsCheckedNotConvertedAndItsReportAndPicturesFollow) {
  const std::vector<std::string> before = testsupport::FolderNames(tree);
  const auto firstBytes = testsupport::ReadFileBytes(first);
  EXPECT_FALSE(form.Button3.Enabled);
  Drop({tree});

  // the console's lines: a drawing with its counts, its missing reference, the totals
  const std::vector<std::string>& log = form.ListBox1.Items;
  ASSERT_EQ(log.size(), 4u);
  EXPECT_TRUE(log[0].starts_with(Shown(platform::NativePathForDisplay(first)) + ": version "));
  EXPECT_TRUE(log[0].ends_with(", 2 image references: 1 found, 1 missing, 0 embedded")) << log[0];
  EXPECT_TRUE(log[1].starts_with("  missing [drawing] ")) << log[1];
  EXPECT_NE(log[1].find("lost.bmp"), std::string::npos);
  EXPECT_TRUE(log[2].ends_with(": 1 found, 0 missing, 0 embedded")) << log[2];
  EXPECT_TRUE(log[3].starts_with("totals: 2 drawings, 3 image references, 2 found")) << log[3];
  EXPECT_EQ(kinds, (std::vector<LogLine::Kind>{LogLine::Kind::Checked, LogLine::Kind::CheckedReference,
                                               LogLine::Kind::Checked, LogLine::Kind::CheckTotals}));
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 1);
  // nothing written: no drawing converted, nothing beside the drawings
  EXPECT_EQ(testsupport::FolderNames(tree), before);
  EXPECT_EQ(testsupport::ReadFileBytes(first), firstBytes);
  EXPECT_EQ(testsupport::FolderNames(desktop).size(), 0u);

  // the report: the save dialog offers a page, and the page is in Japanese
  ASSERT_TRUE(form.Button3.Enabled);
  shell.saveAnswer = root / "report.html";
  form.Button3Click();
  ASSERT_EQ(shell.saveDialogs.size(), 1u);
  EXPECT_EQ(shell.saveDialogs[0].DefaultExt, "html");
  EXPECT_NE(shell.saveDialogs[0].Filter.find("|*.html"), std::string::npos);
  const std::string page = AsString(testsupport::ReadFileBytes(root / "report.html"));
  EXPECT_NE(page.find("<h1>\xE7\x94\xBB\xE5\x83\x8F\xE7\x82\xB9\xE6\xA4\x9C</h1>"), std::string::npos);  // 画像点検
  EXPECT_NE(page.find("lost.bmp"), std::string::npos);

  // the picture: of the last drawing checked when no line is selected, else of the
  // selected line's drawing, written into the run's scratch folder
  ASSERT_TRUE(form.Button4.Enabled);
  form.Button4Click();
  form.ListBox1.ItemIndex = 1;  // the missing reference of the first drawing
  form.Button4Click();
  ASSERT_EQ(shell.opened.size(), 2u);
  EXPECT_TRUE(shell.opened[0].ends_with("_z.png")) << shell.opened[0];
  EXPECT_TRUE(shell.opened[1].ends_with("_a\x95\x5C.png")) << shell.opened[1];
  for (const std::string& picture : shell.opened) {
    EXPECT_TRUE(picture.starts_with(root / "TEMP\\")) << picture;
    const auto bytes = testsupport::ReadFileBytes(picture);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(AsString({bytes.begin(), bytes.begin() + 8}), "\x89PNG\r\n\x1A\n");
  }
  EXPECT_TRUE(shell.messages.empty());

  // a conversion afterwards leaves the check behind
  form.CheckBox4.Checked = false;
  Drop({second});
  EXPECT_FALSE(form.Button3.Enabled);
  EXPECT_FALSE(form.Button4.Enabled);
}

// The saved page links one preview per readable drawing, in a folder of its own beside
// the page, and says in the page's Japanese why the unreadable drawing has none.
TEST_F(TForm1Check, TheSavedPageShowsThePreviewsBesideIt) {
  testsupport::WriteFileText(tree + "m.jww", "not a drawing");
  Drop({tree});
  shell.saveAnswer = root / "report.html";
  form.Button3Click();
  shell.saveAnswer = root / "report.html";
  form.Button3Click();  // again: the first page's previews stay as they are
  EXPECT_EQ(testsupport::FolderNames(root / "report.previews\\"),
            (std::vector<std::string>{"drawing-1.svg", "drawing-2.svg"}));
  EXPECT_EQ(testsupport::FolderNames(root / "report.previews-2\\").size(), 2u);
  const std::string page = AsString(testsupport::ReadFileBytes(root / "report.html"));
  for (const char* svg : {"drawing-1.svg", "drawing-2.svg"}) {
    EXPECT_NE(page.find(std::string("<img src=\"report.previews-2/") + svg + "\""), std::string::npos) << svg;
  }
  EXPECT_EQ(page.find("report.previews/"), std::string::npos);
  // プレビューなし: 図面を読めません
  EXPECT_NE(page.find("<p class=\"nopreview\">\xE3\x83\x97\xE3\x83\xAC\xE3\x83\x93\xE3\x83\xA5\xE3\x83\xBC"
                      "\xE3\x81\xAA\xE3\x81\x97: \xE5\x9B\xB3\xE9\x9D\xA2\xE3\x82\x92\xE8\xAA\xAD\xE3\x82\x81"
                      "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93</p>"),
            std::string::npos);
  EXPECT_TRUE(shell.messages.empty());
}

// The check looks for missing images as the window's conversion would: the search group's
// choices hold for it, and a folder named there that is missing stops it before it starts.
TEST_F(TForm1Check, TheSearchGroupHoldsForTheCheck) {
  const std::string lib = Folder("lib");
  testsupport::WriteFileText(lib + "lost.bmp", "BM lost");
  form.CheckBox3.Checked = true;
  form.Edit2.Text = root / "nowhere";
  Drop({tree});
  EXPECT_TRUE(form.ListBox1.Items.empty());
  ASSERT_EQ(shell.messages.size(), 1u);
  form.Edit2.Text = lib;
  Drop({tree});
  ASSERT_EQ(form.ListBox1.Items.size(), 4u);
  EXPECT_TRUE(form.ListBox1.Items[0].ends_with(", 2 image references: 2 found, 0 missing, 0 embedded"))
      << form.ListBox1.Items[0];
}

TEST_F(TForm1Check, EscapeStopsBetweenDrawings) {
  shell.escape = {true};
  Drop({tree});
  const std::vector<std::string>& log = form.ListBox1.Items;
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2], kEscapeLine);
  EXPECT_TRUE(log[3].starts_with("totals: 1 drawing, ")) << log[3];
}

}  // namespace
}  // namespace apptest
