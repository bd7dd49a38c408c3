#include "relocation/ImageSearch.h"

#include <type_traits>
#include <utility>

#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace relocation {
namespace {

template <class Unit>
bool IsSeparator(Unit c) {
  return c == Unit('\\') || c == Unit('/');
}

// The names a path is made of, its drive left out ("C:\a\b.bmp" gives a, b.bmp).
template <class Path>
std::vector<Path> Components(const Path& path) {
  using Unit = typename Path::value_type;
  std::vector<Path> names;
  Path name;
  std::size_t i = path.size() >= 2 && path[1] == Unit(':') ? 2 : 0;
  while (i < path.size()) {
    std::size_t length = 1;
    if constexpr (std::is_same_v<Path, std::string>) {
      if (text::IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) length = 2;
    }
    if (length == 1 && IsSeparator(path[i])) {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
    } else {
      name.append(path, i, length);
    }
    i += length;
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

template <class Path>
bool IsDotName(const Path& name) {
  return name == text::Ascii<Path>(".") || name == text::Ascii<Path>("..");
}

// How many of the last components make a path that can be looked for elsewhere: none
// after a "." or "..", which only mean something where the reference was made.
template <class Path>
std::size_t UsableTail(const std::vector<Path>& components) {
  std::size_t n = 0;
  while (n < components.size() && !IsDotName(components[components.size() - 1 - n])) ++n;
  return n;
}

// The drawing's folder and each folder above it, up to the root.
std::vector<std::string> FoldersUp(const std::string& drawingPath) {
  std::vector<std::string> folders;
  std::string folder = text::ExtractFilePath(drawingPath);
  while (!folder.empty()) {
    folders.push_back(folder);
    if (folder.size() <= 1) break;
    const std::string parent = text::ExtractFilePath(folder.substr(0, folder.size() - 1));
    // a drive ("C:") or the two backslashes of a network path are no folder
    if (parent.size() >= folder.size() || parent.back() == ':' || parent == "\\\\") break;
    folder = parent;
  }
  return folders;
}

// An image file is found under the path (a device never is one).
template <class Path>
bool ImageExists(const Path& path) {
  return !text::IsDeviceName(text::ExtractFileName(path)) && platform::FileExists(path);
}

SearchOutcome FoundAt(const std::string& path) { return {SearchOutcome::Kind::Found, path, {}, {}}; }

SearchOutcome FoundAt(const std::u16string& units) {
  std::string sjis;
  if (platform::Utf16ToCp932(units, sjis)) return FoundAt(sjis);
  return {SearchOutcome::Kind::Found, {}, units, {}};
}

// The near rule: the longest tail of the reference's path that lies under the drawing's
// folder or one above it, the nearest folder first; the bare name only beside the drawing.
template <class Path>
SearchOutcome Near(const std::vector<Path>& components, const std::string& drawingPath) {
  const std::size_t usable = UsableTail(components);
  if (usable == 0) return {};
  const std::vector<std::string> folders = FoldersUp(drawingPath);
  for (std::size_t k = usable; k >= 1; --k) {
    Path tail;
    for (std::size_t i = components.size() - k; i < components.size(); ++i) {
      if (!tail.empty()) tail.push_back('\\');
      tail += components[i];
    }
    for (const std::string& folder : folders) {
      const Path inForm = platform::InForm<Path>(folder);
      if (inForm.empty()) continue;
      const Path candidate = inForm + tail;
      if (ImageExists(candidate)) return FoundAt(candidate);
      if (k == 1) break;
    }
  }
  return {};
}

std::vector<std::string> InShiftJis(const std::vector<std::u16string>& components) {
  std::vector<std::string> sjis(components.size());
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (!platform::Utf16ToCp932(components[i], sjis[i])) sjis[i].clear();
  }
  return sjis;
}

}  // namespace

ImageSearch::ImageSearch(SearchOptions options) : options_(std::move(options)) {}

void ImageSearch::AddFile(const std::string& path) {
  const std::string folder = text::ExtractFilePath(path);
  if (folders_.empty() || folders_.back() != folder) folders_.push_back(folder);
  const auto index = static_cast<std::uint32_t>(files_.size());
  files_.push_back({static_cast<std::uint32_t>(folders_.size() - 1), text::ExtractFileName(path)});
  byName_[text::UpperCase(files_.back().name)].push_back(index);
}

std::size_t ImageSearch::Nearness(const IndexedFile& file, const std::vector<std::string>& components) const {
  const std::vector<std::string> folders = Components(folders_[file.folder]);
  std::size_t n = 0;
  // the reference's folders are all its components but the file name
  while (n + 1 < components.size() && n < folders.size()) {
    const std::string& wanted = components[components.size() - 2 - n];
    if (wanted.empty() || IsDotName(wanted) ||
        text::UpperCase(wanted) != text::UpperCase(folders[folders.size() - 1 - n])) {
      break;
    }
    ++n;
  }
  return n;
}

SearchOutcome ImageSearch::ByName(const std::vector<std::string>& components) const {
  if (components.empty() || components.back().empty()) return {};
  const auto it = byName_.find(text::UpperCase(components.back()));
  if (it == byName_.end()) return {};
  std::vector<std::uint32_t> nearest;
  std::size_t best = 0;
  for (const std::uint32_t i : it->second) {
    const std::size_t n = Nearness(files_[i], components);
    if (nearest.empty() || n > best) {
      nearest.clear();
      best = n;
    }
    if (n == best) nearest.push_back(i);
  }
  auto pathOf = [this](std::uint32_t i) { return folders_[files_[i].folder] + files_[i].name; };
  // files with the same bytes are one image, wherever they lie
  const std::string first = pathOf(nearest.front());
  bool alike = true;
  for (std::size_t i = 1; i < nearest.size() && alike; ++i) alike = SameContents(first, pathOf(nearest[i]));
  if (alike) return FoundAt(first);
  SearchOutcome tie{SearchOutcome::Kind::Tie, {}, {}, {}};
  for (const std::uint32_t i : nearest) tie.Candidates.push_back(pathOf(i));
  return tie;
}

SearchOutcome ImageSearch::Find(const std::string& referencePath, const std::string& drawingPath) const {
  const std::vector<std::string> components = Components(referencePath);
  if (options_.Near) {
    SearchOutcome near = Near(components, drawingPath);
    if (near.What == SearchOutcome::Kind::Found) return near;
  }
  return ByName(components);
}

SearchOutcome ImageSearch::Find(const std::u16string& referencePath, const std::string& drawingPath) const {
  const std::vector<std::u16string> components = Components(referencePath);
  if (options_.Near) {
    SearchOutcome near = Near(components, drawingPath);
    if (near.What == SearchOutcome::Kind::Found) return near;
  }
  return ByName(InShiftJis(components));
}

}  // namespace relocation
