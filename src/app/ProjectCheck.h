// Checking drawings and folder trees for images they have lost: what each reference of
// each drawing leads to, without writing anything. The console program and the window
// present the result; CheckReport.h writes it as JSON, CSV or a page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/DrawingTree.h"
#include "relocation/ImageSearch.h"

namespace app {

enum class ReferenceState {
  Found,           // the image is where the reference says
  FoundBySearch,   // missing there, and the search found one file for it
  Tie,             // missing there, and the search found different files equally near
  Missing,         // missing, and not found by any search
  Embedded,        // stored inside the drawing, and it unpacks
  EmbeddedBroken,  // stored inside the drawing, but it does not unpack
  EmbeddedGone,    // names a stored image the drawing does not hold
  Disabled,        // switched off ("_@BM"): the drafting program shows nothing for it
};

// True for the states in which the drawing shows (or, converted with the search, will
// show) its image; Disabled is no failure either.
bool Resolves(ReferenceState state);

struct CheckedReference {
  bool InBlock = false;
  std::string Block;  // the block definition's name (UTF-8) when InBlock
  std::string Text;   // the reference as the drawing holds it (UTF-8)
  ReferenceState State = ReferenceState::Missing;
  // Found, FoundBySearch: the image file; Tie, Missing: where the reference leads
  // (native, UTF-8)
  std::string Path;
  std::vector<std::string> Candidates;  // Tie: the files tied (native, UTF-8)
  std::string Entry;                     // Embedded...: the stored image's name (UTF-8)
  std::uint64_t StoredSize = 0;          // bytes the stored image takes in the drawing
  std::uint64_t UnpackedSize = 0;        // Embedded: bytes of the image itself
  bool Packed = false;                   // Embedded...: stored as a gzip entry
};

struct CheckedDrawing {
  std::string Path;  // native, UTF-8
  std::string Source;  // the path it was read from, in the program's own form (Shift-JIS)
  bool Readable = false;
  std::string Problem;  // why it could not be read, when known
  std::int32_t Version = 0;
  std::vector<CheckedReference> References;
  // Why a drawing has no preview.
  enum class PreviewGap {
    None,        // it has one, or none was drawn
    TooLarge,    // drawing it took more memory than there is
    CannotDraw,  // drawing it failed otherwise
    Unreadable,  // the drawing cannot be read
    NoFolder,    // no folder for the previews can be made beside the page
    NotWritten,  // the picture cannot be written
  };
  // When previews are drawn: the drawing's picture (native, UTF-8), or else why there is
  // none.
  std::string Preview;
  PreviewGap NoPreview = PreviewGap::None;
  // Unreadable, or a reference that does not resolve.
  bool HasProblem() const;
};

// An input that names no drawing to check.
struct RefusedInput {
  enum class Reason {
    NoSuchDrawing,  // a ".jww" name with no file
    NotADrawing,    // a file of another kind
    NoDrawingBelow, // a folder without drawings
  };
  Reason Why = Reason::NoSuchDrawing;
  std::string Path;  // native, UTF-8
};

struct CheckTotals {
  std::size_t Drawings = 0;
  std::size_t Unreadable = 0;        // drawings that could not be read
  std::size_t WithProblems = 0;      // drawings unreadable or with a reference that does not resolve
  std::size_t References = 0;
  std::size_t Found = 0;             // in place
  std::size_t FoundBySearch = 0;
  std::size_t Missing = 0;           // every reference that does not resolve
  std::size_t Embedded = 0;          // stored and whole
  std::size_t Disabled = 0;
  // Counts one drawing and its references.
  void Add(const CheckedDrawing& drawing);
};

// Draws a preview of a drawing read (its full Shift-JIS path), its images found as the
// check finds them, and sets the drawing's Preview or NoPreview.
using PreviewDrawer =
    std::function<void(const std::string& path, const relocation::ImageSearch& search, CheckedDrawing& drawing)>;

struct CheckOptions {
  relocation::SearchOptions Search;
  // Sees each drawing once checked (a window shows progress); false stops the check.
  std::function<bool(const CheckedDrawing&)> OnDrawing;
  // Draws a preview of each drawing read (its full Shift-JIS path), its images found as
  // the check finds them, and sets the drawing's Preview or NoPreview. Whatever it
  // throws costs that drawing its preview, never the check.
  PreviewDrawer Preview;
};

struct CheckResult {
  std::vector<CheckedDrawing> Drawings;  // in the order checked
  std::vector<PassedOver> PassedOverPaths;  // below the inputs and the search folders
  std::vector<RefusedInput> Refused;
  CheckTotals Totals;
  bool Stopped = false;  // OnDrawing asked to stop
  // True when every reference of every drawing resolves and nothing was refused, could
  // not be read or was left unchecked.
  bool AllResolve() const;
};

// Checks every drawing the inputs name: drawing files, and folders walked as a batch
// walks them (full Shift-JIS paths). The search folders are indexed once for the run.
CheckResult CheckProject(const std::vector<std::string>& inputs, const CheckOptions& options);

// A checked drawing's preview drawn with draw, as far as it can be: an unreadable drawing
// has none, and whatever draw throws costs the drawing its preview and nothing more.
void DrawPreview(const std::string& path, const relocation::ImageSearch& search, const PreviewDrawer& draw,
                 CheckedDrawing& drawing);

// Checks one drawing file (a full Shift-JIS path) with a search already indexed.
CheckedDrawing CheckDrawing(const std::string& path, const relocation::ImageSearch& search);

}  // namespace app
