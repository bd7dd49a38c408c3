// A project check written out: as one JSON document, as CSV rows for a spreadsheet, and
// as a page to look at.
#pragma once

#include <string>
#include <vector>

#include "app/ProjectCheck.h"

namespace app {

// The state in words, as the reports show it.
const char* StateWords(ReferenceState state);
// The state as a JSON name ("foundBySearch").
const char* StateKey(ReferenceState state);
// Why a walk passed something over, and why an input was refused, in words.
const char* PassedOverWords(const PassedOver& passed);
const char* RefusedWords(RefusedInput::Reason why);

// The text form (UTF-8): a drawing's line with its counts, then a line for each reference
// whose image is not where the drawing says.
std::vector<std::string> CheckLines(const CheckedDrawing& drawing);
// The text form's last line: the run's totals.
std::string CheckTotalsLine(const CheckTotals& totals);

std::string CheckJson(const CheckResult& result);
// One row per reference, and one for each drawing that could not be read.
std::string CheckCsv(const CheckResult& result);

// The language of the page's own texts; what comes from drawings and files stays as it is.
enum class PageLanguage { English, Japanese };

struct PageOptions {
  PageLanguage Language = PageLanguage::English;
  // The folder the page is saved in (a full native path, UTF-8): images below or near it
  // are linked by relative paths, the others by file URLs.
  std::string Folder;
};

// One self-contained page: a summary, then one section per drawing, those with problems
// first, with its preview when one was drawn (or why there is none), each reference with
// its state and a thumbnail of every image found. It needs no script and, by its content
// policy, runs none and fetches nothing but local images.
std::string CheckPage(const CheckResult& result, const PageOptions& options);

}  // namespace app
