#include "relocation/ImagePlacement.h"

#include <algorithm>
#include <memory>
#include <set>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace relocation {
namespace {

// Highest branch number tried.
constexpr int kMaxBranch = 99999;
// Times a copy is tried again after another run took its name meanwhile.
constexpr int kMaxPlaceAttempts = 100;
constexpr std::size_t kCompareBlock = 64 * 1024;

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

bool SameContents(const std::string& a, const std::string& b) {
  platform::InputFile first;
  platform::InputFile second;
  if (!first.Open(a) || !second.Open(b) || first.Size() != second.Size()) return false;
  const auto blockA = std::make_unique_for_overwrite<char[]>(kCompareBlock);
  const auto blockB = std::make_unique_for_overwrite<char[]>(kCompareBlock);
  for (;;) {
    const std::size_t gotA = first.Read(blockA.get(), kCompareBlock);
    const std::size_t gotB = second.Read(blockB.get(), kCompareBlock);
    if (first.Failed() || second.Failed() || gotA != gotB) return false;
    if (gotA == 0) return true;
    if (!std::equal(blockA.get(), blockA.get() + gotA, blockB.get())) return false;
  }
}

namespace {

// MakeImageFileName, passing over the names in `taken` (entries that are neither file nor
// folder, such as a dangling link, which a new file must not replace either).
std::string FindImageName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                          const std::set<std::string>& taken, bool* present) {
  if (present) *present = true;
  const std::string own = text::ExtractFileName(sourcePath);
  // an image in the destination folder already is where it belongs, under its own name
  if (platform::SameFile(sourcePath, destinationFolder + own)) return own;

  const FileStamp source = GetFileStamp(sourcePath);
  // a name is this image's when no file has it, or when its file is this image to the byte
  auto takes = [&](const std::string& candidate) {
    const std::string target = destinationFolder + candidate;
    if (platform::FileExists(target)) return GetFileStamp(target) == source && SameContents(sourcePath, target);
    if (platform::FolderExists(target) || taken.count(candidate) != 0) return false;
    if (present) *present = false;
    return true;
  };
  const std::string name = nameWithPath ? FlattenedName(sourcePath) : own;
  if (takes(name)) return name;
  const std::string ext = text::ExtractFileExt(name);
  const std::string stem = name.substr(0, name.size() - ext.size());
  for (int n = 1; n <= kMaxBranch; ++n) {
    const std::string candidate = stem + "~" + std::to_string(n) + ext;
    if (takes(candidate)) return candidate;
  }
  return "";
}

}  // namespace

std::string MakeImageFileName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                              bool* present) {
  return FindImageName(nameWithPath, sourcePath, destinationFolder, {}, present);
}

CopyResult FileCopy(const std::string& source, const std::string& target) {
  const platform::CopyOutcome outcome = platform::CopyFileContents(source, target);
  if (outcome == platform::CopyOutcome::SourceNotOpened) throw CopyError("cannot open the image file");
  if (outcome == platform::CopyOutcome::TargetExists) return CopyResult::NameTaken;
  if (platform::FileExists(target)) platform::SetArchiveOnly(target);
  return outcome == platform::CopyOutcome::Copied ? CopyResult::Whole : CopyResult::NotWhole;
}

CopyResult FileCopyKeepTime(const std::string& source, const std::string& target) {
  const CopyResult result = FileCopy(source, target);
  if (result == CopyResult::NameTaken) return result;
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  if (platform::GetFileInfo(source, time, size)) platform::SetFileDosTime(target, time);
  return result;
}

bool PlaceImage(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                std::string& fileName) {
  std::set<std::string> taken;
  for (int attempt = 0; attempt < kMaxPlaceAttempts; ++attempt) {
    bool present = false;
    fileName = FindImageName(nameWithPath, sourcePath, destinationFolder, taken, &present);
    if (fileName.empty()) return false;
    if (present) return true;
    try {
      switch (FileCopyKeepTime(sourcePath, destinationFolder + fileName)) {
        case CopyResult::Whole: return true;
        case CopyResult::NotWhole: return false;
        case CopyResult::NameTaken:
          // another run was quicker (look at its file again), or the name is not a file's
          if (!platform::FileExists(destinationFolder + fileName)) taken.insert(fileName);
          break;
      }
    } catch (const CopyError&) {
      return false;
    }
  }
  return false;
}

}  // namespace relocation
