// The in-air pages driven by scripted sticks through the camera and the display callback.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "sound/sound.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/test_dirs.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;

namespace {

int CountFiles(const std::string& folder, const std::string& extension) {
  int n = 0;
  if (!std::filesystem::exists(folder)) return 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) n += entry.path().extension() == extension;
  return n;
}

// Red border pixels within 6 px of the left and of the right edge, at their most over a
// border period.
std::array<int, 2> MostRedEdgePixels(InAirKit& kit) {
  std::array<int, 2> most = {0, 0};
  const int w = kit.gl().width();
  for (int i = 0; i < 125; i += 5) {
    kit.Run(StrokeScript::Rest(5));
    std::array<int, 2> red = {0, 0};
    for (int x = 0; x < 6; ++x)
      for (int y = 100; y < 600; y += 50)
        for (int side = 0; side < 2; ++side) {
          const auto p = kit.gl().Pixel(side == 0 ? x : w - 1 - x, y);
          red[side] += p[0] > 150 && p[1] < 80 && p[2] < 80;
        }
    for (int side = 0; side < 2; ++side) most[side] = std::max(most[side], red[side]);
  }
  return most;
}

}  // namespace

TEST(InAirPages, HandsBelowTheFootLineOpenThePlayMenuOnlyWithoutTheOldStyleButtonOutsideModeFour) {
  const struct {
    int graphics_mode;
    int old_style_button;
    int expected;
  } cases[] = {{0, 0, kPlayMenu}, {2, 0, kPlayMenu}, {4, 0, kPlay}, {0, 1, kPlay}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.graphics_mode << " old-style " << c.old_style_button);
    InAirKit kit("inair_hands_low");
    kit.Enter(kPlay);
    graphics_mode = c.graphics_mode;
    use_old_style_menu_button = c.old_style_button;
    kit.Run(StrokeScript::HandsLow(12));
    EXPECT_EQ(interface_state, c.expected);
  }
}

TEST(InAirPages, RecordReturnsToDrummingUnderAPulsingBorderAndTheMenuOffersStop) {
  InAirKit kit("inair_record");
  kit.Enter(kPlayMenu);
  ASSERT_NE(kit.Button(kSoundButton), nullptr);
  EXPECT_TRUE(kit.Button(kSoundButton)->greyed) << "the offline mixer has no output stream";
  // No recordings folder can be made: the page stays, says so, and nothing pulses.
  skyt_test::WriteFile("recordings", "");
  kit.Hit(kRecordButton);
  EXPECT_EQ(interface_state, kPlayMenu);
  EXPECT_FALSE(recording);
  EXPECT_EQ(kit.Line(3), GetUtf8(524));
  remove("recordings");
  kit.Hit(kRecordButton);
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_TRUE(recording);
  // Until the frame-rate indicator shows (the page's 126th frame) the dead-pixel overlay drawn
  // before the border leaves red as the colour: read after it, the border's red is its own.
  kit.Run(StrokeScript::Rest(125));
  const std::array<int, 2> red = MostRedEdgePixels(kit);
  EXPECT_GT(red[0], 5);
  EXPECT_GT(red[1], 5) << "the border goes round the window";

  kit.Enter(kPlayMenu);
  const DistanceMenu::Button* stop = kit.Button(kStopButton);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->label, "Stop|recording");
  EXPECT_EQ(stop->x, DistanceMenu::m_no_drums4_x);
  EXPECT_EQ(stop->y, DistanceMenu::m_no_drums4_y);
  EXPECT_EQ(kit.Button(kRecordButton), nullptr);
  kit.Hit(kStopButton);
  EXPECT_FALSE(recording);
  EXPECT_EQ(CountFiles("recordings", ".sel"), 1);
}

// Each button of the play menu opens its page with a click; the greyed Sound button (the
// offline mixer has no output stream) leaves the menu where it is, silently.
TEST(InAirPages, PlayMenuButtonsOpenTheirPagesAndTheGreyedSoundButtonNothing) {
  const struct {
    int button;
    int state, param;
    int clicks;
  } cases[] = {{kBackButton, kPlay, 0, 1},     {kSongsButton, kPlaySong, 0, 1},
               {kDrumKitButton, kDrumKits, kDrumKits, 1}, {kMetronomeButton, kMetronome, 0, 1},
               {kSoundButton, kPlayMenu, 0, 0}};
  InAirKit kit("inair_play_menu");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    kit.Enter(kPlayMenu);
    const int clicks = kit.Clicks();
    kit.Hit(c.button);
    EXPECT_EQ(interface_state, c.state);
    EXPECT_EQ(state_param, c.param);
    EXPECT_EQ(kit.Clicks(), clicks + c.clicks);
  }
}

TEST(InAirPages, PresetNoticeFollowsTheIntroOnPresetKitsOnly) {
  const struct {
    int param;
    bool user_kit;
    bool notice;
  } cases[] = {{1, false, true}, {2, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.param);
    InAirKit kit("inair_notices");
    drumkit.is_user_kit = c.user_kit;
    kit.Open([&] { OpenPlayPage(PlayEntry(c.param)); });
    if (c.param == 1) {
      EXPECT_EQ(kit.Line(0), GetUtf8(100)) << "the intro stays until a drum is hit";
      const Drumkit::Drum& drum = drumkit.drums[2];
      kit.Run(StrokeScript::MenuStroke(drum.x, drum.y, 5.6f));  // seen with the drum's depth
      ASSERT_EQ(drumkit.last_hit_drum, 2);
    }
    bool seen = false;
    for (int i = 0; i < 260 && !seen; ++i) {
      kit.Frame(StrokeScript::Rest(1)[0]);
      seen = kit.Line(0) == GetUtf8(518);
    }
    EXPECT_EQ(seen, c.notice);
    if (seen) {
      EXPECT_EQ(kit.Line(1), GetUtf8(519));
      EXPECT_EQ(kit.Line(3), GetUtf8(517));
    }
  }
}

// The drumming page's notices on entry: the fast graphics modes tell how to leave them (in dark
// red), and the intro after the wizard says more on the first run (in black). A switch to a fast
// mode under the intro leaves only the mode's notice.
TEST(InAirPages, DrummingPageNoticesFillTheirLines) {
  const struct {
    int graphics_mode;
    bool first_run;
    int style;
    std::vector<std::pair<int, TextId>> lines;
  } cases[] = {
      {kGraphicsSlow, false, 3, {{0, kTextFastGraphicsMode2}, {1, kTextPressCtrlG}}},
      {kGraphicsSlowSimplified, false, 3, {{0, kTextFastGraphicsMode3}, {1, kTextPressCtrlG}}},
      {kGraphicsNormal,
       true,
       1,
       {{0, kTextDrumKitSet},
        {1, kTextDontForgetPlugTurn},
        {2, kTextPutSomeMarkersWish},
        {4, kTextNotePedalBehave},
        {5, kTextCorrespondingFootTapped}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.graphics_mode);
    InAirKit kit("inair_play_notices");
    drummer.Never_Ran = c.first_run;
    calibration.Start(false);
    graphics_mode = c.graphics_mode;
    kit.Open([] { OpenPlayPage(PlayEntry::kAfterWizard); });
    for (const auto& [line, text] : c.lines) {
      EXPECT_EQ(kit.Line(line), GetUtf8(text)) << line;
      EXPECT_EQ(DistanceMenu::m_messages[GetUtf8(text)].style, c.style) << line;
    }
    if (c.first_run) {
      graphics_mode = kGraphicsSlow;
      kit.Frame({});
      const std::string after_switch[] = {GetUtf8(kTextFastGraphicsMode2), GetUtf8(kTextPressCtrlG), "", "", "", ""};
      for (int line = 0; line < 6; ++line) EXPECT_EQ(kit.Line(line), after_switch[line]) << "after the switch, " << line;
      graphics_mode = kGraphicsNormal;
    }
    drummer.Never_Ran = false;
  }
}

// The song page loads the current song on its first visit of a run, so a song that cannot be
// read greys Play and says so at once. The first visit is once a run: a run of its own.
TEST(InAirPages, TheFirstVisitLoadsTheSong) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto visit = [] {
    InAirKit kit("inair_first_visit");
    drummer.playlist = {Drummer::Song{"gone", "gone.ogg"}};
    drummer.current_song = 0;
    kit.Enter(kPlaySong);
    const DistanceMenu::Button* play = kit.Button(kPlayButton);
    std::_Exit(kit.Line(3) == GetUtf8(kTextFailedLoadSong) && play && play->greyed ? 0 : 1);
  };
  EXPECT_EXIT(visit(), testing::ExitedWithCode(0), "");
}

// A fresh run has no metronome going: its page offers Start, not Stop. A run of its own.
TEST(InAirPages, AFreshRunOffersToStartTheMetronome) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto visit = [] {
    InAirKit kit("inair_fresh_metronome");
    kit.Enter(kMetronome);
    std::_Exit(kit.Button(kStartButton) && !kit.Button(kStopButton) ? 0 : 1);
  };
  EXPECT_EXIT(visit(), testing::ExitedWithCode(0), "");
}

TEST(InAirPages, EmptyPlaylistShowsOnlyDone) {
  InAirKit kit("inair_empty_playlist");
  drummer.playlist.clear();
  kit.Enter(kPlaySong);
  ASSERT_EQ(kit.Menu().buttons.size(), 1u);
  EXPECT_EQ(kit.Menu().buttons[0].id, kDoneButton);
  EXPECT_EQ(kit.Line(1), GetUtf8(163));
}

TEST(InAirPages, PlayWithDelayCountsDownOnTheDrummingPageAndStartsTheSong) {
  InAirKit kit("inair_delay");
  ASSERT_EQ(std::system("sox -n -r 44100 -c 2 song.ogg synth 12 sine 300 vol 0.3"), 0);
  drummer.playlist = {Drummer::Song{"song %s%n", "song.ogg"}};  // a name is text, never a format
  drummer.current_song = 0;
  kit.Enter(kPlaySong);
  EXPECT_EQ(kit.Line(1), "Song: song %s%n");
  for (int i = 0; i < 200 && !sound.song.IsLoaded(); ++i) kit.Frame({});
  kit.Hit(kPlayWithDelayButton);
  ASSERT_EQ(interface_state, kPlay);
  const int left = frames_until_song_start;
  EXPECT_GT(left, 400);
  EXPECT_EQ(kit.Line(8), GetUtf8(96));
  std::string shown;
  for (int i = 0; i < left + 2 && !drummer.IsPlayingSong(); ++i) {
    const std::string line = kit.Line(9);
    if (!line.empty() && (shown.empty() || shown.back() != line[0])) shown += line;
    kit.Frame(StrokeScript::Rest(1)[0]);
  }
  EXPECT_EQ(shown.back(), '1');
  EXPECT_TRUE(drummer.IsPlayingSong());
  kit.Frame({});
  EXPECT_EQ(kit.Line(9), "") << "the count-down's lines are cleared";
  drummer.StopSong();
  drummer.playlist.clear();
}

// The start slider names a start past the first minute in minutes and seconds.
TEST(InAirPages, SongStartSliderShowsMinutesAndSeconds) {
  InAirKit kit("inair_start_at");
  ASSERT_EQ(std::system("sox -n -r 44100 -c 2 song.ogg synth 65 sine 300 vol 0.3"), 0);
  drummer.playlist = {Drummer::Song{"song", "song.ogg"}};
  drummer.current_song = 0;
  drummer.start_time = 61.5f;
  kit.Enter(kPlaySong);
  for (int i = 0; i < 400 && !sound.song.IsLoaded(); ++i) kit.Frame({});
  kit.Frame({});
  ASSERT_EQ(kit.Menu().sliders.size(), 1u);
  EXPECT_EQ(kit.Menu().sliders[0].label, "Start at:|1:01");
  drummer.start_time = 0;
  drummer.playlist.clear();
}

// Dragging the start slider right over a song that has played a while: the song stops only
// where the start has moved more than 2 s from the last stop (at first, from where the drag
// began) and plays on from there, the last 5 s can not be chosen, and letting go keeps the song
// and its start; Stop silences it and the page offers Play again; then Play with Delay on a song
// that can no longer be loaded starts nothing.
TEST(InAirPages, SongStartSliderStopAndAFailedReload) {
  InAirKit kit("inair_scrub");
  ASSERT_EQ(std::system("sox -n -r 44100 -c 2 song.ogg synth 12 sine 300 vol 0.3"), 0);
  drummer.playlist = {Drummer::Song{"song", "song.ogg"}, Drummer::Song{"next", "song.ogg"}};
  drummer.current_song = 0;
  const float first_start = 2.4f;
  drummer.start_time = first_start;
  sound.SetSongVolume(100);  // a silent song never gets a voice
  kit.Enter(kPlaySong);
  for (int i = 0; i < 200 && !sound.song.IsLoaded(); ++i) kit.Frame({});
  kit.Hit(kPlayButton);
  const auto playing = [] {
    float out[2 * 16];
    sound.audio.RenderOffline(out, 16);  // a stopped voice ends in the mixer
    return sound.audio.GetPlayingTime(sound.song) >= 0.0f;
  };
  for (int i = 0; i < 20 && !playing(); ++i) kit.Frame(StrokeScript::Rest(1)[0]);
  ASSERT_TRUE(playing());
  kit.Run(StrokeScript::Rest(190));  // long enough that a song ending now would move to the next
  ASSERT_EQ(kit.Menu().sliders.size(), 1u);
  const DistanceMenu::Slider slider = kit.Menu().sliders[0];

  std::vector<float> stops;
  int silent = 0;
  bool was_playing = true;
  float latest = 0.0f;
  for (const auto& scene :
       StrokeScript::Slider(slider.x + 5.0f, slider.x + 35.0f, slider.y + slider.height * 0.5f, 160)) {
    kit.Frame(scene);
    latest = drummer.start_time;
    const bool now = playing();
    if (was_playing && !now) stops.push_back(latest);
    silent += !now;
    was_playing = now;
  }
  ASSERT_GE(stops.size(), 2u);
  EXPECT_EQ(silent, int(stops.size())) << "each stop lasts one frame";
  EXPECT_GT(stops[0], 2.0f);
  EXPECT_GT(stops[0], first_start + 2.0f) << "the drag's first step does not stop the song";
  for (size_t i = 1; i < stops.size(); ++i) EXPECT_GT(stops[i] - stops[i - 1], 2.0f) << "stop " << i;
  EXPECT_LT(latest, 12.0f - 5.0f);
  EXPECT_GT(latest, 12.0f - 6.0f);

  kit.Run(StrokeScript::Rest(10));
  EXPECT_TRUE(playing());
  EXPECT_EQ(drummer.current_song, 0);
  EXPECT_EQ(drummer.start_time, latest);
  ASSERT_NE(kit.Button(kStopButton), nullptr);
  kit.Hit(kStopButton);
  EXPECT_FALSE(playing());
  EXPECT_NE(kit.Button(kPlayButton), nullptr);
  remove("song.ogg");
  sound.UnloadSong();
  kit.Hit(kPlayWithDelayButton);
  EXPECT_EQ(interface_state, kPlaySong);
  EXPECT_EQ(frames_until_song_start, -1);
  EXPECT_FALSE(playing());
  EXPECT_EQ(kit.Line(3), GetUtf8(173));
  EXPECT_TRUE(kit.Button(kPlayWithDelayButton)->greyed);
  drummer.playlist.clear();
}

TEST(InAirPages, SoundPageSavesOnlyChangesAndSaysWhetherItCould) {
  InAirKit kit("inair_sound");
  kit.Enter(kAdjustVolumes, 0);
  EXPECT_TRUE(kit.Button(kSaveChangesButton)->greyed);
  kit.Open([] { OpenSoundPage(true); });
  EXPECT_FALSE(kit.Button(kSaveChangesButton)->greyed);

  // A settings file that can not be rewritten: the button stays live, an error line shows.
  rename("conf/skytapper.cfg", "conf/saved.cfg");
  mkdir("conf/skytapper.cfg", 0755);
  kit.Hit(kSaveChangesButton);
  EXPECT_EQ(kit.Line(3), GetUtf8(525));
  kit.Frame({});
  EXPECT_FALSE(kit.Button(kSaveChangesButton)->greyed);
  rmdir("conf/skytapper.cfg");
  rename("conf/saved.cfg", "conf/skytapper.cfg");

  kit.Hit(kSaveChangesButton);
  EXPECT_EQ(kit.Line(3), "Saved changes.");
  kit.Frame({});
  EXPECT_TRUE(kit.Button(kSaveChangesButton)->greyed);
  const std::string saved = skyt_test::ReadFile("conf/skytapper.cfg");
  size_t at = 0;
  for (const char* key : {"[Sound]", "Device_Type", "Frames_Per_Buffer", "Device_Index", "Master_Volume",
                          "Drums_Volume", "Song_Volume", "Metronome_Volume", "Reverb_Amount", "Panning_Enabled"}) {
    const size_t found = saved.find(key, at);
    EXPECT_NE(found, std::string::npos) << key << " missing or out of order in\n" << saved;
    at = found == std::string::npos ? at : found;
  }

  const int clicks = kit.Clicks();
  kit.Hit(kMuteButton);
  EXPECT_TRUE(drums_muted);
  EXPECT_EQ(kit.Button(kMuteButton)->label, "Un-mute");
  EXPECT_EQ(kit.Clicks(), clicks) << "mute plays no click";
  EXPECT_TRUE(kit.Button(kSaveChangesButton)->greyed) << "muting is never saved";
  drums_muted = false;

  const bool panning = sound.panning_enabled;
  kit.Hit(kPanningButton);
  EXPECT_NE(sound.panning_enabled, panning);
  EXPECT_FALSE(kit.Button(kSaveChangesButton)->greyed);
  // The button offers the other setting, and its hit clicks.
  EXPECT_EQ(kit.Button(kPanningButton)->label, sound.panning_enabled ? "Center|panning" : "Auto|panning");
  EXPECT_EQ(kit.Clicks(), clicks + 1);
  kit.Hit(kMixingButton);
  EXPECT_EQ(interface_state, kAdjustAnyVolume);
  EXPECT_EQ(state_param, kMasterLevel);
  EXPECT_EQ(kit.Clicks(), clicks + 2);
  kit.Open([] { OpenSoundPage(false); });
  kit.Hit(kReverbButton);
  EXPECT_EQ(interface_state, kAdjustAnyVolume);
  EXPECT_EQ(state_param, kReverbLevel);
  EXPECT_EQ(kit.Clicks(), clicks + 3);
  kit.Open([] { OpenSoundPage(false); });
  kit.Hit(kDoneButton);
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_EQ(kit.Clicks(), clicks + 4);
  sound.panning_enabled = panning;
}

TEST(InAirPages, MetronomeShowsTheSoundManagersTempoAndSavesOnlyAChangeMadeWhilePlaying) {
  InAirKit kit("inair_metronome");
  sound.SetMetronomeTempo(90.0f);
  kit.Enter(kMetronome);
  ASSERT_EQ(kit.Menu().sliders.size(), 1u);
  EXPECT_NEAR(kit.Menu().sliders[0].value, 90.0f, 0.01f);
  const bool eighths = sound.eighth_notes.load();
  kit.Hit(kEighthNotesButton);
  EXPECT_NE(sound.eighth_notes.load(), eighths);
  kit.Hit(kStartButton);
  kit.Hit(kStopButton);
  EXPECT_FALSE(is_metronome_playing);
  EXPECT_FALSE(sound.metronome_on.load());
  const std::string before = skyt_test::ReadFile("conf/skytapper.cfg");
  kit.Hit(kDoneButton);
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_EQ(skyt_test::ReadFile("conf/skytapper.cfg"), before) << "Done saved without a change";
}

// The tempo slider held still at 119.6 and released sets 120 beats per minute; Done saves it
// only when the metronome played while it was set.
TEST(InAirPages, MetronomeTempoReleasedRoundsAndIsSavedOnlyWhenSetWhilePlaying) {
  for (const bool playing : {false, true}) {
    SCOPED_TRACE(playing ? "playing" : "stopped");
    InAirKit kit("inair_tempo");
    sound.SetMetronomeTempo(119.6f);
    kit.Enter(kMetronome);
    if (playing) kit.Hit(kStartButton);
    ASSERT_EQ(is_metronome_playing, playing);
    const std::string before = skyt_test::ReadFile("conf/skytapper.cfg");
    const DistanceMenu::Slider slider = kit.Menu().sliders.at(0);
    kit.Run(StrokeScript::Activation(slider.x + slider.width * 0.5f, slider.y + slider.height * 0.5f, 10));
    EXPECT_FALSE(is_metronome_playing) << "the metronome sounds while the tempo is set";
    kit.Run(StrokeScript::Rest(3));
    EXPECT_FLOAT_EQ(sound.beat_period.load(), 0.5f);
    EXPECT_EQ(is_metronome_playing, playing);
    kit.Hit(kDoneButton);
    ASSERT_EQ(interface_state, kPlay);
    const std::string after = skyt_test::ReadFile("conf/skytapper.cfg");
    EXPECT_EQ(after != before, playing);
    EXPECT_EQ(after.find("Metronome_Tempo = 120") != std::string::npos, playing) << after;
    sound.StopMetronome();
    is_metronome_playing = false;
  }
}
