// inspect shows what a drawing holds and where its images are, writing nothing; resave
// writes a drawing again as version 700 without relocating anything.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "fixture/DrawingBuilder.h"
#include "fixture/GzipStream.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"

#include <cstdio>

namespace clitest {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class InspectResave : public ::testing::Test {
 protected:
  InspectResave() : program(InstallProgram(root / "bin\\")) {}

  void SetUp() override {
    platform::MakeFolder(root / "img\\");
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    fixture::Drawing d = fixture::SampleDrawing(700);
    for (const std::string& text : {std::string("^@BMimg\\a.bmp,1,1"), std::string("^@BMlost.bmp,2,2")}) {
      fixture::TextEntity t;
      t.Text = text;
      d.entities.push_back(t);
    }
    ASSERT_TRUE(fixture::WriteDrawing(root / "plan.jww", d));
  }
  RunResult Quorvane(const std::vector<std::string>& args) { return clitest::Run(program, args, root.Path()); }
  std::string Native(const std::string& name) const { return platform::NativePathForDisplay(root / name); }

  testsupport::TempFolder root;
  std::string program;
};

TEST_F(InspectResave, InspectShowsReferencesAndWhereTheyResolve) {
  const std::vector<std::string> before = platform::ListFolder(root.Path());
  const RunResult r = Quorvane({"inspect", Native("plan.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& part :
       {std::string("version 700"), std::string("block definitions 3 (2 used)"), std::string("embedded images 1"),
        std::string("sample.bmp.gz"), std::string("[block inner] embedded ^@BM%temp%sample.bmp"),
        "-> " + Native("img\\a.bmp") + " (found)", "-> " + Native("lost.bmp") + " (missing)"}) {
    EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
  }
  // nothing written: no scratch folder, no extracted image
  EXPECT_EQ(platform::ListFolder(root.Path()), before);
  EXPECT_EQ(platform::ListFolder(root / "bin\\").size(), 1u);
}

TEST_F(InspectResave, InspectJsonAndFailures) {
  std::vector<unsigned char> cut = testsupport::ReadFileBytes(root / "plan.jww");
  cut.resize(100);
  testsupport::WriteFileBytes(root / "cut.jww", cut);
  RunResult r = Quorvane({"inspect", "--json", "plan.jww", "missing.jww", "cut.jww"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "\"resolvedPath\": ")) << r.out;
  EXPECT_TRUE(Contains(r.out, "\"exists\": true"));
  EXPECT_TRUE(Contains(r.out, "\"exists\": false"));
  EXPECT_TRUE(Contains(r.out, "\"error\": \"cannot read\""));
  EXPECT_TRUE(Contains(r.err, "missing.jww"));
  // a drawing that cannot be read says why and where
  EXPECT_TRUE(Contains(r.out, "\"reason\": \"the file ends inside the header\", \"offset\": 100}")) << r.out;
  EXPECT_TRUE(Contains(Quorvane({"inspect", "cut.jww"}).err, "cut.jww: the file ends inside the header at offset 100"));
  EXPECT_EQ(r.out.front(), '[');
  r = Quorvane({"inspect"});
  EXPECT_EQ(r.status, 2);
  r = Quorvane({"inspect", "--yaml", "plan.jww"});
  EXPECT_EQ(r.status, 2);
}

TEST_F(InspectResave, InspectUnpacksAStoredImageWhicheverFormItsNameHas) {
  const std::vector<unsigned char> gz = fixture::GzipStream("PACKED IMAGE");
  const struct {
    fixture::Str name;
    std::string shown;
  } rows[] = {
      {"a.bmp.gz", "a.bmp.gz"},
      {fixture::Str(jww::BytesOf(u"😀.bmp.GZ"), jww::StringForm::Utf16), "😀.bmp.GZ"},
  };
  fixture::Drawing d;
  for (const auto& row : rows) {
    fixture::EmbeddedImage image;
    image.Name = row.name;
    image.bytes = gz;
    d.images.push_back(image);
  }
  ASSERT_TRUE(fixture::WriteDrawing(root / "stored.jww", d));
  const std::string size = std::to_string(gz.size());
  const RunResult text = Quorvane({"inspect", "stored.jww"});
  const RunResult json = Quorvane({"inspect", "--json", "stored.jww"});
  for (const auto& row : rows) {
    EXPECT_TRUE(Contains(text.out, row.shown + " " + size + " bytes, unpacked 12")) << row.shown << "\n" << text.out;
    EXPECT_TRUE(Contains(json.out, "{\"name\": \"" + row.shown + "\", \"size\": " + size +
                                       ", \"gzip\": true, \"unpackedSize\": 12}"))
        << json.out;
  }
}

#ifndef _WIN32
TEST_F(InspectResave, ANameThatIsNotUtf8KeepsTheJsonValidAndIsNamedForWhatItIs) {
  // 表.jww in Shift-JIS, as an archive made on Windows leaves it on Linux
  const std::string name = "\x95\x5C.jww";
  const std::vector<unsigned char> drawing = testsupport::ReadFileBytes(root / "plan.jww");
  const std::string native = platform::NativePathForDisplay(root.Path()) + name;
  FILE* file = std::fopen(native.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(drawing.data(), 1, drawing.size(), file);
  std::fclose(file);
  const RunResult r = Quorvane({"inspect", "--json", name, "plan.jww"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find('\x95'), std::string::npos) << "a byte of the name went out as it was";
  EXPECT_TRUE(Contains(r.out, "{\"file\": \"\xEF\xBF\xBD\\\\.jww\", \"error\": \"path is not UTF-8 text")) << r.out;
  EXPECT_TRUE(Contains(r.out, "\"version\": 700"));  // the other drawing is still shown
  EXPECT_TRUE(Contains(r.err, "path is not UTF-8 text")) << r.err;
  EXPECT_FALSE(Contains(r.err, "Shift-JIS")) << r.err;
}
#endif

TEST_F(InspectResave, InspectNamesDanglingInsertsAndResaveDropsThem) {
  fixture::Drawing d = fixture::SampleDrawing(700);
  for (std::int32_t number : {42, -1}) {
    fixture::BlockEntity insert;
    insert.blockNumber = number;
    d.entities.push_back(insert);
  }
  fixture::BlockEntity inside;
  inside.blockNumber = 9;
  d.blockDefs[2].entities.push_back(inside);  // in "inner"
  ASSERT_TRUE(fixture::WriteDrawing(root / "dangling.jww", d));

  RunResult r = Quorvane({"inspect", "dangling.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& part : {std::string("dangling block inserts 3 (not written)"),
                                  std::string("[drawing] 2: 42 -1"), std::string("[block inner] 1: 9")}) {
    EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
  }
  r = Quorvane({"inspect", "--json", "dangling.jww"});
  EXPECT_TRUE(Contains(r.out, "\"danglingInserts\": [{\"in\": \"drawing\", \"count\": 2, \"numbers\": [42, -1]}, "
                              "{\"in\": \"block inner\", \"count\": 1, \"numbers\": [9]}]"))
      << r.out;
  r = Quorvane({"inspect", "--json", "plan.jww"});
  EXPECT_TRUE(Contains(r.out, "\"danglingInserts\": []")) << r.out;

  r = Quorvane({"resave", "dangling.jww", "again.jww"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = Quorvane({"inspect", "again.jww"});
  EXPECT_TRUE(Contains(r.out, "dangling block inserts 0")) << r.out;
  EXPECT_TRUE(Contains(r.out, "inner (used): lines 0 arcs 1 points 0 texts 1 dimensions 0 solids 0 blocks 0")) << r.out;
}

TEST_F(InspectResave, ResaveWritesVersion700AndKeepsEmbeddedImages) {
  RunResult r = Quorvane({"resave", "plan.jww", Native("again.jww")});
  EXPECT_EQ(r.status, 0) << r.err;
  jww::TJwwData d;
  ASSERT_TRUE(d.LoadFromFile(root / "again.jww"));
  EXPECT_EQ(d.Header.Version, 700);
  EXPECT_EQ(d.Images.EmbeddedImages().size(), 1u);  // still referred to from a definition
  EXPECT_EQ(d.BlockDefs.size(), 2u);        // the unused definition is left out
  EXPECT_EQ(platform::ListFolder(root / "bin\\").size(), 1u);  // the scratch folder is gone

  r = Quorvane({"resave", "plan.jww"});
  EXPECT_EQ(r.status, 2);
  r = Quorvane({"resave", "nothing.jww", "x.jww"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(platform::FileExists(root / "x.jww"));
}

}  // namespace
}  // namespace clitest
