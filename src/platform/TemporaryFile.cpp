#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace platform {
namespace {

// Names tried for the temporary file of a save.
constexpr int kMaxTempNames = 100;

// A number to start the names from; runs saving into one folder at once start apart.
std::uint32_t FirstNumber() {
  try {
    return std::random_device{}();
  } catch (...) {
    return 0;
  }
}

}  // namespace

bool OutputFile::CreateTemporaryFor(const std::string& target, std::string& temp) {
  // "~" + eight hex digits + ".qvtmp": short, so that whatever name the folder allows the
  // target, the temporary file's fits beside it
  const std::string folder = text::ExtractFilePath(target);
  const std::uint32_t first = FirstNumber();
  for (int n = 0; n < kMaxTempNames; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "~%08x", static_cast<unsigned>(first + static_cast<std::uint32_t>(n)));
    temp = folder + name + ".qvtmp";
    if (Create(temp, true)) return true;
    if (!NameTaken()) return false;
  }
  return false;
}

bool ReplaceFileContents(const std::string& path, const std::function<bool(OutputFile&)>& write) {
  // a link is followed to the file it stands for; a read-only file is not replaced
  std::string target;
  std::string temp;
  OutputFile out;
  try {
    if (!FindSaveTarget(path, target) || !out.CreateTemporaryFor(target, temp)) return false;
  } catch (...) {
    return false;
  }
  bool ok = false;
  try {
    ok = write(out) && !out.Failed() && out.Flush();
  } catch (...) {
    ok = false;
  }
  if (!out.Close()) ok = false;
  if (ok) ok = MoveIntoPlace(temp, target);
  if (!ok) RemoveFile(temp);
  return ok;
}

}  // namespace platform
