// The slider pages of the kit adjusting: hi-hat range and clutch, cymbal choking, volume and
// sensitivity, and the MIDI thresholds, driven by scripted sticks and feet.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/support/adjust_kit.h"
#include "tests/support/in_air_kit.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;

namespace {

std::vector<int> SliderIds(const InAirKit& kit) {
  std::vector<int> ids;
  for (const DistanceMenu::Slider& s : kit.Menu().sliders) ids.push_back(s.id);
  return ids;
}

}  // namespace

TEST(SliderPages, HihatPagesFollowTheNumberOfHihats) {
  const struct {
    int hihats;
    int state;
    std::vector<int> sliders;
    int first_line;
  } cases[] = {
      {0, kAdjustHihatRangeAndSplash, {}, 187},
      {0, kAdjustHihatClutch, {}, 187},
      {1, kAdjustHihatRangeAndSplash, {kHihatRangeSlider, kSplashSensitivitySlider}, 189},
      {1, kAdjustHihatClutch, {kClutchOpennessSlider}, 182},
      {2, kAdjustHihatRangeAndSplash, {kHihatRangeSlider, kSplashSensitivitySlider}, 193},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hihats << " hi-hats, state " << c.state);
    InAirKit kit("hihat_pages");
    skyt_test::LoadAdjustKit();
    if (c.hihats == 0) drumkit.drums[1].category = Sound::CATEGORY_HAND;
    if (c.hihats == 2) {
      drumkit.drums[4].category = Sound::CATEGORY_HAND_AND_FOOT;
      drumkit.drums[4].foot_x = 150, drumkit.drums[4].foot_y = 225, drumkit.drums[4].foot_size = 5;
    }
    skyt_test::EnterPage(kit, c.state, kAdjustDrums, 0, 0);
    EXPECT_EQ(SliderIds(kit), c.sliders);
    EXPECT_EQ(kit.Line(0), GetUtf8(c.first_line));
    if (c.hihats == 0) {
      EXPECT_EQ(kit.Line(1), GetUtf8(188));
    }
    EXPECT_EQ(drumkit.shown_drum, c.hihats == 2 ? 4 : -1);
    if (c.hihats == 2) {
      EXPECT_EQ(kit.Line(5), "Adjusting the Splash pedal.");
      skyt_test::StrikeDrum(kit, 60, 120);
      skyt_test::StrikeDrum(kit, 60, 120);
      EXPECT_EQ(drumkit.shown_drum, 4) << "sticks do not choose a pedal";
      for (int tap = 0; tap < 2; ++tap) kit.Run(StrokeScript::FootTap(90));
      EXPECT_EQ(drumkit.shown_drum, 1);
      EXPECT_EQ(kit.Line(5), "Adjusting the Hat pedal.");
      kit.Run(StrokeScript::Rest(130));
      skyt_test::HitActivated(kit, kDoneButton);
      EXPECT_EQ(interface_state, kAdjustDrums);
      EXPECT_EQ(drumkit.shown_drum, -1) << "the chosen pedal stays lit after the page";
    }
    if (c.hihats == 1 && c.state == kAdjustHihatRangeAndSplash) {
      // A stick passing along the slider without resting on it first moves nothing.
      const DistanceMenu::Slider* s = skyt_test::FindSlider(kit, kHihatRangeSlider);
      ASSERT_NE(s, nullptr);
      const float range_before = drumkit.drums[1].pedal_foot_range;
      kit.Run(StrokeScript::Slider(s->x + s->width * 0.5f, s->x + 1.0f, s->y + s->height * 0.5f, 40));
      EXPECT_FLOAT_EQ(drumkit.drums[1].pedal_foot_range, range_before);
      for (const auto& [to_max, range] : {std::pair{false, -2.4f}, std::pair{true, -12.0f}}) {
        skyt_test::DragSlider(kit, kHihatRangeSlider, to_max);
        EXPECT_FLOAT_EQ(drumkit.drums[1].pedal_foot_range, range);
      }
      kit.Run(StrokeScript::Rest(130));
      skyt_test::HitActivated(kit, kDoneButton);
      EXPECT_EQ(interface_state, kAdjustDrums);
      EXPECT_EQ(state_param2, 1);
    }
    if (c.hihats == 1 && c.state == kAdjustHihatClutch) {
      const float splash = drumkit.drums[1].hihat_splash_sensitivity;
      skyt_test::DragSlider(kit, kClutchOpennessSlider, false);
      EXPECT_FLOAT_EQ(drumkit.drums[1].hihat_clutch_openness, 0.0f);
      EXPECT_EQ(drumkit.drums[1].hihat_splash_sensitivity, splash);
    }
  }
}

// Each page's lines by the number of hi-hats; Done hands back whether the kit was changed
// before the page.
TEST(SliderPages, HihatAndChokePagesShowTheirLinesAndHandBackAnEarlierChange) {
  const struct {
    int hihats;  // -1: the kit as loaded
    int state;
    std::vector<std::pair<int, TextId>> lines;
  } cases[] = {
      {0, kAdjustHihatRangeAndSplash, {{0, kTextSorryKitDoesnt}, {1, kTextJustHitDone}}},
      {1,
       kAdjustHihatRangeAndSplash,
       {{0, kTextAdjustHiHatRange}, {1, kTextAdjustHiHatSplash}, {2, kTextRightSliderVery}, {4, kTextNoteHiHat}}},
      {2, kAdjustHihatRangeAndSplash, {{0, kTextAdjustHiHatHit}, {1, kTextThenActivateUse}, {3, kTextNoteHiHat}}},
      {1, kAdjustHihatClutch, {{0, kTextActivateUseSliderAdjust}, {1, kTextShouldWhenFoot}}},
      {2, kAdjustHihatClutch, {{0, kTextAdjustHiHat}, {1, kTextActivateUseSliderAdjust}, {3, kTextShouldWhenFoot}}},
      {-1,
       kAdjustCymbalChoking,
       {{0, kTextActivateUseSlider}, {1, kTextCymbalChokingZones}, {3, kTextBringingOneDrum}, {4, kTextTheseZonesChoke}}},
  };
  InAirKit kit("hihat_lines");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hihats << " hi-hats, state " << c.state);
    skyt_test::LoadAdjustKit();
    if (c.hihats == 0) drumkit.drums[1].category = Sound::CATEGORY_HAND;
    if (c.hihats == 2) drumkit.drums[4].category = Sound::CATEGORY_HAND_AND_FOOT;
    skyt_test::EnterPage(kit, c.state, kAdjustDrums, 0, 0);
    for (int line = 0; line < 5; ++line) {
      std::string expected;
      for (const auto& [at, text] : c.lines)
        if (at == line) expected = GetUtf8(text);
      EXPECT_EQ(kit.Line(line), expected) << line;
    }
  }
  skyt_test::LoadAdjustKit();
  drumkit.drums[1].category = Sound::CATEGORY_HAND;
  for (int changed : {1, 0}) {
    skyt_test::EnterPage(kit, kAdjustHihatClutch, kAdjustDrums, changed, 0);
    kit.Run(StrokeScript::Rest(130));
    skyt_test::HitActivated(kit, kDoneButton);
    EXPECT_EQ(interface_state, kAdjustDrums);
    EXPECT_EQ(state_param2, changed);
  }
}

// On the pages played with the kit, Done waits for the stick to rest on it: a stroke passing
// through it, as a drum stroke would, leaves nothing.
TEST(SliderPages, DoneOnThePagesWithTheKitNeedsActivation) {
  const struct {
    int state, p1, p2;
  } cases[] = {{kAdjustAnyVolume, 139, 0},           {kAdjustAnyVolume, kMasterLevel, 0},
               {kAdjustMidiSettings, 139, 0},        {kAdjustHihatRangeAndSplash, kAdjustDrums, 0},
               {kAdjustHihatClutch, kAdjustDrums, 0}, {kAdjustCymbalChoking, kAdjustDrums, 0}};
  InAirKit kit("done_activation");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " " << c.p1);
    skyt_test::LoadAdjustKit();
    skyt_test::EnterPage(kit, c.state, c.p1, c.p2, kAdjustDrums);
    ASSERT_NE(kit.Button(kDoneButton), nullptr);
    kit.Hit(kDoneButton);
    EXPECT_EQ(interface_state, c.state);
    kit.Run(StrokeScript::Rest(130));
    skyt_test::HitActivated(kit, kDoneButton);
    EXPECT_NE(interface_state, c.state);
    EXPECT_EQ(state_param2, 0) << "nothing was changed";
  }
}

TEST(SliderPages, ChokeZoneSliderReportsTheChangeToTheHub) {
  InAirKit kit("choke_page");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kAdjustCymbalChoking, kAdjustDrums, 0, 0);
  skyt_test::DragSlider(kit, kLeftZoneSlider, false);
  EXPECT_FLOAT_EQ(drumkit.left_choke_distance, 50.0f);
  kit.Run(StrokeScript::Rest(5));  // out of the sliders' band, which would drag the left one on
  skyt_test::DragSlider(kit, kRightZoneSlider, false);
  EXPECT_FLOAT_EQ(drumkit.right_choke_distance, 50.0f);
  kit.Run(StrokeScript::Rest(130));
  skyt_test::HitActivated(kit, kDoneButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param, kAdjustDrums);
  EXPECT_EQ(state_param2, 1);
}

// A display frame without a new camera picture holds no slider: leaving reports no change.
TEST(SliderPages, AFrameWithoutAPictureLeavesTheChokePageUnchanged) {
  InAirKit kit("choke_stale");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kAdjustCymbalChoking, kAdjustDrums, 0, 0);
  kit.Redraw();
  kit.Run(StrokeScript::Rest(130));
  skyt_test::HitActivated(kit, kDoneButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param2, 0);
}

TEST(SliderPages, VolumePageCyclesTheMixerAndTheSongVolumeStaysAboveZero) {
  InAirKit kit("volume_mixer");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kAdjustAnyVolume, 136, 0, 0);
  EXPECT_EQ(kit.Line(1), GetUtf8(137));
  ASSERT_NE(kit.Button(kMasterVolumeButton), nullptr);
  EXPECT_EQ(kit.Button(kMasterVolumeButton)->label, "Master|volume");
  skyt_test::HitActivated(kit, kMasterVolumeButton);
  EXPECT_EQ(kit.Line(1), GetUtf8(135));
  ASSERT_NE(kit.Button(kDrumsVolumeButton), nullptr);
  // On round the ring: song, metronome, and master again.
  const struct {
    int button;
    int name;
  } ring[] = {{kDrumsVolumeButton, 134}, {kSongVolumeButton, 136}, {kMixingButton, 137}};
  for (const auto& step : ring) {
    skyt_test::HitActivated(kit, step.button);
    EXPECT_EQ(kit.Line(1), GetUtf8(step.name)) << step.button;
  }

  skyt_test::EnterPage(kit, kAdjustAnyVolume, 138, 0, 0);
  skyt_test::DragSlider(kit, kVolumeSlider, false);
  EXPECT_EQ(sound.song_volume.load(), 1);
  kit.Run(StrokeScript::Rest(130));
  skyt_test::HitActivated(kit, kDoneButton);
  EXPECT_EQ(interface_state, kAdjustVolumes);
  EXPECT_EQ(state_param, 1);
}

TEST(SliderPages, DrumSensitivityRewritesTheMapOfTheEditedSide) {
  const struct {
    int code, side, midi;
    bool to_max;
    float hand_max, foot_max;  // -1: that map is not checked
    bool volume_slider, curve_button;
  } cases[] = {
      {139, 0, 0, false, 1800.0f, -1.0f, true, true},  // the snare's hand map
      {139, 0, 0, true, 0.0f, -1.0f, true, true},
      {140, 1, 0, false, -1.0f, 180.0f, true, true},   // the hi-hat's pedal
      {139, 0, 1, false, 1800.0f, -1.0f, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " side " << c.side << " midi " << c.midi << " max " << c.to_max);
    InAirKit kit("volume_drum");
    skyt_test::LoadAdjustKit();
    midi_mode = c.midi;
    // Each side starts from its own map: three quarters of the side's top speed.
    drumkit.drums[c.code - 139].hand_map.MakeOnePointMap(1500.0f);
    drumkit.drums[c.code - 139].foot_map.MakeOnePointMap(150.0f);
    skyt_test::EnterPage(kit, kAdjustAnyVolume, c.code, c.side, kAdjustDrums);
    EXPECT_EQ(kit.Line(0), GetUtf8(kTextAdjustingSensitivityVolume));
    EXPECT_EQ(kit.Line(2), c.side == 1 ? GetUtf8(kTextWhenHitFoot) : "");
    ASSERT_NE(skyt_test::FindSlider(kit, kSensitivitySlider), nullptr);
    EXPECT_FLOAT_EQ(skyt_test::FindSlider(kit, kSensitivitySlider)->value, 25.0f);
    EXPECT_EQ(skyt_test::FindSlider(kit, kVolumeSlider) != nullptr, c.volume_slider);
    EXPECT_EQ(kit.Button(kResponseCurveButton) != nullptr, c.curve_button);
    skyt_test::DragSlider(kit, kSensitivitySlider, c.to_max);
    const Drumkit::Drum& d = drumkit.drums[c.code - 139];
    if (c.hand_max >= 0) {
      EXPECT_FLOAT_EQ(d.hand_map.GetMaxSpeed(), c.hand_max);
    }
    if (c.foot_max >= 0) {
      EXPECT_FLOAT_EQ(d.foot_map.GetMaxSpeed(), c.foot_max);
    }
    if (c.curve_button) {  // the next response curve for the edited side only, with a click
      const int drum = c.code - 139;
      const bool pedal = c.side == 1;
      const Sound::VolumeResponseCurve edited = drumkit.GetVolumeCurve(drum, pedal);
      const Sound::VolumeResponseCurve other = drumkit.GetVolumeCurve(drum, !pedal);
      const int clicks = kit.Clicks();
      kit.Hit(kResponseCurveButton);
      EXPECT_NE(drumkit.GetVolumeCurve(drum, pedal), edited);
      EXPECT_EQ(drumkit.GetVolumeCurve(drum, !pedal), other);
      EXPECT_EQ(kit.Clicks(), clicks + 1);
      // Four clicks go round the four curves.
      std::set<int> curves = {edited, drumkit.GetVolumeCurve(drum, pedal)};
      for (int i = 0; i < 3; ++i) {
        kit.Hit(kResponseCurveButton);
        curves.insert(drumkit.GetVolumeCurve(drum, pedal));
      }
      EXPECT_EQ(drumkit.GetVolumeCurve(drum, pedal), edited);
      EXPECT_EQ(curves.size(), 4u);
    }
    midi_mode = 0;
  }
}

// The volume slider starts from, and writes, the reverb or the edited side's own volume, and
// Done reports the change.
TEST(SliderPages, VolumeSliderWritesTheReverbOrTheEditedSidesVolume) {
  const struct {
    int code, side;
  } cases[] = {{kReverbLevel, 0}, {139, 0}, {140, 1}};
  InAirKit kit("volume_slider");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " side " << c.side);
    skyt_test::LoadAdjustKit();
    const int drum = c.code - 139, element = drum >= 0 ? drumkit.GetDrumkitElementToSoundElement(drum) : -1;
    sound.audio.SetReverbAmount(0.3f);
    if (element >= 0) {
      sound.SetElementVolume(element, 40, c.side == 1);
      sound.SetElementVolume(element, 70, c.side != 1);
    }
    skyt_test::EnterPage(kit, kAdjustAnyVolume, c.code, c.side, kAdjustDrums);
    if (element < 0) {
      EXPECT_EQ(kit.Line(0), GetUtf8(kTextAdjustingAmountReverb));
    }
    const DistanceMenu::Slider* slider = skyt_test::FindSlider(kit, kVolumeSlider);
    ASSERT_NE(slider, nullptr);
    EXPECT_FLOAT_EQ(slider->value, element < 0 ? 30.0f : 40.0f);
    skyt_test::DragSlider(kit, kVolumeSlider, false);
    if (element < 0) {
      EXPECT_FLOAT_EQ(sound.audio.GetReverbAmount(), 0.0f);
    } else {
      EXPECT_EQ(sound.GetElementVolume(element, c.side == 1), 0);
      EXPECT_EQ(sound.GetElementVolume(element, c.side != 1), 70);
    }
    kit.Run(StrokeScript::Rest(130));
    skyt_test::HitActivated(kit, kDoneButton);
    EXPECT_EQ(element < 0 ? state_param : state_param2, 1) << "the change is not reported";
  }
}

// A drum whose sound could not be found has no level to set: the volume slider changes
// nothing, and Done reports no change.
TEST(SliderPages, TheVolumeOfADrumWithoutASoundIsNoChange) {
  InAirKit kit("volume_no_sound");
  skyt_test::LoadAdjustKit();
  drumkit.drum_to_element.erase(0);
  skyt_test::EnterPage(kit, kAdjustAnyVolume, 139, 0, kAdjustDrums);
  ASSERT_NE(skyt_test::FindSlider(kit, kVolumeSlider), nullptr);
  skyt_test::DragSlider(kit, kVolumeSlider, false);
  kit.Run(StrokeScript::Rest(130));
  skyt_test::HitActivated(kit, kDoneButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param2, 0);
}

// Two pedal taps on another drum move the page to that drum's pedal side.
TEST(SliderPages, TwoFirmTapsOnAnotherPedalEditIt) {
  InAirKit kit("volume_follow");
  skyt_test::LoadAdjustKit();
  sound.SetElementVolume(drumkit.GetDrumkitElementToSoundElement(2), 40, false);
  skyt_test::EnterPage(kit, kAdjustAnyVolume, 139, 0, kAdjustDrums);
  for (int tap = 0; tap < 2; ++tap) kit.Run(StrokeScript::FootTap(200));
  EXPECT_EQ(drumkit.shown_drum, 2);
  EXPECT_EQ(drumkit.shown_marker_type, MOCAP_MARKER_FOOT);
  kit.Run(StrokeScript::Rest(1));
  const DistanceMenu::Slider* slider = skyt_test::FindSlider(kit, kVolumeSlider);
  ASSERT_NE(slider, nullptr);
  EXPECT_FLOAT_EQ(slider->value, 40.0f);
}

TEST(SliderPages, AFootDrumEnteredByHandStartsFromAnEmptyMap) {
  InAirKit kit("volume_kick_by_hand");
  skyt_test::LoadAdjustKit(true);
  skyt_test::EnterPage(kit, kAdjustAnyVolume, 139, 0, kAdjustDrums);
  const DistanceMenu::Slider* sensitivity = skyt_test::FindSlider(kit, kSensitivitySlider);
  ASSERT_NE(sensitivity, nullptr);
  EXPECT_FLOAT_EQ(sensitivity->value, 100.0f) << "a maximum speed of 0 out of 2000";
}

TEST(SliderPages, ADrumCodeWithoutADrumShowsTheMixerFormWithOnlyDone) {
  for (int state : {kAdjustAnyVolume, kAdjustMidiSettings}) {
    SCOPED_TRACE(state);
    InAirKit kit("volume_drumless");
    skyt_test::LoadAdjustKit();
    drumkit.drums.clear();
    skyt_test::EnterPage(kit, state, 139, 0, kAdjustDrums);
    ASSERT_EQ(kit.Menu().buttons.size(), 1u);
    kit.Run(StrokeScript::Rest(130));
    skyt_test::HitActivated(kit, kDoneButton);
    EXPECT_EQ(interface_state, kAdjustDrums);
  }
}

TEST(SliderPages, MidiPageShowsTheThresholdsOfTheDrumsKind) {
  const struct {
    int drum, side;
    std::vector<int> sliders;
    std::string name_line;
  } cases[] = {{0, 0, {kMuteUnderSlider, kRimshotSlider}, "of the Snare element."},
               {1, 0, {kMuteUnderSlider, kEdgeHitSlider}, "of the Hat element."},
               {1, 1, {kMuteUnderSlider, kEdgeHitSlider}, "of the Hat pedal"},
               {2, 1, {kMuteUnderSlider}, "of the Kick element."}};
  InAirKit kit("midi_page");
  skyt_test::LoadAdjustKit();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.drum << " side " << c.side);
    skyt_test::EnterPage(kit, kAdjustMidiSettings, 139 + c.drum, c.side, kAdjustDrums);
    EXPECT_EQ(SliderIds(kit), c.sliders);
    EXPECT_EQ(kit.Line(0), "Adjusting the MIDI settings");
    EXPECT_EQ(kit.Line(1), c.name_line);
    EXPECT_EQ(kit.Line(4), GetUtf8(kTextHitDrumPedalFirmly));
  }
  skyt_test::EnterPage(kit, kAdjustMidiSettings, 139, 0, kAdjustDrums);
  skyt_test::DragSlider(kit, kMuteUnderSlider, true);
  EXPECT_FLOAT_EQ(drumkit.drums[0].midi_hand_filter_threshold, 0.1f);
  // Two firm taps on the kick pedal move the page to the kick.
  for (int tap = 0; tap < 2; ++tap) kit.Run(StrokeScript::FootTap(200));
  EXPECT_EQ(drumkit.shown_drum, 2);
  kit.Run(StrokeScript::Rest(1));
  EXPECT_EQ(SliderIds(kit), std::vector<int>{kMuteUnderSlider});
  // The change is reported by every later visit.
  skyt_test::EnterPage(kit, kAdjustMidiSettings, 139, 0, kAdjustDrums);
  const int clicks = kit.Clicks();
  skyt_test::HitActivated(kit, kDoneButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param2, 1);
  EXPECT_EQ(kit.Clicks(), clicks + 1);
  EXPECT_EQ(drumkit.shown_drum, -1);
}
