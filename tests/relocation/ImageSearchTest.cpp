// Finding missing images near a moved drawing and among the files of named folders.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Platform.h"
#include "relocation/ImageSearch.h"
#include "text/ShiftJis.h"

using relocation::ImageSearch;
using relocation::SearchOutcome;
using testsupport::Hex;

namespace {

// 保管, A邸, B邸, 写真, 図面, 案件 in Shift-JIS
const std::string kStore = Hex("95 DB 8A C7");
const std::string kHouseA = "A" + Hex("92 40");
const std::string kHouseB = "B" + Hex("92 40");
const std::string kPhotos = Hex("8E CA 90 5E");
const std::string kPlans = Hex("90 7D 96 CA");
const std::string kProject = Hex("88 C4 8C 8F");

void Put(const std::string& path, const std::string& bytes) { testsupport::WriteFileMakingFolders(path, bytes); }

// A project folder that has moved: the drawing now lies in ROOT\保管\A邸\図面\.
TEST(ImageSearch, TheNearRuleTakesTheLongestTailThenTheNearestFolder) {
  const testsupport::TempFolder root;
  const std::string store = root / (kStore + "\\");
  const std::string houseA = store + kHouseA + "\\";
  const std::string drawing = houseA + kPlans + "\\plan.jww";
  Put(drawing, "drawing");
  Put(houseA + kPhotos + "\\p1.jpg", "A");
  Put(store + kHouseB + "\\" + kPhotos + "\\p1.jpg", "B");
  Put(houseA + kPlans + "\\" + kPhotos + "\\p1.jpg", "nearer, shorter tail");
  Put(houseA + kPhotos + "\\p2.jpg", "A2");
  Put(houseA + "p3.jpg", "not beside the drawing");
  Put(houseA + kPlans + "\\p4.jpg", "beside the drawing");

  struct Row {
    std::string reference;
    std::string expected;  // "" when nothing is to be found
  };
  const Row rows[] = {
      {"C:\\old\\" + kHouseA + "\\" + kPhotos + "\\p1.jpg", houseA + kPhotos + "\\p1.jpg"},
      {"C:\\" + kProject + "\\" + kStore + "\\" + kHouseA + "\\" + kPhotos + "\\p1.jpg", houseA + kPhotos + "\\p1.jpg"},
      {"C:\\old\\" + kPhotos + "\\p2.jpg", houseA + kPhotos + "\\p2.jpg"},
      {"C:\\OLD\\a" + Hex("92 40") + "\\" + kPhotos + "\\P2.JPG", houseA + kPhotos + "\\p2.jpg"},
      {"..\\" + kPhotos + "\\p2.jpg", houseA + kPhotos + "\\p2.jpg"},
      {"C:\\x\\p3.jpg", ""},
      {"C:\\x\\p4.jpg", houseA + kPlans + "\\p4.jpg"},
      {"\\\\server\\share\\p4.jpg", houseA + kPlans + "\\p4.jpg"},
      {"C:\\x\\NUL", ""},
      {"C:\\x\\p9.jpg", ""},
  };
  const ImageSearch search({true, {}});
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::ToUtf8(row.reference));
    const SearchOutcome outcome = search.Find(row.reference, drawing);
    if (row.expected.empty()) {
      EXPECT_EQ(outcome.What, SearchOutcome::Kind::NotFound);
    } else {
      ASSERT_EQ(outcome.What, SearchOutcome::Kind::Found);
      EXPECT_TRUE(platform::SameFile(outcome.Path, row.expected)) << platform::ToUtf8(outcome.Path);
    }
  }
  // without the rule nothing is looked for near the drawing
  EXPECT_EQ(ImageSearch().Find(rows[0].reference, drawing).What, SearchOutcome::Kind::NotFound);

  // a reference held as UTF-16 units finds a file whose name has no Shift-JIS form
  const std::u16string photo = testsupport::Units(houseA + kPhotos + "\\") + u"caf\u00e9.jpg";
  testsupport::WriteFileText(photo, "U");
  const SearchOutcome units = search.Find(u"C:\\old\\A\u90b8\\\u5199\u771f\\caf\u00e9.jpg", drawing);
  ASSERT_EQ(units.What, SearchOutcome::Kind::Found);
  EXPECT_TRUE(units.Path.empty());
  EXPECT_EQ(units.Units, photo);
}

TEST(ImageSearch, ByNameTheNearestFolderWinsAndDifferentFilesEquallyNearAreATie) {
  const testsupport::TempFolder root;
  const std::string s = root.Path();
  const std::string files[][2] = {
      {kHouseA + "\\" + kPhotos + "\\p1.jpg", "A"},
      {kHouseB + "\\p1.jpg", "B"},
      {"x\\same.jpg", "one image"},
      {"y\\Same.JPG", "one image"},
      {"x\\t.jpg", "first"},
      {"y\\t.jpg", "second"},
      {"z\\t.jpg", "first"},
  };
  ImageSearch search({false, {s}});
  for (const auto& [path, bytes] : files) {
    Put(s + path, bytes);
    search.AddFile(s + path);
  }
  ASSERT_EQ(search.FileCount(), std::size(files));

  struct Row {
    std::string reference;
    SearchOutcome::Kind kind;
    std::string expected;      // Found: the file used
    std::size_t tied = 0;      // Tie: how many files
  };
  const Row rows[] = {
      {"C:\\" + kProject + "\\" + kHouseA + "\\" + kPhotos + "\\p1.jpg", SearchOutcome::Kind::Found, files[0][0]},
      {"C:\\" + kProject + "\\" + kHouseB + "\\p1.jpg", SearchOutcome::Kind::Found, files[1][0]},
      {"C:\\elsewhere\\p1.jpg", SearchOutcome::Kind::Tie, "", 2},
      {"C:\\elsewhere\\SAME.jpg", SearchOutcome::Kind::Found, files[2][0]},
      {"C:\\elsewhere\\t.jpg", SearchOutcome::Kind::Tie, "", 3},
      {"C:\\old\\Y\\t.jpg", SearchOutcome::Kind::Found, files[5][0]},
      {"img\\nowhere.jpg", SearchOutcome::Kind::NotFound, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::ToUtf8(row.reference));
    const SearchOutcome outcome = search.Find(row.reference, root / "drawing\\plan.jww");
    ASSERT_EQ(outcome.What, row.kind);
    if (row.kind == SearchOutcome::Kind::Found) {
      EXPECT_EQ(outcome.Path, s + row.expected);
    } else if (row.kind == SearchOutcome::Kind::Tie) {
      EXPECT_EQ(outcome.Candidates.size(), row.tied);
    }
  }
}

}  // namespace
