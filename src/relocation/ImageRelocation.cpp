#include "relocation/ImageRelocation.h"

#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "relocation/ImageEmbedding.h"

#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"
#include "jww/ImageReference.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace relocation {

namespace {

// The auxiliary-line colour a switched-off reference takes.
constexpr std::uint16_t kAuxiliaryColor = 9;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }


// What one pass of relocation works with.
struct Pass {
  const std::string& drawingPath;
  const std::string& folder;
  const std::u16string folderUnits;  // the destination folder as UTF-16 units
  const RelocationOptions& options;
  CopiedImageTable& copied;
  std::int32_t& failedCopies;
  ImageEmbedder* embedder;  // set in the embed mode
  const std::string& drawingFileName;
  std::vector<SearchNote>& searched;

  const std::string& Destination(const std::string&) const { return folder; }
  const std::u16string& Destination(const std::u16string&) const { return folderUnits; }
};

// Where an image path led: the name its image lies under in the destination folder, or,
// when it was not found, the path it was looked for under.
template <class Path>
struct Outcome {
  bool found = false;
  Path text;
};

// The image's name may take `room` (in the text's own form); an image placed earlier under
// a name that fits is not placed again, one whose names are all too long gets another.
template <class Path>
Outcome<Path> RelocatePathAs(const Path& path, const Pass& pass, const NameLimits& limits) {
  bool exists = false;
  const Path resolved = ResolveImagePath(path, pass.drawingPath, &exists);
  if (!exists) return {false, resolved};
  if (const auto* copied = pass.copied.Find(resolved, limits)) return {true, copied->FileName};
  Path name;
  bool created = false;
  // the reference still names where the image should be; the caller learns of it (so too
  // of a destination whose name does not decode, which would make the copy elsewhere)
  const Path& destination = pass.Destination(path);
  const bool decoded = !destination.empty() || pass.folder.empty();
  if (!decoded || !PlaceImage(pass.options.NameWithPath, resolved, destination, name, limits, &created)) {
    ++pass.failedCopies;
  }
  if (created) pass.copied.NoteCreated(destination + name);
  pass.copied.Add(resolved, name);
  return {true, name};
}

Outcome<std::string> RelocatePath(const std::string& path, const Pass& pass, std::size_t room) {
  return RelocatePathAs(path, pass, {room, false, pass.drawingFileName});
}

Outcome<std::u16string> RelocatePath(const std::u16string& path, const Pass& pass, std::size_t room) {
  // a path with a Shift-JIS form is taken in it, so that references to one file in
  // either form meet in one table entry; its name then counts one unit a character
  std::string sjis;
  if (!platform::Utf16ToCp932(path, sjis)) return RelocatePathAs(path, pass, {room, false, pass.drawingFileName});
  const Outcome<std::string> outcome = RelocatePathAs(sjis, pass, {room, true, pass.drawingFileName});
  return {outcome.found, platform::InForm<std::u16string>(outcome.text)};
}

// Stores a reference built by the system: Shift-JIS bytes keep the string's form; units
// are held as Shift-JIS when they have the form.
void Store(jww::JwwString& s, std::string sjis) { s.bytes = std::move(sjis); }
void Store(jww::JwwString& s, const std::u16string& units) { s = jww::StringOfUnits(units); }

void SetPath(std::string& sjis, std::u16string&, const std::string& path) { sjis = path; }
void SetPath(std::string& sjis, std::u16string& units, const std::u16string& path) {
  if (!platform::Utf16ToCp932(path, sjis)) units = path;
}

// The path a reference's image is taken from: its own when the image lies there; else
// the file the run's search finds, noted, which is then placed as if the reference named
// it. A tie is noted and leaves the reference as it is.
template <class Text>
Text LocatedPath(const Text& path, const Pass& pass) {
  const ImageSearch* search = pass.options.Search;
  if (search == nullptr || !search->Options().Active()) return path;
  bool exists = false;
  ResolveImagePath(path, pass.drawingPath, &exists);
  if (exists) return path;
  const SearchOutcome outcome = search->Find(path, pass.drawingPath);
  if (outcome.What == SearchOutcome::Kind::NotFound) return path;
  Text found;
  if (outcome.What == SearchOutcome::Kind::Found) {
    if constexpr (std::is_same_v<Text, std::string>) {
      found = outcome.Path;  // a Shift-JIS path's search finds Shift-JIS paths
    } else {
      found = outcome.Path.empty() ? outcome.Units : platform::InForm<std::u16string>(outcome.Path);
    }
    if (found.empty()) return path;
  }
  const bool tie = outcome.What == SearchOutcome::Kind::Tie;
  SearchNote note;
  SetPath(note.Reference, note.ReferenceUnits, path);
  note.Tie = tie;
  note.File = outcome.Path;
  note.FileUnits = outcome.Units;
  note.Candidates = outcome.Candidates.size();
  pass.searched.push_back(std::move(note));
  return tie ? path : found;
}

template <class Text>
void RelocateReference(jww::TEntJwwText& t, const jww::BasicImageReference<Text>& original, const Pass& pass,
                       std::int32_t& found, std::int32_t& missing) {
  if (original.kind != jww::ReferenceKind::Image) return;
  jww::BasicImageReference<Text> ref = original;
  ref.path = LocatedPath(ref.path, pass);
  if (pass.embedder) {
    bool exists = false;
    const Text resolved = ResolveImagePath(ref.path, pass.drawingPath, &exists);
    if (exists) {
      if (pass.embedder->Embed(resolved, ref.tail, t.Text) == EmbedResult::Failed) ++pass.failedCopies;
      ++found;
      return;
    }
  }
  // the placement values are never cut: the name gives way
  const std::size_t fixed = jww::ReferencePrefix(jww::ReferenceKind::Image).size() + ref.tail.size();
  const Outcome<Text> outcome =
      RelocatePath(ref.path, pass, fixed < kMaxReferenceLength ? kMaxReferenceLength - fixed : 0);
  if (outcome.found) {
    Store(t.Text, RewrittenReference(ref, outcome.text));
    ++found;
    return;
  }
  if (pass.options.DisableMissingImages) {
    Store(t.Text, DisabledReference(ref, outcome.text));
    t.TextType = 0;
    t.PenColor = kAuxiliaryColor;
  }
  ++missing;
}

void RelocateText(jww::TEntJwwText& t, const Pass& pass, std::int32_t& found, std::int32_t& missing) {
  jww::WithImageReference(t.Text, [&](const auto& ref) { RelocateReference(t, ref, pass, found, missing); });
}

// "C:a.bmp": a drive with no root after it names a file under whatever folder some process
// has current on that drive, which the drawing cannot know
template <class Path>
bool IsDriveRelative(const Path& path) {
  return path.size() >= 2 && path[1] == ':' && (path.size() == 2 || (path[2] != '\\' && path[2] != '/'));
}

// Units in the character starting at s[i]: a Shift-JIS double-byte character is one, so
// that its second byte is never taken for a separator.
std::size_t CharLength(const std::string& s, std::size_t i) {
  return text::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}
std::size_t CharLength(const std::u16string&, std::size_t) { return 1; }

template <class Path>
bool IsSeparatorAt(const Path& s, std::size_t i) {
  return s[i] == '\\' || s[i] == '/';
}

// The end of the part of a path that ".." never climbs out of: "\\server\share\", "C:\",
// "\", or nothing in a relative path.
template <class Path>
std::size_t RootLength(const Path& path) {
  if (path.size() >= 2 && IsSeparatorAt(path, 0) && IsSeparatorAt(path, 1)) {
    std::size_t at = 2;
    for (int part = 0; part < 2; ++part) {
      while (at < path.size() && !IsSeparatorAt(path, at)) at += CharLength(path, at);
      if (at < path.size()) ++at;
    }
    return at;
  }
  // 0x3A is never the second byte of a double-byte character
  if (path.size() >= 2 && path[1] == ':') {
    return path.size() > 2 && IsSeparatorAt(path, 2) ? 3 : 2;
  }
  return !path.empty() && IsSeparatorAt(path, 0) ? 1 : 0;
}

// The path with its "." and ".." folders folded out, as the system itself reads it;
// everything else, separators included, stays as written.
template <class Path>
Path FoldDotSegments(const Path& path) {
  const std::size_t root = RootLength(path);
  // most paths have no dot folder: they are given back as they are
  bool dots = false;
  for (std::size_t at = root; at < path.size() && !dots;) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparatorAt(path, end)) end += CharLength(path, end);
    dots = (end - at == 1 || end - at == 2) && path[at] == '.' && path[end - 1] == '.';
    at = end + 1;
  }
  if (!dots) return path;
  // each folder with the separator after it
  std::vector<Path> parts;
  auto named = [](const Path& part, const char* name) {
    const std::size_t length = part.size() - (!part.empty() && IsSeparatorAt(part, part.size() - 1) ? 1 : 0);
    return part.compare(0, length, text::Ascii<Path>(name)) == 0 && length == std::char_traits<char>::length(name);
  };
  for (std::size_t at = root; at < path.size();) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparatorAt(path, end)) end += CharLength(path, end);
    if (end < path.size()) ++end;
    const Path part = path.substr(at, end - at);
    at = end;
    if (named(part, ".")) continue;
    if (named(part, "..")) {
      // empty folders ("a\\") are one separator to the system
      while (!parts.empty() && named(parts.back(), "")) parts.pop_back();
      if (!parts.empty() && !named(parts.back(), "..")) {
        parts.pop_back();
        continue;
      }
      if (root > 0) continue;  // nothing above the root
    }
    parts.push_back(part);
  }
  Path folded = path.substr(0, root);
  for (const Path& part : parts) folded += part;
  return folded;
}

template <class Path>
Path Resolve(const Path& path, const std::string& drawingPath, bool* exists) {
  // a relative path is taken from the drawing's folder, never from the working folder
  const bool absolute = text::IsAbsolutePath(path);
  const std::string folder = text::ExtractFilePath(drawingPath);
  const Path folderInForm = platform::InForm<Path>(folder);
  // one image reached through "." or ".." is one file, whatever the spelling
  const Path resolved = FoldDotSegments(absolute ? path : folderInForm + path);
  // a drawing read from memory has no folder of its own, nor one whose name does not
  // decode; a device is never an image
  if (exists) {
    *exists = (absolute || (!drawingPath.empty() && (folder.empty() || !folderInForm.empty()))) &&
              !IsDriveRelative(path) &&
              !text::IsDeviceName(text::ExtractFileName(resolved)) && platform::FileExists(resolved);
  }
  return resolved;
}

}  // namespace

template <class Path>
const BasicCopiedImage<Path>* CopiedImageTable::FindIn(const Entries<Path>& entries, const Path& sourcePath,
                                                       const NameLimits* limits) {
  const auto it = entries.index.find(text::UpperCase(sourcePath));
  if (it == entries.index.end()) return nullptr;
  for (std::size_t i = it->second.first; i != std::string::npos; i = entries.next[i]) {
    if (!limits || NameFits(entries.entries[i].FileName, *limits)) return &entries.entries[i];
  }
  return nullptr;
}

template <class Path>
void CopiedImageTable::AddTo(Entries<Path>& entries, const Path& sourcePath, const Path& fileName) {
  const std::size_t added = entries.entries.size();
  entries.entries.push_back({sourcePath, fileName});
  entries.next.push_back(std::string::npos);
  const auto [it, first] = entries.index.try_emplace(text::UpperCase(sourcePath), added, added);
  if (!first) {
    entries.next[it->second.second] = added;
    it->second.second = added;
  }
}

const CopiedImage* CopiedImageTable::Find(const std::string& sourcePath) const {
  return FindIn(sjis_, sourcePath, nullptr);
}

const Utf16CopiedImage* CopiedImageTable::Find(const std::u16string& sourcePath) const {
  return FindIn(units_, sourcePath, nullptr);
}

const CopiedImage* CopiedImageTable::Find(const std::string& sourcePath, const NameLimits& limits) const {
  return FindIn(sjis_, sourcePath, &limits);
}

const Utf16CopiedImage* CopiedImageTable::Find(const std::u16string& sourcePath, const NameLimits& limits) const {
  return FindIn(units_, sourcePath, &limits);
}

void CopiedImageTable::Add(const std::string& sourcePath, const std::string& fileName) {
  AddTo(sjis_, sourcePath, fileName);
}

void CopiedImageTable::Add(const std::u16string& sourcePath, const std::u16string& fileName) {
  AddTo(units_, sourcePath, fileName);
}

void CopiedImageTable::NoteCreated(const std::string& path) { sjis_.created.push_back(path); }

void CopiedImageTable::NoteCreated(const std::u16string& path) { units_.created.push_back(path); }

void CopiedImageTable::RemoveCreatedFiles() {
  for (const std::string& path : sjis_.created) platform::RemoveFile(path);
  for (const std::u16string& path : units_.created) platform::RemoveFile(path);
  sjis_.created.clear();
  units_.created.clear();
}

void CopiedImageTable::clear() {
  sjis_ = {};
  units_ = {};
}

std::string ResolveImagePath(const std::string& path, const std::string& drawingPath, bool* exists) {
  return Resolve(path, drawingPath, exists);
}

std::u16string ResolveImagePath(const std::u16string& path, const std::string& drawingPath, bool* exists) {
  return Resolve(path, drawingPath, exists);
}

std::string CutReference(const std::string& s) {
  if (s.size() <= kMaxReferenceLength) return s;
  std::size_t end = 0;
  while (end < s.size()) {
    const std::size_t next = end + (text::IsLeadByte(static_cast<unsigned char>(s[end])) ? 2 : 1);
    if (next > kMaxReferenceLength) break;
    end = next;
  }
  return s.substr(0, end);
}

std::u16string CutReference(const std::u16string& s) {
  if (s.size() <= kMaxReferenceLength) return s;
  // the last unit kept must not be the first half of a pair
  const std::size_t end = IsHighSurrogate(s[kMaxReferenceLength - 1]) ? kMaxReferenceLength - 1 : kMaxReferenceLength;
  return s.substr(0, end);
}

std::string RewrittenReference(const jww::ImageReference& ref, const std::string& fileName) {
  return CutReference(jww::ReferenceText(jww::ReferenceKind::Image, fileName, ref.tail));
}

std::u16string RewrittenReference(const jww::Utf16ImageReference& ref, const std::u16string& fileName) {
  return CutReference(jww::ReferenceText(jww::ReferenceKind::Image, fileName, ref.tail));
}

std::string DisabledReference(const jww::ImageReference& ref, const std::string& resolvedPath) {
  return CutReference(jww::ReferenceText(jww::ReferenceKind::Disabled, resolvedPath, ref.tail));
}

std::u16string DisabledReference(const jww::Utf16ImageReference& ref, const std::u16string& resolvedPath) {
  return CutReference(jww::ReferenceText(jww::ReferenceKind::Disabled, resolvedPath, ref.tail));
}

void RelocateImages(jww::TJwwData& drawing, const std::string& sourceDrawingPath, const std::string& destinationFolder,
                    const RelocationOptions& options, CopiedImageTable& copiedImages, RelocationCounters& counters,
                    const std::string& drawingFileName) {
  // stored images are checked before anything is written, and written out after the
  // copies, so that the walks never take their new references for ordinary ones
  ImageSeparator separator;
  if (options.Mode == ImageMode::Separate && !separator.Prepare(drawing)) {
    ++counters.FailedCopyCount;
    return;
  }
  std::optional<ImageEmbedder> embedder;
  if (options.Mode == ImageMode::Embed) embedder.emplace(drawing, copiedImages);
  const Pass pass{sourceDrawingPath,
                  destinationFolder,
                  platform::InForm<std::u16string>(destinationFolder),
                  options,
                  copiedImages,
                  counters.FailedCopyCount,
                  embedder ? &*embedder : nullptr,
                  drawingFileName,
                  counters.Searched};
  for (jww::TEntJwwText& t : drawing.Texts) RelocateText(t, pass, counters.ImageTextCount, counters.MissingImageCount);
  for (jww::TEntJwwBlockDef& def : drawing.BlockDefs) {
    for (jww::TEntJwwText& t : def.Texts) {
      RelocateText(t, pass, counters.BlockImageTextCount, counters.BlockMissingImageCount);
    }
  }
  if (options.Mode == ImageMode::Separate &&
      !separator.Place(drawing, destinationFolder, copiedImages, counters, drawingFileName)) {
    ++counters.FailedCopyCount;
  }
}

}  // namespace relocation
