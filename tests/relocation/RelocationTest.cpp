// Image references rewritten against real files in scratch folders.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "jww/Archive.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "relocation/ImageRelocation.h"
#include "text/ShiftJis.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/Wide.h"
#else
#include <sys/stat.h>
#endif

using namespace relocation;
using jww::JwwString;
using jww::TEntJwwText;
using testsupport::Hex;

namespace {

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEntJwwText Text(const std::string& s, jww::StringForm form = jww::StringForm::Ansi) {
  TEntJwwText t;
  t.PenColor = 3;
  t.TextType = 2;
  t.Text = JwwString(s, form);
  return t;
}

// A conversion's surroundings: the drawing's folder, the destination and a clean table.
class Relocation : public ::testing::Test {
 protected:
  void SetUp() override {
    copied_.clear();
    platform::MakeFolder(source_ / "img\\");
    drawing_ = source_ / "plan.jww";
  }
  void TearDown() override { copied_.clear(); }

  std::string Image(const std::string& relative, const std::string& bytes, std::uint32_t dosTime = 0x5A8B6C00) {
    const std::string path = source_ / relative;
    platform::MakeFolder(text::ExtractFilePath(path));
    testsupport::WriteFileText(path, bytes);
    EXPECT_TRUE(platform::SetFileDosTime(path, dosTime));
    return path;
  }
  RelocationCounters Run(jww::TJwwData& d, bool plain = true, bool disable = true) {
    RelocationCounters c;
    RelocateImages(d, drawing_, out_.Path(), {disable, !plain}, copied_, c);
    return c;
  }
  std::string Out(const std::string& name) {
    const auto bytes = testsupport::ReadFileBytes(out_ / name);
    return std::string(bytes.begin(), bytes.end());
  }

  testsupport::TempFolder source_;
  testsupport::TempFolder out_;
  std::string drawing_;  // the drawing the references belong to
  CopiedImageTable copied_;
};

}  // namespace

TEST_F(Relocation, WorkedExample) {
  const std::string a = Image("img\\a.bmp", "image a");
  jww::TJwwData d;
  d.Texts = {Text("^@BMimg\\a.bmp,100,200,0,0"), Text("^@BM" + a + ",50,50,0,0"), Text("^@BMimg\\b.bmp,1,1,0,0"),
             Text("^@BM%temp%pic.bmp,1,1")};
  const RelocationCounters c = Run(d);

  EXPECT_EQ(d.Texts[0].Text.bytes, "^@BMa.bmp,100,200,0,0");
  EXPECT_EQ(d.Texts[1].Text.bytes, "^@BMa.bmp,50,50,0,0");
  EXPECT_EQ(d.Texts[2].Text.bytes, "_@BM" + source_.Path() + "img\\b.bmp,1,1,0,0");
  EXPECT_EQ(d.Texts[2].PenColor, 9);
  EXPECT_EQ(d.Texts[2].TextType, 0);
  EXPECT_EQ(d.Texts[3].Text.bytes, "^@BM%temp%pic.bmp,1,1");
  EXPECT_EQ(d.Texts[0].PenColor, 3);  // a rewritten text keeps its attributes
  EXPECT_EQ(d.Texts[0].TextType, 2);
  EXPECT_EQ(c.ImageTextCount, 2);
  EXPECT_EQ(c.MissingImageCount, 1);
  EXPECT_EQ(c.BlockImageTextCount + c.BlockMissingImageCount, 0);
  ASSERT_EQ(copied_.size(), 1u);
  EXPECT_EQ(Out("a.bmp"), "image a");
  EXPECT_EQ(GetFileStamp(out_ / "a.bmp"), GetFileStamp(a));
  EXPECT_EQ(platform::ListFolder(out_.Path()), std::vector<std::string>{"a.bmp"});
  EXPECT_EQ(GetFileStamp(a).time, 0x5A8B6C00u);  // the source keeps its time
}

TEST_F(Relocation, ThroughAWholeDrawing) {
  Image("img\\a.bmp", "a");
  jww::TJwwData d;
  d.Texts = {Text("^@BMimg\\a.bmp,1,1")};
  d.Order = {{jww::kTextClass, 0}};
  d.Blocks = {jww::TEntJwwBlock{}};
  d.Blocks[0].Number = 1;
  d.Order.push_back({jww::kBlockClass, 0});
  jww::TEntJwwBlockDef used, unused;
  used.Number = 1;
  used.Texts = {Text("^@BMimg\\A.BMP,2,2")};
  used.Order = {{jww::kTextClass, 0}};
  unused.Number = 2;
  unused.Texts = {Text("^@BMimg\\c.bmp,3,3")};
  unused.Order = {{jww::kTextClass, 0}};
  d.BlockDefs = {used, unused};
  d.BuildBlockTree();
  d.ReferencedBlockCount = 2;  // keep the unused definition in the file too
  d.BlockDefs[1].Used = 1;
  d.BlockDefs[1].WriteNumber = 1;
  const std::string drawing = source_ / "plan.jww";
  ASSERT_TRUE(d.SaveToFile(drawing, 700));
  Image("img\\c.bmp", "c");

  jww::TJwwData loaded;
  ASSERT_TRUE(loaded.LoadFromFile(drawing));
  const RelocationCounters c = Run(loaded);
  ASSERT_TRUE(loaded.SaveToFile(out_ / "plan.jww", 700));

  // a definition the drawing never inserts is rewritten and its image copied, though
  // the saved drawing leaves it out
  EXPECT_EQ(c.ImageTextCount, 1);
  EXPECT_EQ(c.BlockImageTextCount, 2);
  EXPECT_EQ(copied_.size(), 2u);
  EXPECT_EQ(Out("c.bmp"), "c");
  jww::TJwwData result;
  ASSERT_TRUE(result.LoadFromFile(out_ / "plan.jww"));
  EXPECT_EQ(result.Texts[0].Text.bytes, "^@BMa.bmp,1,1");
  ASSERT_EQ(result.BlockDefs.size(), 1u);
  EXPECT_EQ(result.BlockDefs[0].Texts[0].Text.bytes, "^@BMa.bmp,2,2");
}

TEST_F(Relocation, LetterCaseDuplicatesShareOneCopy) {
  Image("img\\a.bmp", "a");
  jww::TJwwData d;
  d.Texts = {Text("^@BM" + source_.Path() + "img\\a.bmp,1"), Text("^@BM" + source_.Path() + "IMG\\A.BMP,2")};
  jww::TEntJwwBlockDef def;
  def.Texts = {Text("^@BM" + source_.Path() + "Img\\A.bmp,3")};
  d.BlockDefs = {def};
  const RelocationCounters c = Run(d, false);
  EXPECT_EQ(copied_.size(), 1u);
  EXPECT_EQ(c.ImageTextCount, 2);
  EXPECT_EQ(c.BlockImageTextCount, 1);
  EXPECT_EQ(platform::ListFolder(out_.Path()).size(), 1u);
  EXPECT_EQ(d.BlockDefs[0].Texts[0].Text.bytes, d.Texts[1].Text.bytes.substr(0, d.Texts[1].Text.bytes.size() - 1) + "3");
}

TEST_F(Relocation, RelativeReferencesResolveBesideTheDrawingOnly) {
  // the working folder may hold another drawing's copy of the same name
  std::mt19937 random{std::random_device{}()};
  const std::string both = "quorvane-test-" + std::to_string(random() % 1000000) + ".bmp";
  const std::string strayOnly = "stray-" + both;
  testsupport::WriteFileText(platform::CurrentFolder() + both, "from the working folder");
  testsupport::WriteFileText(platform::CurrentFolder() + strayOnly, "from the working folder");
  Image(both, "beside the drawing");
  // a drive with no root after it ("C:a.bmp") names the current folder of that drive
  const std::string working = platform::CurrentFolder();
  const std::string drive = text::HasDrive(working) ? working.substr(0, 2) : "C:";
  jww::TJwwData d;
  d.Texts = {Text("^@BM" + both + ",1"), Text("^@BM" + strayOnly + ",2"), Text("^@BM" + drive + both + ",3")};
  const RelocationCounters c = Run(d, true, false);
  platform::RemoveFile(platform::CurrentFolder() + both);
  platform::RemoveFile(platform::CurrentFolder() + strayOnly);
  EXPECT_EQ(Out(both), "beside the drawing");
  EXPECT_EQ(c.ImageTextCount, 1);
  EXPECT_EQ(c.MissingImageCount, 2);
  EXPECT_EQ(d.Texts[1].Text.bytes, "^@BM" + strayOnly + ",2");
  EXPECT_EQ(d.Texts[2].Text.bytes, "^@BM" + drive + both + ",3");
  EXPECT_EQ(platform::ListFolder(out_.Path()), std::vector<std::string>{both});
}

TEST_F(Relocation, MissingImages) {
  jww::TJwwData d;
  d.Texts = {Text("^@BMnone.bmp,1"), Text("^@BM\\nowhere\\x.bmp,2"), Text("^@BMC:\\x\\y.bmp,3"),
             Text("_@BMnone.bmp,1"), Text("^@BMnone.bmp"), Text("^@BM,1,1")};
  jww::TJwwData off = d;
  RelocationCounters c = Run(d);
  EXPECT_EQ(c.MissingImageCount, 3);
  EXPECT_EQ(d.Texts[0].Text.bytes, "_@BM" + source_.Path() + "none.bmp,1");
  // an absolute path is never put under the drawing's folder
  EXPECT_EQ(d.Texts[1].Text.bytes, "_@BM\\nowhere\\x.bmp,2");
  EXPECT_EQ(d.Texts[2].Text.bytes, "_@BMC:\\x\\y.bmp,3");
  // not references at all: a disabled one, no comma, an empty path
  EXPECT_EQ(d.Texts[3].Text.bytes, "_@BMnone.bmp,1");
  EXPECT_EQ(d.Texts[4].Text.bytes, "^@BMnone.bmp");
  EXPECT_EQ(d.Texts[5].Text.bytes, "^@BM,1,1");

  c = Run(off, true, false);
  EXPECT_EQ(c.MissingImageCount, 3);
  EXPECT_EQ(off.Texts[0].Text.bytes, "^@BMnone.bmp,1");
  EXPECT_EQ(off.Texts[0].PenColor, 3);
  EXPECT_TRUE(platform::ListFolder(out_.Path()).empty());
}

TEST_F(Relocation, DeviceNamesAreNeverImages) {
  // on Windows these name devices that seem to exist; elsewhere they are made real files,
  // and still one drawing gives one result everywhere
  const std::vector<std::string> names = {"NUL",    "CON",       "COM1", "LPT1.bmp", "img\\con.bmp", "Aux .jpg", "prn.tar.gz",
                                          "CONIN$", "conout$.bmp"};
#ifndef _WIN32
  for (const std::string& name : names) Image(name, "not a device here");
#endif
  Image("COM10.bmp", "an image");
  Image("CONSOLE.bmp", "an image");
  jww::TJwwData d;
  for (const std::string& name : names) d.Texts.push_back(Text("^@BM" + name + ",1,1"));
  d.Texts.push_back(Text("^@BMCOM10.bmp,1,1"));
  d.Texts.push_back(Text("^@BMCONSOLE.bmp,1,1"));
  const RelocationCounters c = Run(d, true, true);
  EXPECT_EQ(c.MissingImageCount, static_cast<std::int32_t>(names.size()));
  EXPECT_EQ(c.ImageTextCount, 2);
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(d.Texts[i].Text.bytes.substr(0, 4), "_@BM") << names[i];
  EXPECT_EQ(platform::ListFolder(out_.Path()).size(), 2u);
}

TEST_F(Relocation, UnicodeStrings) {
  Image("img\\a.bmp", "a");
  jww::TJwwData d;
  // stored as UTF-16 and held as Shift-JIS: an ordinary reference that keeps its form
  d.Texts = {Text("^@BMimg\\a.bmp,1", jww::StringForm::Unicode)};
  const RelocationCounters c = Run(d);
  EXPECT_EQ(c.ImageTextCount, 1);
  EXPECT_EQ(d.Texts[0].Text, JwwString("^@BMa.bmp,1", jww::StringForm::Unicode));
}

TEST_F(Relocation, CutAt255BytesOnACharacterBoundary) {
  // a switched-off reference names no placed file: it is cut like any text the system builds
  const std::string longName = std::string(120, 'n') + ".bmp";
  std::string tail(255 - 4 - 4, '9');
  tail[0] = ',';
  jww::TJwwData d;
  d.Texts = {Text("^@BM" + longName + tail)};
  Run(d);
  EXPECT_EQ(d.Texts[0].Text.bytes.size(), 255u);
  EXPECT_EQ(d.Texts[0].Text.bytes.substr(0, 4 + source_.Path().size() + longName.size()),
            "_@BM" + source_.Path() + longName);

  EXPECT_EQ(CutReference(std::string(254, 'a') + Hex("95 5C")), std::string(254, 'a'));
  EXPECT_EQ(CutReference(std::string(253, 'a') + Hex("95 5C") + "b"), std::string(253, 'a') + Hex("95 5C"));
  EXPECT_EQ(CutReference(std::string(300, 'a')).size(), 255u);
}

TEST_F(Relocation, ParentAndSlashPathsStayInTheDestination) {
  platform::MakeFolder(source_ / "a\\");
  platform::MakeFolder(source_ / "a\\b\\");
  Image("x.bmp", "x");
  drawing_ = source_ / "a\\b\\plan.jww";
  for (bool plain : {true, false}) {
    copied_.clear();
    testsupport::TempFolder out;
    jww::TJwwData d;
    d.Texts = {Text("^@BM..\\..\\x.bmp,1"), Text("^@BM../../x.bmp,2")};
    RelocationCounters c;
    RelocateImages(d, drawing_, out.Path(), {false, !plain}, copied_, c);
    EXPECT_EQ(c.ImageTextCount, 2);
    for (const std::string& name : platform::ListFolder(out.Path())) {
      EXPECT_TRUE(platform::FileExists(out / name)) << name;
      EXPECT_EQ(name.find_first_of("\\/:"), std::string::npos) << name;
    }
    EXPECT_FALSE(platform::ListFolder(out.Path()).empty());
  }
  EXPECT_EQ(platform::ListFolder(source_.Path()).size(), 3u);  // img, a, x.bmp: nothing new
}

TEST_F(Relocation, AFailedCopyStillRewritesTheReference) {
  Image("img\\a.bmp", "a");
  jww::TJwwData d;
  d.Texts = {Text("^@BMimg\\a.bmp,1"), Text("^@BMimg\\a.bmp,2")};
  RelocationCounters c;
  RelocateImages(d, drawing_, out_ / "missing\\", {false, false}, copied_, c);
  EXPECT_EQ(c.ImageTextCount, 2);
  EXPECT_EQ(c.FailedCopyCount, 1);  // told once: the second reference reuses the entry
  EXPECT_EQ(copied_.size(), 1u);
  EXPECT_EQ(d.Texts[1].Text.bytes, "^@BMa.bmp,2");
  EXPECT_FALSE(platform::FolderExists(out_ / "missing\\"));
}

TEST_F(Relocation, ASecondRunFindsItsOwnCopies) {
  Image("img\\a.bmp", "a");
  for (bool plain : {true, false}) {
    for (int run = 0; run < 2; ++run) {
      copied_.clear();
      jww::TJwwData d;
      d.Texts = {Text("^@BMimg\\a.bmp,1")};
      Run(d, plain);
      EXPECT_EQ(d.Texts[0].Text.bytes.find('~'), std::string::npos);
    }
  }
  EXPECT_EQ(platform::ListFolder(out_.Path()).size(), 2u);  // a.bmp and the flattened name
}

TEST_F(Relocation, CopiesAreNeverReadOnly) {
  const std::string a = Image("img\\a.bmp", "a");
  jww::TJwwData d;
  d.Texts = {Text("^@BMimg\\a.bmp,1")};
#ifdef _WIN32
  SetFileAttributesA(a.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  Run(d);
  EXPECT_EQ(GetFileAttributesA((out_ / "a.bmp").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  SetFileAttributesA(a.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  // new files come out read-only under this mask; the mode bits are what counts, for root too
  const mode_t mask = umask(0277);
  Run(d);
  umask(mask);
  std::string native = out_ / "a.bmp";
  std::replace(native.begin(), native.end(), '\\', '/');
  struct stat st;
  ASSERT_EQ(stat(native.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
#endif
}

TEST_F(Relocation, PlainNamesGetBranchNumbers) {
  const std::string x = Image("x\\a.bmp", "first", 0x5A8B6C00);
  const std::string y = Image("y\\a.bmp", "second", 0x5A8B6C02);
  EXPECT_EQ(MakeImageFileName(false, x, out_.Path()), "a.bmp");  // the folder is empty
  jww::TJwwData d;
  d.Texts = {Text("^@BMx\\a.bmp,1"), Text("^@BMy\\a.bmp,2"), Text("^@BMy\\a.bmp,3")};
  Run(d);
  EXPECT_EQ(d.Texts[0].Text.bytes, "^@BMa.bmp,1");
  EXPECT_EQ(d.Texts[1].Text.bytes, "^@BMa~1.bmp,2");
  EXPECT_EQ(Out("a~1.bmp"), "second");

  // a file already there with the source's stamp is taken for it
  EXPECT_EQ(MakeImageFileName(false, y, out_.Path()), "a~1.bmp");
  EXPECT_EQ(MakeImageFileName(false, x, out_.Path()), "a.bmp");
  const std::string z = Image("z\\a.bmp", "third", 0x5A8B6C04);
  EXPECT_EQ(MakeImageFileName(false, z, out_.Path()), "a~2.bmp");

  // equal stamps, other bytes: another image
  const std::string w = Image("w\\a.bmp", "FIRST", 0x5A8B6C00);
  EXPECT_EQ(MakeImageFileName(false, w, out_.Path()), "a~2.bmp");

  const std::string tar = Image("photo.tar.gz", "t");
  const std::string bare = Image("readme", "r");
  testsupport::WriteFileText(out_ / "photo.tar.gz", "other");
  testsupport::WriteFileText(out_ / "readme", "other");
  EXPECT_EQ(MakeImageFileName(false, tar, out_.Path()), "photo.tar~1.gz");
  EXPECT_EQ(MakeImageFileName(false, bare, out_.Path()), "readme~1");
}

TEST_F(Relocation, PlacedNamesFlattenSeparatorsAndCharactersWindowsForbidsButNotTrailBytes) {
  struct Row {
    std::string path, name, plain;
  };
  const Row rows[] = {
      {"C:\\w\\img\\a.bmp", "C__w_img_a.bmp", "a.bmp"},
      {"\\\\srv\\share\\p.jpg", "__srv_share_p.jpg", "p.jpg"},
      {"a/b.bmp", "a_b.bmp", "b.bmp"},
      {"C:\\" + Hex("95 5C") + "\\a.bmp", "C__" + Hex("95 5C") + "_a.bmp", "a.bmp"},
      {Hex("83 5C 94 5C") + "\\x", Hex("83 5C 94 5C") + "_x", "x"},
      {"\\\\?\\C:\\w\\a.bmp", "____C__w_a.bmp", "a.bmp"},
      {"C:\\w\\a?b*c|d<e>f\"g" + Hex("01 1F") + ".bmp", "C__w_a_b_c_d_e_f_g__.bmp", "a_b_c_d_e_f_g__.bmp"},
      {"C:\\" + Hex("83 7C") + "|.bmp", "C__" + Hex("83 7C") + "_.bmp", Hex("83 7C") + "_.bmp"},  // ポ: trail byte "|"
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MakeImageFileName(true, r.path, out_.Path()), r.name) << r.path;
    EXPECT_EQ(MakeImageFileName(false, r.path, out_.Path()), r.plain) << r.path;
  }
}

TEST_F(Relocation, AnImageInTheDestinationIsReferencedWhereItLies) {
  const std::string a = Image("img\\a.bmp", "a");
  const std::string folder = source_ / "img\\";
  for (bool plain : {true, false}) {
    copied_.clear();
    jww::TJwwData d;
    d.Texts = {Text("^@BMimg\\a.bmp,1"), Text("^@BM" + source_.Path() + "IMG\\A.bmp,2")};
    RelocationCounters c;
    RelocateImages(d, drawing_, folder, {false, !plain}, copied_, c);
    EXPECT_EQ(c.ImageTextCount, 2);
    EXPECT_EQ(d.Texts[0].Text.bytes, "^@BMa.bmp,1");
    EXPECT_EQ(d.Texts[1].Text.bytes, "^@BMa.bmp,2");
  }
  // no copy and no new name, in either naming mode
  EXPECT_EQ(platform::ListFolder(folder), std::vector<std::string>{"a.bmp"});
  EXPECT_EQ(GetFileStamp(a).time, 0x5A8B6C00u);
}

TEST_F(Relocation, AnImageInTheDestinationIsNamedByItsRealName) {
  const std::string image = Image("img\\Long picture name.bmp", "a");
  const std::string folder = source_ / "img\\";
  std::vector<std::string> spellings = {"IMG\\LONG PICTURE NAME.BMP"};
#ifdef _WIN32
  // the 8.3 short name, which another volume will not have
  std::wstring wide(MAX_PATH, L'\0');
  wide.resize(GetShortPathNameW(platform::ToWide(image).c_str(), wide.data(), MAX_PATH));
  std::string shortPath;
  ASSERT_TRUE(platform::FromWide(wide, shortPath));
  ASSERT_NE(text::ExtractFileName(shortPath), "Long picture name.bmp");
  spellings.push_back(shortPath);
#endif
  for (const std::string& spelling : spellings) {
    for (bool plain : {true, false}) {
      copied_.clear();
      jww::TJwwData d;
      d.Texts = {Text("^@BM" + spelling + ",1")};
      RelocationCounters c;
      RelocateImages(d, drawing_, folder, {false, !plain}, copied_, c);
      EXPECT_EQ(d.Texts[0].Text.bytes, "^@BMLong picture name.bmp,1") << spelling;
    }
  }
  EXPECT_EQ(platform::ListFolder(folder), std::vector<std::string>{"Long picture name.bmp"});
}

// What already lies in the destination under the image's name decides the name it gets.
TEST_F(Relocation, AFileInTheDestinationIsTheImageOnlyWhenStampAndBytesAreEqual) {
  struct Row {
    const char* what;
    std::string bytes;       // of the file already there
    std::uint32_t dosTime;   // its time
    bool reused;
  };
  const Row rows[] = {
      {"stamp and bytes equal", "12345", 0x5A8B6C00, true},
      {"stamp equal, bytes not", "54321", 0x5A8B6C00, false},
      {"bytes equal, time not", "12345", 0x5A8B6C02, false},
      {"size differs", "1234", 0x5A8B6C00, false},
  };
  const std::string image = Image("img\\a.bmp", "12345", 0x5A8B6C00);
  for (bool plain : {true, false}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.what) + (plain ? ", plain names" : ", path names"));
      copied_.clear();
      testsupport::TempFolder out;
      const std::string name = MakeImageFileName(!plain, image, out.Path());
      testsupport::WriteFileText(out / name, row.bytes);
      platform::SetFileDosTime(out / name, row.dosTime);
      jww::TJwwData d;
      d.Texts = {Text("^@BMimg\\a.bmp,1")};
      RelocationCounters c;
      RelocateImages(d, drawing_, out.Path(), {false, !plain}, copied_, c);
      const std::string ext = ".bmp";
      const std::string expected = row.reused ? name : name.substr(0, name.size() - ext.size()) + "~1" + ext;
      EXPECT_EQ(d.Texts[0].Text.bytes, "^@BM" + expected + ",1");
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / expected)), "12345");
      // nothing in the destination is overwritten
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / name)), row.bytes);
      EXPECT_EQ(platform::ListFolder(out.Path()).size(), row.reused ? 1u : 2u);
    }
  }
}

TEST_F(Relocation, PathsThatFlattenAlikeGetCopiesOfTheirOwn) {
  Image("img\\a_b.bmp", "underscore");
  Image("img\\a\\b.bmp", "subfolder");
  jww::TJwwData d;
  d.Texts = {Text("^@BMimg\\a_b.bmp,1"), Text("^@BMimg\\a\\b.bmp,2")};
  Run(d, false);
  const std::string flat = MakeImageFileName(true, source_ / "img\\a_b.bmp", source_.Path());
  const std::string stem = flat.substr(0, flat.size() - 4);
  EXPECT_EQ(d.Texts[0].Text.bytes, "^@BM" + flat + ",1");
  EXPECT_EQ(d.Texts[1].Text.bytes, "^@BM" + stem + "~1.bmp,2");
  EXPECT_EQ(Out(flat), "underscore");
  EXPECT_EQ(Out(stem + "~1.bmp"), "subfolder");
}

TEST_F(Relocation, AnImageEditedBetweenTwoRunsIsCopiedAgain) {
  for (bool plain : {true, false}) {
    SCOPED_TRACE(plain ? "plain names" : "path names");
    testsupport::TempFolder out;
    std::vector<std::string> texts;
    for (const char* bytes : {"before", "after!"}) {
      Image("img\\photo.jpg", bytes, std::string(bytes) == "before" ? 0x5A8B6C00 : 0x5A8B6D00);
      copied_.clear();
      jww::TJwwData d;
      d.Texts = {Text("^@BMimg\\photo.jpg,1")};
      RelocationCounters c;
      RelocateImages(d, drawing_, out.Path(), {false, !plain}, copied_, c);
      texts.push_back(d.Texts[0].Text.bytes.substr(4, d.Texts[0].Text.bytes.size() - 6));
    }
    ASSERT_NE(texts[0], texts[1]);
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / texts[0])), "before");
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / texts[1])), "after!");
  }
}

TEST_F(Relocation, ImagesDatedOutsideWhatAStampHoldsAreCopiedOnce) {
  // 1975-06-01 and 2120-06-01, both outside 1980-2107
  const std::string old = Image("img\\old.bmp", "old");
  const std::string future = Image("img\\future.bmp", "future");
  testsupport::SetModificationTime(old, 170812800);
  testsupport::SetModificationTime(future, 4746643200);
  EXPECT_EQ(GetFileStamp(old).time, 0x00210000u);  // 1980-01-01 00:00:00
  EXPECT_EQ(GetFileStamp(future).time >> 25, 127u);
  for (bool plain : {true, false}) {
    testsupport::TempFolder out;
    for (int run = 0; run < 3; ++run) {
      for (int drawing = 0; drawing < 2; ++drawing) {
        copied_.clear();
        jww::TJwwData d;
        d.Texts = {Text("^@BMimg\\old.bmp,1"), Text("^@BMimg\\future.bmp,2")};
        RelocationCounters c;
        RelocateImages(d, drawing_, out.Path(), {false, !plain}, copied_, c);
        EXPECT_EQ(c.FailedCopyCount, 0);
      }
    }
    EXPECT_EQ(platform::ListFolder(out.Path()).size(), 2u) << (plain ? "plain names" : "path names");
  }
}
