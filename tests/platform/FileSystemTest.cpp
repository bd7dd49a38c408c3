#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "TestSupport.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

using testsupport::Hex;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileText;

// 表, ソ and 能: their second byte is 0x5C, a backslash when read byte by byte
const std::string kHyo = Hex("95 5C");
const std::string kSo = Hex("83 5C");
const std::string kNou = Hex("94 5C");

std::vector<std::string> SortedList(const std::string& folder) {
  std::vector<std::string> names = platform::ListFolder(folder);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Contents(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

constexpr std::uint32_t PackDos(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(month) << 21 |
         static_cast<std::uint32_t>(day) << 16 | static_cast<std::uint32_t>(hour) << 11 |
         static_cast<std::uint32_t>(minute) << 5 | static_cast<std::uint32_t>(second / 2);
}

TEST(Platform, NamesWithTrailByte5CAreCreatedFoundListedAndDeleted) {
  TempFolder temp;
  const std::string folder = temp / (kSo + "\\");
  const std::string name = kHyo + kNou + ".txt";
  const std::string file = folder + name;

  ASSERT_TRUE(platform::MakeFolder(folder));
  EXPECT_TRUE(platform::FolderExists(folder));
  WriteFileText(file, "contents");
  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_EQ(Contents(file), "contents");
  EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{kSo});
  EXPECT_EQ(SortedList(folder), std::vector<std::string>{name});

  EXPECT_TRUE(platform::RemoveFile(file));
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_TRUE(platform::RemoveFolder(folder));
  EXPECT_FALSE(platform::FolderExists(folder));
  EXPECT_TRUE(platform::ListFolder(temp.Path()).empty());
}

TEST(Platform, FileAndFolderAreTold) {
  TempFolder temp;
  const std::string folder = temp / "sub\\";
  const std::string file = temp / "a.bmp";
  ASSERT_TRUE(platform::MakeFolder(folder));
  WriteFileText(file, "x");

  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_FALSE(platform::FolderExists(file));
  EXPECT_TRUE(platform::FolderExists(folder));
  EXPECT_FALSE(platform::FileExists(folder));
  EXPECT_FALSE(platform::FileExists(temp / "sub"));
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  EXPECT_FALSE(platform::GetFileInfo(folder, time, size));
  EXPECT_FALSE(platform::GetFileInfo(temp / "missing.bmp", time, size));
  EXPECT_FALSE(platform::FileExists(temp / "missing.bmp"));
  EXPECT_FALSE(platform::FolderExists(temp / "missing\\"));
  EXPECT_FALSE(platform::MakeFolder(folder));
  EXPECT_FALSE(platform::RemoveFile(folder));
  EXPECT_FALSE(platform::RemoveFile(temp / "missing.bmp"));
}

TEST(Platform, DosStampIsSetAndReadBack) {
  TempFolder temp;
  const std::string file = temp / (kHyo + ".bmp");
  WriteFileText(file, "12345");
  const std::uint32_t times[] = {
      PackDos(1980, 1, 1, 12, 0, 0),     // first DOS year
      PackDos(2021, 3, 14, 15, 9, 26),   // winter
      PackDos(2024, 7, 1, 23, 59, 58),   // summer
      PackDos(2107, 12, 31, 12, 0, 0),   // last DOS year
  };
  for (std::uint32_t dosTime : times) {
    ASSERT_TRUE(platform::SetFileDosTime(file, dosTime)) << std::hex << dosTime;
    std::uint32_t readTime = 0;
    std::uint64_t size = 0;
    ASSERT_TRUE(platform::GetFileInfo(file, readTime, size));
    EXPECT_EQ(readTime, dosTime) << std::hex << dosTime;
    EXPECT_EQ(size, 5u);
  }
  EXPECT_FALSE(platform::SetFileDosTime(file, PackDos(2021, 13, 1, 0, 0, 0)));
  EXPECT_FALSE(platform::SetFileDosTime(temp / "missing.bmp", PackDos(2021, 3, 14, 0, 0, 0)));
}

TEST(Platform, CopyTakesTheSourceStampWhenTheTimeIsCopied) {
  TempFolder temp;
  const std::string source = temp / "a.bmp";
  const std::string target = temp / "b.bmp";
  WriteFileText(source, std::string(1000, 'a'));  // written now: any second, odd or even
  ASSERT_EQ(platform::CopyFileContents(source, target), platform::CopyOutcome::Copied);
  std::uint32_t sourceTime = 0;
  std::uint64_t sourceSize = 0;
  ASSERT_TRUE(platform::GetFileInfo(source, sourceTime, sourceSize));
  ASSERT_TRUE(platform::SetFileDosTime(target, sourceTime));
  std::uint32_t targetTime = 0;
  std::uint64_t targetSize = 0;
  ASSERT_TRUE(platform::GetFileInfo(target, targetTime, targetSize));
  EXPECT_NE(sourceTime, 0u);
  EXPECT_EQ(targetTime, sourceTime);
  EXPECT_EQ(targetSize, sourceSize);
}

TEST(Platform, ReplaceFileMovesOverAnExistingFile) {
  TempFolder temp;
  const std::string from = temp / (kNou + ".tmp");
  const std::string to = temp / (kNou + ".jww");
  WriteFileText(from, "new");
  WriteFileText(to, "old and longer");
  ASSERT_TRUE(platform::MoveIntoPlace(from, to));
  EXPECT_FALSE(platform::FileExists(from));
  EXPECT_EQ(Contents(to), "new");
  EXPECT_FALSE(platform::MoveIntoPlace(from, to));
}

// Whatever a save's writing does wrong, the old file stays whole and nothing is left beside it.
TEST(Platform, ReplaceFileContentsKeepsTheOldFileWhenTheWritingFailsInAnyWay) {
  struct Row {
    const char* what;
    std::function<bool(platform::OutputFile&)> write;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"written", [](platform::OutputFile& f) { return f.Write("new", 3) == 3; }, "new"},
      {"refused", [](platform::OutputFile& f) { return f.Write("new", 3) == 3 && false; }, "old and longer"},
      {"threw an error", [](platform::OutputFile&) -> bool { throw std::runtime_error("x"); }, "old and longer"},
      {"threw anything", [](platform::OutputFile&) -> bool { throw 1; }, "old and longer"},
  };
  for (const Row& row : rows) {
    TempFolder temp;
    const std::string file = temp / (kNou + ".jww");
    WriteFileText(file, "old and longer");
    EXPECT_EQ(platform::ReplaceFileContents(file, row.write), row.expected == "new") << row.what;
    EXPECT_EQ(Contents(file), row.expected) << row.what;
    EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{kNou + ".jww"}) << row.what;
  }
}

// A path of each form names the same file: the services take either, and two paths of
// different forms are compared and copied in units.
TEST(Platform, APathOfEitherFormNamesTheSameFile) {
  TempFolder temp;
  const std::string sjis = temp / (kNou + ".bmp");
  const std::u16string units = testsupport::Units(sjis);
  WriteFileText(sjis, "image");
  EXPECT_TRUE(platform::FileExists(sjis) && platform::FileExists(units));
  EXPECT_TRUE(platform::SameFile(sjis, units));
  EXPECT_EQ(platform::CopyFileContents(sjis, testsupport::Units(temp / "copy.bmp")), platform::CopyOutcome::Copied);
  EXPECT_EQ(Contents(temp / "copy.bmp"), "image");
  EXPECT_EQ(platform::NativePathForDisplay(sjis), platform::NativePathForDisplay(units));
  EXPECT_TRUE(platform::RemoveFile(units));
  EXPECT_FALSE(platform::FileExists(sjis));
}

TEST(Platform, OutputFileReplacesALongerFile) {
  TempFolder temp;
  const std::string file = temp / "a.jww";
  WriteFileText(file, "0123456789");
  WriteFileText(file, "abc");
  EXPECT_EQ(Contents(file), "abc");
}

TEST(Platform, InputFileReadsToTheEndWithoutFailing) {
  TempFolder temp;
  const std::string file = temp / "a.jww";
  WriteFileText(file, "abcdef");
  platform::InputFile in;
  ASSERT_TRUE(in.Open(file));
  EXPECT_EQ(in.Size(), 6u);
  char buffer[16] = {};
  EXPECT_EQ(in.Read(buffer, 4), 4u);
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 2u);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 0u);
  EXPECT_FALSE(in.Failed());
  EXPECT_FALSE(in.Open(temp.Path()));  // a folder is not a file
  EXPECT_FALSE(in.IsOpen());
}

TEST(Platform, RemoveTreeRemovesNestedFolders) {
  TempFolder temp;
  const std::string root = temp / (kHyo + "\\");
  ASSERT_TRUE(platform::MakeFolder(root));
  ASSERT_TRUE(platform::MakeFolder(root + kSo + "\\"));
  ASSERT_TRUE(platform::MakeFolder(root + kSo + "\\" + kNou + "\\"));
  WriteFileText(root + "a.bmp", "a");
  WriteFileText(root + kSo + "\\b.bmp", "b");
  WriteFileText(root + kSo + "\\" + kNou + "\\c.bmp", "c");
  ASSERT_TRUE(platform::RemoveTree(root));
  EXPECT_FALSE(platform::FolderExists(root));
  EXPECT_TRUE(platform::ListFolder(temp.Path()).empty());
}

TEST(Platform, SetArchiveOnlyMakesAReadOnlyFileWritable) {
  TempFolder temp;
  const std::string file = temp / "a.bmp";
  WriteFileText(file, "a");
  const std::string native = platform::NativePathForDisplay(file);
#ifdef _WIN32
  std::wstring wide(native.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, native.data(), static_cast<int>(native.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(platform::SetArchiveOnly(file));
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
#else
  ASSERT_EQ(chmod(native.c_str(), 0444), 0);
  ASSERT_TRUE(platform::SetArchiveOnly(file));
  struct stat st;
  ASSERT_EQ(stat(native.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
#endif
  WriteFileText(file, "b");
  EXPECT_EQ(Contents(file), "b");
}

TEST(Platform, SystemFoldersAreInInternalForm) {
  for (const std::string& folder : {platform::CurrentFolder(), platform::UserTempFolder()}) {
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\') << folder;
    EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
    EXPECT_TRUE(platform::FolderExists(folder)) << folder;
  }
  EXPECT_TRUE(platform::FileExists(platform::ProgramFilePath())) << platform::ProgramFilePath();
}

}  // namespace
