#include "relocation/ImageEmbedding.h"

#include <algorithm>
#include <type_traits>

#include "jww/ImageReference.h"
#include "platform/Platform.h"
#include "relocation/ImageRelocation.h"
#include "text/ShiftJis.h"
#include "text/Utf16Path.h"

namespace relocation {
namespace {

// "^@BM%temp%": a text that names an image stored in the drawing
const std::size_t kEmbeddedPrefixLength = jww::ReferencePrefix(jww::ReferenceKind::Embedded).size();
constexpr std::string_view kPackedExt = ".gz";

using text::CharLength;

// s with separators, ":" (and "." unless kept) and the characters Windows forbids in a
// name made "_"; a character of more than one unit stays whole.
template <class Text>
Text Flatten(const Text& s, bool keepDots) {
  Text out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = CharLength(s, i);
    const auto c = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<typename Text::value_type>>(s[i]));
    const bool replaced =
        n == 1 && (c == '\\' || c == '/' || c == ':' || text::IsForbiddenInFileName(c) || (c == '.' && !keepDots));
    if (replaced) {
      out += typename Text::value_type('_');
    } else {
      out.append(s, i, n);
    }
    i += n;
  }
  return out;
}

// A string's UTF-16 units whatever its form ("" for bytes with no Unicode form).
std::u16string AllUnits(const jww::JwwString& s) {
  return s.IsSjis() ? platform::InForm<std::u16string>(s.bytes) : s.Units();
}

// An entry's name in the form of the path it was made from.
jww::JwwString EntryName(const std::string& name, jww::StringForm form) { return jww::JwwString(name, form); }
jww::JwwString EntryName(const std::u16string& name, jww::StringForm) { return jww::StringOfUnits(name); }

}  // namespace

std::string EmbeddedImageName(const std::string& path) {
  return Flatten(path, false) + Flatten(text::ExtractFileExt(path), true);
}

std::u16string EmbeddedImageName(const std::u16string& path) {
  return Flatten(path, false) + Flatten(text::ExtractFileExt(path), true);
}

ImageEmbedder::ImageEmbedder(jww::TJwwData& drawing, CopiedImageTable& embedded)
    : drawing_(drawing), embedded_(embedded) {}

bool ImageEmbedder::Taken(const std::string& name) const {
  return drawing_.FindEmbeddedImageByName(jww::JwwString(name)) >= 0;
}

bool ImageEmbedder::Taken(const std::u16string& name) const {
  return drawing_.FindEmbeddedImageByName(jww::JwwString(jww::BytesOf(name), jww::StringForm::Utf16)) >= 0;
}

template <class Path>
Path ImageEmbedder::FreeName(const Path& path, std::size_t budget) const {
  const Path full = EmbeddedImageName(path);
  const Path ext = Flatten(text::ExtractFileExt(path), true);
  const Path stem = full.substr(0, full.size() - ext.size());
  const Path packedExt = text::Ascii<Path>(kPackedExt);
  // a text names the first entry that begins with its name, so no entry may begin with a new one
  return BranchedName(stem, ext, NameLimits{budget, false, {}}, [this](const Path& name) {
    const bool free = !Taken(name) && !drawing_.Images.HoldsFile(name + text::Ascii<Path>(kPackedExt));
    return free ? NameTurn::Take : NameTurn::Next;
  });
}

template <class Path>
Path ImageEmbedder::StoredName(const Path& path, std::size_t budget, jww::StringForm form, EmbedResult& result) {
  auto& names = [this]() -> auto& {
    if constexpr (std::is_same_v<Path, std::string>) {
      return names_;
    } else {
      return unitNames_;
    }
  }();
  std::vector<Path>& made = names[text::UpperCase(path)];
  const auto fits = std::find_if(made.begin(), made.end(), [budget](const Path& n) { return n.size() <= budget; });
  if (fits != made.end()) return *fits;
  const Path name = FreeName(path, budget);
  result = EmbedResult::Failed;
  if (name.empty()) return name;
  const Path packed = name + text::Ascii<Path>(kPackedExt);
  const auto pack = [&path](const jww::ImageStore::Sink& sink) { return Gzip(path, sink) == PackResult::Packed; };
  if (!drawing_.Images.Add(EntryName(packed, form), pack)) return Path();
  if (made.empty()) embedded_.Add(path, name);
  made.push_back(name);
  result = EmbedResult::Embedded;
  return name;
}

EmbedResult ImageEmbedder::Embed(const std::string& path, const std::string& tail, jww::JwwString& text) {
  // the placement values are never cut: the name gives way, and without room for one the
  // image is not embedded
  if (kEmbeddedPrefixLength + tail.size() >= kMaxReferenceLength) return EmbedResult::Failed;
  EmbedResult result = EmbedResult::Embedded;
  const std::string name =
      StoredName(path, kMaxReferenceLength - kEmbeddedPrefixLength - tail.size(), text.form, result);
  if (name.empty()) return result;
  text.bytes = jww::ReferenceText(jww::ReferenceKind::Embedded, name, tail);
  return EmbedResult::Embedded;
}

EmbedResult ImageEmbedder::Embed(const std::u16string& path, const std::u16string& tail, jww::JwwString& text) {
  if (kEmbeddedPrefixLength + tail.size() >= kMaxReferenceLength) return EmbedResult::Failed;
  const std::size_t budget = kMaxReferenceLength - kEmbeddedPrefixLength - tail.size();
  EmbedResult result = EmbedResult::Embedded;
  // a path with a Shift-JIS form is stored under it, so that texts of either form share
  // its entry; its bytes are never fewer than its units, so it fits the budget in units
  std::string sjis;
  const std::u16string name = platform::Utf16ToCp932(path, sjis)
                                  ? platform::InForm<std::u16string>(
                                        StoredName(sjis, budget, jww::StringForm::Unicode, result))
                                  : StoredName(path, budget, jww::StringForm::Utf16, result);
  if (name.empty()) return result;
  text = jww::StringOfUnits(jww::ReferenceText(jww::ReferenceKind::Embedded, name, tail));
  return EmbedResult::Embedded;
}

UnpackResult ImageSeparator::Read(const Entry& entry, const Unpacker::Sink& sink) {
  if (!entry.store) return UnpackResult::Whole;
  platform::InputFile in;
  if (!entry.store->Open(entry.image, in)) return UnpackResult::Corrupt;
  return UnpackFile(in, entry.gzip, sink);
}

bool ImageSeparator::Prepare(const jww::TJwwData& drawing) {
  entries_.clear();
  references_.clear();
  // entries_ index of each image index met, or -1 for one that stays embedded
  std::unordered_map<std::size_t, std::int32_t> known;
  // what an image becomes; false when it cannot be read out
  auto makeEntry = [&](std::size_t index, Entry& entry, bool& stays) {
    const jww::TBindImageType& image = drawing.Images.EmbeddedImages()[index];
    const std::u16string stored = AllUnits(image.Name);
    std::u16string name = stored;
    if (HasPackedName(image.Name) && name.size() >= kPackedExt.size()) name.resize(name.size() - kPackedExt.size());
    // only a plain name that is no device is ever written out
    stays = stored.empty() || !jww::IsPlainFileName(image.Name) || !jww::IsPlainFileName(jww::StringOfUnits(name)) ||
            text::IsDeviceName(name) || text::IsDeviceName(stored);
    if (stays) return true;
    entry.image = index;
    entry.fileName = name;
    if (image.Size == 0) return true;  // an empty image is never extracted
    entry.store = &drawing.Images;
    platform::InputFile in;
    unsigned char magic[2] = {};
    if (!drawing.Images.Open(index, in)) return false;
    entry.size = in.Size();
    entry.gzip = IsPackedImage(image.Name, magic, in.Read(magic, sizeof magic));
    in.Close();
    if (!entry.gzip) return true;
    // a stream that does not unpack whole, or past the limit, fails the drawing
    entry.size = 0;
    const auto count = [&entry](const unsigned char*, std::size_t n) {
      entry.size += n;
      return true;
    };
    return Read(entry, count) == UnpackResult::Whole;
  };
  auto collect = [&](const jww::RecordArray<jww::TEntJwwText>& texts, std::int32_t owner) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::int32_t image = drawing.FindEmbeddedImage(texts[i].Text);
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
      if (at->second >= 0) references_.push_back({owner, i, static_cast<std::size_t>(at->second)});
    }
    return true;
  };
  if (!collect(drawing.Texts, -1)) return false;
  for (std::size_t d = 0; d < drawing.BlockDefs.size(); ++d) {
    if (!collect(drawing.BlockDefs[d].Texts, static_cast<std::int32_t>(d))) return false;
  }
  return true;
}

bool ImageSeparator::SameBytes(const Entry& entry, const std::u16string& path) {
  platform::InputFile in;
  if (!in.Open(path) || in.Size() != entry.size) return false;
  std::vector<unsigned char> block;
  const UnpackResult read = Read(entry, [&in, &block](const unsigned char* data, std::size_t n) {
    block.resize(n);
    return in.Read(block.data(), n) == n && std::equal(data, data + n, block.begin());
  });
  return read == UnpackResult::Whole;
}

std::u16string ImageSeparator::WriteOut(const Entry& entry, const std::u16string& folder,
                                        const std::u16string& reserved, bool& created) {
  created = false;
  const std::u16string ext = text::ExtractFileExt(entry.fileName);
  const std::u16string stem = entry.fileName.substr(0, entry.fileName.size() - ext.size());
  // entries carry no time: a file already there is this image when its bytes are
  return BranchedName(stem, ext, NameLimits(), [&](const std::u16string& name) {
    if (text::UpperCase(name) == reserved) return NameTurn::Next;
    const std::u16string target = folder + name;
    if (platform::FileExists(target)) return SameBytes(entry, target) ? NameTurn::Take : NameTurn::Next;
    platform::OutputFile out;
    if (platform::FolderExists(target) || !out.Create(target, true)) {
      // another run may have written the same image meanwhile
      if (platform::FileExists(target) && SameBytes(entry, target)) return NameTurn::Take;
      return out.NameTaken() || platform::FolderExists(target) ? NameTurn::Next : NameTurn::Stop;
    }
    const UnpackResult written = Read(entry, [&out](const unsigned char* data, std::size_t size) {
      return out.Write(data, size) == size && !out.Failed();
    });
    bool ok = written == UnpackResult::Whole && out.Flush();
    if (!out.Close()) ok = false;
    created = ok;
    if (ok) return NameTurn::Take;
    platform::RemoveFile(target);
    return NameTurn::Stop;
  });
}

bool ImageSeparator::Place(jww::TJwwData& drawing, const std::string& folder, CopiedImageTable& separated,
                           RelocationCounters& counters, const std::string& drawingFileName) {
  const std::u16string folderUnits = platform::InForm<std::u16string>(folder);
  if (folderUnits.empty() && !folder.empty()) return false;
  // the drawing's own name is taken before any image is written beside it
  const std::u16string reserved = text::UpperCase(platform::InForm<std::u16string>(drawingFileName));
  std::vector<std::u16string> names;
  for (const Entry& entry : entries_) {
    bool created = false;
    names.push_back(WriteOut(entry, folderUnits, reserved, created));
    if (created) separated.NoteCreated(folderUnits + names.back());
    if (names.back().empty()) return false;
    // held in Shift-JIS where it has the form, as every entry of the table
    const std::u16string key = platform::InForm<std::u16string>(drawing.Images.TempFolder()) +
                               AllUnits(drawing.Images.EmbeddedImages()[entry.image].Name);
    std::string sjisKey, sjisName;
    if (platform::Utf16ToCp932(key, sjisKey) && platform::Utf16ToCp932(names.back(), sjisName)) {
      separated.Add(sjisKey, sjisName);
    } else {
      separated.Add(key, names.back());
    }
  }
  for (const Reference& ref : references_) {
    const bool inDrawing = ref.owner < 0;
    jww::TEntJwwText& t =
        inDrawing ? drawing.Texts[ref.text] : drawing.BlockDefs[static_cast<std::size_t>(ref.owner)].Texts[ref.text];
    // the text keeps its form where the name allows: Shift-JIS bytes, else UTF-16 units
    std::string name;
    if (t.Text.IsSjis() && platform::Utf16ToCp932(names[ref.entry], name)) {
      const std::string tail = jww::ParseImageReference(t.Text.bytes).tail;
      t.Text.bytes = CutReference(jww::ReferenceText(jww::ReferenceKind::Image, name, tail));
    } else {
      const std::u16string tail = jww::ParseImageReference(AllUnits(t.Text)).tail;
      t.Text = jww::StringOfUnits(CutReference(jww::ReferenceText(jww::ReferenceKind::Image, names[ref.entry], tail)));
    }
    ++(inDrawing ? counters.ImageTextCount : counters.BlockImageTextCount);
  }
  return true;
}

}  // namespace relocation
