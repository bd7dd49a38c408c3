// The images a drawing stores inside itself: extracted into the document's scratch
// folder as the drawing is read, written back from there when still referred to.
#include <algorithm>
#include <vector>

#include "jww/ArchiveReader.h"
#include "jww/ArchiveWriter.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace jww {
namespace {

// The smallest embedded image entry: empty name and its size.
constexpr std::uint64_t kMinImageBytes = 1 + 4;
constexpr std::size_t kCopyBlock = 64 * 1024;
// "^@BM%temp%": a text that refers to an image stored in the drawing
constexpr std::string_view kEmbeddedPrefix = "^@BM%temp%";

bool EndsWithGz(const std::string& name) {
  return name.size() >= 3 && text::UpperCase(name.substr(name.size() - 3)) == ".GZ";
}

}  // namespace

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

void TJwwData::ClearEmbeddedImages() { EmbeddedImages = {}; }

void TJwwData::DeleteExtractedFiles() {
  for (const TBindImageType& image : EmbeddedImages) {
    if (!IsPlainFileName(image.Name) || !EndsWithGz(image.Name.bytes)) continue;
    const std::string path = TempFolder + image.Name.bytes;
    if (platform::FileExists(path)) platform::RemoveFile(path);
  }
}

void TJwwData::DeleteUnpackedFiles() {
  for (const TBindImageType& image : EmbeddedImages) {
    if (!IsPlainFileName(image.Name)) continue;
    std::string name = image.Name.bytes;
    if (EndsWithGz(name)) name.resize(name.size() - 3);
    if (name.empty()) continue;
    const std::string path = TempFolder + name;
    if (platform::FileExists(path)) platform::RemoveFile(path);
  }
}

std::int32_t TJwwData::FindEmbeddedImage(const std::string& referenceName) const {
  if (referenceName.empty()) return -1;
  const std::string ref = text::UpperCase(referenceName);
  for (std::size_t i = 0; i < EmbeddedImages.size(); ++i) {
    const JwwString& name = EmbeddedImages[i].Name;
    if (name.IsSjis() && text::UpperCase(name.bytes).compare(0, ref.size(), ref) == 0) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

void TJwwData::ReadImages(ArchiveReader& ar) {
  ClearEmbeddedImages();
  const std::int32_t count = ar.ReadI32();
  if (count <= 0) return;
  ar.CheckFits(static_cast<std::uint32_t>(count), kMinImageBytes);
  EmbeddedImages.resize(static_cast<std::size_t>(count));
  std::vector<unsigned char> block(kCopyBlock);
  for (std::size_t index = 0; index < EmbeddedImages.size(); ++index) {
    TBindImageType& image = EmbeddedImages[index];
    image.Name = ar.ReadCleanString();
    image.Size = ar.ReadI32();
    if (image.Size < 0) throw ArchiveError("negative image size");
    ar.CheckFits(static_cast<std::uint32_t>(image.Size), 1);
    std::uint64_t left = static_cast<std::uint32_t>(image.Size);
    if (left == 0) continue;
    // only a plain name inside the scratch folder is ever written to disk
    platform::OutputFile out;
    const std::string path = TempFolder + image.Name.bytes;
    bool extracting = !TempFolder.empty() && IsPlainFileName(image.Name) && out.Create(path);
    try {
      while (left > 0) {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        ar.ReadBytes(block.data(), take);
        left -= take;
        if (OnImageBytes) OnImageBytes(index, block.data(), take);
        if (extracting && out.Write(block.data(), take) != take) {
          // a failed extraction is dropped; the reader stays in step with the file
          out.Close();
          platform::RemoveFile(path);
          extracting = false;
        }
      }
    } catch (...) {
      if (extracting) {
        out.Close();
        platform::RemoveFile(path);
      }
      throw;
    }
    if (extracting && !out.Close()) platform::RemoveFile(path);
  }
}

void TJwwData::WriteImages(ArchiveWriter& ar) {
  for (TBindImageType& image : EmbeddedImages) image.Used = 0;
  auto mark = [this](const RecordArray<TEntJwwText>& texts) {
    for (const TEntJwwText& t : texts) {
      const std::string& s = t.Text.Sjis();
      if (s.size() <= kEmbeddedPrefix.size() || s.compare(0, kEmbeddedPrefix.size(), kEmbeddedPrefix) != 0) continue;
      const std::size_t comma = s.find(',');
      if (comma == std::string::npos) continue;
      const std::int32_t found = FindEmbeddedImage(s.substr(kEmbeddedPrefix.size(), comma - kEmbeddedPrefix.size()));
      if (found >= 0) EmbeddedImages[static_cast<std::size_t>(found)].Used = 1;
    }
  };
  mark(Texts);
  for (const TEntJwwBlockDef& def : BlockDefs) mark(def.Texts);

  std::int32_t count = 0;
  for (TBindImageType& image : EmbeddedImages) {
    if (image.Used != 1) continue;
    if (image.Size == 0) {
      image.Used = 0;  // an empty image was never extracted
      continue;
    }
    // an image still referred to must not vanish from the drawing
    if (!IsPlainFileName(image.Name) || !platform::FileExists(TempFolder + image.Name.bytes)) {
      throw ArchiveError("embedded image missing from the scratch folder");
    }
    ++count;
  }
  ar.WriteI32(count);
  std::vector<unsigned char> block(kCopyBlock);
  for (const TBindImageType& image : EmbeddedImages) {
    if (image.Used != 1) continue;
    ar.WriteString(image.Name);
    platform::InputFile in;
    if (!in.Open(TempFolder + image.Name.bytes) || in.Size() > 0x7FFFFFFF) {
      throw ArchiveError("embedded image cannot be read back");
    }
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
