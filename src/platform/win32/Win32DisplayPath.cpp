#include "platform/Platform.h"

namespace platform {

// the system finds a file whatever the letter case of its path
std::string ExistingPathForDisplay(const std::string& path) { return NativePathForDisplay(path); }

std::string ExistingPathForDisplay(const std::u16string& path) { return NativePathForDisplay(path); }

}  // namespace platform
