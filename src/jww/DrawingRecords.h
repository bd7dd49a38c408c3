// The records of a drawing file, as they are held in memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "jww/JwwString.h"
#include "jww/RecordArray.h"

namespace jww {

// Common attributes that open every entity (13 bytes in files before 351, 15 after).
struct TEntJwwBase {
  std::int32_t Group = 0;
  std::uint8_t LineType = 0;
  std::uint16_t PenColor = 0;  // 9 is the auxiliary-line colour; 10 on a solid: RGB follows
  std::uint16_t PenWidth = 0;  // absent before 351
  std::uint16_t Layer = 0;
  std::uint16_t LayerGroup = 0;
  std::uint16_t Flag = 0;

  bool operator==(const TEntJwwBase&) const = default;
};

struct TEntJwwLine : TEntJwwBase {
  double StartX = 0, StartY = 0, EndX = 0, EndY = 0;

  bool operator==(const TEntJwwLine&) const = default;
};

struct TEntJwwArc : TEntJwwBase {
  double CenterX = 0, CenterY = 0, Radius = 0, StartAngle = 0, ArcAngle = 0, TiltAngle = 0, Flatness = 0;
  std::int32_t FullCircle = 0;

  bool operator==(const TEntJwwArc&) const = default;
};

struct TEntJwwPoint : TEntJwwBase {
  double X = 0, Y = 0;
  std::int32_t TempPoint = 0;
  // only in the file when LineType is 100
  std::int32_t Code = 0;
  double Angle = 0, Scale = 0;

  bool operator==(const TEntJwwPoint&) const = default;
};

struct TEntJwwText : TEntJwwBase {
  double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
  std::int32_t TextType = 0;
  double SizeX = 0, SizeY = 0, Spacing = 0, Angle = 0;
  JwwString FontName;
  JwwString Text;

  bool operator==(const TEntJwwText&) const = default;
};

struct TEntJwwDim : TEntJwwBase {
  TEntJwwLine DimLine;
  TEntJwwText DimText;
  // the extension, in the file from 420 on
  std::uint16_t SxfMode = 0;
  TEntJwwLine AuxLine1, AuxLine2;
  TEntJwwPoint Point1, Point2, AuxPoint1, AuxPoint2;

  bool operator==(const TEntJwwDim&) const = default;
};

struct TEntJwwSolid : TEntJwwBase {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
  std::int32_t Color = 0;  // only in the file when PenColor is 10

  bool operator==(const TEntJwwSolid&) const = default;
};

struct TEntJwwBlock : TEntJwwBase {
  double X = 0, Y = 0, ScaleX = 0, ScaleY = 0, Angle = 0;  // angle in radians
  std::int32_t Number = 0;

  bool operator==(const TEntJwwBlock&) const = default;
};

// One entry of an order list: class number and index in that class's array.
struct TEntJwwOrder {
  std::int32_t ClassNo = 0;
  std::int32_t Index = 0;

  bool operator==(const TEntJwwOrder&) const = default;
};

// The entities of the drawing or of one block definition, by class, with their order.
struct EntityList {
  std::int32_t EntityCount = 0;  // as the file announced it
  std::vector<TEntJwwOrder> Order;
  RecordArray<TEntJwwLine> Lines;
  RecordArray<TEntJwwArc> Arcs;
  RecordArray<TEntJwwPoint> Points;
  RecordArray<TEntJwwText> Texts;
  RecordArray<TEntJwwDim> Dims;
  RecordArray<TEntJwwSolid> Solids;
  RecordArray<TEntJwwBlock> Blocks;

  // Number of entities held (what a save writes).
  std::size_t HeldCount() const {
    return Lines.size() + Arcs.size() + Points.size() + Texts.size() + Dims.size() + Solids.size() + Blocks.size();
  }
  void ClearEntities();

  bool operator==(const EntityList&) const = default;
};

struct TEntJwwBlockDef : TEntJwwBase, EntityList {
  std::int32_t Number = 0;
  std::int32_t Referenced = 0;
  std::int32_t Time = 0;
  JwwString Name;
  std::uint8_t Used = 0;
  std::int32_t WriteNumber = -1;

  bool operator==(const TEntJwwBlockDef&) const = default;
};

struct TEntJwwBlockTree {
  TEntJwwBase Base;
  std::int32_t Depth = 0;
  std::int32_t Parent = -1;
  std::int32_t BlockNumber = 0;
  std::int32_t Definition = -1;  // index in BlockDefs, -1 when the number finds none
  double OriginX = 0, OriginY = 0;
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1;

  bool operator==(const TEntJwwBlockTree&) const = default;
};

struct TEntJwwLayerGroup {
  std::int32_t State = 0;
  std::int32_t WriteLayer = 0;
  double Scale = 0;
  std::int32_t Protect = 0;
  JwwString Name;

  bool operator==(const TEntJwwLayerGroup&) const = default;
};

struct TEntJwwLayer {
  std::int32_t State = 0;
  std::int32_t Protect = 0;
  JwwString Name;

  bool operator==(const TEntJwwLayer&) const = default;
};

struct TEntJwwPen {
  std::int32_t ScreenColor = 0, ScreenWidth = 0, PrinterColor = 0, PrinterWidth = 0;
  double DotRadius = 0;

  bool operator==(const TEntJwwPen&) const = default;
};

struct TEntJwwLineTypeNo {
  std::int32_t Pattern = 0, UnitDots = 0, Pitch = 0, PrinterPitch = 0;

  bool operator==(const TEntJwwLineTypeNo&) const = default;
};

struct TEntJwwRandomLine {
  std::int32_t Pattern = 0, Amplitude = 0, Pitch = 0, PrinterAmplitude = 0, PrinterPitch = 0;

  bool operator==(const TEntJwwRandomLine&) const = default;
};

struct TEntJwwDoubleLine {
  std::int32_t Pattern = 0, UnitDots = 0, Pitch = 0, PrinterPitch = 0;

  bool operator==(const TEntJwwDoubleLine&) const = default;
};

struct TEntJwwColorExNo {
  std::int32_t ScreenColor = 0, ScreenWidth = 0;
  JwwString Name;
  std::int32_t PrinterColor = 0, PrinterWidth = 0;
  double DotRadius = 0;

  bool operator==(const TEntJwwColorExNo&) const = default;
};

struct TEntJwwLineTypeExNo {
  std::int32_t Pattern = 0, UnitDots = 0, Pitch = 0, PrinterPitch = 0;
  JwwString Name;
  std::int32_t SegmentCount = 0;
  std::array<double, 10> Pitches{};

  bool operator==(const TEntJwwLineTypeExNo&) const = default;
};

struct TEntJwwTextType {
  double Width = 0, Height = 0, Spacing = 0;
  std::int32_t Color = 0;

  bool operator==(const TEntJwwTextType&) const = default;
};

// Every single-valued header setting, in file order.
struct TEntJwwHeader {
  std::string Signature;  // 8 bytes
  std::int32_t Version = 0;
  JwwString Memo;
  std::int32_t PaperSize = 0;
  std::int32_t WriteLayerGroup = 0;
  std::array<std::int32_t, 5> DimSettings{};
  std::int32_t MaxLineWidth = 0;
  double PrinterOriginX = 0, PrinterOriginY = 0;
  double PrinterScale = 1;
  std::int32_t PrinterSetting = 0;
  std::int32_t GridMode = 0;
  double GridMinSpacing = 1;
  double GridSpacingX = 1, GridSpacingY = 1;
  double GridOriginX = 0, GridOriginY = 0;
  double SunHeight = 0, SunLatitude = 0;
  std::int32_t SunNineToFifteen = 0;
  double SunWallHeight = 0;
  double SkyHeight = 0, SkyRadius = 0;  // held from 300 on
  std::int32_t Unit25D = 0;
  double ScreenScale = 1, ScreenOriginX = 0, ScreenOriginY = 0;
  double RangeScale = 1, RangeOriginX = 0, RangeOriginY = 0;
  // mark jumps 1 to 8 (index 0 unused)
  std::array<double, 9> MarkJumpScale{};
  std::array<double, 9> MarkJumpX{};
  std::array<double, 9> MarkJumpY{};
  std::array<std::int32_t, 9> MarkJumpGroup{};
  // three doubles, a dword, three doubles, a dword, from 231 on
  std::array<double, 3> FurtherA{};
  std::int32_t FurtherFlagA = 0;
  std::array<double, 3> FurtherB{};
  std::int32_t FurtherFlagB = 0;
  std::array<double, 10> MultiLineSpacing{};
  double MultiLineEndGap = 0;
  std::array<std::int32_t, 10> Switches{};
  std::int32_t Switch11Units = 0;  // units digit of the eleventh switch
  std::int32_t Switch11Tens = 0;   // and its tens part
  std::int32_t DrawingTime = 0;
  std::int32_t EyePointSwitch = 0;
  std::array<std::int32_t, 3> EyeAngles{};
  double PerspectiveHeight = 0, PerspectiveDistance = 0, BirdHeight = 0, BirdDistance = 0, IsoAngle = 0;
  double LastLineLength = 0, LastBoxWidth = 0, LastBoxHeight = 0, LastCircleRadius = 0;
  std::int32_t SolidColorSwitch = 0, SolidColor = 0;
  double TextWidth = 0, TextHeight = 0, TextSpacing = 0;
  std::int32_t TextColor = 0, TextTypeNo = 0;
  double TidySpacing = 0, TidyCount = 0;
  std::int32_t BaseShiftSwitch = 0;
  double ShiftLeft = 0, ShiftCentre = 0, ShiftRight = 0;
  double ShiftBottom = 0, ShiftMiddle = 0, ShiftTop = 0;

  TEntJwwHeader();

  bool operator==(const TEntJwwHeader&) const = default;
};

// The header section: its single values and its tables.
struct HeaderSection {
  TEntJwwHeader Header;
  std::vector<TEntJwwLayerGroup> LayerGroups;
  std::vector<TEntJwwLayer> Layers;
  std::vector<TEntJwwPen> Pens;
  std::vector<TEntJwwLineTypeNo> LineTypes;
  std::vector<TEntJwwRandomLine> RandomLines;
  std::vector<TEntJwwDoubleLine> DoubleLines;
  std::vector<TEntJwwColorExNo> ColorsEx;
  std::vector<TEntJwwLineTypeExNo> LineTypesEx;
  std::vector<TEntJwwTextType> TextTypes;
};

// One embedded image of the last drawing read.
struct TBindImageType {
  JwwString Name;  // as stored, e.g. with a ".gz" ending
  std::int32_t Size = 0;

  bool operator==(const TBindImageType&) const = default;
};

}  // namespace jww
