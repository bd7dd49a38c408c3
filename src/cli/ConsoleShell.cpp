#include "cli/ConsoleShell.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

#include <atomic>

#include "cli/Commands.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace cli {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}
#else
void OnInterrupt(int) { interrupted = true; }
#endif

}  // namespace

ConsoleShell::ConsoleShell() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
#endif
}

void ConsoleShell::ShowMessage(const std::string&, const std::string& text) {
  std::size_t start = 0;
  do {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    Complain(text::IsAbsolutePath(line) ? platform::NativePathForDisplay(line) : platform::ToUtf8(line));
    start = end + 2;
  } while (start < text.size());
}

bool ConsoleShell::IsEscapeDown() { return interrupted; }

}  // namespace cli
