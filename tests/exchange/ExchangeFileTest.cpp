#include <gtest/gtest.h>

#include <string>

#include "ExchangeFixture.h"
#include "TestSupport.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteFileText;

const std::string kHyo = "\x95\x5C";      // 表, second byte '\'
const std::string kZumen = "\x90\x7D\x96\xCA";  // 図面

// An exchange file as the drafting program writes it for an open drawing.
std::string ExchangeFileText(const std::string& drawingPath) {
  return "hq\r\n"
         "hk 0\r\n"
         "hs 100 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n"
         "hzs 420 297\r\n"
         "hcw 2 2.5 3 4 5 6 7 8 9 10\r\n"
         "hch 2 2.5 3 4 5 6 7 8 9 10\r\n"
         "hcd 0 0 0 0.5 1 1 1 1 1 1\r\n"
         "hcc 1 1 2 2 3 3 4 4 5 5\r\n"
         "lg0 2\r\n"
         "lgn" + kZumen + "\r\n"
         "ly1 2\r\n"
         "file=" + drawingPath + "\r\n"
         "hhp1\r\n"
         "hp1- 0 0\r\n"
         "lc2\r\n"
         "lt1\r\n"
         "lw0\r\n"
         " -100 0 100 0\r\n"
         "pl\r\n"
         "0 0 10 0\r\n"
         "10 0 10 10\r\n"
         "#\r\n"
         "cn3\r\n"
         "cn\"$<\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E>\r\n"  // <ＭＳ ゴシック>
         "ch 0 0 1 0 \"" + kZumen + " A-1\r\n"
         "ci 0 0 50\r\n"
         "sl 0 0 10 0 10 10 0 10\r\n"
         "BL 5 5 door\r\n";
}

TEST_F(ExchangeFile, ReadsAnExchangeFile) {
  TempFolder folder;
  const std::string drawing = "C:\\jww\\" + kHyo + "\\plan a.jww";
  WriteFileText(folder / "JWC_TEMP.TXT", ExchangeFileText(drawing));
  ASSERT_TRUE(reader.ReadExchangeFile(folder / "JWC_TEMP.TXT"));
  EXPECT_EQ(reader.ExchangeDrawingPath, drawing);
  EXPECT_EQ(Data().LayerGroupScale[1], 50.0);
  EXPECT_EQ(Data().LayerGroupName[0], kZumen);
  EXPECT_EQ(Data().LayerValue[1], 2);
  EXPECT_EQ(Data().Lines.size(), 3u);
  EXPECT_EQ(Data().Lines[2].PolylineNo, 1);
  EXPECT_EQ(Data().Lines[0].RefNo, 1);
  ASSERT_EQ(Data().Texts.size(), 1u);
  EXPECT_EQ(Data().Texts[0].Text, kZumen + " A-1");
  EXPECT_EQ(Data().Texts[0].Width, 3.0);
  EXPECT_EQ(Data().Order.size(), 7u);
  EXPECT_EQ(Data().Solids4.size(), 1u);
  EXPECT_EQ(Data().Blocks.at(0).Name, "door");
}

TEST_F(ExchangeFile, TakesTheDrawingPathAsWritten) {
  struct Row {
    std::string content;
    std::string path;
  };
  const Row rows[] = {
      {"file=C:\\jww\\plan a.jww\r\n", "C:\\jww\\plan a.jww"},
      {"file=\"C:\\jww\\plan a.jww\"\r\n", "\"C:\\jww\\plan a.jww\""},
      {"  file=C:\\" + kHyo + "\\" + kHyo + ".jww\n", "C:\\" + kHyo + "\\" + kHyo + ".jww"},
      {"hq\nfile=C:\\last.jww", "C:\\last.jww"},  // the last line needs no line break
      {"file=C:\\a\\b.jww\x82\r\n", "C:\\a\\b.jww"},  // a lead byte at the end is dropped
      {"file=C:\\a\rb.jww\n", "C:\\ab.jww"},
      {"", ""},
      {"hq\r\nlg0\r\n1 2 3 4\r\n", ""},
  };
  TempFolder folder;
  for (const Row& row : rows) {
    reader.ResetExchangeData();
    WriteFileText(folder / "JWC_TEMP.TXT", row.content);
    EXPECT_TRUE(reader.ReadExchangeFile(folder / "JWC_TEMP.TXT")) << row.content;
    EXPECT_EQ(reader.ExchangeDrawingPath, row.path) << row.content;
  }
}

TEST_F(ExchangeFile, ReadsLinesAcrossBlockBoundaries) {
  std::string content;
  for (int i = 0; i < 7280; ++i) content += "1 2 3 4\r\n";    // 65520 bytes
  content += "file=C:\\" + std::string(30, 'x') + ".jww\r\n";  // crosses the first 64 KiB
  content += "2 2 3 3";
  TempFolder folder;
  WriteFileText(folder / "big.txt", content);
  ASSERT_TRUE(reader.ReadExchangeFile(folder / "big.txt"));
  EXPECT_EQ(reader.ExchangeDrawingPath, "C:\\" + std::string(30, 'x') + ".jww");
  EXPECT_EQ(Data().Lines.size(), 7281u);
  EXPECT_EQ(Data().Lines.back().X1, 2.0);
}

TEST_F(ExchangeFile, MissingFileLeavesTheDefaults) {
  TempFolder folder;
  EXPECT_FALSE(reader.ReadExchangeFile(folder / "JWC_TEMP.TXT"));
  EXPECT_FALSE(reader.ReadExchangeFile(folder.Path()));  // a folder is no file
  EXPECT_FALSE(reader.ReadExchangeFile(""));
  EXPECT_TRUE(reader.ExchangeDrawingPath.empty());
  EXPECT_EQ(Data().PaperWidth, 1189.0);
  EXPECT_EQ(Data().Current.FontName, exchange::kDefaultFontName);
  EXPECT_TRUE(Data().First.LayerGroupUnread);
}

TEST_F(ExchangeFile, FreeThenResetGivesACleanState) {
  TempFolder folder;
  WriteFileText(folder / "JWC_TEMP.TXT", ExchangeFileText("C:\\a.jww"));
  ASSERT_TRUE(reader.ReadExchangeFile(folder / "JWC_TEMP.TXT"));
  reader.FreeExchangeData();
  EXPECT_TRUE(Data().Order.empty());
  EXPECT_TRUE(Data().LayerName.empty());
  // used again without a reset: nothing is stored in the released tables
  EXPECT_TRUE(reader.ReadExchangeFile(folder / "JWC_TEMP.TXT"));
  Parse({"lgF 3", "lyF 3", "lynx", "hp5 1 2"});
  EXPECT_TRUE(Data().LayerValue.empty());
  EXPECT_TRUE(Data().PointDefs.empty());

  reader.ResetExchangeData();
  EXPECT_TRUE(reader.ExchangeDrawingPath.empty());
  EXPECT_EQ(Data().LayerGroupValue.size(), 16u);
  EXPECT_EQ(Data().LayerName.size(), 256u);
  EXPECT_EQ(Data().PointDefs.size(), 100u);
  EXPECT_EQ(Data().PointDefCount, 0);
  EXPECT_EQ(Data().LayerGroupName[0], "");
  EXPECT_EQ(Data().PolylineNo, 0);
  EXPECT_EQ(Data().TextColor[0], 2);
  EXPECT_EQ(Data().Current.PenColor, 1);
  EXPECT_TRUE(Data().First.FontNameUnread);
  EXPECT_TRUE(Data().Order.empty());
  EXPECT_TRUE(Data().Lines.empty());
  EXPECT_TRUE(Data().Texts.empty());
}

}  // namespace
