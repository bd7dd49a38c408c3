// The system calls that open, read, write, flush, close, rename and delete files: every
// one the platform layer makes goes through these functions (internal).
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace platform::posix {

// open/openat; the descriptor, or -1 with errno set.
int OsOpen(int folderFd, const char* name, int flags, mode_t mode);
// read; the count (0 at the end), or -1 on an error.
ssize_t OsRead(int fd, void* buffer, std::size_t n);
// write; the count taken, or -1 on an error.
ssize_t OsWrite(int fd, const void* buffer, std::size_t n);
// fsync: the file's bytes (or a folder's entries) reach the disk.
bool OsFlush(int fd);
// close; false when it reports an error.
bool OsClose(int fd);
// rename, replacing the target.
bool OsRename(const char* from, const char* to);
// unlinkat of a file (or symbolic link) or an empty folder.
bool OsDelete(int folderFd, const char* name, bool folder);

}  // namespace platform::posix
