// The adjust-drums hub, its menus and the move-drum page, driven by scripted sticks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/library_calls.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/webcam_window.h"
#include "sound/midi.h"
#include "tests/support/adjust_kit.h"
#include "tests/support/free_ports.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/layout_fit.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/viewer_probe.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;
using skyt_test::operator+;

namespace {

constexpr const char* kKitFile = "conf/drumkits/test.ini";

struct Params {
  int state, p1, p2, p3;
  bool operator==(const Params&) const = default;
};
Params Now() { return {interface_state, state_param, state_param2, state_param3}; }
std::ostream& operator<<(std::ostream& os, const Params& p) {
  return os << p.state << " (" << p.p1 << ", " << p.p2 << ", " << p.p3 << ")";
}

float SavedFloat(const char* key) {
  IniFile ini;
  float value = -1.0f;
  ini.Init(kKitFile);
  ini.GetFloat("Drumkit calibration", key, value);
  return value;
}

// A stroke on the snare, which picks it on the move-drum page.
void PickSnare(InAirKit& kit) {
  skyt_test::StrikeDrum(kit, 240, 150);
  ASSERT_EQ(drumkit.shown_drum, 0);
}

// Each drum's sound sits where the drum now is: working the pans out again changes nothing.
void ExpectPansFollowTheDrums() {
  const auto pans = [] {
    std::vector<float> p;
    for (size_t i = 0; i < drumkit.drums.size(); ++i) {
      const int slot = drumkit.GetDrumkitElementToSoundElement(int(i));
      p.push_back(slot < 0 ? 0.0f : sound.GetElementPan(slot));
    }
    return p;
  };
  const std::vector<float> shown = pans();
  drumkit.SetPan(!drummer.Is_Left_Handed, -1);
  EXPECT_EQ(pans(), shown);
}

}  // namespace

// Every button of the hub opens its page with one click; the drum pages open on drum 0.
TEST(AdjustPages, HubOpensItsPagesByModeAndKit) {
  const struct {
    int midi;
    bool kick_first;
    int button;
    Params expected;
  } cases[] = {
      {0, false, kDoneButton, {kPlay, 0, 0, 0}},
      {0, true, kVolumeAndSensitivityButton, {kAdjustAnyVolume, 139, 1, kAdjustDrums}},
      {0, false, kVolumeAndSensitivityButton, {kAdjustAnyVolume, 139, 0, kAdjustDrums}},
      {0, false, kPlaceOneDrumButton, {kMoveDrum, 0, kAdjustDrums, kAdjustDrums}},
      {0, false, kHihatAndCymbalsButton, {kHihatAndCymbals, kAdjustDrums, 0, 0}},
      {1, false, kPlaceOneDrumButton, {kMoveDrumsSubMenu, kAdjustDrums, 0, 0}},
      {1, true, kMidiButton, {kAdjustMidiSettings, 139, 1, kAdjustDrums}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "midi " << c.midi << " button " << c.button);
    InAirKit kit("adjust_hub");
    midi_mode = c.midi;
    skyt_test::LoadAdjustKit(c.kick_first);
    skyt_test::EnterPage(kit, kAdjustDrums, kAdjustDrums, 0, 0);
    if (c.midi) {
      EXPECT_EQ(kit.Button(kPlaceAllDrumsButton), nullptr);
      EXPECT_EQ(kit.Button(kPlaceOneDrumButton)->x, DistanceMenu::m_no_drums6_x);
      EXPECT_EQ(kit.Button(kMidiButton)->x, DistanceMenu::m_no_drums3_x);
    }
    drumkit.shown_drum = 1;  // a drum an earlier page showed
    const int clicks = kit.Clicks();
    kit.Hit(c.button);
    EXPECT_EQ(Now(), c.expected);
    EXPECT_EQ(kit.Clicks(), clicks + 1);
    if (c.kick_first) {
      EXPECT_EQ(drumkit.shown_drum, 0);
      EXPECT_EQ(drumkit.shown_marker_type, MOCAP_MARKER_FOOT);
    }
    midi_mode = 0;
  }
}

TEST(AdjustPages, PlaceAllDrumsNeedsTwoHitsAndADrumlessKitGreysTheDrumPages) {
  InAirKit kit("adjust_place_all");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kAdjustDrums, kAdjustDrums, 0, 0);
  kit.Hit(kPlaceAllDrumsButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(kit.Line(2), GetUtf8(127));
  kit.Hit(kPlaceAllDrumsButton);
  EXPECT_EQ(Now(), (Params{kWizard, kAdjustDrums, 1, 0}));
  EXPECT_EQ(calibration.GetStage(), Calibration::kPlaceDrums);
  calibration.ChangeStage(Calibration::kIdle);

  for (int midi : {0, 1}) {
    midi_mode = midi;
    drumkit.drums.clear();
    skyt_test::EnterPage(kit, kAdjustDrums, kAdjustDrums, 0, 0);
    EXPECT_TRUE(kit.Button(kVolumeAndSensitivityButton)->greyed);
    if (midi) {
      EXPECT_TRUE(kit.Button(kMidiButton)->greyed);
    }
    kit.Hit(kVolumeAndSensitivityButton);
    EXPECT_EQ(interface_state, kAdjustDrums);
  }
  midi_mode = 0;
}

// Move the snare 20 pixels up, Done, Save: the file holds the move; a failed save keeps the
// button live with an error line.
TEST(AdjustPages, AMovedDrumIsSavedByTheHubAndAFailedSaveKeepsTheChanges) {
  InAirKit kit("adjust_move_save");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kAdjustDrums, kAdjustDrums, 0, 0);
  EXPECT_TRUE(kit.Button(kSaveChangesButton)->greyed);
  kit.Hit(kPlaceOneDrumButton);
  kit.Settle();
  skyt_test::StrikeDrum(kit, 240, 150);
  ASSERT_EQ(drumkit.shown_drum, 0) << "the snare is picked";
  skyt_test::StrikeDrum(kit, 240, 130);
  EXPECT_NEAR(drumkit.drums[0].y, 130.0f, 4.0f);
  EXPECT_EQ(drumkit.shown_drum, -1);
  skyt_test::HitActivated(kit, kDoneButton);
  ASSERT_EQ(Now(), (Params{kAdjustDrums, kAdjustDrums, 1, 0}));
  kit.Settle();
  EXPECT_FALSE(kit.Button(kSaveChangesButton)->greyed);

  rename(kKitFile, "conf/drumkits/kept.ini");
  mkdir(kKitFile, 0755);
  kit.Hit(kSaveChangesButton);
  EXPECT_EQ(kit.Line(2), GetUtf8(526));
  kit.Frame({});
  EXPECT_FALSE(kit.Button(kSaveChangesButton)->greyed);
  rmdir(kKitFile);
  rename("conf/drumkits/kept.ini", kKitFile);

  kit.Hit(kSaveChangesButton);
  EXPECT_EQ(kit.Line(2), GetUtf8(126));
  kit.Frame({});
  EXPECT_TRUE(kit.Button(kSaveChangesButton)->greyed);
  EXPECT_FLOAT_EQ(SavedFloat("Drum0.y"), drumkit.drums[0].y);
}

TEST(AdjustPages, MoveDrumRefusesBadPlacesAndTheWholeKitFollowsOneDrum) {
  InAirKit kit("adjust_move");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kMoveDrum, 0, kAdjustDrums, kAdjustDrums);
  ASSERT_NO_FATAL_FAILURE(PickSnare(kit));
  frame_calls.menu_seen(DistanceMenu());  // moving the drum hands its own menu on
  kit.Settle();
  EXPECT_NE(kit.Button(kBackButton), nullptr);
  {  // the red line across the picture at the lowest row a drum may stand on
    const int w = kit.gl().width(), h = kit.gl().height();
    const int y = int((1.0f - DistanceMenu::m_lowest_drum_y / 239.0f) * h);
    int red = 0;
    for (int x = 0; x < w; x += 4)
      for (int dy = -1; dy <= 1; ++dy) {
        const auto p = kit.gl().Pixel(x, y + dy);
        red += p[0] > 150 && p[1] < 80 && p[2] < 80 ? 1 : 0;
      }
    EXPECT_GT(red, w / 8) << "row " << y;
  }
  {  // each stick carries its label: dark letters right of the resting left stick
    std::unique_ptr<Font> font(skyt_test::MakeLanguageFont(24));
    Font* const kits_font = DistanceMenu::m_message_font;
    DistanceMenu::m_message_font = font.get();
    kit.Frame(StrokeScript::Rest(1)[0]);
    DistanceMenu::m_message_font = kits_font;
    const int x = int(WebcamWindowMapping::WebcamXToWindowX(40)), y = int(WebcamWindowMapping::WebcamYToWindowY(199));
    const int box = 65 * 41;
    const int dark = box - kit.gl().CountDiffering(x + 25, y - 20, x + 90, y + 21, {0, 0, 0, 255}, 49);
    EXPECT_GT(dark, 20);
  }
  skyt_test::HitActivated(kit, kBackButton);  // Back lets go of the drum where it stood
  EXPECT_EQ(drumkit.shown_drum, -1);
  EXPECT_FLOAT_EQ(drumkit.drums[0].y, 150.0f);
  EXPECT_EQ(interface_state, kMoveDrum);
  ASSERT_NO_FATAL_FAILURE(PickSnare(kit));
  kit.Settle();
  skyt_test::StrikeDrum(kit, 240, 180.5f);  // just below the red line at row 180
  EXPECT_EQ(kit.Line(3), GetUtf8(52)) << drumkit.drums[0].y << " " << drumkit.shown_drum;
  EXPECT_FLOAT_EQ(drumkit.drums[0].y, 150.0f);
  skyt_test::StrikeDrum(kit, 240, 180.0f);
  EXPECT_NEAR(drumkit.drums[0].y, 180.0f, 0.2f);
  ASSERT_EQ(drumkit.shown_drum, -1);

  // The hi-hat's stick position drags its pedal's x along.
  kit.Settle();
  skyt_test::StrikeDrum(kit, 60, 120);
  ASSERT_EQ(drumkit.shown_drum, 1);
  skyt_test::StrikeDrum(kit, 75, 110);
  EXPECT_NEAR(drumkit.drums[1].x, 75.0f, 3.0f);
  EXPECT_EQ(drumkit.drums[1].foot_x, drumkit.drums[1].x);
  ExpectPansFollowTheDrums();

  // Whole kit: every drum moves by the reference drum's move.
  drums_muted = true;
  std::vector<Drumkit::Drum> before = drumkit.drums;
  skyt_test::EnterPage(kit, kMoveDrum, 1, kAdjustDrums, kAdjustDrums);
  EXPECT_EQ(kit.Line(0), GetUtf8(kTextPickReferenceDrum));
  EXPECT_EQ(kit.Line(1), GetUtf8(kTextFollowDrumWhen));
  skyt_test::StrikeDrum(kit, 200, 60);
  ASSERT_EQ(drumkit.shown_drum, 3);
  skyt_test::StrikeDrum(kit, 210, 50);
  drums_muted = false;
  EXPECT_EQ(Now(), (Params{kAdjustDrums, kAdjustDrums, 1, 0})) << "the hub's Save comes alive";
  const float dx = drumkit.drums[3].x - before[3].x, dy = drumkit.drums[3].y - before[3].y;
  EXPECT_NEAR(dx, 10.0f, 3.0f);
  for (size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(drumkit.drums[i].x - before[i].x, dx);
    EXPECT_FLOAT_EQ(drumkit.drums[i].foot_y - before[i].foot_y, dy);
    EXPECT_FLOAT_EQ(drumkit.drums[i].pedal_lowest_foot_y - before[i].pedal_lowest_foot_y, dy);
  }
  ExpectPansFollowTheDrums();
}

// A whole-kit move that would put a hand drum below the red line, or a pedal out of sight, is
// refused with its reason and leaves the kit where it was.
TEST(AdjustPages, AWholeKitMoveTooLowIsRefused) {
  const struct {
    float y;  // of the crash's new place, picked at row 60
    TextId reason;
  } cases[] = {{95.0f, kTextWouldPlaceSome}, {75.0f, kTextWouldPlaceSomePedals}};
  InAirKit kit("adjust_move_kit_low");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.y);
    skyt_test::LoadAdjustKit();
    const std::vector<Drumkit::Drum> before = drumkit.drums;
    skyt_test::EnterPage(kit, kMoveDrum, 1, kAdjustDrums, kAdjustDrums);
    skyt_test::StrikeDrum(kit, 200, 60);
    ASSERT_EQ(drumkit.shown_drum, 3);
    skyt_test::StrikeDrum(kit, 200, c.y);
    EXPECT_EQ(kit.Line(3), GetUtf8(c.reason));
    EXPECT_EQ(kit.Line(4), GetUtf8(kTextHitSlightlyHigher));
    EXPECT_EQ(interface_state, kMoveDrum);
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(drumkit.drums[i].y, before[i].y) << i;
      EXPECT_EQ(drumkit.drums[i].foot_y, before[i].foot_y) << i;
    }
  }
}

// The picked drum's name stands on the line its language puts it on.
TEST(AdjustPages, ThePickedDrumIsNamedInEveryWordOrder) {
  const struct {
    const char* language;
    int name_line;
  } cases[] = {{"en", 0}, {"tr", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    InAirKit kit("adjust_move_name");
    skyt_test::LoadAdjustKit();
    SetLanguage(c.language);
    skyt_test::EnterPage(kit, kMoveDrum, 0, kAdjustDrums, kAdjustDrums);
    ASSERT_NO_FATAL_FAILURE(PickSnare(kit));
    kit.Settle();
    EXPECT_NE(kit.Line(c.name_line).find(drumkit.drums[0].name), std::string::npos) << kit.Line(c.name_line);
    SetLanguage("en");
  }
}

// The first picking frame after a placement brings no new camera picture: the stroke that
// picked the drum does not pick it again.
TEST(AdjustPages, AFrameWithoutAPictureAfterAPlacementPicksNothing) {
  InAirKit kit("adjust_move_stale");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kMoveDrum, 0, kAdjustDrums, kAdjustDrums);
  ASSERT_NO_FATAL_FAILURE(PickSnare(kit));
  for (const skyt_test::Scene& scene : StrokeScript::MenuStroke(240, 130, 5.6f)) {  // as StrikeDrum
    kit.Frame(scene);
    if (drumkit.shown_drum < 0) break;  // placed
  }
  ASSERT_EQ(drumkit.shown_drum, -1);
  kit.Redraw();
  EXPECT_EQ(drumkit.shown_drum, -1);
  EXPECT_EQ(kit.Line(0), GetUtf8(157)) << "still picking";
}

// A stroke of the left stick through (x, y), the right one resting.
std::vector<skyt_test::Scene> LeftStroke(float x, float y) {
  std::vector<skyt_test::Scene> frames;
  for (const skyt_test::Scene& right : StrokeScript::MenuStroke(x, y, 5.6f)) {
    skyt_test::Scene scene = right;
    if (scene.size() == 2 && scene[1].x == x) scene = {{x, scene[1].y, 5.6f}, {290, 40, 5}};
    frames.push_back(scene);
  }
  return frames;
}

// A foot tapping down at x, `step` pixels a frame, the sticks resting.
std::vector<skyt_test::Scene> SoftFootTap(float x, float step) {
  std::vector<skyt_test::Scene> frames;
  for (float y : skyt_test::StrokeTrack(225.0f - 5 * step, step, 5, 5))
    frames.push_back({{40, 40, 5}, {290, 40, 5}, {x, y, 3.5f}});
  return frames;
}

TEST(AdjustPages, PedalsMoveByFootAndTheWrongLimbIsAskedForTheRightOne) {
  InAirKit kit("adjust_move_feet");
  skyt_test::LoadAdjustKit();
  skyt_test::EnterPage(kit, kMoveDrum, 0, kAdjustDrums, kAdjustDrums);
  ASSERT_NO_FATAL_FAILURE(PickSnare(kit));
  kit.Run(LeftStroke(240, 130));
  EXPECT_EQ(kit.Line(3), GetUtf8(162));
  EXPECT_FLOAT_EQ(drumkit.drums[0].y, 150.0f);
  skyt_test::StrikeDrum(kit, 240, 140);
  EXPECT_EQ(drumkit.shown_drum, -1);

  // A foot tapping left of row 160 is the left foot, right of it the right one.
  kit.Settle();
  kit.Run(SoftFootTap(90, 2.0f));  // a faster tap on the open hi-hat is a splash, not a pick
  ASSERT_EQ(drumkit.shown_drum, 1);
  EXPECT_EQ(drumkit.shown_marker_type, MOCAP_MARKER_FOOT);
  kit.Run(StrokeScript::FootTap(110));
  EXPECT_NEAR(drumkit.drums[1].foot_x, 110.0f, 1.0f);
  EXPECT_EQ(drumkit.drums[1].x, drumkit.drums[1].foot_x) << "the first hi-hat's stick follows its pedal";

  drumkit.drums[1].foot_x = 171.0f;  // beside the kick, for the right foot
  kit.Settle();
  kit.Run(StrokeScript::FootTap(200));
  ASSERT_EQ(drumkit.shown_drum, 2);
  kit.Run(StrokeScript::FootTap(172.5f));
  EXPECT_EQ(drumkit.drums[2].foot_x, 200.0f) << "within 2 pixels of another pedal";
  EXPECT_EQ(kit.Line(3), "") << "refused without a message";
  kit.Run(StrokeScript::FootTap(185));
  EXPECT_NEAR(drumkit.drums[2].foot_x, 185.0f, 1.0f);
}

// The viewer reloads a one-drum kit (code 24) under each page that keeps a drum index: the
// page falls back to what the smaller kit allows.
TEST(AdjustPages, PagesFallBackWhenTheViewerReloadsASmallerKit) {
  const struct {
    int state, p1, p2;
    size_t buttons_after;  // in the last menu
    bool two_hihats = false;
  } cases[] = {{kAdjustAnyVolume, 143, 0, 1},
               {kMoveDrum, 0, kAdjustDrums, 1},
               {kAdjustHihatRangeAndSplash, kAdjustDrums, 0, 1},
               {kAdjustHihatRangeAndSplash, kAdjustDrums, 0, 1, true},  // the pedal chosen is lit
               {kAdjustMidiSettings, 143, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    InAirKit kit("adjust_viewer_reload");
    skyt_test::LoadAdjustKit();
    if (c.two_hihats) drumkit.drums[4].category = Sound::CATEGORY_HAND_AND_FOOT;
    InstallViewerCalls();
    const int first = skyt_test::FreePorts(4);
    viewer_ports = {first, first + 1, first + 2, first + 3};
    ASSERT_TRUE(InitSockets(nullptr, true));
    InitDiscoveryServer();
    show_drumming_ui_when_client_connected = true;  // the pages stay in front of the viewer
    {
      skyt_test::ViewerProbe probe({first, first + 1, first + 2, first + 3}, [&] { kit.Frame({}); });
      ASSERT_TRUE(probe.Connect());
      skyt_test::EnterPage(kit, c.state, c.p1, c.p2, kAdjustDrums);
      if (c.state == kMoveDrum) {
        skyt_test::StrikeDrum(kit, 130, 80);  // the splash, drum 4
        ASSERT_EQ(drumkit.shown_drum, 4);
        probe.Send(27, skyt_test::I32(4) + skyt_test::F32(140.0f) + skyt_test::F32(90.0f) + skyt_test::F32(5.0f));
        probe.Run(3);
        EXPECT_FLOAT_EQ(drumkit.drums[4].x, 140.0f);
      }
      library_calls.load_drumkit = [](DrumkitChooser&, Drumkit* k, const std::string&, bool, bool) {
        const int slot = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
        skyt_test::LoadKit(*k, {{"Snare", Sound::SNARE, Sound::CATEGORY_HAND, slot}},
                           "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 5\n", "small.ini");
        return 0;
      };
      probe.Send(24);
      probe.Run(3);
      ASSERT_EQ(drumkit.drums.size(), 1u);
      kit.Run(StrokeScript::Rest(5));
      EXPECT_EQ(interface_state, c.state);
      EXPECT_EQ(kit.Menu().buttons.size(), c.buttons_after);
      if (c.state == kAdjustHihatRangeAndSplash) {
        EXPECT_EQ(kit.Line(0), GetUtf8(kTextSorryKitDoesnt)) << "the hi-hats are counted again";
        EXPECT_EQ(drumkit.shown_drum, -1);
      }
    }
    show_drumming_ui_when_client_connected = false;
    CleanUpDiscoveryServer();
    CleanUpSockets();
  }
}

// The hi-hat and cymbals menu: each button in its place opens its page with a click and hands
// on a change made before; Back returns to the hub.
TEST(AdjustPages, HihatAndCymbalsMenuOpensItsPages) {
  InAirKit kit("adjust_cymbals_menu");
  const struct {
    int button;
    float x, y;
    int changes;
    Params expected;
  } cases[] = {
      {kBackButton, DistanceMenu::m_no_drums_x, DistanceMenu::m_no_drums_y, 0, {kAdjustDrums, kPlay, 0, 0}},
      {kHihatRangeAndSplashButton, DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y, 0,
       {kAdjustHihatRangeAndSplash, kAdjustDrums, 0, 0}},
      {kHihatClutchButton, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y, 0,
       {kAdjustHihatClutch, kAdjustDrums, 0, 0}},
      {kCymbalChokingButton, DistanceMenu::m_no_drums6_x, DistanceMenu::m_no_drums6_y, 1,
       {kAdjustCymbalChoking, kAdjustDrums, 1, 0}},  // last: the menu keeps a change for the run
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    skyt_test::LoadAdjustKit();
    skyt_test::EnterPage(kit, kHihatAndCymbals, kAdjustDrums, c.changes, 0);
    const DistanceMenu::Button* b = kit.Button(c.button);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->x, c.x);
    EXPECT_EQ(b->y, c.y);
    const int clicks = kit.Clicks();
    kit.Hit(c.button);
    EXPECT_EQ(Now(), c.expected);
    EXPECT_EQ(kit.Clicks(), clicks + 1);
  }
}

// A kick on the pedal sounds on the pages that show the kit, and not on the menus.
TEST(AdjustPages, OnlyThePagesWithTheKitPlayIt) {
  const struct {
    int state, p1, p2;
    bool plays;
  } cases[] = {{kPlay, 0, 0, true},
               {kAdjustAnyVolume, 139, 0, true},
               {kAdjustMidiSettings, 139, 0, true},
               {kAdjustHihatRangeAndSplash, kAdjustDrums, 0, true},
               {kAdjustCymbalChoking, kAdjustDrums, 0, true},
               {kPlayMenu, 0, 0, false},
               {kAdjustDrums, kAdjustDrums, 0, false},
               {kHihatAndCymbals, kAdjustDrums, 0, false},
               {kMoveDrumsSubMenu, kAdjustDrums, 0, false},
               {kAdjustVolumes, 0, 0, false},
               {kPlaySong, 0, 0, false},
               {kMetronome, 0, 0, false}};
  InAirKit kit("adjust_kit_plays");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    skyt_test::LoadAdjustKit();
    skyt_test::EnterPage(kit, c.state, c.p1, c.p2, kAdjustDrums);
    skyt_test::SilenceAll();
    kit.Run(StrokeScript::FootTap(200));
    EXPECT_EQ(!skyt_test::PlayingVoices().empty(), c.plays);
  }
}
