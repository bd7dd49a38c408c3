// Image references held as UTF-16 units (paths with no Shift-JIS form), relocated
// against real files whose names hold é and 😀 (beyond the Basic Multilingual Plane), in
// folders named uni, 个人 and café.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImageEmbedding.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageRelocation.h"
#include "text/Utf16Path.h"

using namespace relocation;
using testsupport::Units;
using testsupport::Utf8;

namespace {

// 2023-06-01 10:00:00 UTC; even seconds, which a packed DOS time keeps
constexpr std::int64_t kTime = 1685613600;

// A text as the reader holds it: Shift-JIS when every character has a form there.
jww::TEntJwwText Text(const std::u16string& s) {
  jww::TEntJwwText t;
  t.PenColor = 3;
  t.TextType = 2;
  std::string sjis;
  t.Text = platform::Utf16ToCp932(s, sjis) ? jww::JwwString(sjis, jww::StringForm::Unicode)
                                           : jww::JwwString(jww::BytesOf(s), jww::StringForm::Utf16);
  return t;
}

std::string Sjis(const std::u16string& units) {
  std::string sjis;
  EXPECT_TRUE(platform::Utf16ToCp932(units, sjis));
  return sjis;
}

std::string Shown(const jww::JwwString& s) { return Utf8(s.IsSjis() ? Units(s.bytes) : s.Units()); }

std::vector<std::string> Shown(const jww::RecordArray<jww::TEntJwwText>& texts) {
  std::vector<std::string> shown;
  for (const jww::TEntJwwText& t : texts) shown.push_back(Shown(t.Text));
  return shown;
}

// The name with "~1" before its extension.
std::u16string FirstBranch(const std::u16string& name) {
  const std::size_t dot = name.rfind(u'.');
  return name.substr(0, dot) + u"~1" + name.substr(dot);
}

std::vector<std::string> Sorted(const std::vector<std::u16string>& names) {
  std::vector<std::string> sorted;
  for (const std::u16string& name : names) sorted.push_back(Utf8(name));
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

class Utf16References : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = Units(source_.Path());
    drawing_ = source_ / "plan.jww";
    for (const char16_t* folder : {u"uni", u"个人", u"café"}) testsupport::MakeFolder(folder_ + folder);
    for (const auto& [name, bytes, time] : kImages) {
      testsupport::WriteFileText(folder_ + name, bytes);
      testsupport::SetModificationTime(folder_ + name, time);
    }
  }

  // Texts of the drawing and of a block definition: relative, absolute, a plain name in a
  // folder with no Shift-JIS form, missing, embedded, disabled; the block's differ from
  // the drawing's in ASCII case.
  jww::TJwwData Drawing() const {
    jww::TJwwData d;
    d.Texts = {Text(u"^@BMuni\\é.bmp,100,200,0,0"), Text(u"^@BM" + folder_ + u"个人\\😀.bmp,1,1"),
               Text(u"^@BMcafé\\photo.jpg,2,2"),   Text(u"^@BMuni\\gone-é.bmp,3,3"),
               Text(u"^@BM%temp%😀.jpg,4,4"),       Text(u"_@BM个人\\😀.bmp,5,5")};
    jww::TEntJwwBlockDef def;
    def.Texts = {Text(u"^@BMUNI\\é.BMP,6,6"), Text(u"^@BMCAFé\\PHOTO.JPG,7,7")};
    d.BlockDefs = {def};
    return d;
  }
  // The names the three images get in an empty destination, in the order of kImages.
  std::vector<std::u16string> Names(bool plain) const {
    std::u16string flat = folder_;
    for (char16_t& u : flat) {
      if (u == u'\\' || u == u'/' || u == u':') u = u'_';
    }
    if (plain) return {u"é.bmp", u"😀.bmp", u"photo.jpg"};
    return {flat + u"uni_é.bmp", flat + u"个人_😀.bmp", flat + u"café_photo.jpg"};
  }
  RelocationCounters Run(jww::TJwwData& d, const std::string& destination, bool plain, bool disable = true) {
    copied_.clear();
    RelocationCounters c;
    RelocateImages(d, drawing_, destination, {disable, !plain}, copied_, c);
    return c;
  }

  struct ImageFile {
    std::u16string name;  // under the drawing's folder
    std::string bytes;
    std::int64_t time;
  };
  const std::vector<ImageFile> kImages = {
      {u"uni\\é.bmp", "e acute", kTime}, {u"个人\\😀.bmp", "face", kTime + 2}, {u"café\\photo.jpg", "photo", kTime + 4}};

  testsupport::TempFolder source_;
  testsupport::TempFolder out_;
  std::u16string folder_;  // the drawing's folder
  std::string drawing_;
  CopiedImageTable copied_;
};

}  // namespace

TEST_F(Utf16References, CopiedWithTheirTimesRewrittenAndCounted) {
  jww::TJwwData d = Drawing();
  RelocationCounters c = Run(d, out_.Path(), true);
  EXPECT_EQ(Shown(d.Texts), (std::vector<std::string>{"^@BMé.bmp,100,200,0,0", "^@BM😀.bmp,1,1", "^@BMphoto.jpg,2,2",
                                                       "_@BM" + Utf8(folder_) + "uni\\gone-é.bmp,3,3",
                                                       "^@BM%temp%😀.jpg,4,4", "_@BM个人\\😀.bmp,5,5"}));
  EXPECT_EQ(Shown(d.BlockDefs[0].Texts), (std::vector<std::string>{"^@BMé.bmp,6,6", "^@BMphoto.jpg,7,7"}));
  EXPECT_EQ(d.Texts[0].PenColor, 3);
  EXPECT_EQ(d.Texts[3].PenColor, 9);
  EXPECT_EQ(d.Texts[3].TextType, 0);
  EXPECT_EQ(c.ImageTextCount, 3);
  EXPECT_EQ(c.BlockImageTextCount, 2);
  EXPECT_EQ(c.MissingImageCount, 1);
  EXPECT_EQ(c.BlockMissingImageCount, 0);
  EXPECT_EQ(c.FailedCopyCount, 0);
  EXPECT_EQ(copied_.size(), 3u);
  EXPECT_EQ(testsupport::FolderNames(out_.Path()), Sorted(Names(true)));
  for (const ImageFile& image : kImages) {
    const std::u16string copy = Units(out_.Path()) + image.name.substr(image.name.find(u'\\') + 1);
    EXPECT_EQ(testsupport::ReadFileText(copy), image.bytes) << Utf8(copy);
    EXPECT_EQ(testsupport::ModificationTime(copy), image.time) << Utf8(copy);
    EXPECT_EQ(testsupport::ModificationTime(folder_ + image.name), image.time) << Utf8(image.name);
  }

  // without the option the missing one stays as it was, and still counts
  testsupport::TempFolder out;
  jww::TJwwData off = Drawing();
  c = Run(off, out.Path(), true, false);
  EXPECT_EQ(Shown(off.Texts[3].Text), "^@BMuni\\gone-é.bmp,3,3");
  EXPECT_EQ(off.Texts[3].PenColor, 3);
  EXPECT_EQ(c.MissingImageCount, 1);
}

TEST_F(Utf16References, EmbeddedInUnitsAndSeparatedAgain) {
  testsupport::TempFolder scratch;
  jww::TJwwData d = Drawing();
  d.Images.SetTempFolder(scratch.Path());
  copied_.clear();
  RelocationCounters c;
  RelocateImages(d, drawing_, out_.Path(), {false, false, ImageMode::Embed}, copied_, c);
  EXPECT_EQ(c.ImageTextCount, 3);
  EXPECT_EQ(c.BlockImageTextCount, 2);
  EXPECT_EQ(c.FailedCopyCount, 0);
  EXPECT_EQ(copied_.size(), 3u);
  EXPECT_TRUE(testsupport::FolderNames(out_.Path()).empty());
  std::vector<std::string> names;
  for (const ImageFile& image : kImages) names.push_back(Utf8(EmbeddedImageName(folder_ + image.name)));
  const std::vector<std::string> tails = {",100,200,0,0", ",1,1", ",2,2", ",6,6", ",7,7"};
  const std::vector<std::string> texts = {Shown(d.Texts[0].Text), Shown(d.Texts[1].Text), Shown(d.Texts[2].Text),
                                          Shown(d.BlockDefs[0].Texts[0].Text), Shown(d.BlockDefs[0].Texts[1].Text)};
  const std::size_t image[] = {0, 1, 2, 0, 2};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i], "^@BM%temp%" + names[image[i]] + tails[i]);
  }
  EXPECT_EQ(d.Images.EmbeddedImages().size(), 3u);

  // separated: every image back under its stored name, references bare in their form
  testsupport::TempFolder apart;
  copied_.clear();
  c = {};
  RelocateImages(d, drawing_, apart.Path(), {false, false, ImageMode::Separate}, copied_, c);
  EXPECT_EQ(c.ImageTextCount, 3);
  EXPECT_EQ(c.BlockImageTextCount, 2);
  EXPECT_EQ(c.FailedCopyCount, 0);
  EXPECT_EQ(copied_.size(), 3u);
  for (std::size_t i = 0; i < kImages.size(); ++i) {
    EXPECT_EQ(testsupport::ReadFileText(Units(apart.Path()) + EmbeddedImageName(folder_ + kImages[i].name)),
              kImages[i].bytes);
  }
  EXPECT_EQ(Shown(d.Texts[0].Text), "^@BM" + names[0] + tails[0]);
  EXPECT_EQ(Shown(d.Texts[1].Text), "^@BM" + names[1] + tails[1]);
  EXPECT_EQ(Shown(d.BlockDefs[0].Texts[1].Text), "^@BM" + names[2] + tails[4]);
  EXPECT_EQ(Shown(d.Texts[4].Text), "^@BM%temp%😀.jpg,4,4");  // no such stored image
}

TEST_F(Utf16References, PathNamesFlattenTheWholePath) {
  jww::TJwwData d = Drawing();
  Run(d, out_.Path(), false);
  const std::vector<std::u16string> names = Names(false);
  EXPECT_EQ(Shown(d.Texts[0].Text), "^@BM" + Utf8(names[0]) + ",100,200,0,0");
  EXPECT_EQ(Shown(d.Texts[1].Text), "^@BM" + Utf8(names[1]) + ",1,1");
  EXPECT_EQ(Shown(d.Texts[2].Text), "^@BM" + Utf8(names[2]) + ",2,2");
  EXPECT_EQ(testsupport::FolderNames(out_.Path()), Sorted(names));
}

TEST_F(Utf16References, BranchNumbersPastOtherFilesAndASecondRunReusesEveryCopy) {
  for (bool plain : {true, false}) {
    SCOPED_TRACE(plain ? "plain names" : "path names");
    // the names the images would get are taken by other files
    testsupport::TempFolder out;
    std::vector<std::u16string> names = Names(plain);
    for (const std::u16string& name : Names(plain)) {
      testsupport::WriteFileText(Units(out.Path()) + name, "another image");
      names.push_back(FirstBranch(name));
    }
    std::vector<std::vector<std::string>> texts;
    for (int run = 0; run < 2; ++run) {
      jww::TJwwData d = Drawing();
      const RelocationCounters c = Run(d, out.Path(), plain);
      EXPECT_EQ(c.ImageTextCount + c.BlockImageTextCount, 5);
      EXPECT_EQ(testsupport::FolderNames(out.Path()), Sorted(names)) << "run " << run;
      texts.push_back(Shown(d.Texts));
    }
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_EQ(texts[0][1], "^@BM" + Utf8(FirstBranch(Names(plain)[1])) + ",1,1");
    EXPECT_EQ(testsupport::ReadFileText(Units(out.Path()) + Names(plain)[1]), "another image");
  }
}

TEST_F(Utf16References, AShiftJisAndAUtf16ReferenceToOneFileShareOneCopy) {
  platform::MakeFolder(source_ / "img\\");
  testsupport::WriteFileText(source_ / "img\\a.bmp", "a");
  jww::TJwwData d;
  // the second text is held as UTF-16 for its tail; its path has a Shift-JIS form
  d.Texts = {Text(u"^@BMimg\\a.bmp,1"), Text(u"^@BMIMG\\A.bmp,2,é"), Text(u"^@BM个人\\😀.bmp,3")};
  jww::TEntJwwBlockDef def;
  def.Texts = {Text(u"^@BM" + folder_ + u"个人\\😀.BMP,4")};
  d.BlockDefs = {def};
  const RelocationCounters c = Run(d, out_.Path(), true);
  EXPECT_EQ(copied_.size(), 2u);
  EXPECT_EQ(c.ImageTextCount, 3);
  EXPECT_EQ(Shown(d.Texts), (std::vector<std::string>{"^@BMa.bmp,1", "^@BMa.bmp,2,é", "^@BM😀.bmp,3"}));
  EXPECT_EQ(Shown(d.BlockDefs[0].Texts[0].Text), "^@BM😀.bmp,4");
  EXPECT_EQ(testsupport::FolderNames(out_.Path()), (std::vector<std::string>{"a.bmp", "😀.bmp"}));
}

TEST_F(Utf16References, AnImageInTheDestinationKeepsItsOwnName) {
  for (bool plain : {true, false}) {
    jww::TJwwData d;
    d.Texts = {Text(u"^@BM" + folder_ + u"个人\\😀.bmp,1,1"), Text(u"^@BM个人\\😀.bmp,2,2")};
    const RelocationCounters c = Run(d, source_ / Sjis(u"个人\\"), plain);
    EXPECT_EQ(Shown(d.Texts), (std::vector<std::string>{"^@BM😀.bmp,1,1", "^@BM😀.bmp,2,2"}));
    EXPECT_EQ(c.FailedCopyCount, 0);
  }
  EXPECT_EQ(testsupport::FolderNames(source_ / Sjis(u"个人\\")), std::vector<std::string>{"😀.bmp"});
}

TEST_F(Utf16References, CutAt255UnitsNeverBetweenTheHalvesOfAPair) {
  const struct {
    std::size_t pairAt;  // where the pair starts in the disabled reference
    std::size_t size;    // units kept
  } rows[] = {{253, 255}, {254, 254}, {255, 255}};
  const std::u16string missing = u"uni\\gone-é.bmp";
  const std::size_t head = 4 + folder_.size() + missing.size() + 1;
  ASSERT_LT(head, 253u);
  for (const auto& row : rows) {
    std::u16string tail = u",";
    tail.append(row.pairAt - head, u'9').append(u"😀,99");
    jww::TJwwData d;
    d.Texts = {Text(u"^@BM" + missing + tail)};
    Run(d, out_.Path(), true);
    const std::u16string expected = (u"_@BM" + folder_ + missing + tail).substr(0, row.size);
    EXPECT_EQ(d.Texts[0].Text.Units(), expected) << row.pairAt;
  }
}

TEST(Utf16ReferenceModel, ParsedRewrittenDisabledAndFlattenedInUnits) {
  const struct {
    std::u16string text;
    jww::ReferenceKind kind;
    std::u16string path;
    std::u16string tail;
  } rows[] = {
      {u"^@BMuni\\é.bmp,1,2", jww::ReferenceKind::Image, u"uni\\é.bmp", u",1,2"},
      {u"^@BM😀,", jww::ReferenceKind::Image, u"😀", u","},
      {u"^@BM,😀", jww::ReferenceKind::None, u"", u""},
      {u"^@BM😀.bmp", jww::ReferenceKind::None, u"", u""},
      {u"^@BM%temp%😀.jpg,1", jww::ReferenceKind::Embedded, u"😀.jpg", u",1"},
      {u"^@BM%temp%😀.jpg", jww::ReferenceKind::Embedded, u"", u""},
      {u"_@BM个人\\😀.bmp,1", jww::ReferenceKind::Disabled, u"个人\\😀.bmp", u",1"},
      {u"😀^@BMa.bmp,1", jww::ReferenceKind::None, u"", u""},
  };
  for (const auto& row : rows) {
    const jww::Utf16ImageReference ref = jww::ParseImageReference(row.text);
    EXPECT_EQ(ref.kind, row.kind) << Utf8(row.text);
    EXPECT_TRUE(ref.path == row.path && ref.tail == row.tail) << Utf8(row.text);
  }

  // written back as read, and the tail's numbers read from it
  for (const auto& row : rows) {
    const jww::Utf16ImageReference ref = jww::ParseImageReference(row.text);
    if (!ref.tail.empty()) {
      EXPECT_EQ(jww::ReferenceText(ref.kind, ref.path, ref.tail), row.text) << Utf8(row.text);
    }
  }
  EXPECT_EQ(jww::PlacementValues(u",1.5, 2,x😀,,-3"), (std::vector<double>{1.5, 2, 0, 0, -3}));

  const jww::Utf16ImageReference ref = jww::ParseImageReference(u"^@BM个人\\😀.bmp,1,2");
  EXPECT_EQ(Utf8(RewrittenReference(ref, u"😀~1.bmp")), "^@BM😀~1.bmp,1,2");
  EXPECT_EQ(Utf8(DisabledReference(ref, u"C:\\w\\个人\\😀.bmp")), "_@BMC:\\w\\个人\\😀.bmp,1,2");
  EXPECT_EQ(Utf8(FlattenedImageName(u"C:\\w/个人\\😀.bmp")), "C__w_个人_😀.bmp");
  EXPECT_EQ(Utf8(FlattenedImageName(u"\\\\?\\C:\\😀|<>\"*\x1F.bmp")), "____C__😀______.bmp");

  // a device is a device whatever the case; a name with other characters is a file
  for (const char16_t* device : {u"nul", u"CON.bmp", u"com1.é", u"CONIN$", u"conout$.😀"}) {
    EXPECT_TRUE(text::IsDeviceName(device));
  }
  for (const char16_t* file : {u"nul😀", u"é.bmp", u"CONé.bmp"}) EXPECT_FALSE(text::IsDeviceName(file));
}
