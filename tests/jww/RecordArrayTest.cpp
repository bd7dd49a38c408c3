// Records kept in blocks: growth across the first block and later blocks, copies and
// moves, and records that own memory (the sanitizers watch for leaks).
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "jww/RecordArray.h"

using jww::RecordArray;

namespace {

struct Named {
  int id = 0;
  std::string name;  // long enough to live on the heap
  bool operator==(const Named&) const = default;
};

Named Make(int i) { return {i, std::string("record number ").append(std::to_string(i)).append(" with a long name")}; }

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

TEST(RecordArray, ARecordOfItsOwnCanBeAddedAtAnySize) {
  // the first block moves its records while it grows: the record copied must not go with
  // it (handed over as the array's own record, never as a temporary copy of it)
  RecordArray<Named> records;
  records.push_back(Make(0));
  for (int i = 1; i < 300; ++i) {
    records.push_back(records.back());
    records.back().id = i;
    EXPECT_EQ(records.back().name, Make(0).name) << i;
  }
}

namespace {

// A record whose copy fails at a chosen moment, counting the records alive.
struct Fragile {
  static inline int alive = 0;
  static inline int copiesLeft = -1;
  std::string name = "a record whose name lives on the heap";
  Fragile() { ++alive; }
  Fragile(const Fragile& other) : name(other.name) {
    if (copiesLeft == 0) throw std::bad_alloc();
    if (copiesLeft > 0) --copiesLeft;
    ++alive;
  }
  Fragile(Fragile&& other) noexcept : name(std::move(other.name)) { ++alive; }
  ~Fragile() { --alive; }
};

}  // namespace

TEST(RecordArray, AFailingCopyLeavesNothingBehind) {
  for (int failAt : {0, 1, 5, 63, 64, 200}) {
    RecordArray<Fragile> records;
    for (int i = 0; i < 256; ++i) records.emplace_back();  // the next one grows the first block
    const int before = Fragile::alive;
    Fragile::copiesLeft = failAt;
    EXPECT_THROW({ RecordArray<Fragile> copy(records); }, std::bad_alloc) << failAt;
    Fragile::copiesLeft = 0;
    EXPECT_THROW(records.push_back(records[0]), std::bad_alloc);
    Fragile::copiesLeft = -1;
    EXPECT_EQ(Fragile::alive, before) << failAt;  // and the sanitizer sees no block leaked
    EXPECT_EQ(records.size(), 256u);
  }
}
