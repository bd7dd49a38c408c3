// What a conversion leaves in the destination: a drawing under any name the system
// allows, never an image under the drawing's own name, and nothing from a drawing that
// failed.
#include <gtest/gtest.h>

#include "FaultInjection.h"
#include "FormFixture.h"
#include "fixture/GzipStream.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace apptest {
namespace {

class TForm1Destination : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.RadioButton6.SetChecked(true);  // plain names
    Folder("img");
    for (const char* name : {"a", "b", "c", "d", "e"}) {
      testsupport::WriteFileText(root / ("img\\" + std::string(name) + ".bmp"), std::string("BM image ") + name);
    }
  }
  // Converts one drawing into a folder in an image mode (7 copy, 9 separate) as the window
  // does; returns the result line.
  std::string Convert(const std::string& source, const std::string& folder, int imageMode) {
    form.RadioButton4.SetChecked(true);
    form.Edit1.Text = folder;
    (imageMode == 7 ? form.RadioButton7 : form.RadioButton9).SetChecked(true);
    Drop({source});
    return form.ListBox1.Items.size() == 3 ? form.ListBox1.Items[2] : "";
  }
};

TEST_F(TForm1Destination, ADrawingNameOfTheLongestLengthConverts) {
  // 83 times 表 and "xy.jww": 255 bytes in UTF-8, the most a name may have there
  std::string name;
  for (int i = 0; i < 83; ++i) name += kTable;
  name += "xy.jww";
  const std::string out = Folder("out");
  const std::string work = Folder("work");
  const struct {
    const char* what;
    std::string source, destination;
  } rows[] = {{"to a folder", root / name, out + name}, {"in place", work + name, work + name}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(fixture::WriteDrawing(row.source, DrawingWithTexts({Reference(root / "img\\a.bmp")})));
    std::string result;
    EXPECT_TRUE(form.ConvertFile(row.source, row.destination, result));
    EXPECT_EQ(result, OkText(1, 1, 0, 0, 0));
    EXPECT_EQ(TextsOf(row.destination), std::vector<std::string>{Reference("a.bmp")});
    EXPECT_EQ(SortedList(text::ExtractFilePath(row.destination)), (std::vector<std::string>{"a.bmp", name}));
  }
}

TEST_F(TForm1Destination, NoImageTakesTheNameTheDrawingIsSavedUnder) {
  testsupport::WriteFileText(root / "img\\plan.jww", "BM image named like the drawing");
  const struct {
    const char* what;
    int button;          // image mode
    std::string text;    // the reference in the drawing
    std::string placed;  // the name its image gets beside the drawing
    std::string image;   // the bytes it must have there
  } rows[] = {
      {"copied", 7, Reference("img\\plan.jww"), "plan~1.jww", "BM image named like the drawing"},
      {"copied, other case", 7, Reference("IMG\\PLAN.JWW"), "PLAN~1.JWW", "BM image named like the drawing"},
      {"separated", 9, "^@BM%temp%plan.jww,100,75,0,0,1,0", "plan~1.jww", "STORED"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string out = root / ("out-" + std::to_string(&row - rows) + "\\");
    platform::MakeFolder(out);
    fixture::Drawing d = DrawingWithTexts({row.text});
    fixture::EmbeddedImage image;
    image.Name = "plan.jww.gz";
    image.bytes = fixture::GzipStream("STORED");
    d.images.push_back(image);
    EXPECT_EQ(Convert(Write("plan.jww", d), out, row.button), kResultMark + OkText(1, 1, 0, 0, 0));
    EXPECT_EQ(TextsOf(out + "plan.jww"), std::vector<std::string>{"^@BM" + row.placed + ",100,75,0,0,1,0"});
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + row.placed)), row.image);
  }
}

TEST_F(TForm1Destination, AFailedDrawingTakesBackTheFilesItPlaced) {
  using platform::FileOp;
  const struct {
    const char* what;
    int button;  // image mode
    FileOp op;   // the operation that fails
    int failAt;
  } rows[] = {
      {"the second of three copies", 7, FileOp::Create, 2},
      {"the save, after three copies", 7, FileOp::Rename, 1},
      {"the save, after an image separated", 9, FileOp::Rename, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string out = root / ("out-" + std::to_string(&row - rows) + "\\");
    platform::MakeFolder(out);
    // there before the run: a file of its own and a copy equal to image d
    testsupport::WriteFileText(out + "keep.bmp", "not an image of these drawings");
    ASSERT_EQ(Convert(Write("d.jww", DrawingWithTexts({Reference("img\\d.bmp")})), out, row.button),
              kResultMark + OkText(1, 1, 0, 0, 0));
    platform::RemoveFile(out + "d.jww");
    // an earlier drawing of the batch names a.bmp
    ASSERT_EQ(Convert(Write("first.jww", DrawingWithTexts({Reference("img\\a.bmp")})), out, row.button),
              kResultMark + OkText(1, 1, 0, 0, 0));
    // copy mode: b, c and e are copied (a and d are there already), then the drawing saved
    fixture::Drawing second = DrawingWithTexts({Reference("img\\a.bmp"), Reference("img\\b.bmp"),
                                                Reference("img\\c.bmp"), Reference("img\\d.bmp"),
                                                Reference("img\\e.bmp"), "^@BM%temp%s.bmp,1,1"});
    if (row.button == 9) {
      fixture::EmbeddedImage image;
      image.Name = "s.bmp.gz";
      image.bytes = fixture::GzipStream("STORED");
      second.images.push_back(image);
    }
    const std::string source = Write("second.jww", second);
    {
      testsupport::FaultPlan plan({row.op}, row.failAt);
      EXPECT_EQ(Convert(source, out, row.button), kResultMark + kFailed);
      EXPECT_TRUE(plan.Fired());
    }
    EXPECT_EQ(SortedList(out), (std::vector<std::string>{"a.bmp", "d.bmp", "first.jww", "keep.bmp"}));
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "a.bmp")), "BM image a");
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "d.bmp")), "BM image d");
  }
}

}  // namespace
}  // namespace apptest
