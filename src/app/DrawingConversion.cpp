#include "app/DrawingConversion.h"

#include <utility>

#include "app/FormTexts.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"

namespace app {

namespace {

constexpr std::int32_t kSavedVersion = 700;

// Makes the folders between an existing folder and a file's folder below it; false when
// one cannot be made (a file may have its name).
bool MakeFolders(const std::string& existing, const std::string& file) {
  const std::string target = text::ExtractFilePath(file);
  if (existing.empty() || target.size() <= existing.size()) return true;
  for (std::size_t i = existing.size(); i < target.size(); ++i) {
    if (text::IsLeadByte(static_cast<unsigned char>(target[i]))) {
      ++i;
    } else if (target[i] == '\\') {
      const std::string folder = target.substr(0, i + 1);
      if (!platform::FolderExists(folder) && !platform::MakeFolder(folder) && !platform::FolderExists(folder)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

DrawingConversion::DrawingConversion(ConversionOptions options, const std::string& documentFolder)
    : options_(std::move(options)) {
  Drawing.Images.SetTempFolder(documentFolder);
}

DrawingConversion::~DrawingConversion() { ResetConversion(); }

ConversionResult DrawingConversion::Run(const std::string& source, const std::string& destination) {
  using Failure = ConversionResult::Failure;
  ConversionResult result;
  result.Text = texts::kResultFailed;
  try {
    ResetConversion();
    // the folders of a mirrored tree are made as they are needed
    if (!MakeFolders(options_.DestinationFolder, destination)) {
      result.Why = Failure::Folders;
      return result;
    }
    // a drawing reached through a link is converted where the link points, images and
    // all; a read-only one is not replaced
    std::string target;
    if (!platform::FindSaveTarget(destination, target)) {
      result.Why = Failure::Destination;
      return result;
    }
    const std::string from = source == destination ? target : source;
    if (!Drawing.LoadFromFile(from)) {
      result.Why = Failure::Unreadable;
      return result;
    }
    SourceDrawingPath = from;
    // written beside the destination and moved over it only when complete, so a failed
    // save leaves the destination (in same-folder mode: the source) as it was; the files
    // placed for a drawing that is not written are taken back, for nothing names them
    const relocation::RelocationOptions relocation{options_.DisableMissingImages, options_.NameWithPath,
                                                   options_.Mode, options_.Search};
    relocation::RelocationCounters& counters = result.Counters;
    relocation::RelocateImages(Drawing, SourceDrawingPath, text::ExtractFilePath(target), relocation, copiedImages_,
                               counters, text::ExtractFileName(target));
    // a drawing whose references name copies that are not there (whole) is not saved
    if (counters.FailedCopyCount != 0 || !Drawing.SaveToFile(target, kSavedVersion)) {
      copiedImages_.RemoveCreatedFiles();
      result.Why = counters.FailedCopyCount != 0 ? Failure::Images : Failure::NotSaved;
      return result;
    }
    result.ImageFiles = copiedImages_.size();
    result.Text = std::string(texts::kResultOk) + std::to_string(result.ImageFiles) + texts::kResultImageTexts +
                  std::to_string(counters.ImageTextCount) + texts::kResultInBlocks +
                  std::to_string(counters.BlockImageTextCount) + texts::kResultMissing +
                  std::to_string(counters.MissingImageCount) + texts::kResultInBlocks +
                  std::to_string(counters.BlockMissingImageCount) + ")";
    return result;
  } catch (...) {
    result.Why = Failure::Broken;
    result.Text = texts::kResultFailed;
    try {
      copiedImages_.RemoveCreatedFiles();
    } catch (...) {
    }
    return result;
  }
}

void DrawingConversion::ResetConversion() {
  try {
    copiedImages_.clear();
    SourceDrawingPath.clear();
    Drawing.Clear();
    Drawing.DeleteExtractedFiles();
    Drawing.DeleteUnpackedFiles();
    Drawing.ClearEmbeddedImages();
  } catch (...) {
  }
}

}  // namespace app
