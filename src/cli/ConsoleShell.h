// The shell of the console program: messages go to standard error, and Ctrl+C plays the
// part of the Escape key.
#pragma once

#include <string>

#include "platform/Shell.h"

namespace cli {

class ConsoleShell : public platform::SystemShell {
 public:
  // Installs the Ctrl+C handler for the life of the process.
  ConsoleShell();

  // "quorvane: " and each line of the text; a line that is a whole path in native form.
  void ShowMessage(const std::string& caption, const std::string& text) override;
  // True once Ctrl+C has been pressed.
  bool IsEscapeDown() override;
};

}  // namespace cli
