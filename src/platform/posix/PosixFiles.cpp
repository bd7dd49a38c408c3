#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "platform/posix/PosixFileOps.h"
#include "platform/posix/PosixPath.h"
#include "platform/posix/PosixText.h"

namespace platform {

namespace {

bool StatExisting(const std::string& path, struct stat& st) {
  std::string native;
  if (!posix::DecodePath(path, native)) return false;
  // the path as written first: one call when it is there
  if (stat(native.c_str(), &st) == 0) return true;
  if (errno != ENOENT && errno != ENOTDIR) return false;
  return posix::FindExisting(path, native) && stat(native.c_str(), &st) == 0;
}

// Packed DOS form of a local time; 0 when the year lies outside 1980-2107.
std::uint32_t ToDosTime(time_t seconds) {
  struct tm local;
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  const int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(local.tm_mon + 1) << 21 |
         static_cast<std::uint32_t>(local.tm_mday) << 16 | static_cast<std::uint32_t>(local.tm_hour) << 11 |
         static_cast<std::uint32_t>(local.tm_min) << 5 | static_cast<std::uint32_t>(local.tm_sec / 2);
}

bool FromDosTime(std::uint32_t dosTime, time_t& seconds) {
  static constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  struct tm local = {};
  local.tm_year = static_cast<int>(dosTime >> 25) + 80;
  local.tm_mon = static_cast<int>(dosTime >> 21 & 0x0F) - 1;
  local.tm_mday = static_cast<int>(dosTime >> 16 & 0x1F);
  local.tm_hour = static_cast<int>(dosTime >> 11 & 0x1F);
  local.tm_min = static_cast<int>(dosTime >> 5 & 0x3F);
  local.tm_sec = static_cast<int>(dosTime & 0x1F) * 2;
  local.tm_isdst = -1;
  if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_mday > kDaysInMonth[local.tm_mon] ||
      local.tm_hour > 23 || local.tm_min > 59 || local.tm_sec > 59) {
    return false;
  }
  seconds = mktime(&local);
  return seconds != static_cast<time_t>(-1);
}

// Empties the folder open as `fd` (and closes it), never entering a symbolic link.
bool EmptyFolder(int fd) {
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  bool ok = true;
  for (const std::string& name : names) {
    struct stat st;
    if (fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ok = false;
    } else if (S_ISDIR(st.st_mode)) {
      const int sub = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub < 0 || !EmptyFolder(sub)) ok = false;
      if (!posix::OsDelete(fd, name.c_str(), true)) ok = false;
    } else if (!posix::OsDelete(fd, name.c_str(), false)) {
      ok = false;
    }
  }
  closedir(dir);
  return ok;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return StatExisting(path, st) && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st;
  return StatExisting(path, st) && S_ISDIR(st.st_mode);
}

bool GetFileInfo(const std::string& path, std::uint32_t& dosTime, std::uint64_t& size) {
  struct stat st;
  if (!StatExisting(path, st) || !S_ISREG(st.st_mode)) return false;
  dosTime = ToDosTime(st.st_mtim.tv_sec);
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool SetFileDosTime(const std::string& path, std::uint32_t dosTime) {
  std::string native;
  time_t seconds;
  if (!posix::FindExisting(path, native) || !FromDosTime(dosTime, seconds)) return false;
  const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  return utimensat(AT_FDCWD, native.c_str(), times, 0) == 0;
}

bool SetArchiveOnly(const std::string& path) {
  std::string native;
  struct stat st;
  if (!posix::FindExisting(path, native) || stat(native.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return chmod(native.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool RemoveFile(const std::string& path) {
  std::string native;
  if (!posix::FindExisting(path, native) || !posix::OsDelete(AT_FDCWD, native.c_str(), false)) return false;
  posix::NoteRemoved(native);
  return true;
}

bool RenameOver(const std::string& from, const std::string& to) {
  std::string nativeFrom;
  std::string nativeTo;
  if (!posix::FindExisting(from, nativeFrom) || !posix::PlaceForCreate(to, nativeTo) ||
      !posix::OsRename(nativeFrom.c_str(), nativeTo.c_str())) {
    return false;
  }
  posix::NoteRemoved(nativeFrom);
  posix::NoteCreated(nativeTo);
  return true;
}

bool MakeFolder(const std::string& path) {
  std::string native;
  if (!posix::PlaceForCreate(path, native) || mkdir(native.c_str(), 0777) != 0) return false;
  posix::NoteCreated(native);
  return true;
}

bool RemoveFolder(const std::string& path) {
  std::string native;
  if (!posix::FindExisting(path, native) || !posix::OsDelete(AT_FDCWD, native.c_str(), true)) return false;
  posix::NoteRemoved(native);
  return true;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::string native;
  std::vector<std::string> names;
  std::vector<std::string> result;
  if (!posix::FindExisting(folder, native) || !posix::ReadFolderNames(native, names)) return result;
  for (const std::string& name : names) {
    // a name with a backslash or with no CP932 form cannot be named in the internal form
    std::string sjis;
    if (name.find('\\') == std::string::npos && posix::Utf8ToCp932(name, sjis)) result.push_back(sjis);
  }
  return result;
}

bool RemoveTree(const std::string& folder) {
  std::string native;
  if (!posix::FindExisting(folder, native)) return false;
  // without the trailing slash, so that O_NOFOLLOW sees a link in the last component
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool emptied = EmptyFolder(fd);
  posix::ForgetFolders();
  return posix::OsDelete(AT_FDCWD, native.c_str(), true) && emptied;
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  failed_ = false;
  size_ = 0;
  std::string native;
  if (!posix::FindExisting(path, native)) return false;
  // non-blocking, so that a FIFO cannot hold the open; it is refused below
  const int fd = posix::OsOpen(AT_FDCWD, native.c_str(), O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    posix::OsClose(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return true;
}

std::size_t InputFile::Read(void* buffer, std::size_t n) {
  if (!IsOpen()) {
    failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = posix::OsRead(static_cast<int>(handle_), static_cast<char*>(buffer) + done, n - done);
    if (got < 0) {
      failed_ = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void InputFile::Close() {
  if (IsOpen()) posix::OsClose(static_cast<int>(handle_));
  handle_ = -1;
}

bool InputFile::IsOpen() const { return handle_ >= 0; }

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::string& path) {
  Close();
  failed_ = false;
  std::string native;
  if (!posix::PlaceForCreate(path, native)) return false;
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK;
  int fd = posix::OsOpen(AT_FDCWD, native.c_str(), kFlags, 0666);
  if (fd < 0 && errno == ELOOP) {
    // the name is a symbolic link: the link goes, and a fresh file takes its place
    if (!posix::OsDelete(AT_FDCWD, native.c_str(), false)) return false;
    fd = posix::OsOpen(AT_FDCWD, native.c_str(), kFlags | O_EXCL, 0666);
  }
  if (fd < 0) return false;
  posix::NoteCreated(native);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    posix::OsClose(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

std::size_t OutputFile::Write(const void* buffer, std::size_t n) {
  if (!IsOpen()) {
    failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < n) {
    const ssize_t put =
        posix::OsWrite(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, n - done);
    if (put < 0) {
      failed_ = true;
      break;
    }
    if (put == 0) break;  // a short write: taken as it is
    done += static_cast<std::size_t>(put);
  }
  return done;
}

bool OutputFile::Flush() {
  if (!IsOpen() || failed_) return false;
  if (posix::OsFlush(static_cast<int>(handle_))) return true;
  failed_ = true;
  return false;
}

bool OutputFile::Close() {
  if (!IsOpen()) return false;
  const bool closed = posix::OsClose(static_cast<int>(handle_));
  handle_ = -1;
  return closed;
}

bool OutputFile::IsOpen() const { return handle_ >= 0; }

}  // namespace platform
