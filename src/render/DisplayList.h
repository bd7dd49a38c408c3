// What a preview draws, in paper millimetres (origin at the paper's centre, x right, y up),
// back to front: the model the SVG writer and the raster canvas both draw from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace render {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Vec {
  double x = 0, y = 0;
};

// x' = a·x + c·y + e, y' = b·x + d·y + f
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  Vec Apply(Vec p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  // The direction a vector takes (no translation).
  Vec Turn(Vec p) const { return {a * p.x + c * p.y, b * p.x + d * p.y}; }
  // This transform applied after `inner`.
  Affine After(const Affine& inner) const {
    return {a * inner.a + c * inner.b, b * inner.a + d * inner.b, a * inner.c + c * inner.d,
            b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
  }
  double Determinant() const { return a * d - b * c; }
  static Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static Affine Rotation(double radians);
  static Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};

// A line's look: width in screen pixels, dashes as drawn/skipped pixel lengths (none: solid).
struct Stroke {
  Rgb color;
  int widthPx = 1;
  std::vector<int> dashPx;
};

struct Polyline {
  std::vector<Vec> points;
  bool closed = false;
  Stroke stroke;
};

// A filled polygon (a solid: its corners in file order).
struct Polygon {
  std::vector<Vec> points;
  Rgb fill;
};

// The points frame(cos t, sin t) for t from start over sweep (radians; a whole turn for a
// closed ellipse): any ellipse, however a block insert scaled or turned it.
struct EllipseArc {
  Affine frame;
  double start = 0, sweep = 0;
  Stroke stroke;
};

// A point mark drawn at a fixed size on screen.
struct Marker {
  enum class Shape : std::uint8_t { Dot, Ring, Square, FilledSquare, Arrow };
  Vec at;
  Shape shape = Shape::Dot;
  int sizePx = 3;
  double angle = 0;  // radians, for the arrow
  Rgb color;
};

// One character of a text: its cell's left edge along the run and its width, in mm.
struct Glyph {
  std::string utf8;
  double x = 0, width = 0;
  bool halfWidth = false;
};

// A text: frame maps the run's own millimetres (x along the run from the cell's bottom-left
// corner, y up) to the paper; every glyph fills a cell `height` high, stretched to its width.
struct TextRun {
  Affine frame;
  double height = 0;
  std::vector<Glyph> glyphs;
  std::string family;  // UTF-8
  Rgb color;
};

// An image: pixels top row first, RGB.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

// A bitmap drawn through `placement` (its whole area as the unit square, bottom-left at
// 0,0, y up) and clipped to `window` (the unit square's image likewise).
struct Picture {
  std::shared_ptr<const Bitmap> bitmap;
  Affine placement;
  Affine window;
};

using Item = std::variant<Polyline, Polygon, EllipseArc, Marker, TextRun, Picture>;

struct DisplayList {
  double paperWidth = 420, paperHeight = 297;  // mm
  Rgb background{255, 255, 255};
  std::vector<Item> items;  // back to front
};

}  // namespace render
