// The canvas on Linux: a cairo image surface; fonts found through fontconfig.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "platform/Canvas.h"

namespace platform {
namespace {

// The family to draw with: the one asked for when fontconfig has it, else a Japanese one.
std::string InstalledFamily(const std::string& family, std::map<std::string, std::string>& known) {
  if (auto it = known.find(family); it != known.end()) return it->second;
  std::string chosen = "IPAGothic";
  if (FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()))) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* name = nullptr;
      for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        std::string got(reinterpret_cast<const char*>(name));
        if (std::equal(got.begin(), got.end(), family.begin(), family.end(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                   std::tolower(static_cast<unsigned char>(b)); })) {
          chosen = family;
          break;
        }
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  known.emplace(family, chosen);
  return chosen;
}

void Path(cairo_t* cr, const std::vector<double>& xy, bool closed) {
  cairo_new_path(cr);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) cairo_line_to(cr, xy[i], xy[i + 1]);
  if (closed) cairo_close_path(cr);
}

// Canvases alive: when the last goes, cairo's and fontconfig's caches are let go too.
int liveCanvases = 0;

void SetColor(cairo_t* cr, CanvasColor c) { cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

}  // namespace

struct Canvas::State {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  std::map<std::string, std::string> families;
};

Canvas::Canvas(int width, int height, CanvasColor background)
    : state_(std::make_unique<State>()), width_(std::max(width, 1)), height_(std::max(height, 1)) {
  ++liveCanvases;
  state_->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
  if (cairo_surface_status(state_->surface) != CAIRO_STATUS_SUCCESS) return;
  state_->cr = cairo_create(state_->surface);
  SetColor(state_->cr, background);
  cairo_paint(state_->cr);
  cairo_set_antialias(state_->cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_cap(state_->cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(state_->cr, CAIRO_LINE_JOIN_MITER);
}

Canvas::~Canvas() {
  if (state_->cr) cairo_destroy(state_->cr);
  if (state_->surface) cairo_surface_destroy(state_->surface);
  if (--liveCanvases == 0) {
    cairo_debug_reset_static_data();
    FcFini();
  }
}

bool Canvas::Valid() const { return state_->cr && cairo_status(state_->cr) == CAIRO_STATUS_SUCCESS; }

void Canvas::Stroke(const std::vector<double>& xy, bool closed, CanvasColor color, double width,
                    const std::vector<double>& dashes) {
  if (!Valid() || xy.size() < 4) return;
  cairo_t* cr = state_->cr;
  Path(cr, xy, closed);
  SetColor(cr, color);
  cairo_set_line_width(cr, std::max(width, 1.0));
  cairo_set_dash(cr, dashes.empty() ? nullptr : dashes.data(), static_cast<int>(dashes.size()), 0);
  cairo_stroke(cr);
}

void Canvas::Fill(const std::vector<double>& xy, CanvasColor color) {
  if (!Valid() || xy.size() < 6) return;
  cairo_t* cr = state_->cr;
  Path(cr, xy, true);
  SetColor(cr, color);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr);
}

void Canvas::Text(const std::string& utf8, const std::string& family, const CanvasMatrix& m, CanvasColor color) {
  if (!Valid() || utf8.empty()) return;
  cairo_t* cr = state_->cr;
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_select_font_face(cr, InstalledFamily(family, state_->families).c_str(), CAIRO_FONT_SLANT_NORMAL,
                         CAIRO_FONT_WEIGHT_NORMAL);
  cairo_matrix_t font;
  cairo_matrix_init(&font, m.xx, m.yx, m.xy, m.yy, 0, 0);
  // a degenerate matrix would put the context in an error state for good
  if (std::abs(m.xx * m.yy - m.xy * m.yx) > 1e-9) {
    cairo_set_font_matrix(cr, &font);
    cairo_move_to(cr, m.x0, m.y0);
    SetColor(cr, color);
    cairo_show_text(cr, utf8.c_str());
  }
  cairo_restore(cr);
}

void Canvas::Image(const std::uint8_t* rgb, int width, int height, const CanvasMatrix& m,
                   const std::vector<double>& clip) {
  if (!Valid() || width <= 0 || height <= 0 || clip.size() < 6) return;
  if (std::abs(m.xx * m.yy - m.xy * m.yx) < 1e-12) return;
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return;
  }
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    const std::uint8_t* src = rgb + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      row[x] = 0xFF000000u | (std::uint32_t{src[3 * x]} << 16) | (std::uint32_t{src[3 * x + 1]} << 8) | src[3 * x + 2];
    }
  }
  cairo_surface_mark_dirty(image);
  cairo_t* cr = state_->cr;
  cairo_save(cr);
  Path(cr, clip, true);
  cairo_clip(cr);
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, m.xx, m.yx, m.xy, m.yy, m.x0, m.y0);
  cairo_transform(cr, &matrix);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(image);
}

std::vector<std::uint8_t> Canvas::Pixels() const {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 3, 0);
  if (!state_->surface || cairo_surface_status(state_->surface) != CAIRO_STATUS_SUCCESS) return out;
  cairo_surface_flush(state_->surface);
  const unsigned char* data = cairo_image_surface_get_data(state_->surface);
  const int stride = cairo_image_surface_get_stride(state_->surface);
  for (int y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* p = &out[(static_cast<std::size_t>(y) * width_ + x) * 3];
      p[0] = static_cast<std::uint8_t>(row[x] >> 16);
      p[1] = static_cast<std::uint8_t>(row[x] >> 8);
      p[2] = static_cast<std::uint8_t>(row[x]);
    }
  }
  return out;
}

}  // namespace platform
