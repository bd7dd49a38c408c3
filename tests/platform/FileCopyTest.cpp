#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "platform/Platform.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

using testsupport::Hex;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;
using testsupport::WriteFileText;

constexpr std::size_t kMiB = 1 << 20;

std::vector<unsigned char> Pattern(std::size_t size) {
  std::vector<unsigned char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return bytes;
}

std::vector<std::string> SortedList(const std::string& folder) {
  std::vector<std::string> names = platform::ListFolder(folder);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CopyFileContents, MissingSourceCreatesNothing) {
  TempFolder temp;
  EXPECT_EQ(platform::CopyFileContents(temp / "missing.bmp", temp / "copy.bmp"),
            platform::CopyOutcome::SourceNotOpened);
  EXPECT_TRUE(platform::ListFolder(temp.Path()).empty());
}

TEST(CopyFileContents, TargetInAMissingFolderLeavesNothing) {
  TempFolder temp;
  WriteFileText(temp / "a.bmp", "image");
  EXPECT_EQ(platform::CopyFileContents(temp / "a.bmp", temp / "missing\\a.bmp"),
            platform::CopyOutcome::TargetFailed);
  EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{"a.bmp"});
}

TEST(CopyFileContents, CompleteCopyIsByteIdentical) {
  TempFolder temp;
  const std::string source = temp / (Hex("95 5C") + ".bmp");  // 表.bmp
  const std::string target = temp / (Hex("83 5C") + ".bmp");  // ソ.bmp
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kMiB - 1, kMiB, kMiB + 1, 3 * kMiB + 17}) {
    const std::vector<unsigned char> bytes = Pattern(size);
    WriteFileBytes(source, bytes);
    platform::RemoveFile(target);
    ASSERT_EQ(platform::CopyFileContents(source, target), platform::CopyOutcome::Copied) << size;
    EXPECT_TRUE(ReadFileBytes(target) == bytes) << size;
  }
}

TEST(CopyFileContents, NeverReplacesAFile) {
  TempFolder temp;
  WriteFileBytes(temp / "a.bmp", Pattern(10));
  WriteFileBytes(temp / "b.bmp", Pattern(20));
  EXPECT_EQ(platform::CopyFileContents(temp / "a.bmp", temp / "b.bmp"), platform::CopyOutcome::TargetExists);
  EXPECT_EQ(platform::CopyFileContents(temp / "a.bmp", temp / "B.BMP"), platform::CopyOutcome::TargetExists);
  EXPECT_TRUE(ReadFileBytes(temp / "b.bmp") == Pattern(20));
}

#ifndef _WIN32

// A file-size limit makes a write fail part way, as a full disk would.
TEST(CopyFileContents, WriteErrorDeletesThePartialTarget) {
  TempFolder temp;
  WriteFileBytes(temp / "a.bmp", Pattern(3 * kMiB));
  struct rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit limited = previous;
  limited.rlim_cur = kMiB + kMiB / 2;
  void (*previousHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const platform::CopyOutcome outcome = platform::CopyFileContents(temp / "a.bmp", temp / "b.bmp");
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(outcome, platform::CopyOutcome::TargetFailed);
  EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{"a.bmp"});
}

#endif

}  // namespace
