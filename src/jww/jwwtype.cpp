#include "jww/jwwtype.h"

#include "jww/ArchiveWriter.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace jww {

std::string TempFolder;
std::vector<TBindImageType> EmbeddedImages;
std::string SourceDrawingPath;

TEntJwwHeader::TEntJwwHeader() {
  for (int i = 1; i <= 8; ++i) {
    MarkJumpScale[i] = 1.0;
    MarkJumpGroup[i] = -1;
  }
}

void EntityList::ClearEntities() {
  EntityCount = 0;
  Order = {};
  Lines = {};
  Arcs = {};
  Points = {};
  Texts = {};
  Dims = {};
  Solids = {};
  Blocks = {};
}

void ClearEmbeddedImages() { EmbeddedImages = {}; }

namespace {

bool EndsWithGz(const std::string& name) {
  return name.size() >= 3 && text::UpperCase(name.substr(name.size() - 3)) == ".GZ";
}

}  // namespace

void DeleteExtractedFiles() {
  for (const TBindImageType& image : EmbeddedImages) {
    if (!IsPlainFileName(image.Name) || !EndsWithGz(image.Name.bytes)) continue;
    const std::string path = TempFolder + image.Name.bytes;
    if (platform::FileExists(path)) platform::RemoveFile(path);
  }
}

void DeleteUnpackedFiles() {
  for (const TBindImageType& image : EmbeddedImages) {
    if (!IsPlainFileName(image.Name)) continue;
    std::string name = image.Name.bytes;
    if (EndsWithGz(name)) name.resize(name.size() - 3);
    if (name.empty()) continue;
    const std::string path = TempFolder + name;
    if (platform::FileExists(path)) platform::RemoveFile(path);
  }
}

bool IsPlainFileName(const JwwString& name) {
  if (!name.IsSjis() || name.bytes.empty() || name.bytes == "." || name.bytes == "..") return false;
  // a separator anywhere (outside a double-byte character) would reach another folder
  const std::string& s = name.bytes;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (text::IsLeadByte(b)) {
      ++i;
      continue;
    }
    if (b == '\\' || b == '/' || b == ':' || b < 0x20) return false;
  }
  return true;
}

namespace {

std::uint16_t UnitAt(const std::string& bytes, std::size_t i) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
}

}  // namespace

JwwString CleanForWrite(const JwwString& s) {
  if (s.IsSjis()) {
    std::string cleaned = text::CleanJwwText(s.bytes);
    if (cleaned.empty()) cleaned.push_back(' ');
    return JwwString(std::move(cleaned), s.form);
  }
  const std::size_t units = s.bytes.size() / 2;
  std::string kept;
  kept.reserve(s.bytes.size());
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t u = UnitAt(s.bytes, i);
    if (u == '^' && i + 1 < units && UnitAt(s.bytes, i + 1) == 'm') {
      ++i;
      continue;
    }
    if (u < 0x20) continue;
    kept.append(s.bytes, 2 * i, 2);
  }
  if (kept.empty()) kept = std::string(" \0", 2);
  return JwwString(std::move(kept), StringForm::Utf16);
}

void WriteCleanString(ArchiveWriter& ar, const JwwString& s) {
  if (s.IsSjis() && text::IsCleanJwwText(s.bytes)) {
    ar.WriteString(s);
  } else {
    ar.WriteString(CleanForWrite(s));
  }
}

bool IsBlank(const JwwString& s) {
  if (s.IsSjis()) return text::RemoveBlanks(s.bytes).empty();
  for (std::size_t i = 0; i < s.bytes.size() / 2; ++i) {
    const std::uint16_t u = UnitAt(s.bytes, i);
    if (u >= 0x20 && u != 0x3000) return false;
  }
  return true;
}

}  // namespace jww
