#include "sound/device_messages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<int> message_count{0};
std::mutex first_mutex;
std::string first_message;  // guarded by first_mutex
std::string last_report;    // main thread only

// The libraries call these from whichever thread met the error: they never wait for the lock.
void Count(const std::string& text) {
  message_count.fetch_add(1, std::memory_order_relaxed);
  std::unique_lock<std::mutex> lock(first_mutex, std::try_to_lock);
  if (lock.owns_lock() && first_message.empty()) first_message = text;
}

void CountAlsaMessage(const char* file, int line, const char* function, int err, const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::string message = std::string("ALSA ") + (function ? function : "") + ": " + text;
  if (err != 0) message += std::string(" (") + snd_strerror(err) + ")";
  Count(message);
  (void)file;
  (void)line;
}

void CountJackMessage(const char* text) { Count(std::string("JACK: ") + (text ? text : "")); }

}  // namespace

// The libraries keep their current handlers in these variables (ALSA's default when none was
// set, JACK's default printers likewise), so what was there can be put back as it was.
DeviceMessageFold::DeviceMessageFold()
    : alsa_handler_(snd_lib_error), jack_error_(jack_error_callback), jack_info_(jack_info_callback) {
  snd_lib_error_set_handler(CountAlsaMessage);
  jack_set_error_function(CountJackMessage);
  jack_set_info_function(CountJackMessage);
}

DeviceMessageFold::~DeviceMessageFold() {
  snd_lib_error_set_handler(alsa_handler_);
  jack_set_error_function(jack_error_);
  jack_set_info_function(jack_info_);
  std::string first;
  const int n = TakeDeviceMessages(first);
  if (n == 0) return;
  char report[512];
  snprintf(report, sizeof report,
           "Warning: the sound libraries reported %d problem%s while the audio and MIDI devices were listed "
           "(the first: %s)",
           n, n == 1 ? "" : "s", first.c_str());
  if (report == last_report) return;
  last_report = report;
  printf("%s\n", report);
  fflush(stdout);
}

int TakeDeviceMessages(std::string& first) {
  std::lock_guard<std::mutex> lock(first_mutex);
  first = first_message;
  first_message.clear();
  return message_count.exchange(0, std::memory_order_relaxed);
}
