// convert and inspect with the search for missing images: what is found near the drawing
// and in the folders named, the lines that tell of it, and the folders refused.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "jww/JwwString.h"
#include "platform/Platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace clitest {
namespace {

std::string Reference(const std::string& path) { return "^@BM" + path + ",100,75,0,0,1,0"; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SearchCommand : public ::testing::Test {
 protected:
  SearchCommand() : program(InstallProgram(root / "bin\\")) {}

  void SetUp() override {
    // the drawing was made under C:\old; its photo folder came along, the rest lies in lib
    for (const char* folder : {"photo\\", "lib\\", "lib\\x\\", "lib\\y\\", "lib\\t1\\", "lib\\t2\\", "out\\"}) {
      platform::MakeFolder(root / folder);
    }
    testsupport::WriteFileText(root / "photo\\p1.jpg", "p1");
    testsupport::WriteFileText(root / "lib\\x\\p2.jpg", "near");
    testsupport::WriteFileText(root / "lib\\y\\p2.jpg", "far");
    testsupport::WriteFileText(root / "lib\\t1\\p3.jpg", "one");
    testsupport::WriteFileText(root / "lib\\t2\\p3.jpg", "two");
    fixture::Drawing d;
    d.stringForm = jww::StringForm::Unicode;
    for (const char* path : {"C:\\old\\photo\\p1.jpg", "C:\\old\\x\\p2.jpg", "C:\\old\\p3.jpg"}) {
      fixture::TextEntity text;
      text.Text = Reference(path);
      d.entities.push_back(text);
    }
    // held as UTF-16 units, "é" having no Shift-JIS form
    fixture::TextEntity units;
    units.Text = fixture::Str(jww::BytesOf(u"^@BMC:\\old\\caf\u00e9\\p3.jpg,100,75,0,0,1,0"), jww::StringForm::Utf16);
    d.entities.push_back(units);
    ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  }
  RunResult Quorvane(const std::vector<std::string>& args) { return clitest::Run(program, args, root.Path()); }
  std::string Native(const std::string& name) const { return platform::NativePathForDisplay(root / name); }

  testsupport::TempFolder root;
  std::string program;
};

TEST_F(SearchCommand, ConvertUsesWhatTheSearchFindsAndSaysSo) {
  const std::string found = "　　検索で発見: ";
  const std::string p1 = found + "C:\\old\\photo\\p1.jpg → " + Native("photo\\p1.jpg");
  const std::string p2 = found + "C:\\old\\x\\p2.jpg → " + Native("lib\\x\\p2.jpg");
  const std::string tie = "　　候補が複数: C:\\old\\p3.jpg (2 件)";
  const struct {
    std::vector<std::string> search;
    std::string result;
    std::vector<std::string> lines;  // under the result
  } rows[] = {
      {{}, "変換ＯＫ(画像ファイル数:0 画像文字数:0 blk内:0 不明画像文字:4 blk内:0)", {}},
      {{"--search-near"}, "変換ＯＫ(画像ファイル数:1 画像文字数:1 blk内:0 不明画像文字:3 blk内:0)", {p1}},
      {{"--search", "lib", "--search-near"},
       "変換ＯＫ(画像ファイル数:2 画像文字数:2 blk内:0 不明画像文字:2 blk内:0)",
       {p1, p2, tie, "　　候補が複数: C:\\old\\café\\p3.jpg (2 件)"}},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {"convert", "--to", "out", "--plain-names"};
    args.insert(args.end(), row.search.begin(), row.search.end());
    args.push_back("plan.jww");
    const RunResult r = Quorvane(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string expected = Native("plan.jww") + "\n→ " + Native("out\\plan.jww") + "\n　…… " + row.result + "\n";
    for (const std::string& line : row.lines) expected += line + "\n";
    EXPECT_EQ(r.out, expected);
  }
  EXPECT_EQ(platform::ListFolder(root / "out\\").size(), 3u);  // plan.jww, p1.jpg, p2.jpg
  const std::vector<unsigned char> copied = testsupport::ReadFileBytes(root / "out\\p2.jpg");
  EXPECT_EQ(std::string(copied.begin(), copied.end()), "near");
}

TEST_F(SearchCommand, InspectTellsWhatTheSearchWouldUseAndWritesNothing) {
  const RunResult text = Quorvane({"inspect", "--search-near", "--search", "lib", "plan.jww"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(Contains(text.out, "      search would use " + Native("photo\\p1.jpg") + "\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "      search would use " + Native("lib\\x\\p2.jpg") + "\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "      search: 2 files equally near, none used: " + Native("lib\\t1\\p3.jpg") + ", " +
                                     Native("lib\\t2\\p3.jpg") + "\n"))
      << text.out;
  const RunResult json = Quorvane({"inspect", "--json", "--search", "lib", "plan.jww"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_TRUE(Contains(json.out, "\"search\": \"notFound\"")) << json.out;  // p1 is not below lib
  EXPECT_TRUE(Contains(json.out, "\"search\": \"tie\", \"candidates\": [")) << json.out;
  // without the search, inspect reads as before
  EXPECT_FALSE(Contains(Quorvane({"inspect", "--json", "plan.jww"}).out, "search"));
  EXPECT_TRUE(platform::ListFolder(root / "out\\").empty());
}

TEST_F(SearchCommand, AFolderToSearchMustExist) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"convert", "--to", "out", "--search", "gone", "plan.jww"}, "quorvane: no such folder to search: gone\n"},
      {{"convert", "--to", "out", "plan.jww", "--search"}, "quorvane: --search needs a folder\n"},
      {{"inspect", "--search", "gone", "plan.jww"}, "quorvane: no such folder to search: gone\n"},
  };
  for (const auto& row : rows) {
    const RunResult r = Quorvane(row.args);
    EXPECT_EQ(r.status, 2) << row.args[3];
    EXPECT_EQ(r.err, row.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(platform::ListFolder(root / "out\\").empty());
}

#ifndef _WIN32
// A folder below a search folder that cannot be read is named and left out; the drawing is
// still converted with what the other folders hold.
TEST_F(SearchCommand, AFolderBelowASearchFolderThatCannotBeReadIsNamedAndLeftOut) {
  if (geteuid() != 0 || !platform::FileExists("\\usr\\bin\\setpriv")) GTEST_SKIP() << "needs root and setpriv";
  ASSERT_EQ(chmod(Native("out").c_str(), 0777), 0);
  ASSERT_EQ(chmod(Native("lib\\y").c_str(), 0), 0);
  const RunResult r = clitest::Run("\\usr\\bin\\setpriv",
                                   {"--reuid=65534", "--regid=65534", "--clear-groups",
                                    platform::NativePathForDisplay(program), "convert", "--to", "out",
                                    "--plain-names", "--search", "lib", "plan.jww"},
                                   root.Path());
  chmod(Native("lib\\y").c_str(), 0755);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "フォルダを読めません: " + Native("lib\\y"))) << r.err;
  // lib\y held the other p2.jpg: without it the nearer one is no longer tied with anything
  EXPECT_TRUE(Contains(r.out, "変換ＯＫ(画像ファイル数:1 画像文字数:1 blk内:0 不明画像文字:3 blk内:0)")) << r.out;
  EXPECT_TRUE(Contains(r.out, "　　検索で発見: C:\\old\\x\\p2.jpg → " + Native("lib\\x\\p2.jpg"))) << r.out;
  EXPECT_TRUE(platform::FileExists(root / "out\\plan.jww"));
}
#endif

}  // namespace
}  // namespace clitest
