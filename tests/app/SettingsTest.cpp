// The settings file: sixteen lines by position, defaults, radio groups read line by line,
// short and long files, and writes that fail.
#include <gtest/gtest.h>

#include <algorithm>

#include "FaultInjection.h"
#include "FormFixture.h"
#include "platform/Platform.h"


namespace apptest {
namespace {

using app::TForm1Probe;

struct Choices {
  bool rb1, rb2, rb3, rb4, rb5, rb6;
  bool operator==(const Choices&) const = default;
};

Choices ChoicesOf(const app::TForm1& f) {
  return {f.RadioButton1.Checked(), f.RadioButton2.Checked(), f.RadioButton3.Checked(),
          f.RadioButton4.Checked(), f.RadioButton5.Checked(), f.RadioButton6.Checked()};
}

class TForm1Settings : public FormTest {
 protected:
  void Load(const std::string& content) {
    testsupport::WriteFileText(SettingsFile(), content);
    form.LoadSettings(SettingsFile());
  }
};

TEST_F(TForm1Settings, MissingFileAppliesTheDefaultsButNotThePosition) {
  form.Left = 5;
  form.Top = 6;
  form.RadioButton3.SetChecked(true);
  form.RadioButton6.SetChecked(true);
  form.Edit1.Text = "typed folder";
  form.Label1.Caption = "last folder";
  form.CheckBox1.Checked = true;
  form.RadioButton9.SetChecked(true);
  form.LoadSettings(SettingsFile());
  EXPECT_EQ(ChoicesOf(form), (Choices{true, false, false, false, true, false}));
  EXPECT_TRUE(form.RadioButton7.Checked());
  EXPECT_EQ(form.Left, 5);
  EXPECT_EQ(form.Top, 6);
  EXPECT_EQ(form.Edit1.Text, "");
  EXPECT_EQ(form.Label1.Caption, "");
  EXPECT_FALSE(form.CheckBox1.Checked);
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(form), 1);
}

TEST_F(TForm1Settings, EveryValueComesBackByteForByte) {
  // folders ending in characters whose second byte is 0x5C: 表, ソ, 能
  const std::string folder = root.Path() + "\x95\x5C\\\x83\x5C\x94\x5C\\";
  form.Left = -8;
  form.Top = 4000;
  form.RadioButton4.SetChecked(true);
  form.Edit1.Text = folder;
  form.Label1.Caption = "C:\\\x90\x7D\x96\xCA\\";  // C:\図面\ .
  form.CheckBox1.Checked = true;
  form.RadioButton6.SetChecked(true);
  form.RadioButton9.SetChecked(true);
  form.CheckBox4.Checked = true;
  form.CheckBox2.Checked = true;
  form.Edit2.Text = folder + "lib";
  form.SaveSettings(SettingsFile());
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())),
            "-8\r\n4000\r\n0\r\n0\r\n0\r\n1\r\n" + folder + "\r\nC:\\\x90\x7D\x96\xCA\\\r\n0\r\n1\r\n0\r\n1\r\n2\r\n" +
                "1\r\n0\r\n" + folder + "lib\r\n1\r\n");

  testsupport::FakeShell otherShell;
  app::TForm1 other(otherShell, root / "Quorvane.exe");
  other.LoadSettings(SettingsFile());
  EXPECT_EQ(ChoicesOf(other), ChoicesOf(form));
  EXPECT_EQ(other.Left, -8);
  EXPECT_EQ(other.Top, 4000);
  EXPECT_EQ(other.Edit1.Text, folder);
  EXPECT_EQ(other.Label1.Caption, form.Label1.Caption);
  EXPECT_TRUE(other.CheckBox1.Checked);
  EXPECT_TRUE(other.RadioButton9.Checked());
  EXPECT_TRUE(other.CheckBox4.Checked);
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(other), 0);
  EXPECT_TRUE(other.CheckBox2.Checked);
  EXPECT_FALSE(other.CheckBox3.Checked);
  EXPECT_EQ(other.Edit2.Text, folder + "lib");
}

TEST_F(TForm1Settings, LinesFourteenToSixteenChooseTheSearch) {
  const std::string thirteenLines = "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n1\r\n";
  const struct {
    std::string more;  // after line 13
    bool near, inFolder;
    std::string folder;
  } rows[] = {
      {"", false, false, ""},  // a file from before the search: nothing is searched
      {"1\r\n1\r\nD:\\lib\\\r\n", true, true, "D:\\lib\\"},
      {"0\r\n1\r\nD:\\lib\r\n", false, true, "D:\\lib"},
      {"1\r\n", true, false, ""},
      // a file from a later version: the lines after those known are left alone
      {"1\r\n0\r\nD:\\lib\r\n1\r\nmore\r\n", true, false, "D:\\lib"},
  };
  for (const auto& row : rows) {
    form.CheckBox2.Checked = !row.near;
    form.CheckBox3.Checked = !row.inFolder;
    form.Edit2.Text = "typed";
    Load(thirteenLines + row.more);
    EXPECT_EQ(form.CheckBox2.Checked, row.near) << row.more;
    EXPECT_EQ(form.CheckBox3.Checked, row.inFolder) << row.more;
    EXPECT_EQ(form.Edit2.Text, row.folder) << row.more;
    EXPECT_TRUE(form.RadioButton8.Checked()) << row.more;  // line 13 as before
  }
}

TEST_F(TForm1Settings, RadioLinesAreAppliedInTheirOrder) {
  const struct {
    std::string line3, line4, line5, line6, line11, line12;
    Choices expected;
  } rows[] = {
      {"1", "0", "1", "0", "1", "0", {false, false, true, false, true, false}},  // the later line wins
      {"0", "0", "0", "0", "1", "0", {false, false, false, false, true, false}},
      {"1", "1", "1", "1", "1", "1", {false, false, false, true, false, true}},
      {"0", "1", "0", "0", "0", "0", {false, true, false, false, false, false}},
      {"true", "0", "0", "0", "TRUE", "0", {true, false, false, false, true, false}},
      {"tRuE", "0", "0", "0", "T", "0", {true, false, false, false, true, false}},
      {" ON ", "0", "0", "0", "on", "0", {true, false, false, false, true, false}},
      {"\x81\x40\x81\x9B", "0", "0", "0", "0", "\x82\x50", {true, false, false, false, false, true}},  // ○, １
      {"yes", "0", "0", "0", "0", "no", {false, false, false, false, false, false}},
  };
  for (const auto& row : rows) {
    Load("1\r\n2\r\n" + row.line3 + "\r\n" + row.line4 + "\r\n" + row.line5 + "\r\n" + row.line6 +
         "\r\n\r\n\r\n1\r\n0\r\n" + row.line11 + "\r\n" + row.line12 + "\r\n");
    EXPECT_EQ(ChoicesOf(form), row.expected) << row.line3 << " " << row.line5 << " " << row.line11;
  }
}

TEST_F(TForm1Settings, ThirteenthLineChoosesWhatBecomesOfTheImages) {
  const std::string twelveLines = "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n";
  using Button = app::RadioButton app::TForm1::*;
  const struct {
    std::string line13;
    Button chosen;
  } rows[] = {
      {"", &app::TForm1::RadioButton7},  // a file of twelve lines, from before the choice
      {"0\r\n", &app::TForm1::RadioButton7},
      {"1\r\n", &app::TForm1::RadioButton8},
      {"2", &app::TForm1::RadioButton9},
      {"3\r\n", &app::TForm1::RadioButton7},
      {" 1\r\n", &app::TForm1::RadioButton7},
      {"on\r\n", &app::TForm1::RadioButton7},
  };
  for (const auto& row : rows) {
    form.RadioButton9.SetChecked(true);
    Load(twelveLines + row.line13);
    EXPECT_TRUE((form.*row.chosen).Checked()) << row.line13;
    EXPECT_EQ(form.RadioButton7.Checked() + form.RadioButton8.Checked() + form.RadioButton9.Checked(), 1);
    EXPECT_EQ(ChoicesOf(form), (Choices{true, false, false, false, true, false})) << row.line13;
  }
}

TEST_F(TForm1Settings, Label7SaysWhatTheChosenImageModeDoes) {
  using Button = app::RadioButton app::TForm1::*;
  const struct {
    Button chosen;
    std::string caption;
  } rows[] = {
      // 画像を図面に同梱します（※見つからない画像を除く）
      {&app::TForm1::RadioButton8,
       "\x89\xE6\x91\x9C\x82\xF0\x90\x7D\x96\xCA\x82\xC9\x93\xAF\x8D\xAB\x82\xB5\x82\xDC\x82\xB7\x81\x69\x81\xA6\x8C"
       "\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x89\xE6\x91\x9C\x82\xF0\x8F\x9C\x82\xAD\x81\x6A"},
      // 同梱画像を図面と同じフォルダに書き出します（※他の画像はコピー）
      {&app::TForm1::RadioButton9,
       "\x93\xAF\x8D\xAB\x89\xE6\x91\x9C\x82\xF0\x90\x7D\x96\xCA\x82\xC6\x93\xAF\x82\xB6\x83\x74\x83\x48\x83\x8B\x83"
       "\x5F\x82\xC9\x8F\x91\x82\xAB\x8F\x6F\x82\xB5\x82\xDC\x82\xB7\x81\x69\x81\xA6\x91\xBC\x82\xCC\x89\xE6\x91\x9C"
       "\x82\xCD\x83\x52\x83\x73\x81\x5B\x81\x6A"},
      // 画像を相対パスにしてコピーします（※同梱済画像を除く）
      {&app::TForm1::RadioButton7,
       "\x89\xE6\x91\x9C\x82\xF0\x91\x8A\x91\xCE\x83\x70\x83\x58\x82\xC9\x82\xB5\x82\xC4\x83\x52\x83\x73\x81\x5B\x82"
       "\xB5\x82\xDC\x82\xB7\x81\x69\x81\xA6\x93\xAF\x8D\xAB\x8D\xCF\x89\xE6\x91\x9C\x82\xF0\x8F\x9C\x82\xAD\x81\x6A"},
  };
  for (const auto& row : rows) {
    (form.*row.chosen).SetChecked(true);
    EXPECT_EQ(form.Label7.Caption, row.caption);
  }
  // as the settings file chooses
  Load("192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n2\r\n");
  EXPECT_EQ(form.Label7.Caption, rows[1].caption);
}

TEST_F(TForm1Settings, ShortOrEmptyFileReadsTheMissingLinesAsEmpty) {
  Load("");
  EXPECT_EQ(form.Left, 0);
  EXPECT_EQ(form.Top, 0);
  EXPECT_EQ(ChoicesOf(form), (Choices{false, false, false, false, false, false}));
  EXPECT_FALSE(form.CheckBox1.Checked);
  EXPECT_EQ(TForm1Probe::OpenFilterIndex(form), 0);

  // a file of an older version, without the check mode's line, leaves it off
  form.CheckBox4.Checked = true;
  Load("192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n2\r\n");
  EXPECT_FALSE(form.CheckBox4.Checked);

  Load("10\r\n20\r\n1");  // the last line needs no line break
  EXPECT_EQ(form.Left, 10);
  EXPECT_EQ(form.Top, 20);
  EXPECT_EQ(ChoicesOf(form), (Choices{true, false, false, false, false, false}));

  Load("7\n8\n0\n1\nnot a number\n");  // bare line feeds end lines too
  EXPECT_EQ(form.Left, 7);
  EXPECT_EQ(ChoicesOf(form), (Choices{false, true, false, false, false, false}));
  EXPECT_EQ(form.Edit1.Text, "");
}

TEST_F(TForm1Settings, WriteThatCannotBeMadeLeavesNothing) {
  form.SaveSettings(root / "missing\\Quorvane.dat");
  EXPECT_FALSE(platform::FolderExists(root / "missing\\"));

  const std::string inTheWay = Folder("Quorvane.dat");
  form.SaveSettings(SettingsFile());
  EXPECT_TRUE(platform::FolderExists(inTheWay));
  EXPECT_TRUE(platform::ListFolder(inTheWay).empty());
}

TEST_F(TForm1Settings, AWriteThatFailsLeavesThePreviousFileWhole) {
  using platform::FaultAction;
  using platform::FileOp;
  const std::initializer_list<FileOp> writing = {FileOp::Create, FileOp::Write, FileOp::Flush, FileOp::Close,
                                                 FileOp::Rename};
  std::vector<FileOp> seen;
  {
    testsupport::FaultPlan counting(writing, 0);
    form.SaveSettings(SettingsFile());
    seen = counting.Seen();
  }
  // the new file is complete, and on the disk, before it takes the old one's place
  const auto move = std::find(seen.begin(), seen.end(), FileOp::Rename);
  ASSERT_NE(move, seen.end());
  EXPECT_EQ(std::vector<FileOp>(seen.begin(), seen.begin() + 4),
            (std::vector<FileOp>{FileOp::Create, FileOp::Write, FileOp::Flush, FileOp::Close}));
  auto expectOldFileAfter = [this](std::initializer_list<FileOp> ops, int n, FaultAction action) {
    testsupport::WriteFileText(SettingsFile(), "an older settings file\r\n");
    {
      testsupport::FaultPlan plan(ops, n, action);
      form.SaveSettings(SettingsFile());
      EXPECT_TRUE(plan.Fired());
    }
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())), "an older settings file\r\n") << "operation " << n;
    for (const std::string& name : platform::ListFolder(root.Path())) {
      EXPECT_EQ(name.find(".qvtmp"), std::string::npos) << "operation " << n;  // no temporary file is left
    }
  };
  // any failure up to the move (after it, the new file is whole either way)
  const int upToTheMove = static_cast<int>(move - seen.begin()) + 1;
  for (int n = 1; n <= upToTheMove; ++n) expectOldFileAfter(writing, n, FaultAction::Fail);
  expectOldFileAfter({FileOp::Write}, 1, FaultAction::Short);
}

}  // namespace
}  // namespace apptest
