#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "platform/Platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using testsupport::Hex;
using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileText;

const std::string kHyo = Hex("95 5C");  // 表
const std::string kHyoUtf8 = "\xE8\xA1\xA8";

TEST(PathTranslation, UndecodablePathDoesNotExist) {
  TempFolder temp;
  const std::string bad = temp / "a\x82";  // a lead byte with nothing after it
  EXPECT_FALSE(platform::FileExists(bad));
  EXPECT_FALSE(platform::FolderExists(bad));
  platform::OutputFile out;
  EXPECT_FALSE(out.Create(bad));
  EXPECT_FALSE(platform::MakeFolder(bad));
  EXPECT_TRUE(platform::ListFolder(temp.Path()).empty());
}

TEST(PathTranslation, DisplayFormIsNativeUtf8) {
#ifdef _WIN32
  EXPECT_EQ(platform::NativePathForDisplay("C:\\" + kHyo + "\\a.bmp"), "C:\\" + kHyoUtf8 + "\\a.bmp");
#else
  EXPECT_EQ(platform::NativePathForDisplay("\\tmp\\" + kHyo + "\\a.bmp"), "/tmp/" + kHyoUtf8 + "/a.bmp");
#endif
}

#ifndef _WIN32

std::vector<std::string> SortedList(const std::string& folder) {
  std::vector<std::string> names = platform::ListFolder(folder);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Contents(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Native(const std::string& path) { return platform::NativePathForDisplay(path); }

TEST(PathTranslation, WindowsSpellingFindsAnyCase) {
  TempFolder temp;
  ASSERT_TRUE(platform::MakeFolder(temp / "img\\"));
  WriteFileText(temp / "img\\a.bmp", "image");

  EXPECT_TRUE(platform::FolderExists(temp / "IMG\\"));
  EXPECT_TRUE(platform::FileExists(temp / "IMG\\A.BMP"));
  EXPECT_TRUE(platform::FileExists(temp / "Img\\a.Bmp"));
  std::uint32_t time = 0;
  std::uint64_t size = 0;
  EXPECT_TRUE(platform::GetFileInfo(temp / "IMG\\A.BMP", time, size));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(Contents(temp / "IMG\\A.BMP"), "image");
  EXPECT_FALSE(platform::FileExists(temp / "IMG\\B.BMP"));
}

TEST(PathTranslation, CreateUsesEntriesThatDifferOnlyInCase) {
  TempFolder temp;
  ASSERT_TRUE(platform::MakeFolder(temp / "img\\"));
  WriteFileText(temp / "img\\a.bmp", "old");

  WriteFileText(temp / "IMG\\A.BMP", "new");  // replaces img/a.bmp
  WriteFileText(temp / "IMG\\B.BMP", "b");    // a new file in img/
  EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{"img"});
  EXPECT_EQ(SortedList(temp / "img\\"), (std::vector<std::string>{"B.BMP", "a.bmp"}));
  EXPECT_EQ(Contents(temp / "img\\a.bmp"), "new");
  EXPECT_FALSE(platform::MakeFolder(temp / "IMG\\"));

  ASSERT_TRUE(platform::MoveIntoPlace(temp / "IMG\\B.BMP", temp / "IMG\\A.BMP"));
  EXPECT_EQ(SortedList(temp / "img\\"), std::vector<std::string>{"a.bmp"});
  EXPECT_EQ(Contents(temp / "img\\a.bmp"), "b");
}

TEST(PathTranslation, DriveLetterPathDoesNotExist) {
  TempFolder temp;
  ASSERT_EQ(mkdir(Native(temp / "C:").c_str(), 0777), 0);
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(Native(temp.Path()).c_str()), 0);
  EXPECT_FALSE(platform::FolderExists("C:\\"));
  EXPECT_FALSE(platform::FolderExists("C:"));
  EXPECT_TRUE(platform::FolderExists(".\\C:\\"));
  EXPECT_EQ(chdir(previous), 0);
  free(previous);
}

TEST(PathTranslation, CreateOverASymbolicLinkReplacesTheLink) {
  TempFolder temp;
  ASSERT_EQ(symlink("target.bmp", Native(temp / "dangling.bmp").c_str()), 0);
  WriteFileText(temp / "kept.bmp", "kept");
  ASSERT_EQ(symlink(Native(temp / "kept.bmp").c_str(), Native(temp / "link.bmp").c_str()), 0);

  WriteFileText(temp / "dangling.bmp", "written");
  WriteFileText(temp / "link.bmp", "written");
  EXPECT_FALSE(platform::FileExists(temp / "target.bmp"));
  EXPECT_EQ(Contents(temp / "kept.bmp"), "kept");
  for (const char* name : {"dangling.bmp", "link.bmp"}) {
    struct stat st;
    ASSERT_EQ(lstat(Native(temp / name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
    EXPECT_EQ(Contents(temp / name), "written");
  }
}

TEST(PathTranslation, RemoveTreeLeavesLinkedFoldersAlone) {
  TempFolder temp;
  ASSERT_TRUE(platform::MakeFolder(temp / "outside\\"));
  WriteFileText(temp / "outside\\keep.bmp", "keep");
  ASSERT_TRUE(platform::MakeFolder(temp / "tree\\"));
  ASSERT_EQ(symlink(Native(temp / "outside").c_str(), Native(temp / "tree\\link").c_str()), 0);
  ASSERT_EQ(symlink(Native(temp / "outside").c_str(), Native(temp / "top").c_str()), 0);

  EXPECT_FALSE(platform::RemoveTree(temp / "top\\"));
  EXPECT_TRUE(platform::RemoveTree(temp / "tree\\"));
  EXPECT_FALSE(platform::FolderExists(temp / "tree\\"));
  EXPECT_EQ(Contents(temp / "outside\\keep.bmp"), "keep");
}

TEST(PathTranslation, ListFolderLeavesOutNamesWithoutAnInternalForm) {
  TempFolder temp;
  for (const std::string& name : {std::string("caf\xC3\xA9.bmp"), std::string("a\\b.bmp"), kHyoUtf8 + ".bmp"}) {
    FILE* file = fopen(Native(temp.Path()).append(name).c_str(), "w");
    ASSERT_NE(file, nullptr);
    fclose(file);
  }
  EXPECT_EQ(SortedList(temp.Path()), std::vector<std::string>{kHyo + ".bmp"});
}

TEST(PathTranslation, ArgumentsAreEncodedToTheInternalForm) {
  std::string program = "quorvane";
  std::string path = "img/" + kHyoUtf8 + ".jww";
  std::string foreign = "caf\xC3\xA9.jww";
  std::string flag = "/G";
  char* argv[] = {program.data(), path.data(), foreign.data(), flag.data()};
  const std::vector<platform::Argument> arguments = platform::ProgramArguments(4, argv);
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(arguments[0].sjis, "img\\" + kHyo + ".jww");
  EXPECT_EQ(arguments[0].display, path);
  EXPECT_TRUE(arguments[0].representable);
  EXPECT_FALSE(arguments[1].representable);
  EXPECT_EQ(arguments[1].display, foreign);
  EXPECT_EQ(arguments[2].display, "/G");
}

TEST(PathTranslation, AnyCaseLookupFollowsThisProgramsOwnChanges) {
  testsupport::TempFolder temp;
  testsupport::WriteFileText(temp / "a.bmp", "a");
  EXPECT_TRUE(platform::FileExists(temp / "A.BMP"));  // the folder's names are read here
  EXPECT_FALSE(platform::FileExists(temp / "B.BMP"));
  testsupport::WriteFileText(temp / "b.bmp", "b");
  EXPECT_TRUE(platform::FileExists(temp / "B.BMP"));
  ASSERT_TRUE(platform::RemoveFile(temp / "A.bmp"));
  EXPECT_FALSE(platform::FileExists(temp / "a.BMP"));
  ASSERT_TRUE(platform::MoveIntoPlace(temp / "b.bmp", temp / "C.Bmp"));
  EXPECT_TRUE(platform::FileExists(temp / "c.bmp"));
  EXPECT_FALSE(platform::FileExists(temp / "B.BMP"));
  ASSERT_TRUE(platform::MakeFolder(temp / "Sub\\"));
  EXPECT_TRUE(platform::FolderExists(temp / "SUB\\"));
}

#endif

}  // namespace
