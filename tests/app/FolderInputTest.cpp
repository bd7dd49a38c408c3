// Folders as input: the order their drawings are taken in, the mirrored tree under the
// destination, the progress in the status bar and the totals at the end of the log.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "app/DrawingTree.h"
#include "platform/Platform.h"

namespace apptest {
namespace {

using app::LogLine;
using app::TForm1Probe;

// 保存先のため変換しません: 
const std::string kDestinationPassedOver =
    "\x95\xDB\x91\xB6\x90\xE6\x82\xCC\x82\xBD\x82\xDF\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB9\x82\xF1: ";

class TForm1Folders : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.RadioButton6.SetChecked(true);
    out = Folder("out");
    form.RadioButton4.SetChecked(true);
    form.Edit1.Text = out;
  }
  // A drawing in folder (below the scratch folder) that refers to an image of its own beside it.
  std::string DrawingWithImage(const std::string& folder, const std::string& name) {
    testsupport::WriteFileText(root / (folder + "a.bmp"), "BM a of " + folder);
    return Write(folder + name, DrawingWithTexts({Reference("a.bmp"), Reference("gone.bmp")}));
  }

  std::string out;
};

TEST_F(TForm1Folders, DrawingsComeByFoldedPathTheFilesOfAFolderFirst) {
  const std::string top = Folder("top");
  for (const char* folder : {"top\\sub", "top\\A", "top\\AB", "top\\_", "top\\d.jww"}) Folder(folder);
  // 0x83 0x61 (ヂ) after 0x83 0x45 (ウ): a second byte is never folded
  for (const char* name : {"Z.jww", "a.jww", "B.JWW", "\x83\x61.jww", "\x83\x45.jww", "notes.txt", "sub\\y.jww",
                           "A\\x.jww", "AB\\v.jww", "_\\w.jww", "d.jww\\e.jww"}) {
    testsupport::WriteFileText(top + name, "not read while queued");
  }
  form.AddFolder(top.substr(0, top.size() - 1));
  EXPECT_EQ(TForm1Probe::Queue(form),
            (std::vector<std::string>{top + "a.jww", top + "B.JWW", top + "Z.jww", top + "\x83\x45.jww",
                                      top + "\x83\x61.jww", top + "AB\\v.jww", top + "A\\x.jww", top + "d.jww\\e.jww",
                                      top + "sub\\y.jww", top + "_\\w.jww"}));
  EXPECT_EQ(TForm1Probe::FileCount(form), 10);
}

TEST(DrawingTree, TheTreeTakesTheFolderOwnNameOrADriveLetter) {
  const struct {
    const char* folder;
    std::string name;
  } rows[] = {
      {"C:\\", "C"},
      {"d:", "d"},
      {"C:\\work\\plans\\", "plans"},
      {"\\\\server\\share\\", "share"},
      {"\\work\\\x95\x5C\\", "\x95\x5C"},  // 表: its second byte is no separator
      {"\\", ""},
      // never a name that leads out of the destination
      {"\\work\\plans\\..", "work"},
      {"\\work\\plans\\.\\", "plans"},
      {"C:\\..\\..\\", "C"},
      {"\\..", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(app::TreeName(row.folder), row.name) << row.folder;
}

TEST_F(TForm1Folders, TreeIsMirroredWithProgressAndTotals) {
  Folder("plans");
  Folder("plans\\sub");
  const std::string top = DrawingWithImage("plans\\", "plan.jww");
  const std::string below = DrawingWithImage("plans\\sub\\", "plan.jww");
  const std::string direct = DrawingWithImage("", "direct.jww");
  const std::string statusText = form.StatusBar1.SimpleText;
  std::vector<std::string> progress;
  form.OnLogLine = [this, &progress](const LogLine& line) {
    if (line.LineKind == LogLine::Kind::Source) progress.push_back(form.StatusBar1.SimpleText);
  };
  Drop({root / "plans", direct});
  const std::string ok = kResultMark + OkText(1, 1, 0, 1, 0);
  EXPECT_EQ(form.ListBox1.Items,
            (std::vector<std::string>{top, kArrow + out + "plans\\plan.jww", ok, below,
                                      kArrow + out + "plans\\sub\\plan.jww", ok, direct, kArrow + out + "direct.jww",
                                      ok, Totals(3, 0, 3, 3)}));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "plans\\a.bmp")), "BM a of plans\\");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "plans\\sub\\a.bmp")), "BM a of plans\\sub\\");
  // 変換中 n/total: name
  const std::string converting = "\x95\xCF\x8A\xB7\x92\x86 ";
  EXPECT_EQ(progress, (std::vector<std::string>{converting + "1/3: plan.jww", converting + "2/3: plan.jww",
                                                converting + "3/3: direct.jww"}));
  EXPECT_EQ(form.StatusBar1.SimpleText, statusText);

  // stopped by Escape, the totals count what was done
  shell.escape = {false, true};
  shell.escapeQueries = 0;
  Drop({root / "plans"});
  EXPECT_EQ(form.ListBox1.Items.size(), 5u);
  EXPECT_EQ(form.ListBox1.Items.back(), Totals(1, 0, 1, 1));
  EXPECT_EQ(form.StatusBar1.SimpleText, statusText);
}

TEST_F(TForm1Folders, DestinationInsideTheTreeIsLeftOutAndAFolderInTheWayFailsItsDrawings) {
  Folder("plans");
  Folder("plans\\sub");
  const std::string top = DrawingWithImage("plans\\", "plan.jww");
  DrawingWithImage("plans\\sub\\", "plan.jww");
  // the destination inside the tree, holding a file where the mirror wants a folder
  const std::string inside = Folder("plans\\out");
  form.Edit1.Text = inside;
  Folder("plans\\out\\plans");
  testsupport::WriteFileText(inside + "plans\\sub", "in the way");
  Write("plans\\out\\plans\\plan.jww", DrawingWithTexts({}));
  Drop({root / "plans\\"});
  ASSERT_EQ(form.ListBox1.Items.size(), 8u);
  EXPECT_EQ(form.ListBox1.Items[0], top);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(1, 1, 0, 1, 0));
  EXPECT_EQ(form.ListBox1.Items[4], kArrow + inside + "plans\\sub\\plan.jww");
  EXPECT_EQ(form.ListBox1.Items[5], kResultMark + kFailed);
  EXPECT_EQ(form.ListBox1.Items[6], kDestinationPassedOver + root / "plans\\out");
  EXPECT_EQ(form.ListBox1.Items[7], Totals(1, 1, 1, 1));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(inside + "plans\\sub")), "in the way");

  // the destination the tree itself: its mirror below it is left out, run after run
  form.Edit1.Text = root / "plans";
  for (int run = 0; run < 2; ++run) {
    Drop({root / "plans"});
    ASSERT_EQ(form.ListBox1.Items.size(), 10u + run) << run;
    EXPECT_EQ(form.ListBox1.Items[4], kArrow + root / "plans\\plans\\out\\plans\\plan.jww");
    if (run == 1) {
      EXPECT_EQ(form.ListBox1.Items[9], kDestinationPassedOver + root / "plans\\plans");
    }
    EXPECT_EQ(form.ListBox1.Items.back(), Totals(3, 0, 3, 3));
  }
  EXPECT_FALSE(platform::FolderExists(root / "plans\\plans\\plans\\"));
}

TEST_F(TForm1Folders, WhatTheWalkPassesOverIsNamedAndNamesAreShownOnOneLine) {
  const std::string tree = Folder("tree");
  form.Edit1.Text = Folder("tree\\out");
  Write("tree\\out\\own.jww", DrawingWithTexts({}));
  testsupport::WriteFileText(testsupport::Units(tree) + u"\u301C.jww", "not read");  // 〜: no Shift-JIS form
  std::vector<std::string> log;
  const std::string ok = kResultMark + OkText(0, 0, 0, 0, 0);
#ifndef _WIN32
  // a name with a line break keeps to one line of the log
  Write("tree\\a\nb.jww", DrawingWithTexts({}));
  log = {tree + "a<U+000A>b.jww", kArrow + tree + "out\\tree\\a<U+000A>b.jww", ok};
#endif
  Write("tree\\ok.jww", DrawingWithTexts({}));
  const int converted = static_cast<int>(log.size() / 3) + 1;
  log.insert(log.end(), {tree + "ok.jww", kArrow + tree + "out\\tree\\ok.jww", ok,
                         // 名前を扱えないため変換しません: 
                         "\x96\xBC\x91\x4F\x82\xF0\x88\xB5\x82\xA6\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x95\xCF\x8A\xB7\x82"
                         "\xB5\x82\xDC\x82\xB9\x82\xF1: " + tree + "<U+301C>.jww",
                         kDestinationPassedOver + tree + "out",
                         Totals(converted, 0, 0, 0)});
  Drop({tree});
  EXPECT_EQ(form.ListBox1.Items, log);
}

TEST_F(TForm1Folders, AFolderGivenThroughALinkIsFollowedUnderTheLinkName) {
  Folder("plans");
  DrawingWithImage("plans\\", "plan.jww");
  ASSERT_TRUE(testsupport::MakeLink("plans", root / "linked", true));
  Drop({root / "linked"});
  EXPECT_EQ(form.ListBox1.Items, (std::vector<std::string>{root / "linked\\plan.jww", kArrow + out + "linked\\plan.jww",
                                                           kResultMark + OkText(1, 1, 0, 1, 0), Totals(1, 0, 1, 1)}));
}

TEST_F(TForm1Folders, SameFolderModeConvertsEachDrawingWhereItIs) {
  Folder("plans");
  Folder("plans\\sub");
  const std::string below = DrawingWithImage("plans\\sub\\", "plan.jww");
  form.RadioButton3.SetChecked(true);
  Drop({root / "plans"});
  EXPECT_EQ(form.ListBox1.Items, (std::vector<std::string>{below, kArrow + below, kResultMark + OkText(1, 1, 0, 1, 0),
                                                           Totals(1, 0, 1, 1)}));
  EXPECT_EQ(TextsOf(below), (std::vector<std::string>{Reference("a.bmp"), Reference("gone.bmp")}));
  EXPECT_TRUE(platform::ListFolder(out).empty());
}

}  // namespace
}  // namespace apptest
