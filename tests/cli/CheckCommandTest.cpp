// check end to end: what it prints in each form, the page it writes, and its exit status.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include <algorithm>

#include "fixture/DrawingBuilder.h"
#include "fixture/Hostile.h"
#include "platform/Platform.h"

namespace clitest {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

fixture::Drawing WithReferences(const std::vector<std::string>& texts, const std::string& blockName = "") {
  fixture::Drawing d;
  for (const std::string& text : texts) {
    fixture::TextEntity t;
    t.Text = text;
    d.entities.push_back(t);
  }
  if (!blockName.empty()) {
    fixture::BlockDef block;
    block.Number = 1;
    block.Name = blockName;
    block.entities.push_back(d.entities.front());
    d.blockDefs.push_back(block);
  }
  return d;
}

class CheckCommand : public ::testing::Test {
 protected:
  CheckCommand() : program(InstallProgram(root / "bin\\")) {}

  void SetUp() override {
    for (const char* folder : {"img\\", "store\\", "store\\old\\", "empty\\"}) platform::MakeFolder(root / folder);
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    testsupport::WriteFileText(root / "store\\old\\lost.bmp", "BM lost");
    ASSERT_TRUE(fixture::WriteDrawing(root / "ok.jww", WithReferences({"^@BMimg\\a.bmp,1,1"})));
    ASSERT_TRUE(fixture::WriteDrawing(
        root / "plan.jww", WithReferences({"^@BMimg\\a.bmp,1,1", "^@BMlost.bmp,1,1", kHostile}, "=1+1")));
    testsupport::WriteFileText(root / "broken.jww", "not a drawing");
  }
  RunResult Quorvane(const std::vector<std::string>& args) { return clitest::Run(program, args, root.Path()); }
  std::string Native(const std::string& name) const { return platform::NativePathForDisplay(root / name); }

  const std::string kHostile = "^@BM<script>alert(1)</script>&\"'.bmp,1,1";
  testsupport::TempFolder root;
  std::string program;
};

TEST_F(CheckCommand, ExitsZeroOnlyWhenEveryImageResolvesAndTwoOnAUsageError) {
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string out;  // a line printed
  };
  const Row rows[] = {
      {{"ok.jww"}, 0, Native("ok.jww") + ": version 700, 1 image reference: 1 found, 0 missing, 0 embedded\n"},
      {{"plan.jww"}, 1, "  missing [drawing] ^@BMlost.bmp,1,1 -> " + Native("lost.bmp") + "\n"},
      {{"--search", "store", "plan.jww"}, 1,
       "  found by search [drawing] ^@BMlost.bmp,1,1 -> " + Native("store\\old\\lost.bmp") + "\n"},
      {{"broken.jww", "ok.jww"}, 1, Native("broken.jww") + ": cannot be read\n"},
      {{"ok.jww", "nothing.jww"}, 1, "totals: 1 drawing, 1 image reference, 1 found (0 by search), 0 missing"},
      {{"ok.jww", "empty"}, 1, ""},
      {{"nothing.jww"}, 2, ""},
      {{}, 2, ""},
      {{"--json", "--csv", "ok.jww"}, 2, ""},
      {{"--html", "no-folder\\r.html", "ok.jww"}, 2, ""},
      {{"--search", "no-folder", "ok.jww"}, 2, ""},
      {{"--search"}, 2, ""},
      {{"--yaml", "ok.jww"}, 2, ""},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"check"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult r = Quorvane(args);
    SCOPED_TRACE(r.out + r.err);
    EXPECT_EQ(r.status, row.status);
    EXPECT_TRUE(Contains(r.out, row.out));
  }
}

TEST_F(CheckCommand, JsonCsvAndThePageKeepWhatADrawingHoldsAsText) {
  const std::vector<std::string> before = platform::ListFolder(root.Path());
  RunResult r = Quorvane({"check", "--json", "--html", "report.html", "ok.jww", "plan.jww"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out.front(), '{');
  EXPECT_TRUE(r.out.ends_with("\"allResolve\": false}\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, R"("text": "^@BM<script>alert(1)</script>&\"'.bmp,1,1", "state": "missing")")) << r.out;
  EXPECT_TRUE(Contains(r.out, R"("totals": {"drawings": 2, "unreadable": 0, "withProblems": 1, "references": 5,)"));

  // the page and its previews are all that was written, and nothing from the drawing is
  // markup in it
  std::vector<std::string> after = before;
  after.insert(after.end(), {"report.html", "report.previews"});
  std::sort(after.begin(), after.end());
  std::vector<std::string> now = platform::ListFolder(root.Path());
  std::sort(now.begin(), now.end());
  EXPECT_EQ(now, after);
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(root / "report.html");
  const std::string page(bytes.begin(), bytes.end());
  EXPECT_TRUE(Contains(page, "<code>^@BM&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;&#39;.bmp,1,1</code>"));
  EXPECT_FALSE(Contains(page, "<script"));
  EXPECT_TRUE(Contains(page, "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src &#39;none&#39;;"));
  EXPECT_TRUE(Contains(page, "<img src=\"img/a.bmp\""));
  // the drawing with a missing image comes first
  EXPECT_LT(page.find(Native("plan.jww")), page.find(Native("ok.jww")));

  r = Quorvane({"check", "--csv", "plan.jww"});
  EXPECT_TRUE(r.out.starts_with("\xEF\xBB\xBF" "drawing,version,in,block,reference,state,path,")) << r.out;
  EXPECT_TRUE(Contains(r.out, ",700,block,\"'=1+1\",\"^@BMimg\\a.bmp,1,1\",found,")) << r.out;
  EXPECT_TRUE(Contains(r.out, "\"^@BM<script>alert(1)</script>&\"\"'.bmp,1,1\",missing,")) << r.out;
}

// The page shows a preview of each drawing from a folder of the run's own beside it, or
// words where a drawing cannot be drawn; previews change nothing else the check tells.
TEST_F(CheckCommand, PreviewsLieInAFolderOfTheirOwnBesideThePage) {
  std::vector<std::string> inputs{"ok.jww", "broken.jww"};
  platform::MakeFolder(root / "hostile\\");
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    const std::string name = "hostile\\" + c.name + ".jww";
    ASSERT_TRUE(fixture::WriteFileBytes(root / name, c.bytes.data(), c.bytes.size()));
    inputs.push_back(name);
  }
  auto check = [&](const std::vector<std::string>& options) {
    std::vector<std::string> args{"check"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), inputs.begin(), inputs.end());
    return Quorvane(args);
  };
  const std::vector<std::string> before = testsupport::FolderNames(root.Path());
  const RunResult without = check({"--html", "report.html", "--no-previews"});
  std::vector<std::string> names = before;
  names.push_back("report.html");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(testsupport::FolderNames(root.Path()), names);

  // a folder of that name is someone else's: the previews go to the next name free
  platform::MakeFolder(root / "report.previews\\");
  testsupport::WriteFileText(root / "report.previews\\drawing-1.svg", "mine");
  const RunResult with = check({"--html", "report.html"});
  EXPECT_EQ(with.status, without.status);
  EXPECT_EQ(with.out, without.out);
  EXPECT_EQ(testsupport::ReadFileBytes(root / "report.previews\\drawing-1.svg"),
            std::vector<unsigned char>({'m', 'i', 'n', 'e'}));
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(root / "report.html");
  const std::string page(bytes.begin(), bytes.end());
  const std::vector<std::string> files = testsupport::FolderNames(root / "report.previews-2\\");
  std::size_t readable = 0;
  for (std::size_t at = with.out.find(": version "); at != std::string::npos; at = with.out.find(": version ", at + 1)) {
    ++readable;
  }
  EXPECT_EQ(files.size(), readable);
  for (std::size_t n = 1; n <= readable; ++n) {
    const std::string file = "drawing-" + std::to_string(n) + ".svg";
    EXPECT_TRUE(Contains(page, "<img src=\"report.previews-2/" + file + "\"")) << file;
    const std::vector<unsigned char> svg = testsupport::ReadFileBytes(root / ("report.previews-2\\" + file));
    EXPECT_TRUE(std::string(svg.begin(), svg.end()).ends_with("</svg>\n")) << file;
  }
  const std::size_t unreadable = inputs.size() - readable;
  std::size_t words = 0;
  for (std::size_t at = page.find("no preview: the drawing cannot be read"); at != std::string::npos;
       at = page.find("no preview: the drawing cannot be read", at + 1)) {
    ++words;
  }
  EXPECT_GE(unreadable, 2u);
  EXPECT_EQ(words, unreadable);

  // a preview finds images as the check does: the file the search found is drawn
  const std::vector<unsigned char> bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                                          1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0};  // 1 x 1, red
  testsupport::WriteFileBytes(root / "store\\old\\lost.bmp", bmp);
  for (const char* folder : {"nowhere", "store"}) {
    platform::MakeFolder(root / (std::string(folder) + "\\"));
    Quorvane({"check", "--search", folder, "--html", std::string(folder) + ".html", "plan.jww"});
    const std::vector<unsigned char> svg = testsupport::ReadFileBytes(root / (std::string(folder) + ".previews\\drawing-1.svg"));
    EXPECT_EQ(std::string(svg.begin(), svg.end()).find("data:image/png;base64,") != std::string::npos,
              std::string(folder) == "store") << folder;
  }
}

}  // namespace
}  // namespace clitest
