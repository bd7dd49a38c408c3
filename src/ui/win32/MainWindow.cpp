#include "ui/win32/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwctype>
#include <utility>

#include "platform/Wide.h"
#include "ui/win32/ControlIds.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Widgets.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace ui {

namespace {

// The key that follows "&" in a caption, upper-cased; 0 when there is none.
wchar_t AccessKey(const std::string& caption) {
  const std::wstring wide = platform::ToWide(caption);
  for (std::size_t i = 0; i + 1 < wide.size(); ++i) {
    if (wide[i] != L'&') continue;
    if (wide[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towupper(wide[i + 1]));
  }
  return 0;
}

// Drops the keyboard and mouse input that piled up while a handler ran: the window takes
// no input during a batch, and a click made then must not act afterwards.
void DiscardQueuedInput() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
  }
}

// Paints what waits to be painted and answers what other programs ask, taking no input,
// so that a long batch stays on the screen and the window is never taken for hung.
void PaintPending() {
  MSG message;
  // a window that does not validate its area would be offered its paint again and again
  for (int i = 0; i < 256 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    DispatchMessageW(&message);
  }
}

}  // namespace

MainWindow::MainWindow(app::TForm1& form, platform::SystemShell& shell) : form_(form), shell_(shell) {
  // during a batch the log page is in front, its newest line in view, and the status bar
  // tells the progress
  form_.OnLogLine = [this](const app::LogLine&) {
    if (!shown_) ShowFirstTime();
    ShowStatus();
    ShowLog();
    if (TabCtrl_GetCurSel(pageControl1_) != 1) ShowPage(1);
    const LRESULT lines = SendMessageW(listBox1_, LB_GETCOUNT, 0, 0);
    if (lines > 0) SendMessageW(listBox1_, LB_SETTOPINDEX, static_cast<WPARAM>(lines - 1), 0);
    PaintPending();
  };
  form_.OnFileDone = [this]() { PaintPending(); };
}

MainWindow::~MainWindow() {
  form_.OnLogLine = nullptr;
  form_.OnFileDone = nullptr;
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (HFONT font : {font_, linkFont_, buttonFont_, listFont_, statusFont_}) {
    if (font != nullptr) DeleteObject(font);
  }
  for (HICON icon : {bigIcon_, smallIcon_}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

template <class Handler>
void MainWindow::RunHandler(Handler&& handler) {
  if (busy_) return;
  {
    busy_ = true;
    struct Release {
      bool& busy;
      ~Release() { busy = false; }
    } release{busy_};
    StoreControls();
    std::forward<Handler>(handler)();
  }
  if (!form_.Closed()) ShowFormState();
  DiscardQueuedInput();
}

bool MainWindow::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = WindowProc;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  main.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&main) == 0) return false;

  WNDCLASSEXW page{};
  page.cbSize = sizeof page;
  page.lpfnWndProc = PageProc;
  page.hInstance = instance;
  page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  page.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  page.lpszClassName = kPageWindowClass;
  return RegisterClassExW(&page) != 0;
}

bool MainWindow::Create(HINSTANCE instance) {
  if (!RegisterClasses(instance)) return false;
  const std::wstring caption = platform::ToWide(form_.Caption);
  // a fixed single border with the system menu and the minimise box only
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  hwnd_ = CreateWindowExW(0, kMainWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return false;
  // message boxes and file dialogs of the form belong to this window
  shell_.SetOwner(hwnd_);
  dpi_ = WindowDpi(hwnd_);
  CreateControls();
  ApplyFonts();
  ApplyIcons();
  SizeWindow(form_.Left, form_.Top);
  PlaceControls();
  return true;
}

void MainWindow::Start(const std::vector<std::string>& parameters, int showCommand) {
  showCommand_ = showCommand;
  // files dropped from the shell arrive as WM_DROPFILES
  DragAcceptFiles(hwnd_, TRUE);
  RunHandler([&]() { form_.FormShow(parameters); });
  if (form_.Closed()) {
    DestroyWindow(hwnd_);
    return;
  }
  ShowFirstTime();
}

// The window appears where the settings put it, showing the form's state. During a
// batch started from the command line this happens with the first log line.
void MainWindow::ShowFirstTime() {
  if (shown_) return;
  shown_ = true;
  ShowFormState();
  SizeWindow(form_.Left, form_.Top);
  ShowWindow(hwnd_, showCommand_);
  // the first stop of the Tab key, now that the form's choices are shown
  focus_ = nullptr;
  if (GetActiveWindow() == hwnd_) SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
  UpdateWindow(hwnd_);
}

// The controls' state as the form holds it.
void MainWindow::StoreControls() {
  app::RadioButton* destination[] = {&form_.RadioButton1, &form_.RadioButton2, &form_.RadioButton3,
                                     &form_.RadioButton4};
  for (int i = 0; i < 4; ++i) {
    const bool checked = IsButtonChecked(destination_[i]);
    if (checked != destination[i]->Checked()) destination[i]->SetChecked(checked);
  }
  app::RadioButton* naming[] = {&form_.RadioButton5, &form_.RadioButton6};
  for (int i = 0; i < 2; ++i) {
    const bool checked = IsButtonChecked(naming_[i]);
    if (checked != naming[i]->Checked()) naming[i]->SetChecked(checked);
  }
  app::RadioButton* images[] = {&form_.RadioButton7, &form_.RadioButton8, &form_.RadioButton9};
  for (int i = 0; i < 3; ++i) {
    const bool checked = IsButtonChecked(images_[i]);
    if (checked != images[i]->Checked()) images[i]->SetChecked(checked);
  }
  form_.Edit1.Text = ControlTextShiftJis(edit1_);
  form_.CheckBox1.Checked = IsButtonChecked(checkBox1_);
  form_.CheckBox4.Checked = IsButtonChecked(checkBox4_);
  const LRESULT selected = SendMessageW(listBox1_, LB_GETCURSEL, 0, 0);
  form_.ListBox1.ItemIndex = selected == LB_ERR ? -1 : static_cast<std::int32_t>(selected);
  form_.CheckBox2.Checked = IsButtonChecked(checkBox2_);
  form_.CheckBox3.Checked = IsButtonChecked(checkBox3_);
  form_.Edit2.Text = ControlTextShiftJis(edit2_);
  const int page = TabCtrl_GetCurSel(pageControl1_);
  if (page >= 0) form_.PageControl1.ActivePageIndex = page;
}

// The form's state shown in the controls.
void MainWindow::ShowFormState() {
  syncing_ = true;
  const app::RadioButton* destination[] = {&form_.RadioButton1, &form_.RadioButton2, &form_.RadioButton3,
                                           &form_.RadioButton4};
  for (int i = 0; i < 4; ++i) SetButtonChecked(destination_[i], destination[i]->Checked());
  MoveTabStopToChecked(destination_, 4);
  SetButtonChecked(naming_[0], form_.RadioButton5.Checked());
  SetButtonChecked(naming_[1], form_.RadioButton6.Checked());
  MoveTabStopToChecked(naming_, 2);
  SetButtonChecked(images_[0], form_.RadioButton7.Checked());
  SetButtonChecked(images_[1], form_.RadioButton8.Checked());
  SetButtonChecked(images_[2], form_.RadioButton9.Checked());
  MoveTabStopToChecked(images_, 3);
  SetButtonChecked(checkBox1_, form_.CheckBox1.Checked);
  SetButtonChecked(checkBox4_, form_.CheckBox4.Checked);
  if (ControlTextShiftJis(edit1_) != form_.Edit1.Text) SetControlText(edit1_, form_.Edit1.Text);
  SetButtonChecked(checkBox2_, form_.CheckBox2.Checked);
  SetButtonChecked(checkBox3_, form_.CheckBox3.Checked);
  if (ControlTextShiftJis(edit2_) != form_.Edit2.Text) SetControlText(edit2_, form_.Edit2.Text);
  syncing_ = false;
  ShowLabel7();
  ShowStatus();
  ShowLog();
  ShowCheckButtons();
  ShowPage(form_.PageControl1.ActivePageIndex);
}

void MainWindow::ShowCheckButtons() {
  const HWND focus = GetFocus();
  EnableWindow(button3_, form_.Button3.Enabled ? TRUE : FALSE);
  EnableWindow(button4_, form_.Button4.Enabled ? TRUE : FALSE);
  // a button turned grey gives the focus to the log
  if ((focus == button3_ || focus == button4_) && !IsWindowEnabled(focus)) SetFocus(listBox1_);
}

void MainWindow::ShowLabel7() {
  if (ControlTextShiftJis(label7_) != form_.Label7.Caption) SetControlText(label7_, form_.Label7.Caption);
}

void MainWindow::ShowStatus() {
  const std::wstring text = platform::ToWide(form_.StatusBar1.SimpleText);
  if (text == statusText_) return;
  statusText_ = text;
  SendMessageW(statusBar1_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

// Brings the list box level with the form's log. Lines are only ever appended one at a
// time, each announced, or the whole log is emptied first; a count that does not follow
// on means it was emptied.
void MainWindow::ShowLog() {
  const std::vector<std::string>& items = form_.ListBox1.Items;
  if (items.size() == logLines_) return;
  SendMessageW(listBox1_, WM_SETREDRAW, FALSE, 0);
  std::size_t from = logLines_;
  if (items.size() < logLines_ || items.size() > logLines_ + 1) {
    SendMessageW(listBox1_, LB_RESETCONTENT, 0, 0);
    logWidth_ = 0;
    from = 0;
  }
  for (std::size_t i = from; i < items.size(); ++i) {
    const int width = AppendListLine(listBox1_, items[i]);
    if (width > logWidth_) logWidth_ = width;
  }
  logLines_ = items.size();
  SendMessageW(listBox1_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(logWidth_ + Px(4)), 0);
  SendMessageW(listBox1_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(listBox1_, nullptr, TRUE);
}

// Shows one page of the page control; the form already holds the index.
void MainWindow::ShowPage(int index) {
  if (index < 0 || index > 1) return;
  if (TabCtrl_GetCurSel(pageControl1_) != index) TabCtrl_SetCurSel(pageControl1_, index);
  const HWND hidden = pages_[1 - index];
  const HWND focus = GetFocus();
  ShowWindow(pages_[index], SW_SHOW);
  if (focus != nullptr && (focus == hidden || IsChild(hidden, focus))) SetFocus(pageControl1_);
  ShowWindow(hidden, SW_HIDE);
}

// The user picks a page: the form learns it as it happens.
void MainWindow::SelectPage(int index) {
  if (index < 0 || index > 1) return;
  form_.PageControl1.ActivePageIndex = index;
  ShowPage(index);
}

int MainWindow::PageForKey(wchar_t key) const {
  const wchar_t upper = static_cast<wchar_t>(std::towupper(key));
  if (upper != 0 && upper == AccessKey(form_.TabSheet1.Caption)) return 0;
  if (upper != 0 && upper == AccessKey(form_.TabSheet2.Caption)) return 1;
  return -1;
}

bool MainWindow::HandleKeyboard(MSG& message) {
  if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  if (message.message == WM_SYSCHAR || message.message == WM_CHAR) {
    // a plain key is an access key only where the focused control takes no characters
    bool takesCharacters = false;
    if (message.message == WM_CHAR) {
      const LRESULT code =
          SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
      takesCharacters = (code & (DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTALLKEYS)) != 0;
    }
    const int page = takesCharacters ? -1 : PageForKey(static_cast<wchar_t>(message.wParam));
    if (page >= 0) {
      SelectPage(page);
      SetFocus(pageControl1_);
      return true;
    }
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000)) {
    SelectPage(1 - form_.PageControl1.ActivePageIndex);
    return true;
  }
  return IsDialogMessageW(hwnd_, &message) != FALSE;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->shell_.SetOwner(nullptr);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// A page passes what its controls report up to the main window.
LRESULT CALLBACK MainWindow::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == pageControl1_ && header->code == TCN_SELCHANGE) {
        SelectPage(TabCtrl_GetCurSel(pageControl1_));
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == label3_) {
        // a link: blue on the panel's face
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == label3_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(hwnd_, &paint);
      RECT panel = PanelRect();
      DrawEdge(dc, &panel, BDR_RAISEDINNER, BF_RECT);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      // dialog navigation (Tab, access keys of labels and groups) moves the focus this way
      const HWND target =
          LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
      if (target != nullptr) SetFocus(target);
      return 0;
    }
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        focus_ = GetFocus();
      } else if (HIWORD(wParam) == 0) {  // not minimised
        const bool restore = focus_ != nullptr && IsWindow(focus_) && IsWindowVisible(focus_);
        SetFocus(restore ? focus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
      }
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ENDSESSION:
      // the session ends without WM_CLOSE: shut down as a close would
      if (wParam && !busy_ && !form_.Closed()) {
        StoreControls();
        StorePosition();
        form_.FormClose();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
  if (syncing_) return;
  switch (id) {
    case kIdRadioButton1:
    case kIdRadioButton2:
    case kIdRadioButton3:
    case kIdRadioButton4:
    case kIdRadioButton5:
    case kIdRadioButton6:
    case kIdRadioButton7:
    case kIdRadioButton8:
    case kIdRadioButton9:
    case kIdCheckBox1:
    case kIdCheckBox4:
    case kIdCheckBox2:
    case kIdCheckBox3:
      if (code == BN_CLICKED && !busy_) {
        StoreControls();
        ShowLabel7();
        MoveTabStopToChecked(destination_, 4);
        MoveTabStopToChecked(naming_, 2);
        MoveTabStopToChecked(images_, 3);
      }
      break;
    case kIdEdit1:
      if (code == EN_CHANGE && !busy_) form_.Edit1.Text = ControlTextShiftJis(edit1_);
      break;
    case kIdButton1:
      if (code == BN_CLICKED) RunHandler([this]() { form_.Button1Click(); });
      break;
    case kIdEdit2:
      if (code == EN_CHANGE && !busy_) form_.Edit2.Text = ControlTextShiftJis(edit2_);
      break;
    case kIdButton2:
      if (code == BN_CLICKED) RunHandler([this]() { form_.Button2Click(); });
      break;
    case kIdLabel3:
      if (code == STN_CLICKED) RunHandler([this]() { form_.Label3Click(); });
      break;
    case kIdButton3:
      if (code == BN_CLICKED) RunHandler([this]() { form_.Button3Click(); });
      break;
    case kIdButton4:
      if (code == BN_CLICKED) RunHandler([this]() { form_.Button4Click(); });
      break;
    default:
      break;
  }
}

void MainWindow::OnDropFiles(HDROP drop) {
  if (busy_ || form_.Closed()) {
    DragFinish(drop);
    return;
  }
  std::vector<std::string> paths;
  busy_ = true;  // no second drop while a refusal is on the screen
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(got);
    std::string sjis;
    if (platform::FromWide(path, sjis)) {
      paths.push_back(std::move(sjis));
    } else {
      platform::ShowUnrepresentableName(hwnd_, path);
    }
  }
  DragFinish(drop);
  busy_ = false;
  RunHandler([&]() { form_.WMDropFiles(paths); });
}

void MainWindow::OnClose() {
  // a dialog or message box of a running handler is still open
  if (busy_) return;
  StorePosition();
  RunHandler([this]() { form_.FormClose(); });
  DestroyWindow(hwnd_);
}

// The window's place on the screen goes into the form, which saves it at the close.
void MainWindow::StorePosition() {
  if (!shown_) return;
  RECT rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement)) {
    // the normal position of a minimised window is in work-area coordinates
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
  } else if (!GetWindowRect(hwnd_, &rect)) {
    return;
  }
  form_.Left = rect.left;
  form_.Top = rect.top;
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyFonts();
  ApplyIcons();
  SizeWindow(suggested.left, suggested.top);
  PlaceControls();
  // the log's lines measured again in the new font
  SendMessageW(listBox1_, LB_RESETCONTENT, 0, 0);
  logLines_ = 0;
  logWidth_ = 0;
  ShowLog();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace ui
