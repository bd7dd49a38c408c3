// The main window's controls, fonts and places. Places are given at 96 dpi and scaled
// to the window's dpi.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/Wide.h"
#include "ui/win32/ControlIds.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/Resource.h"
#include "ui/win32/Widgets.h"

namespace ui {

namespace {

// top to bottom: the destination group, the intake panel, the page control, the status bar
constexpr int kGroupBox1Height = 65;
constexpr int kPanel1Height = 41;
constexpr int kButton1FontHeight = 11;
constexpr int kListFontHeight = 12;
constexpr int kLabelHeight = 15;
// the status bar draws its text this far in from its edges
constexpr int kStatusTextInset = 4;

struct Place {
  int x;
  int y;
  int width;
  int height;
};

// The destination group, in the window's client area. A button's width is that of its
// caption, at most the width given here.
constexpr Place kGroupBox1{4, 0, 476, kGroupBox1Height};
constexpr Place kRadioButton1{12, 17, 108, 17};
constexpr Place kRadioButton2{123, 17, 136, 17};
constexpr Place kRadioButton3{262, 17, 212, 17};
constexpr Place kRadioButton4{12, 40, 109, 17};
constexpr Place kEdit1{123, 38, 313, 21};
constexpr Place kButton1{439, 37, 35, 22};

// the options page, in the page
constexpr Place kCheckBox1{12, 10, 448, 17};
constexpr Place kLabel8{30, 30, 430, kLabelHeight};
constexpr Place kGroupBox2{12, 52, 456, 84};
constexpr Place kRadioButton5{24, 70, 436, 17};
constexpr Place kRadioButton6{24, 90, 436, 17};
constexpr Place kLabel4{24, 112, 436, kLabelHeight};
// what becomes of the images: one row of buttons below the naming group
constexpr Place kGroupBox3{12, 142, 456, 44};
constexpr Place kRadioButton7{24, 160, 200, 17};
constexpr Place kRadioButton8{240, 160, 96, 17};
constexpr Place kRadioButton9{344, 160, 116, 17};
// looking for missing images: near the drawing; in a folder, typed or browsed for
constexpr Place kGroupBox4{12, 192, 456, 66};
constexpr Place kCheckBox2{24, 210, 436, 17};
constexpr Place kCheckBox3{24, 234, 150, 17};
constexpr Place kEdit2{178, 232, 242, 21};
constexpr Place kButton2{424, 231, 36, 22};
// check only: below the search group
constexpr Place kCheckBox4{12, 266, 448, 17};
// the log page: the buttons for the last check in a row along its bottom, right-aligned
constexpr int kLogButtonHeight = 23;
constexpr int kLogButtonGap = 6;
constexpr int kLogButtonPadding = 24;
// Label7 and Label10 sit this far above the page's bottom edge
constexpr int kLabel7FromBottom = 40;
constexpr int kLabel10FromBottom = 22;
// the box of a radio button or check box and the gap before its caption
constexpr int kMarkWidth = 20;

constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX | WS_GROUP;
constexpr DWORD kCentredLabelStyle = SS_CENTER | SS_NOPREFIX | WS_GROUP;

HFONT MakeFont(const std::wstring& face, int pixels, bool underline) {
  return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     face.c_str());
}

// The font at the given height, or smaller until the text fits the width.
HFONT FittingFont(const std::wstring& face, int pixels, const std::wstring& text, int width) {
  for (;; --pixels) {
    const HFONT font = MakeFont(face, pixels, false);
    if (pixels <= 1 || font == nullptr || TextExtent(font, text).cx <= width) return font;
    DeleteObject(font);
  }
}

void UseFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

HWND MakePage(HWND parent, int id) {
  return CreateWindowExW(WS_EX_CONTROLPARENT, kPageWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void AddTab(HWND tabs, int index, const std::string& caption) {
  std::wstring text = platform::ToWide(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int MainWindow::Px(int designLength) const { return Scale(designLength, dpi_); }

RECT MainWindow::PanelRect() const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  return RECT{0, Px(kGroupBox1Height), client.right, Px(kGroupBox1Height + kPanel1Height)};
}

// Created in the order of the Tab key; a page lies above the page control, whose tabs
// are drawn around it.
void MainWindow::CreateControls() {
  groupBox1_ = MakeControl(hwnd_, WC_BUTTONW, form_.GroupBox1.Caption, BS_GROUPBOX, 0, kIdGroupBox1);
  const app::RadioButton* destination[] = {&form_.RadioButton1, &form_.RadioButton2, &form_.RadioButton3,
                                           &form_.RadioButton4};
  for (int i = 0; i < 4; ++i) {
    const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    destination_[i] =
        MakeControl(hwnd_, WC_BUTTONW, destination[i]->Caption, BS_AUTORADIOBUTTON | first, 0, kIdRadioButton1 + i);
  }
  edit1_ = MakeControl(hwnd_, WC_EDITW, form_.Edit1.Text, ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE,
                       kIdEdit1);
  button1_ =
      MakeControl(hwnd_, WC_BUTTONW, form_.Button1.Caption, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, kIdButton1);
  label2_ = MakeControl(hwnd_, WC_STATICW, form_.Label2.Caption, kCentredLabelStyle, 0, kIdLabel2);
  label3_ = MakeControl(hwnd_, WC_STATICW, form_.Label3.Caption, kLabelStyle | SS_NOTIFY, 0, kIdLabel3);

  pages_[0] = MakePage(hwnd_, kIdTabSheet1);
  checkBox1_ = MakeControl(pages_[0], WC_BUTTONW, form_.CheckBox1.Caption, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0,
                           kIdCheckBox1);
  label8_ = MakeControl(pages_[0], WC_STATICW, form_.Label8.Caption, kLabelStyle, 0, kIdLabel8);
  groupBox2_ = MakeControl(pages_[0], WC_BUTTONW, form_.GroupBox2.Caption, BS_GROUPBOX | WS_GROUP, 0, kIdGroupBox2);
  naming_[0] = MakeControl(pages_[0], WC_BUTTONW, form_.RadioButton5.Caption,
                           BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, kIdRadioButton5);
  naming_[1] = MakeControl(pages_[0], WC_BUTTONW, form_.RadioButton6.Caption, BS_AUTORADIOBUTTON, 0, kIdRadioButton6);
  label4_ = MakeControl(pages_[0], WC_STATICW, form_.Label4.Caption, kLabelStyle, 0, kIdLabel4);
  groupBox3_ = MakeControl(pages_[0], WC_BUTTONW, form_.GroupBox3.Caption, BS_GROUPBOX | WS_GROUP, 0, kIdGroupBox3);
  const app::RadioButton* images[] = {&form_.RadioButton7, &form_.RadioButton8, &form_.RadioButton9};
  for (int i = 0; i < 3; ++i) {
    const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    images_[i] =
        MakeControl(pages_[0], WC_BUTTONW, images[i]->Caption, BS_AUTORADIOBUTTON | first, 0, kIdRadioButton7 + i);
  }
  groupBox4_ = MakeControl(pages_[0], WC_BUTTONW, form_.GroupBox4.Caption, BS_GROUPBOX | WS_GROUP, 0, kIdGroupBox4);
  checkBox2_ = MakeControl(pages_[0], WC_BUTTONW, form_.CheckBox2.Caption, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0,
                           kIdCheckBox2);
  checkBox3_ = MakeControl(pages_[0], WC_BUTTONW, form_.CheckBox3.Caption, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0,
                           kIdCheckBox3);
  edit2_ = MakeControl(pages_[0], WC_EDITW, form_.Edit2.Text, ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                       WS_EX_CLIENTEDGE, kIdEdit2);
  button2_ =
      MakeControl(pages_[0], WC_BUTTONW, form_.Button2.Caption, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, kIdButton2);
  checkBox4_ = MakeControl(pages_[0], WC_BUTTONW, form_.CheckBox4.Caption, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0,
                           kIdCheckBox4);
  label7_ = MakeControl(pages_[0], WC_STATICW, form_.Label7.Caption, kCentredLabelStyle, 0, kIdLabel7);
  label10_ = MakeControl(pages_[0], WC_STATICW, form_.Label10.Caption, kCentredLabelStyle, 0, kIdLabel10);

  pages_[1] = MakePage(hwnd_, kIdTabSheet2);
  listBox1_ =
      MakeControl(pages_[1], WC_LISTBOXW, "", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP,
                  WS_EX_CLIENTEDGE, kIdListBox1);
  button3_ = MakeControl(pages_[1], WC_BUTTONW, form_.Button3.Caption, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0,
                         kIdButton3);
  button4_ = MakeControl(pages_[1], WC_BUTTONW, form_.Button4.Caption, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0,
                         kIdButton4);

  pageControl1_ =
      MakeControl(hwnd_, WC_TABCONTROLW, "",
                  TCS_BOTTOM | TCS_FOCUSONBUTTONDOWN | WS_GROUP | WS_TABSTOP | WS_CLIPSIBLINGS, 0, kIdPageControl1);
  // visual styles draw tabs only at the top; the classic look draws them at the bottom
  SetWindowTheme(pageControl1_, L"", L"");
  AddTab(pageControl1_, 0, form_.TabSheet1.Caption);
  AddTab(pageControl1_, 1, form_.TabSheet2.Caption);

  statusBar1_ = MakeControl(hwnd_, STATUSCLASSNAMEW, "", 0, 0, kIdStatusBar1);
  SendMessageW(statusBar1_, SB_SIMPLE, TRUE, 0);
  ShowStatus();
}

// The fonts for the present dpi, given to the controls; the old ones go once no control
// holds them.
void MainWindow::ApplyFonts() {
  const HFONT old[] = {font_, linkFont_, buttonFont_, listFont_, statusFont_};
  const std::wstring face = platform::ToWide(form_.FontName);
  font_ = MakeFont(face, Px(form_.FontHeight), false);
  linkFont_ = MakeFont(face, Px(form_.FontHeight), true);
  buttonFont_ = MakeFont(face, Px(kButton1FontHeight), false);
  listFont_ = MakeFont(face, Px(kListFontHeight), false);
  // the warning is read whole: its font gives way where the form's is too wide for it
  const int statusWidth = Px(app::TForm1::ClientWidth) - 2 * Px(kStatusTextInset);
  statusFont_ =
      FittingFont(face, Px(form_.FontHeight), platform::ToWide(form_.StatusBar1.SimpleText), statusWidth);

  const HWND formFont[] = {groupBox1_, destination_[0], destination_[1], destination_[2], destination_[3], edit1_,
                           label2_,    pageControl1_,   checkBox1_,      label8_,         groupBox2_,      naming_[0],
                           naming_[1], label4_,         label7_,         label10_,        groupBox3_,      images_[0],
                           images_[1], images_[2],      groupBox4_,      checkBox2_,      checkBox3_,      edit2_,
                           checkBox4_, button3_,        button4_};
  for (HWND control : formFont) UseFont(control, font_);
  UseFont(label3_, linkFont_);
  UseFont(button1_, buttonFont_);
  UseFont(button2_, buttonFont_);
  UseFont(listBox1_, listFont_);
  UseFont(statusBar1_, statusFont_);
  // a row as tall as a line of the font, so nothing drawn below the baseline is cut
  const int row = LineHeight(listFont_);
  if (row > 0) SendMessageW(listBox1_, LB_SETITEMHEIGHT, 0, row);

  for (HFONT font : old) {
    if (font != nullptr) DeleteObject(font);
  }
}

void MainWindow::ApplyIcons() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const HICON big = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUORVANE), IMAGE_ICON, Px(32), Px(32), LR_DEFAULTCOLOR));
  const HICON small = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUORVANE), IMAGE_ICON, Px(16), Px(16), LR_DEFAULTCOLOR));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

// The window's outer size for the design's client area at the present dpi, its top-left
// corner at left/top; a place off every screen is moved onto the nearest one.
void MainWindow::SizeWindow(int left, int top) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  const SIZE outer = OuterSize(Px(app::TForm1::ClientWidth), Px(app::TForm1::ClientHeight), style, exStyle, dpi_);
  RECT rect{left, top, left + outer.cx, top + outer.cy};
  if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) == nullptr) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      const LONG x = std::max(work.left, std::min(rect.left, work.right - outer.cx));
      const LONG y = std::max(work.top, std::min(rect.top, work.bottom - outer.cy));
      rect = RECT{x, y, x + outer.cx, y + outer.cy};
    }
  }
  SetWindowPos(hwnd_, nullptr, rect.left, rect.top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::PlaceControls() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = static_cast<int>(client.right);
  const int height = static_cast<int>(client.bottom);
  auto place = [this](HWND control, const Place& p) {
    PlaceControl(control, Px(p.x), Px(p.y), Px(p.width), Px(p.height));
  };
  auto placeButton = [this](HWND control, const std::string& caption, const Place& p) {
    const int fit = TextExtent(font_, platform::ToWide(caption)).cx + Px(kMarkWidth);
    PlaceControl(control, Px(p.x), Px(p.y), std::min(fit, Px(p.width)), Px(p.height));
  };

  place(groupBox1_, kGroupBox1);
  placeButton(destination_[0], form_.RadioButton1.Caption, kRadioButton1);
  placeButton(destination_[1], form_.RadioButton2.Caption, kRadioButton2);
  placeButton(destination_[2], form_.RadioButton3.Caption, kRadioButton3);
  placeButton(destination_[3], form_.RadioButton4.Caption, kRadioButton4);
  place(edit1_, kEdit1);
  place(button1_, kButton1);

  // the intake panel: Label2 along its top, the link centred below it
  const RECT panel = PanelRect();
  PlaceControl(label2_, Px(2), panel.top + Px(5), width - Px(4), Px(kLabelHeight));
  const SIZE link = TextExtent(linkFont_, platform::ToWide(form_.Label3.Caption));
  const int linkTop =
      panel.top + Px(5 + kLabelHeight) + (panel.bottom - panel.top - Px(5 + kLabelHeight) - link.cy) / 2;
  PlaceControl(label3_, (width - link.cx) / 2, linkTop, link.cx + 1, link.cy);

  // the status bar sizes itself; the page control fills what is left
  SendMessageW(statusBar1_, WM_SIZE, 0, 0);
  RECT status{};
  GetWindowRect(statusBar1_, &status);
  const int pagesTop = static_cast<int>(panel.bottom);
  const int statusHeight = static_cast<int>(status.bottom - status.top);
  const int pagesHeight = std::max(0, height - statusHeight - pagesTop);
  PlaceControl(pageControl1_, 0, pagesTop, width, pagesHeight);
  RECT display{0, 0, width, pagesHeight};
  TabCtrl_AdjustRect(pageControl1_, FALSE, &display);
  OffsetRect(&display, 0, pagesTop);
  const int pageWidth = display.right - display.left;
  const int pageHeight = display.bottom - display.top;
  for (HWND page : pages_) PlaceControl(page, display.left, display.top, pageWidth, pageHeight);

  placeButton(checkBox1_, form_.CheckBox1.Caption, kCheckBox1);
  place(label8_, kLabel8);
  place(groupBox2_, kGroupBox2);
  placeButton(naming_[0], form_.RadioButton5.Caption, kRadioButton5);
  placeButton(naming_[1], form_.RadioButton6.Caption, kRadioButton6);
  place(label4_, kLabel4);
  place(groupBox3_, kGroupBox3);
  placeButton(images_[0], form_.RadioButton7.Caption, kRadioButton7);
  placeButton(images_[1], form_.RadioButton8.Caption, kRadioButton8);
  placeButton(images_[2], form_.RadioButton9.Caption, kRadioButton9);
  place(groupBox4_, kGroupBox4);
  placeButton(checkBox2_, form_.CheckBox2.Caption, kCheckBox2);
  placeButton(checkBox3_, form_.CheckBox3.Caption, kCheckBox3);
  place(edit2_, kEdit2);
  place(button2_, kButton2);
  PlaceControl(label7_, 0, pageHeight - Px(kLabel7FromBottom), pageWidth, Px(kLabelHeight));
  PlaceControl(label10_, 0, pageHeight - Px(kLabel10FromBottom), pageWidth, Px(kLabelHeight));

  placeButton(checkBox4_, form_.CheckBox4.Caption, kCheckBox4);

  // the log fills the page above the row of buttons
  const int buttonHeight = Px(kLogButtonHeight);
  const int rowTop = pageHeight - buttonHeight - Px(kLogButtonGap / 2);
  int right = pageWidth - Px(kLogButtonGap);
  const std::pair<HWND, const std::string*> row[] = {{button4_, &form_.Button4.Caption},
                                                      {button3_, &form_.Button3.Caption}};
  for (const auto& [button, caption] : row) {
    const int buttonWidth = TextExtent(font_, platform::ToWide(*caption)).cx + Px(kLogButtonPadding);
    PlaceControl(button, right - buttonWidth, rowTop, buttonWidth, buttonHeight);
    right -= buttonWidth + Px(kLogButtonGap);
  }
  PlaceControl(listBox1_, 0, 0, pageWidth, std::max(0, rowTop - Px(kLogButtonGap / 2)));
}

}  // namespace ui
