// A shell for tests: records every call and gives scripted answers.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace testsupport {

class FakeShell : public platform::Shell {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };
  // The answer of a confirmed dialog.
  struct DialogAnswer {
    std::vector<std::string> files;
    std::int32_t filterIndex = 1;
  };
  struct Started {
    std::string file;
    std::string parameters;
    std::string folder;
  };

  // --- scripted answers
  std::optional<DialogAnswer> openAnswer;  // unset: the user cancels
  std::optional<std::string> saveAnswer;   // the file name confirmed; unset: cancel
  std::vector<bool> escape;                // answers to the Escape queries in turn; false after
  std::map<platform::SpecialFolderId, std::string> specialFolders;
  std::string jwCadCommand;
  bool documentOpens = true;  // what OpenDocument answers

  // --- what was asked
  std::vector<Message> messages;
  std::vector<platform::FileDialog> openDialogs;  // the properties as the dialog opened
  std::vector<platform::FileDialog> saveDialogs;
  int escapeQueries = 0;
  std::vector<platform::SpecialFolderId> folderQueries;
  std::vector<Started> started;
  std::vector<std::string> opened;  // the files OpenDocument was asked to open

  void ShowMessage(const std::string& caption, const std::string& text) override;
  bool RunOpenDialog(platform::FileDialog& dialog) override;
  bool RunSaveDialog(platform::FileDialog& dialog) override;
  bool IsEscapeDown() override;
  std::string SpecialFolder(platform::SpecialFolderId id) override;
  std::string JwCadOpenCommand() override;
  void StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) override;
  bool OpenDocument(const std::string& file) override;
};

}  // namespace testsupport
