// The paths images are found at: "." and ".." folded out before an image is named or
// compared.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageRelocation.h"

using namespace relocation;
using testsupport::Units;
using testsupport::Utf8;

namespace {

const std::string kHyou = "\x95\x5C";  // 表, second byte 0x5C

jww::TEntJwwText Text(const std::string& sjis) {
  jww::TEntJwwText t;
  t.Text = jww::JwwString(sjis, jww::StringForm::Ansi);
  return t;
}

class PlacedNames : public ::testing::Test {
 protected:
  RelocationCounters Run(jww::TJwwData& d, const std::string& drawingFolder, const std::string& out, bool plain) {
    RelocationCounters c;
    copied_.clear();
    RelocateImages(d, drawingFolder + "plan.jww", out, {false, !plain}, copied_, c);
    return c;
  }

  CopiedImageTable copied_;
};

}  // namespace

TEST(FoundImagePath, DotSegmentsAreFoldedOutAndNothingElseChanges) {
  const std::string so = "\x83\x5C";   // ソ, second byte 0x5C
  const std::string nou = "\x94\x5C";  // 能, second byte 0x5C
  const struct {
    std::string path, drawing, resolved;
  } rows[] = {
      {"img\\a.bmp", "C:\\w\\plan.jww", "C:\\w\\img\\a.bmp"},
      {"..\\w\\img\\a.bmp", "C:\\w\\plan.jww", "C:\\w\\img\\a.bmp"},
      {".\\img\\.\\a.bmp", "C:\\w\\plan.jww", "C:\\w\\img\\a.bmp"},
      {"img/../img/a.bmp", "C:\\w\\plan.jww", "C:\\w\\img/a.bmp"},
      {"..\\..\\..\\a.bmp", "C:\\w\\plan.jww", "C:\\a.bmp"},
      {"C:\\x\\y\\..\\..\\a.bmp", "", "C:\\a.bmp"},
      {"\\\\srv\\share\\..\\a.bmp", "", "\\\\srv\\share\\a.bmp"},
      {"\\x\\..\\a.bmp", "", "\\a.bmp"},
      {"..a\\b..\\...\\a.bmp", "C:\\w\\plan.jww", "C:\\w\\..a\\b..\\...\\a.bmp"},
      {"..\\a.bmp", "", "..\\a.bmp"},  // nothing to climb out of
      {kHyou + "\\..\\a.bmp", "C:\\" + kHyou + "\\plan.jww", "C:\\" + kHyou + "\\a.bmp"},
      {"..\\" + so + "\\" + nou + "\\..\\a.bmp", "C:\\" + nou + "\\plan.jww", "C:\\" + so + "\\a.bmp"},
      {kHyou + ".\\a.bmp", "C:\\w\\plan.jww", "C:\\w\\" + kHyou + ".\\a.bmp"},
  };
  for (const auto& row : rows) EXPECT_EQ(ResolveImagePath(row.path, row.drawing), row.resolved) << row.path;
  const std::string drawing = "C:\\" + kHyou + "\\plan.jww";
  EXPECT_EQ(Utf8(ResolveImagePath(u"..\\😀\\.\\..\\表\\é.bmp", drawing)), "C:\\表\\é.bmp");
  EXPECT_EQ(Utf8(ResolveImagePath(u"\\\\srv\\😀\\..\\..\\é.bmp", drawing)), "\\\\srv\\😀\\é.bmp");
}

TEST_F(PlacedNames, OneImageReachedThroughDotSegmentsIsCopiedOnceUnderItsPlainPath) {
  testsupport::TempFolder source;
  platform::MakeFolder(source / "w\\");
  platform::MakeFolder(source / "w\\img\\");
  testsupport::WriteFileText(source / "w\\img\\a.bmp", "a");
  for (bool plain : {true, false}) {
    SCOPED_TRACE(plain ? "plain names" : "path names");
    testsupport::TempFolder out;
    jww::TJwwData d;
    d.Texts = {Text("^@BMimg\\a.bmp,1"), Text("^@BM..\\w\\img\\a.bmp,2"), Text("^@BM.\\img\\..\\img\\a.bmp,3")};
    const RelocationCounters c = Run(d, source / "w\\", out.Path(), plain);
    EXPECT_EQ(c.ImageTextCount, 3);
    EXPECT_EQ(copied_.size(), 1u);
    const std::string name = plain ? "a.bmp" : FlattenedImageName(source / "w\\img\\a.bmp");
    for (const jww::TEntJwwText& t : d.Texts) EXPECT_EQ(t.Text.bytes.substr(0, 4 + name.size() + 1), "^@BM" + name + ",");
    EXPECT_EQ(platform::ListFolder(out.Path()), std::vector<std::string>{name});
  }
}
