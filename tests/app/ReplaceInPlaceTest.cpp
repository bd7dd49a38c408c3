// Drawings replaced where they lie: converting again changes nothing, and the new file is
// what the old one was — its permissions, owner, link and read-only state.
#include <gtest/gtest.h>

#include <algorithm>

#include "FaultInjection.h"
#include "FormFixture.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace apptest {
namespace {

using platform::FileOp;

class ReplaceInPlace : public FormTest {
 protected:
  void SetUp() override {
    form.FormShow({});
    form.RadioButton3.SetChecked(true);
    form.RadioButton6.SetChecked(true);  // plain names
    work = Folder("work");
    Folder("img");
    testsupport::WriteFileText(root / "img\\a.bmp", "BM image a");
    testsupport::WriteFileText(work + "b.bmp", "BM image b");
    drawing = Write("work\\plan.jww", DrawingWithTexts({Reference(root / "img\\a.bmp"), Reference("b.bmp")}));
  }
  // Converts the drawing in place; returns the result line.
  std::string Convert(const std::string& path) {
    Drop({path});
    return form.ListBox1.Items.empty() ? "" : form.ListBox1.Items.back();
  }
#ifndef _WIN32
  static std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  static struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(Native(path).c_str(), &st), 0) << path;
    return st;
  }
#endif

  std::string work;
  std::string drawing;
};

TEST_F(ReplaceInPlace, ConvertingAgainChangesNothing) {
  for (bool pathNames : {false, true}) {
    SCOPED_TRACE(pathNames ? "path names" : "plain names");
    drawing = Write("work\\plan.jww", DrawingWithTexts({Reference(root / "img\\a.bmp"), Reference("b.bmp")}));
    (pathNames ? form.RadioButton5 : form.RadioButton6).SetChecked(true);
    ASSERT_EQ(Convert(drawing), kResultMark + OkText(2, 2, 0, 0, 0));
    const std::vector<unsigned char> first = testsupport::ReadFileBytes(drawing);
    const std::vector<std::string> folder = SortedList(work);
    for (int run = 2; run <= 3; ++run) {
      EXPECT_EQ(Convert(drawing), kResultMark + OkText(2, 2, 0, 0, 0)) << "run " << run;
      EXPECT_TRUE(testsupport::ReadFileBytes(drawing) == first) << "run " << run;
      EXPECT_EQ(SortedList(work), folder) << "run " << run;
    }
    for (const std::string& name : folder) {
      if (name != "plan.jww") platform::RemoveFile(work + name);
    }
    testsupport::WriteFileText(work + "b.bmp", "BM image b");
  }
}

TEST_F(ReplaceInPlace, EveryFlushBeforeTheMoveIsNeeded) {
  const std::vector<unsigned char> before = testsupport::ReadFileBytes(drawing);
  std::vector<FileOp> seen;
  {
    testsupport::FaultPlan counting({FileOp::Flush, FileOp::Rename}, 0);
    ASSERT_EQ(Convert(drawing), kResultMark + OkText(2, 2, 0, 0, 0));
    seen = counting.Seen();
  }
  // the copied image and the new drawing (and on POSIX the folder) reach the disk before
  // the move; on POSIX the folder once more after it
#ifdef _WIN32
  EXPECT_EQ(seen, (std::vector<FileOp>{FileOp::Flush, FileOp::Flush, FileOp::Rename}));
#else
  EXPECT_EQ(seen, (std::vector<FileOp>{FileOp::Flush, FileOp::Flush, FileOp::Flush, FileOp::Rename, FileOp::Flush}));
#endif
  int flush = 0;
  bool moved = false;
  for (const FileOp op : seen) {
    if (op == FileOp::Rename) {
      moved = true;
      continue;
    }
    ++flush;
    testsupport::WriteFileBytes(drawing, before);
    platform::RemoveFile(work + "a.bmp");
    std::string result;
    {
      testsupport::FaultPlan plan({FileOp::Flush}, flush);
      result = Convert(drawing);
    }
    // after the move either file is whole on the disk: the conversion stands
    EXPECT_EQ(result == kResultMark + kFailed, !moved) << "flush " << flush;
    if (!moved) {
      EXPECT_TRUE(testsupport::ReadFileBytes(drawing) == before) << "flush " << flush;
    }
  }
}

#ifdef _WIN32

TEST_F(ReplaceInPlace, AReadOnlyDrawingIsNotReplaced) {
  const std::vector<unsigned char> before = testsupport::ReadFileBytes(drawing);
  ASSERT_TRUE(SetFileAttributesA(drawing.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Convert(drawing), kResultMark + kFailed);
  EXPECT_TRUE(testsupport::ReadFileBytes(drawing) == before);
  EXPECT_EQ(GetFileAttributesA(drawing.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(drawing.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ReplaceInPlace, AHiddenDrawingStaysHidden) {
  ASSERT_TRUE(SetFileAttributesA(drawing.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(Convert(drawing), kResultMark + OkText(2, 2, 0, 0, 0));
  EXPECT_NE(GetFileAttributesA(drawing.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  SetFileAttributesA(drawing.c_str(), FILE_ATTRIBUTE_NORMAL);
}

#else

TEST_F(ReplaceInPlace, PermissionsAndOwnerCarryOver) {
  ASSERT_EQ(chmod(Native(drawing).c_str(), 0600), 0);
  const bool superuser = geteuid() == 0;
  // as root the owner can be set: a drawing of another user stays that user's
  if (superuser) {
    ASSERT_EQ(chown(Native(drawing).c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(Convert(drawing), kResultMark + OkText(2, 2, 0, 0, 0));
  const struct stat st = Stat(drawing);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  if (superuser) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(TextsOf(drawing)[0], Reference("a.bmp"));
}

TEST_F(ReplaceInPlace, ADrawingWithoutWritePermissionIsNotReplaced) {
  const std::vector<unsigned char> before = testsupport::ReadFileBytes(drawing);
  ASSERT_EQ(chmod(Native(drawing).c_str(), 0444), 0);
  // refused whoever runs the program, root included
  EXPECT_EQ(Convert(drawing), kResultMark + kFailed);
  EXPECT_TRUE(testsupport::ReadFileBytes(drawing) == before);
  EXPECT_EQ(Stat(drawing).st_mode & 07777, 0444u);
  EXPECT_EQ(SortedList(work), (std::vector<std::string>{"b.bmp", "plan.jww"}));
}

TEST_F(ReplaceInPlace, ADrawingReachedThroughALinkIsConvertedWhereItLies) {
  const std::string links = Folder("links");
  ASSERT_EQ(symlink(Native(drawing).c_str(), Native(links + "plan.jww").c_str()), 0);
  EXPECT_EQ(Convert(links + "plan.jww"), kResultMark + OkText(2, 2, 0, 0, 0));
  EXPECT_TRUE(S_ISLNK(Stat(links + "plan.jww").st_mode));
  EXPECT_EQ(TextsOf(drawing), (std::vector<std::string>{Reference("a.bmp"), Reference("b.bmp")}));
  // the images go beside the drawing itself
  EXPECT_EQ(SortedList(work), (std::vector<std::string>{"a.bmp", "b.bmp", "plan.jww"}));
  EXPECT_EQ(SortedList(links), std::vector<std::string>{"plan.jww"});
}

#endif

}  // namespace
}  // namespace apptest
