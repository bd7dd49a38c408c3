// Entity records and the framing of an entity list with class tags.
#include <algorithm>
#include <cmath>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/DrawingDocument.h"
#include "jww/StringCleanup.h"

namespace jww {
namespace {

// The smallest entity the file can hold: a class reference and a point of an old file.
constexpr std::uint64_t kMinEntityBytes = 2 + 33;
// A point with this line type carries a code, an angle and a scale.
constexpr std::uint8_t kCodedPoint = 100;
// A solid with this colour carries an RGB colour.
constexpr std::uint16_t kRgbSolid = 10;

// Bytes of the common attributes in a file of the version.
std::size_t BaseBytes(std::int32_t v) { return v >= 351 ? 15 : 13; }

void DecodeBase(FieldReader& f, std::int32_t v, TEntJwwBase& base) {
  base.Group = f.I32();
  base.LineType = f.U8();
  base.PenColor = f.U16();
  base.PenWidth = v >= 351 ? f.U16() : 0;
  base.Layer = f.U16();
  base.LayerGroup = f.U16();
  base.Flag = f.U16();
}

bool InLineTypes(int t) { return (t >= 1 && t <= 9) || (t >= 11 && t <= 19) || (t >= 31 && t <= 62); }

void EncodeBase(FieldWriter& f, std::int32_t v, const TEntJwwBase& base, int kind) {
  std::uint8_t lineType = base.LineType;
  switch (kind) {
    case kLineClass:
    case kArcClass:
      if (!InLineTypes(lineType)) lineType = 0;
      break;
    case kPointClass:
      if (lineType != 1 && lineType != kCodedPoint) lineType = 1;
      break;
    case kTextClass:
      if (lineType < 1 || lineType > 9) lineType = 1;
      break;
    default:
      break;
  }
  std::uint16_t penColor = base.PenColor;
  const int c = penColor;
  if (kind >= kLineClass && kind <= kDimClass) {
    if (!((c >= 1 && c <= 9) || (c >= 101 && c <= 356))) penColor = 0;
  } else if (kind == kSolidClass) {
    if (!((c >= 1 && c <= 10) || (c >= 101 && c <= 356))) penColor = 0;
  }
  f.I32(base.Group);
  f.U8(lineType);
  f.U16(penColor);
  if (v >= 351) f.U16(base.PenWidth > 30000 ? 0 : base.PenWidth);
  f.U16(base.Layer > 15 ? 0 : base.Layer);
  f.U16(base.LayerGroup > 15 ? 0 : base.LayerGroup);
  f.U16(base.Flag);
}

void ReadLine(ArchiveReader& ar, std::int32_t v, TEntJwwLine& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 32));
  DecodeBase(f, v, e);
  e.StartX = f.F64();
  e.StartY = f.F64();
  e.EndX = f.F64();
  e.EndY = f.F64();
}

void ReadArc(ArchiveReader& ar, std::int32_t v, TEntJwwArc& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 60));
  DecodeBase(f, v, e);
  e.CenterX = f.F64();
  e.CenterY = f.F64();
  e.Radius = f.F64();
  e.StartAngle = f.F64();
  e.ArcAngle = f.F64();
  e.TiltAngle = f.F64();
  e.Flatness = f.F64();
  e.FullCircle = f.I32();
}

void ReadPoint(ArchiveReader& ar, std::int32_t v, TEntJwwPoint& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 20));
  DecodeBase(f, v, e);
  e.X = f.F64();
  e.Y = f.F64();
  e.TempPoint = f.I32();
  if (e.LineType == kCodedPoint) {
    FieldReader more(ar.Take(20));
    e.Code = more.I32();
    e.Angle = more.F64();
    e.Scale = more.F64();
  }
}

void ReadText(ArchiveReader& ar, std::int32_t v, TEntJwwText& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 68));
  DecodeBase(f, v, e);
  e.StartX = f.F64();
  e.StartY = f.F64();
  e.EndX = f.F64();
  e.EndY = f.F64();
  e.TextType = f.I32();
  e.SizeX = f.F64();
  e.SizeY = f.F64();
  e.Spacing = f.F64();
  e.Angle = f.F64();
  e.FontName = ar.ReadCleanString();
  e.Text = ar.ReadCleanString();
}

void ReadDim(ArchiveReader& ar, std::int32_t v, TEntJwwDim& e) {
  ReadBase(ar, v, e);
  ReadLine(ar, v, e.DimLine);
  ReadText(ar, v, e.DimText);
  if (v >= 420) {
    e.SxfMode = ar.ReadU16();
    ReadLine(ar, v, e.AuxLine1);
    ReadLine(ar, v, e.AuxLine2);
    for (TEntJwwPoint* p : {&e.Point1, &e.Point2, &e.AuxPoint1, &e.AuxPoint2}) ReadPoint(ar, v, *p);
    return;
  }
  // older dimensions get the extension from their own attributes, all numbers zero
  e.SxfMode = 0;
  for (TEntJwwLine* l : {&e.AuxLine1, &e.AuxLine2}) {
    *l = TEntJwwLine{};
    CopyBase(e, *l);
  }
  for (TEntJwwPoint* p : {&e.Point1, &e.Point2, &e.AuxPoint1, &e.AuxPoint2}) {
    *p = TEntJwwPoint{};
    CopyBase(e, *p);
    p->LineType = 0;
  }
}

void ReadSolid(ArchiveReader& ar, std::int32_t v, TEntJwwSolid& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 64));
  DecodeBase(f, v, e);
  for (double* d : {&e.X1, &e.Y1, &e.X2, &e.Y2, &e.X3, &e.Y3, &e.X4, &e.Y4}) *d = f.F64();
  e.Color = e.PenColor == kRgbSolid ? ar.ReadI32() : 0;
}

void ReadBlock(ArchiveReader& ar, std::int32_t v, TEntJwwBlock& e) {
  FieldReader f(ar.Take(BaseBytes(v) + 44));
  DecodeBase(f, v, e);
  e.X = f.F64();
  e.Y = f.F64();
  e.ScaleX = f.F64();
  e.ScaleY = f.F64();
  e.Angle = f.F64();
  e.Number = f.I32();
}

// Reads one record into the end of its array; returns its index.
template <typename Record, typename ReadFn>
std::int32_t ReadInto(RecordArray<Record>& array, ArchiveReader& ar, std::int32_t v, ReadFn read) {
  array.emplace_back();
  try {
    read(ar, v, array.back());
  } catch (...) {
    array.pop_back();
    throw;
  }
  return static_cast<std::int32_t>(array.size() - 1);
}

void WriteLine(ArchiveWriter& ar, std::int32_t v, const TEntJwwLine& e) {
  FieldWriter f(ar.Room(BaseBytes(v) + 32));
  EncodeBase(f, v, e, kLineClass);
  f.F64(e.StartX);
  f.F64(e.StartY);
  f.F64(e.EndX);
  f.F64(e.EndY);
}

void WritePoint(ArchiveWriter& ar, std::int32_t v, const TEntJwwPoint& e) {
  const bool coded = e.LineType == kCodedPoint;
  FieldWriter f(ar.Room(BaseBytes(v) + 20 + (coded ? 20 : 0)));
  EncodeBase(f, v, e, kPointClass);
  f.F64(e.X);
  f.F64(e.Y);
  f.I32(e.TempPoint);
  if (coded) {
    f.I32(e.Code);
    f.F64(e.Angle);
    f.F64(e.Scale);
  }
}

void WriteText(ArchiveWriter& ar, std::int32_t v, const TEntJwwText& e) {
  FieldWriter f(ar.Room(BaseBytes(v) + 68));
  EncodeBase(f, v, e, kTextClass);
  f.F64(e.StartX);
  f.F64(e.StartY);
  f.F64(e.EndX);
  f.F64(e.EndY);
  f.I32(e.TextType);
  f.F64(e.SizeX);
  f.F64(e.SizeY);
  f.F64(e.Spacing);
  f.F64(e.Angle);
  WriteCleanString(ar, e.FontName);
  WriteCleanString(ar, e.Text);
}

void WriteRecord(ArchiveWriter& ar, std::int32_t v, const TEntJwwArc& e) {
  FieldWriter f(ar.Room(BaseBytes(v) + 60));
  EncodeBase(f, v, e, kArcClass);
  for (double d : {e.CenterX, e.CenterY, e.Radius, e.StartAngle, e.ArcAngle, e.TiltAngle, e.Flatness}) f.F64(d);
  f.I32(e.FullCircle);
}

void WriteRecord(ArchiveWriter& ar, std::int32_t v, const TEntJwwDim& e) {
  WriteBase(ar, v, e, kDimClass);
  WriteLine(ar, v, e.DimLine);
  WriteText(ar, v, e.DimText);
  if (v < 420) return;
  ar.WriteU16(e.SxfMode);
  WriteLine(ar, v, e.AuxLine1);
  WriteLine(ar, v, e.AuxLine2);
  for (const TEntJwwPoint* p : {&e.Point1, &e.Point2, &e.AuxPoint1, &e.AuxPoint2}) WritePoint(ar, v, *p);
}

void WriteRecord(ArchiveWriter& ar, std::int32_t v, const TEntJwwSolid& e) {
  const bool rgb = e.PenColor == kRgbSolid;
  FieldWriter f(ar.Room(BaseBytes(v) + 64 + (rgb ? 4 : 0)));
  EncodeBase(f, v, e, kSolidClass);
  for (double d : {e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4}) f.F64(d);
  if (rgb) f.I32(e.Color);
}

void WriteRecord(ArchiveWriter& ar, std::int32_t v, const TEntJwwBlock& e, std::int32_t number) {
  FieldWriter f(ar.Room(BaseBytes(v) + 44));
  EncodeBase(f, v, e, kBlockClass);
  for (double d : {e.X, e.Y, e.ScaleX, e.ScaleY, e.Angle}) f.F64(d);
  f.I32(number);
}

}  // namespace

void ReadBase(ArchiveReader& ar, std::int32_t version, TEntJwwBase& base) {
  FieldReader f(ar.Take(BaseBytes(version)));
  DecodeBase(f, version, base);
}

void CopyBase(const TEntJwwBase& source, TEntJwwBase& target) { target = source; }

void WriteBase(ArchiveWriter& ar, std::int32_t version, const TEntJwwBase& base, int kind) {
  FieldWriter f(ar.Room(BaseBytes(version)));
  EncodeBase(f, version, base, kind);
}

void TJwwData::ReadEntities(ArchiveReader& ar, EntityList& list) {
  const std::int32_t v = Header.Version;
  const std::uint32_t count = ar.ReadCount();
  ar.CheckFits(count, kMinEntityBytes);
  list.EntityCount = static_cast<std::int32_t>(count);
  list.Order.reserve(count);
  std::uint32_t taken = 0;
  while (taken < count) {
    const int classNo = ar.ReadClassTag(false);
    if (classNo == kNoClass) continue;  // no record follows; the next bytes are a tag
    try {
      std::int32_t index = 0;
      switch (classNo) {
        case kLineClass: index = ReadInto(list.Lines, ar, v, ReadLine); break;
        case kArcClass: index = ReadInto(list.Arcs, ar, v, ReadArc); break;
        case kPointClass: index = ReadInto(list.Points, ar, v, ReadPoint); break;
        case kTextClass: index = ReadInto(list.Texts, ar, v, ReadText); break;
        case kDimClass: index = ReadInto(list.Dims, ar, v, ReadDim); break;
        case kSolidClass: index = ReadInto(list.Solids, ar, v, ReadSolid); break;
        default: index = ReadInto(list.Blocks, ar, v, ReadBlock); break;
      }
      list.Order.push_back({classNo, index});
    } catch (const ArchiveError&) {
      // only this entity is lost; the reader goes on with the next tag
    }
    ++taken;
    ar.AdvanceMapCounter();
  }
}

void TJwwData::WriteEntities(ArchiveWriter& ar, const EntityList& list, std::int32_t v) const {
  // a record the list holds; an insert whose number no definition has names nothing
  auto written = [this, &list](const TEntJwwOrder& o) {
    const auto i = static_cast<std::size_t>(o.Index);
    switch (o.ClassNo) {
      case kLineClass: return i < list.Lines.size();
      case kArcClass: return i < list.Arcs.size();
      case kPointClass: return i < list.Points.size();
      case kTextClass: return i < list.Texts.size();
      case kDimClass: return i < list.Dims.size();
      case kSolidClass: return i < list.Solids.size();
      case kBlockClass: return i < list.Blocks.size() && FindBlockDef(list.Blocks[i].Number) >= 0;
      default: return false;
    }
  };
  ar.WriteCount(static_cast<std::uint32_t>(std::count_if(list.Order.begin(), list.Order.end(), written)));
  for (const TEntJwwOrder& o : list.Order) {
    if (!written(o)) continue;  // skipped before its tag, so the class numbering stays right
    ar.WriteClassTag(o.ClassNo, static_cast<std::uint32_t>(v));
    const auto i = static_cast<std::size_t>(o.Index);
    switch (o.ClassNo) {
      case kLineClass: WriteLine(ar, v, list.Lines[i]); break;
      case kArcClass: WriteRecord(ar, v, list.Arcs[i]); break;
      case kPointClass: WritePoint(ar, v, list.Points[i]); break;
      case kTextClass: WriteText(ar, v, list.Texts[i]); break;
      case kDimClass: WriteRecord(ar, v, list.Dims[i]); break;
      case kSolidClass: WriteRecord(ar, v, list.Solids[i]); break;
      default: WriteRecord(ar, v, list.Blocks[i], MapBlockNumber(list.Blocks[i].Number)); break;
    }
    ar.AdvanceMapCounter();
  }
}

}  // namespace jww
