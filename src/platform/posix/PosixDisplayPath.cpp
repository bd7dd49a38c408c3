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

std::string ExistingPathForDisplay(const PathRef& path) {
  return path.Visit([](const auto& p) { return Existing(p); });
}

}  // namespace platform
