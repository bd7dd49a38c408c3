#include "relocation/ImageEmbedding.h"

#include <algorithm>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace relocation {
namespace {

// "^@BM%temp%": a text that names an image stored in the drawing
constexpr std::string_view kEmbeddedPrefix = "^@BM%temp%";
constexpr std::string_view kReferencePrefix = "^@BM";
constexpr std::string_view kPackedExt = ".gz";
// Highest branch number tried.
constexpr int kMaxBranch = 99999;

// s with separators, ":" (and "." unless kept) and control characters made "_";
// double-byte characters stay whole.
std::string Flatten(const std::string& s, bool keepDots) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (text::IsLeadByte(b) && i + 1 < s.size()) {
      out.append(s, i, 2);
      ++i;
    } else if (b == '\\' || b == '/' || b == ':' || b < 0x20 || (b == '.' && !keepDots)) {
      out += '_';
    } else {
      out += s[i];
    }
  }
  return out;
}

// stem + suffix + ext in at most budget bytes, whole characters dropped from the front of
// stem; "" when not one of them is left.
std::string FitName(const std::string& stem, const std::string& suffix, const std::string& ext, std::size_t budget) {
  const std::size_t fixed = suffix.size() + ext.size();
  std::size_t from = 0;
  while (from < stem.size() && stem.size() - from + fixed > budget) {
    from += text::IsLeadByte(static_cast<unsigned char>(stem[from])) && from + 1 < stem.size() ? 2 : 1;
  }
  return from >= stem.size() ? std::string() : stem.substr(from) + suffix + ext;
}

}  // namespace

std::string EmbeddedImageName(const std::string& path) {
  return Flatten(path, false) + Flatten(text::ExtractFileExt(path), true);
}

ImageEmbedder::ImageEmbedder(jww::TJwwData& drawing, CopiedImageTable& embedded)
    : drawing_(drawing), embedded_(embedded) {
  for (const jww::TBindImageType& image : drawing.EmbeddedImages) {
    upperNames_.push_back(image.Name.IsSjis() ? text::UpperCase(image.Name.bytes) : std::string());
  }
}

std::string ImageEmbedder::FreeName(const std::string& path, std::size_t budget) const {
  const std::string full = EmbeddedImageName(path);
  const std::string ext = Flatten(text::ExtractFileExt(path), true);
  const std::string stem = full.substr(0, full.size() - ext.size());
  // a text names the first entry that begins with its name, so no entry may begin with a new one
  auto taken = [this](const std::string& name) {
    const std::string upper = text::UpperCase(name);
    for (const std::string& other : upperNames_) {
      if (other.compare(0, upper.size(), upper) == 0) return true;
    }
    return platform::FileExists(drawing_.TempFolder + name + std::string(kPackedExt));
  };
  for (int n = 0; n <= kMaxBranch; ++n) {
    const std::string suffix = n == 0 ? std::string() : std::string("~").append(std::to_string(n));
    const std::string name = FitName(stem, suffix, ext, budget);
    if (name.empty()) return "";
    if (!taken(name)) return name;
  }
  return "";
}

EmbedResult ImageEmbedder::Embed(const std::string& path, const std::string& tail, jww::JwwString& text) {
  // the placement values are never cut: the name gives way
  if (kEmbeddedPrefix.size() + tail.size() >= kMaxReferenceBytes) return EmbedResult::Kept;
  const std::size_t budget = kMaxReferenceBytes - kEmbeddedPrefix.size() - tail.size();
  std::vector<std::string>& made = names_[text::UpperCase(path)];
  const auto fits = std::find_if(made.begin(), made.end(), [budget](const std::string& n) { return n.size() <= budget; });
  std::string name = fits == made.end() ? "" : *fits;
  if (name.empty()) {
    name = FreeName(path, budget);
    if (name.empty()) return EmbedResult::Kept;
    const std::string packed = name + std::string(kPackedExt);
    std::uint64_t size = 0;
    if (drawing_.TempFolder.empty() || GzipFile(path, drawing_.TempFolder + packed, size) != PackResult::Packed) {
      return EmbedResult::Failed;
    }
    // the entry is written from its scratch file like every other; its size fits, the
    // image being at most kMaxImageBytes
    jww::TBindImageType image;
    image.Name = jww::JwwString(packed, text.form);
    image.Size = static_cast<std::int32_t>(size);
    drawing_.EmbeddedImages.push_back(image);
    upperNames_.push_back(text::UpperCase(packed));
    if (made.empty()) embedded_.Add(path, name);
    made.push_back(name);
  }
  text.bytes = std::string(kEmbeddedPrefix) + name + tail;
  return EmbedResult::Embedded;
}

UnpackResult ImageSeparator::Read(const Entry& entry, const Unpacker::Sink& sink) {
  if (entry.source.empty()) return UnpackResult::Whole;
  return UnpackFile(entry.source, entry.gzip, sink);
}

bool ImageSeparator::Prepare(const jww::TJwwData& drawing) {
  entries_.clear();
  references_.clear();
  // entries_ index of each image index met, or -1 for one that stays embedded
  std::unordered_map<std::size_t, std::int32_t> known;
  // what an image becomes; false when it cannot be read out
  auto makeEntry = [&drawing](std::size_t index, Entry& entry, bool& stays) {
    const jww::TBindImageType& image = drawing.EmbeddedImages[index];
    std::string name = image.Name.bytes;
    const bool packedName = HasPackedName(name);
    if (packedName) name.resize(name.size() - kPackedExt.size());
    // only a plain name that is no device is ever written out
    stays = !jww::IsPlainFileName(image.Name) || !jww::IsPlainFileName(jww::JwwString(name)) ||
            text::IsDeviceName(name) || text::IsDeviceName(image.Name.bytes);
    if (stays) return true;
    entry.image = index;
    entry.fileName = name;
    if (image.Size == 0) return true;  // an empty image is never extracted
    entry.source = drawing.TempFolder + image.Name.bytes;
    platform::InputFile in;
    unsigned char magic[2] = {};
    if (drawing.TempFolder.empty() || !in.Open(entry.source)) return false;
    entry.size = in.Size();
    // unpacked when both its name and its bytes say gzip, as the drafting program does
    entry.gzip = packedName && HasGzipMagic(magic, in.Read(magic, sizeof magic));
    in.Close();
    if (!entry.gzip) return true;
    // a stream that does not unpack whole, or past the limit, fails the drawing
    entry.size = 0;
    const auto count = [&entry](const unsigned char*, std::size_t n) {
      entry.size += n;
      return true;
    };
    return UnpackFile(entry.source, true, count) == UnpackResult::Whole;
  };
  auto collect = [&](const jww::RecordArray<jww::TEntJwwText>& texts, std::int32_t owner) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::string& s = texts[i].Text.Sjis();
      if (s.size() <= kEmbeddedPrefix.size() || s.compare(0, kEmbeddedPrefix.size(), kEmbeddedPrefix) != 0) continue;
      const std::size_t comma = s.find(',');
      if (comma == std::string::npos) continue;
      const std::int32_t image = drawing.FindEmbeddedImage(s.substr(kEmbeddedPrefix.size(), comma - kEmbeddedPrefix.size()));
      if (image < 0) continue;
      auto [at, added] = known.emplace(static_cast<std::size_t>(image), -1);
      if (added) {
        Entry entry;
        bool stays = false;
        if (!makeEntry(static_cast<std::size_t>(image), entry, stays)) return false;
        if (!stays) {
          at->second = static_cast<std::int32_t>(entries_.size());
          entries_.push_back(std::move(entry));
        }
      }
      if (at->second < 0) continue;
      references_.push_back({owner, i, static_cast<std::size_t>(at->second), s.substr(comma)});
    }
    return true;
  };
  if (!collect(drawing.Texts, -1)) return false;
  for (std::size_t d = 0; d < drawing.BlockDefs.size(); ++d) {
    if (!collect(drawing.BlockDefs[d].Texts, static_cast<std::int32_t>(d))) return false;
  }
  return true;
}

bool ImageSeparator::SameBytes(const Entry& entry, const std::string& path) {
  platform::InputFile in;
  if (!in.Open(path) || in.Size() != entry.size) return false;
  std::vector<unsigned char> block;
  const UnpackResult read = Read(entry, [&in, &block](const unsigned char* data, std::size_t n) {
    block.resize(n);
    return in.Read(block.data(), n) == n && std::equal(data, data + n, block.begin());
  });
  return read == UnpackResult::Whole;
}

std::string ImageSeparator::WriteOut(const Entry& entry, const std::string& folder) {
  const std::string ext = text::ExtractFileExt(entry.fileName);
  const std::string stem = entry.fileName.substr(0, entry.fileName.size() - ext.size());
  // entries carry no time: a file already there is this image when its bytes are
  for (int n = 0; n <= kMaxBranch; ++n) {
    const std::string name = n == 0 ? entry.fileName : stem + "~" + std::to_string(n) + ext;
    const std::string target = folder + name;
    if (platform::FileExists(target)) {
      if (SameBytes(entry, target)) return name;
      continue;
    }
    platform::OutputFile out;
    if (platform::FolderExists(target) || !out.Create(target, true)) {
      // another run may have written the same image meanwhile
      if (platform::FileExists(target) && SameBytes(entry, target)) return name;
      if (out.NameTaken() || platform::FolderExists(target)) continue;
      return "";
    }
    const UnpackResult written = Read(entry, [&out](const unsigned char* data, std::size_t size) {
      return out.Write(data, size) == size && !out.Failed();
    });
    bool ok = written == UnpackResult::Whole && out.Flush();
    if (!out.Close()) ok = false;
    if (ok) return name;
    platform::RemoveFile(target);
    return "";
  }
  return "";
}

bool ImageSeparator::Place(jww::TJwwData& drawing, const std::string& folder, CopiedImageTable& separated,
                           RelocationCounters& counters) {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) {
    names.push_back(WriteOut(entry, folder));
    if (names.back().empty()) return false;
    separated.Add(drawing.TempFolder + drawing.EmbeddedImages[entry.image].Name.bytes, names.back());
  }
  for (const Reference& ref : references_) {
    const bool inDrawing = ref.owner < 0;
    jww::TEntJwwText& t =
        inDrawing ? drawing.Texts[ref.text] : drawing.BlockDefs[static_cast<std::size_t>(ref.owner)].Texts[ref.text];
    t.Text.bytes = CutReference(std::string(kReferencePrefix) + names[ref.entry] + ref.tail);
    ++(inDrawing ? counters.ImageTextCount : counters.BlockImageTextCount);
  }
  return true;
}

}  // namespace relocation
