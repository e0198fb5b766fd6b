// The main screen's matrix of camera, kit, first run and lighting check; where Drum leads; the
// bottom row in low windows; the first screen's choice; and widget ids unique across screens.
#include <fstream>
#include <set>

#include "drumming/progress.h"
#include "sound/sound.h"
#include "tests/screens/screen_test_support.h"

namespace {

using skyt_test::Fakes;

class MainScreen : public skyt_test::ScreenTest {
 protected:
  void Kit(const char* name, std::vector<Sound::ElementCategory> categories) {
    drumkit_chooser.current_drumkit_name = name;
    drumkit.drums.assign(categories.size(), {});
    for (size_t i = 0; i < categories.size(); ++i) drumkit.drums[i].category = categories[i];
  }
};

TEST_F(MainScreen, DrumAndSetupFollowCameraKitFirstRunAndLights) {
  struct Case { bool camera; CameraFault fault; bool kit, first_run, lights; const char* drum; const char* setup; int text; };
  const Case cases[] = {
      {false, CameraFault::kNotFound, true, false, true, "greyed", "greyed", 197},
      {false, CameraFault::kNoAccess, true, false, true, "greyed", "greyed", 536},
      {false, CameraFault::kBusy, true, false, true, "greyed", "greyed", 538},
      {true, CameraFault::kNone, false, false, true, "greyed", "greyed", 199},
      {true, CameraFault::kNone, true, true, false, "greyed", "active", -1},
      {true, CameraFault::kNone, true, true, true, "active", "active", -1},
      {true, CameraFault::kNone, true, false, false, "active", "active", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.camera << c.kit << c.first_run << c.lights << " text " << c.text);
    Fakes::camera = c.camera;
    Fakes::camera_fault = c.fault;
    Fakes::lights = c.lights;
    drummer.Never_Ran = c.first_run;
    if (c.kit) Kit("Rock", {Sound::CATEGORY_HAND}); else Kit("", {});
    Enter(kMainScreen);
    EXPECT_EQ(Shown(203), c.drum);
    EXPECT_EQ(Shown(204), c.setup);
    if (c.text > 0) {
      EXPECT_NE(FindText(c.text), nullptr);
    }
    if (!c.camera) {  // two lines: why there is no camera, and what to do
      EXPECT_EQ(All(Imgui::TraceKind::TEXT).size(), 2u);
      EXPECT_NE(FindText(c.text + 1), nullptr);
    }
    EXPECT_EQ(Shown(205), "active");
  }
  Fakes::camera = false;
  Fakes::camera_fault = CameraFault::kNotFound;
  Frame();
  EXPECT_EQ(FindText(198)->y, 720 - 229);
}

TEST_F(MainScreen, StatusCountsDrumsAndPedalsInEachLanguage) {
  struct Case { const char* language; std::vector<Sound::ElementCategory> drums; const char* text; };
  const Case cases[] = {
      {"en", {Sound::CATEGORY_FOOT}, "Current drum kit: Rock, 1 element, 1 pedal."},
      {"en", {Sound::CATEGORY_HAND, Sound::CATEGORY_HAND}, "Current drum kit: Rock, 2 elements, 0 pedals."},
      {"en", {Sound::CATEGORY_HAND_AND_FOOT, Sound::CATEGORY_FOOT}, "Current drum kit: Rock, 2 elements, 2 pedals."},
  };
  for (const auto& c : cases) {
    SetLanguage(c.language);
    Kit("Rock", c.drums);
    Enter(kMainScreen);
    EXPECT_NE(Find(c.text), nullptr) << c.text;
  }
  // Japanese: the kit name and two numbers, nothing left unformatted.
  SetLanguage("ja");
  Kit("Rock", {Sound::CATEGORY_FOOT, Sound::CATEGORY_HAND, Sound::CATEGORY_HAND});
  Enter(kMainScreen);
  const auto texts = All(Imgui::TraceKind::TEXT);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].label.find("Rock"), std::string::npos);
  EXPECT_NE(texts[0].label.find('3'), std::string::npos);
  EXPECT_NE(texts[0].label.find('1'), std::string::npos);
  EXPECT_EQ(texts[0].label.find('%'), std::string::npos);
  // A kit name too long for the window is shortened so that the line ends inside it.
  SetLanguage("en");
  const std::string name(200, 'K');
  Kit(name.c_str(), {Sound::CATEGORY_HAND});
  Enter(kMainScreen);
  const auto status = All(Imgui::TraceKind::TEXT).at(0);
  EXPECT_EQ(status.label.find(name), std::string::npos) << status.label;
  EXPECT_LE(status.x + status.text_w, 960 - 16) << status.label;
}

// While the kit's samples load, both main screens, the start-up one too, show how far it got.
TEST_F(MainScreen, BothMainScreensShowTheSamplesLoading) {
  {
    // Frames, stored head, head bytes, the head (one of the two frames), rest offset.
    const uint32_t fields[] = {2, 0xFFFFFFFFu, 4, 0, 0};
    std::ofstream("half.ele", std::ios::binary).write(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  Audio::Sound half;
  std::ifstream file("half.ele", std::ios::binary);
  sound.audio.LoadRaw(half, "half.ele", file, 8);
  Kit("Rock", {Sound::CATEGORY_HAND});
  for (void (*screen)() : {DoMainScreen, DoMainScreenGreyed}) {
    DrawSamplesProgress(0, true);
    input->Frame(screen);
    EXPECT_NE(FindText(kTextSamplesLoaded), nullptr);
  }
  sound.audio.FreeSound(half);
}

TEST_F(MainScreen, DrumLeadsToDrummingTheLightingCheckOrTheWizard) {
  struct Case { bool placed, lights, stand; int state, param; const char* call; };
  const Case cases[] = {
      {true, true, false, kPlay, 2, ""},
      {true, false, true, kWizard, 1, "stage 4"},
      {true, false, false, kWizard, 0, "stage 4"},
      {false, true, false, kWizard, 0, "start(true)"},
  };
  Kit("Rock", {Sound::CATEGORY_HAND});
  for (const auto& c : cases) {
    Fakes::calls.clear();
    Fakes::lights = c.lights;
    drumkit.is_calibrated = c.placed;
    drummer.Use_Camera_Stand = c.stand;
    Enter(kMainScreen);
    ASSERT_TRUE(Click(203));
    EXPECT_EQ(interface_state, c.state);
    EXPECT_EQ(state_param, c.param);
    if (*c.call) {
      EXPECT_TRUE(Fakes::Called(c.call)) << c.call;
    }
  }
  Enter(kMainScreen);
  ASSERT_TRUE(Click(204));
  EXPECT_EQ(interface_state, kWizard);
  EXPECT_TRUE(Fakes::Called("start(false)"));
}

TEST_F(MainScreen, HelpAndQuitMoveToTheBottomInLowWindows) {
  for (auto [h, y] : {std::pair{709, 64}, std::pair{710, 59}, std::pair{720, 69}}) {
    Height(h);
    Enter(kMainScreen);
    EXPECT_EQ(Find(GetUtf8(210))->y, y) << h;
    EXPECT_EQ(Find(GetUtf8(211))->y, y) << h;
    EXPECT_EQ(Find(GetUtf8(205))->y, h - 351) << h;
  }
  ASSERT_TRUE(Click(210));
  EXPECT_EQ(interface_state, kHelpScreen);
  Frame();  // Help opens the first page
  EXPECT_TRUE(Fakes::Called("load ./data/images/help1.png"));
}

TEST_F(MainScreen, FirstScreenShowsHelpUnlessBothFlagsAreFalse) {
  struct Case { const char* session; bool help; };
  const Case cases[] = {
      {nullptr, true},
      {"[Session]\n", true},
      {"[Sound]\nNever_Ran = false\nWants_Startup_Help = false\n", true},
      {"[Session]\nNever_Ran = false\n", true},
      {"[Session]\nNever_Ran = false\nWants_Startup_Help = false\n", false},
      {"[Session]\nNever_Ran = true\nWants_Startup_Help = false\n", true},
  };
  for (const auto& c : cases) {
    const std::string path = "conf/skytapper.cfg";
    if (c.session) skyt_test::WriteFile(path, c.session); else std::remove(path.c_str());
    EXPECT_EQ(FirstStartWantsHelp(path), c.help) << (c.session ? c.session : "no file");
  }
  input->Frame([] { DoMainScreenGreyed(); });
  EXPECT_EQ(All(Imgui::TraceKind::BUTTON).size(), 10u);
  for (const auto& b : All(Imgui::TraceKind::BUTTON)) EXPECT_TRUE(b.greyed) << b.label;
  EXPECT_NE(FindText(503), nullptr);
}

// Each screen drawn for one frame, with lists and options showing: no id twice.
TEST_F(MainScreen, WidgetIdsAreUniqueAcrossScreens) {
  Fakes::devices = {{0, "a"}, {1, "b"}, {2, "c"}, {3, "d"}, {4, "e"}, {5, "f"}, {6, "g"}};
  Fakes::ports = {{0, "p"}, {1, "q"}, {2, "r"}, {3, "s"}};
  Kit("Rock", {Sound::CATEGORY_HAND});
  midi_mode = 2;
  std::multiset<int> ids;
  for (int state : {kMainScreen, kLatencyScreen, kAboutScreen, kHelpScreen, kMidiScreen,
                    kPreferencesScreen, kAudioDeviceScreen, kLanguagesScreen, kRecordingScreen,
                    kPlaylistScreen, kChooseDrumkitScreen, kNewDrumkitScreen, kNewElementScreen,
                    kMidiMapsScreen, kChooseMidiMapScreen, kNewMidiMapScreen}) {
    Enter(state, 1);
    std::set<int> screen;
    for (const auto& t : imgui.trace) {
      if (t.id) {
        EXPECT_TRUE(screen.insert(t.id).second) << state << " draws " << std::hex << t.id << " twice";
      }
    }
    ids.insert(screen.begin(), screen.end());
  }
  EXPECT_GT(ids.size(), 40u);
  for (int id : ids) EXPECT_EQ(ids.count(id), 1u) << std::hex << id;
}

}  // namespace
