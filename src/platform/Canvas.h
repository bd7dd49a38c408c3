// A raster picture drawn by the system's own graphics library (cairo on Linux, GDI+ on
// Windows). Coordinates are pixels, x right and y down; lines and fills are drawn without
// anti-aliasing, text with it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct CanvasColor {
  std::uint8_t r = 0, g = 0, b = 0;
};

// x' = xx·x + xy·y + x0, y' = yx·x + yy·y + y0
struct CanvasMatrix {
  double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
};

class Canvas {
 public:
  // A picture of width × height pixels filled with the background; both at least 1.
  Canvas(int width, int height, CanvasColor background);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // False when the picture could not be made (no memory); nothing is drawn then.
  bool Valid() const;
  int Width() const { return width_; }
  int Height() const { return height_; }

  // A polyline through the points (x, y pairs), `width` pixels wide; `dashes` alternates
  // drawn and skipped lengths in pixels, empty for a solid line.
  void Stroke(const std::vector<double>& xy, bool closed, CanvasColor color, double width,
              const std::vector<double>& dashes);
  // A polygon filled by the nonzero rule.
  void Fill(const std::vector<double>& xy, CanvasColor color);
  // UTF-8 text of the family (another font when it is not installed); m maps the font's
  // em square (1 = the font size, y down, the baseline's start at 0,0) to pixels.
  void Text(const std::string& utf8, const std::string& family, const CanvasMatrix& m, CanvasColor color);
  // An image of width × height RGB pixels (rows top first), each pixel a unit square of
  // m's source space, clipped to the polygon `clip` (in pixels).
  void Image(const std::uint8_t* rgb, int width, int height, const CanvasMatrix& m, const std::vector<double>& clip);

  // The picture as RGB rows, top first.
  std::vector<std::uint8_t> Pixels() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
  int width_ = 0, height_ = 0;
};

}  // namespace platform
