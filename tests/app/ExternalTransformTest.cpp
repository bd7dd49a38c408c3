// The external-transform mode: the exchange file beside the program names the drawing,
// which is converted into TEMP.JWW there, and the drafting program is started on it.
#include <gtest/gtest.h>

#include "FaultInjection.h"
#include "FormFixture.h"
#include "platform/Platform.h"

namespace apptest {
namespace {

// 外部変形実行前に図面をJWW形式で保存して下さい。
const std::string kSaveFirst =
    "\x8a\x4f\x95\x94\x95\xcf\x8c\x60\x8e\xc0\x8d\x73\x91\x4f\x82\xc9\x90\x7d\x96\xca\x82\xf0JWW\x8c\x60\x8e\xae\x82"
    "\xc5\x95\xdb\x91\xb6\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42";
// 図面ファイル「 ... 」は存在しませんので変換できませんでした。
const std::string kMissingBefore = "\x90\x7d\x96\xca\x83\x74\x83\x40\x83\x43\x83\x8b\x81\x75";
const std::string kMissingAfter =
    "\x81\x76\x82\xcd\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1\x82\xcc\x82\xc5\x95\xcf\x8a\xb7\x82\xc5\x82\xab"
    "\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// 一時ファイル TEMP.JWW が残っているため変換できませんでした。
const std::string kTempRemains =
    "\x88\xea\x8e\x9e\x83\x74\x83\x40\x83\x43\x83\x8b TEMP.JWW \x82\xaa\x8e\x63\x82\xc1\x82\xc4\x82\xa2\x82\xe9\x82\xbd"
    "\x82\xdf\x95\xcf\x8a\xb7\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// 変換できませんでした。
const std::string kNotConverted = "\x95\xcf\x8a\xb7\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";

class ExternalTransform : public FormTest {
 protected:
  // The exchange file the drafting program writes beside the program.
  void Exchange(const std::string& drawingLine) {
    testsupport::WriteFileText(root / "JWC_TEMP.TXT", "hq\r\nhk 1\r\nlg0\r\n" + drawingLine + "\r\nly0\r\n");
  }
  // A drawing in a folder of its own, referring to an image beside it and to a missing one.
  std::string Drawing() {
    const std::string folder = Folder("work");
    testsupport::WriteFileText(folder + "pic.bmp", "picture");
    return Write("work\\plan.jww", DrawingWithTexts({Reference(folder + "pic.bmp"), Reference("lost.bmp")}));
  }
  void Run() { form.FormShow({"-G"}); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : shell.messages) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(ExternalTransform, ConvertsIntoTempJwwAndStartsTheDraftingProgram) {
  // the window's choice of whole-path names does not apply here, the missing-image switch does
  testsupport::WriteFileText(SettingsFile(), "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n1\r\n1\r\n0\r\n");
  const std::string plan = Drawing();
  Exchange("file=" + plan);
  Run();
  EXPECT_TRUE(form.Closed());
  EXPECT_TRUE(form.TransformConverted());
  ASSERT_EQ(Messages(), std::vector<std::string>{OkText(1, 1, 0, 1, 0)});
  EXPECT_EQ(shell.messages[0].caption, "Quorvane");
  EXPECT_TRUE(platform::FileExists(root / "pic.bmp"));
  const std::vector<std::string> texts = TextsOf(root / "TEMP.JWW");
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0].substr(0, 11), "^@BMpic.bmp");
  EXPECT_EQ(texts[1].substr(0, 4), "_@BM");
  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(shell.started[0].file, "\"C:\\JWW\\JW_WIN.EXE\"");
  EXPECT_EQ(shell.started[0].parameters, "\"" + root / "TEMP.JWW" + "\"");
  EXPECT_EQ(shell.started[0].folder, "C:\\JWW\\");
  EXPECT_TRUE(platform::FileExists(SettingsFile()));  // written at the close as ever
}

TEST_F(ExternalTransform, LooksForMissingImagesAsTheWindowChose) {
  // the drawing names its image where the project lay before it moved; the folder saved
  // on line 16 holds a file of the missing image's name
  const std::string lib = Folder("lib");
  testsupport::WriteFileText(lib + "lost.bmp", "found in lib");
  const std::string plan = Drawing();
  testsupport::WriteFileText(root / "work\\moved.bmp", "moved");
  Write("work\\plan.jww", DrawingWithTexts({Reference("C:\\old\\work\\moved.bmp"), Reference("lost.bmp")}));
  Exchange("file=" + plan);
  const std::string thirteen = "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n0\r\n";
  const struct {
    std::string search;  // lines 14 to 16
    std::vector<std::string> messages;
  } rows[] = {
      {"", {OkText(0, 0, 0, 2, 0)}},
      {"1\r\n0\r\n" + lib + "\r\n", {OkText(1, 1, 0, 1, 0)}},
      {"1\r\n1\r\n" + lib + "\r\n", {OkText(2, 2, 0, 0, 0)}},
      {"0\r\n1\r\n" + root / "gone" + "\r\n", {kFolderNotFound + "\r\n" + root / "gone\\"}},
  };
  for (const auto& row : rows) {
    testsupport::FakeShell rowShell;
    app::TForm1 rowForm(rowShell, root / "Quorvane.exe");
    testsupport::WriteFileText(SettingsFile(), thirteen + row.search);
    rowForm.FormShow({"-G"});
    std::vector<std::string> texts;
    for (const auto& m : rowShell.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, row.messages) << row.search;
  }
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "lost.bmp")), "found in lib");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "moved.bmp")), "moved");
}

TEST_F(ExternalTransform, FollowsTheWindowsChoiceOfEmbedding) {
  testsupport::WriteFileText(SettingsFile(), "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n1\r\n");
  const std::string plan = Drawing();
  Exchange("file=" + plan);
  Run();
  ASSERT_EQ(Messages(), std::vector<std::string>{OkText(1, 1, 0, 1, 0)});
  EXPECT_FALSE(platform::FileExists(root / "pic.bmp"));  // stored in TEMP.JWW, not copied
  const std::vector<std::string> texts = TextsOf(root / "TEMP.JWW");
  ASSERT_GE(texts.size(), 1u);
  EXPECT_EQ(texts[0].substr(0, 10), "^@BM%temp%");
}

TEST_F(ExternalTransform, StartsTheRegisteredProgramInItsFolder) {
  const std::string plan = Drawing();
  Exchange("file=" + plan);
  shell.jwCadCommand = "\"C:\\Program Files\\Jw_cad\\Jw_win.exe\" \"%1\"";
  testsupport::WriteFileText(root / "TEMP.JWW", "left from an earlier run");
  Run();
  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(shell.started[0].file, "\"C:\\Program Files\\Jw_cad\\Jw_win.exe\"");
  EXPECT_EQ(shell.started[0].folder, "C:\\Program Files\\Jw_cad\\");
  EXPECT_FALSE(TextsOf(root / "TEMP.JWW").empty());  // the old file was replaced
}

TEST_F(ExternalTransform, FailuresAreReportedAndNothingIsStarted) {
  struct Row {
    std::string exchange;  // "" for no exchange file
    std::string message;
  };
  const std::string gone = root / "gone.jww";
  const std::string broken = root / "broken.jww";
  testsupport::WriteFileText(broken, "JwwData. not really");
  const Row rows[] = {
      {"", kSaveFirst},
      {"file=", kSaveFirst},
      {"file=" + root / "plan.jwc", kSaveFirst},
      {"file=" + gone, kMissingBefore + gone + kMissingAfter},
      {"file=" + broken, kNotConverted},
  };
  for (const Row& row : rows) {
    testsupport::FakeShell rowShell;
    app::TForm1 rowForm(rowShell, root / "Quorvane.exe");
    platform::RemoveFile(root / "JWC_TEMP.TXT");
    if (!row.exchange.empty()) Exchange(row.exchange);
    rowForm.FormShow({"/g"});
    SCOPED_TRACE(row.exchange);
    ASSERT_EQ(rowShell.messages.size(), 1u);
    EXPECT_EQ(rowShell.messages[0].text, row.message);
    EXPECT_TRUE(rowShell.started.empty());
    EXPECT_FALSE(rowForm.TransformConverted());
    EXPECT_FALSE(platform::FileExists(root / "TEMP.JWW"));
  }
}

TEST_F(ExternalTransform, ATempJwwThatCannotBeDeletedStopsTheMode) {
  const std::string plan = Drawing();
  Exchange("file=" + plan);
  testsupport::WriteFileText(root / "TEMP.JWW", "still open elsewhere");
  {
    testsupport::FaultPlan locked({platform::FileOp::Delete}, 1);
    form.FormShow({"-G"});
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{kTempRemains});
  EXPECT_TRUE(shell.started.empty());
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "TEMP.JWW")), "still open elsewhere");
  EXPECT_FALSE(platform::FileExists(root / "pic.bmp"));
}

TEST_F(ExternalTransform, RunAgainOnTempJwwItselfKeepsIt) {
  const std::string plan = Drawing();
  Exchange("file=" + plan);
  Run();
  ASSERT_TRUE(form.TransformConverted());
  const std::vector<unsigned char> first = testsupport::ReadFileBytes(root / "TEMP.JWW");
  const std::vector<std::string> folder = platform::ListFolder(root.Path());
  // the drafting program now has TEMP.JWW open; the name it gives may differ in case
  for (const std::string& name : {root / "TEMP.JWW", root / "temp.jww"}) {
    SCOPED_TRACE(name);
    testsupport::FakeShell again;
    app::TForm1 second(again, root / "Quorvane.exe");
    Exchange("file=" + name);
    second.FormShow({"-G"});
    EXPECT_TRUE(second.TransformConverted());
    ASSERT_EQ(again.messages.size(), 1u);
    EXPECT_EQ(again.messages[0].text, OkText(1, 1, 0, 1, 0));
    EXPECT_EQ(again.started.size(), 1u);
    EXPECT_TRUE(testsupport::ReadFileBytes(root / "TEMP.JWW") == first);
    EXPECT_EQ(platform::ListFolder(root.Path()), folder);
  }
}

TEST_F(ExternalTransform, ProgramFileOfTheRegisteredCommand) {
  struct Row {
    std::string command, program;
  };
  const Row rows[] = {
      {"C:\\JWW\\Jw_win.exe \"%1\" \"%2\" \"%3\"", "C:\\JWW\\Jw_win.exe"},
      {"\"C:\\Program Files\\Jw_cad\\Jw_win.exe\" \"%1\"", "C:\\Program Files\\Jw_cad\\Jw_win.exe"},
      {"C:\\Program Files\\Jw_cad\\Jw_win.exe %1", "C:\\Program Files\\Jw_cad\\Jw_win.exe"},
      {"C:\\Program Files\\Jw_cad\\JW_WIN.EXE", "C:\\Program Files\\Jw_cad\\JW_WIN.EXE"},
      {"  \"C:\\x y\\Jw_win.exe\" /nosplash \"%1\"", "C:\\x y\\Jw_win.exe"},
      {"D:\\" + kTable + "\\Jw_win.exe \"%1\"", "D:\\" + kTable + "\\Jw_win.exe"},
      {"", ""},
  };
  for (const Row& row : rows) {
    shell.jwCadCommand = row.command;
    EXPECT_EQ(form.FindJwCadExe(), row.program) << row.command;
  }
}

}  // namespace
}  // namespace apptest
