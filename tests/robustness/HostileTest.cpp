// Hostile drawings converted end to end: each gives a clean failure or a sound
// conversion, and nothing is created or deleted outside the destination and the scratch
// folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "FakeShell.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "fixture/DrawingBuilder.h"
#include "fixture/Hostile.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using relocation::ImageMode;

// 　…… 変換ＯＫ(  and  　…… 変換失敗
const std::string kOk = "\x81\x40\x81\x63\x81\x63 \x95\xCF\x8A\xB7\x82\x6E\x82\x6A(";
const std::string kFailed = "\x81\x40\x81\x63\x81\x63 \x95\xCF\x8A\xB7\x8E\xB8\x94\x73";

// Every file and folder under a folder, as paths relative to it.
void Walk(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
  for (const std::string& name : platform::ListFolder(folder)) {
    out.insert(prefix + name);
    if (platform::FolderExists(folder + name + "\\")) Walk(folder + name + "\\", prefix + name + "\\", out);
  }
}

std::set<std::string> Tree(const std::string& folder, const std::set<std::string>& skip) {
  std::set<std::string> all, kept;
  Walk(folder, "", all);
  for (const std::string& path : all) {
    bool inside = false;
    for (const std::string& s : skip) inside |= path.compare(0, s.size(), s) == 0;
    if (!inside) kept.insert(path);
  }
  return kept;
}

class Hostile : public ::testing::Test {
 protected:
  Hostile() {
    for (const char* folder : {"prog\\", "a\\", "a\\b\\", "dest\\", "outside\\"}) platform::MakeFolder(root / folder);
    testsupport::WriteFileText(root / "outside\\keep.txt", "untouched");
  }
  // Converts the drawing into dest\ in one naming and image mode; returns the result line.
  std::string Convert(const std::string& drawing, bool pathNames, ImageMode mode = ImageMode::Copy) {
    testsupport::FakeShell shell;
    app::TForm1 form(shell, root / "prog\\Quorvane.exe");
    form.FormShow({});
    form.RadioButton4.SetChecked(true);
    form.Edit1.Text = root / "dest\\";
    (pathNames ? form.RadioButton5 : form.RadioButton6).SetChecked(true);
    (mode == ImageMode::Embed ? form.RadioButton8 : mode == ImageMode::Separate ? form.RadioButton9 : form.RadioButton7)
        .SetChecked(true);
    form.WMDropFiles({drawing});
    form.CloseWithoutSavingSettings();
    return form.ListBox1.Items.size() == 3 ? form.ListBox1.Items[2] : "";
  }

  testsupport::TempFolder root;
};

// The bytes of every image a drawing stores, one after the other.
std::vector<unsigned char> StoredBytes(const std::vector<unsigned char>& drawing) {
  std::vector<unsigned char> stored;
  jww::TJwwData d;
  d.OnImageBytes = [&stored](std::size_t, const unsigned char* data, std::size_t size) {
    stored.insert(stored.end(), data, data + size);
  };
  EXPECT_TRUE(d.LoadFromMemory(drawing.data(), drawing.size()));
  return stored;
}

TEST_F(Hostile, EveryDrawingFailsCleanlyOrConvertsInsideItsFolders) {
  const std::set<std::string> skip = {"dest\\", "dest", "prog\\"};
  const struct {
    bool pathNames;
    ImageMode mode;
    const char* shown;
  } modes[] = {{false, ImageMode::Copy, " (plain names)"},
               {true, ImageMode::Copy, " (path names)"},
               {false, ImageMode::Embed, " (embed)"},
               {false, ImageMode::Separate, " (separate)"}};
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    for (const auto& [pathNames, mode, shown] : modes) {
      SCOPED_TRACE(c.name + shown);
      for (const std::string& name : platform::ListFolder(root / "dest\\")) platform::RemoveFile(root / ("dest\\" + name));
      const std::string drawing = root / ("a\\b\\" + c.name + ".jww");
      testsupport::WriteFileBytes(drawing, c.bytes);
      if (!c.imageBeside.empty()) testsupport::WriteFileText(root / ("a\\b\\" + c.imageBeside), "image");
      const std::set<std::string> before = Tree(root.Path(), skip);

      const std::string result = Convert(drawing, pathNames, mode);
      EXPECT_TRUE(result.compare(0, kOk.size(), kOk) == 0 || result == kFailed) << result;
      // a stored image that does not unpack fails only its separation, and is kept as
      // it was by the other modes
      if (c.name.starts_with("gzip-")) {
        EXPECT_EQ(result == kFailed, mode == ImageMode::Separate) << result;
        if (mode != ImageMode::Separate) {
          EXPECT_EQ(StoredBytes(testsupport::ReadFileBytes(root / ("dest\\" + c.name + ".jww"))),
                    StoredBytes(c.bytes));
        }
      }
      EXPECT_EQ(Tree(root.Path(), skip), before);
      EXPECT_EQ(testsupport::ReadFileBytes(drawing), c.bytes);
      for (const std::string& name : platform::ListFolder(root / "dest\\")) {
        EXPECT_TRUE(platform::FileExists(root / ("dest\\" + name))) << name;
      }
      if (result == kFailed) {
        EXPECT_FALSE(platform::FileExists(root / ("dest\\" + c.name + ".jww")));
      }
      EXPECT_TRUE(platform::ListFolder(root / "prog\\").empty());  // the scratch folder went at the close
    }
  }
}

TEST(HostileLoad, EachFailureSaysWhyAndWhere) {
  // the reason a load gives, and the bytes found at its offset ("" for the end of the file)
  const struct {
    const char* name;
    const char* reason;
    const char* at;
  } rows[] = {
      {"entity-count-ffffffff", "entity count 4294967295 cannot fit in the ", "FF FF FF FF FF FF"},
      {"block-count-ffffffff", "block definition count 4294967295 cannot fit in the ", "FF FF FF FF FF FF"},
      {"image-count-huge", "embedded image count 2147483647 cannot fit in the ", "FF FF FF 7F"},
      {"image-size-past-end", "size of embedded image 1 2147483632 cannot fit in the ", "F0 FF FF 7F"},
      {"image-size-negative", "embedded image 1 has a negative size", "FB FF FF FF"},
      {"cut-inside-a-string", "string length 308 cannot fit in the ", "FF 34 01 5E 40 42 4D"},
      {"class-name-60000", "class name of 60000 bytes is too long", "FF FF"},
      {"version-219", "version 219 is older than 220", "DB 00 00 00"},
      {"header-only", "the file ends inside the entity list", ""},
      {"cut-inside-block-definitions", "the file ends inside the block definitions", ""},
      {"noise-after-2000", "string length 1410 cannot fit in the ", "FF 82 05"},
  };
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    SCOPED_TRACE(c.name);
    jww::TJwwData d;
    const bool loaded = d.LoadFromMemory(c.bytes.data(), c.bytes.size());
    const jww::LoadResult& result = d.LastLoadResult();
    EXPECT_EQ(result.ok, loaded);
    const auto row = std::find_if(std::begin(rows), std::end(rows), [&c](const auto& r) { return c.name == r.name; });
    if (row == std::end(rows)) {
      EXPECT_TRUE(loaded) << result.reason;
      EXPECT_EQ(result.reason, "");
      continue;
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(result.reason.substr(0, std::string(row->reason).size()), row->reason);
    const std::string at = testsupport::Hex(row->at);
    ASSERT_LE(result.offset, c.bytes.size());
    if (at.empty()) {
      EXPECT_EQ(result.offset, c.bytes.size());
    } else {
      EXPECT_EQ(std::string(c.bytes.begin() + static_cast<std::ptrdiff_t>(result.offset), c.bytes.end()).substr(0, at.size()),
                at);
    }
  }
}

#ifndef _WIN32
std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(Hostile, DanglingLinksInTheDestinationAreNeverFollowed) {
  const std::string folder = root / "a\\b\\";
  testsupport::WriteFileText(folder + "a.bmp", "image");
  fixture::Drawing d;
  fixture::TextEntity reference;
  reference.Text = "^@BMa.bmp,1,1";
  d.entities.push_back(reference);
  const std::string drawing = folder + "plan.jww";
  ASSERT_TRUE(fixture::WriteDrawing(drawing, d));
  auto native = [](std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  };
  ASSERT_EQ(symlink(native(root / "outside\\plan.jww").c_str(), native(root / "dest\\plan.jww").c_str()), 0);
  ASSERT_EQ(symlink(native(root / "outside\\a.bmp").c_str(), native(root / "dest\\a.bmp").c_str()), 0);

  const std::string result = Convert(drawing, false);
  EXPECT_EQ(result.compare(0, kOk.size(), kOk), 0) << result;
  EXPECT_EQ(platform::ListFolder(root / "outside\\"), std::vector<std::string>{"keep.txt"});
  // the drawing's link stood for nothing and is replaced; the image's name is taken, so
  // its copy gets the next one
  struct stat st;
  ASSERT_EQ(lstat(native(root / "dest\\plan.jww").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  ASSERT_EQ(lstat(native(root / "dest\\a.bmp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "dest\\a~1.bmp")), "image");
}
#endif

}  // namespace
