#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <memory>

#include "platform/Platform.h"
#include "platform/Unicode.h"
#include "platform/posix/PosixFileOps.h"
#include "platform/posix/PosixPath.h"
#include "platform/posix/PosixText.h"

namespace platform {

namespace {

template <class Path>
bool StatExisting(const Path& path, struct stat& st) {
  std::string native;
  if (!posix::DecodePath(path, native)) return false;
  // the path as written first: one call when it is there
  if (stat(native.c_str(), &st) == 0) return true;
  if (errno != ENOENT && errno != ENOTDIR) return false;
  return posix::FindExisting(path, native) && stat(native.c_str(), &st) == 0;
}

// The first and the last moment a packed DOS time can hold: 1980-01-01 00:00:00 and
// 2107-12-31 23:59:58.
constexpr std::uint32_t kEarliestDosTime = 1u << 21 | 1u << 16;
constexpr std::uint32_t kLatestDosTime = 127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u;

// Packed DOS form of a local time, clamped to the years the form can hold.
std::uint32_t ToDosTime(time_t seconds) {
  struct tm local;
  if (localtime_r(&seconds, &local) == nullptr) return seconds < 0 ? kEarliestDosTime : kLatestDosTime;
  const int year = local.tm_year + 1900;
  if (year < 1980) return kEarliestDosTime;
  if (year > 2107) return kLatestDosTime;
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

// Makes the entries of the folder that holds `native` durable.
bool SyncFolderOf(const std::string& native) {
  const std::size_t slash = native.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = posix::OsFlush(fd);
  close(fd);
  return synced;
}

// Locks the lock file open as fd, which must still be the file named native (a run cleaning
// up may have taken it away); closes fd when not.
bool Locked(int fd, const std::string& native) {
  struct stat held;
  struct stat named;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && stat(native.c_str(), &named) == 0 &&
      held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
    return true;
  }
  close(fd);
  return false;
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

// The file operations below, each written once for a Shift-JIS path and a UTF-16 one.

template <class Path>
bool HasType(const Path& path, mode_t type) {
  struct stat st;
  return StatExisting(path, st) && (st.st_mode & S_IFMT) == type;
}

bool HasTypeAsNamed(const std::string& path, mode_t type) {
  std::string native;
  struct stat st;
  return posix::DecodePath(path, native) && stat(native.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

template <class Path>
bool FileInfoOf(const Path& path, std::uint32_t& dosTime, std::uint64_t& size) {
  struct stat st;
  if (!StatExisting(path, st) || !S_ISREG(st.st_mode)) return false;
  dosTime = ToDosTime(st.st_mtim.tv_sec);
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

template <class Path>
bool SetDosTimeOf(const Path& path, std::uint32_t dosTime) {
  std::string native;
  time_t seconds;
  if (!posix::FindExisting(path, native) || !FromDosTime(dosTime, seconds)) return false;
  const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  return utimensat(AT_FDCWD, native.c_str(), times, 0) == 0;
}

template <class Path>
bool MakeWritable(const Path& path) {
  std::string native;
  struct stat st;
  if (!posix::FindExisting(path, native) || stat(native.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return chmod(native.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

template <class Path>
bool RemoveFileAt(const Path& path) {
  std::string native;
  if (!posix::FindExisting(path, native) || !posix::OsDelete(AT_FDCWD, native.c_str(), false)) return false;
  posix::NoteRemoved(native);
  return true;
}

template <class Path>
bool SameEntry(const Path& a, const Path& b) {
  struct stat first;
  struct stat second;
  return StatExisting(a, first) && StatExisting(b, second) && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// The last component of the entry found for path (exactly, or ignoring case); false when none.
template <class Path>
bool EntryName(const Path& path, std::string& name) {
  std::string native;
  if (!posix::FindExisting(path, native)) return false;
  name = native.substr(native.find_last_of('/') + 1);
  // a backslash would be a separator in the internal form
  return !name.empty() && name.find('\\') == std::string::npos;
}

template <class Path>
bool MakeFolderAt(const Path& path) {
  std::string native;
  if (!posix::PlaceForCreate(path, native) || mkdir(native.c_str(), 0777) != 0) return false;
  posix::NoteCreated(native);
  return true;
}

}  // namespace

bool FileExists(const PathRef& path) {
  return path.Visit([](const auto& p) { return HasType(p, S_IFREG); });
}
bool FolderExists(const PathRef& path) {
  return path.Visit([](const auto& p) { return HasType(p, S_IFDIR); });
}

bool FileExistsAsNamed(const std::string& path) { return HasTypeAsNamed(path, S_IFREG); }
bool FolderExistsAsNamed(const std::string& path) { return HasTypeAsNamed(path, S_IFDIR); }

bool GetFileInfo(const PathRef& path, std::uint32_t& dosTime, std::uint64_t& size) {
  return path.Visit([&](const auto& p) { return FileInfoOf(p, dosTime, size); });
}

bool SetFileDosTime(const PathRef& path, std::uint32_t dosTime) {
  return path.Visit([dosTime](const auto& p) { return SetDosTimeOf(p, dosTime); });
}

bool SetArchiveOnly(const PathRef& path) {
  return path.Visit([](const auto& p) { return MakeWritable(p); });
}

bool RemoveFile(const PathRef& path) {
  return path.Visit([](const auto& p) { return RemoveFileAt(p); });
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
  std::string nativeFrom;
  std::string nativeTo;
  if (!posix::FindExisting(from, nativeFrom) || !posix::PlaceForCreate(to, nativeTo)) return false;
  struct stat old;
  if (lstat(nativeTo.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // owner and group first (changing them may clear the set-id bits), where this
    // process may set them; then the permissions
    if (chown(nativeFrom.c_str(), old.st_uid, old.st_gid) != 0 &&
        chown(nativeFrom.c_str(), static_cast<uid_t>(-1), old.st_gid) != 0) {
      errno = 0;
    }
    if (chmod(nativeFrom.c_str(), old.st_mode & 07777) != 0) return false;
  }
  // the new file's name (and the images copied beside it) reach the disk before the move
  if (!SyncFolderOf(nativeTo) || !posix::OsRename(nativeFrom.c_str(), nativeTo.c_str())) return false;
  posix::NoteRemoved(nativeFrom);
  posix::NoteCreated(nativeTo);
  // not checked: the old file or the new one is whole on the disk either way
  SyncFolderOf(nativeTo);
  return true;
}

bool FindSaveTarget(const std::string& path, std::string& target) {
  std::string native;
  struct stat st;
  if (!posix::FindExisting(path, native) || lstat(native.c_str(), &st) != 0) {
    target = path;  // nothing there yet
    return true;
  }
  target = path;
  if (S_ISLNK(st.st_mode)) {
    const std::unique_ptr<char, decltype(&free)> real(realpath(native.c_str(), nullptr), &free);
    // a link that leads nowhere stands for no drawing: the new file takes its own place
    if (!real) return errno == ENOENT;
    if (!posix::EncodePath(real.get(), target)) return false;
    native = real.get();
    if (stat(native.c_str(), &st) != 0) return false;
  }
  return S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
         faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) == 0;
}

bool SameFile(const PathRef& a, const PathRef& b) {
  if (!a.HeldAsUnits() && !b.HeldAsUnits()) return SameEntry(a.Sjis(), b.Sjis());
  return SameEntry(a.Units(), b.Units());
}

std::string RealFileName(const std::string& path) {
  std::string name;
  std::string sjis;
  return EntryName(path, name) && posix::Utf8ToCp932(name, sjis) ? sjis : std::string();
}

std::u16string RealFileName(const std::u16string& path) {
  std::string name;
  std::u16string units;
  return EntryName(path, name) && unicode::Utf8ToUtf16(name, units) ? units : std::u16string();
}

bool MakeFolder(const PathRef& path) {
  return path.Visit([](const auto& p) { return MakeFolderAt(p); });
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

bool InputFile::Open(const PathRef& path) {
  return path.Visit([this](const auto& p) { return OpenPath(p); });
}

template <class Path>
bool InputFile::OpenPath(const Path& path) {
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

bool OutputFile::Create(const PathRef& path, bool exclusive) {
  return path.Visit([this, exclusive](const auto& p) { return CreatePath(p, exclusive); });
}

template <class Path>
bool OutputFile::CreatePath(const Path& path, bool exclusive) {
  Close();
  failed_ = false;
  nameTaken_ = false;
  std::string native;
  if (!posix::PlaceForCreate(path, native)) return false;
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | (exclusive ? O_EXCL : O_TRUNC);
  int fd = posix::OsOpen(AT_FDCWD, native.c_str(), flags, 0666);
  if (fd < 0 && errno == ELOOP && !exclusive) {
    // the name is a symbolic link: the link goes, and a fresh file takes its place
    if (!posix::OsDelete(AT_FDCWD, native.c_str(), false)) return false;
    fd = posix::OsOpen(AT_FDCWD, native.c_str(), flags | O_EXCL, 0666);
  }
  if (fd < 0) {
    nameTaken_ = exclusive && errno == EEXIST;
    return false;
  }
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

RunLock::~RunLock() { Release(); }

bool RunLock::Acquire(const std::string& path) {
  Release();
  std::string native;
  if (!posix::PlaceForCreate(path, native)) return false;
  const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  posix::NoteCreated(native);
  if (!Locked(fd, native)) return false;
  handle_ = fd;
  path_ = native;
  return true;
}

bool RunLock::TakeOver(const std::string& path) {
  Release();
  std::string native;
  if (!posix::FindExisting(path, native)) return false;
  const int fd = open(native.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 || !Locked(fd, native)) return false;
  handle_ = fd;
  path_ = native;
  return true;
}

void RunLock::Release() {
  if (handle_ < 0) return;
  if (unlink(path_.c_str()) == 0) posix::NoteRemoved(path_);
  close(static_cast<int>(handle_));
  handle_ = -1;
  path_.clear();
}

}  // namespace platform
