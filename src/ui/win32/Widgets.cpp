#include "ui/win32/Widgets.h"

#include "platform/Wide.h"

namespace ui {

HWND MakeControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style, DWORD exStyle, int id) {
  const std::wstring wide = platform::ToWide(text);
  return CreateWindowExW(exStyle, className, wide.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void SetControlText(HWND control, const std::string& text) {
  SetWindowTextW(control, platform::ToWide(text).c_str());
}

std::wstring ControlTextWide(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(control, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

std::string ControlTextShiftJis(HWND control) {
  const std::wstring wide = ControlTextWide(control);
  std::string sjis;
  if (platform::FromWide(wide, sjis)) return sjis;
  sjis.clear();
  for (std::size_t i = 0; i < wide.size();) {
    const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
    const std::size_t units = pair ? 2 : 1;
    std::string one;
    sjis += platform::FromWide(wide.substr(i, units), one) ? one : std::string("?");
    i += units;
  }
  return sjis;
}

bool IsButtonChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetButtonChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MoveTabStopToChecked(HWND const* buttons, int count) {
  int stop = 0;
  for (int i = 0; i < count; ++i) {
    if (IsButtonChecked(buttons[i])) {
      stop = i;
      break;
    }
  }
  for (int i = 0; i < count; ++i) {
    const LONG_PTR style = GetWindowLongPtrW(buttons[i], GWL_STYLE);
    const LONG_PTR wanted = i == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    if (wanted != style) SetWindowLongPtrW(buttons[i], GWL_STYLE, wanted);
  }
}

int AppendListLine(HWND list, const std::string& text) {
  const std::wstring wide = platform::ToWide(text);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  return TextExtent(font, wide).cx;
}

SIZE TextExtent(HFONT font, const std::wstring& text) {
  SIZE size{0, 0};
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return size;
  const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

int LineHeight(HFONT font) {
  TEXTMETRICW metrics{};
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  const BOOL measured = GetTextMetricsW(dc, &metrics);
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return measured ? static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading) : 0;
}

void PlaceControl(HWND control, int x, int y, int width, int height) {
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
