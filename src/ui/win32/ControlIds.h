// The main window's class and the identifiers of its controls; the GUI test helper finds
// the window and its controls by them.
#pragma once

namespace ui {

inline constexpr wchar_t kMainWindowClass[] = L"QuorvaneMainWindow";
inline constexpr wchar_t kPageWindowClass[] = L"QuorvanePage";

// Control identifiers start above IDOK and IDCANCEL, which dialog navigation sends for
// Enter and Escape.
enum ControlId : int {
  kIdGroupBox1 = 100,
  kIdRadioButton1,
  kIdRadioButton2,
  kIdRadioButton3,
  kIdRadioButton4,
  kIdEdit1,
  kIdButton1,
  kIdLabel2,
  kIdLabel3,
  kIdPageControl1,
  kIdTabSheet1,
  kIdTabSheet2,
  kIdCheckBox1,
  kIdLabel8,
  kIdGroupBox2,
  kIdRadioButton5,
  kIdRadioButton6,
  kIdLabel4,
  kIdLabel7,
  kIdLabel10,
  kIdListBox1,
  kIdStatusBar1,
  kIdGroupBox3,
  kIdRadioButton7,
  kIdRadioButton8,
  kIdRadioButton9,
  kIdGroupBox4,
  kIdCheckBox2,
  kIdCheckBox3,
  kIdEdit2,
  kIdButton2,
  kIdCheckBox4,
  kIdButton3,
  kIdButton4,
};

}  // namespace ui
