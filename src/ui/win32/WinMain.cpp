// Quorvane.exe: the window program. Builds the form and its window, runs start-up with
// the command line, then the event loop until the window closes.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/Shell.h"
#include "platform/Wide.h"
#include "ui/win32/MainWindow.h"

namespace {

// The command line's parameters in Shift-JIS. One with no Shift-JIS form is named in a
// message and stands as an empty text, which is never queued: so it is skipped, yet the
// number of parameters, which decides the external-transform mode, stays what was given.
std::vector<std::string> CommandLineParameters(HWND owner) {
  std::vector<std::string> parameters;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return parameters;
  for (int i = 1; i < count; ++i) {
    std::string sjis;
    if (!platform::FromWide(arguments[i], sjis)) {
      platform::ShowUnrepresentableName(owner, arguments[i]);
      sjis.clear();
    }
    parameters.push_back(sjis);
  }
  LocalFree(arguments);
  return parameters;
}

int RunProgram(HINSTANCE instance, int showCommand) {
  platform::SystemShell shell;
  app::TForm1 form(shell);
  ui::MainWindow window(form, shell);
  if (!window.Create(instance)) return 1;
  window.Start(CommandLineParameters(window.Handle()), showCommand);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.HandleKeyboard(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  try {
    // the file dialogs use the shell's COM objects
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
    const int status = RunProgram(instance, showCommand);
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
  } catch (...) {
    return 1;
  }
}
