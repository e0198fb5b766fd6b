// A call into the sound libraries that does not return: PortAudio waits up to ten minutes for
// a JACK server that does not answer, and neither library lets that wait be shortened. The
// program cannot give up on such a call, so it says on the terminal what it waits for once the
// wait has lasted a few seconds, and when the answer finally comes.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class WaitNotice {
 public:
  static constexpr int kSeconds = 5;

  // `doing` says what the program is doing ("changing the audio device"); it must outlive the
  // notice. Main thread.
  explicit WaitNotice(const char* doing, int seconds = kSeconds);
  ~WaitNotice();
  WaitNotice(const WaitNotice&) = delete;
  WaitNotice& operator=(const WaitNotice&) = delete;

  // Whether the wait has been reported.
  bool Said() const { return said_.load(std::memory_order_acquire); }

 private:
  void Watch(int seconds);

  const char* doing_;
  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable answered_;
  bool done_ = false;  // guarded by mutex_
  std::atomic<bool> said_{false};
  std::thread watcher_;
};
