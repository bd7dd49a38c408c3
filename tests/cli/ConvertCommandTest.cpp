// The console program end to end: a copy of it in a scratch folder converts real files,
// prints the log, and tells the outcome by its exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "relocation/Gzip.h"
#include "relocation/ImageEmbedding.h"
#include "text/ShiftJis.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace clitest {
namespace {

std::string Reference(const std::string& path) { return "^@BM" + path + ",100,75,0,0,1,0"; }

fixture::Drawing DrawingWithTexts(const std::vector<std::string>& texts) {
  fixture::Drawing d;
  for (const std::string& t : texts) {
    fixture::TextEntity text;
    text.Text = t;
    d.entities.push_back(text);
  }
  return d;
}

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// UTF-8 log texts.
const std::string kArrow = "→ ";
const std::string kResultMark = "　…… ";
const std::string kFailed = "変換失敗";

std::string OkText(int files, int texts) {
  return "変換ＯＫ(画像ファイル数:" + std::to_string(files) + " 画像文字数:" + std::to_string(texts) +
         " blk内:0 不明画像文字:0 blk内:0)";
}

// 合計: ... the totals of a batch
std::string Totals(int converted, int failed, int images, int missing) {
  return "合計: 変換ＯＫ " + std::to_string(converted) + " 変換失敗 " + std::to_string(failed) + " 画像ファイル数 " +
         std::to_string(images) + " 不明画像文字 " + std::to_string(missing);
}

class ConvertCommand : public ::testing::Test {
 protected:
  ConvertCommand() : program(InstallProgram(root / "bin\\")) {}

  void SetUp() override {
    platform::MakeFolder(root / "img\\");
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", DrawingWithTexts({Reference("img\\a.bmp")})));
  }
  RunResult Quorvane(const std::vector<std::string>& args) { return clitest::Run(program, args, root.Path()); }
  std::string Native(const std::string& name) const { return platform::NativePathForDisplay(root / name); }
  std::string SettingsFile() const { return root / "bin\\quorvane.dat"; }

  testsupport::TempFolder root;
  std::string program;
};

TEST_F(ConvertCommand, ConvertsIntoAFolderAndPrintsTheLog) {
  platform::MakeFolder(root / "out\\");
  const RunResult r = Quorvane({"convert", "--to", "out", "--plain-names", "plan.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("plan.jww"), kArrow + Native("out\\plan.jww"),
                                                    kResultMark + OkText(1, 1)}));
  jww::TJwwData converted;
  ASSERT_TRUE(converted.LoadFromFile(root / "out\\plan.jww"));
  EXPECT_EQ(converted.Header.Version, 700);
  ASSERT_EQ(converted.Texts.size(), 1u);
  EXPECT_EQ(converted.Texts[0].Text.bytes, Reference("a.bmp"));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "out\\a.bmp")), "BM image a");
  // the flags were for this run only; the scratch folder is gone again
  EXPECT_FALSE(platform::FileExists(SettingsFile()));
  EXPECT_FALSE(platform::FolderExists(root / "bin\\TEMP\\"));
}

TEST_F(ConvertCommand, ExitStatusTellsTheOutcome) {
  platform::MakeFolder(root / "out\\");
  testsupport::WriteFileText(root / "bad.jww", "not a drawing");
  testsupport::WriteFileText(root / "notes.txt", "not a drawing either");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string inOut;  // a text the output holds
    std::string inErr;  // a text standard error holds
  } rows[] = {
      {{"convert", "--to", "out", "plan.jww", "bad.jww"}, 1, kResultMark + kFailed, ""},
      {{"convert", "--to", "out", "notes.txt"}, 2, "", "quorvane: not a drawing file (.jww): notes.txt"},
      {{"convert", "--to", "out", "notes.txt", "plan.jww"}, 1, kResultMark + OkText(1, 1), "notes.txt"},
      {{"convert", "--to", "out", "gone.jww"}, 2, "", "quorvane: no such drawing file: gone.jww"},
      {{"convert", "--to", "out", "img"}, 2, "", "quorvane: no drawing file (.jww) below the folder: img"},
      // more than one file: their totals on standard error
      {{"convert", "--to", "out", "plan.jww", "plan.jww"}, 0, kResultMark + OkText(1, 1), Totals(2, 0, 2, 0)},
      {{"convert", "--to", "missing", "plan.jww"}, 2, "",
       "quorvane: 指定したフォルダが見つかりません。\nquorvane: " + Native("missing\\")},
      {{"convert", "--to", "out"}, 2, "", "needs at least one drawing"},
      {{"convert", "--to"}, 2, "", "--to needs a folder"},
      {{"convert", "--in-place", "--to", "out", "plan.jww"}, 2, "", "only one of"},
      {{"convert", "--plain-names", "--path-names", "plan.jww"}, 2, "", "only one of"},
      {{"convert", "--embed", "--separate", "plan.jww"}, 2, "", "only one of --copy, --embed, --separate"},
      {{"convert", "--bogus", "plan.jww"}, 2, "", "unknown option for convert: --bogus"},
      {{"frobnicate"}, 2, "", "unknown command: frobnicate"},
      {{}, 2, "", "usage: quorvane convert"},
      {{"-G", "plan.jww"}, 2, "", "takes no other argument"},
  };
  for (const auto& row : rows) {
    const RunResult r = Quorvane(row.args);
    const std::string shown = row.args.empty() ? "(none)" : row.args.back();
    EXPECT_EQ(r.status, row.status) << shown << "\n" << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, row.inOut)) << shown << "\n" << r.out;
    EXPECT_TRUE(Contains(r.err, row.inErr)) << shown << "\n" << r.err;
  }
  EXPECT_FALSE(platform::FileExists(SettingsFile()));

  // a settings file cut short after choosing a typed folder names no folder at all
  testsupport::WriteFileText(SettingsFile(), "192\r\n133\r\n0\r\n0\r\n0\r\n1\r\n");
  const RunResult r = Quorvane({"convert", "bad.jww"});
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_TRUE(Contains(r.err, "quorvane: 指定したフォルダが見つかりません。")) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(ConvertCommand, SavedChoiceDecidesUnlessAFlagIsGiven) {
  // same-folder mode, plain names, a typed folder that the flag --to replaces
  const std::string settings =
      "192\r\n133\r\n0\r\n0\r\n1\r\n0\r\n" + root.Path() + "elsewhere\\\r\n\r\n1\r\n0\r\n0\r\n1\r\n";
  testsupport::WriteFileText(SettingsFile(), settings);

  RunResult r = Quorvane({"convert", "plan.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("plan.jww"), kArrow + Native("plan.jww"),
                                                    kResultMark + OkText(1, 1)}));
  EXPECT_TRUE(platform::FileExists(root / "a.bmp"));  // the plain name, beside the drawing

  platform::MakeFolder(root / "out\\");
  ASSERT_TRUE(fixture::WriteDrawing(root / "plan2.jww", DrawingWithTexts({Reference("img\\a.bmp")})));
  r = Quorvane({"convert", "--to", Native("out"), "--path-names", Native("plan2.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Lines(r.out).size(), 3u);
  EXPECT_EQ(Lines(r.out)[1], kArrow + Native("out\\plan2.jww"));
  EXPECT_FALSE(platform::FileExists(root / "out\\a.bmp"));  // named after its whole path
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())), settings);
}

TEST_F(ConvertCommand, TransformSwitchWritesTheSettingsAtTheEnd) {
  for (const char* parameter : {"-G", "/g"}) {
    platform::RemoveFile(SettingsFile());
    const RunResult r = Quorvane({parameter});
    EXPECT_EQ(r.status, 1) << parameter;
    EXPECT_TRUE(Contains(r.err, "quorvane: ")) << r.err;
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(SettingsFile())),
              "192\r\n133\r\n1\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n\r\n0\r\n");
  }
}

TEST_F(ConvertCommand, RelativeReferencesNeverComeFromTheWorkingFolder) {
  // the program's folder is the working folder of the window and the transform, and holds
  // copies that earlier conversions left there
  const std::string bin = root / "bin\\";
  testsupport::WriteFileText(bin + "both.bmp", "stray");
  testsupport::WriteFileText(bin + "only.bmp", "stray");
  platform::MakeFolder(root / "work\\");
  platform::MakeFolder(root / "out\\");
  testsupport::WriteFileText(root / "work\\both.bmp", "beside");
  const std::string drawing = root / "work\\draw.jww";
  ASSERT_TRUE(fixture::WriteDrawing(drawing, DrawingWithTexts({Reference("both.bmp"), Reference("only.bmp")})));
  const std::string ok = kResultMark + "変換ＯＫ(画像ファイル数:1 画像文字数:1 blk内:0 不明画像文字:1 blk内:0)";

  RunResult r = clitest::Run(program, {"convert", "--to", Native("out"), "--plain-names", Native("work\\draw.jww")}, bin);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), ok);
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "out\\both.bmp")), "beside");
  EXPECT_FALSE(platform::FileExists(root / "out\\only.bmp"));

  // the transform converts into the program's folder, where the stray copy keeps its name
  testsupport::WriteFileText(bin + "JWC_TEMP.TXT", "hq\r\nfile=" + drawing + "\r\n");
  r = clitest::Run(program, {"-G"}, bin);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, ok.substr(kResultMark.size()))) << r.err;
  jww::TJwwData converted;
  ASSERT_TRUE(converted.LoadFromFile(bin + "TEMP.JWW"));
  ASSERT_EQ(converted.Texts.size(), 2u);
  EXPECT_EQ(converted.Texts[0].Text.bytes, Reference("both~1.bmp"));
  EXPECT_EQ(converted.Texts[1].Text.bytes, Reference("only.bmp"));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(bin + "both~1.bmp")), "beside");
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(bin + "both.bmp")), "stray");
}

TEST_F(ConvertCommand, RunsAtTheSameTimeKeepTheirEmbeddedImagesApart) {
  // every drawing holds an image of one name with bytes of its own
  constexpr int kRuns = 6;
  std::vector<std::vector<std::string>> runs;
  std::vector<std::string> pictures;
  for (int i = 0; i < kRuns; ++i) {
    const std::string name = std::string("d").append(std::to_string(i));
    pictures.push_back(std::string(100000 + i, static_cast<char>('a' + i)));
    fixture::Drawing d = DrawingWithTexts({"^@BM%temp%pic.bmp,100,75,0,0,1,0"});
    fixture::EmbeddedImage image;
    image.Name = "pic.bmp";
    image.bytes.assign(pictures.back().begin(), pictures.back().end());
    d.images.push_back(image);
    ASSERT_TRUE(fixture::WriteDrawing(root / (name + ".jww"), d));
    platform::MakeFolder(root / ("out" + name + "\\"));
    runs.push_back({"convert", "--to", Native("out" + name), "--plain-names", Native(name + ".jww")});
  }
  testsupport::TempFolder scratch;
  for (int round = 0; round < 4; ++round) {
    const std::vector<RunResult> results = RunTogether(program, runs, root.Path());
    for (int i = 0; i < kRuns; ++i) {
      SCOPED_TRACE("round " + std::to_string(round) + ", drawing " + std::to_string(i));
      EXPECT_EQ(results[i].status, 0) << results[i].out << results[i].err;
      jww::TJwwData converted;
      converted.Images.SetTempFolder(scratch.Path());
      EXPECT_TRUE(converted.LoadFromFile(root / ("outd" + std::to_string(i) + "\\d" + std::to_string(i) + ".jww")));
      const std::string held = AsString(testsupport::ReadFileBytes(scratch / "pic.bmp"));
      EXPECT_TRUE(held == pictures[i]) << "holds " << held.size() << " bytes, the first '" << held.substr(0, 1) << "'";
      converted.DeleteUnpackedFiles();
    }
  }
  // every run removed its own scratch folder
  EXPECT_FALSE(platform::FolderExists(root / "bin\\TEMP\\"));
}

TEST_F(ConvertCommand, ReferencesHeldAsUtf16AreCopiedCountedAndInspected) {
  const std::u16string folder = testsupport::Units(root.Path());
  const std::string people = testsupport::Hex("98 A2 90 6C") + "\\";  // 个人
  testsupport::MakeFolder(folder + u"个人");
  testsupport::WriteFileText(folder + u"img\\é.bmp", "e acute");
  testsupport::WriteFileText(folder + u"个人\\😀.bmp", "face");
  fixture::Drawing d;
  for (const char16_t* text : {u"^@BMimg\\é.bmp,1,1", u"^@BM个人\\😀.bmp,2,2", u"^@BMimg\\gone-é.bmp,3,3"}) {
    fixture::TextEntity t;
    t.Text = fixture::Str(jww::BytesOf(text), jww::StringForm::Utf16);
    d.entities.push_back(t);
  }
  ASSERT_TRUE(fixture::WriteDrawing(root / "uni.jww", d));
  platform::MakeFolder(root / "out\\");

  RunResult r = Quorvane({"convert", "--to", "out", "--plain-names", "--disable-missing", "uni.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), kResultMark + "変換ＯＫ(画像ファイル数:2 画像文字数:2 blk内:0 不明画像文字:1 blk内:0)");
  EXPECT_EQ(testsupport::FolderNames(root / "out\\"), (std::vector<std::string>{"uni.jww", "é.bmp", "😀.bmp"}));
  EXPECT_EQ(testsupport::ReadFileText(folder + u"out\\😀.bmp"), "face");

  // inspect lists them with where they resolve, before the conversion and after it
  r = Quorvane({"inspect", Native("uni.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& part :
       {"[drawing] image ^@BMimg\\é.bmp,1,1\n      -> " + Native("img\\") + "é.bmp (found)",
        "[drawing] image ^@BM个人\\😀.bmp,2,2\n      -> " + Native(people) + "😀.bmp (found)",
        "-> " + Native("img\\") + "gone-é.bmp (missing)"}) {
    EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
  }
  auto json = [](std::string text) {
    for (std::size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', at + 2)) text.insert(at, 1, '\\');
    return "\"" + text + "\"";
  };
  r = Quorvane({"inspect", "--json", Native("out\\uni.jww")});
  for (const std::string& part :
       {"\"text\": \"^@BM😀.bmp,2,2\", \"resolvedPath\": " + json(Native("out\\") + "😀.bmp") + ", \"exists\": true",
        "\"kind\": \"disabled\", \"text\": " + json("_@BM" + testsupport::Utf8(folder) + "img\\gone-é.bmp,3,3")}) {
    EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
  }
}

#ifndef _WIN32
TEST_F(ConvertCommand, ADrawingTheUserMayNotWriteIsNotReplaced) {
  if (geteuid() != 0 || !platform::FileExists("\\usr\\bin\\setpriv")) GTEST_SKIP() << "needs root and setpriv";
  // a folder anyone may write to, holding root's drawing that only root may write
  platform::MakeFolder(root / "shared\\");
  ASSERT_EQ(chmod(Native("shared").c_str(), 0777), 0);
  const std::string drawing = root / "shared\\plan.jww";
  ASSERT_TRUE(fixture::WriteDrawing(drawing, DrawingWithTexts({Reference(root / "img\\a.bmp")})));
  ASSERT_EQ(chmod(Native("shared\\plan.jww").c_str(), 0644), 0);
  const std::vector<unsigned char> before = testsupport::ReadFileBytes(drawing);
  const RunResult r = clitest::Run("\\usr\\bin\\setpriv",
                                   {"--reuid=65534", "--regid=65534", "--clear-groups", platform::NativePathForDisplay(program),
                                    "convert", "--in-place", Native("shared\\plan.jww")},
                                   root.Path());
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_EQ(Lines(r.out).back(), kResultMark + kFailed);
  EXPECT_TRUE(testsupport::ReadFileBytes(drawing) == before);
  struct stat st;
  ASSERT_EQ(stat(Native("shared\\plan.jww").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
}
#endif

// Shift-JIS names of the project tree.
const std::string kPlan = "\x95\xBD\x96\xCA\x90\x7D.jww";  // 平面図.jww
const std::string kDetail = "\x8F\xDA\x8D\xD7";             // 詳細
const std::string kTable = "\x95\x5C";                      // 表, second byte 0x5C
const std::string kShared = "\x8B\xA4\x97\x4C";             // 共有
const std::string kUp = "\x8F\xE3";                         // 上
const std::string kCopy = "\x8E\xCA\x82\xB5.jww";           // 写し.jww

// A project's tree: drawings of one name in four folders, one three deep below the top,
// each with an image of its own beside it and the shared logo by a relative or a whole
// path; a link back up the tree and a linked drawing, where links can be made.
class ConvertFolder : public ConvertCommand {
 protected:
  void SetUp() override {
    ConvertCommand::SetUp();
    // a name of its own, for the documents folder the runs may share
    tree = "\x88\xC4\x8C\x8F-" + text::ExtractFileName(root.Path().substr(0, root.Path().size() - 1));  // 案件-
    top = root / (tree + "\\");
    drawings = {"", "1F\\", "1F\\" + kDetail + "\\" + kTable + "\\", "2F\\"};
    for (const std::string& folder : {std::string(), kShared + "\\", std::string("1F\\"), "1F\\" + kDetail + "\\",
                                      "1F\\" + kDetail + "\\" + kTable + "\\", std::string("2F\\")}) {
      ASSERT_TRUE(platform::MakeFolder(top + folder)) << folder;
    }
    testsupport::WriteFileText(top + kShared + "\\logo.bmp", "BM the logo");
    const std::vector<std::string> logo = {kShared + "\\logo.bmp", top + kShared + "\\logo.bmp",
                                           "..\\..\\..\\" + kShared + "\\logo.bmp", "..\\" + kShared + "\\logo.bmp"};
    for (std::size_t i = 0; i < drawings.size(); ++i) {
      testsupport::WriteFileText(top + drawings[i] + "a.bmp", "BM a of " + std::to_string(i));
      std::vector<std::string> texts = {Reference("a.bmp"), Reference(logo[i])};
      if (drawings[i] == "2F\\") texts.push_back(Reference("gone.bmp"));
      ASSERT_TRUE(fixture::WriteDrawing(top + drawings[i] + kPlan, DrawingWithTexts(texts)));
    }
    linkedFolder = testsupport::MakeLink("..\\", top + "2F\\" + kUp, true);
    linkedDrawing = testsupport::MakeLink("..\\" + kPlan, top + "2F\\" + kCopy, false);
    // every system the tests run on makes the link up the tree (Wine: as a Linux link)
    ASSERT_TRUE(linkedFolder);
  }

  // What standard error holds after the run: the links passed over, then the totals.
  std::vector<std::string> Passed(const std::string& totals) const {
    std::vector<std::string> lines;
    for (const auto& [link, made] : {std::pair{kCopy, linkedDrawing}, std::pair{kUp, linkedFolder}}) {
      if (made) lines.push_back("リンクのため変換しません: " + platform::NativePathForDisplay(top + "2F\\" + link));
    }
    lines.push_back(totals);
    return lines;
  }

  std::string tree;                   // the top folder's name
  std::string top;                    // its path
  std::vector<std::string> drawings;  // the folders of the drawings below it, in the batch's order
  bool linkedFolder = false;   // 2F\上 leads back up to the top
  bool linkedDrawing = false;  // 2F\写し.jww is the top's drawing
};

TEST_F(ConvertFolder, TreeIsMirroredIntoAFolderTheDocumentsOrConvertedInPlace) {
  const std::string out = root / "out\\";
  platform::MakeFolder(out);
  std::string documents = root / "home\\Documents\\";
#ifdef _WIN32
  documents = text::IncludeTrailingBackslash(platform::SystemShell().SpecialFolder(platform::SpecialFolderId::Documents));
#else
  // the documents folder of a home of its own
  platform::MakeFolder(root / "home\\");
  platform::MakeFolder(documents);
  const char* home = getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  setenv("HOME", Native("home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", Native("home\\.config").c_str(), 1);
#endif
  const struct {
    const char* flag;
    std::string destination;  // where the tree's mirror goes; "" in place
  } rows[] = {{"--to", out}, {"--documents", documents}, {"--in-place", ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.flag);
    std::vector<std::string> args = {"convert", row.flag};
    if (row.flag == std::string("--to")) args.push_back(Native("out"));
    args.insert(args.end(), {"--plain-names", platform::NativePathForDisplay(top)});
    const RunResult r = Quorvane(args);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < drawings.size(); ++i) {
      const bool second = drawings[i] == "2F\\";  // the one with a missing image
      const std::string written = row.destination.empty() ? top + drawings[i] : row.destination + tree + "\\" + drawings[i];
      expected.push_back(platform::NativePathForDisplay(top + drawings[i] + kPlan));
      expected.push_back(kArrow + platform::NativePathForDisplay(written + kPlan));
      expected.push_back(kResultMark + (second ? "変換ＯＫ(画像ファイル数:2 画像文字数:2 blk内:0 不明画像文字:1 blk内:0)"
                                                 : OkText(2, 2)));
      // every drawing names its own copies, beside it
      std::vector<std::string> texts = {Reference("a.bmp"), Reference("logo.bmp")};
      if (second) texts.push_back(Reference("gone.bmp"));
      jww::TJwwData converted;
      ASSERT_TRUE(converted.LoadFromFile(written + kPlan)) << written;
      std::vector<std::string> found;
      for (const jww::TEntJwwText& t : converted.Texts) found.push_back(t.Text.bytes);
      EXPECT_EQ(found, texts) << written;
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(written + "a.bmp")), "BM a of " + std::to_string(i));
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(written + "logo.bmp")), "BM the logo");
    }
    EXPECT_EQ(Lines(r.out), expected);
    EXPECT_EQ(Lines(r.err), Passed(Totals(4, 0, 8, 1)));
    if (!row.destination.empty()) {
      // nothing else is written: no folder without a drawing, no stray copy
      EXPECT_FALSE(platform::FolderExists(row.destination + tree + "\\" + kShared + "\\"));
      EXPECT_EQ(platform::ListFolder(row.destination + tree + "\\1F\\" + kDetail + "\\"),
                std::vector<std::string>{kTable});
    }
  }
#ifdef _WIN32
  platform::RemoveTree(documents + tree + "\\");
#else
  setenv("HOME", savedHome.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
#endif
}

TEST_F(ConvertFolder, ADestinationInsideTheTreeIsLeftOut) {
  // converted twice into a folder of its own: the second run takes only the tree's drawings
  const std::string out = top + "out\\";
  platform::MakeFolder(out);
  ASSERT_TRUE(fixture::WriteDrawing(out + "users-own.jww", DrawingWithTexts({})));
  for (int run = 0; run < 2; ++run) {
    const RunResult r = Quorvane({"convert", "--to", platform::NativePathForDisplay(out), Native(tree)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 12u) << r.out;
    EXPECT_EQ(Lines(r.err).back(), Totals(4, 0, 8, 1));
    // the user's own drawing there is not converted, and the folder is named for it
    EXPECT_TRUE(Contains(r.err, "保存先のため変換しません: " + platform::NativePathForDisplay(top + "out") + "\n"))
        << r.err;
  }
  EXPECT_TRUE(platform::FileExists(out + tree + "\\1F\\" + kDetail + "\\" + kTable + "\\" + kPlan));
  EXPECT_FALSE(platform::FolderExists(out + tree + "\\out\\"));
}

#ifndef _WIN32
TEST_F(ConvertFolder, AFolderThatCannotBeReadIsNamedAndTheRestGoesOn) {
  if (geteuid() != 0 || !platform::FileExists("\\usr\\bin\\setpriv")) GTEST_SKIP() << "needs root and setpriv";
  const std::string locked = top + "2F\\";
  const std::string out = root / "out\\";
  platform::MakeFolder(out);
  ASSERT_EQ(chmod(Native("out").c_str(), 0777), 0);
  ASSERT_EQ(chmod(platform::NativePathForDisplay(locked).c_str(), 0), 0);
  const RunResult r = clitest::Run("\\usr\\bin\\setpriv",
                                   {"--reuid=65534", "--regid=65534", "--clear-groups",
                                    platform::NativePathForDisplay(program), "convert", "--to", Native("out"),
                                    "--plain-names", Native(tree)},
                                   root.Path());
  chmod(platform::NativePathForDisplay(locked).c_str(), 0755);
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_EQ(Lines(r.out).size(), 9u) << r.out;
  EXPECT_EQ(Lines(r.err), (std::vector<std::string>{"フォルダを読めません: " + platform::NativePathForDisplay(locked),
                                                     Totals(3, 0, 6, 0)}));
  EXPECT_TRUE(platform::FileExists(out + tree + "\\1F\\" + kPlan));
}
#endif

TEST_F(ConvertCommand, EntriesAFolderCannotNameAreNamedAndFailTheRun) {
  const std::u16string tree = testsupport::Units(root / "tree\\");
  testsupport::MakeFolder(tree);
  testsupport::MakeFolder(tree + u"\u301Csub");  // 〜: typed on Linux, no Shift-JIS form
  ASSERT_TRUE(fixture::WriteDrawing(root / "tree\\ok.jww", DrawingWithTexts({})));
  for (const char16_t* name : {u"1\u968E\u301C2\u968E.jww", u"caf\u00E9.JWW", u"\u301Csub\\x.jww", u"\u301C.txt"}) {
    testsupport::WriteFileText(tree + name, "not read");
  }
  const std::string shown = Native("tree\\");
  std::vector<std::string> named = {shown + "1階〜2階.jww", shown + "café.JWW", shown + "〜sub"};
#ifndef _WIN32
  // names no Windows file has: bytes that are not UTF-8, a backslash
  for (const char* name : {"\xE9t\xE9.jww", "a\\b.jww"}) {
    const int fd = open((shown + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << name;
    close(fd);
  }
  named.insert(named.end(), {shown + "<0xE9>t<0xE9>.jww", shown + "a\\b.jww"});
#endif
  platform::MakeFolder(root / "out\\");
  const RunResult r = Quorvane({"convert", "--to", "out", "tree"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 3u) << r.out;
  const std::vector<std::string> err = Lines(r.err);
  ASSERT_EQ(err.size(), named.size() + 1) << r.err;
  for (const std::string& path : named) {
    EXPECT_NE(std::find(err.begin(), err.end(), "名前を扱えないため変換しません: " + path), err.end()) << path;
  }
  EXPECT_EQ(err.back(), Totals(1, 0, 0, 0));

  // a folder holding only such a drawing says so, rather than that it holds none
  testsupport::MakeFolder(testsupport::Units(root / "only\\"));
  testsupport::WriteFileText(testsupport::Units(root / "only\\") + u"\u301C.jww", "not read");
  const RunResult alone = Quorvane({"convert", "--to", "out", "only"});
  EXPECT_EQ(alone.status, 1) << alone.err;
  EXPECT_EQ(alone.out, "");
  EXPECT_EQ(Lines(alone.err), (std::vector<std::string>{"名前を扱えないため変換しません: " + Native("only\\") + "〜.jww",
                                                         Totals(0, 0, 0, 0)}));
}

#ifndef _WIN32
TEST_F(ConvertCommand, NamesThatDifferOnlyInCaseAreTwoFilesButOneOutput) {
  // what the user names is found by its exact name: never the drawing's own folder for w/X
  platform::MakeFolder(root / "w\\");
  platform::MakeFolder(root / "w\\x\\");
  ASSERT_TRUE(fixture::WriteDrawing(root / "w\\x\\a.jww", DrawingWithTexts({Reference("..\\..\\img\\a.bmp")})));
  const std::vector<unsigned char> source = testsupport::ReadFileBytes(root / "w\\x\\a.jww");
  const struct {
    std::vector<std::string> args;
    std::string inErr;
  } rows[] = {
      {{"convert", "--to", "w/X", "w/x/a.jww"}, "指定したフォルダが見つかりません。"},
      {{"convert", "--to", "w/x", "w/X/a.jww"}, "no such drawing file: w/X/a.jww"},
      {{"convert", "--to", "w/x", "W/x"}, "not a drawing file (.jww): W/x"},
  };
  for (const auto& row : rows) {
    const RunResult r = Quorvane(row.args);
    EXPECT_EQ(r.status, 2) << row.args[2] << "\n" << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, row.inErr)) << r.err;
  }
  EXPECT_EQ(testsupport::ReadFileBytes(root / "w\\x\\a.jww"), source);
  EXPECT_EQ(platform::ListFolder(root / "w\\x\\"), std::vector<std::string>{"a.jww"});

  // a.jww and A.JWW of one folder mirrored into one: the first keeps its output; an image
  // whose name differs only in case from a file there takes a branch number
  platform::MakeFolder(root / "pair\\");
  // written under names of their own first: the platform layer saves over a name in other case
  for (const char* name : {"A.JWW", "a.jww"}) {
    const std::string text = name[0] == 'A' ? "upper" : "lower";
    ASSERT_TRUE(fixture::WriteDrawing(root / ("pair\\" + text), DrawingWithTexts({text, Reference("..\\img\\a.bmp")})));
    ASSERT_EQ(rename(Native("pair\\" + text).c_str(), Native("pair\\" + std::string(name)).c_str()), 0);
  }
  platform::MakeFolder(root / "out\\");
  platform::MakeFolder(root / "out\\pair\\");
  testsupport::WriteFileText(root / "out\\pair\\A.BMP", "BM another image");
  const RunResult r = Quorvane({"convert", "--to", "out", "--plain-names", "pair"});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("pair\\A.JWW"), kArrow + Native("out\\pair\\A.JWW"),
                                                    kResultMark + OkText(1, 1), Native("pair\\a.jww"),
                                                    kArrow + Native("out\\pair\\a.jww"), kResultMark + kFailed}));
  EXPECT_EQ(Lines(r.err), (std::vector<std::string>{"大文字・小文字だけが違う図面と重なるため変換しません: " +
                                                        Native("out\\pair\\A.JWW"),
                                                    Totals(1, 1, 1, 0)}));
  EXPECT_EQ(testsupport::FolderNames(root / "out\\pair\\"), (std::vector<std::string>{"A.BMP", "A.JWW", "a~1.bmp"}));
  jww::TJwwData converted;
  ASSERT_TRUE(converted.LoadFromFile(root / "out\\pair\\A.JWW"));
  ASSERT_EQ(converted.Texts.size(), 2u);
  EXPECT_EQ(converted.Texts[0].Text.bytes, "upper");
  EXPECT_EQ(converted.Texts[1].Text.bytes, Reference("a~1.bmp"));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "out\\pair\\A.BMP")), "BM another image");
}

TEST_F(ConvertCommand, ControlCharactersInANameAreShownEscaped) {
  ASSERT_TRUE(fixture::WriteDrawing(root / "a\nb\tc.jww", DrawingWithTexts({})));
  platform::MakeFolder(root / "out\\");
  const RunResult r = Quorvane({"convert", "--to", "out", "a\nb\tc.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Native("a<U+000A>b<U+0009>c.jww"),
                                                    kArrow + Native("out\\a<U+000A>b<U+0009>c.jww"),
                                                    kResultMark + OkText(0, 0)}));
}
#endif

TEST_F(ConvertCommand, HelpNamesTheCommandsAndTheSettingsRule) {
  const RunResult r = Quorvane({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* part : {"quorvane convert", "FILE-OR-FOLDER", "--to DIR", "--in-place", "--disable-missing",
                           "never writes the", "quorvane -G", "exit status"}) {
    EXPECT_TRUE(Contains(r.out, part)) << part;
  }
}

std::string Result(int files, int texts, int inBlocks, int missing) {
  return kResultMark + "変換ＯＫ(画像ファイル数:" + std::to_string(files) + " 画像文字数:" + std::to_string(texts) +
         " blk内:" + std::to_string(inBlocks) + " 不明画像文字:" + std::to_string(missing) + " blk内:0)";
}

// Bytes of every value, so that nothing but an exact copy compares equal.
std::string ImageBytes(const std::string& seed) {
  std::string bytes = "BM" + seed;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 131 + seed.size()) % 256);
  return bytes;
}

// A drawing whose images are referred to every way: relative, absolute, by a Japanese
// name, missing, and from a block definition that names one of the others again in
// other letter case.
class EmbedAndSeparate : public ConvertCommand {
 protected:
  void SetUp() override {
    for (const char* folder : {"img\\", "photos\\", "packed\\", "apart\\"}) platform::MakeFolder(root / folder);
    for (const std::string& image : images) testsupport::WriteFileText(root / image, ImageBytes(image));
    fixture::Drawing d = DrawingWithTexts({Reference(images[0]), Reference(root / images[1]), Reference(images[2]),
                                          Reference("img\\lost.bmp")});
    fixture::BlockDef def;
    def.Number = 1;
    for (const std::string& path : {images[3], std::string("IMG\\A.BMP")}) {
      fixture::TextEntity text;
      text.Text = Reference(path);
      def.entities.push_back(text);
    }
    d.blockDefs.push_back(def);
    fixture::BlockEntity insert;
    insert.blockNumber = 1;
    d.entities.push_back(insert);
    ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  }
  // The name an image is stored and separated under.
  std::string StoredName(const std::string& image) const { return relocation::EmbeddedImageName(root / image); }

  // relative, absolute, Japanese (写真), in the block definition
  const std::vector<std::string> images = {"img\\a.bmp", "photos\\b.bmp", "img\\\x8E\xCA\x90\x5E.bmp", "img\\c.bmp"};
};

TEST_F(EmbedAndSeparate, SeparatingWhatWasEmbeddedGivesBackEveryImage) {
  RunResult r = Quorvane({"convert", "--embed", "--to", "packed", "plan.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), Result(4, 3, 2, 1));
  EXPECT_EQ(platform::ListFolder(root / "packed\\"), std::vector<std::string>{"plan.jww"});  // nothing copied
  r = Quorvane({"inspect", Native("packed\\plan.jww")});
  EXPECT_EQ(r.status, 0);
  for (const std::string& image : images) {
    EXPECT_TRUE(Contains(r.out, "embedded ^@BM%temp%" + platform::ToUtf8(StoredName(image)) + ",100,75")) << r.out;
  }
  EXPECT_TRUE(Contains(r.out, "embedded images 4\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "unpacked 5"));

  r = Quorvane({"convert", "--separate", "--to", "apart", Native("packed\\plan.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), Result(4, 3, 2, 1));
  EXPECT_EQ(platform::ListFolder(root / "apart\\").size(), 5u);
  for (const std::string& image : images) {
    EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / ("apart\\" + StoredName(image)))), ImageBytes(image));
  }
  jww::TJwwData apart;
  ASSERT_TRUE(apart.LoadFromFile(root / "apart\\plan.jww"));
  EXPECT_TRUE(apart.Images.EmbeddedImages().empty());
  ASSERT_EQ(apart.Texts.size(), 4u);
  ASSERT_EQ(apart.BlockDefs.size(), 1u);
  const std::vector<std::string> texts = {apart.Texts[0].Text.bytes, apart.Texts[1].Text.bytes,
                                          apart.Texts[2].Text.bytes, apart.Texts[3].Text.bytes,
                                          apart.BlockDefs[0].Texts[0].Text.bytes, apart.BlockDefs[0].Texts[1].Text.bytes};
  EXPECT_EQ(texts, (std::vector<std::string>{Reference(StoredName(images[0])), Reference(StoredName(images[1])),
                                             Reference(StoredName(images[2])), Reference("img\\lost.bmp"),
                                             Reference(StoredName(images[3])), Reference(StoredName(images[0]))}));
}

TEST_F(EmbedAndSeparate, ABatchOfDrawingsSharesOneImage) {
  for (const char* name : {"p1.jww", "p2.jww"}) {
    ASSERT_TRUE(fixture::WriteDrawing(root / name, DrawingWithTexts({Reference(images[0])})));
  }
  RunResult r = Quorvane({"convert", "--embed", "--to", "packed", "p1.jww", "p2.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out)[2], Result(1, 1, 0, 0));
  EXPECT_EQ(Lines(r.out)[5], Result(1, 1, 0, 0));
  r = Quorvane({"convert", "--separate", "--to", "apart", Native("packed\\p1.jww"), Native("packed\\p2.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  // the second drawing finds the image already there, to the byte
  EXPECT_EQ(Lines(r.out)[5], Result(1, 1, 0, 0));
  EXPECT_EQ(platform::ListFolder(root / "apart\\").size(), 3u);
  for (const char* name : {"apart\\p1.jww", "apart\\p2.jww"}) {
    jww::TJwwData d;
    ASSERT_TRUE(d.LoadFromFile(root / name));
    EXPECT_EQ(d.Texts[0].Text.bytes, Reference(StoredName(images[0])));
  }
}

TEST_F(EmbedAndSeparate, TheDraftingProgramsOwnDrawingComesApartAndTogetherAgain) {
  const std::string sample = testsupport::SamplesFolder() + "embedded-image.jww";
  if (testsupport::SamplesFolder().empty() || !platform::FileExists(sample)) GTEST_SKIP() << "no sample drawings";
  // what the drafting program stored, unpacked here
  jww::TJwwData original;
  std::string stored;
  original.OnImageBytes = [&stored](std::size_t, const unsigned char* data, std::size_t size) {
    stored.append(reinterpret_cast<const char*>(data), size);
  };
  ASSERT_TRUE(original.LoadFromFile(sample));
  std::string photo;
  relocation::Unpacker unpacker;
  unpacker.Feed(reinterpret_cast<const unsigned char*>(stored.data()), stored.size(),
                [&photo](const unsigned char* data, std::size_t size) {
                  photo.append(reinterpret_cast<const char*>(data), size);
                  return true;
                });
  ASSERT_EQ(unpacker.Finish(), relocation::UnpackResult::Whole);

  RunResult r = Quorvane({"convert", "--separate", "--to", "apart", platform::NativePathForDisplay(sample)});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), Result(1, 1, 0, 0));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / "apart\\C__img_photo_bmp.bmp")), photo);
  jww::TJwwData apart;
  ASSERT_TRUE(apart.LoadFromFile(root / "apart\\embedded-image.jww"));
  EXPECT_TRUE(apart.Images.EmbeddedImages().empty());
  EXPECT_EQ(apart.Texts[0].Text.bytes, "^@BMC__img_photo_bmp.bmp,100,75,0,0,1,0");

  // packed again and separated again: the same picture
  platform::MakeFolder(root / "again\\");
  r = Quorvane({"convert", "--embed", "--to", "packed", Native("apart\\embedded-image.jww")});
  EXPECT_EQ(Lines(r.out).back(), Result(1, 1, 0, 0));
  r = Quorvane({"convert", "--separate", "--to", "again", Native("packed\\embedded-image.jww")});
  EXPECT_EQ(Lines(r.out).back(), Result(1, 1, 0, 0));
  EXPECT_EQ(AsString(testsupport::ReadFileBytes(root / ("again\\" + StoredName("apart\\C__img_photo_bmp.bmp")))),
            photo);
}

}  // namespace
}  // namespace clitest
