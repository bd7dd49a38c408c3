// The images a drawing stores inside itself: extracted into the document's scratch
// folder as the drawing is read, written back from there when still referred to.
#include "jww/ImageStore.h"

#include <algorithm>
#include <vector>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/ImageReference.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace jww {
namespace {

// The smallest embedded image entry: empty name and its size.
constexpr std::uint64_t kMinImageBytes = 1 + 4;
constexpr std::size_t kCopyBlock = 64 * 1024;

template <class Name>
bool EndsWithGz(const Name& name) {
  return name.size() >= 3 && text::UpperCase(name.substr(name.size() - 3)) == text::Ascii<Name>(".GZ");
}

// Calls f with an image's name in the form it is held in: Shift-JIS bytes or UTF-16 units.
template <class F>
decltype(auto) WithName(const JwwString& name, F&& f) {
  return name.IsSjis() ? f(name.bytes) : f(name.Units());
}

// The scratch folder in the form of the name put after it.
const std::string& FolderFor(const std::string& folder, const std::string&) { return folder; }
std::u16string FolderFor(const std::string& folder, const std::u16string&) {
  std::u16string units;
  platform::Cp932ToUtf16(folder, units);
  return units;
}

// Calls f with the path of an image's file in the scratch folder, in the form of its name.
template <class F>
decltype(auto) WithScratchPath(const std::string& folder, const JwwString& name, F&& f) {
  return WithName(name, [&](const auto& n) { return f(FolderFor(folder, n) + n); });
}

// The name an embedded-image text refers to; empty for any other text.
template <class Text>
Text EmbeddedName(const Text& s) {
  const BasicImageReference<Text> ref = ParseImageReference(s);
  return ref.kind == ReferenceKind::Embedded ? ref.path : Text();
}

// A string's UTF-16 units whatever its form ("" for bytes with no Unicode form).
std::u16string AllUnits(const JwwString& s) {
  if (!s.IsSjis()) return s.Units();
  std::u16string units;
  platform::Cp932ToUtf16(s.bytes, units);
  return units;
}

// An ASCII lower-case letter upper-cased; any other byte or unit as it is.
template <class Char>
Char UpperAscii(Char c) {
  return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

// True when name, its ASCII letters upper-cased as text::UpperCase does, begins with upper;
// compared in place, as every text of a drawing is looked up among all its images.
bool BeginsWithUpper(const std::string& name, const std::string& upper) {
  if (name.size() < upper.size()) return false;
  // the names of one drawing share long folder prefixes: a look from the end, each byte
  // taken as it is or upper-cased, tells most apart before the walk that knows characters
  for (std::size_t i = upper.size(); i-- > 0;) {
    if (name[i] != upper[i] && UpperAscii(name[i]) != upper[i]) return false;
  }
  for (std::size_t i = 0; i < upper.size(); ++i) {
    auto c = static_cast<unsigned char>(name[i]);
    if (text::IsLeadByte(c) && i + 1 < name.size()) {
      // a double-byte character stays as it is
      if (name[i] != upper[i] || (i + 1 < upper.size() && name[i + 1] != upper[i + 1])) return false;
      ++i;
      continue;
    }
    if (UpperAscii(c) != static_cast<unsigned char>(upper[i])) return false;
  }
  return true;
}
bool BeginsWithUpper(const std::u16string& name, const std::u16string& upper) {
  if (name.size() < upper.size()) return false;
  // from the end, for the same reason
  for (std::size_t i = upper.size(); i-- > 0;) {
    if (UpperAscii(name[i]) != upper[i]) return false;
  }
  return true;
}

}  // namespace

bool IsPlainFileName(const JwwString& name) {
  if (!name.IsSjis()) {
    // each unit stands for itself: no separator hides inside another character
    const std::u16string units = name.Units();
    if (units.empty() || units == u"." || units == u".." || text::IsDeviceName(units)) return false;
    return std::none_of(units.begin(), units.end(), [](char16_t u) {
      return u == u'\\' || u == u'/' || u == u':' || text::IsForbiddenInFileName(u);
    });
  }
  // nor a device or a name Windows refuses, so that a drawing reads alike on every platform
  if (name.bytes.empty() || name.bytes == "." || name.bytes == ".." || text::IsDeviceName(name.bytes)) return false;
  // a separator anywhere (outside a double-byte character) would reach another folder
  const std::string& s = name.bytes;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (text::IsLeadByte(b)) {
      ++i;
      continue;
    }
    if (b == '\\' || b == '/' || b == ':' || text::IsForbiddenInFileName(b)) return false;
  }
  return true;
}

void ImageStore::DeleteExtractedFiles() {
  for (const TBindImageType& image : images_) {
    if (!IsPlainFileName(image.Name)) continue;
    WithName(image.Name, [this](const auto& name) {
      const auto path = FolderFor(tempFolder_, name) + name;
      if (EndsWithGz(name) && platform::FileExists(path)) platform::RemoveFile(path);
    });
  }
}

void ImageStore::DeleteUnpackedFiles() {
  for (const TBindImageType& image : images_) {
    if (!IsPlainFileName(image.Name)) continue;
    WithName(image.Name, [this](auto name) {
      if (EndsWithGz(name)) name.resize(name.size() - 3);
      if (name.empty()) return;
      const auto path = FolderFor(tempFolder_, name) + name;
      if (platform::FileExists(path)) platform::RemoveFile(path);
    });
  }
}

std::int32_t ImageStore::FindEmbeddedImage(const JwwString& text) const {
  // the name keeps the text's form
  if (text.IsSjis()) {
    const std::string name = EmbeddedName(text.bytes);
    return name.empty() ? -1 : FindEmbeddedImageByName(JwwString(name, text.form));
  }
  const std::u16string name = EmbeddedName(text.Units());
  return name.empty() ? -1 : FindEmbeddedImageByName(JwwString(BytesOf(name), StringForm::Utf16));
}

std::int32_t ImageStore::FindEmbeddedImageByName(const JwwString& ref) const {
  // compared as Shift-JIS bytes when both have that form, else as UTF-16 units
  const std::string sjisRef = ref.IsSjis() ? text::UpperCase(ref.bytes) : std::string();
  const std::u16string unitsRef = ref.IsSjis() ? AllUnits(JwwString(sjisRef)) : text::UpperCase(ref.Units());
  if (sjisRef.empty() && unitsRef.empty()) return -1;
  for (std::size_t i = 0; i < images_.size(); ++i) {
    const JwwString& name = images_[i].Name;
    const bool named = name.IsSjis() && !sjisRef.empty() ? BeginsWithUpper(name.bytes, sjisRef)
                                                         : !unitsRef.empty() && BeginsWithUpper(AllUnits(name), unitsRef);
    if (named) return static_cast<std::int32_t>(i);
  }
  return -1;
}

bool ImageStore::HoldsFile(const std::string& name) const {
  return platform::FileExists(FolderFor(tempFolder_, name) + name);
}

bool ImageStore::HoldsFile(const std::u16string& name) const {
  return platform::FileExists(FolderFor(tempFolder_, name) + name);
}

bool ImageStore::Add(const JwwString& name, const Source& source) {
  if (tempFolder_.empty() || !IsPlainFileName(name)) return false;
  platform::OutputFile out;
  if (!WithScratchPath(tempFolder_, name, [&out](const auto& path) { return out.Create(path); })) return false;
  std::uint64_t size = 0;
  bool ok = source([&out, &size](const unsigned char* data, std::size_t n) {
    size += n;
    return out.Write(data, n) == n && !out.Failed();
  });
  if (!out.Close()) ok = false;
  // an entry is written from its file like every other, and its size is stored as 32 bits
  if (!ok || size > 0x7FFFFFFF) {
    WithScratchPath(tempFolder_, name, [](const auto& path) { platform::RemoveFile(path); });
    return false;
  }
  TBindImageType image;
  image.Name = name;
  image.Size = static_cast<std::int32_t>(size);
  images_.push_back(image);
  return true;
}

bool ImageStore::Open(std::size_t index, platform::InputFile& in) const {
  if (tempFolder_.empty() || index >= images_.size() || !IsPlainFileName(images_[index].Name)) return false;
  return WithScratchPath(tempFolder_, images_[index].Name, [&in](const auto& path) { return in.Open(path); });
}

void ImageStore::Read(ArchiveReader& ar, const Watcher& watcher) {
  ClearEmbeddedImages();
  const std::uint64_t countAt = ar.Position();
  const std::int32_t count = ar.ReadI32();
  if (count <= 0) return;
  ar.CheckFits(static_cast<std::uint32_t>(count), kMinImageBytes, "embedded image count", countAt);
  images_.resize(static_cast<std::size_t>(count));
  std::vector<unsigned char> block(kCopyBlock);
  for (std::size_t index = 0; index < images_.size(); ++index) {
    TBindImageType& image = images_[index];
    image.Name = ar.ReadCleanString();
    const std::uint64_t sizeAt = ar.Position();
    image.Size = ar.ReadI32();
    const std::string ordinal = "embedded image " + std::to_string(index + 1);
    if (image.Size < 0) ar.Fail(ordinal + " has a negative size", sizeAt);
    ar.CheckFits(static_cast<std::uint32_t>(image.Size), 1, "size of " + ordinal, sizeAt);
    std::uint64_t left = static_cast<std::uint32_t>(image.Size);
    if (left == 0) continue;
    // only a plain name inside the scratch folder is ever written to disk
    platform::OutputFile out;
    const auto remove = [this, &image] {
      WithScratchPath(tempFolder_, image.Name, [](const auto& path) { platform::RemoveFile(path); });
    };
    bool extracting = !tempFolder_.empty() && IsPlainFileName(image.Name) &&
                      WithScratchPath(tempFolder_, image.Name, [&out](const auto& path) { return out.Create(path); });
    try {
      while (left > 0) {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        ar.ReadBytes(block.data(), take);
        left -= take;
        if (watcher) watcher(index, block.data(), take);
        if (extracting && out.Write(block.data(), take) != take) {
          // a failed extraction is dropped; the reader stays in step with the file
          out.Close();
          remove();
          extracting = false;
        }
      }
    } catch (...) {
      if (extracting) {
        out.Close();
        remove();
      }
      throw;
    }
    if (extracting && !out.Close()) remove();
  }
}

std::vector<std::size_t> ImageStore::Referenced(const std::vector<const RecordArray<TEntJwwText>*>& texts) const {
  std::vector<bool> referred(images_.size());
  for (const RecordArray<TEntJwwText>* list : texts) {
    for (const TEntJwwText& t : *list) {
      const std::int32_t found = FindEmbeddedImage(t.Text);
      if (found >= 0) referred[static_cast<std::size_t>(found)] = true;
    }
  }
  std::vector<std::size_t> entries;
  for (std::size_t i = 0; i < images_.size(); ++i) {
    // an empty image was never extracted
    if (referred[i] && images_[i].Size != 0) entries.push_back(i);
  }
  return entries;
}

void ImageStore::Write(ArchiveWriter& ar, const std::vector<std::size_t>& entries) const {
  for (std::size_t i : entries) {
    // an image still referred to must not vanish from the drawing
    if (!IsPlainFileName(images_[i].Name) ||
        !WithScratchPath(tempFolder_, images_[i].Name, [](const auto& path) { return platform::FileExists(path); })) {
      throw ArchiveError("embedded image missing from the scratch folder");
    }
  }
  ar.WriteI32(static_cast<std::int32_t>(entries.size()));
  std::vector<unsigned char> block(kCopyBlock);
  for (std::size_t i : entries) {
    const TBindImageType& image = images_[i];
    ar.WriteString(image.Name);
    platform::InputFile in;
    if (!Open(i, in) || in.Size() > 0x7FFFFFFF) throw ArchiveError("embedded image cannot be read back");
    const std::uint64_t size = in.Size();
    ar.WriteI32(static_cast<std::int32_t>(size));
    std::uint64_t left = size;
    while (left > 0) {
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
      if (in.Read(block.data(), take) != take) throw ArchiveError("embedded image cannot be read back");
      ar.WriteBytes(block.data(), take);
      left -= take;
    }
  }
}

}  // namespace jww
