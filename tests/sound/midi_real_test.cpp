// The real PortMidi on a machine without a MIDI system: the port list is empty and opening
// fails cleanly, leaving every send without effect.
#include <gtest/gtest.h>

#include "sound/midi.h"

// PortMidi keeps the default device's name it looks up (not ours to free).
extern "C" const char* __lsan_default_suppressions() { return "leak:find_default_device\n"; }

TEST(MidiRealPortMidi, NoMidiSystemOpensNothingAndSendsSafely) {
  InitMIDI();
  std::map<int, std::string> names;
  GetMIDIOutputPortNames(names);
  if (!names.empty()) GTEST_SKIP() << "this machine has MIDI output ports";
  midi_output_number = 0;
  OpenMIDIOutput(0);
  EXPECT_EQ(midi_stream, nullptr);
  PlayMIDINote(midi_map[{Sound::SNARE, 1}], Sound::SNARE, 0, 1.0f, 0.0f, 0.5f);
  SendMIDIHihatCC(0.5f, midi_map[{Sound::HIHAT, 1}]);
  PlayMIDIMetronome(1.0f);
  CleanUpMIDI();
  EXPECT_EQ(midi_stream, nullptr);
}
