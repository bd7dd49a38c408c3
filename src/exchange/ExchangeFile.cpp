#include "exchange/ExchangeFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace exchange {


TJwwExchange::TJwwExchange() {
  LayerGroupScale.fill(1.0);
  TextWidth.fill(3.0);
  TextHeight.fill(3.0);
  TextSpacing.fill(0.0);
  TextColor.fill(2);
}

namespace {

constexpr std::size_t kReadBlockSize = 64 * 1024;
constexpr int kMaxTextBytes = 255;
constexpr double kSamePointTolerance = 1e-10;

// The text keys of a text shape, in the order of their codes.
constexpr const char* kTextKeys[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
constexpr int kTextKeyCs = 2;

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// Value of one hexadecimal digit; 0 for anything else.
int HexDigitOrZero(const std::string& token, std::size_t pos) {
  if (pos >= token.size()) return 0;
  const char c = token[pos];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// At most 255 bytes, never ending inside a double-byte character.
std::string CutText(const std::string& s) {
  if (static_cast<int>(s.size()) <= kMaxTextBytes) return s;
  int taken = 0;
  return text::MidBytes(s, 1, kMaxTextBytes, taken);
}

// Adds an item to a shape list and notes it in the order list.
template <class Entry>
void Record(TJwwExchange& data, std::vector<Entry>& list, ShapeKind kind, Entry entry) {
  list.push_back(std::move(entry));
  data.Order.push_back({kind, static_cast<std::int32_t>(list.size() - 1)});
}

class LineParser {
 public:
  LineParser(const ExchangeTokens& tokens, TJwwExchange& data, std::string& drawingPath)
      : tokens_(tokens), key_(tokens.Token[0]), data_(data), drawingPath_(drawingPath) {}

  void Parse() {
    if (ParseFile() || ParseHeader() || ParseAttribute() || ParseFlag() || ParsePointValue() || ParseMode() ||
        ParsePointDef() || ParseRefNo()) {
      return;
    }
    if (ParseShape()) {
      data_.PolylineMode = false;
      data_.MessageMode = false;
    } else if (Count() == 4) {
      ParseCoordinates();
    }
  }

 private:
  int Count() const { return tokens_.Count; }
  double Real(int i) const { return text::TextToFloat(tokens_.Token[i]); }
  std::int32_t Int(int i) const { return text::TextToInt(tokens_.Token[i]); }
  std::string Rest(std::size_t keyLength) const { return key_.substr(std::min(keyLength, key_.size())); }

  // The attributes in force, as the header of a shape; the "z" flags go with it.
  TJwwEntHead TakeHead() {
    const TJwwAttributes& current = data_.Current;
    TJwwEntHead head;
    head.RefNo = current.RefNo;
    head.LayerGroup = current.LayerGroup;
    head.Layer = current.Layer;
    head.PenColor = current.PenColor;
    head.LineType = current.LineType;
    head.PenWidth = current.PenWidth;
    head.Flag = current.Flag;
    data_.Current.Flag = 0;
    return head;
  }

  bool ParseFile() {
    const std::size_t at = key_.find("file=");
    if (at == std::string::npos) return false;
    drawingPath_ = key_.substr(at + 5);
    return true;
  }

  bool ParseHeader() {
    if (key_ == "hk" && Count() >= 2) {
      data_.Hk = Real(1);
    } else if (key_ == "hs" && Count() >= 17) {
      for (int i = 0; i < 16; ++i) data_.LayerGroupScale[i] = Real(i + 1);
    } else if (key_ == "hzs" && Count() >= 3) {
      data_.PaperWidth = Real(1);
      data_.PaperHeight = Real(2);
    } else if (key_ == "hcw" && Count() >= 11) {
      for (int i = 0; i < kTextTypeCount; ++i) data_.TextWidth[i] = Real(i + 1);
    } else if (key_ == "hch" && Count() >= 11) {
      for (int i = 0; i < kTextTypeCount; ++i) data_.TextHeight[i] = Real(i + 1);
    } else if (key_ == "hcd" && Count() >= 11) {
      for (int i = 0; i < kTextTypeCount; ++i) data_.TextSpacing[i] = Real(i + 1);
    } else if (key_ == "hcc" && Count() >= 11) {
      for (int i = 0; i < kTextTypeCount; ++i) data_.TextColor[i] = Int(i + 1);
    } else if (key_ == "bz") {
      data_.Bz = true;
    } else if (key_ == "hn" && Count() >= 5) {
      for (int i = 0; i < 4; ++i) data_.Hn[i] = Real(i + 1);
    } else {
      return false;
    }
    return true;
  }

  // The layer tables are empty after FreeExchangeData; nothing is stored then.
  template <class T>
  static void Store(std::vector<T>& table, std::size_t index, T value) {
    if (index < table.size()) table[index] = std::move(value);
  }

  std::size_t CurrentLayerIndex() const {
    return static_cast<std::size_t>(data_.Current.LayerGroup) * 16 + static_cast<std::size_t>(data_.Current.Layer);
  }

  bool ParseAttribute() {
    TJwwAttributes& current = data_.Current;
    TJwwFirstValues& first = data_.First;
    if (StartsWith(key_, "lgn")) {
      Store(data_.LayerGroupName, static_cast<std::size_t>(current.LayerGroup), Rest(3));
      return true;
    }
    if (StartsWith(key_, "lyn")) {
      Store(data_.LayerName, CurrentLayerIndex(), Rest(3));
      return true;
    }

    if (StartsWith(key_, "lg")) {
      current.LayerGroup = HexDigitOrZero(key_, 2);
      if (first.LayerGroupUnread) {
        first.LayerGroup = current.LayerGroup;
        first.LayerGroupUnread = false;
      }
      if (Count() >= 2) Store(data_.LayerGroupValue, static_cast<std::size_t>(current.LayerGroup), Int(1));
    } else if (StartsWith(key_, "ly")) {
      current.Layer = HexDigitOrZero(key_, 2);
      if (first.LayerUnread) {
        first.Layer = current.Layer;
        first.LayerUnread = false;
      }
      if (Count() >= 2) Store(data_.LayerValue, CurrentLayerIndex(), Int(1));
    } else if (StartsWith(key_, "lc")) {
      current.PenColor = text::TextToInt(Rest(2));
      if (first.PenColorUnread) {
        first.PenColor = current.PenColor;
        first.PenColorUnread = false;
      }
      if (current.PenColor == 10 && Count() >= 2) current.ColorEx = Int(1);
    } else if (StartsWith(key_, "lt")) {
      current.LineType = text::TextToInt(Rest(2));
      if (first.LineTypeUnread) {
        first.LineType = current.LineType;
        first.LineTypeUnread = false;
      }
    } else if (StartsWith(key_, "lw")) {
      current.PenWidth = text::TextToInt(Rest(2));
      if (first.PenWidthUnread) {
        first.PenWidth = current.PenWidth;
        first.PenWidthUnread = false;
      }
    } else if (StartsWith(key_, "cn$")) {
      current.FontName = Rest(3);
      if (first.FontName.empty()) first.FontName = current.FontName;
      first.FontNameUnread = false;
    } else if (StartsWith(key_, "cn")) {
      current.TextType = text::TextToInt(Rest(2));
      if (current.TextType == 0 && Count() >= 5) {
        current.FreeWidth = Real(1);
        current.FreeHeight = Real(2);
        current.FreeSpacing = Real(3);
        current.FreeColor = Int(4);
      }
      if (first.TextTypeUnread) {
        first.TextType = current.TextType;
        first.FreeWidth = current.FreeWidth;
        first.FreeHeight = current.FreeHeight;
        first.FreeSpacing = current.FreeSpacing;
        first.FreeColor = current.FreeColor;
        first.TextTypeUnread = false;
      }
    } else if (StartsWith(key_, "cc")) {
      const int align = key_.size() > 2 ? key_[2] - '0' : 0;
      current.Align = (align >= 0 && align <= 8) ? align : 0;
    } else {
      return false;
    }
    data_.PolylineMode = false;
    return true;
  }

  bool ParseFlag() {
    static constexpr const char* kKeys[] = {"z1", "z2", "z3", "z4", "z5"};
    for (int i = 0; i < 5; ++i) {
      if (key_ == kKeys[i]) {
        data_.Current.Flag = static_cast<std::uint8_t>(data_.Current.Flag | (1u << i));
        return true;
      }
    }
    return false;
  }

  bool ParsePointValue() {
    if (!StartsWith(key_, "pn")) return false;
    data_.Current.PointValue = text::TextToInt(Rest(2));
    data_.PolylineMode = false;
    return true;
  }

  bool ParseMode() {
    if (key_ == "pl") {
      ++data_.PolylineNo;
      data_.PolylineMode = true;
      data_.MessageMode = false;
    } else if (key_ == "msg") {
      data_.MessageMode = true;
      data_.PolylineMode = false;
    } else if (key_ == "#") {
      data_.MessageMode = false;
      data_.PolylineMode = false;
    } else {
      return false;
    }
    return true;
  }

  bool ParsePointDef() {
    if (!StartsWith(key_, "hp") || Count() < 3) return false;
    const std::string rest = Rest(2);
    // the last marker found, in this order, decides the kind and ends the number
    static constexpr const char* kMarkers[] = {"-", "ln", "ci", "ch"};
    std::int32_t marker = 0;
    std::size_t numberEnd = std::string::npos;
    for (int i = 0; i < 4; ++i) {
      const std::size_t at = rest.find(kMarkers[i]);
      if (at != std::string::npos) {
        marker = i + 1;
        numberEnd = at;
      }
    }
    const std::int32_t number = text::TextToInt(rest.substr(0, numberEnd));
    if (number < 1 || number >= kPointTableSize || static_cast<std::size_t>(number) >= data_.PointDefs.size()) {
      return true;
    }
    TJwwPointDef& def = data_.PointDefs[static_cast<std::size_t>(number)];
    def.Defined = true;
    def.X = Real(1);
    def.Y = Real(2);
    def.Marker = marker;
    ++data_.PointDefCount;
    return true;
  }

  bool ParseRefNo() {
    if (!StartsWith(key_, "hhp")) return false;
    const std::string rest = Rest(3);
    std::size_t numberEnd = std::string::npos;
    for (const char* marker : {"ln", "ci", "ch"}) numberEnd = std::min(numberEnd, rest.find(marker));
    data_.Current.RefNo = text::TextToInt(rest.substr(0, numberEnd));
    return true;
  }

  TJwwEntText MakeText(int code) {
    const TJwwAttributes& current = data_.Current;
    TJwwEntText t;
    static_cast<TJwwEntHead&>(t) = TakeHead();
    t.Code = code;
    t.Align = current.Align;
    t.TextType = current.TextType;
    if (current.TextType >= 1 && current.TextType <= kTextTypeCount) {
      const std::size_t i = static_cast<std::size_t>(current.TextType - 1);
      t.Width = data_.TextWidth[i];
      t.Height = data_.TextHeight[i];
      t.Spacing = data_.TextSpacing[i];
      t.PenColor = data_.TextColor[i];
    } else {
      t.Width = current.FreeWidth;
      t.Height = current.FreeHeight;
      t.Spacing = current.FreeSpacing;
      t.PenColor = current.FreeColor;
    }
    t.X1 = Real(1);
    t.Y1 = Real(2);
    t.X2 = Real(3);
    t.Y2 = Real(4);
    t.FontName = CutText(current.FontName);
    t.Text = CutText(tokens_.Token[5]);
    return t;
  }

  struct Pt {
    double X, Y;
  };
  Pt Point(int n) const { return {Real(2 * n - 1), Real(2 * n)}; }
  static bool Same(Pt a, Pt b) {
    return std::fabs(a.X - b.X) <= kSamePointTolerance && std::fabs(a.Y - b.Y) <= kSamePointTolerance;
  }

  void RecordSolid(Pt p1, Pt p2) {
    TJwwEntSolid2 s;
    static_cast<TJwwEntHead&>(s) = TakeHead();
    s.Color = data_.Current.ColorEx;
    s.X1 = p1.X, s.Y1 = p1.Y, s.X2 = p2.X, s.Y2 = p2.Y;
    Record(data_, data_.Solids2, ShapeKind::Solid2, std::move(s));
  }
  void RecordSolid(Pt p1, Pt p2, Pt p3) {
    TJwwEntSolid3 s;
    static_cast<TJwwEntHead&>(s) = TakeHead();
    s.Color = data_.Current.ColorEx;
    s.X1 = p1.X, s.Y1 = p1.Y, s.X2 = p2.X, s.Y2 = p2.Y, s.X3 = p3.X, s.Y3 = p3.Y;
    Record(data_, data_.Solids3, ShapeKind::Solid3, std::move(s));
  }
  void RecordSolid(Pt p1, Pt p2, Pt p3, Pt p4) {
    TJwwEntSolid4 s;
    static_cast<TJwwEntHead&>(s) = TakeHead();
    s.Color = data_.Current.ColorEx;
    s.X1 = p1.X, s.Y1 = p1.Y, s.X2 = p2.X, s.Y2 = p2.Y, s.X3 = p3.X, s.Y3 = p3.Y, s.X4 = p4.X, s.Y4 = p4.Y;
    Record(data_, data_.Solids4, ShapeKind::Solid4, std::move(s));
  }

  // Three points of which two coincide make a two-point solid.
  void RecordSolidOf3() {
    const Pt p1 = Point(1), p2 = Point(2), p3 = Point(3);
    if (Same(p1, p2)) {
      RecordSolid(p1, p3);
    } else if (Same(p2, p3)) {
      RecordSolid(p1, p2);
    } else {
      RecordSolid(p1, p2, p3);
    }
  }

  // Four points with coinciding ones make a solid of fewer points.
  void RecordSolidOf4() {
    const Pt p1 = Point(1), p2 = Point(2), p3 = Point(3), p4 = Point(4);
    if (Same(p1, p2) && Same(p2, p3)) {
      RecordSolid(p1, p4);
    } else if (Same(p2, p3) && Same(p3, p4)) {
      RecordSolid(p1, p2);
    } else if (Same(p1, p2) && Same(p3, p4)) {
      RecordSolid(p1, p3);
    } else if (Same(p4, p1) || Same(p4, p2) || Same(p4, p3)) {
      RecordSolid(p1, p2, p3);
    } else if (Same(p3, p1) || Same(p3, p2)) {
      RecordSolid(p1, p2, p4);
    } else if (Same(p2, p1)) {
      RecordSolid(p1, p3, p4);
    } else {
      RecordSolid(p1, p2, p3, p4);
    }
  }

  void RecordSolidSc(std::vector<TJwwEntSolidSc>& list, ShapeKind kind) {
    TJwwEntSolidSc s;
    static_cast<TJwwEntHead&>(s) = TakeHead();
    s.Color = data_.Current.ColorEx;
    for (int i = 0; i < 7; ++i) s.Value[static_cast<std::size_t>(i)] = Real(i + 1);
    s.Number = Int(8);
    Record(data_, list, kind, std::move(s));
  }

  void RecordSolidSo(std::vector<TJwwEntSolidSo>& list, ShapeKind kind) {
    TJwwEntSolidSo s;
    static_cast<TJwwEntHead&>(s) = TakeHead();
    s.Color = data_.Current.ColorEx;
    for (int i = 0; i < 8; ++i) s.Value[static_cast<std::size_t>(i)] = Real(i + 1);
    Record(data_, list, kind, std::move(s));
  }

  bool ParseShape() {
    if (key_ == "ci" && Count() == 4) {
      TJwwEntCircle c;
      static_cast<TJwwEntHead&>(c) = TakeHead();
      c.X = Real(1), c.Y = Real(2), c.R = Real(3);
      Record(data_, data_.Circles, ShapeKind::Circle, std::move(c));
      return true;
    }
    if (key_ == "ci" && Count() >= 8) {
      TJwwEntArc a;
      static_cast<TJwwEntHead&>(a) = TakeHead();
      for (int i = 0; i < 7; ++i) a.Value[static_cast<std::size_t>(i)] = Real(i + 1);
      Record(data_, data_.Arcs, ShapeKind::Arc, std::move(a));
      return true;
    }
    if (Count() >= 6) {
      for (int code = 0; code < 10; ++code) {
        if (key_ != kTextKeys[code]) continue;
        if (code == kTextKeyCs && data_.MessageMode) {
          TJwwEntTextLine tl;
          tl.Line = data_.PendingLine;
          tl.Text = MakeText(code);
          Record(data_, data_.TextLines, ShapeKind::TextLine, std::move(tl));
        } else {
          Record(data_, data_.Texts, ShapeKind::Text, MakeText(code));
        }
        return true;
      }
    }
    if (key_ == "pt" && Count() == 3) {
      TJwwEntPoint p;
      static_cast<TJwwEntHead&>(p) = TakeHead();
      p.PenColor = data_.Current.PointValue;
      p.X = Real(1), p.Y = Real(2);
      Record(data_, data_.Points, ShapeKind::Point, std::move(p));
      return true;
    }
    if (key_ == "pt" && Count() >= 6) {
      TJwwEntPointValue p;
      static_cast<TJwwEntHead&>(p) = TakeHead();
      p.PenColor = data_.Current.PointValue;
      for (int i = 0; i < 4; ++i) p.Value[static_cast<std::size_t>(i)] = Real(i + 1);
      p.Number = Int(5);
      Record(data_, data_.PointValues, ShapeKind::PointValue, std::move(p));
      return true;
    }
    if (key_ == "BL" && Count() >= 4) {
      TJwwEntBlk b;
      static_cast<TJwwEntHead&>(b) = TakeHead();
      b.X = Real(1), b.Y = Real(2);
      b.Name = tokens_.Token[3];
      Record(data_, data_.Blocks, ShapeKind::Block, std::move(b));
      return true;
    }
    if (key_ == "sl" && Count() == 5) {
      RecordSolid(Point(1), Point(2));
      return true;
    }
    if (key_ == "sl" && Count() == 7) {
      RecordSolidOf3();
      return true;
    }
    if (Count() < 9) return false;
    if (key_ == "sl") {
      RecordSolidOf4();
    } else if (key_ == "sc") {
      RecordSolidSc(data_.SolidsSc, ShapeKind::SolidSc);
    } else if (key_ == "se") {
      RecordSolidSc(data_.SolidsSe, ShapeKind::SolidSe);
    } else if (key_ == "so") {
      RecordSolidSo(data_.SolidsSo, ShapeKind::SolidSo);
    } else if (key_ == "sg") {
      RecordSolidSo(data_.SolidsSg, ShapeKind::SolidSg);
    } else {
      return false;
    }
    return true;
  }

  void ParseCoordinates() {
    if (data_.MessageMode) {
      TJwwEntMsgLine line;
      static_cast<TJwwEntHead&>(line) = TakeHead();
      line.X1 = Real(0), line.Y1 = Real(1), line.X2 = Real(2), line.Y2 = Real(3);
      data_.PendingLine = line;
      return;
    }
    TJwwEntLine line;
    static_cast<TJwwEntHead&>(line) = TakeHead();
    line.PolylineNo = data_.PolylineMode ? data_.PolylineNo : 0;
    line.X1 = Real(0), line.Y1 = Real(1), line.X2 = Real(2), line.Y2 = Real(3);
    Record(data_, data_.Lines, ShapeKind::Line, std::move(line));
  }

  const ExchangeTokens& tokens_;
  const std::string& key_;
  TJwwExchange& data_;
  std::string& drawingPath_;
};

// Releases a vector's storage.
template <class T>
void Release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

}  // namespace

ExchangeTokens SplitExchangeLine(const std::string& line) {
  ExchangeTokens tokens;
  int current = 0;
  bool splitting = true;
  const std::size_t size = line.size();
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    std::string& token = tokens.Token[static_cast<std::size_t>(current)];
    if (text::IsLeadByte(b)) {
      if (i + 1 >= size) break;  // a lead byte without its second byte ends the line
      token += line[i];
      token += line[++i];
      continue;
    }
    if (splitting) {
      if (b == '"') {
        splitting = false;
        continue;
      }
      if (b == '=') {
        token += line[i];
        splitting = false;
        continue;
      }
      if (b == ' ' || b == '\t') {
        if (token.empty()) continue;
        if (current + 1 >= kMaxTokens) break;  // tokens after the last slot are dropped
        ++current;
        continue;
      }
    }
    if (b >= 0x20 && b <= 0xFD) token += line[i];
  }
  const bool lastHasText = !tokens.Token[static_cast<std::size_t>(current)].empty();
  tokens.Count = lastHasText ? current + 1 : current;
  return tokens;
}

void ExchangeReader::ResetExchangeData() noexcept {
  try {
    ExchangeData = TJwwExchange();
    ExchangeDrawingPath.clear();
    ExchangeData.LayerGroupValue.assign(kLayerGroupCount, 0);
    ExchangeData.LayerGroupName.assign(kLayerGroupCount, std::string());
    ExchangeData.LayerValue.assign(kLayerCount, 0);
    ExchangeData.LayerName.assign(kLayerCount, std::string());
    ExchangeData.PointDefs.assign(kPointTableSize, TJwwPointDef());
  } catch (...) {
    // out of memory: the tables stay empty and nothing is stored in them
  }
}

void ExchangeReader::ParseExchangeLine(const std::string& line) noexcept {
  try {
    const ExchangeTokens tokens = SplitExchangeLine(line);
    if (tokens.Count == 0) return;
    LineParser(tokens, ExchangeData, ExchangeDrawingPath).Parse();
  } catch (...) {
    // out of memory: the line is passed over
  }
}

bool ExchangeReader::ReadExchangeFile(const std::string& path) noexcept {
  try {
    if (!platform::FileExists(path)) return false;
    platform::InputFile file;
    if (!file.Open(path)) return false;
    std::vector<char> block(kReadBlockSize);
    std::string line;  // Shift-JIS; the part of a line that a block boundary cut
    for (;;) {
      const std::size_t got = file.Read(block.data(), block.size());
      if (file.Failed()) {
        file.Close();
        return false;
      }
      if (got == 0) break;
      const char* at = block.data();
      const char* end = at + got;
      while (at < end) {
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        if (lf == nullptr) {
          line.append(at, end);
          break;
        }
        line.append(at, lf);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ParseExchangeLine(line);
        line.clear();
        at = lf + 1;
      }
    }
    file.Close();
    if (!line.empty()) ParseExchangeLine(line);  // the last line has no line break
    return true;
  } catch (...) {
    return false;
  }
}

void ExchangeReader::FreeExchangeData() noexcept {
  TJwwExchange& data = ExchangeData;
  Release(data.LayerGroupValue);
  Release(data.LayerGroupName);
  Release(data.LayerValue);
  Release(data.LayerName);
  Release(data.PointDefs);
  Release(data.Order);
  Release(data.Lines);
  Release(data.Circles);
  Release(data.Arcs);
  Release(data.Texts);
  Release(data.Points);
  Release(data.PointValues);
  Release(data.TextLines);
  Release(data.Blocks);
  Release(data.Solids2);
  Release(data.Solids3);
  Release(data.Solids4);
  Release(data.SolidsSc);
  Release(data.SolidsSe);
  Release(data.SolidsSo);
  Release(data.SolidsSg);
}

}  // namespace exchange
