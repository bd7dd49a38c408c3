// Looking for an image that is missing where its reference says: near the drawing, where
// a moved project folder keeps the reference's trailing folders, and by file name among
// the files of folders the user names. The search never guesses between different files.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace relocation {

// What a run searches; nothing by default.
struct SearchOptions {
  bool Near = false;                 // the reference's trailing folders under the drawing's folders
  std::vector<std::string> Folders;  // searched by file name, Shift-JIS, each ending in a backslash
  bool Active() const { return Near || !Folders.empty(); }
  bool operator==(const SearchOptions&) const = default;
};

// Where a search led for one reference.
struct SearchOutcome {
  enum class Kind {
    NotFound,
    Found,  // Path is the file to use
    Tie,    // different files are equally near: nothing is used
  };
  Kind What = Kind::NotFound;
  std::string Path;                     // Found: Shift-JIS
  std::u16string Units;                 // Found: the same path when it has no Shift-JIS form
  std::vector<std::string> Candidates;  // Tie: the files tied, in the order they were indexed
};

// The files below the search folders, indexed once for a run, and the lookups.
class ImageSearch {
 public:
  explicit ImageSearch(SearchOptions options = {});

  const SearchOptions& Options() const { return options_; }
  // Adds one file found below a search folder (a full Shift-JIS path).
  void AddFile(const std::string& path);
  std::size_t FileCount() const { return files_.size(); }

  // The image a reference's path (as the drawing holds it) leads to when it is missing
  // where it says: the near rule first, then the indexed files.
  SearchOutcome Find(const std::string& referencePath, const std::string& drawingPath) const;
  SearchOutcome Find(const std::u16string& referencePath, const std::string& drawingPath) const;

 private:
  struct IndexedFile {
    std::uint32_t folder = 0;  // index in folders_
    std::string name;
  };
  // reference components are Shift-JIS here; a component with no Shift-JIS form is ""
  SearchOutcome ByName(const std::vector<std::string>& components) const;
  // how many of the reference's folders, from the last, the file's folders end with
  std::size_t Nearness(const IndexedFile& file, const std::vector<std::string>& components) const;

  SearchOptions options_;
  std::vector<std::string> folders_;  // with their backslash
  std::vector<IndexedFile> files_;
  // the upper-cased file name to the files of that name
  std::unordered_map<std::string, std::vector<std::uint32_t>> byName_;
};

}  // namespace relocation
