// A count of every operator new in a binary that links skyt_fake_allocator (which replaces the
// global operator new and delete, single and array), so a test or benchmark can tell what one
// step allocates, and a way to make large allocations fail.
#pragma once

#include <cstddef>

namespace skyt_test {

long AllocationCount();
// Blocks allocated and not yet freed.
long LiveAllocations();
// From now on every single allocation of at least `bytes` fails (operator new throws, the
// nothrow forms answer null); 0 lets every allocation through again.
void RefuseAllocationsFrom(std::size_t bytes);

}  // namespace skyt_test
