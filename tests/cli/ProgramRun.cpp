#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

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

RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  RunResult result;
  testsupport::TempFolder capture;
  const std::string outPath = capture / "out.txt";
  const std::string errPath = capture / "err.txt";
#ifdef _WIN32
  std::wstring commandLine = Quoted(Wide(Native(program)));
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));
  HANDLE out = OutputHandle(outPath);
  HANDLE err = OutputHandle(errPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(Native(workingFolder));
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) {
    ADD_FAILURE() << "cannot start " << program;
    return result;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  result.status = static_cast<int>(code);
#else
  std::vector<std::string> words{Native(program)};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, Native(outPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, Native(errPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, Native(workingFolder).c_str());
  pid_t child;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

}  // namespace clitest
