#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "TestSupport.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace clitest {

namespace {

std::string Native(const std::string& path) { return platform::NativePathForDisplay(path); }

std::string ReadText(const std::string& path) {
  if (!platform::FileExists(path)) return "";
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE OutputHandle(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(Wide(Native(path)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

#endif

}  // namespace

std::string BuiltProgram() {
  std::string native = QUORVANE_PROGRAM;
#ifdef _WIN32
  std::string path = "Z:" + native;
#else
  std::string path = native;
#endif
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string InstallProgram(const std::string& folder) {
  platform::MakeFolder(folder);
  const std::string built = BuiltProgram();
  const std::size_t slash = built.find_last_of('\\');
  const std::string copy = folder + built.substr(slash + 1);
  EXPECT_EQ(platform::CopyFileContents(built, copy), platform::CopyOutcome::Copied) << built;
#ifndef _WIN32
  chmod(Native(copy).c_str(), 0755);
#endif
  return copy;
}

namespace {

// A child started with its output captured to files.
struct Child {
  std::unique_ptr<testsupport::TempFolder> capture = std::make_unique<testsupport::TempFolder>();
  bool started = false;
#ifdef _WIN32
  HANDLE process = nullptr;
#else
  pid_t pid = 0;
#endif
  std::string OutPath() const { return *capture / "out.txt"; }
  std::string ErrPath() const { return *capture / "err.txt"; }
};

Child Start(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  Child child;
#ifdef _WIN32
  std::wstring commandLine = Quoted(Wide(Native(program)));
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));
  HANDLE out = OutputHandle(child.OutPath());
  HANDLE err = OutputHandle(child.ErrPath());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(Native(workingFolder));
  child.started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                                 &startup, &process) != FALSE;
  CloseHandle(out);
  CloseHandle(err);
  if (child.started) {
    CloseHandle(process.hThread);
    child.process = process.hProcess;
  }
#else
  std::vector<std::string> words{Native(program)};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, Native(child.OutPath()).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, Native(child.ErrPath()).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, Native(workingFolder).c_str());
  child.started = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
#endif
  if (!child.started) ADD_FAILURE() << "cannot start " << program;
  return child;
}

RunResult Wait(Child& child) {
  RunResult result;
  if (!child.started) return result;
#ifdef _WIN32
  WaitForSingleObject(child.process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(child.process, &code);
  CloseHandle(child.process);
  result.status = static_cast<int>(code);
#else
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  result.out = ReadText(child.OutPath());
  result.err = ReadText(child.ErrPath());
  return result;
}

}  // namespace

RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  Child child = Start(program, args, workingFolder);
  return Wait(child);
}

std::vector<RunResult> RunTogether(const std::string& program, const std::vector<std::vector<std::string>>& runs,
                                   const std::string& workingFolder) {
  std::vector<Child> children;
  for (const std::vector<std::string>& args : runs) children.push_back(Start(program, args, workingFolder));
  std::vector<RunResult> results;
  for (Child& child : children) results.push_back(Wait(child));
  return results;
}

}  // namespace clitest
