// check end to end: what it prints in each form, the page it writes, and its exit status.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
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

  // the page is all that was written, and nothing from the drawing is markup in it
  std::vector<std::string> after = before;
  after.push_back("report.html");
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

}  // namespace
}  // namespace clitest
