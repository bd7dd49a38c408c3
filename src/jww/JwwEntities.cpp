// Entity records, block definitions, and the framing of their lists with class tags.
#include <algorithm>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "jww/DrawingDocument.h"
#include "jww/RecordIo.h"
#include "jww/StringCleanup.h"

namespace jww {
namespace {

// The smallest entity the file can hold: a class reference and a point of an old file.
constexpr std::uint64_t kMinEntityBytes = 2 + 33;
// The smallest block definition: tag, old base, three dwords, empty name, count.
constexpr std::uint64_t kMinBlockDefBytes = 2 + 13 + 12 + 1 + 2;
// A point with this line type carries a code, an angle and a scale.
constexpr std::uint8_t kCodedPoint = 100;
// A solid with this colour carries an RGB colour.
constexpr std::uint16_t kRgbSolid = 10;

// The record array of each entity class, in class-number order from kLineClass.
constexpr auto kRecordArrays = std::make_tuple(&EntityList::Lines, &EntityList::Arcs, &EntityList::Points,
                                               &EntityList::Texts, &EntityList::Dims, &EntityList::Solids,
                                               &EntityList::Blocks);
constexpr auto kClassSlots = std::make_index_sequence<std::tuple_size_v<decltype(kRecordArrays)>>{};

// The record type of the class in slot I of the table.
template <std::size_t I>
using RecordOfSlot =
    typename std::remove_cvref_t<decltype(std::declval<EntityList&>().*std::get<I>(kRecordArrays))>::value_type;

// The class number of a record type.
template <typename Record, std::size_t... I>
constexpr int ClassNumberOf(std::index_sequence<I...>) {
  int classNo = kNoClass;
  ((classNo = std::is_same_v<Record, RecordOfSlot<I>> ? kLineClass + static_cast<int>(I) : classNo), ...);
  return classNo;
}
template <typename Record>
constexpr int kClassOf = ClassNumberOf<Record>(kClassSlots);

// Calls f with the list's record array of an entity class; false for a number of no class.
template <typename List, typename F>
bool WithRecords(List& list, int classNo, F&& f) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return ((classNo == kLineClass + static_cast<int>(I) && (f(list.*std::get<I>(kRecordArrays)), true)) || ...);
  }(kClassSlots);
}

// Bytes of the common attributes in a file of the version.
std::size_t BaseBytes(std::int32_t v) { return v >= 351 ? 15 : 13; }

// Descriptions of the records, each field once in file order, for an archive `Io` of
// either direction. A fixed run of fields is taken or reserved as one block.

template <typename Fields>
void TransferBase(Fields& f, TEntJwwBase& b, std::int32_t v) {
  f(b.Group, b.LineType, b.PenColor);
  if (v >= 351) {
    f(b.PenWidth);
  } else if (!Fields::kStoring) {
    b.PenWidth = 0;  // absent from older files
  }
  f(b.Layer, b.LayerGroup, b.Flag);
}

// The common attributes and the fixed fields after them, as one block.
template <typename Io, typename... T>
void BaseAndFields(Io& io, TEntJwwBase& b, std::int32_t v, T&... fields) {
  auto f = io.Fields(BaseBytes(v) + (0 + ... + sizeof(T)));
  TransferBase(f, b, v);
  f(fields...);
}

template <typename Io>
void Transfer(Io& io, TEntJwwLine& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.StartX, e.StartY, e.EndX, e.EndY);
}

template <typename Io>
void Transfer(Io& io, TEntJwwArc& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.CenterX, e.CenterY, e.Radius, e.StartAngle, e.ArcAngle, e.TiltAngle, e.Flatness,
                e.FullCircle);
}

template <typename Io>
void Transfer(Io& io, TEntJwwPoint& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.X, e.Y, e.TempPoint);
  if (e.LineType == kCodedPoint) io.Block(e.Code, e.Angle, e.Scale);
}

template <typename Io>
void Transfer(Io& io, TEntJwwText& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.StartX, e.StartY, e.EndX, e.EndY, e.TextType, e.SizeX, e.SizeY, e.Spacing, e.Angle);
  io.String(e.FontName);
  io.String(e.Text);
}

// Older dimensions get the extension from their own attributes, all numbers zero.
void ExtensionFromBase(TEntJwwDim& e) {
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

template <typename Io>
void Transfer(Io& io, TEntJwwDim& e, std::int32_t v) {
  BaseAndFields(io, e, v);
  Transfer(io, e.DimLine, v);
  Transfer(io, e.DimText, v);
  if (v >= 420) {
    io(e.SxfMode);
    Transfer(io, e.AuxLine1, v);
    Transfer(io, e.AuxLine2, v);
    for (TEntJwwPoint* p : {&e.Point1, &e.Point2, &e.AuxPoint1, &e.AuxPoint2}) Transfer(io, *p, v);
  } else if (!Io::kStoring) {
    ExtensionFromBase(e);
  }
}

template <typename Io>
void Transfer(Io& io, TEntJwwSolid& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.X1, e.Y1, e.X2, e.Y2, e.X3, e.Y3, e.X4, e.Y4);
  if (e.PenColor == kRgbSolid) io(e.Color);
}

template <typename Io>
void Transfer(Io& io, TEntJwwBlock& e, std::int32_t v) {
  BaseAndFields(io, e, v, e.X, e.Y, e.ScaleX, e.ScaleY, e.Angle, e.Number);
}

// A block definition's own fields; its entity list follows as a list of its own. `ordinal`
// (counted from 1) stands in for a long time stamp, which is not kept.
template <typename Io>
void Transfer(Io& io, TEntJwwBlockDef& e, std::int32_t v, std::int32_t ordinal) {
  BaseAndFields(io, e, v, e.Number, e.Referenced, e.Time);
  if (!Io::kStoring && static_cast<std::uint32_t>(e.Time) >= 0x80000000u) {
    io.Reserved(8);
    e.Time = ordinal;
  }
  io.String(e.Name);
}

// The writer's clean-ups: the values a record is written with, on a copy of it.

bool InLineTypes(int t) { return (t >= 1 && t <= 9) || (t >= 11 && t <= 19) || (t >= 31 && t <= 62); }

// The attributes as an attribute kind (a class number 1-8) writes them.
void CleanBase(TEntJwwBase& b, int kind) {
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
  if (b.PenWidth > 30000) b.PenWidth = 0;
  if (b.Layer > 15) b.Layer = 0;
  if (b.LayerGroup > 15) b.LayerGroup = 0;
}

// A record whose clean-up is that of its attributes.
template <typename Record>
Record CleanForWrite(Record e) {
  CleanBase(e, kClassOf<Record>);
  return e;
}

TEntJwwText CleanForWrite(TEntJwwText e) {
  CleanBase(e, kTextClass);
  CleanInPlace(e.FontName);
  CleanInPlace(e.Text);
  return e;
}

TEntJwwDim CleanForWrite(TEntJwwDim e) {
  CleanBase(e, kDimClass);
  e.DimLine = CleanForWrite(std::move(e.DimLine));
  e.DimText = CleanForWrite(std::move(e.DimText));
  e.AuxLine1 = CleanForWrite(std::move(e.AuxLine1));
  e.AuxLine2 = CleanForWrite(std::move(e.AuxLine2));
  for (TEntJwwPoint* p : {&e.Point1, &e.Point2, &e.AuxPoint1, &e.AuxPoint2}) *p = CleanForWrite(std::move(*p));
  return e;
}

// A definition's own fields as a save writes them, without its entities.
TEntJwwBlockDef CleanHeadForWrite(const TEntJwwBlockDef& def) {
  TEntJwwBlockDef clean;
  static_cast<TEntJwwBase&>(clean) = def;
  CleanBase(clean, kBlockDefClass);
  clean.Number = def.Number;
  clean.Referenced = def.Referenced;
  clean.Time = def.Time;
  clean.Name = def.Name;
  CleanInPlace(clean.Name);
  return clean;
}

// Reads one record into the end of its array; returns its index.
template <typename Record>
std::int32_t ReadInto(RecordArray<Record>& array, RecordReader& io, std::int32_t v) {
  array.emplace_back();
  try {
    Transfer(io, array.back(), v);
  } catch (...) {
    array.pop_back();
    throw;
  }
  return static_cast<std::int32_t>(array.size() - 1);
}

}  // namespace

void ReadBase(ArchiveReader& ar, std::int32_t version, TEntJwwBase& base) {
  RecordReader io(ar);
  BaseAndFields(io, base, version);
}

void CopyBase(const TEntJwwBase& source, TEntJwwBase& target) { target = source; }

void WriteBase(ArchiveWriter& ar, std::int32_t version, const TEntJwwBase& base, int kind) {
  TEntJwwBase clean = base;
  CleanBase(clean, kind);
  RecordWriter io(ar);
  BaseAndFields(io, clean, version);
}

void TJwwData::ReadEntities(ArchiveReader& ar, EntityList& list) {
  const std::int32_t v = Header.Version;
  RecordReader io(ar);
  const std::uint64_t countAt = ar.Position();
  const std::uint32_t count = ar.ReadCount();
  ar.CheckFits(count, kMinEntityBytes, "entity count", countAt);
  list.EntityCount = static_cast<std::int32_t>(count);
  list.Order.reserve(count);
  std::uint32_t taken = 0;
  while (taken < count) {
    const int classNo = ar.ReadClassTag(false);
    if (classNo == kNoClass) continue;  // no record follows; the next bytes are a tag
    try {
      std::int32_t index = 0;
      WithRecords(list, classNo, [&](auto& records) { index = ReadInto(records, io, v); });
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
    bool held = false;
    WithRecords(list, o.ClassNo, [&](const auto& records) { held = i < records.size(); });
    return held && (o.ClassNo != kBlockClass || FindBlockDef(list.Blocks[i].Number) >= 0);
  };
  RecordWriter io(ar);
  ar.WriteCount(static_cast<std::uint32_t>(std::count_if(list.Order.begin(), list.Order.end(), written)));
  for (const TEntJwwOrder& o : list.Order) {
    if (!written(o)) continue;  // skipped before its tag, so the class numbering stays right
    ar.WriteClassTag(o.ClassNo, static_cast<std::uint32_t>(v));
    const auto i = static_cast<std::size_t>(o.Index);
    WithRecords(list, o.ClassNo, [&](const auto& records) {
      auto clean = CleanForWrite(records[i]);
      if constexpr (std::is_same_v<decltype(clean), TEntJwwBlock>) {
        clean.Number = MapBlockNumber(clean.Number);  // the number the definition is written with
      }
      Transfer(io, clean, v);
    });
    ar.AdvanceMapCounter();
  }
}

void TJwwData::ReadBlockDefs(ArchiveReader& ar) {
  const std::int32_t v = Header.Version;
  RecordReader io(ar);
  const std::uint64_t countAt = ar.Position();
  const std::uint32_t count = ar.ReadCount();
  ar.CheckFits(count, kMinBlockDefBytes, "block definition count", countAt);
  BlockDefs.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    TEntJwwBlockDef& def = BlockDefs[i];
    ar.ReadClassTag(true);  // whatever the tag says, a block definition follows
    Transfer(io, def, v, static_cast<std::int32_t>(i + 1));
    ar.AdvanceMapCounter();  // the definition object itself
    ReadEntities(ar, def);
  }
}

void TJwwData::WriteBlockDefs(ArchiveWriter& ar, std::int32_t v) const {
  RecordWriter io(ar);
  ar.WriteCount(static_cast<std::uint32_t>(ReferencedBlockCount));
  for (const TEntJwwBlockDef& def : BlockDefs) {
    if (def.Used != 1) continue;
    ar.WriteClassTag(kBlockDefClass, static_cast<std::uint32_t>(v));
    TEntJwwBlockDef clean = CleanHeadForWrite(def);
    clean.Number = MapBlockNumber(def.Number);
    Transfer(io, clean, v, 0);
    ar.AdvanceMapCounter();
    WriteEntities(ar, def, v);
  }
}

}  // namespace jww
