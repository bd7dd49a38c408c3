// The display list drawn on the system's canvas, pixel for pixel as the SVG lays it out.
#include <algorithm>
#include <cmath>

#include "platform/Canvas.h"
#include "render/Preview.h"

namespace render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDescent = 0.12;
// half a pixel, a little less so that a line on a pixel's edge lights that pixel
constexpr double kHalf = 0.5 - 1.0 / 64;

platform::CanvasColor Color(Rgb c) { return {c.r, c.g, c.b}; }

class Rasterizer {
 public:
  Rasterizer(const DisplayList& list, int width, platform::Canvas& canvas) : list_(list), canvas_(canvas) {
    const double k = width / list.paperWidth;
    // paper millimetres to pixels: the paper's centre on the middle pixel, y turned down; a
    // point lights the pixel it rounds to, as on the drafting program's screen
    toPixels_ = {k, 0, 0, -k, canvas.Width() / 2 + kHalf, canvas.Height() / 2 + kHalf};
  }

  void Draw() {
    for (const Item& item : list_.items) std::visit([this](const auto& i) { Draw(i); }, item);
  }

 private:
  std::vector<double> Pixels(const std::vector<Vec>& points) const {
    std::vector<double> xy;
    xy.reserve(points.size() * 2);
    for (Vec p : points) {
      const Vec q = toPixels_.Apply(p);
      xy.push_back(q.x);
      xy.push_back(q.y);
    }
    return xy;
  }

  static std::vector<double> Dashes(const Stroke& s) { return {s.dashPx.begin(), s.dashPx.end()}; }

  void Draw(const Polyline& p) { canvas_.Stroke(Pixels(p.points), p.closed, Color(p.stroke.color), p.stroke.widthPx, Dashes(p.stroke)); }

  void Draw(const Polygon& p) { canvas_.Fill(Pixels(p.points), Color(p.fill)); }

  void Draw(const EllipseArc& e) {
    const Affine m = toPixels_.After(e.frame);
    const double radius = std::max(std::hypot(m.a, m.b), std::hypot(m.c, m.d));
    const int steps = std::clamp(static_cast<int>(radius * std::abs(e.sweep) / 2), 8, 4096);
    std::vector<double> xy;
    for (int i = 0; i <= steps; ++i) {
      const double t = e.start + e.sweep * i / steps;
      const Vec q = m.Apply({std::cos(t), std::sin(t)});
      xy.push_back(q.x);
      xy.push_back(q.y);
    }
    canvas_.Stroke(xy, false, Color(e.stroke.color), e.stroke.widthPx, Dashes(e.stroke));
  }

  void Draw(const Marker& k) {
    const Vec c = toPixels_.Apply(k.at);
    const double h = k.sizePx / 2.0;
    const std::vector<double> square = {c.x - h, c.y - h, c.x + h, c.y - h, c.x + h, c.y + h, c.x - h, c.y + h};
    switch (k.shape) {
      case Marker::Shape::Dot:
      case Marker::Shape::FilledSquare: canvas_.Fill(square, Color(k.color)); break;
      case Marker::Shape::Square: canvas_.Stroke(square, true, Color(k.color), 1, {}); break;
      case Marker::Shape::Ring: {
        std::vector<double> ring;
        for (int i = 0; i < 16; ++i) {
          ring.push_back(c.x + h * std::cos(i * kPi / 8));
          ring.push_back(c.y + h * std::sin(i * kPi / 8));
        }
        canvas_.Stroke(ring, true, Color(k.color), 1, {});
        break;
      }
      case Marker::Shape::Arrow: {
        const double a = -k.angle, back = k.sizePx, wing = k.sizePx / 4.0;
        const Vec tail{c.x - back * std::cos(a), c.y - back * std::sin(a)};
        const Vec n{-std::sin(a) * wing, std::cos(a) * wing};
        canvas_.Stroke({c.x, c.y, tail.x + n.x, tail.y + n.y, tail.x - n.x, tail.y - n.y}, true, Color(k.color), 1, {});
        break;
      }
    }
  }

  void Draw(const TextRun& t) {
    for (const Glyph& g : t.glyphs) {
      const double em = g.halfWidth ? t.height / 2 : t.height;
      if (!(em > 0) || g.width == 0) continue;
      // the em square (y down, baseline at 0) onto the glyph's cell
      const Affine m = toPixels_.After(t.frame)
                           .After(Affine::Translation(g.x, kDescent * t.height))
                           .After(Affine::Scaling(g.width / em * t.height, -t.height));
      canvas_.Text(g.utf8, t.family, {m.a, m.b, m.c, m.d, m.e, m.f}, Color(t.color));
    }
  }

  void Draw(const Picture& p) {
    const Bitmap& b = *p.bitmap;
    // the bitmap's pixel grid, top row first, onto its placement
    const Affine m = toPixels_.After(p.placement).After(Affine{1.0 / b.width, 0, 0, -1.0 / b.height, 0, 1});
    std::vector<Vec> window;
    for (Vec corner : {Vec{0, 0}, Vec{1, 0}, Vec{1, 1}, Vec{0, 1}}) window.push_back(p.window.Apply(corner));
    canvas_.Image(b.rgb.data(), b.width, b.height, {m.a, m.b, m.c, m.d, m.e, m.f}, Pixels(window));
  }

  const DisplayList& list_;
  platform::Canvas& canvas_;
  Affine toPixels_;
};

}  // namespace

bool Rasterize(const DisplayList& list, int widthPixels, Bitmap& picture) {
  const int height = PictureHeight(list, widthPixels);
  if (widthPixels < 1 || widthPixels > kMaxWidthPixels || height > kMaxWidthPixels) return false;
  platform::Canvas canvas(widthPixels, height, Color(list.background));
  if (!canvas.Valid()) return false;
  Rasterizer(list, widthPixels, canvas).Draw();
  picture.width = widthPixels;
  picture.height = height;
  picture.rgb = canvas.Pixels();
  return true;
}

}  // namespace render
