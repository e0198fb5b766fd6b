// Kept sample buffers: which request a kept buffer serves, and the bound on what is kept.
#include "sound/sample_memory.h"

#include <gtest/gtest.h>

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

}  // namespace
