// The host clock only goes forward, also within a second.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "frame/host_clock.h"

TEST(HostClock, GoesForward) {
  uint64_t last = HostTimeNanos();
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const uint64_t now = HostTimeNanos();
    EXPECT_GT(now, last) << i;
    last = now;
  }
}
