// ALSA's own error lines ("ALSA lib pcm.c:...: Unknown PCM ...") written while the audio
// library probes the sound cards. A machine without a sound card, or with one held by a sound
// server, gives dozens of them before the program says anything; they are folded into one line.
#pragma once
#include <string>

// Counts ALSA's messages, keeping the first, from construction (which routes ALSA's messages
// here for the rest of the run) to destruction, which prints one "Warning: ..." line when any
// came.
class AlsaMessageFold {
 public:
  AlsaMessageFold();
  ~AlsaMessageFold();
  AlsaMessageFold(const AlsaMessageFold&) = delete;
  AlsaMessageFold& operator=(const AlsaMessageFold&) = delete;
};

// The number of ALSA messages since the last call and the first of them; starts counting anew.
int TakeAlsaMessages(std::string& first);
