// The system's own shell where it works without a user at the screen: the special
// folders, the drafting program's registration and starting a program.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "TestSupport.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

#ifndef _WIN32
#include <stdlib.h>
#endif

namespace {

using platform::SpecialFolderId;

#ifdef _WIN32

TEST(SystemShell, SpecialFoldersExist) {
  platform::SystemShell shell;
  for (SpecialFolderId id : {SpecialFolderId::Desktop, SpecialFolderId::Documents}) {
    const std::string folder = shell.SpecialFolder(id);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(platform::FolderExists(folder)) << folder;
  }
  EXPECT_FALSE(shell.IsEscapeDown());
}

#else

// Points HOME and XDG_CONFIG_HOME somewhere else for the life of the object.
class Environment {
 public:
  Environment(const char* home, const char* configHome) {
    Keep("HOME", savedHome_);
    Keep("XDG_CONFIG_HOME", savedConfig_);
    setenv("HOME", home, 1);
    if (configHome != nullptr) {
      setenv("XDG_CONFIG_HOME", configHome, 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  ~Environment() {
    Restore("HOME", savedHome_);
    Restore("XDG_CONFIG_HOME", savedConfig_);
  }

 private:
  static void Keep(const char* name, std::optional<std::string>& saved) {
    const char* value = getenv(name);
    if (value != nullptr) saved = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& saved) {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> savedHome_;
  std::optional<std::string> savedConfig_;
};

TEST(SystemShell, SpecialFoldersComeFromTheUserDirectories) {
  testsupport::TempFolder home;
  const std::string native = platform::NativePathForDisplay(home.Path());  // ends in "/"
  const std::string homeNative = native.substr(0, native.size() - 1);
  platform::SystemShell shell;
  {
    Environment env(homeNative.c_str(), nullptr);
    // no user-dirs.dirs: the usual names under the home folder
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Desktop), home / "Desktop");
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Documents), home / "Documents");

    platform::MakeFolder(home / ".config\\");
    testsupport::WriteFileText(home / ".config\\user-dirs.dirs",
                               "# written by xdg-user-dirs-update\n"
                               "XDG_DESKTOP_DIR=\"$HOME/\xE6\x9C\xBA\"\n"  // 机, UTF-8
                               "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n"
                               "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Desktop), home / "\x8A\xF7");  // 机, Shift-JIS
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Documents), "\\srv\\docs");
  }
  {
    testsupport::TempFolder config;
    testsupport::WriteFileText(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    const std::string configNative = platform::NativePathForDisplay(config.Path());
    Environment env(homeNative.c_str(), configNative.c_str());
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Documents), home / "Papers");
    EXPECT_EQ(shell.SpecialFolder(SpecialFolderId::Desktop), home / "Desktop");
  }
  EXPECT_EQ(shell.JwCadOpenCommand(), "");
  EXPECT_FALSE(shell.IsEscapeDown());
}

TEST(SystemShell, StartProgramPassesParametersAndWorkingFolder) {
  testsupport::TempFolder folder;
  platform::SystemShell shell;
  shell.StartProgram("\"\\bin\\sh\"", "-c \"pwd > where.txt\"", folder.Path());
  const std::string where = folder / "where.txt";
  auto written = [&where] {
    std::uint32_t time = 0;
    std::uint64_t size = 0;
    return platform::GetFileInfo(where, time, size) && size > 0;
  };
  for (int i = 0; i < 500 && !written(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(written());
  std::string expected = platform::NativePathForDisplay(folder.Path());
  expected.back() = '\n';  // pwd prints the folder without its final slash
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(where);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  shell.StartProgram("\\no\\such\\program", "", "");  // a failure is not reported
}

#endif

}  // namespace
