// The console program end to end: a copy of it in a scratch folder converts real files,
// prints the log, and tells the outcome by its exit status.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "jww/jwwunit.h"
#include "platform/Platform.h"

namespace clitest {
namespace {

std::string Reference(const std::string& path) { return "^@BM" + path + ",100,75,0,0,1,0"; }

fixture::Drawing DrawingWithTexts(const std::vector<std::string>& texts) {
  fixture::Drawing d;
  for (const std::string& t : texts) {
    fixture::TextEntity text;
    text.Text = t;
    d.entities.push_back(text);
  }
  return d;
}

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// UTF-8 log texts.
const std::string kArrow = "→ ";
const std::string kResultMark = "　…… ";
const std::string kFailed = "変換失敗";

std::string OkText(int files, int texts) {
  return "変換ＯＫ(画像ファイル数:" + std::to_string(files) + " 画像文字数:" + std::to_string(texts) +
         " blk内:0 不明画像文字:0 blk内:0)";
}

class ConvertCommand : public ::testing::Test {
 protected:
  ConvertCommand() : program(InstallProgram(root / "bin\\")) {}

  void SetUp() override {
    platform::MakeFolder(root / "img\\");
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", DrawingWithTexts({Reference("img\\a.bmp")})));
  }
  RunResult Quorvane(const std::vector<std::string>& args) { return clitest::Run(program, args, root.Path()); }
  std::string Native(const std::string& name) const { return platform::NativePathForDisplay(root / name); }
  std::string SettingsFile() const { return root / "bin\\quorvane.dat"; }

  testsupport::TempFolder root;
  std::string program;
};

TEST_F(ConvertCommand, ConvertsIntoAFolderAndPrintsTheLog) {
  platform::MakeFolder(root / "out\\");
  const RunResult r = Quorvane({"convert", "--to", "out", "--plain-names", "plan.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("plan.jww"), kArrow + Native("out\\plan.jww"),
                                                    kResultMark + OkText(1, 1)}));
  jww::TJwwData converted;
  const std::string savedTemp = jww::TempFolder;
  jww::TempFolder.clear();
  ASSERT_TRUE(converted.LoadFromFile(root / "out\\plan.jww"));
  jww::TempFolder = savedTemp;
  EXPECT_EQ(converted.Header.Version, 700);
  ASSERT_EQ(converted.Texts.size(), 1u);
  EXPECT_EQ(converted.Texts[0].Text.bytes, Reference("a.bmp"));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "out\\a.bmp")), "BM image a");
  // the flags were for this run only; the scratch folder is gone again
  EXPECT_FALSE(platform::FileExists(SettingsFile()));
  EXPECT_FALSE(platform::FolderExists(root / "bin\\TEMP\\"));
}

TEST_F(ConvertCommand, ExitStatusTellsTheOutcome) {
  platform::MakeFolder(root / "out\\");
  testsupport::WriteFileText(root / "bad.jww", "not a drawing");
  testsupport::WriteFileText(root / "notes.txt", "not a drawing either");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string inOut;  // a text the output holds
    std::string inErr;  // a text standard error holds
  } rows[] = {
      {{"convert", "--to", "out", "plan.jww", "bad.jww"}, 1, kResultMark + kFailed, ""},
      {{"convert", "--to", "out", "notes.txt"}, 2, "", "quorvane: not a drawing file (.jww): notes.txt"},
      {{"convert", "--to", "out", "notes.txt", "plan.jww"}, 1, kResultMark + OkText(1, 1), "notes.txt"},
      {{"convert", "--to", "out", "gone.jww"}, 2, "", "quorvane: no such drawing file: gone.jww"},
      {{"convert", "--to", "missing", "plan.jww"}, 2, "",
       "quorvane: 指定したフォルダが見つかりません。\nquorvane: " + Native("missing\\")},
      {{"convert", "--to", "out"}, 2, "", "needs at least one drawing"},
      {{"convert", "--to"}, 2, "", "--to needs a folder"},
      {{"convert", "--in-place", "--to", "out", "plan.jww"}, 2, "", "only one of"},
      {{"convert", "--plain-names", "--path-names", "plan.jww"}, 2, "", "only one of"},
      {{"convert", "--bogus", "plan.jww"}, 2, "", "unknown option for convert: --bogus"},
      {{"frobnicate"}, 2, "", "unknown command: frobnicate"},
      {{}, 2, "", "usage: quorvane convert"},
      {{"-G", "plan.jww"}, 2, "", "takes no other argument"},
  };
  for (const auto& row : rows) {
    const RunResult r = Quorvane(row.args);
    const std::string shown = row.args.empty() ? "(none)" : row.args.back();
    EXPECT_EQ(r.status, row.status) << shown << "\n" << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, row.inOut)) << shown << "\n" << r.out;
    EXPECT_TRUE(Contains(r.err, row.inErr)) << shown << "\n" << r.err;
  }
  EXPECT_FALSE(platform::FileExists(SettingsFile()));
}

TEST_F(ConvertCommand, SavedChoiceDecidesUnlessAFlagIsGiven) {
  // same-folder mode, plain names, a typed folder that the flag --to replaces
  const std::string settings =
      "192\r\n133\r\n0\r\n0\r\n1\r\n0\r\n" + root.Path() + "elsewhere\\\r\n\r\n1\r\n0\r\n0\r\n1\r\n";
  testsupport::WriteFileText(SettingsFile(), settings);

  RunResult r = Quorvane({"convert", "plan.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("plan.jww"), kArrow + Native("plan.jww"),
                                                    kResultMark + OkText(1, 1)}));
  EXPECT_TRUE(platform::FileExists(root / "a.bmp"));  // the plain name, beside the drawing

  platform::MakeFolder(root / "out\\");
  ASSERT_TRUE(fixture::WriteDrawing(root / "plan2.jww", DrawingWithTexts({Reference("img\\a.bmp")})));
  r = Quorvane({"convert", "--to", Native("out"), "--path-names", Native("plan2.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Lines(r.out).size(), 3u);
  EXPECT_EQ(Lines(r.out)[1], kArrow + Native("out\\plan2.jww"));
  EXPECT_FALSE(platform::FileExists(root / "out\\a.bmp"));  // named after its whole path
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())), settings);
}

TEST_F(ConvertCommand, TransformSwitchWritesTheSettingsAtTheEnd) {
  for (const char* parameter : {"-G", "/g"}) {
    platform::RemoveFile(SettingsFile());
    const RunResult r = Quorvane({parameter});
    EXPECT_EQ(r.status, 1) << parameter;
    EXPECT_TRUE(Contains(r.err, "quorvane: ")) << r.err;
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())),
              "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n");
  }
}

TEST_F(ConvertCommand, HelpNamesTheCommandsAndTheSettingsRule) {
  const RunResult r = Quorvane({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* part : {"quorvane convert", "--to DIR", "--in-place", "--disable-missing", "never writes the",
                           "quorvane -G", "exit status"}) {
    EXPECT_TRUE(Contains(r.out, part)) << part;
  }
}

}  // namespace
}  // namespace clitest
