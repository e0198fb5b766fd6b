#include "tests/support/allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};
std::atomic<long> frees{0};

}  // namespace

namespace skyt_test {

long AllocationCount() { return allocations.load(std::memory_order_relaxed); }

long LiveAllocations() {
  return allocations.load(std::memory_order_relaxed) - frees.load(std::memory_order_relaxed);
}

}  // namespace skyt_test

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p) frees.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
