// The header: format version and drawing-wide settings, each field gated by the
// version that first carries it.
#include <algorithm>
#include <string>
#include <vector>

#include "jww/DrawingDocument.h"
#include "jww/RecordIo.h"
#include "jww/StringCleanup.h"

namespace jww {
namespace {

// Sizes of the header tables, whatever the version.
constexpr int kLayerGroupCount = 16;
constexpr int kLayersPerGroup = 16;
constexpr int kPenCount = 10;
constexpr int kLineTypeCount = 8;
constexpr int kRandomLineCount = 5;
constexpr int kDoubleLineCount = 4;
constexpr int kColorExCount = 257;
constexpr int kLineTypeExCount = 33;
constexpr int kTextTypeCount = 10;

// The drawing switches are absent in 221, 222, 224 and 226 to 229.
bool HasSwitches(std::int32_t v) { return v == 220 || v == 223 || v == 225 || v >= 230; }
bool HasEyePoints(std::int32_t v) { return HasSwitches(v) && v >= 223; }
bool HasLastSizes(std::int32_t v) { return HasSwitches(v) && v >= 225; }
bool HasSolidColor(std::int32_t v) { return HasSwitches(v) && v >= 230; }


// Every table at its full size, whatever the version; entries added are empty.
template <typename Owner>
void SizeTables(Owner& d) {
  d.LayerGroups.resize(kLayerGroupCount);
  d.Layers.resize(kLayerGroupCount * kLayersPerGroup);
  d.Pens.resize(kPenCount);
  d.LineTypes.resize(kLineTypeCount);
  d.RandomLines.resize(kRandomLineCount);
  d.DoubleLines.resize(kDoubleLineCount);
  d.ColorsEx.resize(kColorExCount);
  d.LineTypesEx.resize(kLineTypeExCount);
  d.TextTypes.resize(kTextTypeCount);
}

// The eleventh switch word, held as its units digit and its tens part.
template <typename Io>
void TransferSwitch11(Io& io, TEntJwwHeader& h) {
  std::int32_t word = Io::kStoring ? h.Switch11Units + 10 * h.Switch11Tens : 0;
  io(word);
  if (!Io::kStoring) {
    h.Switch11Units = word % 10;
    h.Switch11Tens = word / 10;
  }
}

// The header in file order. `Owner` holds the header and its sized tables: the document
// when reading, a cleaned HeaderSection when writing. Reading stops after a version below 220.
template <typename Io, typename Owner>
void Transfer(Io& io, Owner& d) {
  TEntJwwHeader& h = d.Header;
  io.Bytes(h.Signature, 8);
  io(h.Version);
  const std::int32_t v = h.Version;
  if (!Io::kStoring && v < 220) throw ArchiveError("version " + std::to_string(v) + " is older than 220", 8);

  io.RawString(h.Memo);
  io(h.PaperSize, h.WriteLayerGroup);
  for (int g = 0; g < kLayerGroupCount; ++g) {
    auto& group = d.LayerGroups[g];
    io(group.State, group.WriteLayer, group.Scale, group.Protect);
    for (int l = 0; l < kLayersPerGroup; ++l) {
      auto& layer = d.Layers[g * kLayersPerGroup + l];
      io(layer.State, layer.Protect);
    }
  }
  io.Reserved(56);  // fourteen reserved dwords
  io(h.DimSettings);
  io.Reserved(4);
  io(h.MaxLineWidth, h.PrinterOriginX, h.PrinterOriginY, h.PrinterScale, h.PrinterSetting);
  io(h.GridMode, h.GridMinSpacing, h.GridSpacingX, h.GridSpacingY, h.GridOriginX, h.GridOriginY);
  for (auto& layer : d.Layers) io.String(layer.Name);
  for (auto& group : d.LayerGroups) io.String(group.Name);
  io(h.SunHeight, h.SunLatitude, h.SunNineToFifteen, h.SunWallHeight);
  // the sky-diagram values are in the file from 231 but meaningful from 300
  if (v >= 300) {
    io(h.SkyHeight, h.SkyRadius);
  } else if (v >= 231) {
    io.Reserved(16);
  }
  io(h.Unit25D, h.ScreenScale, h.ScreenOriginX, h.ScreenOriginY, h.RangeScale, h.RangeOriginX, h.RangeOriginY);
  const int markJumps = v >= 231 ? 8 : 4;
  for (int i = 1; i <= markJumps; ++i) {
    io(h.MarkJumpScale[i], h.MarkJumpX[i], h.MarkJumpY[i]);
    if (v >= 231) io(h.MarkJumpGroup[i]);
  }
  if (v >= 231) io(h.FurtherA, h.FurtherFlagA, h.FurtherB, h.FurtherFlagB);
  io(h.MultiLineSpacing, h.MultiLineEndGap);
  for (auto& pen : d.Pens) io(pen.ScreenColor, pen.ScreenWidth);
  for (auto& pen : d.Pens) io(pen.PrinterColor, pen.PrinterWidth, pen.DotRadius);
  for (auto& t : d.LineTypes) io(t.Pattern, t.UnitDots, t.Pitch, t.PrinterPitch);
  for (auto& r : d.RandomLines) io(r.Pattern, r.Amplitude, r.Pitch, r.PrinterAmplitude, r.PrinterPitch);
  for (auto& t : d.DoubleLines) io(t.Pattern, t.UnitDots, t.Pitch, t.PrinterPitch);
  if (HasSwitches(v)) {
    io(h.Switches);
    TransferSwitch11(io, h);
  }
  if (HasEyePoints(v)) {
    io(h.DrawingTime, h.EyePointSwitch, h.EyeAngles);
    io(h.PerspectiveHeight, h.PerspectiveDistance, h.BirdHeight, h.BirdDistance, h.IsoAngle);
  }
  if (HasLastSizes(v)) io(h.LastLineLength, h.LastBoxWidth, h.LastBoxHeight, h.LastCircleRadius);
  if (HasSolidColor(v)) io(h.SolidColorSwitch, h.SolidColor);
  if (v >= 420) {
    for (auto& c : d.ColorsEx) io(c.ScreenColor, c.ScreenWidth);
    for (auto& c : d.ColorsEx) {
      io.String(c.Name);
      io(c.PrinterColor, c.PrinterWidth, c.DotRadius);
    }
    for (auto& t : d.LineTypesEx) io(t.Pattern, t.UnitDots, t.Pitch, t.PrinterPitch);
    for (auto& t : d.LineTypesEx) {
      io.String(t.Name);
      io(t.SegmentCount, t.Pitches);
    }
  }
  for (auto& t : d.TextTypes) io(t.Width, t.Height, t.Spacing, t.Color);
  io(h.TextWidth, h.TextHeight, h.TextSpacing, h.TextColor, h.TextTypeNo, h.TidySpacing, h.TidyCount);
  io(h.BaseShiftSwitch, h.ShiftLeft, h.ShiftCentre, h.ShiftRight, h.ShiftBottom, h.ShiftMiddle, h.ShiftTop);
}

JwwString NumberedName(const char* prefix, int entry, StringForm form) {
  return JwwString(prefix + std::to_string(entry), form == StringForm::Ansi ? StringForm::Ansi : StringForm::Unicode);
}

// The cleaned name, or the numbered one when nothing but blanks is left.
JwwString NameOrNumbered(const JwwString& name, const char* prefix, int entry) {
  JwwString clean = name;
  CleanInPlace(clean);
  return IsBlank(clean) ? NumberedName(prefix, entry, name.form) : clean;
}

// Extended line-type entries 17 to 32 need a segment count of 2, 4, 6 or 8.
bool BadUserLineType(int entry, const TEntJwwLineTypeExNo& t) {
  const int n = t.SegmentCount;
  return entry >= 17 && !(n == 2 || n == 4 || n == 6 || n == 8);
}

bool InColorRange(std::int32_t c) { return c >= 0 && c <= 0xFFFFFF; }

// The writer's clean-ups: the header values a save of the version writes.
HeaderSection CleanForWrite(HeaderSection c, std::int32_t v) {
  SizeTables(c);
  TEntJwwHeader& h = c.Header;
  h.Signature = "JwwData.";
  h.Version = v;
  for (auto& layer : c.Layers) CleanInPlace(layer.Name);
  for (auto& group : c.LayerGroups) CleanInPlace(group.Name);
  for (int i = 0; i < kPenCount; ++i) {
    TEntJwwPen& pen = c.Pens[i];
    if (!InColorRange(pen.ScreenColor)) pen.ScreenColor = 0;
    pen.ScreenWidth = std::clamp(pen.ScreenWidth, 1, 16);
    if (!InColorRange(pen.PrinterColor)) pen.PrinterColor = 0;
    if (i == 0) pen.PrinterColor = 0xFFFFFF;  // pen 0 prints white
    pen.PrinterWidth = std::clamp(pen.PrinterWidth, 1, 500);
    pen.DotRadius = std::clamp(pen.DotRadius, 0.1, 10.0);
  }
  if (v >= 600) {
    // the tens part carries at least one ten from 600 on; a negative word has no units
    // digit worth keeping, and keeping one would change the word at every save
    if (h.Switch11Units < 0) h.Switch11Units = 0;
    if (h.Switch11Tens <= 0) h.Switch11Tens = 1;
  } else {
    h.Switch11Tens = 0;  // the units digit alone
  }
  for (int i = 0; i < kColorExCount; ++i) {
    TEntJwwColorExNo& color = c.ColorsEx[i];
    color.Name = NameOrNumbered(color.Name, "Color_", i);
    if (i >= 17) color.PrinterColor = color.ScreenColor;  // user colours print in their screen colour
  }
  for (int i = 0; i < kLineTypeExCount; ++i) {
    TEntJwwLineTypeExNo& t = c.LineTypesEx[i];
    if (BadUserLineType(i, t)) {
      t.Pattern = static_cast<std::int32_t>(0xC3C3C3C3u);
      t.UnitDots = 8;
      t.Pitch = 1;
      t.PrinterPitch = 8;
      t.Name = NumberedName("LType_", i, t.Name.form);
      t.SegmentCount = 2;
      t.Pitches = {1.0, 1.0};
      continue;
    }
    if (t.Pattern == 0) t.Pattern = -1;
    t.Name = NameOrNumbered(t.Name, "LType_", i);
  }
  return c;
}

}  // namespace

void TJwwData::ReadHeader(ArchiveReader& ar) {
  ar.SetPart("the header");
  SizeTables(*this);
  RecordReader io(ar);
  Transfer(io, *this);
}

void TJwwData::WriteHeader(ArchiveWriter& ar, std::int32_t v) const {
  // what a save writes: a copy of the section after the writer's clean-ups
  HeaderSection clean = CleanForWrite(*this, v);
  RecordWriter io(ar);
  Transfer(io, clean);
}

}  // namespace jww
