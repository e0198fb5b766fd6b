#include "tests/support/allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};
std::atomic<long> frees{0};
std::atomic<std::size_t> refused_from{0};

}  // namespace

namespace skyt_test {

long AllocationCount() { return allocations.load(std::memory_order_relaxed); }

long LiveAllocations() {
  return allocations.load(std::memory_order_relaxed) - frees.load(std::memory_order_relaxed);
}

void RefuseAllocationsFrom(std::size_t bytes) { refused_from.store(bytes, std::memory_order_relaxed); }

}  // namespace skyt_test

void* operator new(std::size_t size) {
  const std::size_t refused = refused_from.load(std::memory_order_relaxed);
  if (refused && size >= refused) throw std::bad_alloc();
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p) frees.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

// The array and nothrow forms go through the two above, so every block comes from malloc and
// goes back to free, also where a sanitizer's runtime brings forms of its own.
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }
