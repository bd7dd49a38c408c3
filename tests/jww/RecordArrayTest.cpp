// Records kept in blocks: growth across the first block and later blocks, copies and
// moves, and records that own memory (the sanitizers watch for leaks).
#include <gtest/gtest.h>

#include <string>

#include "jww/RecordArray.h"

using jww::RecordArray;

namespace {

struct Named {
  int id = 0;
  std::string name;  // long enough to live on the heap
  bool operator==(const Named&) const = default;
};

Named Make(int i) { return {i, "record number " + std::to_string(i) + " with a long name"}; }

}  // namespace

TEST(RecordArray, GrowsAcrossBlocksWithoutLosingRecords) {
  constexpr std::size_t kPerBlock = RecordArray<Named>::kPerBlock;
  for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{17}, kPerBlock - 1, kPerBlock,
                            kPerBlock + 1, 3 * kPerBlock + 5}) {
    RecordArray<Named> records;
    for (std::size_t i = 0; i < count; ++i) records.push_back(Make(static_cast<int>(i)));
    ASSERT_EQ(records.size(), count);
    std::size_t seen = 0;
    for (const Named& r : records) EXPECT_EQ(r, Make(static_cast<int>(seen++)));
    EXPECT_EQ(seen, count);

    RecordArray<Named> copy = records;
    EXPECT_TRUE(copy == records);
    if (count > 0) {
      copy.back().name = "changed";
      EXPECT_FALSE(copy == records);
      copy.pop_back();
      EXPECT_EQ(copy.size(), count - 1);
      copy.push_back(Make(-2));  // the slot given back is taken again
      EXPECT_EQ(copy[count - 1], Make(-2));
    }
    RecordArray<Named> moved = std::move(records);
    EXPECT_EQ(moved.size(), count);
    moved.emplace_back().id = -1;
    EXPECT_EQ(moved[count].id, -1);
    moved = {Make(7), Make(8)};
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1], Make(8));
  }
}
