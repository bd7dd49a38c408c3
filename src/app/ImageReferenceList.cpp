#include "app/ImageReferenceList.h"

#include "platform/Platform.h"
#include "relocation/ImageRelocation.h"

namespace app {

std::string Shown(const jww::JwwString& s) {
  return s.IsSjis() ? platform::ToUtf8(s.bytes) : platform::Utf16ToUtf8ForDisplay(s.Units());
}

void ImageContents::Take(std::size_t index, const unsigned char* data, std::size_t size) {
  if (index != current_) {
    Close();
    current_ = index;
    // unpacked only when the name and the bytes both say gzip, as the drafting program does
    if (relocation::IsPackedImage(d_.Images.EmbeddedImages()[index].Name, data, size)) {
      unpacker_ = std::make_unique<relocation::Unpacker>();
    }
  }
  if (unpacker_) unpacker_->Feed(data, size, [](const unsigned char*, std::size_t) { return true; });
}

void ImageContents::Close() {
  if (current_ == kNone) return;
  if (images_.size() <= current_) images_.resize(current_ + 1);
  if (unpacker_) images_[current_] = {true, unpacker_->Finish(), unpacker_->UnpackedSize()};
  unpacker_.reset();
  current_ = kNone;
}

std::string ImageContents::Unpacked(std::size_t index) const {
  const Stored image = Image(index);
  if (!image.Packed) return "";
  switch (image.Result) {
    case relocation::UnpackResult::Whole: return std::to_string(image.UnpackedSize);
    case relocation::UnpackResult::TooLarge: return "too large";
    default: return "corrupt";
  }
}

namespace {

std::string Native(const std::string& sjis) { return platform::NativePathForDisplay(sjis); }

// Where an image reference leads: in place, or where the search finds it.
template <class Path>
void Resolve(const Path& path, const std::string& drawingPath, const relocation::ImageSearch* search,
             ListedReference& ref) {
  const Path resolved = relocation::ResolveImagePath(path, drawingPath, &ref.Exists);
  ref.Resolved = platform::NativePathForDisplay(resolved);
  if (ref.Exists) {
    ref.File = platform::ExistingPathForDisplay(resolved);
    return;
  }
  if (search == nullptr || !search->Options().Active()) return;
  const relocation::SearchOutcome outcome = search->Find(path, drawingPath);
  ref.Search = outcome.What;
  if (outcome.What == relocation::SearchOutcome::Kind::Found) {
    ref.File = outcome.Path.empty() ? platform::ExistingPathForDisplay(outcome.Units)
                                    : platform::ExistingPathForDisplay(outcome.Path);
  }
  for (const std::string& candidate : outcome.Candidates) ref.Candidates.push_back(Native(candidate));
}

}  // namespace

std::vector<ListedReference> ListImageReferences(const jww::TJwwData& d, const std::string& drawingPath,
                                                 const relocation::ImageSearch* search) {
  std::vector<ListedReference> refs;
  auto collect = [&](const jww::RecordArray<jww::TEntJwwText>& texts, const jww::JwwString* block) {
    for (const jww::TEntJwwText& t : texts) {
      ListedReference ref;
      jww::WithImageReference(t.Text, [&](const auto& r) {
        ref.Kind = r.kind;
        if (r.kind == jww::ReferenceKind::Image) Resolve(r.path, drawingPath, search, ref);
      });
      if (ref.Kind == jww::ReferenceKind::None) continue;
      ref.InBlock = block != nullptr;
      if (block) ref.Block = Shown(*block);
      ref.Text = Shown(t.Text);
      if (ref.Kind == jww::ReferenceKind::Embedded) ref.Entry = d.FindEmbeddedImage(t.Text);
      refs.push_back(std::move(ref));
    }
  };
  collect(d.Texts, nullptr);
  for (const jww::TEntJwwBlockDef& def : d.BlockDefs) collect(def.Texts, &def.Name);
  return refs;
}

}  // namespace app
