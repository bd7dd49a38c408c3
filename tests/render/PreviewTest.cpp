// The preview's rules, checked on the display list and on the rasterised picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "fixture/Hostile.h"
#include "jww/DrawingDocument.h"
#include "render/ImageCodec.h"
#include "render/Preview.h"
#include "render/SvgWriter.h"

namespace render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0}, kWhite{255, 255, 255},
    kBlack{0, 0, 0};

// An A4 drawing (297 × 210 mm) with the default pens of the samples and every layer drawn.
jww::TJwwData Paper() {
  jww::TJwwData d;
  d.Header.PaperSize = 4;
  d.LayerGroups.resize(16);
  d.Layers.resize(256);
  for (auto& g : d.LayerGroups) g.State = 2;
  for (auto& l : d.Layers) l.State = 2;
  const std::int32_t pens[10] = {0xFFFFFF, 0xC0C000, 0x000000, 0x00C000, 0xC0C000,
                                 0xC000C0, 0xFF0000, 0x808000, 0x8000FF, 0x00FF00};
  for (std::int32_t c : pens) d.Pens.push_back({c, 1, c, 1, 0.5});
  d.LineTypes.resize(8);
  d.LineTypes[1].Pattern = static_cast<std::int32_t>(0xC3C3C3C3u);  // line type 3
  d.LineTypes[1].Pitch = 1;
  return d;
}

template <class Record>
Record& Add(jww::EntityList& list, jww::RecordArray<Record>& array, std::int32_t classNo) {
  list.Order.push_back({classNo, static_cast<std::int32_t>(array.size())});
  ++list.EntityCount;
  Record& r = array.emplace_back();
  r.PenColor = 2;
  r.LineType = 1;
  return r;
}
jww::TEntJwwLine& AddLine(jww::EntityList& l, double x1, double y1, double x2, double y2) {
  auto& r = Add(l, l.Lines, 1);
  r.StartX = x1, r.StartY = y1, r.EndX = x2, r.EndY = y2;
  return r;
}
jww::TEntJwwSolid& AddSolid(jww::EntityList& l, double x1, double y1, double x2, double y2) {
  auto& s = Add(l, l.Solids, 6);
  s.X1 = x1, s.Y1 = y1, s.X2 = x2, s.Y2 = y1, s.X3 = x2, s.Y3 = y2, s.X4 = x1, s.Y4 = y2;
  return s;
}
jww::TEntJwwText& AddText(jww::EntityList& l, const std::string& text, double x, double y) {
  auto& t = Add(l, l.Texts, 4);
  t.StartX = t.EndX = x, t.StartY = t.EndY = y, t.SizeX = t.SizeY = 4;
  t.Text = jww::JwwString(text);
  return t;
}

// A 24-bit BMP of w × h pixels, bottom row first, coloured by f(x, y from the top).
template <class F>
std::vector<std::uint8_t> Bmp(int w, int h, F f) {
  const int stride = (w * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> b(54 + static_cast<std::size_t>(stride) * h, 0);
  auto put32 = [&b](std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i)); };
  b[0] = 'B', b[1] = 'M';
  put32(2, static_cast<std::uint32_t>(b.size()));  // file size
  put32(10, 54);                                   // pixel data offset
  put32(14, 40);                                   // header size
  put32(18, static_cast<std::uint32_t>(w));        // width
  put32(22, static_cast<std::uint32_t>(h));        // height, bottom-up
  b[26] = 1;                                       // planes
  b[28] = 24;                                      // bits per pixel
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = f(x, h - 1 - y);
      std::uint8_t* p = &b[54 + static_cast<std::size_t>(y) * stride + x * 3];
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  }
  return b;
}

// 160 × 120: red top-left, green top-right, blue bottom-left, yellow bottom-right.
std::vector<std::uint8_t> Quadrants() {
  return Bmp(160, 120, [](int x, int y) { return y < 60 ? (x < 80 ? kRed : kGreen) : (x < 80 ? kBlue : kYellow); });
}

// The picture at 1 pixel per mm; At(x, y) is the colour at paper millimetres x, y.
struct Picture297 {
  Bitmap picture;
  Rgb At(double x, double y) const {
    const int col = static_cast<int>(std::lround(148 + x)), row = static_cast<int>(std::lround(105 - y));
    const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(row) * picture.width + col) * 3];
    return {p[0], p[1], p[2]};
  }
};

Picture297 Draw(const jww::TJwwData& d, const std::string& drawingPath = "", const StoredImages& stored = {}) {
  Picture297 p;
  EXPECT_TRUE(Rasterize(BuildDisplayList(d, drawingPath, stored, {}), 297, p.picture));
  return p;
}

std::string Show(Rgb c) { return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b); }

TEST(Preview, ImagePlacementTrimmingAndRotation) {
  testsupport::TempFolder folder;
  testsupport::WriteFileBytes(folder / "q.bmp", Quadrants());
  struct Row {
    const char* tail;
    // colours 5 mm inside the window's corners: bottom-left, bottom-right, top-left, top-right,
    // the window being the start point (-50, -40) + width × width·3/4, turned by the angle
    Rgb corners[4];
    double angle;
  };
  const Row rows[] = {
      {",100,75,0,0,1,0", {kBlue, kYellow, kRed, kGreen}, 0},
      // the left half of the bitmap's bottom half
      {",100,75,0,0,0.5,0", {kBlue, kBlue, kBlue, kBlue}, 0},
      // from a quarter of the width: the bottom half's middle
      {",100,75,0.25,0,0.5,0", {kBlue, kYellow, kBlue, kYellow}, 0},
      // from the bottom's fifth up
      {",100,75,0,0.375,0.5,0", {kRed, kRed, kRed, kRed}, 0},
      // a part larger than the bitmap: half as wide, against the window's top
      {",100,75,0,0,2,0", {kWhite, kWhite, kRed, kWhite}, 0},
      // a quarter turn counter-clockwise about the start point
      {",100,75,0,0,1,90", {kBlue, kYellow, kRed, kGreen}, 90},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tail);
    jww::TJwwData d = Paper();
    AddText(d, std::string("^@BMq.bmp") + row.tail, -50, -40);
    const Picture297 p = Draw(d, folder / "plan.jww");
    const double a = row.angle * kPi / 180;
    auto at = [a](double u, double v) { return Vec{-50 + u * std::cos(a) - v * std::sin(a), -40 + u * std::sin(a) + v * std::cos(a)}; };
    const Vec corners[4] = {at(5, 5), at(95, 5), at(5, 70), at(95, 70)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Show(p.At(corners[i].x, corners[i].y)), Show(row.corners[i])) << "corner " << i;
  }
}

TEST(Preview, MissingOrUnreadableImageShowsItsString) {
  testsupport::TempFolder folder;
  testsupport::WriteFileText(folder / "q.png", "\x89PNG not a bitmap");
  for (const char* text : {"^@BMlost.bmp,100,75,0,0,1,0", "^@BMq.png,100,75,0,0,1,0", "^@BM%temp%gone.bmp,100,75,0,0,1,0"}) {
    SCOPED_TRACE(text);
    jww::TJwwData d = Paper();
    AddText(d, text, -50, -40);
    const DisplayList list = BuildDisplayList(d, folder / "plan.jww", {}, {});
    ASSERT_EQ(list.items.size(), 1u);
    const auto* run = std::get_if<TextRun>(&list.items[0]);
    ASSERT_NE(run, nullptr);
    std::string shown;
    for (const Glyph& g : run->glyphs) shown += g.utf8;
    EXPECT_EQ(shown, text);
    EXPECT_DOUBLE_EQ(run->height, 2.0);
  }
}

TEST(Preview, StoredImageDrawsFromMemory) {
  jww::TJwwData d = Paper();
  testsupport::TempFolder scratch;
  d.Images.SetTempFolder(scratch.Path());
  d.Images.Add(jww::JwwString("photo.bmp.gz"), [](const jww::ImageStore::Sink& sink) {
    const unsigned char byte = 0;
    return sink(&byte, 1);
  });
  AddText(d, "^@BM%temp%photo.bmp,100,75,0,0,1,0", -50, -40);
  StoredImages stored;
  stored.bytes.push_back(Quadrants());
  EXPECT_EQ(Show(Draw(d, "", stored).At(-45, 30)), Show(kRed));
}

TEST(Preview, DrawOrderAndVisibility) {
  struct Row {
    std::int32_t groupState, layerState;
    Rgb overlap;  // where the first solid lies over the second
    Rgb second;   // where only the second lies
  };
  const Rgb greyed{0, 255, 0};  // the file's pen 9
  const Row rows[] = {
      {2, 2, kBlue, kRed},
      {0, 2, kRed, kRed},      // the first solid's group hidden
      {2, 0, kRed, kRed},      // its layer hidden
      {1, 2, greyed, kRed},    // shown only: in pen 9's colour
      {2, 1, greyed, kRed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.groupState) + " " + std::to_string(row.layerState));
    jww::TJwwData d = Paper();
    d.LayerGroups[3].State = row.groupState;
    d.Layers[3 * 16 + 5].State = row.layerState;
    auto& top = AddSolid(d, 0, 0, 20, 20);
    top.PenColor = 6;  // blue
    top.LayerGroup = 3, top.Layer = 5;
    auto& under = AddSolid(d, 10, 10, 40, 40);
    under.PenColor = 10;
    under.Color = 0x0000FF;  // red, as 0x00BBGGRR
    const Picture297 p = Draw(d);
    EXPECT_EQ(Show(p.At(15, 15)), Show(row.overlap));
    EXPECT_EQ(Show(p.At(35, 35)), Show(row.second));
  }
}

TEST(Preview, PensLineTypesAndAuxiliaryColour) {
  struct Row {
    std::uint16_t pen;
    std::uint8_t lineType;
    Rgb color;
    std::vector<int> dashes;
  };
  const Row rows[] = {
      {3, 1, {0, 192, 0}, {}},
      {9, 1, {255, 128, 255}, {}},  // the auxiliary colour, whatever pen 9 holds
      {2, 3, kBlack, {4, 4, 4, 4, 4, 4, 4, 4}},
  };
  for (const Row& row : rows) {
    jww::TJwwData d = Paper();
    auto& l = AddLine(d, 0, 0, 10, 0);
    l.PenColor = row.pen;
    l.LineType = row.lineType;
    d.Pens[3].ScreenWidth = 3;
    const DisplayList list = BuildDisplayList(d, "", {}, {});
    ASSERT_EQ(list.items.size(), 1u);
    const Stroke& s = std::get<Polyline>(list.items[0]).stroke;
    EXPECT_EQ(Show(s.color), Show(row.color)) << row.pen;
    EXPECT_EQ(s.dashPx, row.dashes) << row.pen;
    EXPECT_EQ(s.widthPx, row.pen == 3 ? 3 : 1);
  }
}

TEST(Preview, ArcsTextsAndBlockInsertsPlaceTheirPoints) {
  jww::TJwwData d = Paper();
  // an ellipse half as high as wide, tilted 30 degrees: its end point is parametric
  auto& a = Add(d, d.Arcs, 2);
  a.CenterX = 10, a.CenterY = 20, a.Radius = 40, a.Flatness = 0.5, a.TiltAngle = kPi / 6;
  a.StartAngle = 0.3, a.ArcAngle = 1.2;
  // a text of a half-width and a full-width character, turned a quarter
  auto& t = AddText(d, "A\x93\xfa", 5, 5);
  t.SizeX = 4, t.Spacing = 1, t.Angle = 90;
  // a block turned a quarter and stretched twice along its x: its line from (1,0) to (3,0)
  jww::TEntJwwBlockDef& def = d.BlockDefs.emplace_back();
  def.Number = 7;
  AddLine(def, 1, 0, 3, 0);
  auto& b = Add(d, d.Blocks, 7);
  b.Number = 7, b.X = 100, b.Y = 50, b.ScaleX = 2, b.ScaleY = 1, b.Angle = kPi / 2;
  d.BuildBlockTree();

  const DisplayList list = BuildDisplayList(d, "", {}, {});
  ASSERT_EQ(list.items.size(), 3u);  // back to front: the block's line, the text, the arc
  const Polyline& line = std::get<Polyline>(list.items[0]);
  EXPECT_NEAR(line.points[0].x, 100, 1e-9);
  EXPECT_NEAR(line.points[0].y, 52, 1e-9);
  EXPECT_NEAR(line.points[1].y, 56, 1e-9);

  const TextRun& run = std::get<TextRun>(list.items[1]);
  ASSERT_EQ(run.glyphs.size(), 2u);
  EXPECT_TRUE(run.glyphs[0].halfWidth);
  EXPECT_DOUBLE_EQ(run.glyphs[0].width, 2);
  EXPECT_DOUBLE_EQ(run.glyphs[1].x, 2.5);  // half a spacing after a half-width character
  EXPECT_DOUBLE_EQ(run.glyphs[1].width, 4);
  const Vec along = run.frame.Apply({1, 0});
  EXPECT_NEAR(along.x, 5, 1e-9);
  EXPECT_NEAR(along.y, 6, 1e-9);

  const EllipseArc& arc = std::get<EllipseArc>(list.items[2]);
  const double end = arc.start + arc.sweep, u = 40 * std::cos(1.5), v = 20 * std::sin(1.5);
  const Vec p = arc.frame.Apply({std::cos(end), std::sin(end)});
  EXPECT_NEAR(p.x, 10 + u * std::cos(kPi / 6) - v * std::sin(kPi / 6), 1e-9);
  EXPECT_NEAR(p.y, 20 + u * std::sin(kPi / 6) + v * std::cos(kPi / 6), 1e-9);
}

TEST(Preview, HostileGeometryIsBounded) {
  jww::TJwwData d = Paper();
  AddLine(d, std::nan(""), 0, 1, 1);
  AddLine(d, -1e300, 0, 1e300, 0);  // crosses the paper: cut, still drawn
  auto& huge = Add(d, d.Arcs, 2);
  huge.CenterX = 1e9, huge.Radius = 1e9, huge.Flatness = 1, huge.FullCircle = 1;  // passes through the paper
  // a definition inserting itself, and one inserting the next 200 times over
  for (int n = 1; n <= 2; ++n) {
    jww::TEntJwwBlockDef& def = d.BlockDefs.emplace_back();
    def.Number = n;
    AddLine(def, 0, 0, 1, 1);
    auto& inner = Add(def, def.Blocks, 7);
    inner.Number = n, inner.ScaleX = inner.ScaleY = 1;
    if (n == 2) for (int i = 0; i < 200; ++i) def.Order.push_back(def.Order.back());
  }
  for (int n = 1; n <= 2; ++n) {
    auto& b = Add(d, d.Blocks, 7);
    b.Number = n, b.ScaleX = b.ScaleY = 1;
  }
  d.BuildBlockTree();
  const DisplayList list = BuildDisplayList(d, "", {}, {});
  EXPECT_LE(list.items.size(), kMaxBlockEntities + 10);
  std::size_t hugeArcPoints = 0;
  for (const Item& item : list.items) {
    if (const auto* p = std::get_if<Polyline>(&item)) {
      for (Vec v : p->points) ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
      if (p->points.size() > 2) hugeArcPoints += p->points.size();
    }
  }
  EXPECT_GT(hugeArcPoints, 0u);
  Bitmap picture;
  EXPECT_TRUE(Rasterize(list, 297, picture));
}

TEST(Preview, HostileDrawingsGiveAPictureOrAFailedLoad) {
  for (const fixture::HostileCase& c : fixture::HostileDrawings()) {
    SCOPED_TRACE(c.name);
    jww::TJwwData d;
    StoredImages stored;
    if (!LoadDrawing(c.bytes.data(), c.bytes.size(), d, stored)) continue;
    const DisplayList list = BuildDisplayList(d, "", stored, {});
    EXPECT_TRUE(WriteSvg(list, 300).ends_with("</svg>\n"));
    Bitmap picture;
    EXPECT_TRUE(Rasterize(list, 300, picture));
  }
}

TEST(Preview, BitmapsOfEveryDepthDecodeAndCutFilesFail) {
  // 2 × 2 pixels: red, green over blue, white
  const Rgb want[4] = {kRed, kGreen, kBlue, kWhite};
  auto header = [](int bpp, int height, std::uint32_t compression, std::size_t extra) {
    std::vector<std::uint8_t> b(54 + extra, 0);
    b[0] = 'B', b[1] = 'M';
    b[10] = static_cast<std::uint8_t>(54 + extra);  // pixel data offset
    b[14] = 40, b[18] = 2;
    std::memcpy(&b[22], &height, 4);
    b[26] = 1, b[28] = static_cast<std::uint8_t>(bpp), b[30] = static_cast<std::uint8_t>(compression);
    return b;
  };
  std::vector<std::vector<std::uint8_t>> files;
  files.push_back(Bmp(2, 2, [&want](int x, int y) { return want[y * 2 + x]; }));
  {  // 8 bits with a palette of four, top-down
    auto b = header(8, -2, 0, 0);
    b[46] = 4;                                                // colours used
    const std::uint8_t palette[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    b.insert(b.end(), palette, palette + 16);
    b[10] = 70;                                               // pixels after the palette
    for (std::uint8_t row : {0, 2}) b.insert(b.end(), {row, static_cast<std::uint8_t>(row + 1), 0, 0});
    files.push_back(b);
  }
  {  // 16 bits in 5-6-5 bit fields
    auto b = header(16, 2, 3, 12);
    const std::uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(&b[54], masks, 12);
    b[10] = 66;
    for (std::uint16_t px : {std::uint16_t{0x001F}, std::uint16_t{0xFFFF}, std::uint16_t{0xF800}, std::uint16_t{0x07E0}}) {
      b.push_back(static_cast<std::uint8_t>(px)), b.push_back(static_cast<std::uint8_t>(px >> 8));
    }
    files.push_back(b);
  }
  for (std::size_t f = 0; f < files.size(); ++f) {
    const DecodedImage image = DecodeBmp(files[f].data(), files[f].size(), kMaxBitmapPixels);
    ASSERT_TRUE(image.bitmap) << f;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t* p = &image.bitmap->rgb[i * 3];
      EXPECT_EQ(Show({p[0], p[1], p[2]}), Show(want[i])) << "file " << f << " pixel " << i;
    }
    for (std::size_t cut = 0; cut < files[f].size(); ++cut) {
      EXPECT_FALSE(DecodeBmp(files[f].data(), cut, kMaxBitmapPixels).bitmap) << "file " << f << " cut at " << cut;
    }
  }
  // a large image is sampled down to the limit, keeping its shape
  const auto big = Bmp(400, 300, [](int, int) { return kRed; });
  const DecodedImage sampled = DecodeBmp(big.data(), big.size(), 1200);
  ASSERT_TRUE(sampled.bitmap);
  EXPECT_EQ(sampled.bitmap->width, 40);
  EXPECT_EQ(sampled.bitmap->height, 30);
  EXPECT_EQ(sampled.sourceWidth, 400);
}

TEST(SvgWriter, EscapesWhatItIsHanded) {
  SvgWriter w;
  w.Open("text");
  w.Attribute("font-family", "\"a\"<b>&'c'");
  w.End();
  w.Text(std::string("<script>&\x01\x1f\t'\"") + "\x93\xfa");
  w.Close("text");
  EXPECT_EQ(w.Output(), "<text font-family=\"&quot;a&quot;&lt;b&gt;&amp;&#39;c&#39;\">&lt;script&gt;&amp;\t&#39;&quot;\x93\xfa</text>");
  // a drawing's text reaches the document only through the writer
  jww::TJwwData d = Paper();
  AddText(d, "</text><script>", 0, 0).FontName = jww::JwwString("\"/><x");
  const std::string svg = WriteSvg(BuildDisplayList(d, "", {}, {}), 297);
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("<x"), std::string::npos);
}

}  // namespace
}  // namespace render
