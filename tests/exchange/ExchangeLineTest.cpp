#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExchangeFixture.h"

namespace {

using namespace exchange;

const std::string kGothic = "<\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E>";  // <ＭＳ ゴシック>
const std::string kMincho = "<\x82\x6C\x82\x72 \x96\xBE\x92\xA9>";               // <ＭＳ 明朝>
const std::string kHyo = "\x95\x5C";                                             // 表, second byte '\'

TEST_F(ExchangeFile, SplitsLinesIntoTokens) {
  struct Row {
    std::string line;
    std::vector<std::string> tokens;
  };
  const Row rows[] = {
      {"", {}},
      {" \t  ", {}},
      {"  ab\tcd   ef  ", {"ab", "cd", "ef"}},
      {"ch 0 0 1 0 \"a b  c", {"ch", "0", "0", "1", "0", "a b  c"}},
      {"ch 1 \"x \"y\"=z\tw", {"ch", "1", "x \"y\"=zw"}},  // quotes, '=' and blanks kept, tabs dropped
      {"file=C:\\jww\\plan a.jww", {"file=C:\\jww\\plan a.jww"}},
      {"a\x01" "b\xFE" "c\xFF d\x7F", {"abc", "d\x7F"}},                // control bytes, 0xFE, 0xFF dropped
      {"\x82 x \x81\x22 y", {"\x82 x", "\x81\x22", "y"}},                // a lead byte takes the byte after it
      {"lyn" + kHyo + " 2", {"lyn" + kHyo, "2"}},
      {"\xB1\xB2 9", {"\xB1\xB2", "9"}},                                  // single-byte kana
      {"ab cd\x82", {"ab", "cd"}},                                         // a lone lead byte ends the line
      {"ab \x82 cd", {"ab", "\x82 cd"}},
      {"ab \x82", {"ab"}},
  };
  for (const Row& row : rows) {
    const ExchangeTokens t = SplitExchangeLine(row.line);
    ASSERT_EQ(t.Count, static_cast<int>(row.tokens.size())) << row.line;
    for (std::size_t i = 0; i < row.tokens.size(); ++i) EXPECT_EQ(t.Token[i], row.tokens[i]) << row.line;
    for (std::size_t i = row.tokens.size(); i < t.Token.size(); ++i) EXPECT_TRUE(t.Token[i].empty()) << row.line;
  }
}

TEST_F(ExchangeFile, TokensAfterTheThirtySecondAreDropped) {
  std::string line = "sl";
  for (int i = 1; i < 40; ++i) line.append(" ").append(std::to_string(i));
  const ExchangeTokens t = SplitExchangeLine(line + "   ");
  EXPECT_EQ(t.Count, kMaxTokens);
  EXPECT_EQ(t.Token[31], "31");
  reader.ParseExchangeLine(line);  // still a four-point solid from tokens 1 to 8
  ASSERT_EQ(Data().Solids4.size(), 1u);
  EXPECT_EQ(Data().Solids4[0].X4, 7.0);
  EXPECT_EQ(Data().Solids4[0].Y4, 8.0);
}

TEST_F(ExchangeFile, ReadsHeaderValuesAndPassesOverShortOrUnknownKeys) {
  Parse({"hq 5", "hk 30.5", "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", "hzs 420 297",
         "hcw 1 2 3 4 5 6 7 8 9 10", "hch 11 12 13 14 15 16 17 18 19 20", "hcd 0.5 0 0 0 0 0 0 0 0 9",
         "hcc 1 2 3 4 5 6 7 8 9 $A", "bz", "hn 1 2 3 4"});
  EXPECT_EQ(Data().Hk, 30.5);
  EXPECT_EQ(Data().LayerGroupScale[0], 1.0);
  EXPECT_EQ(Data().LayerGroupScale[15], 16.0);
  EXPECT_EQ(Data().PaperWidth, 420.0);
  EXPECT_EQ(Data().PaperHeight, 297.0);
  EXPECT_EQ(Data().TextWidth[9], 10.0);
  EXPECT_EQ(Data().TextHeight[0], 11.0);
  EXPECT_EQ(Data().TextSpacing[0], 0.5);
  EXPECT_EQ(Data().TextColor[9], 10);
  EXPECT_TRUE(Data().Bz);
  EXPECT_EQ(Data().Hn[3], 4.0);

  reader.ResetExchangeData();
  Parse({"hk", "hs 9 9", "hzs 5", "hcw 1 2 3 4 5 6 7 8 9", "hn 1 2"});
  EXPECT_EQ(Data().Hk, 0.0);
  EXPECT_EQ(Data().LayerGroupScale[0], 1.0);
  EXPECT_EQ(Data().PaperWidth, 1189.0);
  EXPECT_EQ(Data().TextWidth[0], 3.0);
  EXPECT_EQ(Data().Hn[0], 0.0);
  EXPECT_TRUE(Data().Order.empty());
  reader.ParseExchangeLine("hs 1 2 3");  // four tokens and no key that takes them: a line
  ASSERT_EQ(Data().Lines.size(), 1u);
  EXPECT_EQ(Data().Lines[0].X2, 2.0);
}

TEST_F(ExchangeFile, SelectsLayersAndKeepsTheFirstOnes) {
  Parse({"lg3 5", "lyB 7", "lgn" + kHyo, "lyn\"a b", "lgA", "lyZ 4", "lgZ", "lga", "lg"});
  EXPECT_EQ(Data().First.LayerGroup, 3);
  EXPECT_EQ(Data().First.Layer, 11);
  EXPECT_FALSE(Data().First.LayerGroupUnread);
  EXPECT_EQ(Data().LayerGroupValue[3], 5);
  EXPECT_EQ(Data().LayerValue[3 * 16 + 11], 7);
  EXPECT_EQ(Data().LayerGroupName[3], kHyo);
  EXPECT_EQ(Data().LayerName[3 * 16 + 11], "a b");
  EXPECT_EQ(Data().LayerValue[10 * 16 + 0], 4);  // lgA is group 10, lyZ is layer 0
  EXPECT_EQ(Data().Current.LayerGroup, 0);

  Parse({"lgF", "lyF"});
  reader.ParseExchangeLine("1 2 3 4");
  EXPECT_EQ(Data().Lines[0].LayerGroup, 15);
  EXPECT_EQ(Data().Lines[0].Layer, 15);
}

TEST_F(ExchangeFile, SetsColoursTypesAndWidths) {
  Parse({"lc5 99", "lt2", "lw3"});
  EXPECT_EQ(Data().Current.ColorEx, 0);  // a value is an extended colour only with colour 10
  Parse({"lc10 $FF8000", "lt4", "lw1", "hhp12ln"});
  EXPECT_EQ(Data().Current.ColorEx, 0xFF8000);
  EXPECT_EQ(Data().First.PenColor, 5);
  EXPECT_EQ(Data().First.LineType, 2);
  EXPECT_EQ(Data().First.PenWidth, 3);
  reader.ParseExchangeLine("sl 0 0 1 0");
  ASSERT_EQ(Data().Solids2.size(), 1u);
  const TJwwEntSolid2& s = Data().Solids2[0];
  EXPECT_EQ(s.PenColor, 10);
  EXPECT_EQ(s.LineType, 4);
  EXPECT_EQ(s.PenWidth, 1);
  EXPECT_EQ(s.RefNo, 12);
  EXPECT_EQ(s.Color, 0xFF8000);
}

TEST_F(ExchangeFile, SetsFontTextTypeAndPlacement) {
  EXPECT_EQ(Data().Current.FontName, kGothic);
  Parse({"cn\"$" + kMincho, "cn$", "cn\"$" + kGothic});
  EXPECT_EQ(Data().Current.FontName, kGothic);
  EXPECT_EQ(Data().First.FontName, kMincho);  // set only while empty
  Parse({"cn0 2.5 3.5 0.5 4", "cn3", "cn0 9 9", "cc5"});
  EXPECT_EQ(Data().First.TextType, 0);
  EXPECT_EQ(Data().First.FreeHeight, 3.5);
  EXPECT_EQ(Data().Current.TextType, 0);
  EXPECT_EQ(Data().Current.FreeWidth, 2.5);  // too few values leave the free size
  EXPECT_EQ(Data().Current.FreeColor, 4);
  EXPECT_EQ(Data().Current.Align, 5);
  Parse({"cc9"});
  EXPECT_EQ(Data().Current.Align, 0);

  reader.ResetExchangeData();
  Parse({"cn$", "cn$" + kHyo});
  EXPECT_EQ(Data().First.FontName, kHyo);
}

TEST_F(ExchangeFile, DefinesPointsWithMarkers) {
  struct Row {
    std::string line;
    int number;
    int marker;
  };
  const Row rows[] = {{"hp1- 10 20", 1, 1}, {"hp2ln 1 2", 2, 2}, {"hp3ci 1 2", 3, 3},
                      {"hp4ch 1 2", 4, 4},  {"hp99 1 2", 99, 0}};
  for (const Row& row : rows) reader.ParseExchangeLine(row.line);
  Parse({"hp0 1 2", "hp100 1 2", "hpx 1 2", "hp5 1"});  // outside 1 to 99, or too few tokens
  EXPECT_EQ(Data().PointDefCount, 5);
  for (const Row& row : rows) {
    const TJwwPointDef& def = Data().PointDefs[static_cast<std::size_t>(row.number)];
    EXPECT_TRUE(def.Defined) << row.line;
    EXPECT_EQ(def.Marker, row.marker) << row.line;
  }
  EXPECT_EQ(Data().PointDefs[1].X, 10.0);
  EXPECT_EQ(Data().PointDefs[1].Y, 20.0);
  EXPECT_FALSE(Data().PointDefs[5].Defined);
  EXPECT_FALSE(Data().PointDefs[0].Defined);
}

TEST_F(ExchangeFile, FlagBitsGoWithTheNextShapeOnly) {
  Parse({"z1", "z3", "z1", "z5", "pn7", "pt 1 2", "pt 3 4"});
  ASSERT_EQ(Data().Points.size(), 2u);
  EXPECT_EQ(Data().Points[0].Flag, 1 + 4 + 16);
  EXPECT_EQ(Data().Points[1].Flag, 0);
  EXPECT_EQ(Data().Points[0].PenColor, 7);
}

TEST_F(ExchangeFile, NumbersPolylinesAndIgnoresThreeNumbers) {
  Parse({"1 2 3", "pl", "0 0 1 1", "1 1 2 2", "pl", "lgn" + kHyo, "2 2 3 3", "lc2", "3 3 4 4", "pl", "#",
         "4 4 5 5", "pl", "ci 0 0 1", "5 5 6 6"});
  std::vector<int> numbers;
  for (const TJwwEntLine& line : Data().Lines) numbers.push_back(line.PolylineNo);
  EXPECT_EQ(numbers, (std::vector<int>{1, 1, 2, 0, 0, 0}));
  EXPECT_EQ(Data().Lines[0].X2, 1.0);
}

TEST_F(ExchangeFile, RecordsTextsWithTheirTypeSizes) {
  Parse({"hcw 1 2 3 4 5 6 7 8 9 10", "hcc 1 2 3 4 5 6 7 8 9 10", "cn2", "cc4",
         "ch 0 0 1 0 \"a b  c", "cn0 5 6 0.5 3", "c2 1 2 3 4 x", "cn11", "cv 1 2 3 4 y", "ch 1 2 3"});
  ASSERT_EQ(Data().Texts.size(), 3u);
  const TJwwEntText& t = Data().Texts[0];
  EXPECT_EQ(t.Code, 0);
  EXPECT_EQ(t.Align, 4);
  EXPECT_EQ(t.TextType, 2);
  EXPECT_EQ(t.Width, 2.0);
  EXPECT_EQ(t.Height, 3.0);
  EXPECT_EQ(t.PenColor, 2);
  EXPECT_EQ(t.X2, 1.0);
  EXPECT_EQ(t.FontName, kGothic);
  EXPECT_EQ(t.Text, "a b  c");
  EXPECT_EQ(Data().Texts[1].Code, 9);
  EXPECT_EQ(Data().Texts[1].Width, 5.0);
  EXPECT_EQ(Data().Texts[1].PenColor, 3);
  EXPECT_EQ(Data().Texts[2].Height, 6.0);  // type 11 has no table entry: the free size
  EXPECT_EQ(Data().Lines.size(), 1u);      // a text key with four tokens is a line

  const char* keys[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
  for (const char* key : keys) reader.ParseExchangeLine(std::string(key) + " 0 0 0 0 t");
  for (int code = 0; code < 10; ++code) EXPECT_EQ(Data().Texts[3 + static_cast<std::size_t>(code)].Code, code);
}

TEST_F(ExchangeFile, CutsLongTextsBetweenCharacters) {
  std::string longText = "a";
  for (int i = 0; i < 200; ++i) longText += kHyo;
  Parse({"cn\"$" + std::string(300, 'f'), "ch 0 0 1 0 \"" + longText});
  const TJwwEntText& t = Data().Texts.at(0);
  EXPECT_EQ(t.FontName, std::string(255, 'f'));
  EXPECT_EQ(t.Text, longText.substr(0, 255));  // "a" and 127 characters: 255 bytes

  reader.ParseExchangeLine("ch 0 0 1 0 \"" + longText.substr(1));
  EXPECT_EQ(Data().Texts.at(1).Text.size(), 254u);  // the 128th character does not fit
}

TEST_F(ExchangeFile, PairsAMessageLineWithItsText) {
  Parse({"msg", "0 0 9 9", "lc3", "0 0 10 0", "cs 1 2 3 4 label", "0 0 1 1", "msg", "5 5 6 6", "ch 1 2 3 4 t"});
  ASSERT_EQ(Data().TextLines.size(), 1u);
  const TJwwEntTextLine& tl = Data().TextLines[0];
  EXPECT_EQ(tl.Line.X2, 10.0);
  EXPECT_EQ(tl.Line.PenColor, 3);
  EXPECT_EQ(tl.Text.Code, 2);
  EXPECT_EQ(tl.Text.Text, "label");
  EXPECT_EQ(Data().Lines.size(), 1u);  // only the line after the text
  EXPECT_EQ(Data().Texts.size(), 1u);  // a text other than "cs" ends message mode
  EXPECT_FALSE(Data().MessageMode);
}

TEST_F(ExchangeFile, RecordsOtherShapesInFileOrder) {
  Parse({"ci 1 2 3", "ci 1 2 3 4 5 6 7", "ci 1 2 3 4 5", "pt 1 2 3 4 5", "BL 10 20 " + kHyo, "BL 1 2",
         "sc 1 2 3 4 5 6 7 8", "se 1 2 3 4 5 6 7 -1", "so 1 2 3 4 5 6 7 8", "sg 8 7 6 5 4 3 2 1", "sl 1 2 3 4 5",
         "1 2 3 4"});
  const std::vector<TJwwEntOrder> expected = {
      {ShapeKind::Circle, 0},  {ShapeKind::Arc, 0},     {ShapeKind::PointValue, 0}, {ShapeKind::Block, 0},
      {ShapeKind::SolidSc, 0}, {ShapeKind::SolidSe, 0}, {ShapeKind::SolidSo, 0},    {ShapeKind::SolidSg, 0},
      {ShapeKind::Line, 0}};
  EXPECT_EQ(Data().Order, expected);
  EXPECT_EQ(Data().Circles[0].R, 3.0);
  EXPECT_EQ(Data().Arcs[0].Value[6], 7.0);
  EXPECT_EQ(Data().PointValues[0].Value[3], 4.0);
  EXPECT_EQ(Data().PointValues[0].Number, 5);
  EXPECT_EQ(Data().Blocks[0].Y, 20.0);
  EXPECT_EQ(Data().Blocks[0].Name, kHyo);
  EXPECT_EQ(Data().SolidsSc[0].Number, 8);
  EXPECT_EQ(Data().SolidsSe[0].Number, -1);
  EXPECT_EQ(Data().SolidsSg[0].Value[7], 1.0);
}

TEST_F(ExchangeFile, MakesSolidsOfDistinctPoints) {
  struct Row {
    std::string line;
    ShapeKind kind;
    std::vector<double> points;  // x and y of each point kept
  };
  const Row rows[] = {
      {"sl 1 2 3 4", ShapeKind::Solid2, {1, 2, 3, 4}},
      {"sl 0 0 0 0 5 5", ShapeKind::Solid2, {0, 0, 5, 5}},          // P1 = P2
      {"sl 0 0 1e-11 0 5 5", ShapeKind::Solid2, {0, 0, 5, 5}},      // within 1e-10
      {"sl 0 0 1e-9 0 5 5", ShapeKind::Solid3, {0, 0, 1e-9, 0, 5, 5}},
      {"sl 0 0 5 5 5 5", ShapeKind::Solid2, {0, 0, 5, 5}},          // P2 = P3
      {"sl 0 0 5 5 0 0", ShapeKind::Solid3, {0, 0, 5, 5, 0, 0}},    // P1 = P3 stays
      {"sl 0 0 0 0 0 0 9 9", ShapeKind::Solid2, {0, 0, 9, 9}},      // P1 = P2 = P3
      {"sl 1 1 5 5 5 5 5 5", ShapeKind::Solid2, {1, 1, 5, 5}},      // P2 = P3 = P4
      {"sl 0 0 0 0 5 5 5 5", ShapeKind::Solid2, {0, 0, 5, 5}},      // P1 = P2, P3 = P4
      {"sl 0 0 1 0 1 1 0 0", ShapeKind::Solid3, {0, 0, 1, 0, 1, 1}},  // P4 = P1
      {"sl 0 0 1 0 1 1 1 0", ShapeKind::Solid3, {0, 0, 1, 0, 1, 1}},  // P4 = P2
      {"sl 0 0 1 0 1 1 1 1", ShapeKind::Solid3, {0, 0, 1, 0, 1, 1}},  // P4 = P3
      {"sl 0 0 1 0 0 0 2 2", ShapeKind::Solid3, {0, 0, 1, 0, 2, 2}},  // P3 = P1
      {"sl 0 0 1 0 1 0 2 2", ShapeKind::Solid3, {0, 0, 1, 0, 2, 2}},  // P3 = P2
      {"sl 0 0 0 0 1 1 2 0", ShapeKind::Solid3, {0, 0, 1, 1, 2, 0}},  // P2 = P1
      {"sl 0 0 1 0 1 1 0 1 99", ShapeKind::Solid4, {0, 0, 1, 0, 1, 1, 0, 1}},
  };
  for (const Row& row : rows) {
    reader.ResetExchangeData();
    Parse({"lc10 77", row.line});
    ASSERT_EQ(Data().Order.size(), 1u) << row.line;
    EXPECT_EQ(Data().Order[0].Kind, row.kind) << row.line;
    std::vector<double> points;
    std::int32_t color = 0;
    if (row.kind == ShapeKind::Solid2) {
      const TJwwEntSolid2& s = Data().Solids2.at(0);
      points = {s.X1, s.Y1, s.X2, s.Y2};
      color = s.Color;
    } else if (row.kind == ShapeKind::Solid3) {
      const TJwwEntSolid3& s = Data().Solids3.at(0);
      points = {s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3};
      color = s.Color;
    } else {
      const TJwwEntSolid4& s = Data().Solids4.at(0);
      points = {s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3, s.X4, s.Y4};
      color = s.Color;
    }
    EXPECT_EQ(points, row.points) << row.line;
    EXPECT_EQ(color, 77) << row.line;
  }
  reader.ResetExchangeData();
  Parse({"sl 1 2 3 4 5", "sl 1 2 3 4 5 6 7"});  // six or eight tokens make nothing
  EXPECT_TRUE(Data().Order.empty());
}

TEST_F(ExchangeFile, ManyShapesKeepTheirOrder) {
  for (int i = 0; i < 2500; ++i) reader.ParseExchangeLine(std::to_string(i) + " 0 1 1");
  ASSERT_EQ(Data().Lines.size(), 2500u);
  EXPECT_EQ(Data().Order[1234], (TJwwEntOrder{ShapeKind::Line, 1234}));
  EXPECT_EQ(Data().Lines[1234].X1, 1234.0);
}

}  // namespace
