// The conversion of one drawing: read, its images placed and its references rewritten,
// written as version 700 under its destination. The batch, the window and the external
// transform each make one from their own choices; it holds everything the conversion
// needs, and what the drawing left in the scratch folder goes with it.
#pragma once

#include <cstddef>
#include <string>

#include "jww/DrawingDocument.h"
#include "relocation/ImageRelocation.h"

namespace app {

// What a conversion is told to do, read from the controls (or the command line) once.
struct ConversionOptions {
  // The folder a batch writes below, with its backslash: the folders between it and a
  // destination are made as they are needed. "" makes none.
  std::string DestinationFolder;
  bool NameWithPath = false;          // copies named after their whole path
  relocation::ImageMode Mode = relocation::ImageMode::Copy;
  bool DisableMissingImages = false;  // references to missing images switched off
  // this run's search for missing images; nothing is searched without one
  const relocation::ImageSearch* Search = nullptr;
};

struct ConversionResult {
  enum class Failure {
    None,
    Folders,      // a folder between the destination folder and the destination could not be made
    Destination,  // the destination cannot be written (read-only, or its link cannot be followed)
    Unreadable,   // the drawing could not be read
    Images,       // an image could not be placed whole
    NotSaved,     // the drawing could not be written
    Broken,       // the work broke off
  };
  Failure Why = Failure::None;
  bool Converted() const { return Why == Failure::None; }
  // the text the log shows after "　…… ": "変換ＯＫ(…)" or "変換失敗" (Shift-JIS)
  std::string Text;
  std::size_t ImageFiles = 0;  // images placed: the copied-image table's entries
  relocation::RelocationCounters Counters;
};

class DrawingConversion {
 public:
  // documentFolder: where the drawing's embedded images are extracted (the document's
  // TempFolder), "" for nowhere.
  DrawingConversion(ConversionOptions options, const std::string& documentFolder);
  ~DrawingConversion();
  DrawingConversion(const DrawingConversion&) = delete;
  DrawingConversion& operator=(const DrawingConversion&) = delete;

  // Converts source into destination (which may be the source itself). A failure leaves
  // the destination as it was and takes back the files placed for it.
  ConversionResult Run(const std::string& source, const std::string& destination);

 private:
  // Forgets what a conversion left: copied images, drawing, extracted images.
  void ResetConversion();

  ConversionOptions options_;
  jww::TJwwData Drawing;
  std::string SourceDrawingPath;
  relocation::CopiedImageTable copiedImages_;
};

}  // namespace app
