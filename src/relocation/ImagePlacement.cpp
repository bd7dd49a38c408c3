#include "relocation/ImagePlacement.h"

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace relocation {
namespace {

// Highest branch number tried for a plain name.
constexpr int kMaxBranch = 99999;

// The path flattened into one file name: every separator and ":" becomes "_".
std::string FlattenedName(const std::string& path) {
  std::string name;
  name.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if (text::IsLeadByte(b) && i + 1 < path.size()) {
      name.append(path, i, 2);
      ++i;
    } else if (b == '\\' || b == '/' || b == ':') {
      name += '_';
    } else {
      name += path[i];
    }
  }
  return name;
}

}  // namespace

FileStamp GetFileStamp(const std::string& path) {
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  if (!platform::GetFileInfo(path, time, size)) return {};
  return {time, static_cast<std::uint32_t>(size)};
}

std::string MakeImageFileName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder) {
  if (nameWithPath) return FlattenedName(sourcePath);

  const FileStamp source = GetFileStamp(sourcePath);
  const std::string name = text::ExtractFileName(sourcePath);
  // the file already there is this image when its time and size match
  auto takes = [&](const std::string& candidate) {
    const std::string target = destinationFolder + candidate;
    return !platform::FileExists(target) || GetFileStamp(target) == source;
  };
  if (takes(name)) return name;
  const std::string ext = text::ExtractFileExt(name);
  const std::string stem = name.substr(0, name.size() - ext.size());
  std::string candidate;
  for (int n = 1; n <= kMaxBranch; ++n) {
    candidate = stem + "~" + std::to_string(n) + ext;
    if (takes(candidate)) return candidate;
  }
  return candidate;
}

bool FileCopy(const std::string& source, const std::string& target) {
  const platform::CopyOutcome outcome = platform::CopyFileContents(source, target);
  if (outcome == platform::CopyOutcome::SourceNotOpened) throw CopyError("cannot open the image file");
  if (platform::FileExists(target)) platform::SetArchiveOnly(target);
  return outcome == platform::CopyOutcome::Copied;
}

bool FileCopyKeepTime(const std::string& source, const std::string& target) {
  const bool whole = FileCopy(source, target);
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  if (platform::GetFileInfo(source, time, size)) platform::SetFileDosTime(target, time);
  return whole;
}

}  // namespace relocation
