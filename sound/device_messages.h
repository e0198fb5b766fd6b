// The sound libraries' own error lines: ALSA's ("ALSA lib pcm.c:...: Unknown PCM ...") and the
// JACK client's ("Cannot connect to server socket ...") written while the audio and MIDI
// libraries list the devices. A machine without a sound card or a JACK server gives dozens of
// them at every listing before the program says anything; they are folded into one line.
#pragma once
#include <string>

// Counts the libraries' messages, keeping the first, from construction (which routes them here
// for the rest of the run) to destruction, which prints one "Warning: ..." line when any came,
// unless it would repeat the line printed last.
class DeviceMessageFold {
 public:
  DeviceMessageFold();
  ~DeviceMessageFold();
  DeviceMessageFold(const DeviceMessageFold&) = delete;
  DeviceMessageFold& operator=(const DeviceMessageFold&) = delete;
};

// The number of messages since the last call and the first of them; starts counting anew.
int TakeDeviceMessages(std::string& first);
