// MIDI output through the fake PortMidi: exact messages, time stamps, ports and note names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sound/midi.h"
#include "sound/midi.h"
#include "tests/support/fake_portmidi.h"

namespace {

using fake_portmidi::Message;

class MidiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseMIDIOutput();
    fake_portmidi::Reset();
    fake_portmidi::SetPorts({{"ALSA", "Midi Through Port-0", false, true},
                             {"ALSA", "Sampler In", true, false},
                             {"ALSA", "Drum Sampler", false, true}},
                            0);
    midi_output_number = 2;
    midi_latency = 1;
    midi_send_pedal_close = true;
    midi_use_mdrummer_hack = false;
    InitMIDI();
    OpenMIDIOutput(0);
    fake_portmidi::ClearMessages();
  }
  void TearDown() override { CleanUpMIDI(); }

  static MidiNotes Notes(int channel, std::vector<int> notes, std::vector<int> foot = {},
                         int cc = 0) {
    MidiNotes m;
    m.channel = channel;
    m.note_count = static_cast<int>(notes.size());
    for (size_t i = 0; i < notes.size(); ++i) m.notes[i] = notes[i];
    m.foot_note_count = static_cast<int>(foot.size());
    for (size_t i = 0; i < foot.size(); ++i) m.foot_notes[i] = foot[i];
    m.openness_cc = cc;
    return m;
  }

  // (status, data1, data2, time) of every message since the last clear.
  static std::vector<std::vector<int>> Sent() {
    std::vector<std::vector<int>> out;
    for (const Message& m : fake_portmidi::Messages())
      out.push_back({m.status(), m.data1(), m.data2(), m.when});
    return out;
  }
  using Rows = std::vector<std::vector<int>>;
};

TEST_F(MidiTest, HandHitSendsNoteOnAndOffAtTheClockTime) {
  fake_portmidi::SetTime(1234);
  PlayMIDINote(midi_map[{Sound::HIGH_TOM, 1}], Sound::HIGH_TOM, 1, 0.5f, 0.0f, 0.0f);
  EXPECT_EQ(Sent(), (Rows{{0x99, 48, 64, 1234}, {0x89, 48, 0, 1234}}));
  EXPECT_EQ(fake_portmidi::Messages()[0].device, 2);
}

TEST_F(MidiTest, FootHitOfAKickSendsItsNote) {
  fake_portmidi::SetTime(77);
  PlayMIDINote(midi_map[{Sound::KICK, 1}], Sound::KICK, 2, 1.0f, 0.0f, 0.0f);
  EXPECT_EQ(Sent(), (Rows{{0x99, 36, 127, 77}, {0x89, 36, 0, 77}}));
}

TEST_F(MidiTest, SnareAlternativeNoteAboveTheThresholdOnly) {
  MidiNotes snare = Notes(10, {38, 40});
  PlayMIDINote(snare, Sound::SNARE, 0, 0.7f, 0.0f, 0.7f);   // at the threshold
  PlayMIDINote(snare, Sound::SNARE, 0, 0.71f, 0.0f, 0.7f);  // above it
  PlayMIDINote(Notes(10, {38}), Sound::SNARE, 0, 0.9f, 0.0f, 0.7f);  // one note only
  Rows sent = Sent();
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_EQ(sent[0][1], 38);
  EXPECT_EQ(sent[2][1], 40);
  EXPECT_EQ(sent[4][1], 38);
}

TEST_F(MidiTest, HihatWithOpennessControllerThenNote) {
  fake_portmidi::SetTime(500);
  const MidiNotes& hh = midi_map[{Sound::HIHAT, 1}];
  SendMIDIHihatCC(0.25f, hh);
  PlayMIDINote(hh, Sound::HIHAT, 1, 0.8f, 0.25f, 0.5f);
  // 127 - trunc(0.25 * 127 + 0.5) = 95 on controller 4; velocity above threshold: notes[1].
  EXPECT_EQ(Sent(), (Rows{{0xB9, 4, 95, 500}, {0x99, 26, 102, 500}, {0x89, 26, 0, 500}}));

  fake_portmidi::ClearMessages();
  midi_use_mdrummer_hack = true;  // the alternative note goes by openness instead
  PlayMIDINote(hh, Sound::HIHAT, 1, 0.1f, 0.49f, 0.5f);
  PlayMIDINote(hh, Sound::HIHAT, 1, 1.0f, 0.5f, 0.5f);
  Rows sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0][1], 26);
  EXPECT_EQ(sent[2][1], 46);
}

TEST_F(MidiTest, HihatPedalCloseNoteFollowsItsOption) {
  const MidiNotes& hh = midi_map[{Sound::HIHAT, 1}];
  midi_send_pedal_close = false;
  PlayMIDINote(hh, Sound::HIHAT, 2, 0.5f, 0.0f, 0.0f);
  EXPECT_TRUE(Sent().empty());
  midi_send_pedal_close = true;
  PlayMIDINote(hh, Sound::HIHAT, 2, 0.5f, 0.0f, 0.0f);
  EXPECT_EQ(Sent(), (Rows{{0x99, 44, 64, 0}, {0x89, 44, 0, 0}}));
  fake_portmidi::ClearMessages();
  PlayMIDINote(Notes(10, {46}), Sound::HIHAT, 2, 0.5f, 0.0f, 0.0f);  // an entry without a foot note: note 0
  EXPECT_EQ(Sent(), (Rows{{0x99, 0, 64, 0}, {0x89, 0, 0, 0}}));
}

TEST_F(MidiTest, PedalControllerIsSentOnlyOnChangeAndForTwoHihats) {
  MidiNotes hh = Notes(10, {46, 26}, {44}, 4);
  ControlMIDIHihat(1.0f, hh, 0);  // value 0: the remembered start value, nothing sent
  EXPECT_TRUE(Sent().empty());
  ControlMIDIHihat(0.0f, hh, 0);
  ControlMIDIHihat(0.001f, hh, 0);  // same 7-bit value
  ControlMIDIHihat(0.0f, hh, 2);    // a third hi-hat is not controlled
  EXPECT_EQ(Sent(), (Rows{{0xB9, 4, 127, 0}}));
  fake_portmidi::ClearMessages();
  ControlMIDIHihat(std::numeric_limits<float>::quiet_NaN(), hh, 1);  // taken as closed
  EXPECT_EQ(Sent(), (Rows{{0xB9, 4, 127, 0}}));
}

TEST_F(MidiTest, ChokeUsesTheLoadedMapOrAddsADefaultEntry) {
  element_type_midi_map.clear();
  fake_portmidi::SetTime(9);
  SendMIDIChoke();
  EXPECT_EQ(Sent(), (Rows{{0x99, 0, 60, 9}, {0x89, 0, 0, 9}}));
  EXPECT_EQ(element_type_midi_map.count(MidiMapKey(Sound::CHOKE, 1)), 1u);

  fake_portmidi::ClearMessages();
  element_type_midi_map[{Sound::CHOKE, 1}] = Notes(3, {21});
  SendMIDIChoke();
  EXPECT_EQ(Sent(), (Rows{{0x92, 21, 60, 9}, {0x82, 21, 0, 9}}));
  element_type_midi_map.clear();
}

TEST_F(MidiTest, MetronomeAndMenuClicksOnTheirChannels) {
  fake_portmidi::SetTime(40);
  PlayMIDIMetronome(0.35f * 90 * 0.01f);
  PlayMIDIMenuSound(0.5f);
  SetMIDIVolume(100);
  EXPECT_EQ(Sent(), (Rows{{0x9A, 33, 41, 40},
                          {0x8A, 33, 0, 40},
                          {0x9B, 39, 64, 40},
                          {0x8B, 39, 0, 40},
                          {0xB9, 7, 127, 40}}));
}

TEST_F(MidiTest, ChannelAndVelocityBounds) {
  for (int channel : {1, 10, 16, 0, 17}) PlayMIDINote(Notes(channel, {40}), Sound::TAMBOURINE, 0, 0.5f, 0, 0);
  Rows sent = Sent();
  ASSERT_EQ(sent.size(), 10u);
  EXPECT_EQ(sent[0][0], 0x90);
  EXPECT_EQ(sent[2][0], 0x99);
  EXPECT_EQ(sent[4][0], 0x9F);
  EXPECT_EQ(sent[6][0], 0x9F);  // channel 0 wraps to the 16th
  EXPECT_EQ(sent[8][0], 0x90);  // channel 17 wraps to the first

  fake_portmidi::ClearMessages();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float v : {0.0f, 1.0f, 0.5f, 2.0f, -1.0f, nan})
    PlayMIDINote(Notes(10, {40}), Sound::COWBELL, 0, v, 0, 0);
  sent = Sent();
  ASSERT_EQ(sent.size(), 12u);
  std::vector<int> velocities;
  for (size_t i = 0; i < sent.size(); i += 2) velocities.push_back(sent[i][2]);
  EXPECT_EQ(velocities, (std::vector<int>{1, 127, 64, 127, 1, 1}));
}

TEST_F(MidiTest, UnmappedNotesAndControllersAreNeverSent) {
  PlayMIDINote(Notes(10, {-1}), Sound::RIDE, 0, 0.5f, 0, 0);
  PlayMIDINote(Notes(10, {200}), Sound::RIDE, 0, 0.5f, 0, 0);
  PlayMIDINote(Notes(10, {38, -1}), Sound::SNARE, 0, 1.0f, 0, 0.5f);
  MidiNotes hh = Notes(10, {46}, {-1}, -1);
  PlayMIDINote(hh, Sound::HIHAT, 2, 0.5f, 0, 0);
  SendMIDIHihatCC(0.5f, hh);
  ControlMIDIHihat(0.5f, hh, 0);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiTest, PortNamesMarkTheDefaultAndLeaveOutInputs) {
  std::map<int, std::string> names;
  testing::internal::CaptureStdout();
  GetMIDIOutputPortNames(names);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(names, (std::map<int, std::string>{{0, "ALSA, Midi Through Port-0 (default)"},
                                                {2, "ALSA, Drum Sampler"}}));
  EXPECT_NE(out.find("MIDI output port # 2 is ALSA, Drum Sampler\n"), std::string::npos);
}

TEST_F(MidiTest, OpeningByNumberAndByListedName) {
  // The port the user picked from the list by its name.
  std::map<int, std::string> names;
  GetMIDIOutputPortNames(names);
  int chosen = -1;
  for (const auto& [id, name] : names)
    if (name == "ALSA, Drum Sampler") chosen = id;
  ASSERT_EQ(chosen, 2);
  midi_output_number = chosen;
  midi_latency = 0;
  fake_portmidi::SetTime(300);
  OpenMIDIOutput(0);
  ASSERT_EQ(fake_portmidi::Opens().size(), 2u);
  EXPECT_EQ(fake_portmidi::Opens().back().device, 2);
  EXPECT_EQ(fake_portmidi::Opens().back().latency, 0);
  EXPECT_FALSE(fake_portmidi::Opens().back().has_time_proc);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);  // the earlier stream was closed

  midi_latency = 1;
  OpenMIDIOutput(0);
  EXPECT_EQ(fake_portmidi::Opens().back().latency, 1);
  EXPECT_TRUE(fake_portmidi::Opens().back().has_time_proc);
  EXPECT_EQ(fake_portmidi::Opens().back().time_from_proc, 300);  // PortTime's clock
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);
}

TEST_F(MidiTest, NumbersThatAreNoOutputFallBackToTheDefault) {
  for (int number : {1, 3, 99, -5}) {  // an input, past the list, negative
    midi_output_number = number;
    OpenMIDIOutput(0);
    ASSERT_NE(midi_stream, nullptr);
    EXPECT_EQ(fake_portmidi::Opens().back().device, 0) << number;
  }
  // No default output either: nothing opens and nothing is written.
  fake_portmidi::SetPorts({{"ALSA", "Sampler In", true, false}}, -1);
  midi_output_number = 0;
  OpenMIDIOutput(0);
  EXPECT_EQ(midi_stream, nullptr);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 0);
  PlayMIDIMenuSound(1.0f);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiTest, FailedOpenLeavesTheStreamClosed) {
  fake_portmidi::FailOpens(true);
  OpenMIDIOutput(0);
  EXPECT_EQ(midi_stream, nullptr);
  PlayMIDIMetronome(1.0f);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiTest, CleanUpClosesAndTerminates) {
  testing::internal::CaptureStdout();
  CleanUpMIDI();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(midi_stream, nullptr);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 0);
  EXPECT_EQ(fake_portmidi::Initialized(), 0);
  EXPECT_TRUE(fake_portmidi::TimerStarted());
}

TEST(MidiDefaults, BuiltInMapHasItsThirtyRows) {
  InitMIDI();
  EXPECT_EQ(midi_map.size(), 30u);
  const MidiNotes& hh = midi_map[{Sound::HIHAT, 1}];
  EXPECT_EQ(hh.channel, 10);
  EXPECT_EQ(hh.note_count, 2);
  EXPECT_EQ(hh.notes[0], 46);
  EXPECT_EQ(hh.notes[1], 26);
  EXPECT_EQ(hh.foot_note_count, 1);
  EXPECT_EQ(hh.foot_notes[0], 44);
  EXPECT_EQ(hh.openness_cc, 4);
  const MidiNotes& custom = midi_map[{Sound::CUSTOM_HAND_AND_FOOT, 1}];
  EXPECT_EQ(custom.foot_notes[0], 22);
  EXPECT_EQ(custom.openness_cc, 16);
  const MidiNotes& kick = midi_map[{Sound::KICK, 2}];
  EXPECT_EQ(kick.note_count, 1);
  EXPECT_EQ(kick.notes[0], 35);
  EXPECT_EQ(kick.foot_note_count, 0);
  EXPECT_EQ(midi_map[MidiMapKey(Sound::CHOKE, 1)].notes[0], 21);
  EXPECT_EQ(midi_map[MidiMapKey(Sound::CRASH, 3)].notes[0], 30);
  EXPECT_EQ(midi_map.count(MidiMapKey(Sound::RIMSHOT, 2)), 0u);
  // The General MIDI drum notes of every row: the first hand note and how many there are.
  const struct { Sound::ElementType type; int number, note, count; } rows[] = {
      {Sound::KICK, 1, 36, 1},        {Sound::SNARE, 1, 38, 2},         {Sound::SNARE, 2, 24, 2},
      {Sound::RIMSHOT, 1, 38, 1},     {Sound::CROSS_STICK, 1, 37, 1},   {Sound::VERY_HIGH_TOM, 1, 50, 1},
      {Sound::HIGH_TOM, 1, 48, 1},    {Sound::MID_TOM, 1, 47, 1},       {Sound::FLOOR_TOM, 1, 43, 1},
      {Sound::FLOOR_TOM_2, 1, 41, 1}, {Sound::HIHAT, 2, 27, 2},         {Sound::HIHAT_SPLASH, 1, 23, 1},
      {Sound::CRASH, 1, 49, 1},       {Sound::CRASH, 2, 57, 1},         {Sound::SPLASH, 1, 55, 1},
      {Sound::SPLASH, 2, 31, 1},      {Sound::RIDE, 1, 51, 1},          {Sound::RIDE, 2, 59, 1},
      {Sound::RIDE_BELL, 1, 53, 1},   {Sound::CHINA, 1, 52, 1},         {Sound::CHINA, 2, 32, 1},
      {Sound::COWBELL, 1, 56, 1},     {Sound::TAMBOURINE, 1, 54, 1},    {Sound::CUSTOM_HAND, 1, 32, 2},
      {Sound::CUSTOM_FOOT, 1, 33, 1},
  };
  for (const auto& r : rows) {
    const MidiNotes& m = midi_map[MidiMapKey(r.type, r.number)];
    EXPECT_EQ(m.notes[0], r.note) << r.type << " " << r.number;
    EXPECT_EQ(m.note_count, r.count) << r.type << " " << r.number;
  }
  CleanUpMIDI();
}

TEST(MidiNoteNames, NamesToNumbers) {
  const struct {
    const char* name;
    int note;
  } cases[] = {{"C3", 60}, {"c3", 60}, {"Db3", 61}, {"C#3", 61}, {"db3", 61}, {"Eb-1", 15}, {"C-2", 0},
               {"G8", 127}, {"B8", 131}, {"60", 60}, {"#60", 60}, {"#0", 0}, {"127abc", 127}};
  for (const auto& c : cases) EXPECT_EQ(HumanReadableNoteToPortMIDI(c.name), c.note) << c.name;
}

TEST(MidiNoteNames, BadNamesGiveMinusOne) {
  for (const char* bad : {"DB3", "cB3", "Cb3", "E#3", "Fb3", "B#3", "C9", "C-3", "", "-1", "C",
                          "C 3", " C3", "H3", "C3 ", "x"})
    EXPECT_EQ(HumanReadableNoteToPortMIDI(bad), -1) << '"' << bad << '"';
}

TEST(MidiNoteNames, NumbersToNamesAndBackOverTheWholeRange) {
  const struct {
    int note;
    const char* name;
  } cases[] = {{60, "C3"}, {61, "C#3"}, {0, "C-2"}, {127, "G8"}, {128, "NA"}, {-1, "NA"}};
  for (const auto& c : cases) EXPECT_EQ(PortMIDINoteToHumanReadable(c.note), c.name) << c.note;
  for (int n = 0; n <= 127; ++n) {
    EXPECT_EQ(HumanReadableNoteToPortMIDI(PortMIDINoteToHumanReadable(n)), n);
    EXPECT_EQ(HumanReadableNoteToPortMIDI("#" + std::to_string(n)), n);
  }
}

}  // namespace
