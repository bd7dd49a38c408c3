// preview writes a picture of a drawing, SVG or PNG, and refuses what it cannot do.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "platform/Platform.h"

namespace clitest {
namespace {

// A 1 × 1 red bitmap.
const std::vector<unsigned char> kBmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                                         1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0};

TEST(PreviewCommand, WritesSvgOrPngAndRefusesWhatItCannot) {
  testsupport::TempFolder root;
  const std::string program = InstallProgram(root / "bin\\");
  platform::MakeFolder(root / "img\\");
  testsupport::WriteFileBytes(root / "img\\a.bmp", kBmp);
  fixture::Drawing d = fixture::SampleDrawing(700);
  fixture::TextEntity t;
  t.Text = "^@BMimg\\a.bmp,10,10,0,0,1,0";
  d.entities.push_back(t);
  ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  // a drawing whose image has moved since: found only by a search
  std::get<fixture::TextEntity>(d.entities.back()).Text = "^@BMC:\\old\\img\\a.bmp,10,10,0,0,1,0";
  ASSERT_TRUE(fixture::WriteDrawing(root / "moved.jww", d));
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string file;   // the picture written, "" for standard output or none
    std::string start;  // what it begins with
    bool image = true;  // SVG: the image is drawn
  };
  const Row rows[] = {
      {{"preview", "plan.jww"}, 0, "plan.svg", "<?xml"},
      {{"preview", "plan.jww", "-o", "out.png", "--width", "300"}, 0, "out.png", "\x89PNG"},
      {{"preview", "plan.jww", "-o", "-"}, 0, "", "<?xml"},
      {{"preview", "plan.jww", "-o", "out.gif"}, 2, "", ""},
      {{"preview", "plan.jww", "--width", "0"}, 2, "", ""},
      {{"preview", "plan.jww", "plan.jww"}, 2, "", ""},
      {{"preview"}, 2, "", ""},
      {{"preview", "nothing.jww"}, 1, "", ""},
      {{"preview", "moved.jww", "-o", "-"}, 0, "", "<?xml", false},
      {{"preview", "--search", "img", "moved.jww", "-o", "-"}, 0, "", "<?xml"},
      {{"preview", "--search-near", "moved.jww", "-o", "-"}, 0, "", "<?xml"},
      {{"preview", "--search", "nowhere", "moved.jww"}, 2, "", ""},
  };
  for (const Row& row : rows) {
    std::string shown;
    for (const std::string& a : row.args) shown += a + " ";
    SCOPED_TRACE(shown);
    const RunResult r = clitest::Run(program, row.args, root.Path());
    EXPECT_EQ(r.status, row.status) << r.err;
    if (row.status != 0) {
      EXPECT_NE(r.err.find("quorvane: "), std::string::npos);
      continue;
    }
    std::string bytes = r.out;
    if (!row.file.empty()) {
      const std::vector<unsigned char> written = testsupport::ReadFileBytes(root / row.file);
      bytes.assign(written.begin(), written.end());
    }
    EXPECT_EQ(bytes.compare(0, row.start.size(), row.start), 0);
    // the image is drawn, as PNG data inside the SVG
    if (row.start == "<?xml") {
      EXPECT_EQ(bytes.find("data:image/png;base64,") != std::string::npos, row.image);
    }
  }
}

}  // namespace
}  // namespace clitest
