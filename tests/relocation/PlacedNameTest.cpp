// Names of placed images where the reference leaves little room, and the paths images are
// found at: "." and ".." folded out before an image is named or compared.
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

// How a reference is held: Shift-JIS bytes, UTF-16 units for a path with no Shift-JIS
// form (😀), or units for a Shift-JIS path whose text has a character with none in its
// placement values (lengths then count characters).
enum class Form { Sjis, Units, SjisInUnits };

jww::TEntJwwText Text(const std::string& sjis) {
  jww::TEntJwwText t;
  t.Text = jww::JwwString(sjis, jww::StringForm::Ansi);
  return t;
}

jww::TEntJwwText Text(const std::u16string& units) {
  jww::TEntJwwText t;
  t.Text = jww::JwwString(jww::BytesOf(units), jww::StringForm::Utf16);
  return t;
}

// A text's UTF-16 units whatever its form.
std::u16string UnitsOf(const jww::JwwString& s) { return s.IsSjis() ? Units(s.bytes) : s.Units(); }

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

std::string Contents(const std::string& path) {
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

// "^@BM" + name + placement values past 255: the name loses whole characters from its
// front, keeping its extension, so that the values stay whole.
TEST_F(PlacedNames, ShortenedFromTheFrontSoThatThePlacementValuesStayWhole) {
  const struct {
    Form form;
    bool plain;
    std::size_t length;  // of the whole name, counted in the text's form
    std::size_t room;    // what the placement values leave for the name
  } rows[] = {
      {Form::Sjis, true, 235, 235},      {Form::Sjis, true, 236, 235},       {Form::Sjis, true, 250, 247},
      {Form::Sjis, true, 200, 12},       {Form::Sjis, true, 200, 11},        {Form::Sjis, true, 200, 10},
      {Form::Sjis, true, 200, 5},        {Form::Sjis, true, 200, 4},         {Form::Sjis, false, 235, 235},
      {Form::Sjis, false, 245, 240},     {Form::Sjis, false, 255, 247},      {Form::Sjis, false, 260, 200},
      {Form::Sjis, false, 250, 10},      {Form::Units, true, 240, 240},      {Form::Units, true, 241, 240},
      {Form::Units, true, 200, 11},      {Form::Units, true, 200, 10},       {Form::Units, false, 235, 235},
      {Form::Units, false, 258, 236},    {Form::Units, false, 240, 4},       {Form::SjisInUnits, true, 200, 11},
      {Form::SjisInUnits, true, 200, 10}, {Form::SjisInUnits, false, 255, 236},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(static_cast<int>(row.form)) + (row.plain ? " plain " : " path ") +
                 std::to_string(row.length) + " in " + std::to_string(row.room));
    testsupport::TempFolder source;
    testsupport::TempFolder out;
    // the name ends in a wide character (two bytes or units; one unit in SjisInUnits) and
    // "photo.bmp", padded in front with ASCII to its length
    const std::u16string end = (row.form == Form::Units ? u"😀" : u"表") + std::u16string(u"photo.bmp");
    const std::size_t endLength = 9 + (row.form == Form::SjisInUnits ? 1 : 2);
    const std::u16string folder = Units(source.Path());
    const std::u16string flatFolder = FlattenedImageName(folder);
    const std::u16string pad(row.length - endLength - (row.plain ? 0 : flatFolder.size() + 2), u'n');
    const std::u16string relative = (row.plain ? u"" : u"p\\") + pad + end;
    if (!row.plain) testsupport::MakeFolder(folder + u"p");
    testsupport::WriteFileText(folder + relative, "image");
    const std::u16string name = (row.plain ? u"" : flatFolder + u"p_") + pad + end;

    std::u16string tail = u",";
    tail.append(255 - 4 - row.room - (row.form == Form::SjisInUnits ? 2 : 1), u'9');
    if (row.form == Form::SjisInUnits) tail += u"é";
    jww::TJwwData d;
    std::string sjis;
    ASSERT_EQ(platform::Utf16ToCp932(u"^@BM" + relative + tail, sjis), row.form == Form::Sjis);
    d.Texts = {row.form == Form::Sjis ? Text(sjis) : Text(u"^@BM" + relative + tail)};
    const RelocationCounters c = Run(d, source.Path(), out.Path(), row.plain);

    if (row.room < 5) {
      // not even one character before ".bmp": the drawing is not converted
      EXPECT_EQ(c.FailedCopyCount, 1);
      EXPECT_TRUE(testsupport::FolderNames(out.Path()).empty());
      continue;
    }
    // the whole name, as much of its end as fits, or "photo.bmp" (or its end) when the
    // wide character does not fit whole
    const std::u16string placed = row.length <= row.room ? name
                                  : row.room >= endLength
                                      ? name.substr(name.size() - (row.room - endLength + end.size()))
                                      : std::u16string(u"photo.bmp").substr(9 - std::min<std::size_t>(row.room, 9));
    EXPECT_EQ(c.FailedCopyCount, 0);
    EXPECT_EQ(Utf8(UnitsOf(d.Texts[0].Text)), Utf8(u"^@BM" + placed + tail));
    EXPECT_EQ(testsupport::FolderNames(out.Path()), std::vector<std::string>{Utf8(placed)});
  }
}

TEST_F(PlacedNames, ALaterReferenceWithLessRoomGetsACopyOfItsOwnAndShortNamesBranch) {
  testsupport::TempFolder source;
  const std::string stem(230, 'n');
  for (const char* folder : {"x\\", "y\\"}) {
    platform::MakeFolder(source / folder);
    testsupport::WriteFileText(source / (folder + stem + ".bmp"), folder);
  }
  const std::string shortTail = ",1,1";                                    // room for 247
  const std::string longTail = std::string(",").append(255 - 4 - 200 - 1, '9');  // room for 200
  for (bool plain : {true, false}) {
    SCOPED_TRACE(plain ? "plain names" : "path names");
    testsupport::TempFolder out;
    jww::TJwwData d;
    d.Texts = {Text("^@BMx\\" + stem + ".bmp" + shortTail), Text("^@BMx\\" + stem + ".bmp" + longTail),
               Text("^@BMX\\" + stem + ".BMP" + shortTail), Text("^@BMy\\" + stem + ".bmp" + longTail)};
    const RelocationCounters c = Run(d, source.Path(), out.Path(), plain);
    EXPECT_EQ(c.FailedCopyCount, 0);
    auto name = [&d](std::size_t i) {
      const std::string& s = d.Texts[i].Text.bytes;
      return s.substr(4, s.find(',') - 4);
    };
    // the whole plain name fits the short tail; a path name is shortened for it
    const std::string first = name(0);
    if (plain) {
      EXPECT_EQ(first, stem + ".bmp");
    }
    EXPECT_LE(first.size(), 247u);
    EXPECT_TRUE(first.ends_with(stem + ".bmp")) << first;
    // the longer tail: a copy of its own, the end of the stem kept
    EXPECT_EQ(name(1), std::string(196, 'n') + ".bmp");
    EXPECT_EQ(name(2), first);  // the first name fits again
    // another image whose shortened name is taken: a branch number, two more characters
    // dropped for it
    EXPECT_EQ(name(3), std::string(194, 'n') + "~1.bmp");
    EXPECT_EQ(Contents(out / first), "x\\");
    EXPECT_EQ(Contents(out / name(1)), "x\\");
    EXPECT_EQ(Contents(out / name(3)), "y\\");
    EXPECT_EQ(platform::ListFolder(out.Path()).size(), 3u);
    for (const jww::TEntJwwText& t : d.Texts) EXPECT_LE(t.Text.bytes.size(), 255u);
  }
}

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
    for (const jww::TEntJwwText& t : d.Texts) {
      EXPECT_EQ(t.Text.bytes.substr(0, 4 + name.size() + 1), "^@BM" + name + ",");
    }
    EXPECT_EQ(platform::ListFolder(out.Path()), std::vector<std::string>{name});
  }
}

// The one routine every placed, stored and separated name comes from: the names in order,
// fitted from the front, and the caller's verdicts obeyed.
TEST(BranchedNames, OfferedInOrderFittedAndStoppedWhereTheCallerSays) {
  struct Row {
    std::string stem, ext;
    std::size_t length;
    int passOver;       // names answered Next before one is taken
    bool stopAtSecond;  // the second name offered is answered Stop
    std::string expected;
    std::vector<std::string> offered;
  };
  const std::vector<Row> rows = {
      {"photo", ".bmp", 255, 0, false, "photo.bmp", {"photo.bmp"}},
      {"photo", ".bmp", 255, 2, false, "photo~2.bmp", {"photo.bmp", "photo~1.bmp", "photo~2.bmp"}},
      // the front of the stem gives way, whole characters, more for a branch number
      {"ab" + kHyou, ".bmp", 8, 1, false, kHyou + "~1.bmp", {"ab" + kHyou + ".bmp", kHyou + "~1.bmp"}},
      {"photo", ".bmp", 255, 5, true, "", {"photo.bmp", "photo~1.bmp"}},
      // not one character fits: nothing is offered
      {"photo", ".bmp", 4, 0, false, "", {}},
      // a name that is only an extension is a name
      {"", ".bmp", 255, 0, false, ".bmp", {".bmp"}},
  };
  for (const Row& row : rows) {
    std::vector<std::string> offered;
    const std::string name = BranchedName(row.stem, row.ext, NameLimits{row.length, false, {}},
                                          [&](const std::string& candidate) {
                                            offered.push_back(candidate);
                                            if (row.stopAtSecond && offered.size() == 2) return NameTurn::Stop;
                                            return static_cast<int>(offered.size()) > row.passOver ? NameTurn::Take
                                                                                                   : NameTurn::Next;
                                          });
    EXPECT_EQ(name, row.expected) << row.stem << row.ext;
    EXPECT_EQ(offered, row.offered) << row.stem << row.ext;
  }
}
