#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace platform {
namespace {

// Names tried for the temporary file of a save.
constexpr int kMaxTempNames = 100;

}  // namespace

bool OutputFile::CreateTemporaryFor(const std::string& target, std::string& temp) {
  // "~name.qvtmp", then "~name.1.qvtmp" ...: another run may be saving a file of that name
  const std::string stem = text::ExtractFilePath(target) + "~" + text::ExtractFileName(target);
  for (int n = 0; n < kMaxTempNames; ++n) {
    temp = stem;
    if (n > 0) temp.append(".").append(std::to_string(n));
    temp += ".qvtmp";
    if (Create(temp, true)) return true;
    if (!NameTaken()) return false;
  }
  return false;
}

}  // namespace platform
