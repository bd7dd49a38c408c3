// The display list as an SVG document: millimetre user units with y turned down, widths
// and dashes in the picture's pixels, images as PNG data.
#include <cmath>
#include <map>

#include "render/ImageCodec.h"
#include "render/Preview.h"
#include "render/SvgWriter.h"

namespace render {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Where the baseline lies above a character cell's bottom, in cell heights.
constexpr double kDescent = 0.12;

std::string Color(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
  return buf;
}

// Paper to SVG user space: y turned down.
constexpr Affine kFlip{1, 0, 0, -1, 0, 0};

std::string Matrix(const Affine& m) {
  return std::string("matrix(") + SvgWriter::Number(m.a) + " " + SvgWriter::Number(m.b) + " " + SvgWriter::Number(m.c) + " " +
         SvgWriter::Number(m.d) + " " + SvgWriter::Number(m.e) + " " + SvgWriter::Number(m.f) + ")";
}

std::string Point(Vec p) { return SvgWriter::Number(p.x) + " " + SvgWriter::Number(-p.y); }

// The family list of a text: its own font, then the Japanese fonts standing in for it.
std::string Families(const std::string& family) {
  std::string own;
  for (char c : family) {
    if (c != '"' && c != '\\' && c != ';') own += c;
  }
  std::string list;
  if (!own.empty()) list.append("\"").append(own).append("\", ");
  return list.append("IPAGothic, \"IPAexGothic\", \"MS Gothic\", sans-serif");
}

class SvgPicture {
 public:
  SvgPicture(const DisplayList& list, int widthPixels) : list_(list), width_(widthPixels) {
    pixel_ = list.paperWidth / widthPixels;
  }

  std::string Write() {
    const double w = list_.paperWidth, h = list_.paperHeight;
    out_.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    out_.Open("svg");
    out_.Attribute("xmlns", "http://www.w3.org/2000/svg");
    out_.Attribute("xmlns:xlink", "http://www.w3.org/1999/xlink");
    out_.Attribute("width", width_);
    out_.Attribute("height", PictureHeight(list_, width_));
    // the paper's centre on the middle pixel's centre, so that a point lights the pixel it
    // rounds to
    const int height = PictureHeight(list_, width_);
    out_.Attribute("viewBox", SvgWriter::Number(-(width_ / 2 + 0.5) * pixel_) + " " +
                                  SvgWriter::Number(-(height / 2 + 0.5) * pixel_) + " " +
                                  SvgWriter::Number(width_ * pixel_) + " " + SvgWriter::Number(height * pixel_));
    // lines and fills are not smoothed, as on the drafting program's screen
    out_.Attribute("shape-rendering", "crispEdges");
    out_.End();
    out_.Raw("\n");
    out_.Open("rect");
    out_.Attribute("x", -w / 2);
    out_.Attribute("y", -h / 2);
    out_.Attribute("width", w);
    out_.Attribute("height", h);
    out_.Attribute("fill", Color(list_.background));
    out_.Empty();
    out_.Raw("\n");
    for (const Item& item : list_.items) {
      std::visit([this](const auto& i) { Draw(i); }, item);
    }
    out_.Close("svg");
    out_.Raw("\n");
    return std::move(out_.Output());
  }

 private:
  void StrokeAttributes(const Stroke& s) {
    out_.Attribute("fill", "none");
    out_.Attribute("stroke", Color(s.color));
    out_.Attribute("stroke-width", s.widthPx * pixel_);
    if (!s.dashPx.empty()) {
      std::string dashes;
      for (int d : s.dashPx) {
        if (!dashes.empty()) dashes += ' ';
        dashes += SvgWriter::Number(d * pixel_);
      }
      out_.Attribute("stroke-dasharray", dashes);
    }
  }

  void Draw(const Polyline& p) {
    std::string d;
    for (std::size_t i = 0; i < p.points.size(); ++i) d += (i ? " L" : "M") + Point(p.points[i]);
    if (p.closed) d += " Z";
    out_.Open("path");
    out_.Attribute("d", d);
    StrokeAttributes(p.stroke);
    out_.Empty();
    out_.Raw("\n");
  }

  void Draw(const Polygon& p) {
    std::string d;
    for (std::size_t i = 0; i < p.points.size(); ++i) d += (i ? " L" : "M") + Point(p.points[i]);
    out_.Open("path");
    out_.Attribute("d", d + " Z");
    out_.Attribute("fill", Color(p.fill));
    out_.Empty();
    out_.Raw("\n");
  }

  void Draw(const EllipseArc& e) {
    // the ellipse's axes: the turned frame split as R(phi)·S(rx, ry)·R(theta)
    const Affine m = kFlip.After(e.frame);
    const double E = (m.a + m.d) / 2, F = (m.a - m.d) / 2, G = (m.b + m.c) / 2, H = (m.b - m.c) / 2;
    const double Q = std::hypot(E, H), R = std::hypot(F, G);
    const double rx = Q + R, ry = std::abs(Q - R);
    const double phi = (std::atan2(H, E) + std::atan2(G, F)) / 2;
    auto at = [&m](double t) { return m.Apply({std::cos(t), std::sin(t)}); };
    auto num = [](Vec p) { return SvgWriter::Number(p.x) + " " + SvgWriter::Number(p.y); };
    const bool positive = (m.Determinant() > 0) == (e.sweep > 0);
    const std::string arc = std::string("A") + SvgWriter::Number(rx) + " " + SvgWriter::Number(ry) + " " +
                            SvgWriter::Number(phi * 180 / kPi) + " ";
    std::string d = std::string("M") + num(at(e.start));
    if (std::abs(e.sweep) >= 2 * kPi - 1e-9) {
      d += " " + arc + "0 " + (positive ? "1 " : "0 ") + num(at(e.start + e.sweep / 2));
      d += " " + arc + "0 " + (positive ? "1 " : "0 ") + num(at(e.start)) + " Z";
    } else {
      d += " " + arc + (std::abs(e.sweep) > kPi ? "1 " : "0 ") + (positive ? "1 " : "0 ") + num(at(e.start + e.sweep));
    }
    out_.Open("path");
    out_.Attribute("d", d);
    StrokeAttributes(e.stroke);
    out_.Empty();
    out_.Raw("\n");
  }

  void Draw(const Marker& k) {
    const double size = k.sizePx * pixel_, half = size / 2;
    const Vec c{k.at.x, -k.at.y};
    if (k.shape == Marker::Shape::Arrow) {
      const double a = -k.angle, back = size, wing = size / 4;
      const Vec tail{c.x - back * std::cos(a), c.y - back * std::sin(a)};
      const Vec n{-std::sin(a) * wing, std::cos(a) * wing};
      out_.Open("path");
      out_.Attribute("d", std::string("M") + SvgWriter::Number(c.x) + " " + SvgWriter::Number(c.y) + " L" +
                              SvgWriter::Number(tail.x + n.x) + " " + SvgWriter::Number(tail.y + n.y) + " L" +
                              SvgWriter::Number(tail.x - n.x) + " " + SvgWriter::Number(tail.y - n.y) + " Z");
      StrokeAttributes({k.color, 1, {}});
      out_.Empty();
      out_.Raw("\n");
      return;
    }
    const bool ring = k.shape == Marker::Shape::Ring;
    out_.Open(ring ? "circle" : "rect");
    if (ring) {
      out_.Attribute("cx", c.x);
      out_.Attribute("cy", c.y);
      out_.Attribute("r", half);
    } else {
      out_.Attribute("x", c.x - half);
      out_.Attribute("y", c.y - half);
      out_.Attribute("width", size);
      out_.Attribute("height", size);
    }
    if (k.shape == Marker::Shape::Dot || k.shape == Marker::Shape::FilledSquare) {
      out_.Attribute("fill", Color(k.color));
    } else {
      StrokeAttributes({k.color, 1, {}});
    }
    out_.Empty();
    out_.Raw("\n");
  }

  void Draw(const TextRun& t) {
    const Glyph& first = t.glyphs.front();
    const double stretch = first.width / (first.halfWidth ? t.height / 2 : t.height);
    if (!(std::abs(stretch) > 1e-9) || !(t.height > 0)) return;
    // the run's own frame, glyph space with y down and full-width glyphs one height wide
    const Affine m = kFlip.After(t.frame).After(Affine::Scaling(stretch, -1));
    out_.Open("text");
    out_.Attribute("transform", Matrix(m));
    out_.Attribute("y", -kDescent * t.height);
    out_.Attribute("font-family", Families(t.family));
    out_.Attribute("font-size", t.height);
    out_.Attribute("fill", Color(t.color));
    out_.Attribute("xml:space", "preserve");
    out_.End();
    // each character at its own cell (a list of x positions is not read by every renderer)
    for (const Glyph& g : t.glyphs) {
      out_.Open("tspan");
      out_.Attribute("x", g.x / stretch);
      out_.End();
      out_.Text(g.utf8);
      out_.Close("tspan");
    }
    out_.Close("text");
    out_.Raw("\n");
  }

  void Draw(const Picture& p) {
    const Bitmap* bitmap = p.bitmap.get();
    auto known = images_.find(bitmap);
    if (known == images_.end()) {
      const std::string id = std::string("image") + std::to_string(images_.size() + 1);
      known = images_.emplace(bitmap, id).first;
      out_.Raw("<defs>");
      out_.Open("image");
      out_.Attribute("id", id);
      out_.Attribute("width", 1);
      out_.Attribute("height", 1);
      out_.Attribute("preserveAspectRatio", "none");
      out_.Attribute("image-rendering", "optimizeSpeed");
      out_.Attribute("xlink:href", std::string("data:image/png;base64,") + Base64(EncodePng(*bitmap)));
      out_.Empty();
      out_.Raw("</defs>\n");
    }
    const std::string clip = std::string("clip") + std::to_string(++clips_);
    std::string d;
    const Vec corners[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) d += (i ? " L" : "M") + Point(p.window.Apply(corners[i]));
    out_.Open("clipPath");
    out_.Attribute("id", clip);
    out_.End();
    out_.Open("path");
    out_.Attribute("d", d + " Z");
    out_.Empty();
    out_.Close("clipPath");
    // the image's unit square, top row first, onto the placement
    const Affine m = kFlip.After(p.placement).After(Affine{1, 0, 0, -1, 0, 1});
    out_.Open("g");
    out_.Attribute("clip-path", std::string("url(#") + clip + ")");
    out_.End();
    out_.Open("use");
    out_.Attribute("xlink:href", std::string("#") + known->second);
    out_.Attribute("transform", Matrix(m));
    out_.Empty();
    out_.Close("g");
    out_.Raw("\n");
  }

  const DisplayList& list_;
  int width_;
  double pixel_ = 1;  // mm per picture pixel
  SvgWriter out_;
  std::map<const Bitmap*, std::string> images_;
  int clips_ = 0;
};

}  // namespace

int PictureHeight(const DisplayList& list, int widthPixels) {
  // the row of the bottom edge included
  return std::max(1, static_cast<int>(std::floor(widthPixels * list.paperHeight / list.paperWidth)) + 1);
}

std::string WriteSvg(const DisplayList& list, int widthPixels) { return SvgPicture(list, widthPixels).Write(); }

}  // namespace render
