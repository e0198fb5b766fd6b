// The metronome writes MIDI from the audio thread while hits are sent from the main thread:
// the writes must reach PortMidi one at a time, and the audio thread skips a click rather than
// wait for a hit's write.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "sound/midi.h"
#include "tests/support/fake_portmidi.h"

TEST(MidiThreads, WritesFromTwoThreadsNeverOverlap) {
  fake_portmidi::OpenOnlyOutput("Drum Sampler");
  constexpr int kEach = 2000;
  MidiNotes snare;
  snare.notes[0] = 38;
  std::thread audio_thread([] {
    for (int i = 0; i < kEach; ++i) PlayMIDIMetronome(1.0f);
  });
  for (int i = 0; i < kEach; ++i) PlayMIDINote(snare, Sound::SNARE, 0, 0.5f, 0.0f, 1.0f);
  audio_thread.join();
  EXPECT_EQ(fake_portmidi::OverlappingWrites(), 0);
  // Every hit arrives; clicks only when the stream was free.
  const auto& m = fake_portmidi::Messages();
  const auto hits = std::count_if(m.begin(), m.end(), [](const auto& x) { return x.status() == 0x99; });
  EXPECT_EQ(hits, kEach);
  EXPECT_LE(m.size(), 4u * kEach);
  // Each note-on is followed by its own note-off.
  for (size_t i = 0; i + 1 < m.size(); i += 2) {
    ASSERT_EQ(m[i].status() & 0xF0, 0x90);
    ASSERT_EQ(m[i + 1].status(), (m[i].status() & 0x0F) | 0x80);
    ASSERT_EQ(m[i + 1].data1(), m[i].data1());
  }
  CleanUpMIDI();
}
