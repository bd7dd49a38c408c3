// The operating-system services the core needs. Every path is a Shift-JIS (CP932) byte
// string in Windows form (backslash separators, folders ending in a backslash); each
// implementation translates it to the native form at the call. The file operations that
// image references need take a PathRef, which also carries a path held as UTF-16 units in
// the same form, for names with no Shift-JIS form: the wide calls on Windows, UTF-8
// elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace platform {

// A path in either form a service takes: Shift-JIS bytes, or UTF-16 units for a name with
// no Shift-JIS form. It refers to the caller's string for the length of the call.
class PathRef {
 public:
  PathRef(const std::string& sjis) : sjis_(&sjis) {}
  PathRef(const std::u16string& units) : units_(&units) {}
  PathRef(const char* sjis) : own_(sjis), sjis_(&own_) {}
  PathRef(const PathRef&) = delete;
  PathRef& operator=(const PathRef&) = delete;

  bool HeldAsUnits() const { return units_ != nullptr; }
  // The Shift-JIS path; only when it is not held as units.
  const std::string& Sjis() const { return *sjis_; }
  // Calls f with the path as the string it is held in.
  template <class F>
  decltype(auto) Visit(F&& f) const {
    return units_ ? f(*units_) : f(*sjis_);
  }
  // The path as UTF-16 units whatever its form; "" for bytes with no Unicode form.
  std::u16string Units() const;

 private:
  std::string own_;
  const std::string* sjis_ = nullptr;
  const std::u16string* units_ = nullptr;
};

// --- file system -------------------------------------------------------------------

// True when a regular file is found under the path (a folder does not count).
bool FileExists(const PathRef& path);
// True when a folder is found under the path.
bool FolderExists(const PathRef& path);
// The same for a path the user names: found under that very name, letter case and all,
// where the system tells names apart by case (the two above also find a name that differs
// only in case, as the images of a drawing made on Windows expect).
bool FileExistsAsNamed(const std::string& path);
bool FolderExistsAsNamed(const std::string& path);

// Modification time in packed DOS form (local time, clamped to the years 1980-2107 that
// the form can hold) and size of a file; false when none.
bool GetFileInfo(const PathRef& path, std::uint32_t& dosTime, std::uint64_t& size);
// Sets a file's modification time from a packed DOS local time.
bool SetFileDosTime(const PathRef& path, std::uint32_t dosTime);
// Makes a file an ordinary writable file ("archive only": not read-only, hidden or system).
bool SetArchiveOnly(const PathRef& path);

// Deletes a file; false when it could not be deleted (or did not exist).
bool RemoveFile(const PathRef& path);
// Puts a complete file in the place of another in the same folder, durably: the file's
// own bytes and the folder's entries reach the disk before the move, and the file takes
// the permissions (and owner and group where allowed) of the one it replaces. False
// leaves both as they were.
bool MoveIntoPlace(const std::string& from, const std::string& to);
// Where a file saved under `path` goes: `path` itself, or the file a symbolic link there
// leads to (the link stays; a link that leads nowhere is replaced). False when the file there must not be replaced: it is
// read-only (no write permission for anyone; the read-only attribute), this process may
// not write it, or it is not an ordinary file.
bool FindSaveTarget(const std::string& path, std::string& target);
// True when both paths name one existing file or folder, however each is spelt (letter
// case, short names, links; a path of each form is compared in units).
bool SameFile(const PathRef& a, const PathRef& b);
// The name (no folder) of the existing file or folder at path as the file system holds it:
// the long name for an 8.3 short one, the entry's own letter case; "" when none is found
// or the name has no form of the path's kind (given in the path's own form, so declared
// for each).
std::string RealFileName(const std::string& path);
std::u16string RealFileName(const std::u16string& path);
// Creates one folder; false when it exists already or cannot be made.
bool MakeFolder(const PathRef& path);
// Removes an empty folder.
bool RemoveFolder(const std::string& path);

// Names (not paths) of the entries of a folder, "." and ".." left out; empty when none.
std::vector<std::string> ListFolder(const std::string& folder);
// Deletes a folder with everything in it, never following symbolic links.
bool RemoveTree(const std::string& folder);

// True when the system takes a path typed by the user as it stands rather than under the
// working folder: one that starts from a root (a drive, on Windows, counts as one).
bool IsFullPath(const std::string& path);
// Full path of the running program file.
std::string ProgramFilePath();
// The process's working folder, ending in a backslash.
std::string CurrentFolder();
// A per-user folder for temporary files, ending in a backslash.
std::string UserTempFolder();

// A file opened for reading, read front to back.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool Open(const PathRef& path);
  // Reads up to n bytes; fewer only at the end of the file or on an error (see Failed).
  std::size_t Read(void* buffer, std::size_t n);
  bool Failed() const { return failed_; }
  // Size of the file when it was opened.
  std::uint64_t Size() const { return size_; }
  void Close();
  bool IsOpen() const;

 private:
  template <class Path>
  bool OpenPath(const Path& path);

  std::intptr_t handle_ = -1;
  std::uint64_t size_ = 0;
  bool failed_ = false;
};

// A file created (or truncated) for writing.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file, replacing any file of that name; with `exclusive`, fails when the
  // name is taken. Never follows a symbolic link.
  bool Create(const PathRef& path, bool exclusive = false);
  // After an exclusive Create failed: true when an entry already had the name.
  bool NameTaken() const { return nameTaken_; }
  // Creates a new file in the folder of `target`, under a name no other file has, for a
  // save that is to replace target (see MoveIntoPlace); `temp` receives its path.
  bool CreateTemporaryFor(const std::string& target, std::string& temp);
  // Writes n bytes; returns how many were taken. Fewer without Failed() is a short
  // write; an error sets Failed().
  std::size_t Write(const void* buffer, std::size_t n);
  bool Failed() const { return failed_; }
  // Writes what was written through to the disk (fsync, FlushFileBuffers); false on an
  // error.
  bool Flush();
  // Closes the file; false when the close reports an error.
  bool Close();
  bool IsOpen() const;

 private:
  template <class Path>
  bool CreatePath(const Path& path, bool exclusive);

  std::intptr_t handle_ = -1;
  bool failed_ = false;
  bool nameTaken_ = false;
};

// Replaces the file saved under `path` (see FindSaveTarget) with what `write` writes into a
// new file beside it: written, flushed to the disk and moved over the old one only when
// `write` returned true and nothing failed. Whatever fails or is thrown on the way, the
// old file stays as it was and the new one is removed; false then.
bool ReplaceFileContents(const std::string& path, const std::function<bool(OutputFile&)>& write);

enum class CopyOutcome {
  Copied,           // every byte copied
  ShortWrite,       // a write took fewer bytes without an error; the shorter target stays
  SourceNotOpened,  // nothing was created
  TargetExists,     // the target's name is taken; nothing was touched
  TargetFailed,     // creating, writing, flushing or closing the target failed; no target remains
};
// Copies a file byte for byte into a new file, flushed to the disk; a file already under
// the target's name is never replaced (a path of each form: both taken in units).
CopyOutcome CopyFileContents(const PathRef& source, const PathRef& target);

// A lock file that marks a scratch folder as in use by a live run: held until Release
// or until the process ends, however it ends.
class RunLock {
 public:
  RunLock() = default;
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Creates the lock file and holds it; false when the name is taken or it cannot be made.
  bool Acquire(const std::string& path);
  // Takes hold of the lock file a run left that is no longer alive, so that what it
  // marked can be removed; false while a live run holds it, or when there is none.
  bool TakeOver(const std::string& path);
  // Deletes the lock file and lets go of it.
  void Release();

 private:
  std::intptr_t handle_ = -1;
  std::string path_;
};

// --- text ----------------------------------------------------------------------------

// Shift-JIS bytes to UTF-16; false when a byte sequence has no Unicode form.
bool Cp932ToUtf16(const std::string& sjis, std::u16string& units);
// UTF-16 to Shift-JIS, only when every character has an exact CP932 form (converting
// back gives the same units; no best-fit mapping).
bool Utf16ToCp932(const std::u16string& units, std::string& sjis);

// A Shift-JIS string in the form of Text: itself, or its UTF-16 units ("" when a byte
// sequence has no Unicode form).
template <class Text>
Text InForm(const std::string& sjis) {
  if constexpr (std::is_same_v<Text, std::string>) {
    return sjis;
  } else {
    std::u16string units;
    Cp932ToUtf16(sjis, units);
    return units;
  }
}

// A Shift-JIS string as UTF-8, for display (undecodable bytes become U+FFFD).
std::string ToUtf8(const std::string& sjis);
// UTF-8 text as Shift-JIS, for a log line: a character with no Shift-JIS form shown as
// <U+XXXX>, a byte that is no UTF-8 as <0xXX>.
std::string ShiftJisForShowing(const std::string& utf8);
// UTF-16 units as UTF-8, for display (an unpaired surrogate becomes U+FFFD).
std::string Utf16ToUtf8ForDisplay(const std::u16string& units);
// A path as the user knows it: native separators, UTF-8.
std::string NativePathForDisplay(const PathRef& path);
// The same for an existing file, whole and spelt as the file system holds it (the letter
// case a case-insensitive match found on POSIX; the drive and long names on Windows);
// NativePathForDisplay when it is not found.
std::string ExistingPathForDisplay(const PathRef& path);

// One command-line argument: its Shift-JIS path form, and whether it has one.
struct Argument {
  std::string sjis;     // Shift-JIS, Windows form (backslashes)
  std::string display;  // UTF-8, as typed; bytes that were not UTF-8 shown as U+FFFD
  bool representable = true;
  bool utf8 = true;     // the bytes given were UTF-8 text (a name from another system may not be)
};
// The program's arguments after the program name, taken from the system (on Windows the
// wide command line; elsewhere argv, UTF-8).
std::vector<Argument> ProgramArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error (wide console API on Windows).
void WriteStdout(const std::string& utf8);
void WriteStderr(const std::string& utf8);

}  // namespace platform
