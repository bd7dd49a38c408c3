// Internal paths (Shift-JIS, backslashes) to native paths (UTF-8, slashes) and back,
// with the case-insensitive lookup a drawing made on Windows expects (internal).
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// The native form of a path exactly as written (Shift-JIS bytes or UTF-16 units); false
// when it has none (a byte sequence with no Unicode form, an unpaired surrogate, a NUL,
// or a drive letter).
bool DecodePath(const std::string& path, std::string& native);
bool DecodePath(const std::u16string& path, std::string& native);
// The native path of an existing entry; when the exact path is missing its components
// are matched ignoring ASCII case. False when nothing is found.
bool FindExisting(const std::string& path, std::string& native);
bool FindExisting(const std::u16string& path, std::string& native);
// The native path at which to create an entry: the folder part found as by FindExisting,
// the last name replaced by an existing entry's name that differs from it only in case.
bool PlaceForCreate(const std::string& path, std::string& native);
bool PlaceForCreate(const std::u16string& path, std::string& native);
// This program created an entry / removed one: keeps the lookup's folder cache current.
void NoteCreated(const std::string& native);
void NoteRemoved(const std::string& native);
// Drops the lookup's folder cache (after removing a whole tree).
void ForgetFolders();
// A native path in the internal form; false when it has no CP932 form.
bool EncodePath(const std::string& native, std::string& path);
// Names of a folder's entries, "." and ".." left out; false when it cannot be read.
bool ReadFolderNames(const std::string& native, std::vector<std::string>& names);

}  // namespace platform::posix
