// The main window: shows the state of app::TForm1 in Win32 controls and hands the
// user's actions to its handlers. Everything the window does is TForm1's; this class
// only draws it, copies control changes into it and refreshes from it afterwards.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/Shell.h"

namespace ui {

class MainWindow {
 public:
  MainWindow(app::TForm1& form, platform::SystemShell& shell);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window with its controls, hidden; false when it cannot be made.
  bool Create(HINSTANCE instance);
  // Start-up with the command line's parameters. Shows the window, unless start-up
  // closed the form, in which case the window is destroyed and the program ends.
  void Start(const std::vector<std::string>& parameters, int showCommand);
  // Keyboard navigation for a message of the loop: the pages' access keys, Ctrl+Tab
  // and the dialog keys. True when the message has been dealt with.
  bool HandleKeyboard(MSG& message);
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static bool RegisterClasses(HINSTANCE instance);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // MainLayout.cpp: the controls, their fonts and their places.
  void CreateControls();
  void ApplyFonts();
  void ApplyIcons();
  void PlaceControls();
  void SizeWindow(int left, int top);
  int Px(int designLength) const;
  RECT PanelRect() const;

  void OnCommand(int id, int code);
  void OnDropFiles(HDROP drop);
  void OnClose();
  void OnDpiChanged(UINT dpi, const RECT& suggested);

  // Runs a handler of the form: the controls' state goes into the form first, the
  // form's state comes back into the controls afterwards. Nothing runs while another
  // handler is running (a message box or dialog of the first one may let messages in).
  template <class Handler>
  void RunHandler(Handler&& handler);
  void StoreControls();
  void ShowFormState();
  void ShowLog();
  void ShowStatus();
  // Label7's caption, which follows the image mode chosen.
  void ShowLabel7();
  // Button3 and Button4, grey until there is a check to act on.
  void ShowCheckButtons();
  void ShowPage(int index);
  void SelectPage(int index);
  int PageForKey(wchar_t key) const;
  void ShowFirstTime();
  void StorePosition();

  app::TForm1& form_;
  platform::SystemShell& shell_;
  HWND hwnd_ = nullptr;

  HWND groupBox1_ = nullptr;
  HWND destination_[4] = {};  // RadioButton1 to RadioButton4
  HWND edit1_ = nullptr;
  HWND button1_ = nullptr;
  HWND label2_ = nullptr;
  HWND label3_ = nullptr;
  HWND pageControl1_ = nullptr;
  HWND pages_[2] = {};  // TabSheet1, TabSheet2
  HWND checkBox1_ = nullptr;
  HWND label8_ = nullptr;
  HWND groupBox2_ = nullptr;
  HWND naming_[2] = {};  // RadioButton5, RadioButton6
  HWND label4_ = nullptr;
  HWND groupBox3_ = nullptr;
  HWND images_[3] = {};  // RadioButton7, RadioButton8, RadioButton9
  HWND checkBox4_ = nullptr;
  HWND groupBox4_ = nullptr;
  HWND checkBox2_ = nullptr;
  HWND checkBox3_ = nullptr;
  HWND edit2_ = nullptr;
  HWND button2_ = nullptr;
  HWND label7_ = nullptr;
  HWND label10_ = nullptr;
  HWND listBox1_ = nullptr;
  HWND button3_ = nullptr;
  HWND button4_ = nullptr;
  HWND statusBar1_ = nullptr;

  UINT dpi_ = 96;
  HFONT font_ = nullptr;        // the form's font
  HFONT linkFont_ = nullptr;    // the same, underlined, for Label3
  HFONT buttonFont_ = nullptr;  // Button1
  HFONT listFont_ = nullptr;    // ListBox1
  HFONT statusFont_ = nullptr;  // StatusBar1
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;

  int showCommand_ = SW_SHOWNORMAL;
  bool shown_ = false;    // the window has been put on the screen
  bool busy_ = false;     // a handler of the form is running
  bool syncing_ = false;  // the controls are being set from the form
  std::size_t logLines_ = 0;
  std::wstring statusText_;  // what the status bar shows
  int logWidth_ = 0;      // the widest log line, for the horizontal scroll bar
  HWND focus_ = nullptr;  // the control that had the focus when the window was left
};

}  // namespace ui
