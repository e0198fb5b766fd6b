// A count of every operator new in a binary that links skyt_fake_allocator (which replaces the
// global operator new and delete), so a test or benchmark can tell what one step allocates.
#pragma once

namespace skyt_test {

long AllocationCount();
// Blocks allocated and not yet freed.
long LiveAllocations();

}  // namespace skyt_test
