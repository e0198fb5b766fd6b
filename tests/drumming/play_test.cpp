// Playing a drum: the voice it starts, panning, MIDI notes, choke zones and pedal operations.
#include <gtest/gtest.h>

#include <cmath>

#include "drumming/drumkit.h"
#include "drumming/drumming_globals.h"
#include "drumming/viewer_calls.h"
#include "sound/midi.h"
#include "sound/midi.h"
#include "tests/drumming/drumming_test_util.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

class Playing : public drumming_test::SnareHatKickTest {
 protected:
  void SetUp() override {
    StartBench("drum_playing");
    midi_ignore_response_curves = 1;
    midi_send_cc_only_before_note = true;
    per_element_midi_map.clear();
    element_type_midi_map.clear();
    splash_ = skyt_test::AddElement(Sound::HIHAT_SPLASH, 1, 1);
    ASSERT_TRUE(skyt_test::LoadKit(
        kit_,
        {{"Snare", Sound::SNARE, 0, snare_}, {"Hat", Sound::HIHAT, 2, hihat_}, {"Kick", Sound::KICK, 1, kick_},
         {"Splash", Sound::HIHAT_SPLASH, 1, splash_}, {"Snare 2", Sound::SNARE, 0, -1}},
        "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\nDrum0.volume = 100\n"
        "Drum1.x = 60\nDrum1.y = 120\nDrum1.size = 4\nDrum1.foot_x = 90\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
        "Drum1.volume = 100\nDrum1.volume2 = 100\nDrum1.midi_hand_filter_threshold = 0.03\nDrum1.midi_bow_edge_threshold = 0.6\n"
        "Drum2.foot_x = 200\nDrum2.foot_y = 225\nDrum2.foot_size = 5\nDrum2.volume = 100\n"
        "Drum3.foot_x = 91\nDrum3.foot_y = 225\nDrum3.foot_size = 5\n"));
    skyt_test::SilenceAll();
  }
  void StartMidi() {
    fake_portmidi::OpenOnlyOutput("Synth");
    ASSERT_NE(midi_stream, nullptr);
    fake_portmidi::ClearMessages();
  }
  std::vector<fake_portmidi::Message> NoteOns() {
    std::vector<fake_portmidi::Message> out;
    for (const auto& m : fake_portmidi::Messages())
      if ((m.status() & 0xF0) == 0x90) out.push_back(m);
    return out;
  }
  int splash_;
};

}  // namespace

TEST_F(Playing, HitStartsOneVoiceOfTheRightLayerGainAndPan) {
  kit_.SetPan(true, -1);
  // The snare's four layers have levels 0.25 to 1, midpoints 0.375, 0.625 and 0.875; the
  // linear curve gives c = 0.229, 0.478 and 0.802 at these velocities; the gain is c / level.
  struct Row {
    float velocity, c;
    int layer;
  } rows[] = {{0.3f, 0.229f, 0}, {0.5f, 0.478f, 1}, {0.8f, 0.802f, 2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.velocity);
    kit_.PlayDrum(0, r.velocity, Sound::LIMB_HAND_1, -1.0f, false, false);
    auto v = skyt_test::PlayingVoices();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].slot, snare_);
    EXPECT_EQ(v[0].set, 1);  // the dominant hand's samples
    EXPECT_EQ(v[0].layer, r.layer);
    EXPECT_NEAR(v[0].volume, r.c / (0.25f * float(r.layer + 1)), 2e-3);
    EXPECT_NEAR(v[0].pan, (240.0f - 146.0f) / 178.0f * 0.8f, 2e-3);
    skyt_test::SilenceAll();
  }

  // A left-handed player's panning is centred further right.
  kit_.SetPan(false, 0);
  kit_.PlayDrum(0, 1.0f, Sound::LIMB_HAND_0, -1.0f, true, false);
  auto v = skyt_test::PlayingVoices();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0].set, 0);
  EXPECT_EQ(v[0].layer, 3);
  EXPECT_NEAR(v[0].volume, 1.0f, 2e-3);
  EXPECT_NEAR(v[0].pan, (240.0f - 178.0f) / 178.0f * 0.8f, 2e-3);
  skyt_test::SilenceAll();
  kit_.SetPanCenter();
  kit_.PlayDrum(0, 1.0f, Sound::LIMB_HAND_0, -1.0f, true, false);
  EXPECT_NEAR(skyt_test::PlayingVoices()[0].pan, 0.0f, 2e-3);
}

TEST_F(Playing, NonNumbersAndMissingSamplesPlayNothing) {
  kit_.PlayDrum(4, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);  // no samples
  kit_.PlayDrum(0, NAN, Sound::LIMB_HAND_1, -1.0f, false, false);
  kit_.PlayDrum(0, INFINITY, Sound::LIMB_HAND_1, -1.0f, false, false);
  kit_.PlayDrum(17, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
  EXPECT_TRUE(skyt_test::PlayingVoices().empty());
  // Uncalibrated drums stay centred when panned.
  kit_.drums[0].size = 0;
  sound.SetElementPan(snare_, 0.7f);
  kit_.SetPan(true, 0);
  EXPECT_EQ(sound.GetElementPan(snare_), 0.0f);
}

TEST_F(Playing, MidiNotesFollowFilterCurveAndThresholds) {
  StartMidi();
  midi_mode = 2;
  // Snare: rimshot threshold 1 from the kit file default, so the main note.
  MidiNotes& snare = *kit_.GetMIDINotes(0);
  snare.channel = 10;
  snare.note_count = 2;
  snare.notes[0] = 38;
  snare.notes[1] = 40;
  kit_.PlayDrum(0, 0.5f, Sound::LIMB_HAND_1, -1.0f, false, false);
  auto on = NoteOns();
  ASSERT_EQ(on.size(), 1u);
  EXPECT_EQ(on[0].status(), 0x99);
  EXPECT_EQ(on[0].data1(), 38);
  // Filter 0.01: (0.5 - 0.01) / 0.99, sent as it is while curves are ignored.
  EXPECT_EQ(on[0].data2(), int((0.49f / 0.99f) * 126.0f + 0.5f) + 1);

  fake_portmidi::ClearMessages();
  kit_.drums[0].midi_rimshot_threshold = 0.4f;
  kit_.PlayDrum(0, 0.9f, Sound::LIMB_HAND_1, -1.0f, false, false);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0].data1(), 40);

  // The hi-hat's filter 0.03: a stroke of exactly 0.03 sends nothing, 0.515 sends 0.5.
  MidiNotes& hat = *kit_.GetMIDINotes(1);
  hat.note_count = 2;
  hat.notes[0] = 42;
  hat.notes[1] = 46;
  hat.openness_cc = 4;
  fake_portmidi::ClearMessages();
  kit_.PlayDrum(1, 0.03f, Sound::LIMB_HAND_1, -1.0f, false, false);
  EXPECT_TRUE(NoteOns().empty());
  kit_.PlayDrum(1, 0.515f, Sound::LIMB_HAND_1, -1.0f, false, false);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0].data2(), int(0.5f * 126.0f + 0.5f) + 1);
  EXPECT_EQ(NoteOns()[0].data1(), 42);  // 0.5 is under the edge threshold 0.6
  // The openness controller goes out first.
  ASSERT_GE(fake_portmidi::Messages().size(), 2u);
  EXPECT_EQ(fake_portmidi::Messages()[fake_portmidi::Messages().size() - 3].status(), 0xB9);
  fake_portmidi::ClearMessages();
  kit_.PlayDrum(1, 0.9f, Sound::LIMB_HAND_1, -1.0f, false, false);
  EXPECT_EQ(NoteOns().back().data1(), 46);
  // A stick on the hi-hat sends the hat's own openness, whatever the stroke passed.
  for (const auto& [openness, value] : {std::pair{1.0f, 0}, std::pair{0.25f, 95}}) {
    kit_.drums[1].openness = openness;
    fake_portmidi::ClearMessages();
    kit_.PlayDrum(1, 0.9f, Sound::LIMB_HAND_1, -1.0f, false, false);
    ASSERT_GE(fake_portmidi::Messages().size(), 3u);
    const fake_portmidi::Message cc = fake_portmidi::Messages()[fake_portmidi::Messages().size() - 3];
    EXPECT_EQ(cc.status(), 0xB9);
    EXPECT_EQ(cc.data2(), value) << openness;
  }

  // With the response curve applied.
  midi_ignore_response_curves = 0;
  sound.SetElementCurve(snare_, Sound::CURVE_S1, false);
  fake_portmidi::ClearMessages();
  kit_.drums[0].midi_hand_filter_threshold = 0;
  kit_.PlayDrum(0, 0.975f, Sound::LIMB_HAND_1, -1.0f, false, false);
  const float* p = Sound::GetCurvePoints(Sound::CURVE_S1);
  float g = 0.5f * p[19] + 0.5f * p[20];
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0].data2(), int(g * 126.0f + 0.5f) + 1);

  // Audio mode sends nothing.
  midi_mode = 0;
  fake_portmidi::ClearMessages();
  kit_.PlayDrum(0, 0.9f, Sound::LIMB_HAND_1, -1.0f, false, false);
  EXPECT_TRUE(fake_portmidi::Messages().empty());
}

TEST_F(Playing, MidiFilterAtOneDoesNotDivideByZero) {
  StartMidi();
  midi_mode = 1;
  kit_.drums[0].midi_hand_filter_threshold = 1.0f;
  kit_.GetMIDINotes(0)->notes[0] = 38;
  kit_.PlayDrum(0, 0.99f, Sound::LIMB_HAND_1, -1.0f, false, false);
  EXPECT_TRUE(NoteOns().empty());
  kit_.PlayDrum(0, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0].data2(), 127);
}

TEST_F(Playing, MidiMapFallsThroughByNameTypeAndNumber) {
  MidiNotes a, b, c;
  a.notes[0] = 1;
  b.notes[0] = 2;
  c.notes[0] = 3;
  kit_.drums[4].type = Sound::SNARE;
  per_element_midi_map[{"Snare", 1}] = a;
  element_type_midi_map[{Sound::SNARE, 2}] = b;
  kit_.RecreateMIDIMap();
  EXPECT_EQ(kit_.GetMIDINotes(0)->notes[0], 1);
  EXPECT_EQ(kit_.GetMIDINotes(4)->notes[0], 2);  // the second snare
  element_type_midi_map.clear();
  midi_map[{Sound::SNARE, 1}] = c;
  midi_map.erase({Sound::SNARE, 2});
  kit_.RecreateMIDIMap();
  EXPECT_EQ(kit_.GetMIDINotes(4)->notes[0], 3);
  EXPECT_EQ(kit_.GetMIDINotes(5), nullptr);
  EXPECT_EQ(kit_.GetMIDINotes(-1), nullptr);
}

TEST_F(Playing, ChokeZonesFollowTheGeometry) {
  bool left, right;
  kit_.TestChokeZones(left, right, -12.31f, 221.53f);
  EXPECT_TRUE(left);
  EXPECT_FALSE(right);
  kit_.TestChokeZones(left, right, 332.31f, 221.53f);
  EXPECT_FALSE(left);
  EXPECT_TRUE(right);
  kit_.TestChokeZones(left, right, -12.31f + 30.0f, 221.53f);  // the half width is 26.25
  EXPECT_FALSE(left);
  kit_.TestChokeZones(left, right, 160, 120);
  EXPECT_FALSE(left || right);
  // Near a corner of each turned square, 1.2 inside its edge.
  kit_.TestChokeZones(left, right, 11.7f, 242.7f);
  EXPECT_TRUE(left);
  kit_.TestChokeZones(left, right, 308.3f, 242.7f);
  EXPECT_TRUE(right);
  kit_.left_choke_scale = 0;
  kit_.TestChokeZones(left, right, -12.31f, 221.53f);
  EXPECT_FALSE(left);
  kit_.TestChokeZones(left, right, NAN, NAN);
  EXPECT_FALSE(left || right);
  // Without either zone nothing chokes, whatever the flags held before.
  kit_.right_choke_scale = 0;
  left = right = true;
  kit_.TestChokeZones(left, right, 332.31f, 221.53f);
  EXPECT_FALSE(left || right);
}

TEST_F(Playing, PedalOperations) {
  EXPECT_TRUE(kit_.PedalPlacedTooClose(2, 92.9f));   // 1.9 from the splash pedal at 91
  EXPECT_FALSE(kit_.PedalPlacedTooClose(2, 93.0f));  // exactly 2.0
  EXPECT_FALSE(kit_.PedalPlacedTooClose(2, 200.0f)); // itself
  EXPECT_TRUE(kit_.PedalPlacedTooClose(0, 200.5f));

  // A splash with a splash element plays it on the foot set and fades the hi-hat; a connected
  // viewer sees the splash only when its element sounds.
  static int viewer_hits;
  const ViewerCalls installed = viewer_calls;
  viewer_calls.hit_drum = [](int, float, unsigned char) { ++viewer_hits; };
  kit_.PlayDrum(1, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
  ASSERT_EQ(skyt_test::PlayingVoices().size(), 1u);
  viewer_hits = 0;
  kit_.PedalSplash(1, 0.8f, 0.6f, true);
  EXPECT_EQ(viewer_hits, 1);
  auto v = skyt_test::PlayingVoices();
  bool splash_played = false;
  for (const auto& voice : v) splash_played = splash_played || voice.slot == splash_;
  EXPECT_TRUE(splash_played);
  skyt_test::SilenceAll();
  // Nothing while the drums are muted, and nothing on a drum that is not hi-hat-like.
  drums_muted = true;
  kit_.PedalSplash(1, 0.8f, 0.6f, true);
  drums_muted = false;
  kit_.PedalSplash(2, 0.8f, 0.6f, true);
  kit_.PedalSplash(1, NAN, 0.6f, true);
  EXPECT_TRUE(skyt_test::PlayingVoices().empty());

  // Without a splash element the MIDI splash note still goes out.
  StartMidi();
  midi_mode = 1;
  kit_.splash_element = -1;
  midi_map[{Sound::HIHAT_SPLASH, 1}].notes[0] = 55;
  kit_.PedalSplash(1, 0.8f, 0.6f, false);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0].data1(), 55);
  EXPECT_EQ(viewer_hits, 1);
  viewer_calls = installed;
}

TEST_F(Playing, ApplyVolumeCurveInterpolates) {
  const float* p = Sound::GetCurvePoints(Sound::CURVE_S2);
  EXPECT_FLOAT_EQ(ApplyVolumeCurve(1.0f, Sound::CURVE_S2), p[20]);
  EXPECT_FLOAT_EQ(ApplyVolumeCurve(0.975f, Sound::CURVE_S2), 0.5f * (p[19] + p[20]));
  EXPECT_EQ(ApplyVolumeCurve(0.0f, Sound::CURVE_S2), 0.0f);
  EXPECT_EQ(ApplyVolumeCurve(NAN, Sound::CURVE_S2), 0.0f);
  EXPECT_FLOAT_EQ(ApplyVolumeCurve(7.0f, Sound::CURVE_S2), p[20]);
}
