// The Win32 calls that open, read, write, flush, close, rename and delete files: every
// one the platform layer makes goes through these functions (internal).
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// CreateFileW; INVALID_HANDLE_VALUE on failure.
HANDLE OsOpen(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);
// ReadFile; false on an error, `got` 0 at the end.
bool OsRead(HANDLE file, void* buffer, DWORD n, DWORD& got);
// WriteFile; false on an error.
bool OsWrite(HANDLE file, const void* buffer, DWORD n, DWORD& put);
// FlushFileBuffers: the file's bytes reach the disk.
bool OsFlush(HANDLE file);
// CloseHandle.
bool OsClose(HANDLE file);
// MoveFileExW, replacing the target, written through to the disk.
bool OsRename(const std::wstring& from, const std::wstring& to);
// ReplaceFileW: the replacement takes the replaced file's place, attributes, ACLs and streams.
bool OsReplace(const std::wstring& replaced, const std::wstring& replacement);
// DeleteFileW, or RemoveDirectoryW for a folder.
bool OsDelete(const std::wstring& path, bool folder);

}  // namespace platform::win32
