#include "FakeShell.h"

namespace testsupport {

void FakeShell::ShowMessage(const std::string& caption, const std::string& text) {
  messages.push_back({caption, text});
}

bool FakeShell::RunOpenDialog(platform::FileDialog& dialog) {
  openDialogs.push_back(dialog);
  if (!openAnswer) return false;
  dialog.Files = openAnswer->files;
  dialog.FileName = dialog.Files.empty() ? std::string() : dialog.Files.front();
  dialog.FilterIndex = openAnswer->filterIndex;
  return true;
}

bool FakeShell::RunSaveDialog(platform::FileDialog& dialog) {
  saveDialogs.push_back(dialog);
  if (!saveAnswer) return false;
  dialog.FileName = *saveAnswer;
  dialog.Files = {*saveAnswer};
  return true;
}

bool FakeShell::IsEscapeDown() {
  const std::size_t turn = static_cast<std::size_t>(escapeQueries++);
  return turn < escape.size() && escape[turn];
}

std::string FakeShell::SpecialFolder(platform::SpecialFolderId id) {
  folderQueries.push_back(id);
  const auto found = specialFolders.find(id);
  return found == specialFolders.end() ? std::string() : found->second;
}

std::string FakeShell::JwCadOpenCommand() { return jwCadCommand; }

void FakeShell::StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  started.push_back({file, parameters, folder});
}

bool FakeShell::OpenDocument(const std::string& file) {
  opened.push_back(file);
  return documentOpens;
}

}  // namespace testsupport
