// Loading a drawing with its stored images in memory, and finding image files.
#include "render/Preview.h"

#include <memory>

#include "platform/Platform.h"
#include "relocation/Gzip.h"
#include "relocation/ImageRelocation.h"
#include "relocation/ImageSearch.h"

namespace render {
namespace {

// Most bytes of stored images kept in memory for one drawing, and for one image (a larger
// one is drawn as missing).
constexpr std::uint64_t kMaxStoredBytes = std::uint64_t{256} << 20;
constexpr std::uint64_t kMaxStoredImageBytes = std::uint64_t{64} << 20;

// Collects each stored image's bytes as the drawing is read, unpacked when its name and
// its bytes both say gzip.
class StoredCollector {
 public:
  StoredCollector(const jww::TJwwData& d, StoredImages& stored) : d_(d), stored_(stored) {}

  void Take(std::size_t index, const unsigned char* data, std::size_t size) {
    if (index != current_) {
      Close();
      current_ = index;
      if (stored_.bytes.size() <= index) stored_.bytes.resize(index + 1);
      const jww::JwwString& name = d_.Images.EmbeddedImages()[index].Name;
      if (relocation::IsPackedImage(name, data, size)) {
        unpacker_ = std::make_unique<relocation::Unpacker>(Room());
      }
    }
    std::vector<std::uint8_t>& bytes = stored_.bytes[index];
    if (unpacker_) {
      unpacker_->Feed(data, size, [&bytes](const unsigned char* piece, std::size_t n) {
        bytes.insert(bytes.end(), piece, piece + n);
        return true;
      });
    } else if (!failed_ && bytes.size() + size <= kMaxStoredImageBytes && size <= Room()) {
      bytes.insert(bytes.end(), data, data + size);
      total_ += size;
    } else {
      failed_ = true;
    }
  }

  // Ends the image being read; one that did not come whole is dropped.
  void Close() {
    if (current_ == kNone) return;
    std::vector<std::uint8_t>& bytes = stored_.bytes[current_];
    if (unpacker_) {
      if (unpacker_->Finish() == relocation::UnpackResult::Whole) {
        total_ += bytes.size();
      } else {
        bytes.clear();
      }
    }
    if (failed_) bytes.clear();
    bytes.shrink_to_fit();
    unpacker_.reset();
    failed_ = false;
    current_ = kNone;
  }

 private:
  std::uint64_t Room() const { return std::min(kMaxStoredImageBytes, kMaxStoredBytes - std::min(total_, kMaxStoredBytes)); }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const jww::TJwwData& d_;
  StoredImages& stored_;
  std::size_t current_ = kNone;
  std::unique_ptr<relocation::Unpacker> unpacker_;
  std::uint64_t total_ = 0;
  bool failed_ = false;
};

}  // namespace

bool FindImageFile(const ImagePath& reference, const std::string& drawingPath, ImagePath& file) {
  bool exists = false;
  if (reference.sjis.empty()) {
    file.units = relocation::ResolveImagePath(reference.units, drawingPath, &exists);
  } else {
    file.sjis = relocation::ResolveImagePath(reference.sjis, drawingPath, &exists);
  }
  return exists;
}

ImageFinder FindImageFileOrSearch(const relocation::ImageSearch& search) {
  return [&search](const ImagePath& reference, const std::string& drawingPath, ImagePath& file) {
    if (FindImageFile(reference, drawingPath, file)) return true;
    if (!search.Options().Active()) return false;
    const relocation::SearchOutcome found =
        reference.sjis.empty() ? search.Find(reference.units, drawingPath) : search.Find(reference.sjis, drawingPath);
    if (found.What != relocation::SearchOutcome::Kind::Found) return false;
    file = {found.Path, found.Path.empty() ? found.Units : std::u16string()};
    return true;
  };
}

template <class Load>
bool LoadWith(jww::TJwwData& drawing, StoredImages& stored, Load load) {
  stored.bytes.clear();
  StoredCollector collector(drawing, stored);
  drawing.OnImageBytes = [&collector](std::size_t index, const unsigned char* data, std::size_t size) {
    collector.Take(index, data, size);
  };
  const bool loaded = load();
  collector.Close();
  drawing.OnImageBytes = nullptr;
  if (!loaded) stored.bytes.clear();
  return loaded;
}

bool LoadDrawing(const std::string& path, jww::TJwwData& drawing, StoredImages& stored) {
  return LoadWith(drawing, stored, [&] { return drawing.LoadFromFile(path); });
}

bool LoadDrawing(const void* data, std::size_t size, jww::TJwwData& drawing, StoredImages& stored) {
  return LoadWith(drawing, stored, [&] { return drawing.LoadFromMemory(data, size); });
}

}  // namespace render
