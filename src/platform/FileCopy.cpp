#include <algorithm>
#include <memory>

#include "platform/Platform.h"

namespace platform {

namespace {

// Large files go through 1 MiB at a time; a small one takes one read and one write.
constexpr std::size_t kCopyBufferSize = 1 << 20;
constexpr std::size_t kSmallestBuffer = 4096;

template <class Path>
CopyOutcome DropTarget(OutputFile& target, const Path& path) {
  target.Close();
  if (FileExists(path)) RemoveFile(path);
  return CopyOutcome::TargetFailed;
}

template <class Path>
CopyOutcome CopyContents(const Path& source, const Path& target) {
  InputFile in;
  if (!in.Open(source)) return CopyOutcome::SourceNotOpened;
  OutputFile out;
  if (!out.Create(target, true)) {
    // another file (or a run at the same time) has the name: it is not ours to remove
    return out.NameTaken() ? CopyOutcome::TargetExists : CopyOutcome::TargetFailed;
  }

  const std::size_t size = static_cast<std::size_t>(
      std::clamp<std::uint64_t>(in.Size() + 1, kSmallestBuffer, kCopyBufferSize));
  const auto buffer = std::make_unique_for_overwrite<char[]>(size);
  bool shortWrite = false;
  for (;;) {
    const std::size_t got = in.Read(buffer.get(), size);
    if (in.Failed()) return DropTarget(out, target);
    if (got == 0) break;
    const std::size_t put = out.Write(buffer.get(), got);
    if (out.Failed()) return DropTarget(out, target);
    if (put < got) {
      shortWrite = true;  // the shorter target stays
      break;
    }
  }
  if (!out.Flush()) return DropTarget(out, target);
  if (!out.Close()) return DropTarget(out, target);
  return shortWrite ? CopyOutcome::ShortWrite : CopyOutcome::Copied;
}

}  // namespace

CopyOutcome CopyFileContents(const PathRef& source, const PathRef& target) {
  if (!source.HeldAsUnits() && !target.HeldAsUnits()) return CopyContents(source.Sjis(), target.Sjis());
  return CopyContents(source.Units(), target.Units());
}

}  // namespace platform
