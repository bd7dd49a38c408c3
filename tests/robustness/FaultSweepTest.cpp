// Every file operation made to fail in turn: a save, a copy and an extraction either
// complete or leave nothing half-written behind.
#include <gtest/gtest.h>

#include <iostream>

#include "FaultInjection.h"
#include "TestSupport.h"
#include "jww/Archive.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImagePlacement.h"

using platform::FaultAction;
using platform::FileOp;
using testsupport::FaultPlan;

namespace {

const std::initializer_list<FileOp> kAllOps = {FileOp::Open,  FileOp::Create, FileOp::Read,   FileOp::Write,
                                               FileOp::Flush, FileOp::Close,  FileOp::Rename, FileOp::Delete};

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A drawing whose save reads an embedded image back from the scratch folder.
jww::TJwwData DrawingWithImage(const std::string& scratch) {
  const std::string picture(200000, 'p');
  jww::TJwwData d;
  d.Images.SetTempFolder(scratch);
  d.Images.Add(jww::JwwString("pic.bmp"), [&picture](const jww::ImageStore::Sink& sink) {
    return sink(reinterpret_cast<const unsigned char*>(picture.data()), picture.size());
  });
  for (int i = 0; i < 3000; ++i) {
    jww::TEntJwwText t;
    t.Text = jww::JwwString(i == 0 ? "^@BM%temp%pic.bmp,1,1" : "text " + std::to_string(i));
    d.Texts.push_back(t);
    d.Order.push_back({jww::kTextClass, i});
  }
  return d;
}

}  // namespace

TEST(FaultSweep, SaveToFileKeepsThePreviousFileOrWritesAWholeOne) {
  testsupport::TempFolder scratch, out;
  jww::TJwwData d = DrawingWithImage(scratch.Path());
  std::vector<unsigned char> whole;
  ASSERT_TRUE(d.SaveToMemory(whole, 700));
  const std::string target = out / "plan.jww";

  int count = 0;
  {
    FaultPlan counting(kAllOps, 0);
    ASSERT_TRUE(d.SaveToFile(target, 700));
    count = counting.Count();
  }
  ASSERT_GT(count, 3);
  int failures = 0;
  for (int n = 1; n <= count; ++n) {
    testsupport::WriteFileText(target, "previous");
    bool saved;
    {
      FaultPlan plan(kAllOps, n);
      saved = d.SaveToFile(target, 700);
      EXPECT_TRUE(plan.Fired());
    }
    SCOPED_TRACE("operation " + std::to_string(n));
    EXPECT_EQ(platform::ListFolder(out.Path()), std::vector<std::string>{"plan.jww"});
    const std::string now = AsString(testsupport::ReadFileBytes(target));
    if (saved) {
      EXPECT_EQ(now, AsString(whole));
    } else {
      ++failures;
      EXPECT_EQ(now, "previous");
    }
  }
  EXPECT_GT(failures, 0);
  std::cout << "save: " << count << " file operations failed in turn, " << failures << " of them failed the save\n";
}

TEST(FaultSweep, FileCopyLeavesAWholeCopyOrNone) {
  testsupport::TempFolder folder;
  const std::string source = folder / "src.bmp";
  std::string bytes(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  testsupport::WriteFileText(source, bytes);
  const std::string target = folder / "copy.bmp";

  int count = 0;
  {
    FaultPlan counting(kAllOps, 0);
    relocation::FileCopyKeepTime(source, target);
    count = counting.Count();
  }
  for (FaultAction action : {FaultAction::Fail, FaultAction::Short}) {
    for (int n = 1; n <= count; ++n) {
      platform::RemoveFile(target);
      bool raised = false;
      bool whole = false;
      {
        FaultPlan plan(kAllOps, n, action);
        try {
          whole = relocation::FileCopyKeepTime(source, target) == relocation::CopyResult::Whole;
        } catch (const relocation::CopyError&) {
          raised = true;
        }
      }
      SCOPED_TRACE("operation " + std::to_string(n));
      EXPECT_EQ(AsString(testsupport::ReadFileBytes(source)), bytes);
      if (!platform::FileExists(target)) {
        EXPECT_FALSE(whole);
        continue;
      }
      EXPECT_FALSE(raised);
      const std::string copy = AsString(testsupport::ReadFileBytes(target));
      // only a short write may leave a shorter copy, and it is a true prefix
      if (action == FaultAction::Fail) {
        EXPECT_EQ(copy.size(), bytes.size());
      }
      EXPECT_EQ(copy, bytes.substr(0, copy.size()));
      EXPECT_EQ(whole, copy.size() == bytes.size());
    }
  }
  std::cout << "file copy: " << count << " file operations, each failed and each cut short in turn\n";
}

TEST(FaultSweep, ExtractionLeavesWholeImagesOrNone) {
  testsupport::TempFolder scratch;
  jww::TJwwData d = DrawingWithImage(scratch.Path());
  std::vector<unsigned char> file;
  ASSERT_TRUE(d.SaveToMemory(file, 700));
  platform::RemoveFile(scratch / "pic.bmp");

  int count = 0;
  {
    FaultPlan counting(kAllOps, 0);
    jww::TJwwData loaded;
    loaded.Images.SetTempFolder(scratch.Path());
    ASSERT_TRUE(loaded.LoadFromMemory(file.data(), file.size()));
    count = counting.Count();
  }
  ASSERT_GT(count, 0);
  for (int n = 1; n <= count; ++n) {
    platform::RemoveFile(scratch / "pic.bmp");
    jww::TJwwData loaded;
    loaded.Images.SetTempFolder(scratch.Path());
    {
      FaultPlan plan(kAllOps, n);
      EXPECT_TRUE(loaded.LoadFromMemory(file.data(), file.size()));  // an extraction failure is not the drawing's
    }
    SCOPED_TRACE("operation " + std::to_string(n));
    const bool extracted = platform::FileExists(scratch / "pic.bmp");
    if (extracted) {
      EXPECT_EQ(testsupport::ReadFileBytes(scratch / "pic.bmp").size(), 200000u);
    }
    // the image is still referred to: without its file the save must fail, not drop it
    std::vector<unsigned char> again;
    EXPECT_EQ(loaded.SaveToMemory(again, 700), extracted);
  }
  std::cout << "extraction: " << count << " file operations failed in turn\n";
}
