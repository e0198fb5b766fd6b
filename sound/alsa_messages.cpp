#include "sound/alsa_messages.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<int> message_count{0};
std::mutex first_mutex;
std::string first_message;  // guarded by first_mutex

// ALSA calls this from whichever thread met the error: it never waits for the lock.
void CountMessage(const char* file, int line, const char* function, int err, const char* format, ...) {
  message_count.fetch_add(1, std::memory_order_relaxed);
  std::unique_lock<std::mutex> lock(first_mutex, std::try_to_lock);
  if (!lock.owns_lock() || !first_message.empty()) return;
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  first_message = std::string(function ? function : "") + ": " + text;
  if (err != 0) first_message += std::string(" (") + snd_strerror(err) + ")";
  (void)file;
  (void)line;
}

}  // namespace

AlsaMessageFold::AlsaMessageFold() { snd_lib_error_set_handler(CountMessage); }

AlsaMessageFold::~AlsaMessageFold() {
  std::string first;
  const int n = TakeAlsaMessages(first);
  if (n == 0) return;
  printf("Warning: ALSA reported %d problem%s while the sound cards were probed (the first: %s)\n", n,
         n == 1 ? "" : "s", first.c_str());
  fflush(stdout);
}

int TakeAlsaMessages(std::string& first) {
  std::lock_guard<std::mutex> lock(first_mutex);
  first = first_message;
  first_message.clear();
  return message_count.exchange(0, std::memory_order_relaxed);
}
