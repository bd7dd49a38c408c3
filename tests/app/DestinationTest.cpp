// What a conversion leaves in the destination: a drawing under any name the system
// allows.
#include <gtest/gtest.h>

#include "FormFixture.h"
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

}  // namespace
}  // namespace apptest
