// Kept sample buffers: which request a kept buffer serves, and the bound on what is kept.
#include "sound/sample_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(SampleMemory, ServesRequestsFromTheSmallestKeptBufferThatFits) {
  struct Row {
    std::vector<size_t> kept;
    size_t wanted;
    int served_by;  // index into kept, -1 for a new buffer
  } rows[] = {
      {{1000}, 1000, 0}, {{1125}, 1000, 0},  // up to an eighth more
      {{1126}, 1000, -1}, {{999}, 1000, -1}, {{1100, 1010, 1050}, 1000, 1},
  };
  for (const Row& row : rows) {
    SampleMemory memory;
    std::vector<int16_t*> given;
    for (size_t values : row.kept) given.push_back(memory.Take(values));
    for (int16_t* p : given) memory.Give(p);
    int16_t* got = memory.Take(row.wanted);
    got[row.wanted - 1] = 1;  // the whole request is writable
    if (row.served_by < 0)
      for (int16_t* p : given) EXPECT_NE(got, p) << row.wanted;
    else
      EXPECT_EQ(got, given[row.served_by]) << row.wanted;
    memory.Give(got);
  }
}

TEST(SampleMemory, KeepsNoMoreThanItsBound) {
  SampleMemory memory;
  int16_t* large = memory.Take(SampleMemory::kKeptBytes / 2);
  int16_t* small = memory.Take(10);
  memory.Give(large);
  EXPECT_EQ(memory.KeptBytes(), SampleMemory::kKeptBytes);
  memory.Give(small);  // freed at once
  EXPECT_EQ(memory.KeptBytes(), SampleMemory::kKeptBytes);
  memory.Give(nullptr);
  EXPECT_EQ(memory.Take(SampleMemory::kKeptBytes / 2), large);
  EXPECT_EQ(memory.KeptBytes(), 0u);
  memory.Give(large);
}

// Samples written over the whole buffer leave what it knows of its size alone; its size counts
// in bytes against the bound.
TEST(SampleMemory, KeepsAFilledBufferAtItsSize) {
  SampleMemory memory;
  int16_t* filled = memory.Take(100);
  std::fill(filled, filled + 100, int16_t(-1));
  memory.Give(filled);
  EXPECT_EQ(memory.KeptBytes(), 200u);
  EXPECT_EQ(memory.Take(100), filled);
  memory.Give(filled);
  // One value more than half the bound is more bytes than the bound: never kept.
  memory.Give(memory.Take(SampleMemory::kKeptBytes / 2 + 1));
  EXPECT_EQ(memory.KeptBytes(), 200u);
}

}  // namespace
