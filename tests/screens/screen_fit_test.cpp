// Every mouse screen in every language, with the installed fonts at each language's height:
// no label drawn shortened with "...", no text past the window's edges or within a few pixels
// of another widget, and the help pictures' own label short of the About button. One table of
// screens run once per language, each screen in English also as its kept picture.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "library/midi_maps.h"
#include "library/migrations.h"
#include "render/widget_drawing.h"
#include "screens/screen_common.h"
#include "sound/logger.h"
#include "sound/midi.h"
#include "tests/support/kept_pictures.h"
#include "tests/support/layout_fit.h"
#include "tests/screens/screen_test_support.h"
#include "tracking/ps3eye_glue.h"

namespace {

using skyt_test::Fakes;

struct ScreenCase {
  const char* name;
  void (*setup)();  // before entering
  int state, param, param2;
  int click = -1;   // the text of a button clicked after entering
  int click_x = 0, click_below_top = 0;  // else a place clicked after entering (0: none)
};

void NoCamera() { Fakes::camera = false; }
void CameraDenied() {
  NoCamera();
  screen_services.camera_fault = [] { return CameraFault::kNoAccess; };
}
void CameraBusy() {
  NoCamera();
  screen_services.camera_fault = [] { return CameraFault::kBusy; };
}
void NoKit() { drumkit_chooser.current_drumkit_name.clear(); }
// The longest kit line a player meets: a copy of a preset, its hands and its pedals.
void CopiedKit() {
  drumkit_chooser.current_drumkit_name = "Copy of My First Skytapper Kit (RH)";
  drumkit.drums.assign(3, {});
  drumkit.drums[1].category = Sound::CATEGORY_FOOT;
  drumkit.drums[2].category = Sound::CATEGORY_HAND_AND_FOOT;
}
void FirstRun() { drummer.Never_Ran = true; }
void Devices() {
  Fakes::devices = {{0, "HDA Intel PCH: ALC3246 Analog (hw:0,0)"}, {1, "USB Audio CODEC: - (hw:1,0)"}};
}
void Ports() {
  Fakes::ports = {{0, "Midi Through Port-0"}, {1, "FLUID Synth (1234): Synth input port"}};
  midi_mode = 1;
}
void NoPorts() { midi_mode = 1; }
void PortsAndSounds() {
  Ports();
  midi_mode = 2;
}
void Recordings() {
  Logger::Recording r;
  r.name = r.short_name = "2026-12-07 20-15-03 Copy of My First Skytapper Kit (RH)";
  r.date = "2026-12-07 20:15";
  r.duration = 115;
  r.description = "Copy of My First Skytapper Kit (RH)";
  logger.recordings.assign(1, r);
}

const ScreenCase kScreens[] = {
    {"main, no camera", NoCamera, kMainScreen, 0, 0},
    {"main, camera denied", CameraDenied, kMainScreen, 0, 0},
    {"main, camera busy", CameraBusy, kMainScreen, 0, 0},
    {"main, no kit", NoKit, kMainScreen, 0, 0},
    {"main, copied kit", CopiedKit, kMainScreen, 0, 0},
    {"main, first run", [] { CopiedKit(), FirstRun(); }, kMainScreen, 0, 0},
    {"kit list", nullptr, kChooseDrumkitScreen, 1, 0},
    {"kit editor", nullptr, kNewDrumkitScreen, 1, 0},
    {"new element", nullptr, kNewElementScreen, 1, 0},
    {"new element, sample folders", nullptr, kNewElementScreen, 1, 0, 242},
    {"recordings", Recordings, kRecordingScreen, 0, 0},
    {"recordings, one chosen", Recordings, kRecordingScreen, 0, 0, -1, 100, 91},
    {"latency", nullptr, kLatencyScreen, 0, 0},
    {"latency, first run", FirstRun, kLatencyScreen, 0, 0},
    {"audio device", Devices, kAudioDeviceScreen, 0, 0},
    {"playlist", nullptr, kPlaylistScreen, 0, 0},
    {"about", nullptr, kAboutScreen, 1, 0},
    {"help 1", nullptr, kHelpScreen, 1, 0},
    {"help 2", nullptr, kHelpScreen, 2, 0},
    {"MIDI, ports", Ports, kMidiScreen, 0, 0},
    {"MIDI, ports and sounds", PortsAndSounds, kMidiScreen, 0, 0},
    {"MIDI, no ports", NoPorts, kMidiScreen, 0, 0},
    {"MIDI maps", Ports, kMidiMapsScreen, 0, 0},
    {"MIDI map list", nullptr, kChooseMidiMapScreen, 1, 0},
    {"MIDI map editor", nullptr, kNewMidiMapScreen, 1, 0},
    {"preferences", nullptr, kPreferencesScreen, 0, 0},
    {"languages", nullptr, kLanguagesScreen, 0, 0},
};

class ScreenFit : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    InitMIDI();
    for (const char* d : {"conf/drumkits", "conf/midi-maps", "data/elements", "recordings"})
      std::filesystem::create_directories(d);
    ASSERT_TRUE(WritePresetDrumkits());
    ASSERT_TRUE(WritePresetMidiMaps());
    drumkit_chooser.element_names.clear();
    drumkit_chooser.BuildDrumkitList(false);
    midi_map_chooser.BuildMidiMapList();
  }
  void TearDown() override {
    logger.recordings.clear();
    drumkit_chooser.drumkits.clear();
    midi_map_chooser.midi_maps.clear();
    drumkit.drums.clear();
    ClearMIDIMap();
    ScreenTest::TearDown();
  }
  // The problems of one screen, two frames after entering it.
  std::vector<std::string> Problems(const ScreenCase& s) {
    ResetScreenServices();
    const ScreenServices real = screen_services;
    Fakes::Install();
    // The pictures are the program's own: they belong to what the screen shows.
    screen_services.load_picture = real.load_picture;
    screen_services.draw_picture = real.draw_picture;
    screen_services.delete_picture = real.delete_picture;
    drummer.Never_Ran = false;
    midi_mode = 0;
    CopiedKit();
    if (s.setup) s.setup();
    Enter(s.state, s.param, s.param2);
    if (s.click >= 0) {
      EXPECT_TRUE(Click(s.click)) << s.name;
    }
    if (s.click_below_top > 0) ClickAt(s.click_x, input->window_height - s.click_below_top);
    input->MoveTo(input->window_width - 1, 0);  // no hover note over the layout
    input->Frame([] {
      DrawBackground(interface_state == kMainScreen || interface_state == kAboutScreen);
      skyt_test::RunScreen();
    });
    std::vector<std::string> problems = skyt_test::LayoutProblems(imgui.trace, input->window_width, input->window_height);
    for (const Imgui::TraceItem& t : imgui.trace) {
      if (t.label == GetUtf8(kTextAbout) && InkBefore(t)) problems.push_back("picture text touching \"" + t.label + "\"");
    }
    return problems;
  }
  // The help pages' start-up label is part of their picture and ends left of the About button:
  // whether the picture's text comes within a few pixels of a button (the button's own edge and
  // focus ring aside).
  bool InkBefore(const Imgui::TraceItem& button) const {
    for (int x = button.x - 7; x < button.x - 3; ++x)
      for (int y = button.y - button.h; y < button.y; ++y) {
        const auto p = gl->Pixel(x, y);
        if (std::max({p[0], p[1], p[2]}) < 180) return true;
      }
    return false;
  }
  // With SKYTAPPER_GALLERY naming a folder, the screen as <language>/<screen>.png there.
  void Save(const std::string& language, const ScreenCase& s) {
    const char* folder = std::getenv("SKYTAPPER_GALLERY");
    if (!folder || !*folder) return;
    const std::string dir = std::string(folder) + "/" + language;
    std::filesystem::create_directories(dir);
    gl->SavePng(dir + "/" + FileName(s) + ".png");
  }
  static std::string FileName(const ScreenCase& s) {
    std::string name = s.name;
    for (char& c : name) c = (c == ' ' || c == ',') ? '-' : c;
    return name;
  }
};

TEST_F(ScreenFit, EveryLabelWholeAndInsideTheWindowClearOfOtherWidgetsInEveryLanguage) {
  for (const char* code : skyt_test::kLanguageCodes) {
    SetLanguage(code);
    ASSERT_TRUE(skyt_test::InstallLanguageFonts(imgui)) << code;
    int count = 0;
    for (const ScreenCase& s : kScreens) {
      const std::vector<std::string> problems = Problems(s);
      Save(code, s);
      if (code == std::string("en")) {
        EXPECT_EQ(skyt_test::DiffersFromKeptPicture(*gl, "screens/" + FileName(s)), "");
      }
      for (const std::string& p : problems) {
        ADD_FAILURE() << code << ", " << s.name << ": " << p;
        ++count;
      }
    }
    std::printf("layout problems in %s: %d\n", code, count);
  }
}

// The help page's picture is drawn: without it a good part of the window looks otherwise.
TEST_F(ScreenFit, TheHelpPageDrawsItsPicture) {
  const ScreenCase& help = *std::find_if(std::begin(kScreens), std::end(kScreens),
                                         [](const ScreenCase& s) { return std::string(s.name) == "help 1"; });
  auto samples = [this] {
    std::vector<std::array<int, 4>> v;
    for (int y = 0; y < input->window_height; y += 16)
      for (int x = 0; x < input->window_width; x += 16) v.push_back(gl->Pixel(x, y));
    return v;
  };
  Problems(help);
  const auto with_picture = samples();
  screen_services.draw_picture = [](int, int, int) {};
  input->Frame([] {
    DrawBackground(false);
    skyt_test::RunScreen();
  });
  const auto without = samples();
  int differing = 0;
  for (size_t i = 0; i < without.size(); ++i) differing += with_picture[i] != without[i];
  EXPECT_GT(differing, int(without.size()) / 4);
}

}  // namespace
