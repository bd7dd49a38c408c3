#include <memory>

#include "platform/Platform.h"

namespace platform {

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;

CopyOutcome DropTarget(OutputFile& target, const std::string& path) {
  target.Close();
  if (FileExists(path)) RemoveFile(path);
  return CopyOutcome::TargetFailed;
}

}  // namespace

CopyOutcome CopyFileContents(const std::string& source, const std::string& target) {
  InputFile in;
  if (!in.Open(source)) return CopyOutcome::SourceNotOpened;
  OutputFile out;
  if (!out.Create(target)) return DropTarget(out, target);

  const auto buffer = std::make_unique_for_overwrite<char[]>(kCopyBufferSize);
  bool shortWrite = false;
  for (;;) {
    const std::size_t got = in.Read(buffer.get(), kCopyBufferSize);
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

}  // namespace platform
