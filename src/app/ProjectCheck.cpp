#include "app/ProjectCheck.h"

#include <new>

#include "app/ImageReferenceList.h"
#include "app/SearchIndex.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {
namespace {

CheckedReference Checked(const ListedReference& listed, const jww::TJwwData& d, const ImageContents& contents) {
  CheckedReference ref;
  ref.InBlock = listed.InBlock;
  ref.Block = listed.Block;
  ref.Text = listed.Text;
  switch (listed.Kind) {
    case jww::ReferenceKind::Image:
      ref.Path = listed.File.empty() ? listed.Resolved : listed.File;
      if (listed.Exists) {
        ref.State = ReferenceState::Found;
      } else if (listed.Search == relocation::SearchOutcome::Kind::Found) {
        ref.State = ReferenceState::FoundBySearch;
      } else if (listed.Search == relocation::SearchOutcome::Kind::Tie) {
        ref.State = ReferenceState::Tie;
        ref.Candidates = listed.Candidates;
      } else {
        ref.State = ReferenceState::Missing;
      }
      break;
    case jww::ReferenceKind::Embedded: {
      if (listed.Entry < 0) {
        ref.State = ReferenceState::EmbeddedGone;
        break;
      }
      const auto entry = static_cast<std::size_t>(listed.Entry);
      const jww::TBindImageType& image = d.Images.EmbeddedImages()[entry];
      const ImageContents::Stored stored = contents.Image(entry);
      ref.Entry = Shown(image.Name);
      ref.StoredSize = static_cast<std::uint64_t>(image.Size);
      ref.Packed = stored.Packed;
      // an image stored as it is shows as it is
      ref.UnpackedSize = stored.Packed ? stored.UnpackedSize : ref.StoredSize;
      ref.State = !stored.Packed || stored.Result == relocation::UnpackResult::Whole ? ReferenceState::Embedded
                                                                                     : ReferenceState::EmbeddedBroken;
      break;
    }
    default:
      ref.State = ReferenceState::Disabled;
      break;
  }
  return ref;
}

}  // namespace

bool Resolves(ReferenceState state) {
  switch (state) {
    case ReferenceState::Found:
    case ReferenceState::FoundBySearch:
    case ReferenceState::Embedded:
    case ReferenceState::Disabled:
      return true;
    default:
      return false;
  }
}

bool CheckedDrawing::HasProblem() const {
  if (!Readable) return true;
  for (const CheckedReference& ref : References) {
    if (!Resolves(ref.State)) return true;
  }
  return false;
}

void CheckTotals::Add(const CheckedDrawing& drawing) {
  ++Drawings;
  if (!drawing.Readable) ++Unreadable;
  if (drawing.HasProblem()) ++WithProblems;
  for (const CheckedReference& ref : drawing.References) {
    ++References;
    switch (ref.State) {
      case ReferenceState::Found: ++Found; break;
      case ReferenceState::FoundBySearch: ++FoundBySearch; break;
      case ReferenceState::Embedded: ++Embedded; break;
      case ReferenceState::Disabled: ++Disabled; break;
      default: ++Missing; break;
    }
  }
}

bool CheckResult::AllResolve() const {
  for (const PassedOver& passed : PassedOverPaths) {
    if (passed.Why != PassedOver::Reason::Link) return false;
  }
  return Totals.WithProblems == 0 && Refused.empty() && !Stopped;
}

CheckedDrawing CheckDrawing(const std::string& path, const relocation::ImageSearch& search) {
  CheckedDrawing drawing;
  drawing.Path = platform::NativePathForDisplay(path);
  drawing.Source = path;
  // without a scratch folder nothing is extracted: the stored images are only measured
  jww::TJwwData d;
  ImageContents contents(d);
  d.OnImageBytes = [&contents](std::size_t index, const unsigned char* data, std::size_t size) {
    contents.Take(index, data, size);
  };
  drawing.Readable = d.LoadFromFile(path);
  contents.Close();
  if (!drawing.Readable) return drawing;
  drawing.Version = d.Header.Version;
  for (const ListedReference& listed : ListImageReferences(d, path, &search)) {
    drawing.References.push_back(Checked(listed, d, contents));
  }
  return drawing;
}

void DrawPreview(const std::string& path, const relocation::ImageSearch& search, const PreviewDrawer& draw,
                 CheckedDrawing& drawing) {
  if (!drawing.Readable) {
    drawing.NoPreview = CheckedDrawing::PreviewGap::Unreadable;
    return;
  }
  try {
    draw(path, search, drawing);
  } catch (const std::bad_alloc&) {
    drawing.NoPreview = CheckedDrawing::PreviewGap::TooLarge;
  } catch (...) {
    drawing.NoPreview = CheckedDrawing::PreviewGap::CannotDraw;
  }
  const bool gap = drawing.NoPreview != CheckedDrawing::PreviewGap::None;
  if (gap != drawing.Preview.empty()) {
    drawing.Preview.clear();
    if (!gap) drawing.NoPreview = CheckedDrawing::PreviewGap::CannotDraw;
  }
}

CheckResult CheckProject(const std::vector<std::string>& inputs, const CheckOptions& options) {
  CheckResult result;
  relocation::ImageSearch search(options.Search);
  IndexSearchFolders(search, result.PassedOverPaths);
  auto check = [&result, &search, &options](const std::string& path) {
    if (result.Stopped) return;
    result.Drawings.push_back(CheckDrawing(path, search));
    if (options.Preview) DrawPreview(path, search, options.Preview, result.Drawings.back());
    if (options.OnDrawing && !options.OnDrawing(result.Drawings.back())) result.Stopped = true;
  };
  for (const std::string& input : inputs) {
    if (result.Stopped) break;
    const std::string shown = platform::NativePathForDisplay(input);
    if (!input.empty() && platform::FolderExists(input)) {
      const std::size_t drawings = result.Drawings.size();
      const std::size_t passedOver = result.PassedOverPaths.size();
      WalkDrawings(text::IncludeTrailingBackslash(input), {}, check, result.PassedOverPaths);
      if (result.Drawings.size() == drawings && result.PassedOverPaths.size() == passedOver) {
        result.Refused.push_back({RefusedInput::Reason::NoDrawingBelow, shown});
      }
    } else if (!IsDrawingName(input)) {
      result.Refused.push_back({RefusedInput::Reason::NotADrawing, shown});
    } else if (!platform::FileExists(input)) {
      result.Refused.push_back({RefusedInput::Reason::NoSuchDrawing, shown});
    } else {
      check(input);
    }
  }
  for (const CheckedDrawing& drawing : result.Drawings) result.Totals.Add(drawing);
  return result;
}

}  // namespace app
