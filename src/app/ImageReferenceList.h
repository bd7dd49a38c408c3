// The image references of a loaded drawing and where each leads, and what its stored
// images hold unpacked: what inspect lists and check judges. Nothing is written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jww/DrawingDocument.h"
#include "relocation/Gzip.h"
#include "jww/ImageReference.h"
#include "relocation/ImageSearch.h"

namespace app {

// A string of the drawing as UTF-8.
std::string Shown(const jww::JwwString& s);

// What each stored image holds unpacked, learnt from its bytes as the drawing is read
// (nothing is extracted): feed it from TJwwData::OnImageBytes, then Close.
class ImageContents {
 public:
  explicit ImageContents(const jww::TJwwData& d) : d_(d) {}

  void Take(std::size_t index, const unsigned char* data, std::size_t size);
  // Ends the image being read.
  void Close();

  struct Stored {
    bool Packed = false;  // a gzip entry, unpacked by the drafting program
    relocation::UnpackResult Result = relocation::UnpackResult::Whole;
    std::uint64_t UnpackedSize = 0;  // when Packed and Whole
  };
  Stored Image(std::size_t index) const { return index < images_.size() ? images_[index] : Stored{}; }
  // The unpacked size as a number, "corrupt", "too large", or "" for an image stored as it is.
  std::string Unpacked(std::size_t index) const;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const jww::TJwwData& d_;
  std::size_t current_ = kNone;
  std::unique_ptr<relocation::Unpacker> unpacker_;
  std::vector<Stored> images_;
};

// One image reference: the text that holds it and what it leads to.
struct ListedReference {
  bool InBlock = false;
  std::string Block;  // the block definition's name (UTF-8) when InBlock
  std::string Text;   // UTF-8
  jww::ReferenceKind Kind = jww::ReferenceKind::None;
  std::string Resolved;  // Image: where the drawing's path leads (native, UTF-8)
  bool Exists = false;
  // the image file the reference shows, in place or found by the search, as the file
  // system spells it (native, UTF-8); "" when none
  std::string File;
  relocation::SearchOutcome::Kind Search = relocation::SearchOutcome::Kind::NotFound;
  std::vector<std::string> Candidates;  // a tie: the files tied (native, UTF-8)
  std::int32_t Entry = -1;              // Embedded: the stored image named, -1 when none
};

// The image references of the drawing read from drawingPath, its own texts first, then
// each block definition's; a missing image is looked for with `search` when given.
std::vector<ListedReference> ListImageReferences(const jww::TJwwData& d, const std::string& drawingPath,
                                                 const relocation::ImageSearch* search = nullptr);

}  // namespace app
