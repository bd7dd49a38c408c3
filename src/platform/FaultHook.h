// A hook through which tests make file operations fail; unset in the programs.
#pragma once

namespace platform {

enum class FileOp { Open, Create, Read, Write, Flush, Close, Rename, Delete };

enum class FaultAction {
  None,   // the operation runs
  Fail,   // it fails with an I/O error
  Short,  // a write takes no bytes without an error
};

using FaultHook = FaultAction (*)(FileOp op);

// Asked before every file operation when set.
extern FaultHook faultHook;

inline FaultAction InjectedFault(FileOp op) { return faultHook ? faultHook(op) : FaultAction::None; }

}  // namespace platform
