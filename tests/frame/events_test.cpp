// Manual-reset events as the camera thread and the sample loaders use them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "frame/events.h"

namespace {

TEST(Events, ManualResetSemantics) {
  HANDLE e = CreateEvent(nullptr, false, true);
  EXPECT_EQ(WaitForSingleObject(e, 0), 0u);
  EXPECT_EQ(WaitForSingleObject(e, INFINITE_WAIT), 0u);  // a wait never clears it
  ResetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 20), WAIT_TIMED_OUT);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMED_OUT);
  SetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 20), 0u);
  EXPECT_EQ(CloseHandle(e), 1);
}

TEST(Events, BadArraysAreRefused) {
  HANDLE e = CreateEvent(nullptr, true, true), f = CreateEvent(nullptr, true, true);
  HANDLE twice[2] = {e, e};
  HANDLE twice_apart[3] = {e, f, e};
  HANDLE with_null[2] = {e, nullptr};
  EXPECT_EQ(WaitForMultipleObjects(0, twice, false, 0), WAIT_FAILED_CODE);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, false, 0), WAIT_FAILED_CODE);
  EXPECT_EQ(WaitForMultipleObjects(3, twice_apart, false, 0), WAIT_FAILED_CODE);
  EXPECT_EQ(WaitForMultipleObjects(2, with_null, false, 0), WAIT_FAILED_CODE);
  EXPECT_EQ(CloseHandle(nullptr), 0);
  CloseHandle(e);
  CloseHandle(f);
}

TEST(Events, HighestSignalledIndexWins) {
  HANDLE a = CreateEvent(nullptr, true, false), b = CreateEvent(nullptr, true, false), c = CreateEvent(nullptr, true, false);
  HANDLE all[3] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, all, false, 1), WAIT_TIMED_OUT);
  SetEvent(a);
  SetEvent(b);
  EXPECT_EQ(WaitForMultipleObjects(3, all, false, 0), 1u);
  for (HANDLE h : all) CloseHandle(h);
}

// With the longest array a time-out still differs from every index. The wait holds every
// event's lock at once, more locks than ThreadSanitizer can follow.
TEST(Events, TheLongestArrayTimesOutApartFromItsLastIndex) {
#ifdef __SANITIZE_THREAD__
  GTEST_SKIP() << "ThreadSanitizer follows at most 63 locks held at once";
#endif
  std::vector<HANDLE> many(64);
  for (HANDLE& h : many) h = CreateEvent(nullptr, true, false);
  const uint32_t none = WaitForMultipleObjects(64, many.data(), false, 0);
  SetEvent(many[63]);
  EXPECT_EQ(WaitForMultipleObjects(64, many.data(), false, 0), 63u);
  EXPECT_NE(none, 63u);
  for (HANDLE h : many) CloseHandle(h);
}

TEST(Events, SetWakesEveryWaiter) {
  HANDLE e = CreateEvent(nullptr, true, false);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i)
    waiters.emplace_back([&] {
      if (WaitForSingleObject(e, INFINITE_WAIT) == 0) ++woken;
    });
  SetEvent(e);
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woken, 4);
  EXPECT_EQ(CloseHandle(e), 1);
}

// A waiter woken by a set that a reset has already undone waits on for the next set.
TEST(Events, AWakeUpUndoneByAResetWaitsOn) {
  HANDLE e = CreateEvent(nullptr, true, false);
  std::atomic<bool> done{false};
  std::atomic<int> returned{0};
  std::thread waiter([&] {
    for (int i = 0; i < 2000; ++i) returned += WaitForSingleObject(e, INFINITE_WAIT) == 0;
    done = true;
  });
  while (!done) {
    SetEvent(e);
    ResetEvent(e);
  }
  waiter.join();
  EXPECT_EQ(returned, 2000);
  EXPECT_EQ(CloseHandle(e), 1);
}

TEST(Events, ProducerConsumerLosesNoWakeUp) {
  HANDLE ready = CreateEvent(nullptr, true, false);
  HANDLE done = CreateEvent(nullptr, true, false);
  std::atomic<int> produced{0}, consumed{0};
  const int kRounds = 2000;
  std::thread consumer([&] {
    while (consumed < kRounds) {
      if (WaitForSingleObject(ready, 2000) != 0) break;
      ResetEvent(ready);
      consumed = produced.load();
      SetEvent(done);
    }
  });
  for (int i = 1; i <= kRounds; ++i) {
    ResetEvent(done);
    produced = i;
    SetEvent(ready);
    ASSERT_EQ(WaitForSingleObject(done, 2000), 0u) << "wake-up lost at round " << i;
    while (consumed < i) std::this_thread::yield();
  }
  consumer.join();
  EXPECT_EQ(consumed, kRounds);
  CloseHandle(ready);
  CloseHandle(done);
}

}  // namespace
