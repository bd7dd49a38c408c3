// Dots per inch of a window and the scaling of design sizes (given at 96 dpi). The
// per-monitor calls are looked up at run time, so the program still starts on systems
// that lack them.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr UINT kDesignDpi = 96;

// The window's dots per inch; the screen's on systems without per-monitor scaling.
UINT WindowDpi(HWND window);
// A length of the design scaled to dpi.
inline int Scale(int designLength, UINT dpi) { return MulDiv(designLength, static_cast<int>(dpi), kDesignDpi); }
// The outer size of a window of the given style whose client area is width x height at dpi.
SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace ui
