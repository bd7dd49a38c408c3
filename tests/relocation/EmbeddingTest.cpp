// Images packed into a drawing and separated out again: names, gzip streams of every
// standard shape, names shortened for long placement values, and each kind of stored
// entry written out.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "fixture/GzipStream.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/Gzip.h"
#include "relocation/ImageEmbedding.h"
#include "relocation/ImageRelocation.h"
#include "text/ShiftJis.h"

using namespace relocation;

namespace {

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

const std::string kShashin = "\x8E\xCA\x90\x5E";  // 写真
const std::string kHyou = "\x95\x5C";             // 表, second byte 0x5C

TEST(ImageEmbedding, NamesAnImageAfterItsPath) {
  const struct {
    std::string path, name;
  } rows[] = {
      {"C:\\img\\photo.bmp", "C__img_photo_bmp.bmp"},
      {"C:\\img\\" + kShashin + ".bmp", "C__img_" + kShashin + "_bmp.bmp"},
      {"C:\\" + kHyou + "\\a.jpg", "C__" + kHyou + "_a_jpg.jpg"},
      {"\\\\srv\\share/p.v2.png", "__srv_share_p_v2_png.png"},
      {"C:\\img\\readme", "C__img_readme"},
      {"C:\\a.d\\readme", "C__a_d_readme"},
      {"\\\\?\\C:\\a?b\"c.b|p", "____C__a_b_c_b_p.b_p"},
  };
  for (const auto& row : rows) EXPECT_EQ(EmbeddedImageName(row.path), row.name) << row.path;
}

std::vector<unsigned char> Concat(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Gzip, UnpacksEveryStandardStreamAndRefusesTheRest) {
  std::string photo(20000, '\0');
  for (std::size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<char>(i * i % 253);
  std::vector<unsigned char> damaged = fixture::GzipStream(photo);
  damaged[damaged.size() / 2] ^= 0x55;
  std::vector<unsigned char> cut = fixture::GzipStream(photo);
  cut.resize(cut.size() - 3);
  const struct {
    const char* shown;
    std::vector<unsigned char> stream;
    UnpackResult result;
    std::string unpacked;
    std::uint64_t limit = kMaxImageBytes;
  } rows[] = {
      {"default level", fixture::GzipStream(photo), UnpackResult::Whole, photo},
      {"level 1 with name and comment", fixture::GzipStream(photo, 1, "photo.bmp"), UnpackResult::Whole, photo},
      {"level 0 (stored)", fixture::GzipStream(photo, 0), UnpackResult::Whole, photo},
      {"two members", Concat(fixture::GzipStream("first "), fixture::GzipStream("second", 9)), UnpackResult::Whole,
       "first second"},
      {"padding after the member", Concat(fixture::GzipStream("x"), {0, 0, 0, 0}), UnpackResult::Whole, "x"},
      {"empty member", fixture::GzipStream(""), UnpackResult::Whole, ""},
      {"damaged", damaged, UnpackResult::Corrupt, ""},
      {"cut short", cut, UnpackResult::Corrupt, ""},
      {"not gzip", {'B', 'M', 1, 2, 3}, UnpackResult::Corrupt, ""},
      {"nothing", {}, UnpackResult::Corrupt, ""},
      {"up to the limit", fixture::GzipStream(photo), UnpackResult::Whole, photo, photo.size()},
      {"past the limit", fixture::GzipStream(photo), UnpackResult::TooLarge, "", photo.size() - 1},
  };
  for (const auto& row : rows) {
    // whole, and a byte at a time (the magic split over two pieces)
    for (std::size_t piece : {row.stream.size() + 1, std::size_t{1}}) {
      SCOPED_TRACE(std::string(row.shown) + (piece == 1 ? " (bytewise)" : ""));
      Unpacker unpacker(row.limit);
      std::string out;
      const Unpacker::Sink sink = [&out](const unsigned char* data, std::size_t size) {
        out.append(reinterpret_cast<const char*>(data), size);
        return true;
      };
      for (std::size_t at = 0; at < row.stream.size(); at += piece) {
        unpacker.Feed(row.stream.data() + at, std::min(piece, row.stream.size() - at), sink);
      }
      EXPECT_EQ(unpacker.Finish(), row.result);
      if (row.result == UnpackResult::Whole) {
        EXPECT_EQ(out, row.unpacked);
      }
      EXPECT_LE(out.size(), row.limit);
    }
  }
}

TEST(Gzip, PacksAFileIntoAStreamThatUnpacksToIt) {
  testsupport::TempFolder folder;
  std::string bytes(300000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 5);
  testsupport::WriteFileText(folder / "a.bmp", bytes);
  std::uint64_t packed = 0;
  ASSERT_EQ(GzipFile(folder / "a.bmp", folder / "a.bmp.gz", packed), PackResult::Packed);
  const std::vector<unsigned char> stream = testsupport::ReadFileBytes(folder / "a.bmp.gz");
  EXPECT_EQ(packed, stream.size());
  EXPECT_TRUE(HasGzipMagic(stream.data(), stream.size()));
  std::string out;
  EXPECT_EQ(UnpackFile(folder / "a.bmp.gz", true,
                       [&out](const unsigned char* data, std::size_t size) {
                         out.append(reinterpret_cast<const char*>(data), size);
                         return true;
                       }),
            UnpackResult::Whole);
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(GzipFile(folder / "gone.bmp", folder / "gone.bmp.gz", packed), PackResult::Unreadable);
  EXPECT_FALSE(platform::FileExists(folder / "gone.bmp.gz"));
}

// A drawing loaded from bytes into a scratch folder of its own, and a destination.
class StoredImages : public ::testing::Test {
 protected:
  void Load(const fixture::Drawing& d) {
    drawing.Images.SetTempFolder(scratch.Path());
    const std::vector<unsigned char> bytes = fixture::BuildDrawing(d);
    ASSERT_TRUE(drawing.LoadFromMemory(bytes.data(), bytes.size()));
  }
  RelocationCounters Run(ImageMode mode) {
    RelocationCounters c;
    RelocateImages(drawing, source / "plan.jww", out.Path(), {false, false, mode}, copied, c);
    return c;
  }

  testsupport::TempFolder scratch;
  testsupport::TempFolder source;
  testsupport::TempFolder out;
  jww::TJwwData drawing;
  CopiedImageTable copied;
};

fixture::TextEntity TextOf(const std::string& s) {
  fixture::TextEntity t;
  t.Text = s;
  return t;
}

TEST_F(StoredImages, NamesGiveWaySoThatPlacementValuesAreNeverCutOrTheDrawingFails) {
  // two images whose paths differ only in their first characters
  const std::string folder = std::string(150, 'f') + "\\";
  for (const char* top : {"x\\", "y\\"}) {
    platform::MakeFolder(source / top);
    platform::MakeFolder(source / (top + folder));
    testsupport::WriteFileText(source / (top + folder + "photo.bmp"), top);
  }
  // from 245 bytes on, "^@BM%temp%" and the placement values leave no room for a name:
  // such a text fails the drawing rather than name an image it does not carry
  const std::size_t tails[] = {1, 100, 235, 238, 245, 300};
  fixture::Drawing d;
  for (std::size_t tail : tails) {
    for (const char* top : {"x\\", "y\\"}) d.entities.push_back(TextOf("^@BM" + (top + folder) + "photo.bmp," + std::string(tail - 1, '9')));
  }
  Load(d);
  const RelocationCounters c = Run(ImageMode::Embed);
  std::set<std::string> names;
  for (std::size_t i = 0; i < drawing.Texts.size(); ++i) {
    const std::string& s = drawing.Texts[i].Text.bytes;
    const std::size_t tail = tails[i / 2];
    SCOPED_TRACE("tail of " + std::to_string(tail) + " bytes");
    if (tail >= 245) {
      EXPECT_EQ(s.substr(0, 4) + s.substr(s.size() - tail), std::string("^@BM,").append(tail - 1, '9'));
      EXPECT_EQ(s.find("%temp%"), std::string::npos);
      continue;
    }
    EXPECT_LE(s.size(), 255u);
    ASSERT_EQ(s.compare(0, 10, "^@BM%temp%"), 0) << s;
    EXPECT_EQ(s.substr(s.size() - tail), std::string(",").append(tail - 1, '9'));
    const std::string name = s.substr(10, s.size() - 10 - tail);
    EXPECT_TRUE(name.ends_with(".bmp")) << name;
    const std::int32_t entry = drawing.FindEmbeddedImage(drawing.Texts[i].Text);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(drawing.Images.EmbeddedImages()[static_cast<std::size_t>(entry)].Name.bytes, name + ".gz");
    // the texts of the two images name two entries, shortened alike or not
    names.insert(name);
  }
  EXPECT_EQ(c.FailedCopyCount, 4);  // the texts that leave no room for a name
  EXPECT_EQ(copied.size(), 2u);     // two images, however many names they needed
  EXPECT_EQ(names.size(), drawing.Images.EmbeddedImages().size());
  EXPECT_TRUE(platform::ListFolder(out.Path()).empty());
}

TEST_F(StoredImages, ANewEntryTakesNoNameAnEntryOfEitherFormBeginsWith) {
  // a text names the first entry that begins with its name, whatever the forms of both
  testsupport::WriteFileText(source / "a.bmp", "A");
  testsupport::WriteFileText(testsupport::Units(source.Path()) + u"😀.bmp", "FACE");
  const std::string plain = text::UpperCase(EmbeddedImageName(source / "a.bmp"));
  const std::u16string face = EmbeddedImageName(testsupport::Units(source.Path()) + u"😀.bmp");
  const auto units = [](const std::u16string& s) { return fixture::Str(jww::BytesOf(s), jww::StringForm::Utf16); };
  const struct {
    const char* shown;
    fixture::Str entry;  // already in the drawing
    fixture::Str text;
  } rows[] = {
      {"Shift-JIS entry", fixture::Str(plain + "~x.gz", jww::StringForm::Ansi), "^@BMa.bmp,1"},
      {"UTF-16 entry", units(testsupport::Units(plain) + u"😀.gz"), "^@BMa.bmp,1"},
      {"UTF-16 entry, UTF-16 path", units(face + u"x.gz"), units(u"^@BM😀.bmp,1")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    fixture::Drawing d;
    fixture::EmbeddedImage image;
    image.Name = row.entry;
    image.bytes = {'O', 'L', 'D'};
    d.images.push_back(image);
    fixture::TextEntity t;
    t.Text = row.text;
    d.entities.push_back(t);
    drawing.Clear();
    copied.clear();
    Load(d);
    EXPECT_EQ(Run(ImageMode::Embed).ImageTextCount, 1);
    ASSERT_EQ(drawing.Images.EmbeddedImages().size(), 2u);
    EXPECT_EQ(drawing.FindEmbeddedImage(drawing.Texts[0].Text), 1);
    drawing.DeleteExtractedFiles();
  }
}

TEST_F(StoredImages, EachKindOfEntryIsSeparatedOrStays) {
  const std::vector<unsigned char> gz = fixture::GzipStream("GZIP IMAGE", 9, "x.bmp");
  const std::string gzText(gz.begin(), gz.end());
  testsupport::WriteFileText(out / "same.bmp", "SAME");
  testsupport::WriteFileText(out / "other.bmp", "A DIFFERENT IMAGE");
  const struct {
    std::string entry;
    std::string stored;
    std::string file;      // "" when the entry stays embedded
    std::string contents;  // the file's bytes
  } rows[] = {
      {"a.bmp.gz", gzText, "a.bmp", "GZIP IMAGE"},
      {"b.BMP.GZ", "RAW BYTES", "b.BMP", "RAW BYTES"},   // a ".gz" name without the magic: as it is
      {"c.bmp", gzText, "c.bmp", gzText},                // gzip bytes under another name: as they are
      {"same.bmp.gz", "SAME", "same.bmp", "SAME"},       // an equal file there is reused
      {"other.bmp.gz", "OTHER", "other~1.bmp", "OTHER"}, // a different one is not
      {"empty.bmp.gz", "", "empty.bmp", ""},
      {"NUL.bmp.gz", "DEVICE", "", ""},
      {"..gz", "DOTS", "", ""},
  };
  fixture::Drawing d;
  for (const auto& row : rows) {
    fixture::EmbeddedImage image;
    image.Name = row.entry;
    image.bytes.assign(row.stored.begin(), row.stored.end());
    d.images.push_back(image);
    std::string name = row.entry;
    if (text::UpperCase(name).ends_with(".GZ")) name.resize(name.size() - 3);
    d.entities.push_back(TextOf("^@BM%temp%" + name + ",1,2,0"));
  }
  fixture::BlockDef def;
  def.entities.push_back(TextOf("^@BM%temp%a.bmp,3,4"));  // a second text for one entry
  d.blockDefs.push_back(def);
  Load(d);
  const RelocationCounters c = Run(ImageMode::Separate);
  EXPECT_EQ(c.FailedCopyCount, 0);
  EXPECT_EQ(c.ImageTextCount, 6);
  EXPECT_EQ(c.BlockImageTextCount, 1);
  EXPECT_EQ(copied.size(), 6u);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& row = rows[i];
    SCOPED_TRACE(row.entry);
    const std::string& s = drawing.Texts[i].Text.bytes;
    if (row.file.empty()) {
      EXPECT_EQ(s.compare(0, 10, "^@BM%temp%"), 0) << s;
      continue;
    }
    EXPECT_EQ(s, "^@BM" + row.file + ",1,2,0");
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / row.file)), row.contents);
  }
  EXPECT_EQ(drawing.BlockDefs[0].Texts[0].Text.bytes, "^@BMa.bmp,3,4");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out / "other.bmp")), "A DIFFERENT IMAGE");
}

}  // namespace
