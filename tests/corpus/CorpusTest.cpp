// Every input the fuzzers keep (seeds and minimised findings) replayed through the same
// targets, so that a finding stays fixed. A broken promise fails the test and names the input.
#include <gtest/gtest.h>

#include "FuzzTargets.h"
#include "TestSupport.h"
#include "platform/Platform.h"

TEST(FuzzCorpus, EveryKeptInputReplays) {
  const std::string corpus = testsupport::SourceFolder() + "fuzz\\corpus\\";
  std::size_t replayed = 0;
  for (const fuzz::Target& target : fuzz::kTargets) {
    const std::string folder = corpus + std::string(target.name) + "\\";
    for (const std::string& name : platform::ListFolder(folder)) {
      SCOPED_TRACE(std::string(target.name) + "/" + name);
      const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(folder + name);
      EXPECT_EQ(target.run(bytes.data(), bytes.size()), 0);
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0u);
}
