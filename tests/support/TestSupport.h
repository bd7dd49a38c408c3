// Shared helpers for the tests: scratch folders, whole-file reads and writes, samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A fresh, empty folder (internal path form, ending in a backslash), removed with
// everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + name
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole-file helpers through the platform layer; they fail the current test on error.
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
void WriteFileText(const std::string& path, const std::string& bytes);
// WriteFileText, the folders on the way made first.
void WriteFileMakingFolders(const std::string& path, const std::string& bytes);

// Sets a file's modification time in seconds since 1970 (UTC), beyond what a packed DOS
// time holds; the path is plain ASCII.
void SetModificationTime(const std::string& path, std::int64_t unixSeconds);

// Makes a symbolic link at `link` leading to `target`, a path as the link holds it (relative
// to the link's folder, or whole); false where the system cannot make one.
bool MakeLink(const std::string& target, const std::string& link, bool toFolder);
// For names with no Shift-JIS form: paths held as UTF-16 units (internal form,
// backslashes), served by the system's own calls, so that they check the platform layer.
// They fail the current test on error.
std::string Utf8(const std::u16string& units);
std::u16string Units(const std::string& sjis);
void MakeFolder(const std::u16string& path);
void WriteFileText(const std::u16string& path, const std::string& bytes);
std::string ReadFileText(const std::u16string& path);
bool Exists(const std::u16string& path);
// Modification time in seconds since 1970 (UTC).
std::int64_t ModificationTime(const std::u16string& path);
void SetModificationTime(const std::u16string& path, std::int64_t unixSeconds);
// Names of a folder's entries as UTF-8, sorted, whatever their script.
std::vector<std::string> FolderNames(const std::string& folder);

// The folder of real drawings (internal form, ending in a backslash), or "" when absent.
std::string SamplesFolder();
// The project's own folder (internal form, ending in a backslash).
std::string SourceFolder();
// Names of the sample drawings in that folder, sorted.
std::vector<std::string> SampleDrawings();

// Bytes of a string literal written as hex pairs, e.g. Hex("95 5C") for 表.
std::string Hex(const std::string& pairs);

}  // namespace testsupport
