// The sound libraries' own error lines: ALSA's ("ALSA lib pcm.c:...: Unknown PCM ...") and the
// JACK client's ("Cannot connect to server socket ...") written while the audio and MIDI
// libraries list the devices. A machine without a sound card or a JACK server gives dozens of
// them at every listing before the program says anything; they are folded into one line.
#pragma once
#include <string>

// Counts the libraries' messages, keeping the first, from construction (which routes them here)
// to destruction, which gives each library back the handlers it had before (the libraries' own,
// unless someone installed others) and prints one "Warning: ..." line when any message came,
// unless it would repeat the line printed last. Main thread only.
class DeviceMessageFold {
 public:
  DeviceMessageFold();
  ~DeviceMessageFold();
  DeviceMessageFold(const DeviceMessageFold&) = delete;
  DeviceMessageFold& operator=(const DeviceMessageFold&) = delete;

 private:
  void (*alsa_handler_)(const char* file, int line, const char* function, int err, const char* format, ...);
  void (*jack_error_)(const char* text);
  void (*jack_info_)(const char* text);
};

// The number of messages since the last call and the first of them; starts counting anew.
int TakeDeviceMessages(std::string& first);
