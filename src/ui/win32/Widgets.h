// Small helpers over the Win32 controls. Texts come and go as Shift-JIS and are
// converted only here, at the call.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// A child control with a Shift-JIS text.
HWND MakeControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style, DWORD exStyle, int id);
void SetControlText(HWND control, const std::string& text);
std::wstring ControlTextWide(HWND control);
// The text as Shift-JIS; a character with no Shift-JIS form becomes "?", which no
// Windows file name can hold.
std::string ControlTextShiftJis(HWND control);

bool IsButtonChecked(HWND button);
void SetButtonChecked(HWND button, bool checked);
// Moves the tab stop of a group of radio buttons to its checked button (the first when
// none is), where the Tab key should land.
void MoveTabStopToChecked(HWND const* buttons, int count);

// Appends a line to a list box; returns its width in pixels in the list box's font.
int AppendListLine(HWND list, const std::string& text);

// The extent of a text in a font.
SIZE TextExtent(HFONT font, const std::wstring& text);
// The height a line of text takes in a font: its cell and the leading it asks for.
int LineHeight(HFONT font);

void PlaceControl(HWND control, int x, int y, int width, int height);

}  // namespace ui
