// The batch: where the drawings go, the log with its result texts, Escape, and drawings
// that cannot be read or written.
#include <gtest/gtest.h>

#include <iostream>

#include <algorithm>

#include "FaultInjection.h"
#include "FormFixture.h"
#include "platform/Platform.h"

namespace apptest {
namespace {

using app::LogLine;
using app::TForm1Probe;

class TForm1Batch : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.RadioButton6.SetChecked(true);  // plain names, so that references can be read back
    Folder("img");
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    testsupport::WriteFileText(root / "img\\b.bmp", "BM image b");
  }
  void ToFolder(const std::string& folder) {
    form.RadioButton4.SetChecked(true);
    form.Edit1.Text = folder;
  }
};

TEST_F(TForm1Batch, EmptyQueueDoesNothing) {
  form.ListBox1.Items = {"earlier line"};
  form.RunBatch();
  EXPECT_EQ(form.ListBox1.Items, std::vector<std::string>{"earlier line"});
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
  EXPECT_EQ(shell.escapeQueries, 0);
  EXPECT_TRUE(shell.folderQueries.empty());
}

TEST_F(TForm1Batch, ResultTextCountsReferencesFilesAndMissingImages) {
  const std::string a = root / "img\\a.bmp";
  const struct {
    const char* name;
    std::vector<std::string> texts;
    std::vector<std::string> blockTexts;
    std::string result;
  } rows[] = {
      {"none.jww", {"just a note"}, {}, OkText(0, 0, 0, 0, 0)},
      // relative, absolute to another file, and the first again inside a block
      {"three.jww", {Reference("img\\a.bmp"), Reference(root / "img\\b.bmp")}, {Reference(a)}, OkText(2, 2, 1, 0, 0)},
      {"missing.jww",
       {Reference("img\\gone.bmp"), Reference("img\\a.bmp")},
       {Reference("img\\gone.bmp"), Reference("img\\gone2.bmp")},
       OkText(1, 1, 0, 1, 2)},
      // stored inside the drawing: not an image file to place
      {"embedded.jww", {"^@BM%temp%x.bmp,1,1"}, {}, OkText(0, 0, 0, 0, 0)},
  };
  const std::string out = Folder("out");
  ToFolder(out);
  for (const auto& row : rows) {
    const std::string source = Write(row.name, DrawingWithTexts(row.texts, row.blockTexts));
    Drop({source});
    ASSERT_EQ(form.ListBox1.Items.size(), 3u) << row.name;
    EXPECT_EQ(form.ListBox1.Items[0], source);
    EXPECT_EQ(form.ListBox1.Items[1], kArrow + out + row.name);
    EXPECT_EQ(form.ListBox1.Items[2], kResultMark + row.result) << row.name;
  }
  EXPECT_EQ(TextsOf(out + "three.jww"), (std::vector<std::string>{Reference("a.bmp"), Reference("b.bmp"),
                                                                    Reference("a.bmp")}));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "a.bmp")), "BM image a");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "b.bmp")), "BM image b");
  // a missing image keeps its reference unless the option is on
  const std::vector<std::string> missing = TextsOf(out + "missing.jww");
  ASSERT_FALSE(missing.empty());
  EXPECT_EQ(missing[0], Reference("img\\gone.bmp"));
}

TEST_F(TForm1Batch, MissingImagesAreSwitchedOffWhenChosen) {
  const std::string out = Folder("out");
  ToFolder(out);
  form.CheckBox1.Checked = true;
  Drop({Write("plan.jww", DrawingWithTexts({Reference("img\\gone.bmp")}, {Reference("img\\gone.bmp")}))});
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(0, 0, 0, 1, 1));
  // switched off with the path as last tried: the drawing's folder in front
  for (const std::string& t : TextsOf(out + "plan.jww")) {
    EXPECT_EQ(t, "_@BM" + root.Path() + "img\\gone.bmp,100,75,0,0,1,0");
  }
}

TEST_F(TForm1Batch, ImageSharedByTwoDrawingsCountsInEach) {
  const std::string out = Folder("out");
  ToFolder(out);
  const std::string first = Write("first.jww", DrawingWithTexts({Reference("img\\a.bmp")}));
  const std::string second = Write("second.jww", DrawingWithTexts({Reference("img\\a.bmp")}));
  std::vector<LogLine::Kind> kinds;
  int filesDone = 0;
  form.OnLogLine = [&kinds](const LogLine& line) { kinds.push_back(line.LineKind); };
  form.OnFileDone = [&filesDone] { ++filesDone; };
  Drop({first, second});
  ASSERT_EQ(form.ListBox1.Items.size(), 7u);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(1, 1, 0, 0, 0));
  EXPECT_EQ(form.ListBox1.Items[5], kResultMark + OkText(1, 1, 0, 0, 0));
  EXPECT_EQ(form.ListBox1.Items[6], Totals(2, 0, 2, 0));
  EXPECT_EQ(SortedList(out), (std::vector<std::string>{"a.bmp", "first.jww", "second.jww"}));
  using K = LogLine::Kind;
  EXPECT_EQ(kinds, (std::vector<K>{K::Source, K::Destination, K::Result, K::Source, K::Destination, K::Result,
                                    K::Summary}));
  EXPECT_EQ(filesDone, 2);
}

TEST_F(TForm1Batch, PathNamesFlattenTheWholePath) {
  const std::string out = Folder("out");
  ToFolder(out);
  form.RadioButton5.SetChecked(true);
  Drop({Write("plan.jww", DrawingWithTexts({Reference("img\\a.bmp")}))});
  const std::vector<std::string> texts = TextsOf(out + "plan.jww");
  ASSERT_EQ(texts.size(), 1u);
  const std::string name = texts[0].substr(4, texts[0].find(',') - 4);
  EXPECT_NE(name, "a.bmp");
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_TRUE(platform::FileExists(out + name)) << name;
}

TEST_F(TForm1Batch, TypedFolderGetsOneBackslash) {
  const std::string table = Folder("out" + kTable);  // ends in the second byte 0x5C
  const std::string plan = Write("plan.jww", DrawingWithTexts({Reference("img\\a.bmp")}));
  for (const std::string& typed : {table.substr(0, table.size() - 1), table}) {
    ToFolder(typed);
    Drop({plan});
    ASSERT_EQ(form.ListBox1.Items.size(), 3u);
    EXPECT_EQ(form.ListBox1.Items[1], kArrow + table + "plan.jww");
    EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(1, 1, 0, 0, 0));
  }
  EXPECT_EQ(SortedList(table), (std::vector<std::string>{"a.bmp", "plan.jww"}));
}

TEST_F(TForm1Batch, EmptyFolderFieldIsAMissingFolder) {
  // an unreadable drawing, so that nothing would be written into the root folder
  testsupport::WriteFileText(root / "bad.jww", "not a drawing");
  ToFolder("");
  Drop({root / "bad.jww"});
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, kFolderNotFound);
  EXPECT_TRUE(form.ListBox1.Items.empty());
}

TEST_F(TForm1Batch, NoDestinationButtonTakesTheTypedFolder) {
  const std::string out = Folder("out");
  form.RadioButton1.SetChecked(false);
  form.Edit1.Text = out;
  Drop({Write("plan.jww", DrawingWithTexts({}))});
  EXPECT_EQ(form.ListBox1.Items[1], kArrow + out + "plan.jww");
  EXPECT_TRUE(platform::FileExists(out + "plan.jww"));
}

TEST_F(TForm1Batch, MissingTypedFolderStopsBeforeAnything) {
  const std::string plan = Write("plan.jww", DrawingWithTexts({}));
  form.ListBox1.Items = {"earlier line"};
  ToFolder(root / "missing");
  Drop({plan});
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Quorvane");
  EXPECT_EQ(shell.messages[0].text, kFolderNotFound + "\r\n" + root / "missing\\");
  EXPECT_EQ(form.ListBox1.Items, std::vector<std::string>{"earlier line"});
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
  EXPECT_EQ(shell.escapeQueries, 0);
  EXPECT_EQ(TForm1Probe::Queue(form), std::vector<std::string>{plan});  // the queue stays
}

TEST_F(TForm1Batch, DesktopAndDocumentsFolders) {
  const std::string plan = Write("plan.jww", DrawingWithTexts({Reference("img\\a.bmp")}));
  form.RadioButton1.SetChecked(true);
  Drop({plan});
  EXPECT_EQ(form.ListBox1.Items[1], kArrow + desktop + "plan.jww");
  form.RadioButton2.SetChecked(true);
  Drop({plan});
  EXPECT_EQ(form.ListBox1.Items[1], kArrow + documents + "plan.jww");
  EXPECT_EQ(shell.folderQueries,
            (std::vector<platform::SpecialFolderId>{platform::SpecialFolderId::Desktop,
                                                     platform::SpecialFolderId::Documents}));
  EXPECT_EQ(SortedList(desktop), (std::vector<std::string>{"a.bmp", "plan.jww"}));
  EXPECT_EQ(SortedList(documents), (std::vector<std::string>{"a.bmp", "plan.jww"}));

  // a special folder the shell cannot find is reported, never taken for the root folder
  shell.specialFolders.erase(platform::SpecialFolderId::Documents);
  form.ListBox1.Items.clear();
  Drop({plan});
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, kFolderNotFound + "\r\n" + form.RadioButton2.Caption);
  EXPECT_TRUE(form.ListBox1.Items.empty());
}

TEST_F(TForm1Batch, EscapeStopsBetweenFiles) {
  const std::string out = Folder("out");
  ToFolder(out);
  const std::string first = Write("first.jww", DrawingWithTexts({}));
  const std::string second = Write("second.jww", DrawingWithTexts({}));

  shell.escape = {true};
  Drop({first, second});
  EXPECT_EQ(form.ListBox1.Items, (std::vector<std::string>{kEscapeLine, Totals(0, 0, 0, 0)}));
  EXPECT_EQ(form.PageControl1.ActivePageIndex, 1);
  EXPECT_TRUE(platform::ListFolder(out).empty());

  shell.escape = {false, true};
  shell.escapeQueries = 0;
  Drop({first, second});
  ASSERT_EQ(form.ListBox1.Items.size(), 5u);
  EXPECT_EQ(form.ListBox1.Items[3], kEscapeLine);
  EXPECT_EQ(form.ListBox1.Items[4], Totals(1, 0, 0, 0));
  EXPECT_EQ(SortedList(out), std::vector<std::string>{"first.jww"});
}

TEST_F(TForm1Batch, SameFolderModeRewritesTheSourceInPlace) {
  const std::string work = Folder("work");
  testsupport::WriteFileText(work + "c.bmp", "BM image c");
  const std::string source = root / "work\\plan.jww";
  ASSERT_TRUE(fixture::WriteDrawing(source, DrawingWithTexts({Reference(root / "img\\a.bmp"), Reference("c.bmp")})));
  form.RadioButton3.SetChecked(true);
  Drop({source});
  ASSERT_EQ(form.ListBox1.Items.size(), 3u);
  EXPECT_EQ(form.ListBox1.Items[1], kArrow + source);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + OkText(2, 2, 0, 0, 0));
  EXPECT_EQ(TextsOf(source), (std::vector<std::string>{Reference("a.bmp"), Reference("c.bmp")}));
  EXPECT_EQ(SortedList(work), (std::vector<std::string>{"a.bmp", "c.bmp", "plan.jww"}));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(work + "c.bmp")), "BM image c");  // already in place
  EXPECT_TRUE(shell.folderQueries.empty());
}

TEST_F(TForm1Batch, SameFolderModeSurvivesAnyFailingFileOperation) {
  using platform::FileOp;
  const std::initializer_list<FileOp> ops = {FileOp::Open,  FileOp::Create, FileOp::Read,   FileOp::Write,
                                             FileOp::Flush, FileOp::Close,  FileOp::Rename, FileOp::Delete};
  const std::string work = Folder("work");
  const std::string source = work + "plan.jww";
  ASSERT_TRUE(fixture::WriteDrawing(source, DrawingWithTexts({Reference(root / "img\\a.bmp")})));
  const std::vector<unsigned char> original = testsupport::ReadFileBytes(source);
  std::string result;
  int count = 0;
  {
    testsupport::FaultPlan counting(ops, 0);
    ASSERT_TRUE(form.ConvertFile(source, source, result));
    count = counting.Count();
  }
  ASSERT_GE(count, 5);
  int failures = 0;
  for (int n = 1; n <= count; ++n) {
    testsupport::WriteFileBytes(source, original);
    platform::RemoveFile(work + "a.bmp");
    bool converted;
    {
      testsupport::FaultPlan plan(ops, n);
      converted = form.ConvertFile(source, source, result);
    }
    SCOPED_TRACE("operation " + std::to_string(n));
    if (converted) {
      // only a failure that cost nothing (closing a file that was only read, reading past
      // its end) may let the conversion through, and then it is whole
      EXPECT_EQ(TextsOf(source), std::vector<std::string>{Reference("a.bmp")});
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(work + "a.bmp")), "BM image a");
    } else {
      ++failures;
      EXPECT_EQ(result, kFailed);
      EXPECT_TRUE(testsupport::ReadFileBytes(source) == original);
    }
    for (const std::string& name : platform::ListFolder(work)) {
      EXPECT_TRUE(name == "plan.jww" || name == "a.bmp") << name;
    }
  }
  EXPECT_GT(failures, 0);
  std::cout << "in-place conversion: " << count << " file operations failed in turn, " << failures
            << " of them failed the conversion\n";
}

TEST_F(TForm1Batch, UnreadableDrawingLeavesTheDestinationAndTheBatchGoesOn) {
  const std::string out = Folder("out");
  ToFolder(out);
  testsupport::WriteFileText(root / "bad.jww", "JwwData. but nothing after");
  testsupport::WriteFileText(out + "bad.jww", "previous");
  const std::string good = Write("good.jww", DrawingWithTexts({Reference("img\\a.bmp")}));
  Drop({root / "bad.jww", good});
  ASSERT_EQ(form.ListBox1.Items.size(), 7u);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + kFailed);
  EXPECT_EQ(form.ListBox1.Items[5], kResultMark + OkText(1, 1, 0, 0, 0));
  EXPECT_EQ(form.ListBox1.Items[6], Totals(1, 1, 1, 0));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(out + "bad.jww")), "previous");
}

TEST_F(TForm1Batch, FailedSaveInSameFolderModeKeepsTheSource) {
  // an embedded image still referred to whose scratch file cannot be made: the drawing
  // loads, and its save fails after the source has been taken for the destination
  const std::string work = Folder("work");
  const std::string source = root / "work\\sample.jww";
  ASSERT_TRUE(fixture::WriteDrawing(source, fixture::SampleDrawing(700)));
  const std::vector<unsigned char> before = testsupport::ReadFileBytes(source);
  ASSERT_TRUE(platform::RemoveTree(TForm1Probe::DocumentTempFolder(form)));
  form.RadioButton3.SetChecked(true);
  std::vector<bool> converted;
  form.OnLogLine = [&converted](const LogLine& line) {
    if (line.LineKind == LogLine::Kind::Result) converted.push_back(line.Converted);
  };
  Drop({source});
  ASSERT_EQ(form.ListBox1.Items.size(), 3u);
  EXPECT_EQ(form.ListBox1.Items[2], kResultMark + kFailed);
  EXPECT_EQ(converted, std::vector<bool>{false});
  EXPECT_TRUE(testsupport::ReadFileBytes(source) == before);
  EXPECT_EQ(SortedList(work), std::vector<std::string>{"sample.jww"});
}

TEST_F(TForm1Batch, ConvertFileStartsFromACleanState) {
  const std::string out = Folder("out");
  std::string result;
  ASSERT_TRUE(form.ConvertFile(Write("a.jww", DrawingWithTexts({Reference("img\\a.bmp")})), out + "a.jww", result));
  EXPECT_EQ(result, OkText(1, 1, 0, 0, 0));
  EXPECT_FALSE(form.ConvertFile(root / "missing.jww", out + "missing.jww", result));
  EXPECT_EQ(result, kFailed);
  ASSERT_TRUE(form.ConvertFile(Write("b.jww", DrawingWithTexts({Reference("img\\b.bmp")})), out + "b.jww", result));
  EXPECT_EQ(result, OkText(1, 1, 0, 0, 0));
}

}  // namespace
}  // namespace apptest
