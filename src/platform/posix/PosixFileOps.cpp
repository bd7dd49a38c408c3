#include "platform/posix/PosixFileOps.h"

#include "platform/FaultHook.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace platform::posix {

namespace {

// True when a test asked for this operation to fail; errno then says why.
bool Injected(FileOp op) {
  if (InjectedFault(op) != FaultAction::Fail) return false;
  errno = EIO;
  return true;
}

}  // namespace

int OsOpen(int folderFd, const char* name, int flags, mode_t mode) {
  if (Injected((flags & O_CREAT) ? FileOp::Create : FileOp::Open)) return -1;
  int fd;
  do {
    fd = openat(folderFd, name, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

ssize_t OsRead(int fd, void* buffer, std::size_t n) {
  if (Injected(FileOp::Read)) return -1;
  ssize_t got;
  do {
    got = read(fd, buffer, n);
  } while (got < 0 && errno == EINTR);
  return got;
}

ssize_t OsWrite(int fd, const void* buffer, std::size_t n) {
  switch (InjectedFault(FileOp::Write)) {
    case FaultAction::Fail:
      errno = EIO;
      return -1;
    case FaultAction::Short:
      return 0;
    default:
      break;
  }
  ssize_t put;
  do {
    put = write(fd, buffer, n);
  } while (put < 0 && errno == EINTR);
  return put;
}

bool OsFlush(int fd) {
  if (Injected(FileOp::Flush)) return false;
  int synced;
  do {
    synced = fsync(fd);
  } while (synced != 0 && errno == EINTR);
  return synced == 0;
}

bool OsClose(int fd) {
  if (Injected(FileOp::Close)) {
    close(fd);  // the descriptor is gone either way
    return false;
  }
  return close(fd) == 0;
}

bool OsRename(const char* from, const char* to) { return !Injected(FileOp::Rename) && rename(from, to) == 0; }

bool OsDelete(int folderFd, const char* name, bool folder) {
  if (Injected(FileOp::Delete)) return false;
  return unlinkat(folderFd, name, folder ? AT_REMOVEDIR : 0) == 0;
}

}  // namespace platform::posix
