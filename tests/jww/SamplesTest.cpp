// Real drawings written by the drafting program: they load, and a save loads back to
// the same document.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "jww/DrawingDocument.h"

using jww::TJwwData;

namespace {

bool SameEntities(const jww::EntityList& a, const jww::EntityList& b) {
  return a.Order == b.Order && a.Lines == b.Lines && a.Arcs == b.Arcs && a.Points == b.Points &&
         a.Texts == b.Texts && a.Dims == b.Dims && a.Solids == b.Solids && a.Blocks == b.Blocks;
}

}  // namespace

TEST(JwwSamples, EveryDrawingLoadsAndSavesToAFixpoint) {
  const std::string folder = testsupport::SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "no sample drawings";
  // a drawing with embedded images needs them extracted to write them back
  testsupport::TempFolder scratch;
  for (const std::string& name : testsupport::SampleDrawings()) {
    SCOPED_TRACE(name);
    TJwwData original;
    original.Images.SetTempFolder(scratch.Path());
    ASSERT_TRUE(original.LoadFromFile(folder + name));
    EXPECT_GT(original.HeldCount(), 0u);

    std::vector<unsigned char> first;
    ASSERT_TRUE(original.SaveToMemory(first, 700));
    TJwwData reloaded;
    reloaded.Images.SetTempFolder(scratch.Path());
    ASSERT_TRUE(reloaded.LoadFromMemory(first.data(), first.size()));
    EXPECT_EQ(reloaded.Header.Version, 700);
    EXPECT_TRUE(SameEntities(original, reloaded));
    ASSERT_EQ(original.BlockDefs.size(), reloaded.BlockDefs.size());  // every definition is in use
    for (std::size_t i = 0; i < original.BlockDefs.size(); ++i) {
      EXPECT_TRUE(SameEntities(original.BlockDefs[i], reloaded.BlockDefs[i]));
      EXPECT_EQ(original.BlockDefs[i].Name, reloaded.BlockDefs[i].Name);
    }
    EXPECT_EQ(original.Header.Memo, reloaded.Header.Memo);

    std::vector<unsigned char> second;
    ASSERT_TRUE(reloaded.SaveToMemory(second, 700));
    EXPECT_TRUE(first == second) << "a second save changed the file";
    original.DeleteExtractedFiles();
    original.DeleteUnpackedFiles();
  }
}

TEST(JwwSamples, EveryPrefixFailsToLoad) {
  const std::string folder = testsupport::SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "no sample drawings";
  // the smallest drawing of each kind: ANSI strings (600) and Unicode strings (700)
  for (const char* name : {"Test2.jww", "out1_in2.jww"}) {
    SCOPED_TRACE(name);
    const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(folder + name);
    ASSERT_FALSE(bytes.empty());
    TJwwData drawing;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      ASSERT_FALSE(drawing.LoadFromMemory(bytes.data(), n)) << "prefix of " << n << " bytes";
    }
    EXPECT_TRUE(drawing.LoadFromMemory(bytes.data(), bytes.size()));
  }
}

TEST(JwwSamples, PrefixesOnDiskFailToLoad) {
  const std::string folder = testsupport::SamplesFolder();
  if (folder.empty()) GTEST_SKIP() << "no sample drawings";
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(folder + "out1_in2.jww");
  testsupport::TempFolder scratch;
  const std::string path = scratch / "cut.jww";
  TJwwData drawing;
  for (std::size_t n = 0; n < bytes.size(); n += 613) {
    testsupport::WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + n));
    EXPECT_FALSE(drawing.LoadFromFile(path)) << "prefix of " << n << " bytes";
  }
  EXPECT_FALSE(drawing.LoadFromFile(scratch / "missing.jww"));
}
