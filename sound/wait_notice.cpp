#include "sound/wait_notice.h"

#include <cstdio>

WaitNotice::WaitNotice(const char* doing, int seconds)
    : doing_(doing), start_(std::chrono::steady_clock::now()), watcher_(&WaitNotice::Watch, this, seconds) {}

WaitNotice::~WaitNotice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  answered_.notify_one();
  watcher_.join();
  if (!Said()) return;
  const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  printf("Warning: the sound system answered after %.0f seconds (%s)\n", waited, doing_);
  fflush(stdout);
}

void WaitNotice::Watch(int seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (answered_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) return;
  printf("Warning: the sound system has not answered for %d seconds while %s; Skytapper waits for it (a JACK "
         "server that does not answer holds it)\n", seconds, doing_);
  fflush(stdout);
  said_.store(true, std::memory_order_release);
}
