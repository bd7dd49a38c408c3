#include "platform/win32/Win32FileOps.h"

#include "platform/FaultHook.h"

namespace platform::win32 {
namespace {

// True when a test asked for this operation to fail; the last error then says why.
bool Injected(FileOp op) {
  if (InjectedFault(op) != FaultAction::Fail) return false;
  SetLastError(ERROR_WRITE_FAULT);
  return true;
}

}  // namespace

HANDLE OsOpen(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  const bool creating = disposition == CREATE_ALWAYS || disposition == CREATE_NEW || disposition == OPEN_ALWAYS;
  if (Injected(creating ? FileOp::Create : FileOp::Open)) return INVALID_HANDLE_VALUE;
  return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool OsRead(HANDLE file, void* buffer, DWORD n, DWORD& got) {
  got = 0;
  if (Injected(FileOp::Read)) return false;
  return ReadFile(file, buffer, n, &got, nullptr) != FALSE;
}

bool OsWrite(HANDLE file, const void* buffer, DWORD n, DWORD& put) {
  put = 0;
  switch (InjectedFault(FileOp::Write)) {
    case FaultAction::Fail:
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    case FaultAction::Short:
      return true;
    default:
      break;
  }
  return WriteFile(file, buffer, n, &put, nullptr) != FALSE;
}

bool OsFlush(HANDLE file) { return !Injected(FileOp::Flush) && FlushFileBuffers(file) != FALSE; }

bool OsClose(HANDLE file) {
  if (Injected(FileOp::Close)) {
    CloseHandle(file);  // the handle is gone either way
    return false;
  }
  return CloseHandle(file) != FALSE;
}

bool OsRename(const std::wstring& from, const std::wstring& to) {
  if (Injected(FileOp::Rename)) return false;
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool OsReplace(const std::wstring& replaced, const std::wstring& replacement) {
  if (Injected(FileOp::Rename)) return false;
  return ReplaceFileW(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr) != FALSE;
}

bool OsDelete(const std::wstring& path, bool folder) {
  if (Injected(FileOp::Delete)) return false;
  return (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) != FALSE;
}

}  // namespace platform::win32
