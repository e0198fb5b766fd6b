// The drumming controller fed with synthetic marker tracks: strokes of sticks and feet, what
// they sound like, the pedals, in-air buttons and a long run of garbage blobs.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/texts.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/viewer_calls.h"
#include "frame/interface_states.h"
#include "sound/midi.h"
#include "tests/drumming/drumming_test_util.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

using skyt_test::Blob;
using skyt_test::StrokeHarness;
using skyt_test::StrokeTrack;
using skyt_test::Voice;

namespace {

// Drums: 0 snare at (240, 150), 1 hi-hat (hand at (60, 120), pedal at x 90), 2 kick pedal at
// x 200, 3 crash at (200, 60).
class Drumming : public drumming_test::SnareHatKickTest {
 protected:
  void SetUp() override {
    StartBench("drumming");
    crash_ = skyt_test::AddElement(Sound::CRASH, 0, 2);
    splash_ = skyt_test::AddElement(Sound::HIHAT_SPLASH, 1, 1);
    ASSERT_TRUE(skyt_test::LoadKit(
        kit_,
        {{"Snare", Sound::SNARE, 0, snare_}, {"Hat", Sound::HIHAT, 2, hihat_}, {"Kick", Sound::KICK, 1, kick_},
         {"Crash", Sound::CRASH, 0, crash_}, {"Splash", Sound::HIHAT_SPLASH, 1, splash_}},
        "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\n"
        "Drum1.x = 60\nDrum1.y = 120\nDrum1.size = 4\nDrum1.foot_x = 90\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
        "Drum1.pedal_lowest_foot_y = 225\nDrum1.pedal_foot_range = 5\nDrum1.Foot.Sensitivity = 0\n"
        "Drum2.foot_x = 200\nDrum2.foot_y = 225\nDrum2.foot_size = 5\nDrum2.Foot.Sensitivity = 0\n"
        "Drum3.x = 200\nDrum3.y = 60\nDrum3.size = 4\nDrum4.foot_x = 30\n"));
    skyt_test::ResetDrummer(drummer_, kit_);
    kit_.SetPan(true, -1);
    kit_.shown_drum = 0;
    kit_.shown_marker_type = MOCAP_MARKER_HAND;
  }
  // A right-stick stroke onto the snare with the left stick resting far away.
  std::vector<std::vector<Webcam::Blob>> SnareStroke(float step, float x = 240, float bottom = 158) {
    std::vector<std::vector<Webcam::Blob>> frames;
    for (float y : StrokeTrack(bottom - 6 * step, step, 6, 6)) frames.push_back({Blob(x, y), Blob(20, 40)});
    return frames;
  }
  int Play(StrokeHarness& h, const std::vector<std::vector<Webcam::Blob>>& frames) {
    int before = h.TotalVoices();
    for (const auto& f : frames) h.Frame(f);
    return h.TotalVoices() - before;
  }

  Drummer drummer_;
  int crash_, splash_;
};

}  // namespace

TEST_F(Drumming, OneSnareStrokeGivesExactlyOneHit) {
  StrokeHarness h(drummer_);
  ASSERT_EQ(Play(h, SnareStroke(8.0f)), 1);
  Voice hit;
  int frame = -1;
  for (size_t i = 0; i < h.History().size(); ++i)
    if (!h.History()[i].empty()) {
      hit = h.History()[i][0];
      frame = int(i);
    }
  // Still frames count as downward too, so the fifth frame reaches the five needed and the
  // sixth, the descent's fourth, is tested: moving 8 pixels, as the mean of the frames before
  // predicts, counts as braking.
  EXPECT_EQ(frame, 6);
  EXPECT_EQ(hit.slot, snare_);
  EXPECT_EQ(hit.set, 1);  // the right stick of a right-handed player
  EXPECT_NEAR(kit_.shown_speed, 1000.0f, 1.0f);
  float velocity = 1000.0f / 1260.0f;
  float level = float(hit.layer + 1) / 4.0f;
  // Element volume 75 (the kit file's default) times the curve gain over the layer's level.
  EXPECT_NEAR(hit.volume, 0.75f * ApplyVolumeCurve(velocity, Sound::CURVE_LINEAR) / level, 2e-3);
  EXPECT_EQ(hit.layer, 2);
  EXPECT_NEAR(hit.pan, (240.0f - 146.0f) / 178.0f * 0.8f, 2e-3);
  EXPECT_EQ(drummer_.right_hand.m_last_drum_hit, 0);  // faster than 7 x the play threshold
  int drum;
  Drummer::Limb limb;
  EXPECT_FALSE(drummer_.HavePick(drum, limb));  // picks are per frame
  // A softer stroke is quieter and on a lower layer.
  ASSERT_EQ(Play(h, SnareStroke(2.0f)), 1);
  EXPECT_NEAR(kit_.shown_speed, 250.0f, 1.0f);
}

// The viewer hears every stroke, one at nothing too (drum -1, coded by the stick), and each
// frame the markers with the hi-hat's openness.
TEST_F(Drumming, TheViewerHearsStrokesAtNothingAndTheHiHatsOpenness) {
  static std::vector<std::pair<int, int>> hits;
  static float openness;
  hits.clear();
  openness = -1;
  const ViewerCalls installed = viewer_calls;
  viewer_calls.hit_drum = [](int drum, float, unsigned char limb) { hits.push_back({drum, int(limb)}); };
  viewer_calls.markers = [](float, float, float, float, float, float, float, float, float, float, float hihat) {
    openness = hihat;
  };
  kit_.drums[1].openness = 0.25f;
  DistanceMenu menu;  // with the in-air menu, a stroke off every drum finds nothing
  StrokeHarness h(drummer_, &menu);
  ASSERT_EQ(Play(h, SnareStroke(8.0f, 150)), 0);
  EXPECT_EQ(hits, (std::vector<std::pair<int, int>>{{-1, int(Drummer::RIGHT_HAND)}}));
  EXPECT_FLOAT_EQ(openness, kit_.drums[1].openness);
  viewer_calls = installed;
}

// A stroke beside the snare's centre sets its icon's hit going in the stroke's direction from
// the centre (4 px to the left or right, 8 px above, where the stroke is taken), y part first.
TEST_F(Drumming, TheIconsHitFollowsWhereTheStickMetTheDrum) {
  const struct {
    float x, side;
  } cases[] = {{236, -1}, {244, +1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    skyt_test::ResetDrummer(drummer_, kit_);
    kit_.drums[0].StopAnimations();
    StrokeHarness h(drummer_);
    ASSERT_EQ(Play(h, SnareStroke(8.0f, c.x)), 1);
    const auto& hits = kit_.drums[0].icons[0].animations[0].instances;
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].axis_x, -2 / std::sqrt(5.0f), 1e-4);
    EXPECT_NEAR(hits[0].axis_y, c.side / std::sqrt(5.0f), 1e-4);
  }
}

TEST_F(Drumming, WithoutASettingsFileStrokesStillFindTheirDrum) {
  kit_.disk_radius_factor = kit_.disk_plane_distance = kit_.disk_min_diameter = 0;  // a fresh kit
  EXPECT_FALSE(drummer_.LoadLastSession());  // no conf/skytapper.cfg here
  DistanceMenu menu;
  StrokeHarness h(drummer_, &menu);
  EXPECT_EQ(Play(h, SnareStroke(8.0f)), 1);
}

TEST_F(Drumming, HandednessChoosesTheSampleSet) {
  drummer_.Is_Left_Handed = true;
  StrokeHarness h(drummer_);
  ASSERT_EQ(Play(h, SnareStroke(8.0f)), 1);
  for (const auto& f : h.History()) {
    if (!f.empty()) {
      EXPECT_EQ(f[0].set, 0);
    }
  }
  // The left stick of a left-handed player plays the dominant set.
  skyt_test::ResetDrummer(drummer_, kit_);
  drummer_.Is_Left_Handed = true;
  StrokeHarness h2(drummer_);
  // Hands are told apart by x: the stroke is now the left stick's only when it is left of the
  // other one.
  std::vector<std::vector<Webcam::Blob>> left;
  for (float y : StrokeTrack(110, 8, 6, 6)) left.push_back({Blob(240, y), Blob(310, 40)});
  ASSERT_EQ(Play(h2, left), 1);
  for (const auto& f : h2.History()) {
    if (!f.empty()) {
      EXPECT_EQ(f[0].set, 1);
    }
  }
}

TEST_F(Drumming, FirmStrokesArePicks) {
  StrokeHarness h(drummer_);
  auto frames = SnareStroke(8.0f);
  bool picked = false;
  for (const auto& f : frames) {
    h.Frame(f);
    int drum = -1;
    Drummer::Limb limb = -1;
    if (drummer_.HavePick(drum, limb)) {
      picked = true;
      EXPECT_EQ(drum, 0);
      EXPECT_EQ(limb, Drummer::RIGHT_HAND);
    }
  }
  EXPECT_TRUE(picked);
}

TEST_F(Drumming, SlowStrokesAndJitterAreSilent) {
  StrokeHarness h(drummer_);
  EXPECT_EQ(Play(h, SnareStroke(0.2f)), 0);  // 25 pixels a second
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> jitter(-0.1f, 0.1f);  // sub-pixel centroid noise
  std::vector<std::vector<Webcam::Blob>> frames;
  for (int i = 0; i < 500; ++i)
    frames.push_back({Blob(240 + jitter(rng), 150 + jitter(rng), 4 + 0.05f * jitter(rng)), Blob(20 + jitter(rng), 40)});
  EXPECT_EQ(Play(h, frames), 0);
  // Marker pops (the stick vanishing now and then) make no phantom hits either.
  frames.clear();
  for (int i = 0; i < 300; ++i) {
    if (i % 7 == 3)
      frames.push_back({Blob(20, 40)});
    else
      frames.push_back({Blob(240 + jitter(rng), 150 + jitter(rng)), Blob(20, 40)});
  }
  EXPECT_EQ(Play(h, frames), 0);
}

TEST_F(Drumming, MidiModes) {
  fake_portmidi::OpenOnlyOutput("Synth");
  kit_.GetMIDINotes(0)->notes[0] = 38;
  auto note_ons = [] {
    int n = 0;
    for (const auto& m : fake_portmidi::Messages())
      if ((m.status() & 0xF0) == 0x90) ++n;
    return n;
  };
  StrokeHarness h(drummer_);
  midi_mode = 1;  // MIDI only
  fake_portmidi::ClearMessages();
  EXPECT_EQ(Play(h, SnareStroke(8.0f)), 0);
  EXPECT_EQ(note_ons(), 1);
  midi_mode = 2;  // MIDI and sounds
  fake_portmidi::ClearMessages();
  EXPECT_EQ(Play(h, SnareStroke(8.0f)), 1);
  EXPECT_EQ(note_ons(), 1);
  midi_mode = 0;
  fake_portmidi::ClearMessages();
  EXPECT_EQ(Play(h, SnareStroke(8.0f)), 1);
  EXPECT_EQ(note_ons(), 0);
}

// A stroke into either choke zone fades the ringing crash within a short block (well before its
// tone ends) and starts nothing; a stroke beside the zones (drummed silently, as it plays the
// nearest drum) leaves it ringing.
TEST_F(Drumming, StrokesInAChokeZoneChokeInsteadOfPlaying) {
  const struct {
    float stroke_x, rest_x;
    bool choked;
  } cases[] = {{5, 300, true}, {315, 20, true}, {160, 300, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stroke_x);
    skyt_test::ResetDrummer(drummer_, kit_);  // the sticks start afresh
    skyt_test::SilenceAll();
    kit_.PlayDrum(3, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
    const std::vector<Voice> ringing = skyt_test::PlayingVoices();
    ASSERT_EQ(ringing.size(), 1u);
    for (float y : StrokeTrack(20 - 48, 8, 6, 2)) {
      Webcam::Blob blobs[] = {Blob(c.stroke_x, y), Blob(c.rest_x, 40)};
      drummer_.Drum(blobs, 2, nullptr, nullptr, !c.choked);
    }
    float out[2 * 2048];
    sound.audio.RenderOffline(out, 2048);  // half the crash's tone
    const std::vector<Voice> after = skyt_test::PlayingVoices();
    ASSERT_EQ(after.size(), 1u) << "no new voice";
    if (c.choked)
      EXPECT_LT(after[0].volume, 0.8f * ringing[0].volume);
    else
      EXPECT_NEAR(after[0].volume, ringing[0].volume, 0.01f * ringing[0].volume);
  }
}

TEST_F(Drumming, KickStrokes) {
  StrokeHarness h(drummer_);
  std::vector<std::vector<Webcam::Blob>> frames;
  for (float y : StrokeTrack(212, 2, 6, 8)) frames.push_back({Blob(240, 100), Blob(20, 40), Blob(205, y, 5)});
  ASSERT_EQ(Play(h, frames), 1);
  for (const auto& f : h.History())
    if (!f.empty()) {
      EXPECT_EQ(f[0].slot, kick_);
      EXPECT_NEAR(f[0].pan, (200.0f - 146.0f) / 178.0f * 0.8f, 2e-3);
    }
  // A foot far from every pedal plays nothing.
  frames.clear();
  for (float y : StrokeTrack(212, 2, 6, 8)) frames.push_back({Blob(240, 100), Blob(20, 40), Blob(300, y, 5)});
  EXPECT_EQ(Play(h, frames), 0);
}

TEST_F(Drumming, AKickJustBeforeLeavingAPageLeavesTheNextPagesFirstKickAlone) {
  // The pages change through the program-wide drummer.
  Drumkit* previous = drummer.kit;
  skyt_test::ResetDrummer(drummer, kit_);
  StrokeHarness h(drummer);
  auto kick_foot = [](float y) { return std::vector<Webcam::Blob>{Blob(240, 100), Blob(20, 40), Blob(205, y, 5)}; };
  for (float y : StrokeTrack(212, 2, 6, 8))
    if (!h.Frame(kick_foot(y)).empty()) break;  // the page is left in the kick's frame
  ASSERT_EQ(h.TotalVoices(), 1);
  // The move-drum page's placing detector follows the foot up and down again, too slowly to place.
  ChangeInterfaceState(kMoveDrum, 0, 0, 0);
  for (float y : {221.0f, 218.0f, 215.0f, 212.0f, 214.0f, 216.0f, 218.0f, 220.0f, 222.0f}) {
    DistanceMenu menu;
    std::vector<Webcam::Blob> blobs = kick_foot(y);
    drummer.Label(blobs.data(), int(blobs.size()));
    MocapMarker::Position pos, stroke_pos;
    float speed = 0;
    Drummer::Limb limb = -1;
    ASSERT_FALSE(drummer.DetectHitToPlaceDrumOrMenu(menu, pos, stroke_pos, speed, limb));
  }
  // Back to drumming, the foot brakes in the first frame: that kick sounds.
  ChangeInterfaceState(kPlay, 0, 0, 0);
  EXPECT_EQ(h.Frame(kick_foot(222)).size(), 1u);
  ChangeInterfaceState(kMainScreen, 0, 0, 0);
  drummer.kit = previous;
}

TEST_F(Drumming, HiHatOpennessFollowsTheFoot) {
  StrokeHarness h(drummer_);
  auto foot_at = [&](float y) { h.Frame({Blob(240, 100), Blob(20, 40), Blob(90, y, 5)}); };
  Drumkit::Drum& hat = kit_.drums[1];
  foot_at(224);  // 1 pixel above closed, range 5
  EXPECT_NEAR(hat.raw_openness, 0.08f, 1e-5);
  EXPECT_NEAR(hat.openness, 0.16f, 1e-5);
  foot_at(227.5f);  // 2.5 below: closed outright
  EXPECT_EQ(hat.openness, 0.0f);
  foot_at(200);  // far above: open
  EXPECT_EQ(hat.openness, 1.0f);
  // No foot: the clutch openness; a foot drum reads open.
  hat.hihat_clutch_openness = 50;
  h.Frame({Blob(240, 100), Blob(20, 40)});
  EXPECT_EQ(hat.openness, 0.5f);
  EXPECT_EQ(kit_.drums[2].openness, 1.0f);
  // A damaged pedal range does not make the openness a non-number.
  hat.pedal_foot_range = 0;
  foot_at(224);
  EXPECT_TRUE(std::isfinite(hat.openness));
  EXPECT_EQ(drummer_.BothHandsBelowFootLine(), false);
  MocapMarker::Position r, l;
  drummer_.GetFeetPositions(r, l);
  EXPECT_EQ(l.x, 90);
  EXPECT_EQ(r.x, 0);
  // A pedal is set from a foot in sight only: not from the right one, never seen.
  const float lowest = hat.pedal_lowest_foot_y;
  drummer_.SetPedalParams(1, 0, true);
  EXPECT_EQ(hat.pedal_lowest_foot_y, lowest);
  EXPECT_EQ(hat.pedal_foot_range, 0);
  drummer_.SetPedalParams(1, 0, false);
  EXPECT_EQ(hat.pedal_lowest_foot_y, 224);
  EXPECT_LT(hat.pedal_foot_range, 0);
  h.Frame({Blob(240, 100), Blob(20, 40), Blob(90, 224, 5), Blob(205, 224, 5)});
  drummer_.GetFeetPositions(r, l);
  EXPECT_EQ(r.x, 205);
  EXPECT_EQ(l.x, 90);
}

TEST_F(Drumming, HiHatClosingChickAndSplash) {
  static std::vector<int> limbs;  // as the viewer hears them
  limbs.clear();
  const ViewerCalls installed = viewer_calls;
  viewer_calls.hit_drum = [](int, float, unsigned char limb) { limbs.push_back(limb); };
  StrokeHarness h(drummer_);
  auto foot = [&](float y) { return std::vector<Webcam::Blob>{Blob(240, 100), Blob(20, 40), Blob(90, y, 5)}; };
  // Press the pedal from open: the stroke brakes 2 pixels above closed, then the foot rests.
  std::vector<float> press = {205, 205, 205, 208, 211, 214, 217, 220, 223};
  for (float y : press) h.Frame(foot(y));
  int before = h.TotalVoices();
  for (float y : {224.0f, 225.0f, 225.0f, 225.0f, 225.0f, 225.0f}) h.Frame(foot(y));
  ASSERT_EQ(h.TotalVoices() - before, 1);
  for (size_t i = press.size(); i < h.History().size(); ++i)
    for (const Voice& v : h.History()[i]) {
      EXPECT_EQ(v.slot, hihat_);
      EXPECT_LE(v.set, 1);  // a pedal sample
    }

  // The same press followed by the foot springing up: a splash.
  for (float y : {205.0f, 205.0f, 205.0f, 205.0f, 205.0f}) h.Frame(foot(y));
  for (float y : press) h.Frame(foot(y));
  before = h.TotalVoices();
  std::vector<int> slots;
  for (float y : {221.0f, 216.0f, 211.0f, 206.0f, 205.0f}) {
    auto v = h.Frame(foot(y));
    for (const Voice& x : v) slots.push_back(x.slot);
  }
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0], splash_);
  EXPECT_EQ(limbs, (std::vector<int>{Drummer::LEFT_FOOT, Drummer::LEFT_FOOT})) << "the chick and the splash";
  viewer_calls = installed;
  // Springing up as late as the splash's deadline frame still splashes.
  for (float y : {205.0f, 205.0f, 205.0f, 205.0f, 205.0f}) h.Frame(foot(y));
  for (float y : press) h.Frame(foot(y));
  slots.clear();
  for (float y : {223.0f, 223.0f, 223.0f, 223.0f, 205.0f})
    for (const Voice& x : h.Frame(foot(y))) slots.push_back(x.slot);
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0], splash_);

  // An open hi-hat the stick struck, still ringing when the foot shuts the pedal, is faded.
  for (float y : press) h.Frame(foot(y));
  h.Frame(foot(224));  // still open
  kit_.PlayDrum(1, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
  const std::vector<Voice> ringing = skyt_test::PlayingVoices();
  ASSERT_EQ(ringing.size(), 1u);
  std::vector<Webcam::Blob> shut = foot(225);
  drummer_.Drum(shut.data(), int(shut.size()), nullptr, nullptr, false);
  float out[2 * 2048];
  sound.audio.RenderOffline(out, 2048);  // half the tone
  const std::vector<Voice> after = skyt_test::PlayingVoices();
  ASSERT_EQ(after.size(), 1u) << "no new voice";
  EXPECT_LT(after[0].volume, 0.8f * ringing[0].volume);
  skyt_test::SilenceAll();
  // A hi-hat struck while the foot holds the pedal shut rings on: the pedal closes once.
  kit_.PlayDrum(1, 1.0f, Sound::LIMB_HAND_1, -1.0f, false, false);
  const std::vector<Voice> struck_shut = skyt_test::PlayingVoices();
  ASSERT_EQ(struck_shut.size(), 1u);
  drummer_.Drum(shut.data(), int(shut.size()), nullptr, nullptr, false);
  sound.audio.RenderOffline(out, 2048);
  const std::vector<Voice> held = skyt_test::PlayingVoices();
  ASSERT_EQ(held.size(), 1u);
  EXPECT_GT(held[0].volume, 0.8f * struck_shut[0].volume);
  skyt_test::SilenceAll();

  // At the highest sensitivity a foot that stays where the press stopped still chicks: only a
  // lift splashes.
  const float sensitivity = kit_.drums[1].hihat_splash_sensitivity;
  kit_.drums[1].hihat_splash_sensitivity = 100;
  for (float y : {205.0f, 205.0f, 205.0f, 205.0f, 205.0f}) h.Frame(foot(y));
  for (float y : press) h.Frame(foot(y));
  slots.clear();
  for (float y : {223.0f, 223.0f, 223.0f, 223.0f, 223.0f, 223.0f})
    for (const Voice& x : h.Frame(foot(y))) slots.push_back(x.slot);
  EXPECT_EQ(slots, std::vector<int>{hihat_});
  kit_.drums[1].hihat_splash_sensitivity = sensitivity;

  // Muted drums: no chick.
  drums_muted = true;
  for (float y : {205.0f, 205.0f, 205.0f, 205.0f, 205.0f}) h.Frame(foot(y));
  for (float y : press) h.Frame(foot(y));
  before = h.TotalVoices();
  for (float y : {224.0f, 225.0f, 225.0f, 225.0f, 225.0f, 225.0f}) h.Frame(foot(y));
  EXPECT_EQ(h.TotalVoices(), before);
}

TEST_F(Drumming, DeferredSplashLapsesWhenTheFootIsLost) {
  StrokeHarness h(drummer_);
  std::vector<Webcam::Blob> hands = {Blob(240, 100), Blob(20, 40)};
  auto with_foot = [&](float x, float y) {
    std::vector<Webcam::Blob> blobs = hands;
    blobs.push_back(Blob(x, y, 5));
    return blobs;
  };
  // A firm press of the open hi-hat defers its sound; the foot is lost before the delay is up.
  for (float y : {205.0f, 205.0f, 205.0f, 208.0f, 211.0f, 214.0f, 217.0f, 220.0f, 223.0f, 224.0f}) h.Frame(with_foot(90, y));
  ASSERT_TRUE(drummer_.left_splash_pending);
  for (int i = 0; i < 10; ++i) h.Frame(hands);
  // The same foot's next firm stroke, pressing the hi-hat shut, sounds once.
  std::vector<std::vector<Webcam::Blob>> frames;
  for (float y : StrokeTrack(220, 2, 6, 8)) frames.push_back(with_foot(90, y));
  EXPECT_EQ(Play(h, frames), 1);
}

TEST_F(Drumming, PedalLearnsItsClosedPositionAfterAFirmStroke) {
  StrokeHarness h(drummer_);
  auto foot = [&](float y) { return std::vector<Webcam::Blob>{Blob(240, 100), Blob(20, 40), Blob(90, y, 5)}; };
  kit_.drums[1].pedal_lowest_foot_y = 230;
  for (float y : {215.0f, 215.0f, 215.0f, 217.0f, 219.0f, 221.0f, 223.0f, 225.0f, 227.0f, 227.2f}) h.Frame(foot(y));
  for (int i = 0; i < 20; ++i) h.Frame(foot(227.2f));
  EXPECT_EQ(kit_.drums[1].pedal_lowest_foot_y, 230.0f) << "not before the foot has rested a while";
  for (int i = 0; i < 20; ++i) h.Frame(foot(227.2f));
  EXPECT_FLOAT_EQ(kit_.drums[1].pedal_lowest_foot_y, 227.2f);
  drummer_.SetPedalParams(1, 0, false);
  EXPECT_EQ(kit_.drums[1].pedal_foot_range, -5.0f);
}

TEST_F(Drumming, InAirButtonNeedsRestingThenAStroke) {
  float bx = 150, by = 100;
  auto frame = [&](float y, bool& hit) {
    DistanceMenu menu;
    menu.buttons.push_back({103, "Menu", bx, by, 22.0f, true, false});
    DistanceMenu::UpdateButtonActivation();
    std::vector<Webcam::Blob> blobs = {Blob(bx, y), Blob(20, 40)};
    drummer_.Drum(blobs.data(), int(blobs.size()), nullptr, &menu, false);
    hit = menu.WasHit(103);
    skyt_test::SilenceAll();
  };
  DistanceMenu::ResetButtonActivation();
  bool hit = false;
  // A stroke onto the button without resting on it first is not taken.
  std::vector<float> stroke = StrokeTrack(60, 8, 5, 3, 0);
  int hits = 0;
  for (float y : StrokeTrack(60, 0, 0, 3, 0)) frame(y, hit);
  for (float y : stroke) {
    frame(y, hit);
    hits += hit;
  }
  EXPECT_EQ(hits, 0);
  // Rest on it: the window opens after 63 frames.
  for (int i = 0; i < 70; ++i) {
    frame(by, hit);
    EXPECT_FALSE(hit);
  }
  EXPECT_EQ(DistanceMenu::m_how_many_frames_for_dominant_hit, 125);
  // Lift the stick and strike.
  for (float y : {90.0f, 75.0f, 60.0f, 60.0f}) frame(y, hit);
  hits = 0;
  for (float y : stroke) {
    frame(y, hit);
    hits += hit;
  }
  EXPECT_EQ(hits, 1);
}

TEST_F(Drumming, MenuOnlyFramesAndPlacementStrokes) {
  DistanceMenu::ResetButtonActivation();
  int fired = 0;
  std::vector<float> stroke = StrokeTrack(60, 8, 5, 3);
  for (float y : stroke) {
    DistanceMenu menu;
    menu.buttons.push_back({102, "Done", 150, 100, 22.0f, false, false});
    menu.buttons.push_back({101, "Next", 250, 100, 22.0f, false, false});
    std::vector<Webcam::Blob> blobs = {Blob(150, y), Blob(20, 40)};
    drummer_.Label(blobs.data(), int(blobs.size()));
    if (drummer_.TestDistanceMenu(menu, false)) {
      ++fired;
      EXPECT_TRUE(menu.WasHit(102));
    }
  }
  EXPECT_EQ(fired, 1);

  // Placement: a firm stroke away from every button reports its limb and position, a hand's and
  // either foot's (a foot's marker is the small one; its stroke is faster).
  const struct {
    Drummer::Limb limb;
    float x;
    std::vector<float> track;
  } placers[] = {{Drummer::RIGHT_HAND, 200, stroke},
                 {Drummer::RIGHT_FOOT, 205, StrokeTrack(150, 12, 6, 3)},
                 {Drummer::LEFT_FOOT, 90, StrokeTrack(150, 12, 6, 3)}};
  for (const auto& p : placers) {
    skyt_test::ResetDrummer(drummer_, kit_);
    const bool foot = p.limb != Drummer::RIGHT_HAND;
    int placed = 0;
    for (float y : p.track) {
      DistanceMenu menu;
      menu.buttons.push_back({100, "Back", 20, 200, 22.0f, false, false});
      std::vector<Webcam::Blob> blobs = {Blob(20, 40), foot ? Blob(240, 100) : Blob(p.x, y)};
      if (foot) blobs.push_back(Blob(p.x, y, 5));
      drummer_.Label(blobs.data(), int(blobs.size()));
      MocapMarker::Position pos, stroke_pos;
      float speed = 0;
      Drummer::Limb limb = -1;
      if (drummer_.DetectHitToPlaceDrumOrMenu(menu, pos, stroke_pos, speed, limb)) {
        ++placed;
        EXPECT_EQ(limb, p.limb);
        EXPECT_EQ(pos.x, p.x);
        EXPECT_GT(speed, drummer_.Speed_Threshold_Place);
      }
    }
    EXPECT_EQ(placed, 1) << p.limb;
  }
}

TEST_F(Drumming, LongRunOfGarbageBlobsStaysFinite) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> pos(-50, 370), rad(0, 12), any(-1e30f, 1e30f);
  std::uniform_int_distribution<int> count(0, 4), kind(0, 9);
  DistanceMenu::ResetButtonActivation();
  float out[2 * 64];
  for (int frame = 0; frame < 6000; ++frame) {
    std::vector<Webcam::Blob> blobs;
    int n = count(rng);
    for (int i = 0; i < n; ++i) {
      Webcam::Blob b = Blob(pos(rng), pos(rng) * 0.75f, rad(rng));
      switch (kind(rng)) {
        case 0: b.x = NAN; break;
        case 1: b.y = INFINITY; break;
        case 2: b.radius = NAN; break;
        case 3: b.x = any(rng); b.y = any(rng); break;
        case 4: b.radius = -INFINITY; break;
        default: break;
      }
      blobs.push_back(b);
    }
    DistanceMenu menu;
    menu.buttons.push_back({103, "Menu", 120, 175, 22.0f, true, false});
    menu.sliders.push_back({104, "Volume", 0, 150, 100, 50, 20, 50.0f, 100, 0, false});
    DistanceMenu::UpdateButtonActivation();
    drummer_.Drum(blobs.data(), int(blobs.size()), nullptr, frame % 2 ? &menu : nullptr, false);
    for (const Drumkit::Drum& d : kit_.drums) ASSERT_TRUE(std::isfinite(d.openness)) << frame;
    ASSERT_TRUE(std::isfinite(menu.dominant_value) && std::isfinite(menu.non_dominant_value));
    for (const auto& s : menu.sliders) ASSERT_TRUE(std::isfinite(s.value));
    sound.audio.RenderOffline(out, 64);
    for (float v : out) ASSERT_TRUE(std::isfinite(v)) << frame;
  }
}

TEST_F(Drumming, DepthMessageOncePerRunOnPresetKits) {
  PopulateElementTypesAndNames();
  // A tom right behind the snare in the picture, much nearer the camera.
  kit_.drums[0].x = 232;
  kit_.drums[3].x = 243;
  kit_.drums[3].y = 150;
  kit_.drums[3].size = 6;
  kit_.use_3d = false;
  kit_.disk_radius_factor = 1.1f;
  kit_.disk_plane_distance = 0.15f;
  kit_.disk_min_diameter = 16;
  kit_.is_user_kit = false;
  DistanceMenu::ClearMessages();
  auto strike = [&] {
    for (float y : StrokeTrack(110, 8, 6, 4)) {
      DistanceMenu menu;
      std::vector<Webcam::Blob> blobs = {Blob(243, y), Blob(20, 40)};
      drummer_.Drum(blobs.data(), int(blobs.size()), nullptr, &menu, false);
      skyt_test::SilenceAll();
    }
  };
  auto rest = [&](int frames) {
    for (int i = 0; i < frames; ++i) {
      std::vector<Webcam::Blob> blobs = {Blob(243, 110), Blob(20, 40)};
      drummer_.Drum(blobs.data(), int(blobs.size()), nullptr, nullptr, false);
    }
  };
  strike();  // the first firm stroke starts the delay
  EXPECT_TRUE(DistanceMenu::m_messages.empty());
  rest(1200);
  strike();  // still too early
  EXPECT_TRUE(DistanceMenu::m_messages.empty());
  rest(200);
  // Without the in-air menu nothing is known of a drum behind: no hint.
  for (float y : StrokeTrack(110, 8, 6, 4)) {
    std::vector<Webcam::Blob> blobs = {Blob(243, y), Blob(20, 40)};
    drummer_.Drum(blobs.data(), int(blobs.size()), nullptr, nullptr, false);
    skyt_test::SilenceAll();
  }
  EXPECT_EQ(kit_.firm_drum, 0);
  EXPECT_TRUE(DistanceMenu::m_messages.empty());
  rest(10);
  strike();
  ASSERT_EQ(DistanceMenu::m_lines_to_messages.count(17), 1u);
  std::string line = DistanceMenu::m_lines_to_messages[17];
  EXPECT_NE(line.find(element_type_names[Sound::CRASH]), std::string::npos) << line;
  EXPECT_EQ(DistanceMenu::m_lines_to_messages[18].find("move your stick"), 0u);
  EXPECT_NE(DistanceMenu::m_lines_to_messages[18].find("further"), std::string::npos);
  EXPECT_TRUE(DistanceMenu::m_messages.at(DistanceMenu::m_lines_to_messages[20]).persistent);
  // Once a run.
  DistanceMenu::ClearMessages();
  rest(1400);
  strike();
  EXPECT_TRUE(DistanceMenu::m_messages.empty());
}
