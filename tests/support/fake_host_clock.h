// A host clock that tests can hold: linked in place of the program's clock (LINK
// skyt_fake_host_clock). While a time is set, HostTimeNanos returns it; otherwise the real
// monotonic clock.
#pragma once
#include <cstdint>

namespace skyt_test {
void SetHostTimeNanos(uint64_t nanos);  // 0 returns to the real clock
}
