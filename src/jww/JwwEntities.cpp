// Entity records and the framing of an entity list with class tags.
#include <algorithm>
#include <cmath>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/jwwunit.h"

namespace jww {
namespace {

// The smallest entity the file can hold: a class reference and a point of an old file.
constexpr std::uint64_t kMinEntityBytes = 2 + 33;
// A point with this line type carries a code, an angle and a scale.
constexpr std::uint8_t kCodedPoint = 100;
// A solid with this colour carries an RGB colour.
constexpr std::uint16_t kRgbSolid = 10;

void ReadLineFields(ArchiveReader& ar, TEntJwwLine& e) {
  e.StartX = ar.ReadF64();
  e.StartY = ar.ReadF64();
  e.EndX = ar.ReadF64();
  e.EndY = ar.ReadF64();
}

void ReadPointFields(ArchiveReader& ar, TEntJwwPoint& e) {
  e.X = ar.ReadF64();
  e.Y = ar.ReadF64();
  e.TempPoint = ar.ReadI32();
  if (e.LineType == kCodedPoint) {
    e.Code = ar.ReadI32();
    e.Angle = ar.ReadF64();
    e.Scale = ar.ReadF64();
  }
}

void ReadTextFields(ArchiveReader& ar, TEntJwwText& e) {
  e.StartX = ar.ReadF64();
  e.StartY = ar.ReadF64();
  e.EndX = ar.ReadF64();
  e.EndY = ar.ReadF64();
  e.TextType = ar.ReadI32();
  e.SizeX = ar.ReadF64();
  e.SizeY = ar.ReadF64();
  e.Spacing = ar.ReadF64();
  e.Angle = ar.ReadF64();
}

void ReadLine(ArchiveReader& ar, std::int32_t v, TEntJwwLine& e) {
  ReadBase(ar, v, e);
  ReadLineFields(ar, e);
}

void ReadArc(ArchiveReader& ar, std::int32_t v, TEntJwwArc& e) {
  ReadBase(ar, v, e);
  e.CenterX = ar.ReadF64();
  e.CenterY = ar.ReadF64();
  e.Radius = ar.ReadF64();
  e.StartAngle = ar.ReadF64();
  e.ArcAngle = ar.ReadF64();
  e.TiltAngle = ar.ReadF64();
  e.Flatness = ar.ReadF64();
  e.FullCircle = ar.ReadI32();
}

void ReadPoint(ArchiveReader& ar, std::int32_t v, TEntJwwPoint& e) {
  ReadBase(ar, v, e);
  ReadPointFields(ar, e);
}

void ReadText(ArchiveReader& ar, std::int32_t v, TEntJwwText& e) {
  ReadBase(ar, v, e);
  ReadTextFields(ar, e);
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
  ReadBase(ar, v, e);
  for (double* d : {&e.X1, &e.Y1, &e.X2, &e.Y2, &e.X3, &e.Y3, &e.X4, &e.Y4}) *d = ar.ReadF64();
  e.Color = e.PenColor == kRgbSolid ? ar.ReadI32() : 0;
}

void ReadBlock(ArchiveReader& ar, std::int32_t v, TEntJwwBlock& e) {
  ReadBase(ar, v, e);
  e.X = ar.ReadF64();
  e.Y = ar.ReadF64();
  e.ScaleX = ar.ReadF64();
  e.ScaleY = ar.ReadF64();
  e.Angle = ar.ReadF64();
  e.Number = ar.ReadI32();
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

void WriteLineFields(ArchiveWriter& ar, const TEntJwwLine& e) {
  ar.WriteF64(e.StartX);
  ar.WriteF64(e.StartY);
  ar.WriteF64(e.EndX);
  ar.WriteF64(e.EndY);
}

void WriteLine(ArchiveWriter& ar, std::int32_t v, const TEntJwwLine& e) {
  WriteBase(ar, v, e, kLineClass);
  WriteLineFields(ar, e);
}

void WritePoint(ArchiveWriter& ar, std::int32_t v, const TEntJwwPoint& e) {
  WriteBase(ar, v, e, kPointClass);
  ar.WriteF64(e.X);
  ar.WriteF64(e.Y);
  ar.WriteI32(e.TempPoint);
  if (e.LineType == kCodedPoint) {
    ar.WriteI32(e.Code);
    ar.WriteF64(e.Angle);
    ar.WriteF64(e.Scale);
  }
}

void WriteText(ArchiveWriter& ar, std::int32_t v, const TEntJwwText& e) {
  WriteBase(ar, v, e, kTextClass);
  ar.WriteF64(e.StartX);
  ar.WriteF64(e.StartY);
  ar.WriteF64(e.EndX);
  ar.WriteF64(e.EndY);
  ar.WriteI32(e.TextType);
  ar.WriteF64(e.SizeX);
  ar.WriteF64(e.SizeY);
  ar.WriteF64(e.Spacing);
  ar.WriteF64(e.Angle);
  WriteCleanString(ar, e.FontName);
  WriteCleanString(ar, e.Text);
}

void WriteRecord(ArchiveWriter& ar, std::int32_t v, const TEntJwwArc& e) {
  WriteBase(ar, v, e, kArcClass);
  for (double d : {e.CenterX, e.CenterY, e.Radius, e.StartAngle, e.ArcAngle, e.TiltAngle, e.Flatness}) ar.WriteF64(d);
  ar.WriteI32(e.FullCircle);
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
  WriteBase(ar, v, e, kSolidClass);
  for (double d : {e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4}) ar.WriteF64(d);
  if (e.PenColor == kRgbSolid) ar.WriteI32(e.Color);
}

bool InLineTypes(int t) { return (t >= 1 && t <= 9) || (t >= 11 && t <= 19) || (t >= 31 && t <= 62); }

}  // namespace

void ReadBase(ArchiveReader& ar, std::int32_t version, TEntJwwBase& base) {
  base.Group = ar.ReadI32();
  base.LineType = ar.ReadU8();
  base.PenColor = ar.ReadU16();
  base.PenWidth = version >= 351 ? ar.ReadU16() : 0;
  base.Layer = ar.ReadU16();
  base.LayerGroup = ar.ReadU16();
  base.Flag = ar.ReadU16();
}

void CopyBase(const TEntJwwBase& source, TEntJwwBase& target) { target = source; }

void WriteBase(ArchiveWriter& ar, std::int32_t version, const TEntJwwBase& base, int kind) {
  TEntJwwBase b = base;
  switch (kind) {
    case kLineClass:
    case kArcClass:
      if (!InLineTypes(b.LineType)) b.LineType = 0;
      break;
    case kPointClass:
      if (b.LineType != 1 && b.LineType != kCodedPoint) b.LineType = 1;
      break;
    case kTextClass:
      if (b.LineType < 1 || b.LineType > 9) b.LineType = 1;
      break;
    default:
      break;
  }
  const int c = b.PenColor;
  if (kind >= kLineClass && kind <= kDimClass) {
    if (!((c >= 1 && c <= 9) || (c >= 101 && c <= 356))) b.PenColor = 0;
  } else if (kind == kSolidClass) {
    if (!((c >= 1 && c <= 10) || (c >= 101 && c <= 356))) b.PenColor = 0;
  }
  if (b.Layer > 15) b.Layer = 0;
  if (b.LayerGroup > 15) b.LayerGroup = 0;
  if (b.PenWidth > 30000) b.PenWidth = 0;
  ar.WriteI32(b.Group);
  ar.WriteU8(b.LineType);
  ar.WriteU16(b.PenColor);
  if (version >= 351) ar.WriteU16(b.PenWidth);
  ar.WriteU16(b.Layer);
  ar.WriteU16(b.LayerGroup);
  ar.WriteU16(b.Flag);
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
  auto valid = [&list](const TEntJwwOrder& o) {
    const auto i = static_cast<std::size_t>(o.Index);
    switch (o.ClassNo) {
      case kLineClass: return i < list.Lines.size();
      case kArcClass: return i < list.Arcs.size();
      case kPointClass: return i < list.Points.size();
      case kTextClass: return i < list.Texts.size();
      case kDimClass: return i < list.Dims.size();
      case kSolidClass: return i < list.Solids.size();
      case kBlockClass: return i < list.Blocks.size();
      default: return false;
    }
  };
  ar.WriteCount(static_cast<std::uint32_t>(std::count_if(list.Order.begin(), list.Order.end(), valid)));
  for (const TEntJwwOrder& o : list.Order) {
    if (!valid(o)) continue;
    ar.WriteClassTag(o.ClassNo, static_cast<std::uint32_t>(v));
    const auto i = static_cast<std::size_t>(o.Index);
    switch (o.ClassNo) {
      case kLineClass: WriteLine(ar, v, list.Lines[i]); break;
      case kArcClass: WriteRecord(ar, v, list.Arcs[i]); break;
      case kPointClass: WritePoint(ar, v, list.Points[i]); break;
      case kTextClass: WriteText(ar, v, list.Texts[i]); break;
      case kDimClass: WriteRecord(ar, v, list.Dims[i]); break;
      case kSolidClass: WriteRecord(ar, v, list.Solids[i]); break;
      default: {
        const TEntJwwBlock& e = list.Blocks[i];
        WriteBase(ar, v, e, kBlockClass);
        for (double d : {e.X, e.Y, e.ScaleX, e.ScaleY, e.Angle}) ar.WriteF64(d);
        ar.WriteI32(MapBlockNumber(e.Number));
        break;
      }
    }
    ar.AdvanceMapCounter();
  }
}

}  // namespace jww
