// The reader of JWC_TEMP.TXT, the file in which Jw_cad describes its open drawing to an
// external transform: one key and its values per line, in Shift-JIS. Everything read
// goes into one process-wide set of exchange data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace exchange {

constexpr int kMaxTokens = 32;         // tokens kept of one line
constexpr int kLayerGroupCount = 16;   // layer groups 0 to F
constexpr int kLayerCount = 256;       // group * 16 + layer
constexpr int kPointTableSize = 100;   // point numbers 1 to 99; entry 0 stays unused
constexpr int kTextTypeCount = 10;     // text types 1 to 10 have table values

// The font in force until a "cn$" line names another: "<ＭＳ ゴシック>".
inline constexpr char kDefaultFontName[] = "<\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E>";

// The tokens of one line; Token[Count..] stay empty.
struct ExchangeTokens {
  std::array<std::string, kMaxTokens> Token;  // Shift-JIS
  int Count = 0;
};

// Kinds of recorded shapes; the number is the kind's place in the order list.
enum class ShapeKind : std::int32_t {
  Line = 1,
  Circle = 2,
  Arc = 3,
  Text = 4,
  Point = 5,
  PointValue = 6,
  TextLine = 7,
  Block = 8,
  Solid2 = 9,
  Solid3 = 10,
  Solid4 = 11,
  SolidSc = 12,
  SolidSe = 13,
  SolidSo = 14,
  SolidSg = 15,
};

// Attributes in force when a shape was recorded.
struct TJwwEntHead {
  std::int32_t RefNo = 0;  // "hhp"
  std::int32_t LayerGroup = 0;
  std::int32_t Layer = 0;
  std::int32_t PenColor = 0;  // texts: the text colour; points: the "pn" value
  std::int32_t LineType = 0;
  std::int32_t PenWidth = 0;
  std::uint8_t Flag = 0;  // bits 1, 2, 4, 8, 16 of "z1" to "z5"

  bool operator==(const TJwwEntHead&) const = default;
};

// A line of four numbers.
struct TJwwEntLine : TJwwEntHead {
  std::int32_t PolylineNo = 0;  // 0 outside a polyline
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// "ci" with centre and radius.
struct TJwwEntCircle : TJwwEntHead {
  double X = 0, Y = 0, R = 0;
};

// "ci" with seven values.
struct TJwwEntArc : TJwwEntHead {
  std::array<double, 7> Value{};  // tokens 1 to 7
};

// A text of one of the ten text keys.
struct TJwwEntText : TJwwEntHead {
  std::int32_t Code = 0;   // "ch" 0, "cv" 1, "cs" 2, ... "c2" 9
  std::int32_t Align = 0;  // "cc"
  std::int32_t TextType = 0;
  double Width = 0, Height = 0, Spacing = 0;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // tokens 1 to 4
  std::string FontName;                   // Shift-JIS, at most 255 bytes
  std::string Text;                       // Shift-JIS, at most 255 bytes
};

// "pt" with a position only.
struct TJwwEntPoint : TJwwEntHead {
  double X = 0, Y = 0;
};

// "pt" with four values and a number.
struct TJwwEntPointValue : TJwwEntHead {
  std::array<double, 4> Value{};  // tokens 1 to 4
  std::int32_t Number = 0;        // token 5
};

// The line of a "msg" block, waiting for the text that goes with it.
struct TJwwEntMsgLine : TJwwEntHead {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// A "cs" text with the line of its "msg" block.
struct TJwwEntTextLine {
  TJwwEntMsgLine Line;
  TJwwEntText Text;
};

// A "BL" block insertion.
struct TJwwEntBlk : TJwwEntHead {
  double X = 0, Y = 0;
  std::string Name;  // Shift-JIS
};

// A solid of two points.
struct TJwwEntSolid2 : TJwwEntHead {
  std::int32_t Color = 0;  // the extended colour in force
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// A solid of three points.
struct TJwwEntSolid3 : TJwwEntSolid2 {
  double X3 = 0, Y3 = 0;
};

// A solid of four points.
struct TJwwEntSolid4 : TJwwEntSolid3 {
  double X4 = 0, Y4 = 0;
};

// "sc" and "se".
struct TJwwEntSolidSc : TJwwEntHead {
  std::int32_t Color = 0;
  std::array<double, 7> Value{};  // tokens 1 to 7
  std::int32_t Number = 0;        // token 8
};

// "so" and "sg".
struct TJwwEntSolidSo : TJwwEntHead {
  std::int32_t Color = 0;
  std::array<double, 8> Value{};  // tokens 1 to 8
};

// One shape in file order: its kind and its index in that kind's list.
struct TJwwEntOrder {
  ShapeKind Kind = ShapeKind::Line;
  std::int32_t Index = 0;

  bool operator==(const TJwwEntOrder&) const = default;
};

// One "hp" point definition.
struct TJwwPointDef {
  bool Defined = false;
  double X = 0, Y = 0;
  std::int32_t Marker = 0;  // 0 none, 1 "-", 2 "ln", 3 "ci", 4 "ch"
};

// The attributes that attribute keys change and recorded shapes copy.
struct TJwwAttributes {
  std::int32_t RefNo = 0;
  std::int32_t LayerGroup = 0;
  std::int32_t Layer = 0;
  std::int32_t PenColor = 1;
  std::int32_t LineType = 1;
  std::int32_t PenWidth = 0;
  std::int32_t TextType = 1;
  double FreeWidth = 2.0, FreeHeight = 2.0, FreeSpacing = 0.0;  // text type 0
  std::int32_t FreeColor = 1;
  std::int32_t Align = 0;  // "cc", 0 to 8
  std::string FontName = kDefaultFontName;
  std::int32_t PointValue = 1;  // "pn"
  std::int32_t ColorEx = 0;     // the extended colour of "lc10"
  std::uint8_t Flag = 0;        // pending "z1" to "z5" bits
};

// The values of the first line of each attribute kind.
struct TJwwFirstValues {
  std::int32_t LayerGroup = 0;
  std::int32_t Layer = 0;
  std::int32_t PenColor = 1;
  std::int32_t LineType = 1;
  std::int32_t PenWidth = 0;
  std::int32_t TextType = 1;
  double FreeWidth = 2.0, FreeHeight = 2.0, FreeSpacing = 0.0;
  std::int32_t FreeColor = 1;
  std::string FontName;

  // true until a line of the kind has been read
  bool LayerGroupUnread = true;
  bool LayerUnread = true;
  bool PenColorUnread = true;
  bool LineTypeUnread = true;
  bool PenWidthUnread = true;
  bool TextTypeUnread = true;
  bool FontNameUnread = true;
};

// Everything one exchange file describes.
struct TJwwExchange {
  // header values
  double Hk = 0.0;                            // "hk"
  std::array<double, 16> LayerGroupScale;     // "hs"
  double PaperWidth = 1189.0, PaperHeight = 841.0;  // "hzs"
  std::array<double, kTextTypeCount> TextWidth;     // "hcw", text types 1 to 10
  std::array<double, kTextTypeCount> TextHeight;    // "hch"
  std::array<double, kTextTypeCount> TextSpacing;   // "hcd"
  std::array<std::int32_t, kTextTypeCount> TextColor;  // "hcc"
  bool Bz = false;                            // "bz"
  std::array<double, 4> Hn{};                 // "hn"

  // layer tables, sized by ResetExchangeData
  std::vector<std::int32_t> LayerGroupValue;  // "lg"
  std::vector<std::string> LayerGroupName;    // "lgn", Shift-JIS
  std::vector<std::int32_t> LayerValue;       // "ly", group * 16 + layer
  std::vector<std::string> LayerName;         // "lyn", Shift-JIS

  std::vector<TJwwPointDef> PointDefs;  // "hp", by point number
  std::int32_t PointDefCount = 0;

  TJwwAttributes Current;
  TJwwFirstValues First;

  std::int32_t PolylineNo = 0;
  bool PolylineMode = false;
  bool MessageMode = false;
  TJwwEntMsgLine PendingLine;

  std::vector<TJwwEntOrder> Order;
  std::vector<TJwwEntLine> Lines;
  std::vector<TJwwEntCircle> Circles;
  std::vector<TJwwEntArc> Arcs;
  std::vector<TJwwEntText> Texts;
  std::vector<TJwwEntPoint> Points;
  std::vector<TJwwEntPointValue> PointValues;
  std::vector<TJwwEntTextLine> TextLines;
  std::vector<TJwwEntBlk> Blocks;
  std::vector<TJwwEntSolid2> Solids2;
  std::vector<TJwwEntSolid3> Solids3;
  std::vector<TJwwEntSolid4> Solids4;
  std::vector<TJwwEntSolidSc> SolidsSc;
  std::vector<TJwwEntSolidSc> SolidsSe;
  std::vector<TJwwEntSolidSo> SolidsSo;
  std::vector<TJwwEntSolidSo> SolidsSg;

  TJwwExchange();
};

// An exchange file as it is read: its values and shapes, and the drawing it names.
class ExchangeReader {
 public:
  ExchangeReader() { ResetExchangeData(); }

  // Sets every value to its default, sizes the tables and empties every list.
  void ResetExchangeData() noexcept;
  // Reads the exchange file line by line into the exchange data; false when it does not
  // exist or cannot be read to its end (lines already read stay in effect).
  bool ReadExchangeFile(const std::string& path) noexcept;
  // Takes one line (Shift-JIS, without its line break) into the exchange data.
  void ParseExchangeLine(const std::string& line) noexcept;
  // Releases the tables and lists; the data must be reset before it is used again.
  void FreeExchangeData() noexcept;

  TJwwExchange ExchangeData;
  // The drawing named by the "file=" line (Shift-JIS, Windows form); empty when none.
  std::string ExchangeDrawingPath;
};

// Cuts a line into its tokens; tokens after the 32nd are dropped.
ExchangeTokens SplitExchangeLine(const std::string& line);

}  // namespace exchange
