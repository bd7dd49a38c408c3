// Placing an image file in the destination folder: the name it gets and the copy.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace relocation {

// A file's stamp: packed DOS local modification time and the low 32 bits of its size.
struct FileStamp {
  std::uint32_t time = 0;
  std::uint32_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

// Raised when the source of a copy cannot be opened.
class CopyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The stamp of a file; (0, 0) when nothing is found.
FileStamp GetFileStamp(const std::string& path);
// The name (no folder) under which an image lies in the destination folder: the whole
// path flattened into one name, or the plain name with a branch number "~n" when a
// different file of that name is already there.
std::string MakeImageFileName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder);
// Copies a file byte for byte; a failing target is deleted, a write that takes fewer
// bytes than given ends the copy and keeps the shorter target, a source that cannot be
// opened raises CopyError. The copy is never read-only. True when the copy is whole.
bool FileCopy(const std::string& source, const std::string& target);
// FileCopy, then the target gets the source's modification time.
bool FileCopyKeepTime(const std::string& source, const std::string& target);

}  // namespace relocation
