// The header: format version and drawing-wide settings, each field gated by the
// version that first carries it.
#include <algorithm>
#include <string>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/DrawingDocument.h"
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

void ReadDoubles(ArchiveReader& ar, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = ar.ReadF64();
}

void WriteDoubles(ArchiveWriter& ar, const double* values, int n) {
  for (int i = 0; i < n; ++i) ar.WriteF64(values[i]);
}

JwwString NumberedName(const char* prefix, int entry, StringForm form) {
  return JwwString(prefix + std::to_string(entry), form == StringForm::Ansi ? StringForm::Ansi : StringForm::Unicode);
}

// Extended line-type entries 17 to 32 need a segment count of 2, 4, 6 or 8.
bool BadUserLineType(int entry, const TEntJwwLineTypeExNo& t) {
  const int n = t.SegmentCount;
  return entry >= 17 && !(n == 2 || n == 4 || n == 6 || n == 8);
}

}  // namespace

void TJwwData::ReadHeader(ArchiveReader& ar) {
  TEntJwwHeader& h = Header;
  LayerGroups.assign(kLayerGroupCount, {});
  Layers.assign(kLayerGroupCount * kLayersPerGroup, {});
  Pens.assign(kPenCount, {});
  LineTypes.assign(kLineTypeCount, {});
  RandomLines.assign(kRandomLineCount, {});
  DoubleLines.assign(kDoubleLineCount, {});
  ColorsEx.assign(kColorExCount, {});
  LineTypesEx.assign(kLineTypeExCount, {});
  TextTypes.assign(kTextTypeCount, {});

  h.Signature.assign(8, '\0');
  ar.ReadBytes(h.Signature.data(), 8);
  h.Version = ar.ReadI32();
  const std::int32_t v = h.Version;
  if (v < 220) throw ArchiveError("version below 220");

  h.Memo = ar.ReadString();
  h.PaperSize = ar.ReadI32();
  h.WriteLayerGroup = ar.ReadI32();
  for (int g = 0; g < kLayerGroupCount; ++g) {
    TEntJwwLayerGroup& group = LayerGroups[g];
    group.State = ar.ReadI32();
    group.WriteLayer = ar.ReadI32();
    group.Scale = ar.ReadF64();
    group.Protect = ar.ReadI32();
    for (int l = 0; l < kLayersPerGroup; ++l) {
      TEntJwwLayer& layer = Layers[g * kLayersPerGroup + l];
      layer.State = ar.ReadI32();
      layer.Protect = ar.ReadI32();
    }
  }
  ar.Skip(56);  // fourteen reserved dwords
  for (auto& d : h.DimSettings) d = ar.ReadI32();
  ar.Skip(4);  // reserved
  h.MaxLineWidth = ar.ReadI32();
  h.PrinterOriginX = ar.ReadF64();
  h.PrinterOriginY = ar.ReadF64();
  h.PrinterScale = ar.ReadF64();
  h.PrinterSetting = ar.ReadI32();
  h.GridMode = ar.ReadI32();
  h.GridMinSpacing = ar.ReadF64();
  h.GridSpacingX = ar.ReadF64();
  h.GridSpacingY = ar.ReadF64();
  h.GridOriginX = ar.ReadF64();
  h.GridOriginY = ar.ReadF64();
  for (auto& layer : Layers) layer.Name = ar.ReadCleanString();
  for (auto& group : LayerGroups) group.Name = ar.ReadCleanString();
  h.SunHeight = ar.ReadF64();
  h.SunLatitude = ar.ReadF64();
  h.SunNineToFifteen = ar.ReadI32();
  h.SunWallHeight = ar.ReadF64();
  if (v >= 231) {
    // the sky-diagram values are in the file from 231 but meaningful from 300
    const double skyHeight = ar.ReadF64();
    const double skyRadius = ar.ReadF64();
    if (v >= 300) {
      h.SkyHeight = skyHeight;
      h.SkyRadius = skyRadius;
    }
  }
  h.Unit25D = ar.ReadI32();
  h.ScreenScale = ar.ReadF64();
  h.ScreenOriginX = ar.ReadF64();
  h.ScreenOriginY = ar.ReadF64();
  h.RangeScale = ar.ReadF64();
  h.RangeOriginX = ar.ReadF64();
  h.RangeOriginY = ar.ReadF64();
  const int markJumps = v >= 231 ? 8 : 4;
  for (int i = 1; i <= markJumps; ++i) {
    h.MarkJumpScale[i] = ar.ReadF64();
    h.MarkJumpX[i] = ar.ReadF64();
    h.MarkJumpY[i] = ar.ReadF64();
    if (v >= 231) h.MarkJumpGroup[i] = ar.ReadI32();
  }
  if (v >= 231) {
    ReadDoubles(ar, h.FurtherA.data(), 3);
    h.FurtherFlagA = ar.ReadI32();
    ReadDoubles(ar, h.FurtherB.data(), 3);
    h.FurtherFlagB = ar.ReadI32();
  }
  ReadDoubles(ar, h.MultiLineSpacing.data(), 10);
  h.MultiLineEndGap = ar.ReadF64();
  for (auto& pen : Pens) {
    pen.ScreenColor = ar.ReadI32();
    pen.ScreenWidth = ar.ReadI32();
  }
  for (auto& pen : Pens) {
    pen.PrinterColor = ar.ReadI32();
    pen.PrinterWidth = ar.ReadI32();
    pen.DotRadius = ar.ReadF64();
  }
  for (auto& t : LineTypes) {
    t.Pattern = ar.ReadI32();
    t.UnitDots = ar.ReadI32();
    t.Pitch = ar.ReadI32();
    t.PrinterPitch = ar.ReadI32();
  }
  for (auto& r : RandomLines) {
    r.Pattern = ar.ReadI32();
    r.Amplitude = ar.ReadI32();
    r.Pitch = ar.ReadI32();
    r.PrinterAmplitude = ar.ReadI32();
    r.PrinterPitch = ar.ReadI32();
  }
  for (auto& d : DoubleLines) {
    d.Pattern = ar.ReadI32();
    d.UnitDots = ar.ReadI32();
    d.Pitch = ar.ReadI32();
    d.PrinterPitch = ar.ReadI32();
  }
  if (HasSwitches(v)) {
    for (auto& s : h.Switches) s = ar.ReadI32();
    const std::int32_t eleventh = ar.ReadI32();
    h.Switch11Units = eleventh % 10;
    h.Switch11Tens = eleventh / 10;
  }
  if (HasEyePoints(v)) {
    h.DrawingTime = ar.ReadI32();
    h.EyePointSwitch = ar.ReadI32();
    for (auto& a : h.EyeAngles) a = ar.ReadI32();
    h.PerspectiveHeight = ar.ReadF64();
    h.PerspectiveDistance = ar.ReadF64();
    h.BirdHeight = ar.ReadF64();
    h.BirdDistance = ar.ReadF64();
    h.IsoAngle = ar.ReadF64();
  }
  if (HasLastSizes(v)) {
    h.LastLineLength = ar.ReadF64();
    h.LastBoxWidth = ar.ReadF64();
    h.LastBoxHeight = ar.ReadF64();
    h.LastCircleRadius = ar.ReadF64();
  }
  if (HasSolidColor(v)) {
    h.SolidColorSwitch = ar.ReadI32();
    h.SolidColor = ar.ReadI32();
  }
  if (v >= 420) {
    for (auto& c : ColorsEx) {
      c.ScreenColor = ar.ReadI32();
      c.ScreenWidth = ar.ReadI32();
    }
    for (auto& c : ColorsEx) {
      c.Name = ar.ReadCleanString();
      c.PrinterColor = ar.ReadI32();
      c.PrinterWidth = ar.ReadI32();
      c.DotRadius = ar.ReadF64();
    }
    for (auto& t : LineTypesEx) {
      t.Pattern = ar.ReadI32();
      t.UnitDots = ar.ReadI32();
      t.Pitch = ar.ReadI32();
      t.PrinterPitch = ar.ReadI32();
    }
    for (auto& t : LineTypesEx) {
      t.Name = ar.ReadCleanString();
      t.SegmentCount = ar.ReadI32();
      ReadDoubles(ar, t.Pitches.data(), 10);
    }
  }
  for (auto& t : TextTypes) {
    t.Width = ar.ReadF64();
    t.Height = ar.ReadF64();
    t.Spacing = ar.ReadF64();
    t.Color = ar.ReadI32();
  }
  h.TextWidth = ar.ReadF64();
  h.TextHeight = ar.ReadF64();
  h.TextSpacing = ar.ReadF64();
  h.TextColor = ar.ReadI32();
  h.TextTypeNo = ar.ReadI32();
  h.TidySpacing = ar.ReadF64();
  h.TidyCount = ar.ReadF64();
  h.BaseShiftSwitch = ar.ReadI32();
  h.ShiftLeft = ar.ReadF64();
  h.ShiftCentre = ar.ReadF64();
  h.ShiftRight = ar.ReadF64();
  h.ShiftBottom = ar.ReadF64();
  h.ShiftMiddle = ar.ReadF64();
  h.ShiftTop = ar.ReadF64();
}

void TJwwData::WriteHeader(ArchiveWriter& ar, std::int32_t v) const {
  const TEntJwwHeader& h = Header;
  // tables a drawing did not fill are written as empty entries
  auto at = [](const auto& table, std::size_t i) {
    using Entry = typename std::decay_t<decltype(table)>::value_type;
    return i < table.size() ? table[i] : Entry{};
  };

  ar.WriteBytes("JwwData.", 8);
  ar.WriteI32(v);
  ar.WriteString(h.Memo);
  ar.WriteI32(h.PaperSize);
  ar.WriteI32(h.WriteLayerGroup);
  for (int g = 0; g < kLayerGroupCount; ++g) {
    const TEntJwwLayerGroup group = at(LayerGroups, g);
    ar.WriteI32(group.State);
    ar.WriteI32(group.WriteLayer);
    ar.WriteF64(group.Scale);
    ar.WriteI32(group.Protect);
    for (int l = 0; l < kLayersPerGroup; ++l) {
      const TEntJwwLayer layer = at(Layers, g * kLayersPerGroup + l);
      ar.WriteI32(layer.State);
      ar.WriteI32(layer.Protect);
    }
  }
  static const unsigned char kZeros[56] = {};
  ar.WriteBytes(kZeros, 56);  // fourteen reserved dwords
  for (auto d : h.DimSettings) ar.WriteI32(d);
  ar.WriteI32(0);  // reserved
  ar.WriteI32(h.MaxLineWidth);
  ar.WriteF64(h.PrinterOriginX);
  ar.WriteF64(h.PrinterOriginY);
  ar.WriteF64(h.PrinterScale);
  ar.WriteI32(h.PrinterSetting);
  ar.WriteI32(h.GridMode);
  ar.WriteF64(h.GridMinSpacing);
  ar.WriteF64(h.GridSpacingX);
  ar.WriteF64(h.GridSpacingY);
  ar.WriteF64(h.GridOriginX);
  ar.WriteF64(h.GridOriginY);
  for (int i = 0; i < kLayerGroupCount * kLayersPerGroup; ++i) WriteCleanString(ar, at(Layers, i).Name);
  for (int i = 0; i < kLayerGroupCount; ++i) WriteCleanString(ar, at(LayerGroups, i).Name);
  ar.WriteF64(h.SunHeight);
  ar.WriteF64(h.SunLatitude);
  ar.WriteI32(h.SunNineToFifteen);
  ar.WriteF64(h.SunWallHeight);
  if (v >= 300) {
    ar.WriteF64(h.SkyHeight);
    ar.WriteF64(h.SkyRadius);
  } else if (v >= 231) {
    ar.WriteF64(0);
    ar.WriteF64(0);
  }
  ar.WriteI32(h.Unit25D);
  ar.WriteF64(h.ScreenScale);
  ar.WriteF64(h.ScreenOriginX);
  ar.WriteF64(h.ScreenOriginY);
  ar.WriteF64(h.RangeScale);
  ar.WriteF64(h.RangeOriginX);
  ar.WriteF64(h.RangeOriginY);
  const int markJumps = v >= 231 ? 8 : 4;
  for (int i = 1; i <= markJumps; ++i) {
    ar.WriteF64(h.MarkJumpScale[i]);
    ar.WriteF64(h.MarkJumpX[i]);
    ar.WriteF64(h.MarkJumpY[i]);
    if (v >= 231) ar.WriteI32(h.MarkJumpGroup[i]);
  }
  if (v >= 231) {
    WriteDoubles(ar, h.FurtherA.data(), 3);
    ar.WriteI32(h.FurtherFlagA);
    WriteDoubles(ar, h.FurtherB.data(), 3);
    ar.WriteI32(h.FurtherFlagB);
  }
  WriteDoubles(ar, h.MultiLineSpacing.data(), 10);
  ar.WriteF64(h.MultiLineEndGap);
  for (int i = 0; i < kPenCount; ++i) {
    const TEntJwwPen pen = at(Pens, i);
    ar.WriteI32(pen.ScreenColor < 0 || pen.ScreenColor > 0xFFFFFF ? 0 : pen.ScreenColor);
    ar.WriteI32(std::clamp(pen.ScreenWidth, 1, 16));
  }
  for (int i = 0; i < kPenCount; ++i) {
    const TEntJwwPen pen = at(Pens, i);
    std::int32_t color = pen.PrinterColor < 0 || pen.PrinterColor > 0xFFFFFF ? 0 : pen.PrinterColor;
    if (i == 0) color = 0xFFFFFF;  // pen 0 prints white
    ar.WriteI32(color);
    ar.WriteI32(std::clamp(pen.PrinterWidth, 1, 500));
    double radius = pen.DotRadius;
    if (radius < 0.1) radius = 0.1;
    if (radius > 10) radius = 10;
    ar.WriteF64(radius);
  }
  for (int i = 0; i < kLineTypeCount; ++i) {
    const TEntJwwLineTypeNo t = at(LineTypes, i);
    ar.WriteI32(t.Pattern);
    ar.WriteI32(t.UnitDots);
    ar.WriteI32(t.Pitch);
    ar.WriteI32(t.PrinterPitch);
  }
  for (int i = 0; i < kRandomLineCount; ++i) {
    const TEntJwwRandomLine r = at(RandomLines, i);
    ar.WriteI32(r.Pattern);
    ar.WriteI32(r.Amplitude);
    ar.WriteI32(r.Pitch);
    ar.WriteI32(r.PrinterAmplitude);
    ar.WriteI32(r.PrinterPitch);
  }
  for (int i = 0; i < kDoubleLineCount; ++i) {
    const TEntJwwDoubleLine d = at(DoubleLines, i);
    ar.WriteI32(d.Pattern);
    ar.WriteI32(d.UnitDots);
    ar.WriteI32(d.Pitch);
    ar.WriteI32(d.PrinterPitch);
  }
  if (HasSwitches(v)) {
    for (auto s : h.Switches) ar.WriteI32(s);
    if (v >= 600) {
      // the tens part carries at least one ten from 600 on; a negative word has no units
      // digit worth keeping, and keeping one would change the word at every save
      ar.WriteI32((h.Switch11Units < 0 ? 0 : h.Switch11Units) + 10 * (h.Switch11Tens <= 0 ? 1 : h.Switch11Tens));
    } else {
      ar.WriteI32(h.Switch11Units);
    }
  }
  if (HasEyePoints(v)) {
    ar.WriteI32(h.DrawingTime);
    ar.WriteI32(h.EyePointSwitch);
    for (auto a : h.EyeAngles) ar.WriteI32(a);
    ar.WriteF64(h.PerspectiveHeight);
    ar.WriteF64(h.PerspectiveDistance);
    ar.WriteF64(h.BirdHeight);
    ar.WriteF64(h.BirdDistance);
    ar.WriteF64(h.IsoAngle);
  }
  if (HasLastSizes(v)) {
    ar.WriteF64(h.LastLineLength);
    ar.WriteF64(h.LastBoxWidth);
    ar.WriteF64(h.LastBoxHeight);
    ar.WriteF64(h.LastCircleRadius);
  }
  if (HasSolidColor(v)) {
    ar.WriteI32(h.SolidColorSwitch);
    ar.WriteI32(h.SolidColor);
  }
  if (v >= 420) {
    for (int i = 0; i < kColorExCount; ++i) {
      const TEntJwwColorExNo c = at(ColorsEx, i);
      ar.WriteI32(c.ScreenColor);
      ar.WriteI32(c.ScreenWidth);
    }
    for (int i = 0; i < kColorExCount; ++i) {
      const TEntJwwColorExNo c = at(ColorsEx, i);
      const JwwString name = CleanForWrite(c.Name);
      ar.WriteString(IsBlank(name) ? NumberedName("Color_", i, c.Name.form) : name);
      // user colours print in their screen colour
      ar.WriteI32(i >= 17 ? c.ScreenColor : c.PrinterColor);
      ar.WriteI32(c.PrinterWidth);
      ar.WriteF64(c.DotRadius);
    }
    for (int i = 0; i < kLineTypeExCount; ++i) {
      const TEntJwwLineTypeExNo t = at(LineTypesEx, i);
      if (BadUserLineType(i, t)) {
        ar.WriteU32(0xC3C3C3C3u);
        ar.WriteI32(8);
        ar.WriteI32(1);
        ar.WriteI32(8);
        continue;
      }
      ar.WriteI32(t.Pattern == 0 ? -1 : t.Pattern);
      ar.WriteI32(t.UnitDots);
      ar.WriteI32(t.Pitch);
      ar.WriteI32(t.PrinterPitch);
    }
    for (int i = 0; i < kLineTypeExCount; ++i) {
      const TEntJwwLineTypeExNo t = at(LineTypesEx, i);
      if (BadUserLineType(i, t)) {
        ar.WriteString(NumberedName("LType_", i, t.Name.form));
        ar.WriteI32(2);
        const double pitches[10] = {1.0, 1.0};
        WriteDoubles(ar, pitches, 10);
        continue;
      }
      const JwwString name = CleanForWrite(t.Name);
      ar.WriteString(IsBlank(name) ? NumberedName("LType_", i, t.Name.form) : name);
      ar.WriteI32(t.SegmentCount);
      WriteDoubles(ar, t.Pitches.data(), 10);
    }
  }
  for (int i = 0; i < kTextTypeCount; ++i) {
    const TEntJwwTextType t = at(TextTypes, i);
    ar.WriteF64(t.Width);
    ar.WriteF64(t.Height);
    ar.WriteF64(t.Spacing);
    ar.WriteI32(t.Color);
  }
  ar.WriteF64(h.TextWidth);
  ar.WriteF64(h.TextHeight);
  ar.WriteF64(h.TextSpacing);
  ar.WriteI32(h.TextColor);
  ar.WriteI32(h.TextTypeNo);
  ar.WriteF64(h.TidySpacing);
  ar.WriteF64(h.TidyCount);
  ar.WriteI32(h.BaseShiftSwitch);
  ar.WriteF64(h.ShiftLeft);
  ar.WriteF64(h.ShiftCentre);
  ar.WriteF64(h.ShiftRight);
  ar.WriteF64(h.ShiftBottom);
  ar.WriteF64(h.ShiftMiddle);
  ar.WriteF64(h.ShiftTop);
}

}  // namespace jww
