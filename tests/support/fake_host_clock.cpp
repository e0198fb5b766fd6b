#include "tests/support/fake_host_clock.h"

#include <atomic>
#include <ctime>

#include "frame/host_clock.h"

namespace {
std::atomic<uint64_t> held{0};
}

namespace skyt_test {
void SetHostTimeNanos(uint64_t nanos) { held.store(nanos); }
}  // namespace skyt_test

uint64_t HostTimeNanos() {
  const uint64_t t = held.load();
  if (t) return t;
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}
