#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "platform/Platform.h"
#include "platform/Unicode.h"
#include "platform/posix/PosixPath.h"
#include "text/ShiftJis.h"

namespace platform {

namespace {

// A native folder in the internal form, ending in a backslash; "" when it has none.
std::string InternalFolder(const std::string& native) {
  std::string path;
  if (native.empty() || !posix::EncodePath(native, path)) return "";
  if (path.back() != '\\') path += '\\';
  return path;
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    done += static_cast<std::size_t>(put);
  }
}

}  // namespace

bool IsFullPath(const std::string& path) {
  // a drive names nothing here: "C:\\x" is a relative name
  return text::IsAbsolutePath(path) && !text::HasDrive(path);
}

std::string ProgramFilePath() {
  std::string native(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", native.data(), native.size());
    if (length < 0) return "";
    if (static_cast<std::size_t>(length) < native.size()) {
      native.resize(static_cast<std::size_t>(length));
      break;
    }
    native.resize(native.size() * 2);
  }
  std::string path;
  return posix::EncodePath(native, path) ? path : "";
}

std::string CurrentFolder() {
  const std::unique_ptr<char, decltype(&free)> native(getcwd(nullptr, 0), &free);
  return native ? InternalFolder(native.get()) : "";
}

std::string UserTempFolder() {
  const char* tmpdir = getenv("TMPDIR");
  const std::string folder = tmpdir != nullptr && tmpdir[0] == '/' ? InternalFolder(tmpdir) : "";
  return folder.empty() ? InternalFolder("/tmp") : folder;
}

std::vector<Argument> ProgramArguments(int argc, char** argv) {
  std::vector<Argument> arguments;
  for (int i = 1; i < argc; ++i) {
    Argument argument;
    argument.utf8 = unicode::IsUtf8(argv[i]);
    argument.display = unicode::ValidUtf8(argv[i]);
    argument.representable = argument.utf8 && posix::EncodePath(argument.display, argument.sjis);
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

void WriteStdout(const std::string& utf8) { WriteAll(STDOUT_FILENO, utf8); }

void WriteStderr(const std::string& utf8) { WriteAll(STDERR_FILENO, utf8); }

}  // namespace platform
