#include "relocation/ImagePlacement.h"

#include <algorithm>
#include <memory>
#include <set>
#include <type_traits>

#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace relocation {
namespace {

// Highest branch number tried.
constexpr int kMaxBranch = 99999;
// Times a copy is tried again after another run took its name meanwhile.
constexpr int kMaxPlaceAttempts = 100;
constexpr std::size_t kCompareBlock = 64 * 1024;

// Everything below is written once for a path of Shift-JIS bytes and one of UTF-16 units.

template <class Path>
FileStamp StampOf(const Path& path) {
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  if (!platform::GetFileInfo(path, time, size)) return {};
  return {time, static_cast<std::uint32_t>(size)};
}

template <class Path>
bool SameBytes(const Path& a, const Path& b) {
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

using text::CharLength;

// A name's length as the text it goes into counts it: bytes, or characters for Shift-JIS
// that the text holds as UTF-16 units (one unit each); units for a name held as units.
std::size_t NameLength(const std::string& name, bool inCharacters) {
  return inCharacters ? static_cast<std::size_t>(text::CharCount(name)) : name.size();
}
std::size_t NameLength(const std::u16string& name, bool) { return name.size(); }

// stem + suffix + ext within the limits' length, as few whole characters dropped from the
// front of stem as make it fit; "" when not one of them is left.
template <class Path>
Path FitName(const Path& stem, const Path& suffix, const Path& ext, const NameLimits& limits) {
  const std::size_t fixed = NameLength(suffix, limits.inCharacters) + NameLength(ext, limits.inCharacters);
  std::size_t length = NameLength(stem, limits.inCharacters);
  if (length + fixed <= limits.length) return stem + suffix + ext;
  std::size_t from = 0;
  while (from < stem.size() && length + fixed > limits.length) {
    const std::size_t n = CharLength(stem, from);
    length -= NameLength(stem.substr(from, n), limits.inCharacters);
    from += n;
  }
  return from >= stem.size() ? Path() : stem.substr(from) + suffix + ext;
}

template <class Path>
Path FirstBranchedName(const Path& stem, const Path& ext, const NameLimits& limits,
                       const std::function<NameTurn(const Path&)>& turn) {
  for (int n = 0; n <= kMaxBranch; ++n) {
    // built by appending: GCC 12 misreads a concatenation with a temporary here (-Wrestrict)
    Path suffix;
    if (n > 0) {
      const std::string branch = std::to_string(n);
      suffix.push_back('~');
      suffix.append(branch.begin(), branch.end());
    }
    const Path candidate = FitName(stem, suffix, ext, limits);
    if (candidate.empty()) return Path();  // not one character of the stem fits
    switch (turn(candidate)) {
      case NameTurn::Take:
        return candidate;
      case NameTurn::Stop:
        return Path();
      case NameTurn::Next:
        break;
    }
  }
  return Path();
}

// MakeImageFileName within the limits, passing over the names in `taken` (entries that are
// neither file nor folder, such as a dangling link, which a new file must not replace either).
template <class Path>
Path FindImageName(bool nameWithPath, const Path& sourcePath, const Path& destinationFolder,
                   const std::set<Path>& taken, const NameLimits& limits, bool* present) {
  if (present) *present = true;
  const Path own = text::ExtractFileName(sourcePath);
  // the drawing's own name is taken before any image is placed, whatever the letter case
  const Path reserved = text::UpperCase(platform::InForm<Path>(limits.reserved));
  auto unreserved = [&reserved](const Path& candidate) {
    return reserved.empty() || text::UpperCase(candidate) != reserved;
  };
  // an image in the destination folder already is where it belongs, under its own name as
  // the file system holds it (a short name or another letter case is the reference's);
  // a name Windows would refuse is copied under one it takes
  if (platform::SameFile(sourcePath, destinationFolder + own)) {
    Path real = platform::RealFileName(sourcePath);
    if (real.empty()) real = own;
    if (FlattenedImageName(real) == real && unreserved(real) && NameLength(real, limits.inCharacters) <= limits.length) {
      return real;
    }
  }

  const FileStamp source = StampOf(sourcePath);
  // a name is this image's when no file has it, or when its file is this image to the byte
  auto takes = [&](const Path& candidate) {
    // a name shortened from the front can come out as a device's ("acon.bmp")
    if (!unreserved(candidate) || text::IsDeviceName(candidate)) return false;
    const Path target = destinationFolder + candidate;
    if (platform::FileExists(target)) return StampOf(target) == source && SameBytes(sourcePath, target);
    if (platform::FolderExists(target) || taken.count(candidate) != 0) return false;
    if (present) *present = false;
    return true;
  };
  // a plain name has no separator left: flattening it only clears what Windows forbids
  const Path name = FlattenedImageName(nameWithPath ? sourcePath : own);
  // the image's own extension, kept whole when the name is shortened
  const Path ownExt = text::ExtractFileExt(FlattenedImageName(own));
  const Path ext = name.ends_with(ownExt) ? ownExt : text::ExtractFileExt(name);
  const Path stem = name.substr(0, name.size() - ext.size());
  return FirstBranchedName<Path>(stem, ext, limits, [&](const Path& candidate) {
    return takes(candidate) ? NameTurn::Take : NameTurn::Next;
  });
}

template <class Path>
CopyResult CopyTo(const Path& source, const Path& target) {
  const platform::CopyOutcome outcome = platform::CopyFileContents(source, target);
  if (outcome == platform::CopyOutcome::SourceNotOpened) throw CopyError("cannot open the image file");
  if (outcome == platform::CopyOutcome::TargetExists) return CopyResult::NameTaken;
  if (platform::FileExists(target)) platform::SetArchiveOnly(target);
  return outcome == platform::CopyOutcome::Copied ? CopyResult::Whole : CopyResult::NotWhole;
}

template <class Path>
CopyResult CopyKeepingTime(const Path& source, const Path& target) {
  const CopyResult result = CopyTo(source, target);
  if (result == CopyResult::NameTaken) return result;
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  if (platform::GetFileInfo(source, time, size)) platform::SetFileDosTime(target, time);
  return result;
}

template <class Path>
bool Place(bool nameWithPath, const Path& sourcePath, const Path& destinationFolder, Path& fileName,
           const NameLimits& limits, bool* created) {
  if (created) *created = false;
  std::set<Path> taken;
  for (int attempt = 0; attempt < kMaxPlaceAttempts; ++attempt) {
    bool present = false;
    fileName = FindImageName(nameWithPath, sourcePath, destinationFolder, taken, limits, &present);
    if (fileName.empty()) return false;
    if (present) return true;
    try {
      switch (CopyKeepingTime(sourcePath, destinationFolder + fileName)) {
        case CopyResult::Whole:
          if (created) *created = true;
          return true;
        case CopyResult::NotWhole:
          // a copy cut short stays behind, this run's
          if (created) *created = platform::FileExists(destinationFolder + fileName);
          return false;
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

}  // namespace

std::string FlattenedImageName(const std::string& path) {
  std::string name;
  name.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if (text::IsLeadByte(b) && i + 1 < path.size()) {
      name.append(path, i, 2);
      ++i;
    } else if (b == '\\' || b == '/' || b == ':' || text::IsForbiddenInFileName(b)) {
      name += '_';
    } else {
      name += path[i];
    }
  }
  return name;
}

std::u16string FlattenedImageName(const std::u16string& path) {
  std::u16string name = path;
  std::replace_if(
      name.begin(), name.end(),
      [](char16_t u) { return u == u'\\' || u == u'/' || u == u':' || text::IsForbiddenInFileName(u); }, u'_');
  return name;
}

FileStamp GetFileStamp(const std::string& path) { return StampOf(path); }

bool SameContents(const std::string& a, const std::string& b) { return SameBytes(a, b); }

std::string MakeImageFileName(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                              bool* present) {
  return FindImageName(nameWithPath, sourcePath, destinationFolder, {}, NameLimits{}, present);
}

CopyResult FileCopy(const std::string& source, const std::string& target) { return CopyTo(source, target); }

CopyResult FileCopyKeepTime(const std::string& source, const std::string& target) {
  return CopyKeepingTime(source, target);
}

std::string BranchedName(const std::string& stem, const std::string& ext, const NameLimits& limits,
                         const std::function<NameTurn(const std::string&)>& turn) {
  return FirstBranchedName(stem, ext, limits, turn);
}

std::u16string BranchedName(const std::u16string& stem, const std::u16string& ext, const NameLimits& limits,
                            const std::function<NameTurn(const std::u16string&)>& turn) {
  return FirstBranchedName(stem, ext, limits, turn);
}

bool NameFits(const std::string& name, const NameLimits& limits) {
  return NameLength(name, limits.inCharacters) <= limits.length;
}

bool NameFits(const std::u16string& name, const NameLimits& limits) { return name.size() <= limits.length; }

bool PlaceImage(bool nameWithPath, const std::string& sourcePath, const std::string& destinationFolder,
                std::string& fileName, const NameLimits& limits, bool* created) {
  return Place(nameWithPath, sourcePath, destinationFolder, fileName, limits, created);
}

bool PlaceImage(bool nameWithPath, const std::u16string& sourcePath, const std::u16string& destinationFolder,
                std::u16string& fileName, const NameLimits& limits, bool* created) {
  return Place(nameWithPath, sourcePath, destinationFolder, fileName, limits, created);
}

}  // namespace relocation
