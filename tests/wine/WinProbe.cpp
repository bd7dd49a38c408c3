// winprobe: drives the Quorvane window from outside, for the GUI tests under Wine.
//
//   winprobe wait SECONDS          wait for the window to be shown; print its rectangle
//   winprobe gone SECONDS          wait until the window is gone
//   winprobe drop PATH...          drop files on the window
//   winprobe drop-selftest         a drop block built as "drop" builds it reads back whole
//   winprobe click ID              click a control
//   winprobe key CHAR              press Alt and a key
//   winprobe press tab|up|down     press a key in the control that has the focus
//   winprobe focus                 print the identifier of the control that has the focus
//   winprobe settext ID TEXT       put a text into a control
//   winprobe text ID               print a control's text
//   winprobe checked ID            print 1 when a button is checked, else 0
//   winprobe enabled ID            print 1 when a control takes input, else 0
//   winprobe select INDEX          select a line of the log
//   winprobe page                  print the index of the page in front
//   winprobe log                   print the log's lines
//   winprobe status                print the status bar's text
//   winprobe scroll                scroll the log to its end
//   winprobe rows PIXELS FACE      print the log's row height, then the height of a line
//                                  in FACE at PIXELS (at 96 dpi) on this screen
//   winprobe ink ID                print where dark pixels lie across a control on the
//                                  screen: "LEFT RIGHT WIDTH", LEFT and RIGHT the first
//                                  and last such column, WIDTH the control's
//   winprobe layout                print the client size and every control's place
//   winprobe move X Y              move the window
//   winprobe close                 ask the window to close
//   winprobe dialog TITLE SECONDS [ok|cancel|none]
//                                  wait for a dialog box, print its texts, press a button
//   winprobe type TITLE SECONDS TEXT
//                                  type a text into the file-name box of a file dialog
//   winprobe browse TITLE SECONDS NAME
//                                  open a folder of a file dialog's list by typing its
//                                  name there and pressing Enter; print the folder shown
//   winprobe escape SECONDS        hold Escape down until the status bar no longer shows a
//                                  batch's progress, at most SECONDS; print how long it
//                                  was held
//
// Output is UTF-8. Exit status 0 on success, 1 on failure (with a line on stderr), 2 on
// a usage error.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/win32/ControlIds.h"

namespace {

constexpr DWORD kPollMilliseconds = 100;
constexpr UINT kSendTimeout = 5000;
// 変換中: the status bar during a batch
constexpr wchar_t kProgressMark[] = L"\x5909\x63DB\x4E2D";

void WriteUtf8(HANDLE handle, const std::wstring& text) {
  if (text.empty()) return;
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { WriteUtf8(GetStdHandle(STD_OUTPUT_HANDLE), line + L"\n"); }

int Fail(const std::wstring& why) {
  WriteUtf8(GetStdHandle(STD_ERROR_HANDLE), L"winprobe: " + why + L"\n");
  return 1;
}

int Usage() {
  WriteUtf8(GetStdHandle(STD_ERROR_HANDLE),
            L"usage: winprobe wait|gone|drop|drop-selftest|click|key|press|focus|settext|"
            L"text|checked|page|log|status|scroll|rows|ink|layout|move|close|dialog|type|browse|"
            L"escape ...\n");
  return 2;
}

HWND MainWindow() { return FindWindowW(ui::kMainWindowClass, nullptr); }

HWND WaitForMainWindow(DWORD seconds) {
  const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
  for (;;) {
    const HWND window = MainWindow();
    if (window != nullptr && IsWindowVisible(window)) return window;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(kPollMilliseconds);
  }
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

// A control of the window by its identifier, at any depth.
HWND Control(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           kSendTimeout, &got)) {
    return {};
  }
  text.resize(got);
  return text;
}

// The block a drop hands over: DROPFILES, then each path in UTF-16 with its NUL, then
// one more NUL.
std::vector<BYTE> DropBlock(const std::vector<std::wstring>& paths) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::vector<BYTE> block(sizeof header);
  std::memcpy(block.data(), &header, sizeof header);
  auto append = [&block](const wchar_t* text, std::size_t units) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text);
    block.insert(block.end(), bytes, bytes + units * sizeof(wchar_t));
  };
  for (const std::wstring& path : paths) append(path.c_str(), path.size() + 1);
  append(L"", 1);
  return block;
}

// A drop handle is a fixed memory block; a block allocated in the target process and
// filled from here serves as one there.
int Drop(const std::vector<std::wstring>& paths) {
  const HWND window = MainWindow();
  if (window == nullptr) return Fail(L"no window");
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return Fail(L"cannot open the window's process");
  const std::vector<BYTE> block = DropBlock(paths);
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T written = 0;
  const bool copied = remote != nullptr && WriteProcessMemory(process, remote, block.data(), block.size(), &written) &&
                      written == block.size();
  CloseHandle(process);
  if (!copied) return Fail(L"cannot write the drop block into the window's process");
  if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) return Fail(L"cannot post the drop");
  return 0;
}

// The drop block read back through the shell's own DragQueryFileW.
int DropSelfTest() {
  const std::vector<std::wstring> paths = {
      L"Z:\\tmp\\a.jww",
      L"Z:\\tmp\\\x56F3\x9762\\\x8868\x30BD.jww",  // 図面\表ソ.jww
      L"C:\\" + std::wstring(300, L'x') + L".jww",
  };
  const std::vector<BYTE> block = DropBlock(paths);
  void* memory = VirtualAlloc(nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (memory == nullptr) return Fail(L"VirtualAlloc");
  std::memcpy(memory, block.data(), block.size());
  const auto drop = static_cast<HDROP>(memory);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count != paths.size()) return Fail(L"count " + std::to_wstring(count));
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
    if (path != paths[i]) return Fail(L"path " + std::to_wstring(i) + L" reads back as " + path);
  }
  POINT point{};
  DragQueryPoint(drop, &point);
  VirtualFree(memory, 0, MEM_RELEASE);
  Print(L"drop block ok");
  return 0;
}

int Click(int id) {
  const HWND control = Control(MainWindow(), id);
  if (control == nullptr) return Fail(L"no control " + std::to_wstring(id));
  if (ClassOf(control) == L"Static") {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  } else {
    PostMessageW(control, BM_CLICK, 0, 0);
  }
  return 0;
}

int Key(wchar_t key) {
  const HWND window = MainWindow();
  if (window == nullptr) return Fail(L"no window");
  // bit 29: Alt is held
  PostMessageW(window, WM_SYSCHAR, key, 1 | (1 << 29));
  return 0;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

int Press(const std::wstring& name) {
  const HWND focus = FocusOf(MainWindow());
  if (focus == nullptr) return Fail(L"nothing has the focus");
  const WPARAM key = name == L"tab" ? VK_TAB : name == L"up" ? VK_UP : name == L"down" ? VK_DOWN : 0;
  if (key == 0) return Usage();
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, 1 | (3u << 30));
  return 0;
}

int Focus() {
  const HWND focus = FocusOf(MainWindow());
  if (focus == nullptr) return Fail(L"nothing has the focus");
  Print(std::to_wstring(GetDlgCtrlID(focus)));
  return 0;
}

int SetText(int id, const std::wstring& text) {
  const HWND control = Control(MainWindow(), id);
  if (control == nullptr) return Fail(L"no control " + std::to_wstring(id));
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                           kSendTimeout, &result)) {
    return Fail(L"WM_SETTEXT timed out");
  }
  return 0;
}

int Checked(int id) {
  const HWND control = Control(MainWindow(), id);
  if (control == nullptr) return Fail(L"no control " + std::to_wstring(id));
  DWORD_PTR state = 0;
  SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &state);
  Print(state == BST_CHECKED ? L"1" : L"0");
  return 0;
}

int Enabled(int id) {
  const HWND control = Control(MainWindow(), id);
  if (control == nullptr) return Fail(L"no control " + std::to_wstring(id));
  Print(IsWindowEnabled(control) ? L"1" : L"0");
  return 0;
}

int Select(int index) {
  const HWND list = Control(MainWindow(), ui::kIdListBox1);
  if (list == nullptr) return Fail(L"no log");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, kSendTimeout,
                           &result) ||
      static_cast<LRESULT>(result) == LB_ERR) {
    return Fail(L"no log line " + std::to_wstring(index));
  }
  return 0;
}

int Page() {
  const HWND tabs = Control(MainWindow(), ui::kIdPageControl1);
  if (tabs == nullptr) return Fail(L"no page control");
  DWORD_PTR page = 0;
  if (!SendMessageTimeoutW(tabs, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &page)) {
    return Fail(L"the window does not answer");
  }
  Print(std::to_wstring(static_cast<int>(page)));
  return 0;
}

int Log() {
  const HWND list = Control(MainWindow(), ui::kIdListBox1);
  if (list == nullptr) return Fail(L"no log");
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &count)) {
    return Fail(L"the window does not answer");
  }
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length);
    std::wstring line(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()), SMTO_ABORTIFHUNG, kSendTimeout,
                        &got);
    line.resize(got == static_cast<DWORD_PTR>(LB_ERR) ? 0 : got);
    Print(line);
  }
  return 0;
}

// The status bar's text, fetched through a buffer in the window's process (the status
// bar's own messages are not carried between processes).
bool StatusText(std::wstring& text) {
  const HWND bar = Control(MainWindow(), ui::kIdStatusBar1);
  if (bar == nullptr) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(bar, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return false;
  constexpr std::size_t kUnits = 1024;
  void* remote = VirtualAllocEx(process, nullptr, kUnits * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD_PTR length = 0;
  bool got = remote != nullptr &&
             SendMessageTimeoutW(bar, SB_GETTEXTLENGTHW, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length) &&
             LOWORD(length) < kUnits;
  std::wstring units(kUnits, L'\0');
  DWORD_PTR result = 0;
  SIZE_T read = 0;
  got = got &&
        SendMessageTimeoutW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, kSendTimeout,
                            &result) &&
        ReadProcessMemory(process, remote, units.data(), (LOWORD(length) + 1) * sizeof(wchar_t), &read);
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (got) text = units.substr(0, LOWORD(length));
  return got;
}

int Status() {
  std::wstring text;
  if (!StatusText(text)) return Fail(L"cannot read the status bar");
  Print(text);
  return 0;
}

int ScrollLog() {
  const HWND list = Control(MainWindow(), ui::kIdListBox1);
  if (list == nullptr) return Fail(L"no log");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(list, WM_VSCROLL, SB_BOTTOM, 0, SMTO_ABORTIFHUNG, kSendTimeout, &result)) {
    return Fail(L"the window does not answer");
  }
  return 0;
}

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The log's row height beside the height a line of the font takes: its cell and the
// leading it asks for.
int Rows(int designPixels, const std::wstring& face) {
  const HWND list = Control(MainWindow(), ui::kIdListBox1);
  if (list == nullptr) return Fail(L"no log");
  DWORD_PTR row = 0;
  if (!SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &row)) {
    return Fail(L"the window does not answer");
  }
  const HFONT font =
      CreateFontW(-MulDiv(designPixels, ScreenDpi(), 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  const bool measured = GetTextMetricsW(screen, &metrics) != FALSE;
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  if (!measured) return Fail(L"cannot measure " + face);
  Print(std::to_wstring(row) + L" " + std::to_wstring(metrics.tmHeight + metrics.tmExternalLeading));
  return 0;
}

// Columns of the control's screen image that hold dark (text) pixels.
int Ink(int id) {
  const HWND control = Control(MainWindow(), id);
  if (control == nullptr) return Fail(L"no control " + std::to_wstring(id));
  RECT rect{};
  GetWindowRect(control, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return Fail(L"the control has no area");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP image = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = image != nullptr ? SelectObject(memory, image) : nullptr;
  const bool copied =
      image != nullptr && BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
  GdiFlush();
  int left = -1;
  int right = -1;
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int x = 0; copied && x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)];
      const auto red = static_cast<int>((p >> 16) & 0xFF);
      const auto green = static_cast<int>((p >> 8) & 0xFF);
      const auto blue = static_cast<int>(p & 0xFF);
      if (299 * red + 587 * green + 114 * blue >= 80 * 1000) continue;  // lighter than text
      if (left < 0) left = x;
      right = x;
      break;
    }
  }
  if (old != nullptr) SelectObject(memory, old);
  if (image != nullptr) DeleteObject(image);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) return Fail(L"cannot read the screen");
  if (left < 0) return Fail(L"no dark pixels");
  Print(std::to_wstring(left) + L" " + std::to_wstring(right) + L" " + std::to_wstring(width));
  return 0;
}

struct LayoutContext {
  HWND window;
};

BOOL CALLBACK PrintControl(HWND child, LPARAM data) {
  const auto* context = reinterpret_cast<const LayoutContext*>(data);
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, context->window, reinterpret_cast<POINT*>(&rect), 2);
  Print(std::to_wstring(GetDlgCtrlID(child)) + L" " + ClassOf(child) + L" " + std::to_wstring(rect.left) + L" " +
        std::to_wstring(rect.top) + L" " + std::to_wstring(rect.right - rect.left) + L" " +
        std::to_wstring(rect.bottom - rect.top) + (IsWindowVisible(child) ? L" visible" : L" hidden"));
  return TRUE;
}

// "client W H", "window X Y W H", then "ID CLASS X Y W H visible|hidden" per control,
// places in the client area.
int Layout() {
  const HWND window = MainWindow();
  if (window == nullptr) return Fail(L"no window");
  RECT client{};
  GetClientRect(window, &client);
  RECT outer{};
  GetWindowRect(window, &outer);
  Print(L"client " + std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
  Print(L"window " + std::to_wstring(outer.left) + L" " + std::to_wstring(outer.top) + L" " +
        std::to_wstring(outer.right - outer.left) + L" " + std::to_wstring(outer.bottom - outer.top));
  LayoutContext context{window};
  EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(&context));
  return 0;
}

struct DialogSearch {
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  if (!IsWindowVisible(window) || ClassOf(window) != L"#32770" || TextOf(window) != *search->title) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK PrintStatic(HWND child, LPARAM) {
  if (ClassOf(child) != L"Static") return TRUE;
  const std::wstring text = TextOf(child);
  if (!text.empty()) Print(text);
  return TRUE;
}

// A visible dialog box by its title, waited for; null when none came.
HWND WaitForDialog(const std::wstring& title, DWORD seconds) {
  const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
  DialogSearch search{&title, nullptr};
  for (;;) {
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(kPollMilliseconds);
  }
}

int Dialog(const std::wstring& title, DWORD seconds, const std::wstring& button) {
  const HWND dialog = WaitForDialog(title, seconds);
  if (dialog == nullptr) return Fail(L"no dialog titled " + title);
  EnumChildWindows(dialog, PrintStatic, 0);
  if (button != L"none") PostMessageW(dialog, WM_COMMAND, button == L"cancel" ? IDCANCEL : IDOK, 0);
  return 0;
}

// Opens a folder of the dialog's list from the keyboard: its name typed into the list
// selects it, Enter opens it. The dialog then shows it in its folder box.
int Browse(const std::wstring& title, DWORD seconds, const std::wstring& name) {
  const HWND dialog = WaitForDialog(title, seconds);
  if (dialog == nullptr) return Fail(L"no dialog titled " + title);
  const HWND view = GetDlgItem(dialog, lst2);
  const HWND list = view != nullptr ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
  if (list == nullptr) return Fail(L"no file list in " + title);
  DWORD_PTR result = 0;
  for (wchar_t unit : name) SendMessageTimeoutW(list, WM_CHAR, unit, 1, SMTO_ABORTIFHUNG, kSendTimeout, &result);
  SendMessageTimeoutW(list, WM_KEYDOWN, VK_RETURN, 1, SMTO_ABORTIFHUNG, kSendTimeout, &result);
  SendMessageTimeoutW(list, WM_KEYUP, VK_RETURN, 1 | (3u << 30), SMTO_ABORTIFHUNG, kSendTimeout, &result);
  const ULONGLONG end = GetTickCount64() + 10000;
  std::wstring shown;
  while ((shown = TextOf(GetDlgItem(dialog, cmb2))) != name && GetTickCount64() < end) Sleep(kPollMilliseconds);
  Print(shown);
  return shown == name ? 0 : Fail(L"the dialog shows " + shown);
}

BOOL CALLBACK MatchEdit(HWND child, LPARAM data) {
  if (ClassOf(child) != L"Edit") return TRUE;
  *reinterpret_cast<HWND*>(data) = child;
  return FALSE;
}

// Types into the file-name box (a combo box in the explorer-style dialogs, an edit box in
// the old ones) as the keyboard would: the text there is selected and replaced.
int Type(const std::wstring& title, DWORD seconds, const std::wstring& text) {
  const HWND dialog = WaitForDialog(title, seconds);
  if (dialog == nullptr) return Fail(L"no dialog titled " + title);
  HWND box = GetDlgItem(dialog, cmb13);
  if (box == nullptr) box = GetDlgItem(dialog, edt1);
  HWND edit = box != nullptr && ClassOf(box) == L"Edit" ? box : nullptr;
  if (box != nullptr && edit == nullptr) EnumChildWindows(box, MatchEdit, reinterpret_cast<LPARAM>(&edit));
  if (edit == nullptr) return Fail(L"no file-name box in " + title);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kSendTimeout, &result)) {
    return Fail(L"the dialog does not answer");
  }
  for (wchar_t unit : text) SendMessageTimeoutW(edit, WM_CHAR, unit, 1, SMTO_ABORTIFHUNG, kSendTimeout, &result);
  if (TextOf(edit) != text) return Fail(L"the file-name box reads " + TextOf(edit));
  return 0;
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Escape held as the keyboard holds it, so the window's asynchronous key state sees it,
// until the status bar shows the batch's progress no more.
int HoldEscape(DWORD seconds) {
  const HWND window = MainWindow();
  if (window == nullptr) return Fail(L"no window");
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG end = start + seconds * 1000ull;
  SendKey(VK_ESCAPE, false);
  bool over = false;
  std::wstring text;
  while (!over && GetTickCount64() < end) {
    over = StatusText(text) && text.rfind(kProgressMark, 0) != 0;
    if (!over) Sleep(kPollMilliseconds);
  }
  SendKey(VK_ESCAPE, true);
  Print(std::to_wstring(GetTickCount64() - start) + L" ms");
  return over ? 0 : Fail(L"the batch did not end while Escape was held");
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  auto number = [argv](int i) { return static_cast<int>(std::wcstol(argv[i], nullptr, 10)); };
  if (command == L"wait" && argc == 3) {
    const HWND window = WaitForMainWindow(static_cast<DWORD>(number(2)));
    if (window == nullptr) return Fail(L"the window did not appear");
    RECT rect{};
    GetWindowRect(window, &rect);
    Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top));
    return 0;
  }
  if (command == L"gone" && argc == 3) {
    const ULONGLONG end = GetTickCount64() + static_cast<DWORD>(number(2)) * 1000ull;
    while (MainWindow() != nullptr) {
      if (GetTickCount64() >= end) return Fail(L"the window is still there");
      Sleep(kPollMilliseconds);
    }
    return 0;
  }
  if (command == L"drop" && argc >= 3) return Drop(std::vector<std::wstring>(argv + 2, argv + argc));
  if (command == L"drop-selftest" && argc == 2) return DropSelfTest();
  if (command == L"click" && argc == 3) return Click(number(2));
  if (command == L"key" && argc == 3 && argv[2][0] != L'\0') return Key(argv[2][0]);
  if (command == L"press" && argc == 3) return Press(argv[2]);
  if (command == L"focus" && argc == 2) return Focus();
  if (command == L"settext" && argc == 4) return SetText(number(2), argv[3]);
  if (command == L"text" && argc == 3) {
    const HWND control = Control(MainWindow(), number(2));
    if (control == nullptr) return Fail(L"no control " + std::to_wstring(number(2)));
    Print(TextOf(control));
    return 0;
  }
  if (command == L"checked" && argc == 3) return Checked(number(2));
  if (command == L"enabled" && argc == 3) return Enabled(number(2));
  if (command == L"select" && argc == 3) return Select(number(2));
  if (command == L"page" && argc == 2) return Page();
  if (command == L"log" && argc == 2) return Log();
  if (command == L"status" && argc == 2) return Status();
  if (command == L"layout" && argc == 2) return Layout();
  if (command == L"scroll" && argc == 2) return ScrollLog();
  if (command == L"rows" && argc == 4) return Rows(number(2), argv[3]);
  if (command == L"ink" && argc == 3) return Ink(number(2));
  if (command == L"move" && argc == 4) {
    const HWND window = MainWindow();
    if (window == nullptr) return Fail(L"no window");
    SetWindowPos(window, nullptr, number(2), number(3), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (command == L"close" && argc == 2) {
    const HWND window = MainWindow();
    if (window == nullptr) return Fail(L"no window");
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"type" && argc == 5) return Type(argv[2], static_cast<DWORD>(number(3)), argv[4]);
  if (command == L"browse" && argc == 5) return Browse(argv[2], static_cast<DWORD>(number(3)), argv[4]);
  if (command == L"escape" && argc == 3) return HoldEscape(static_cast<DWORD>(number(2)));
  if (command == L"dialog" && (argc == 4 || argc == 5)) {
    return Dialog(argv[2], static_cast<DWORD>(number(3)), argc == 5 ? argv[4] : L"ok");
  }
  return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    return Fail(L"unexpected failure");
  }
}
