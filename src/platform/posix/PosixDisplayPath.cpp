#include "platform/Platform.h"
#include "platform/posix/PosixPath.h"

namespace platform {
namespace {

template <class Path>
std::string Existing(const Path& path) {
  std::string native;
  return posix::FindExisting(path, native) ? native : NativePathForDisplay(path);
}

}  // namespace

std::string ExistingPathForDisplay(const std::string& path) { return Existing(path); }

std::string ExistingPathForDisplay(const std::u16string& path) { return Existing(path); }

}  // namespace platform
