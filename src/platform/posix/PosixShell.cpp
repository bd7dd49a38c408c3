#include <pwd.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/posix/PosixPath.h"

extern char** environ;

namespace platform {

namespace {

std::string HomeFolder() {
  const char* home = getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// The value of one XDG_..._DIR line of user-dirs.dirs, $HOME expanded; "" when the file
// has no usable line for the key.
std::string UserDir(const std::string& key, const std::string& home) {
  const char* configHome = getenv("XDG_CONFIG_HOME");
  const std::string config =
      configHome != nullptr && configHome[0] == '/' ? std::string(configHome) : home + "/.config";
  std::ifstream file(config + "/user-dirs.dirs");
  std::string line;
  std::string found;
  while (std::getline(file, line)) {
    // XDG_DESKTOP_DIR="$HOME/Desktop"
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size() + 1, key + "=") != 0) continue;
    std::string value = line.substr(start + key.size() + 1);
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    if (value.starts_with("$HOME")) value = home + value.substr(5);
    if (value.starts_with("/")) found = value;
  }
  return found;
}

// A native folder in the internal form, without a trailing backslash; "" when it has none.
std::string InternalFolder(std::string native) {
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  std::string path;
  return posix::EncodePath(native, path) ? path : "";
}

// Splits a parameter text at blanks outside double quotes; the quotes go.
std::vector<std::string> SplitParameters(const std::string& parameters) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::string Unquoted(const std::string& s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

// A parameter in native form: paths get slashes and UTF-8; anything else its UTF-8 form.
std::string NativeParameter(const std::string& sjis) {
  std::string native;
  if (posix::FindExisting(sjis, native) || posix::DecodePath(sjis, native)) return native;
  return ToUtf8(sjis);
}

}  // namespace

void SystemShell::ShowMessage(const std::string& caption, const std::string& text) {
  WriteStderr(ToUtf8(caption) + ": " + ToUtf8(text) + "\n");
}

bool SystemShell::RunOpenDialog(FileDialog&) { return false; }

bool SystemShell::RunSaveDialog(FileDialog&) { return false; }

bool SystemShell::IsEscapeDown() { return false; }

std::string SystemShell::SpecialFolder(SpecialFolderId id) {
  const std::string home = HomeFolder();
  if (home.empty()) return "";
  const bool desktop = id == SpecialFolderId::Desktop;
  std::string native = UserDir(desktop ? "XDG_DESKTOP_DIR" : "XDG_DOCUMENTS_DIR", home);
  if (native.empty()) native = home + (desktop ? "/Desktop" : "/Documents");
  return InternalFolder(native);
}

std::string SystemShell::JwCadOpenCommand() { return ""; }

void SystemShell::StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  std::string program;
  const std::string unquoted = Unquoted(file);
  if (!posix::FindExisting(unquoted, program) && !posix::DecodePath(unquoted, program)) return;
  std::vector<std::string> words{program};
  for (const std::string& word : SplitParameters(parameters)) words.push_back(NativeParameter(word));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return;
  std::string workingFolder;
  if (!folder.empty() && posix::FindExisting(folder, workingFolder)) {
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  }
  pid_t child;
  posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
}

bool SystemShell::OpenDocument(const std::string& file) {
  std::string native;
  if (!posix::FindExisting(file, native)) return false;
  // the desktop's opener, found on the search path
  std::string opener = "xdg-open";
  char* argv[] = {opener.data(), native.data(), nullptr};
  pid_t child;
  return posix_spawnp(&child, opener.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace platform
