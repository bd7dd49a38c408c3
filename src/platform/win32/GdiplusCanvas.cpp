// The canvas on Windows: a GDI+ bitmap, which every Windows (and Wine) has.
#include <windows.h>
// (left out of windows.h by WIN32_LEAN_AND_MEAN; GDI+ needs it)
#include <objidl.h>

#include <algorithm>
#include <cmath>
#include <map>
// the GDI+ headers use min and max unqualified
using std::max;
using std::min;
#include <gdiplus.h>

#include "platform/Canvas.h"
#include "platform/Unicode.h"

namespace platform {
namespace {

Gdiplus::Color ColorOf(CanvasColor c) { return Gdiplus::Color(255, c.r, c.g, c.b); }

std::vector<Gdiplus::PointF> Points(const std::vector<double>& xy) {
  std::vector<Gdiplus::PointF> points;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    points.emplace_back(static_cast<Gdiplus::REAL>(xy[i]), static_cast<Gdiplus::REAL>(xy[i + 1]));
  }
  return points;
}

std::wstring Wide(const std::string& utf8) {
  std::u16string units;
  unicode::Utf8ToUtf16(utf8, units);
  return std::wstring(units.begin(), units.end());
}

// The font size text is laid out at before the matrix scales it.
constexpr Gdiplus::REAL kLayoutSize = 100;

}  // namespace

struct Canvas::State {
  ULONG_PTR token = 0;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;
  std::unique_ptr<Gdiplus::Graphics> graphics;
  std::map<std::string, std::unique_ptr<Gdiplus::FontFamily>> families;

  Gdiplus::FontFamily* Family(const std::string& name) {
    auto& known = families[name];
    if (!known) {
      for (const std::wstring& candidate : {Wide(name), std::wstring(L"IPAGothic"), std::wstring(L"MS Gothic")}) {
        auto family = std::make_unique<Gdiplus::FontFamily>(candidate.c_str());
        if (family->IsAvailable()) {
          known = std::move(family);
          break;
        }
      }
      if (!known) known.reset(Gdiplus::FontFamily::GenericSansSerif()->Clone());
    }
    return known.get();
  }
};

Canvas::Canvas(int width, int height, CanvasColor background)
    : state_(std::make_unique<State>()), width_(std::max(width, 1)), height_(std::max(height, 1)) {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&state_->token, &input, nullptr) != Gdiplus::Ok) return;
  state_->bitmap = std::make_unique<Gdiplus::Bitmap>(width_, height_, PixelFormat24bppRGB);
  if (state_->bitmap->GetLastStatus() != Gdiplus::Ok) {
    state_->bitmap.reset();
    return;
  }
  state_->graphics.reset(Gdiplus::Graphics::FromImage(state_->bitmap.get()));
  state_->graphics->Clear(ColorOf(background));
  state_->graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
  // pixel centres at half coordinates, as the cairo canvas has them
  state_->graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  state_->graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
}

Canvas::~Canvas() {
  state_->families.clear();
  state_->graphics.reset();
  state_->bitmap.reset();
  if (state_->token) Gdiplus::GdiplusShutdown(state_->token);
}

bool Canvas::Valid() const { return state_->graphics != nullptr; }

void Canvas::Stroke(const std::vector<double>& xy, bool closed, CanvasColor color, double width,
                    const std::vector<double>& dashes) {
  if (!Valid() || xy.size() < 4) return;
  const auto w = static_cast<Gdiplus::REAL>(std::max(width, 1.0));
  Gdiplus::Pen pen(ColorOf(color), w);
  std::vector<Gdiplus::REAL> pattern;
  // GDI+ counts dashes in pen widths; a zero length is not allowed
  for (double d : dashes) pattern.push_back(static_cast<Gdiplus::REAL>(std::max(d, 0.01) / w));
  if (!pattern.empty()) pen.SetDashPattern(pattern.data(), static_cast<INT>(pattern.size()));
  const std::vector<Gdiplus::PointF> points = Points(xy);
  if (closed) {
    state_->graphics->DrawPolygon(&pen, points.data(), static_cast<INT>(points.size()));
  } else {
    state_->graphics->DrawLines(&pen, points.data(), static_cast<INT>(points.size()));
  }
}

void Canvas::Fill(const std::vector<double>& xy, CanvasColor color) {
  if (!Valid() || xy.size() < 6) return;
  Gdiplus::SolidBrush brush(ColorOf(color));
  const std::vector<Gdiplus::PointF> points = Points(xy);
  state_->graphics->FillPolygon(&brush, points.data(), static_cast<INT>(points.size()), Gdiplus::FillModeWinding);
}

void Canvas::Text(const std::string& utf8, const std::string& family, const CanvasMatrix& m, CanvasColor color) {
  if (!Valid() || utf8.empty() || std::abs(m.xx * m.yy - m.xy * m.yx) < 1e-9) return;
  Gdiplus::FontFamily* f = state_->Family(family);
  Gdiplus::Font font(f, kLayoutSize, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  const Gdiplus::REAL ascent =
      kLayoutSize * f->GetCellAscent(Gdiplus::FontStyleRegular) / std::max<UINT16>(f->GetEmHeight(Gdiplus::FontStyleRegular), 1);
  Gdiplus::Matrix matrix(static_cast<Gdiplus::REAL>(m.xx / kLayoutSize), static_cast<Gdiplus::REAL>(m.yx / kLayoutSize),
                         static_cast<Gdiplus::REAL>(m.xy / kLayoutSize), static_cast<Gdiplus::REAL>(m.yy / kLayoutSize),
                         static_cast<Gdiplus::REAL>(m.x0), static_cast<Gdiplus::REAL>(m.y0));
  Gdiplus::GraphicsState saved = state_->graphics->Save();
  state_->graphics->SetTransform(&matrix);
  Gdiplus::SolidBrush brush(ColorOf(color));
  const std::wstring text = Wide(utf8);
  state_->graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), &font, Gdiplus::PointF(0, -ascent),
                               Gdiplus::StringFormat::GenericTypographic(), &brush);
  state_->graphics->Restore(saved);
}

void Canvas::Image(const std::uint8_t* rgb, int width, int height, const CanvasMatrix& m,
                   const std::vector<double>& clip) {
  if (!Valid() || width <= 0 || height <= 0 || clip.size() < 6) return;
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<BYTE> bgr(static_cast<std::size_t>(stride) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * width + x) * 3;
      BYTE* q = &bgr[static_cast<std::size_t>(y) * stride + x * 3];
      q[0] = p[2], q[1] = p[1], q[2] = p[0];
    }
  }
  Gdiplus::Bitmap image(width, height, stride, PixelFormat24bppRGB, bgr.data());
  const Gdiplus::PointF corners[3] = {
      {static_cast<Gdiplus::REAL>(m.x0), static_cast<Gdiplus::REAL>(m.y0)},
      {static_cast<Gdiplus::REAL>(m.x0 + m.xx * width), static_cast<Gdiplus::REAL>(m.y0 + m.yx * width)},
      {static_cast<Gdiplus::REAL>(m.x0 + m.xy * height), static_cast<Gdiplus::REAL>(m.y0 + m.yy * height)}};
  const std::vector<Gdiplus::PointF> window = Points(clip);
  Gdiplus::GraphicsPath path;
  path.AddPolygon(window.data(), static_cast<INT>(window.size()));
  Gdiplus::GraphicsState saved = state_->graphics->Save();
  state_->graphics->SetClip(&path);
  state_->graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  state_->graphics->DrawImage(&image, corners, 3);
  state_->graphics->Restore(saved);
}

std::vector<std::uint8_t> Canvas::Pixels() const {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 3, 0);
  if (!state_->bitmap) return out;
  state_->graphics->Flush(Gdiplus::FlushIntentionSync);
  Gdiplus::Rect all(0, 0, width_, height_);
  Gdiplus::BitmapData data;
  if (state_->bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data) != Gdiplus::Ok) return out;
  for (int y = 0; y < height_; ++y) {
    const auto* row = static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* p = &out[(static_cast<std::size_t>(y) * width_ + x) * 3];
      p[0] = row[x * 3 + 2], p[1] = row[x * 3 + 1], p[2] = row[x * 3];
    }
  }
  state_->bitmap->UnlockBits(&data);
  return out;
}

}  // namespace platform
