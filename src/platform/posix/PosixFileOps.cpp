#include "platform/posix/PosixFileOps.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace platform::posix {

int OsOpen(int folderFd, const char* name, int flags, mode_t mode) {
  int fd;
  do {
    fd = openat(folderFd, name, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

ssize_t OsRead(int fd, void* buffer, std::size_t n) {
  ssize_t got;
  do {
    got = read(fd, buffer, n);
  } while (got < 0 && errno == EINTR);
  return got;
}

ssize_t OsWrite(int fd, const void* buffer, std::size_t n) {
  ssize_t put;
  do {
    put = write(fd, buffer, n);
  } while (put < 0 && errno == EINTR);
  return put;
}

bool OsFlush(int fd) { return fd >= 0; }

bool OsClose(int fd) { return close(fd) == 0; }

bool OsRename(const char* from, const char* to) { return rename(from, to) == 0; }

bool OsDelete(int folderFd, const char* name, bool folder) {
  return unlinkat(folderFd, name, folder ? AT_REMOVEDIR : 0) == 0;
}

}  // namespace platform::posix
