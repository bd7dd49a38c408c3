// Start-up and shut-down, the command line, and the three ways files come in: dropped,
// picked in the open dialog, and the folder picker for the destination.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Platform.h"

namespace apptest {
namespace {

using app::TForm1Probe;
using platform::FileDialog;

const std::string kDefaultSettings =
    "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n\r\n0\r\n";

class TForm1Startup : public FormTest {};

TEST_F(TForm1Startup, NoParametersLeavesTheWindowIdle) {
  form.FormShow({});
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
  EXPECT_TRUE(form.ListBox1.Items.empty());
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(shell.escapeQueries, 0);
  EXPECT_EQ(form.ProgramFolder, root.Path());
  // a folder of this run's own inside TEMP beside the program, one of the document's in it
  const std::string scratch = TForm1Probe::DocumentTempFolder(form);
  EXPECT_EQ(scratch.rfind(root / "TEMP\\run-", 0), 0u) << scratch;
  EXPECT_TRUE(platform::FolderExists(scratch));
  EXPECT_TRUE(form.RadioButton1.Checked());
  EXPECT_TRUE(form.RadioButton5.Checked());
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(form), 1);

  // the close writes the settings and removes the scratch folder
  form.FormClose();
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())), kDefaultSettings);
  EXPECT_FALSE(platform::FolderExists(root / "TEMP\\"));
}

TEST_F(TForm1Startup, ScratchFolderThatCannotBeMadeFallsBackToTheUserTemporaryFolder) {
  testsupport::WriteFileText(root / "TEMP", "a file in the way");
  form.FormShow({});
  const std::string fallback = TForm1Probe::DocumentTempFolder(form);
  EXPECT_EQ(fallback.find(root / "TEMP\\"), std::string::npos);
  EXPECT_TRUE(platform::FolderExists(fallback));
  form.FormClose();
  EXPECT_FALSE(platform::FolderExists(fallback));
}

TEST_F(TForm1Startup, ScratchFoldersOfRunsNoLongerAliveAreRemoved) {
  // a run that died left its folder (and, on POSIX, its lock file); another is alive
  const std::string temp = Folder("TEMP");
  Folder("TEMP\\run-0000dead");
  testsupport::WriteFileText(temp + "run-0000dead\\pic.bmp", "left behind");
  testsupport::WriteFileText(temp + "run-0000dead.lock", "");
  Folder("TEMP\\run-00000002");  // a folder whose run left no lock at all
  platform::RunLock alive;
  ASSERT_TRUE(alive.Acquire(temp + "run-0000beef.lock"));
  Folder("TEMP\\run-0000beef");
  testsupport::WriteFileText(temp + "run-0000beef\\pic.bmp", "in use");
  testsupport::WriteFileText(temp + "notes.txt", "not a run's");
  form.FormShow({});
  EXPECT_FALSE(platform::FolderExists(temp + "run-0000dead\\"));
  EXPECT_FALSE(platform::FileExists(temp + "run-0000dead.lock"));
  EXPECT_FALSE(platform::FolderExists(temp + "run-00000002\\"));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(temp + "run-0000beef\\pic.bmp")), "in use");
  EXPECT_TRUE(platform::FileExists(temp + "notes.txt"));
  form.FormClose();
  EXPECT_TRUE(platform::FolderExists(temp + "run-0000beef\\"));  // TEMP stays while anything is in it
  platform::RemoveTree(temp + "run-0000beef\\");
  alive.Release();
}

TEST_F(TForm1Startup, TransformSwitchAloneRunsTheModeAndCloses) {
  for (const char* parameter : {"-G", "/G", "-g", "/g"}) {
    testsupport::FakeShell modeShell;
    app::TForm1 modeForm(modeShell, root / "Quorvane.exe");
    // a settings file with choices of its own is written back as it was loaded
    const std::string settings = "10\r\n-20\r\n0\r\n0\r\n1\r\n0\r\n" + root.Path() + kTable + "\\\r\n" +
                                 root.Path() + "\r\n2\r\n1\r\n0\r\n1\r\n1\r\n1\r\n0\r\nD:\\lib\r\n1\r\n";
    testsupport::WriteFileText(SettingsFile(), settings);
    modeForm.FormShow({parameter});
    EXPECT_TRUE(modeForm.Closed()) << parameter;
    ASSERT_EQ(modeShell.messages.size(), 1u) << parameter;
    EXPECT_EQ(modeShell.messages[0].caption, "Quorvane");
    EXPECT_TRUE(modeForm.ListBox1.Items.empty());
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())), settings) << parameter;
    EXPECT_FALSE(platform::FolderExists(root / "TEMP\\"));
  }
}

TEST_F(TForm1Startup, TransformSwitchAmongOtherParametersIsAPath) {
  const std::string plan = Write("plan.jww", DrawingWithTexts({"plan"}));
  form.FormShow({"-G", plan});
  EXPECT_FALSE(form.Closed());
  EXPECT_TRUE(shell.messages.empty());
  ASSERT_EQ(form.ListBox1.Items.size(), 3u);
  EXPECT_EQ(form.ListBox1.Items[0], plan);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(0, 0, 0, 0, 0));
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 1);
  EXPECT_TRUE(platform::FileExists(desktop + "plan.jww"));
}

class TForm1Intake : public FormTest {
 protected:
  void SetUp() override { form.FormShow({}); }
};

TEST_F(TForm1Intake, AcceptsExistingDrawingFilesOnly) {
  const std::string mixed = Write("Mixed.JwW", DrawingWithTexts({}));
  testsupport::WriteFileText(root / "plan.jww.bak", "backup");
  testsupport::WriteFileText(root / "plan", "no extension");
  Folder("folder.jww");
  const struct {
    std::string path;
    bool accepted;
  } rows[] = {
      {mixed, true},
      {mixed, true},  // again: queued twice
      {root / "plan.jww.bak", false},
      {root / "plan", false},
      {root / "folder.jww", false},
      {root / "missing.jww", false},
      {"", false},
  };
  std::vector<std::string> expected;
  for (const auto& row : rows) {
    form.AddFile(row.path);
    if (row.accepted) expected.push_back(row.path);
    EXPECT_EQ(TForm1Probe::Queue(form), expected) << row.path;
    EXPECT_EQ(TForm1Probe::FileCount(form), static_cast<std::int32_t>(expected.size()));
  }
}

TEST_F(TForm1Intake, DropWithoutDrawingsEmptiesTheQueueAndKeepsTheLog) {
  const std::string plan = Write("plan.jww", DrawingWithTexts({}));
  Drop({plan});
  const std::vector<std::string> log = form.ListBox1.Items;
  ASSERT_EQ(log.size(), 3u);
  form.PageControl1.ActivePageIndex = 0;

  testsupport::WriteFileText(root / "notes.txt", "text");
  Folder("drop.jww");
  Drop({root / "notes.txt", root / "drop.jww"});
  EXPECT_EQ(TForm1Probe::FileCount(form), 0);
  EXPECT_EQ(form.ListBox1.Items, log);
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
  EXPECT_EQ(shell.escapeQueries, 1);  // only the first drop ran a batch
}

TEST_F(TForm1Intake, OpenDialogCancelledChangesNothing) {
  const std::string plan = Write("plan.jww", DrawingWithTexts({}));
  form.AddFile(plan);
  form.Label3Click();
  ASSERT_EQ(shell.openDialogs.size(), 1u);
  const FileDialog& shown = shell.openDialogs[0];
  EXPECT_EQ(shown.Title, "\x95\xCF\x8A\xB7\x8C\xB3\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8E\x77\x92\xE8");
  EXPECT_EQ(shown.Options, platform::kHideReadOnly | platform::kAllowMultiSelect | platform::kPathMustExist |
                               platform::kFileMustExist | platform::kEnableSizing);
  EXPECT_EQ(shown.FileName, "\x81\x40");  // one ideographic space
  EXPECT_EQ(shown.Filter,
            "Jw_cad \x90\x7D\x96\xCA\x83\x74\x83\x40\x83\x43\x83\x8B(win)|*.jww|"
            "\x91\x53\x82\xC4\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B(*.*)|*.*");
  EXPECT_EQ(shown.FilterIndex, 1);
  EXPECT_EQ(shown.InitialDir, "");

  EXPECT_EQ(TForm1Probe::Queue(form), std::vector<std::string>{plan});
  EXPECT_EQ(form.Label1.Caption, "");
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(form), 1);
  EXPECT_TRUE(form.ListBox1.Items.empty());
}

TEST_F(TForm1Intake, OpenDialogRemembersItsFolderAndFilter) {
  const std::string picked = Folder("picked" + kTable);
  testsupport::WriteFileText(picked + "photo.bmp", "not a drawing");
  shell.openAnswer = testsupport::FakeShell::DialogAnswer{{picked + "photo.bmp"}, 2};
  form.Label3Click();
  EXPECT_TRUE(form.ListBox1.Items.empty());
  EXPECT_EQ(shell.escapeQueries, 0);
  EXPECT_EQ(form.Label1.Caption, picked);
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(form), 2);

  const std::string a = Write("a.jww", DrawingWithTexts({}));
  const std::string b = Write("b.jww", DrawingWithTexts({}));
  shell.openAnswer = testsupport::FakeShell::DialogAnswer{{b, picked + "photo.bmp", a}, 1};
  form.Label3Click();
  ASSERT_EQ(shell.openDialogs.size(), 2u);
  EXPECT_EQ(shell.openDialogs[1].InitialDir, picked);
  EXPECT_EQ(shell.openDialogs[1].FilterIndex, 2);
  EXPECT_EQ(TForm1Probe::Queue(form), (std::vector<std::string>{b, a}));
  ASSERT_EQ(form.ListBox1.Items.size(), 7u);  // two files, then their totals
  EXPECT_EQ(form.ListBox1.Items[0], b);
  EXPECT_EQ(form.Label1.Caption, root.Path());

  form.FormClose();
  const std::string settings = AsString(testsupport::ReadFileBytes(SettingsFile()));
  EXPECT_NE(settings.find("\r\n" + root.Path() + "\r\n1\r\n"), std::string::npos) << settings;
}

TEST_F(TForm1Intake, FolderPickerStartsInTheTypedFolderOrTheProgramFolder) {
  const std::string out = Folder("out");
  const struct {
    std::string typed;
    std::string initial;
  } rows[] = {
      {"", root.Path()},
      {out, out},
      {root / "missing\\", root.Path()},
  };
  for (const auto& row : rows) {
    form.Edit1.Text = row.typed;
    form.Button1Click();
    ASSERT_FALSE(shell.saveDialogs.empty());
    const FileDialog& shown = shell.saveDialogs.back();
    EXPECT_EQ(shown.InitialDir, row.initial) << row.typed;
    EXPECT_EQ(shown.FileName, "\x81\x40");
    EXPECT_EQ(shown.Title, "\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xF0\x8E\x77\x92\xE8");
    EXPECT_EQ(shown.Options, platform::kHideReadOnly | platform::kPathMustExist | platform::kEnableSizing);
    EXPECT_EQ(form.Edit1.Text, row.typed);  // cancelled
  }

  shell.saveAnswer = out + "\x81\x40";
  form.Edit1.Text = "";
  form.Button1Click();
  EXPECT_EQ(form.Edit1.Text, out);
  EXPECT_TRUE(form.RadioButton1.Checked());  // choosing a folder does not select it
  EXPECT_FALSE(form.RadioButton4.Checked());
}

}  // namespace
}  // namespace apptest
