// The batch with the search on: a project tree moved to another root, images found near
// the drawings and in a named folder, a tie left missing, and the lines that tell of it.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "jww/JwwString.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace apptest {
namespace {

// A邸, B邸, 写真, 図面 in Shift-JIS
const std::string kHouseA = "A\x92\x40";
const std::string kHouseB = "B\x92\x40";
const std::string kPhotos = "\x8E\xCA\x90\x5E";
const std::string kPlans = "\x90\x7D\x96\xCA";
// 　　検索で発見: , 　　候補が複数: , " 件)", " 検索で発見 "
const std::string kFoundLine = "\x81\x40\x81\x40\x8C\x9F\x8D\xF5\x82\xC5\x94\xAD\x8C\xA9: ";
const std::string kTieLine = "\x81\x40\x81\x40\x8C\xF3\x95\xE2\x82\xAA\x95\xA1\x90\x94: ";
const std::string kCount = " \x8C\x8F)";
const std::string kTotalFound = " \x8C\x9F\x8D\xF5\x82\xC5\x94\xAD\x8C\xA9 ";
#ifdef _WIN32
constexpr bool kTabAllowed = false;
#else
constexpr bool kTabAllowed = true;
#endif

void Put(const std::string& path, const std::string& bytes) { testsupport::WriteFileMakingFolders(path, bytes); }

class SearchBatch : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.RadioButton6.SetChecked(true);  // plain names
    // the project as it lies now, under NEW; its drawings were made under C:\old
    const std::string project = root / "NEW\\";
    Put(project + kHouseA + "\\" + kPhotos + "\\p1.jpg", "A's photo");
    Put(project + kHouseB + "\\" + kPhotos + "\\p1.jpg", "B's photo");
    Put(lib + "x\\" + kHouseA + "\\p2.jpg", "near");
    Put(lib + "y\\p2.jpg", "far");
    Put(lib + "t1\\p3.jpg", "one");
    Put(lib + "t2\\p3.jpg", "two");
    Put(lib + "d1\\p4.jpg", "same");
    Put(lib + "d2\\p4.jpg", "same");
    const std::string old = "C:\\old\\";
    Put(root / "NEW\\" + kHouseA + "\\" + kPlans + "\\a.jww", "");
    Put(root / "NEW\\" + kHouseB + "\\" + kPlans + "\\b.jww", "");
    Write("NEW\\" + kHouseA + "\\" + kPlans + "\\a.jww",
          DrawingWithTexts({Reference(old + kHouseA + "\\" + kPhotos + "\\p1.jpg"),
                            Reference("C:\\OLD\\a\x92\x40\\P2.JPG"),  // by name, in another case
                            Reference(old + kHouseA + "\\" + kPhotos + "\\p3.jpg"),
                            Reference(old + "p4.jpg"), Reference(old + "gone.jpg")}));
    Write("NEW\\" + kHouseB + "\\" + kPlans + "\\b.jww",
          DrawingWithTexts({Reference(old + kHouseB + "\\" + kPhotos + "\\p1.jpg")}));
    ToFolder(out);
  }
  void ToFolder(const std::string& folder) {
    form.RadioButton4.SetChecked(true);
    form.Edit1.Text = folder;
  }
  std::string lib = root / "lib\\";
  std::string out = Folder("out");
};

TEST_F(SearchBatch, AMovedProjectFindsItsImagesNearItsDrawingsAndInTheNamedFolder) {
  const std::string project = root / "NEW\\";
  const std::string plansA = project + kHouseA + "\\" + kPlans + "\\";
  const std::string plansB = project + kHouseB + "\\" + kPlans + "\\";
  const std::string outA = out + "NEW\\" + kHouseA + "\\" + kPlans + "\\";
  const std::string outB = out + "NEW\\" + kHouseB + "\\" + kPlans + "\\";
  form.CheckBox2.Checked = true;
  form.CheckBox3.Checked = true;
  form.Edit2.Text = root / "lib";
  // stored inside the drawings first, then copied beside them, found alike
  for (app::RadioButton* mode : {&form.RadioButton8, &form.RadioButton7}) {
    SCOPED_TRACE(mode == &form.RadioButton8 ? "embedded" : "copied");
    mode->SetChecked(true);
    Drop({project});
    const std::vector<std::string> expected = {
        plansA + "a.jww",
        kArrow + outA + "a.jww",
        kResultMark + OkText(3, 3, 0, 2, 0),
        // the near rule takes A's own photo folder, not B's; the named folder's nearer
        // p2.jpg wins; identical p4.jpg files are one; different p3.jpg files tie
        kFoundLine + "C:\\old\\" + kHouseA + "\\" + kPhotos + "\\p1.jpg " + kArrow + project + kHouseA + "\\" +
            kPhotos + "\\p1.jpg",
        kFoundLine + "C:\\OLD\\a\x92\x40\\P2.JPG " + kArrow + lib + "x\\" + kHouseA + "\\p2.jpg",
        kTieLine + "C:\\old\\" + kHouseA + "\\" + kPhotos + "\\p3.jpg (2" + kCount,
        kFoundLine + "C:\\old\\p4.jpg " + kArrow + lib + "d1\\p4.jpg",
        plansB + "b.jww",
        kArrow + outB + "b.jww",
        kResultMark + OkText(1, 1, 0, 0, 0),
        kFoundLine + "C:\\old\\" + kHouseB + "\\" + kPhotos + "\\p1.jpg " + kArrow + project + kHouseB + "\\" +
            kPhotos + "\\p1.jpg",
        Totals(2, 0, 4, 2) + kTotalFound + "4",
    };
    EXPECT_EQ(form.ListBox1.Items, expected);
  }
  // copied: every reference names an image beside its drawing, or is one counted missing
  int missing = 0;
  for (const std::string& folder : {outA, outB}) {
    for (const std::string& t : TextsOf(folder + (folder == outA ? "a.jww" : "b.jww"))) {
      const std::string name = t.substr(4, t.find(',') - 4);
      if (name.find('\\') == std::string::npos) {
        EXPECT_TRUE(platform::FileExists(folder + name)) << name;
      } else {
        ++missing;
      }
    }
  }
  EXPECT_EQ(missing, 2);
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(outA + "p1.jpg")), "A's photo");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(outA + "p2.jpg")), "near");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(outB + "p1.jpg")), "B's photo");
}

TEST_F(SearchBatch, WithoutTheSearchTheBatchIsAsBefore) {
  // the folder field alone searches nothing; the near box off looks nowhere
  form.Edit2.Text = root / "lib";
  Drop({root / "NEW\\" + kHouseB + "\\" + kPlans + "\\b.jww", root / "NEW\\" + kHouseA + "\\" + kPlans + "\\a.jww"});
  ASSERT_EQ(form.ListBox1.Items.size(), 7u);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(0, 0, 0, 1, 0));
  EXPECT_EQ(form.ListBox1.Items[6], Totals(2, 0, 0, 6));
}

TEST_F(SearchBatch, AFolderNamedThroughALinkIsSearchedButNoLinkInsideIt) {
  Put(root / "elsewhere\\p1.jpg", "behind a link");
  // relative targets, which a link made under Wine can take too
  ASSERT_TRUE(testsupport::MakeLink("lib", root / "named", true));
  ASSERT_TRUE(testsupport::MakeLink("..\\elsewhere", lib + "inner", true));
  form.CheckBox3.Checked = true;
  form.Edit2.Text = root / "named";
  Drop({root / "NEW\\" + kHouseA + "\\" + kPlans + "\\a.jww"});
  // p1.jpg lies only behind the link inside: it stays missing and has no line
  ASSERT_EQ(form.ListBox1.Items.size(), 6u);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(2, 2, 0, 3, 0));
  EXPECT_EQ(form.ListBox1.Items[3],
            kFoundLine + "C:\\OLD\\a\x92\x40\\P2.JPG " + kArrow + root / "named\\x\\" + kHouseA + "\\p2.jpg");
}

TEST_F(SearchBatch, APathIsShownAsTheLogShowsOne) {
  // "é" has no Shift-JIS form: the text is held as UTF-16 units
  fixture::Drawing d = DrawingWithTexts({Reference("C:\\old\\p5.jpg")});
  fixture::TextEntity units;
  units.Text = fixture::Str(jww::BytesOf(u"^@BMC:\\old\\caf\u00e9\\p3.jpg,100,75,0,0,1,0"), jww::StringForm::Utf16);
  d.entities.push_back(units);
  d.stringForm = jww::StringForm::Unicode;
  // a tab in a folder's name, which only POSIX allows
  const std::string shownFolder = kTabAllowed ? "t<U+0009>b\\" : "t\\";
  const std::string tabbed = lib + (kTabAllowed ? "t\tb\\" : "t\\");
  Put(tabbed + "p5.jpg", "p5");
  form.CheckBox3.Checked = true;
  form.Edit2.Text = lib;
  Drop({Write("shown.jww", d)});
  EXPECT_EQ(std::vector<std::string>(form.ListBox1.Items.begin() + 3, form.ListBox1.Items.end()),
            (std::vector<std::string>{
                kFoundLine + "C:\\old\\p5.jpg " + kArrow + lib + shownFolder + "p5.jpg",
                kTieLine + "C:\\old\\caf<U+00E9>\\p3.jpg (2" + kCount}));
}

TEST_F(SearchBatch, AMissingSearchFolderStopsTheBatchWithAMessage) {
  for (const std::string& folder : {root / "nowhere", std::string()}) {
    form.CheckBox3.Checked = true;
    form.Edit2.Text = folder;
    shell.messages.clear();
    Drop({root / "NEW\\" + kHouseB + "\\" + kPlans + "\\b.jww"});
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, kFolderNotFound + (folder.empty() ? "" : "\r\n" + folder + "\\"));
    EXPECT_TRUE(form.ListBox1.Items.empty());
  }
}

}  // namespace
}  // namespace apptest
