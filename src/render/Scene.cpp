// From the drawing's records to the display list: colours, widths and line types from the
// file's pens, what the layer states hide, block inserts expanded, images placed.
#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <optional>

#include "platform/Platform.h"
#include "relocation/Gzip.h"
#include "jww/ImageReference.h"
#include "render/ImageCodec.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"

namespace render {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The auxiliary-line colour, whatever the file holds for pen 9.
constexpr Rgb kAuxiliary{255, 128, 255};
// Height (mm) of the reference string inside a missing image's frame.
constexpr double kMissingTextHeight = 2.0;
// Farthest (mm) from the paper a shape may reach and still be drawn whole; a line is cut
// there and an arc larger than it is drawn as the pieces that cross the paper.
constexpr double kReach = 1.0e5;
// How far (mm) past the paper's edge shapes are still kept.
constexpr double kMargin = 5;

Rgb FromColorRef(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16)};
}

bool Finite(double v) { return std::isfinite(v); }
bool Finite(Vec p) { return Finite(p.x) && Finite(p.y); }
bool FiniteAffine(const Affine& m) {
  return Finite(m.a) && Finite(m.b) && Finite(m.c) && Finite(m.d) && Finite(m.e) && Finite(m.f);
}

std::string Utf8Of(const jww::JwwString& s) {
  return s.IsSjis() ? platform::ToUtf8(s.bytes) : platform::Utf16ToUtf8ForDisplay(s.Units());
}

// The characters of a string as UTF-8, each with whether it is half width.
std::vector<std::pair<std::string, bool>> Characters(const jww::JwwString& s) {
  std::vector<std::pair<std::string, bool>> out;
  if (s.IsSjis()) {
    const std::string& b = s.bytes;
    for (std::size_t i = 0; i < b.size();) {
      const bool lead = text::IsLeadByte(static_cast<unsigned char>(b[i])) && i + 1 < b.size();
      const std::string one = b.substr(i, lead ? 2 : 1);
      out.emplace_back(platform::ToUtf8(one), !lead);
      i += one.size();
    }
    return out;
  }
  const std::u16string units = s.Units();
  for (std::size_t i = 0; i < units.size();) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size();
    const std::u16string one = units.substr(i, pair ? 2 : 1);
    const char16_t u = units[i];
    out.emplace_back(platform::Utf16ToUtf8ForDisplay(one), u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F));
    i += one.size();
  }
  return out;
}

// Cuts the segment to the square of half side `reach` about the origin; false when
// nothing of it is inside.
bool ClipSegment(Vec& p, Vec& q, double reach) {
  double t0 = 0, t1 = 1;
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double edges[4][2] = {{-dx, p.x + reach}, {dx, reach - p.x}, {-dy, p.y + reach}, {dy, reach - p.y}};
  for (const auto& [den, num] : edges) {
    if (den == 0) {
      if (num < 0) return false;
      continue;
    }
    const double t = num / den;
    if (den < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const Vec start = p;
  p = {start.x + t0 * dx, start.y + t0 * dy};
  q = {start.x + t1 * dx, start.y + t1 * dy};
  return true;
}

class SceneBuilder {
 public:
  SceneBuilder(const jww::TJwwData& d, const std::string& drawingPath, const StoredImages& stored,
               const PreviewOptions& options)
      : d_(d), drawingPath_(drawingPath), stored_(stored), options_(options) {}

  DisplayList Build() {
    const Vec paper = PaperSize(d_.Header.PaperSize);
    list_.paperWidth = paper.x;
    list_.paperHeight = paper.y;
    list_.background = PenColor(0);
    // what lies outside this square about the paper's centre is not drawn
    view_ = std::max(paper.x, paper.y) / 2 + kMargin;
    DrawList(d_, Affine{}, nullptr, 0);
    return std::move(list_);
  }

 private:
  // How the entities of one list are drawn: the insert that holds them decides visibility.
  struct Look {
    bool greyed = false;
  };

  Rgb PenColor(std::size_t pen) const {
    return pen < d_.Pens.size() ? FromColorRef(d_.Pens[pen].ScreenColor) : Rgb{};
  }

  // 0 hidden, 1 drawn greyed, 2 drawn
  int Visibility(const jww::TEntJwwBase& base) const {
    const std::size_t group = base.LayerGroup, layer = base.Layer;
    if (group >= d_.LayerGroups.size() || group * 16 + layer >= d_.Layers.size() || layer >= 16) return 2;
    const std::int32_t g = d_.LayerGroups[group].State, l = d_.Layers[group * 16 + layer].State;
    if (g == 0 || l == 0) return 0;
    return g == 1 || l == 1 ? 1 : 2;
  }

  Rgb ColorOf(const jww::TEntJwwBase& base, bool greyed) const {
    if (greyed) return PenColor(9);
    const std::uint16_t c = base.PenColor;
    if (c == 9) return kAuxiliary;
    if (c >= 1 && c <= 8) return PenColor(c);
    if (c > 100 && static_cast<std::size_t>(c - 100) < d_.ColorsEx.size()) return FromColorRef(d_.ColorsEx[c - 100].ScreenColor);
    return PenColor(2);
  }

  int WidthOf(const jww::TEntJwwBase& base) const {
    const std::uint16_t c = base.PenColor;
    std::int32_t w = 1;
    if (c >= 1 && c <= 9 && c < d_.Pens.size()) w = d_.Pens[c].ScreenWidth;
    if (c > 100 && static_cast<std::size_t>(c - 100) < d_.ColorsEx.size()) w = d_.ColorsEx[c - 100].ScreenWidth;
    return std::clamp(w, 1, 16);
  }

  // The dashes of line types 2 to 9: the pattern's bits, high bit first, one per pixel.
  std::vector<int> DashesOf(std::uint8_t lineType) const {
    if (lineType < 2 || lineType > 9 || static_cast<std::size_t>(lineType - 2) >= d_.LineTypes.size()) return {};
    const jww::TEntJwwLineTypeNo& t = d_.LineTypes[lineType - 2];
    const auto pattern = static_cast<std::uint32_t>(t.Pattern);
    if (pattern == 0 || pattern == 0xFFFFFFFFu) return {};
    const int unit = std::clamp(t.Pitch, 1, 100);
    // turned so that the pattern starts with a drawn run
    int turn = 0;
    while (turn < 32 && !((std::rotl(pattern, turn) & 0x80000000u) && !(std::rotl(pattern, turn) & 1u))) ++turn;
    const std::uint32_t bits = std::rotl(pattern, turn % 32);
    std::vector<int> runs;
    bool on = true;
    int run = 0;
    for (int i = 31; i >= 0; --i) {
      const bool bit = (bits >> i) & 1u;
      if (bit != on) {
        runs.push_back(run * unit);
        on = bit;
        run = 0;
      }
      ++run;
    }
    runs.push_back(run * unit);
    if (runs.size() % 2) runs.push_back(0);
    return runs;
  }

  Stroke StrokeOf(const jww::TEntJwwBase& base, bool greyed) const {
    return {ColorOf(base, greyed), WidthOf(base), DashesOf(base.LineType)};
  }

  void DrawList(const jww::EntityList& list, const Affine& m, const jww::TEntJwwBase* insert, int depth) {
    for (std::size_t i = list.Order.size(); i-- > 0;) {
      const jww::TEntJwwOrder& o = list.Order[i];
      if (o.Index < 0) continue;
      const auto index = static_cast<std::size_t>(o.Index);
      switch (o.ClassNo) {
        case 1: if (index < list.Lines.size()) Entity(list.Lines[index], m, insert, depth); break;
        case 2: if (index < list.Arcs.size()) Entity(list.Arcs[index], m, insert, depth); break;
        case 3: if (index < list.Points.size()) Entity(list.Points[index], m, insert, depth); break;
        case 4: if (index < list.Texts.size()) Entity(list.Texts[index], m, insert, depth); break;
        case 5: if (index < list.Dims.size()) Entity(list.Dims[index], m, insert, depth); break;
        case 6: if (index < list.Solids.size()) Entity(list.Solids[index], m, insert, depth); break;
        case 7: if (index < list.Blocks.size()) Entity(list.Blocks[index], m, insert, depth); break;
        default: break;
      }
      if (blockBudgetSpent_) return;
    }
  }

  // Visibility and greying come from the top-level entity: the entity itself or its insert.
  template <class Record>
  void Entity(const Record& r, const Affine& m, const jww::TEntJwwBase* insert, int depth) {
    if (insert) {
      if (++blockEntities_ > kMaxBlockEntities) {
        blockBudgetSpent_ = true;
        return;
      }
    }
    const jww::TEntJwwBase& owner = insert ? *insert : static_cast<const jww::TEntJwwBase&>(r);
    const int visibility = Visibility(owner);
    if (visibility == 0) return;
    Draw(r, m, visibility == 1, insert ? insert : &r, depth);
  }

  void Draw(const jww::TEntJwwLine& l, const Affine& m, bool greyed, const jww::TEntJwwBase*, int) {
    Line(m.Apply({l.StartX, l.StartY}), m.Apply({l.EndX, l.EndY}), StrokeOf(l, greyed));
  }

  void Line(Vec p, Vec q, Stroke stroke) {
    if (!Finite(p) || !Finite(q) || !ClipSegment(p, q, view_)) return;
    list_.items.push_back(Polyline{{p, q}, false, std::move(stroke)});
  }

  void Draw(const jww::TEntJwwArc& a, const Affine& m, bool greyed, const jww::TEntJwwBase*, int) {
    const double flat = a.Flatness == 0 ? 1.0 : a.Flatness;
    const Affine frame = m.After(Affine::Translation(a.CenterX, a.CenterY))
                             .After(Affine::Rotation(a.TiltAngle))
                             .After(Affine::Scaling(a.Radius, a.Radius * flat));
    const bool whole = a.FullCircle != 0;
    Arc(frame, whole ? 0.0 : a.StartAngle, whole ? 2 * kPi : a.ArcAngle, StrokeOf(a, greyed));
  }

  void Arc(const Affine& frame, double start, double sweep, Stroke stroke) {
    if (!FiniteAffine(frame) || !Finite(start) || !Finite(sweep)) return;
    sweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
    const double reachX = std::abs(frame.a) + std::abs(frame.c), reachY = std::abs(frame.b) + std::abs(frame.d);
    if (std::abs(frame.e) - reachX > view_ || std::abs(frame.f) - reachY > view_) return;
    if (std::max(reachX, reachY) < kReach && std::abs(frame.e) < kReach && std::abs(frame.f) < kReach) {
      list_.items.push_back(EllipseArc{frame, start, sweep, std::move(stroke)});
      return;
    }
    // too large to hand to a renderer: the pieces near the paper, as short straight lines
    std::vector<Vec> points;
    Flatten(frame, start, start + sweep, std::sqrt(reachX * reachX + reachY * reachY), 0, points, stroke);
    if (points.size() >= 2) list_.items.push_back(Polyline{std::move(points), false, std::move(stroke)});
  }

  // Splits [t0, t1] until a piece lies off the paper or is as straight as a line.
  void Flatten(const Affine& frame, double t0, double t1, double radius, int depth, std::vector<Vec>& points,
               const Stroke& stroke) {
    const Vec p = frame.Apply({std::cos(t0), std::sin(t0)}), q = frame.Apply({std::cos(t1), std::sin(t1)});
    const double sag = radius * (1 - std::cos((t1 - t0) / 2));
    const double box = view_ + sag;
    const bool off = (p.x > box && q.x > box) || (p.x < -box && q.x < -box) || (p.y > box && q.y > box) ||
                     (p.y < -box && q.y < -box);
    if (off || depth > 60 || flattened_ > 100000) {
      if (points.size() >= 2) list_.items.push_back(Polyline{std::move(points), false, stroke});
      points.clear();
      return;
    }
    if (sag < 0.01) {
      if (points.empty()) points.push_back(p);
      points.push_back(q);
      ++flattened_;
      return;
    }
    const double mid = (t0 + t1) / 2;
    Flatten(frame, t0, mid, radius, depth + 1, points, stroke);
    Flatten(frame, mid, t1, radius, depth + 1, points, stroke);
  }

  void Draw(const jww::TEntJwwPoint& p, const Affine& m, bool greyed, const jww::TEntJwwBase*, int) {
    const Vec at = m.Apply({p.X, p.Y});
    if (!Finite(at) || std::abs(at.x) > view_ || std::abs(at.y) > view_) return;
    Marker mark{at, Marker::Shape::Dot, 3, 0, ColorOf(p, greyed)};
    if (p.LineType == 100) {
      switch (p.Code) {
        case 1: mark.shape = Marker::Shape::Arrow, mark.sizePx = 15; break;
        case 2: mark.shape = Marker::Shape::Square, mark.sizePx = 7; break;
        case 3: case 4: mark.shape = Marker::Shape::Ring, mark.sizePx = 7; break;
        case 5: mark.shape = Marker::Shape::FilledSquare, mark.sizePx = 7; break;
        default: break;
      }
      const Vec dir = m.Turn({std::cos(p.Angle * kPi / 180), std::sin(p.Angle * kPi / 180)});
      mark.angle = Finite(dir) ? std::atan2(dir.y, dir.x) : 0;
    } else if (p.TempPoint) {
      mark.shape = Marker::Shape::Ring;
      mark.sizePx = 5;
    }
    list_.items.push_back(mark);
  }

  void Draw(const jww::TEntJwwText& t, const Affine& m, bool greyed, const jww::TEntJwwBase*, int) {
    const bool drawn = jww::WithImageReference(t.Text, [&](const auto& ref) {
      using Text = std::decay_t<decltype(ref.path)>;
      if (ref.kind != jww::ReferenceKind::Image && ref.kind != jww::ReferenceKind::Embedded) return false;
      ImageText(t, m, greyed, ref.kind == jww::ReferenceKind::Embedded, jww::PlacementValues(ref.tail), [&] {
        ImagePath path;
        if constexpr (std::is_same_v<Text, std::string>) {
          path.sjis = ref.path;
        } else {
          path.units = ref.path;
        }
        return path;
      }());
      return true;
    });
    if (!drawn) Text(t, m, ColorOf(t, greyed));
  }

  void Text(const jww::TEntJwwText& t, const Affine& m, Rgb color) {
    if (!Finite(t.SizeX) || !Finite(t.SizeY) || !Finite(t.Spacing) || !Finite(t.Angle)) return;
    if (t.SizeY <= 0 || t.SizeY > kReach || std::abs(t.SizeX) > kReach || std::abs(t.Spacing) > kReach) return;
    Affine place = Affine::Translation(t.StartX, t.StartY).After(Affine::Rotation(t.Angle * kPi / 180));
    if (m.Determinant() < 0) {
      // mirrored by an insert: the text stays readable, running from the mirrored end
      place = Affine::Translation(t.EndX, t.EndY).After(Affine::Rotation(t.Angle * kPi / 180)).After(Affine::Scaling(-1, 1));
    }
    TextRun run;
    run.frame = m.After(place);
    if (!FiniteAffine(run.frame) || std::abs(run.frame.e) > kReach || std::abs(run.frame.f) > kReach) return;
    run.height = t.SizeY;
    run.family = Utf8Of(t.FontName);
    run.color = color;
    double x = 0;
    for (auto& [utf8, half] : Characters(t.Text)) {
      const double width = half ? t.SizeX / 2 : t.SizeX;
      run.glyphs.push_back({std::move(utf8), x, width, half});
      x += width + (half ? t.Spacing / 2 : t.Spacing);
    }
    // a run that cannot reach the paper, however it is turned
    const double reach = (std::abs(x) + t.SizeY) * (std::hypot(run.frame.a, run.frame.b) + std::hypot(run.frame.c, run.frame.d));
    if (std::abs(run.frame.e) > view_ + reach || std::abs(run.frame.f) > view_ + reach) return;
    if (!run.glyphs.empty()) list_.items.push_back(std::move(run));
  }

  // An image reference: the image where it is found and is a BMP, else the missing frame.
  void ImageText(const jww::TEntJwwText& t, const Affine& m, bool greyed, bool stored,
                 const std::vector<double>& fields, const ImagePath& path) {
    const double width = fields.size() > 0 ? fields[0] : 0;
    const double left = fields.size() > 2 ? fields[2] : 0;
    const double scale = fields.size() > 4 && fields[4] > 0 ? fields[4] : 1;
    const double angle = fields.size() > 5 ? fields[5] : 0;
    const Affine at = m.After(Affine::Translation(t.StartX, t.StartY)).After(Affine::Rotation(angle * kPi / 180));
    const DecodedImage image = stored ? StoredImage(t.Text) : FileImage(path);
    if (image.bitmap && width > 0 && Finite(width) && FiniteAffine(at)) {
      const double aspect = static_cast<double>(image.sourceHeight) / image.sourceWidth;
      const double whole = width / scale;
      // a trimmed part reaching above the bitmap's top is moved down to it
      const double bottom = std::min(fields.size() > 3 ? fields[3] : 0.0, aspect * (1 - scale));
      Picture picture;
      picture.bitmap = image.bitmap;
      picture.placement = at.After(Affine::Translation(-left * whole, -bottom * whole)).After(Affine::Scaling(whole, whole * aspect));
      picture.window = at.After(Affine::Scaling(width, width * aspect));
      const double reach = std::abs(picture.window.a) + std::abs(picture.window.b) + std::abs(picture.window.c) +
                           std::abs(picture.window.d);
      if (FiniteAffine(picture.placement) && FiniteAffine(picture.window) && std::abs(at.e) < view_ + reach &&
          std::abs(at.f) < view_ + reach) {
        list_.items.push_back(std::move(picture));
      }
      return;
    }
    // the whole reference string, small and level, at the start point (the drafting
    // program draws no frame for it)
    const Rgb color = ColorOf(t, greyed);
    jww::TEntJwwText label = t;
    label.SizeY = kMissingTextHeight;
    label.SizeX = kMissingTextHeight;
    label.Spacing = 0;
    label.Angle = 0;
    Text(label, m, color);
  }

  DecodedImage FileImage(const ImagePath& reference) {
    ImagePath file;
    if (!options_.findImage || !options_.findImage(reference, drawingPath_, file)) return {};
    // one file, one decoding, whatever the letter case of its name
    std::string key = file.sjis.empty() ? std::string("u:") : std::string("s:");
    key.append(file.sjis.empty() ? platform::Utf16ToUtf8ForDisplay(file.units) : text::UpperCase(file.sjis));
    if (auto it = images_.find(key); it != images_.end()) return it->second;
    std::vector<std::uint8_t> bytes;
    platform::InputFile in;
    const bool opened = file.sjis.empty() ? in.Open(file.units) : in.Open(file.sjis);
    if (opened && in.Size() <= kMaxImageFileBytes) {
      bytes.resize(static_cast<std::size_t>(in.Size()));
      bytes.resize(in.Read(bytes.data(), bytes.size()));
      if (in.Failed()) bytes.clear();
    }
    DecodedImage image = DecodeBmp(bytes.data(), bytes.size(), kMaxBitmapPixels);
    images_.emplace(key, image);
    return image;
  }

  DecodedImage StoredImage(const jww::JwwString& text) {
    const std::int32_t index = d_.FindEmbeddedImage(text);
    if (index < 0) return {};
    std::string key = "e:";
    key.append(std::to_string(index));
    if (auto it = images_.find(key); it != images_.end()) return it->second;
    const auto i = static_cast<std::size_t>(index);
    std::vector<std::uint8_t> scratch;
    const std::vector<std::uint8_t>* bytes = i < stored_.bytes.size() ? &stored_.bytes[i] : nullptr;
    const jww::JwwString& name = d_.Images.EmbeddedImages()[i].Name;
    if ((!bytes || bytes->empty()) && !d_.Images.TempFolder().empty() && jww::IsPlainFileName(name) && name.IsSjis()) {
      platform::InputFile in;
      if (d_.Images.Open(i, in)) {
        const auto keep = [&scratch](const unsigned char* data, std::size_t size) {
          scratch.insert(scratch.end(), data, data + size);
          return scratch.size() <= kMaxImageFileBytes;
        };
        relocation::UnpackFile(in, relocation::HasPackedName(name), keep);
      }
      bytes = &scratch;
    }
    DecodedImage image = bytes ? DecodeBmp(bytes->data(), bytes->size(), kMaxBitmapPixels) : DecodedImage{};
    images_.emplace(key, image);
    return image;
  }

  void Draw(const jww::TEntJwwDim& dim, const Affine& m, bool greyed, const jww::TEntJwwBase* owner, int depth) {
    Draw(dim.DimLine, m, greyed, owner, depth);
    Draw(dim.DimText, m, greyed, owner, depth);
  }

  void Draw(const jww::TEntJwwSolid& s, const Affine& m, bool greyed, const jww::TEntJwwBase*, int) {
    Polygon polygon;
    polygon.fill = greyed ? PenColor(9) : s.PenColor == 10 ? FromColorRef(s.Color) : ColorOf(s, false);
    for (Vec p : {Vec{s.X1, s.Y1}, Vec{s.X2, s.Y2}, Vec{s.X3, s.Y3}, Vec{s.X4, s.Y4}}) {
      const Vec q = m.Apply(p);
      if (!Finite(q) || std::abs(q.x) > kReach || std::abs(q.y) > kReach) return;
      polygon.points.push_back(q);
    }
    auto outside = [&polygon](auto side) { return std::all_of(polygon.points.begin(), polygon.points.end(), side); };
    const double v = view_;
    if (outside([v](Vec p) { return p.x > v; }) || outside([v](Vec p) { return p.x < -v; }) ||
        outside([v](Vec p) { return p.y > v; }) || outside([v](Vec p) { return p.y < -v; })) {
      return;
    }
    list_.items.push_back(std::move(polygon));
  }

  void Draw(const jww::TEntJwwBlock& b, const Affine& m, bool, const jww::TEntJwwBase* owner, int depth) {
    const std::int32_t def = d_.FindBlockDef(b.Number);
    if (def < 0 || depth >= kMaxBlockDepth) return;
    const auto index = static_cast<std::size_t>(def);
    if (std::find(path_.begin(), path_.end(), index) != path_.end()) return;  // a definition inside itself
    const Affine inner = m.After(Affine::Translation(b.X, b.Y))
                             .After(Affine::Rotation(b.Angle))
                             .After(Affine::Scaling(b.ScaleX, b.ScaleY));
    if (!FiniteAffine(inner)) return;
    path_.push_back(index);
    DrawList(d_.BlockDefs[index], inner, owner, depth + 1);
    path_.pop_back();
  }

  const jww::TJwwData& d_;
  const std::string& drawingPath_;
  const StoredImages& stored_;
  const PreviewOptions& options_;
  DisplayList list_;
  double view_ = 0;
  std::size_t blockEntities_ = 0;
  bool blockBudgetSpent_ = false;
  std::size_t flattened_ = 0;
  std::vector<std::size_t> path_;
  std::map<std::string, DecodedImage> images_;
};

}  // namespace

Affine Affine::Rotation(double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}

Vec PaperSize(std::int32_t code) {
  // A0 to A4, then 2A to 5A, then the 10 m, 50 m and 100 m sheets
  switch (code) {
    case 0: return {1189, 841};
    case 1: return {841, 594};
    case 2: return {594, 420};
    case 3: return {420, 297};
    case 4: return {297, 210};
    case 8: return {1682, 1189};
    case 9: return {2378, 1682};
    case 10: return {3364, 2378};
    case 11: return {4756, 3364};
    case 12: return {10000, 7071};
    case 13: return {50000, 35355};
    case 14: return {100000, 70711};
    default: return {420, 297};
  }
}

DisplayList BuildDisplayList(const jww::TJwwData& drawing, const std::string& drawingPath, const StoredImages& stored,
                             const PreviewOptions& options) {
  return SceneBuilder(drawing, drawingPath, stored, options).Build();
}

}  // namespace render
