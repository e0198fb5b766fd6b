// A count of every operator new in a benchmark binary that links allocation_count.cpp (which
// replaces the global operator new and delete), so a benchmark can tell what one step allocates.
#pragma once

namespace skyt_bench {

long AllocationCount();

}  // namespace skyt_bench
