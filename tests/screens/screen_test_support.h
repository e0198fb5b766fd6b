// Screens under test: the program-wide widget GUI over an offscreen context with a real font,
// scripted input, the UI trace on, fake camera, wizard, pictures, audio devices and MIDI
// ports, message boxes and launched programs recorded, in a fresh installation folder. Frames
// run the screen of the current interface state, as the frame loop does.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "screens/help_screens.h"
#include "screens/main_screen.h"
#include "screens/screen_services.h"
#include "screens/screens.h"
#include "sound/midi.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scripted_input.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

// What the fakes answer and what they were asked.
struct Fakes {
  static inline bool camera = true, lights = false;
  static inline CameraFault camera_fault = CameraFault::kNone;
  static inline std::vector<std::string> calls;  // wizard calls, pictures, re-opens, tests
  static inline std::map<int, std::string> devices, ports;
  static inline int device_index = -1, device_type = 5, frames = 256;
  static inline bool manual = false, reinit_ok = true;
  static inline int reinit_type_on_failure = 0;
  static inline std::vector<std::string> messages, launched;
  // The kind of each message box, in turn: "info" (plain), "warning" (critical), "question"
  // (Yes and No) or "warning question" (a critical Yes and No).
  static inline std::vector<std::string> boxes;
  // The exit codes of the next dialogs, in turn (1: Cancel or No); 0 (Ok, Yes) once used up.
  static inline std::vector<int> answers;

  static void Install() {
    camera = true, lights = false, manual = false, reinit_ok = true;
    camera_fault = CameraFault::kNone;
    calls.clear(), devices.clear(), ports.clear(), messages.clear(), launched.clear(), answers.clear();
    boxes.clear();
    device_index = -1, device_type = 5, frames = 256, reinit_type_on_failure = 0;
    ResetScreenServices();
    auto& s = screen_services;
    s.camera_working = [] { return camera; };
    s.camera_fault = [] { return camera_fault; };
    s.lights_checked = [] { return lights; };
    s.start_wizard = [](bool place) { calls.push_back(place ? "start(true)" : "start(false)"); };
    s.change_wizard_stage = [](int stage) { calls.push_back("stage " + std::to_string(stage)); };
    s.load_picture = [](const std::string& p) { calls.push_back("load " + p); return true; };
    s.draw_picture = [](int mode, int, int) { calls.push_back("draw " + std::to_string(mode)); };
    s.delete_picture = [] { calls.push_back("delete"); };
    s.audio_device_names = [](std::map<int, std::string>& n) { n = devices; };
    s.audio_device_name = [](std::string& n, int i) { n = i == -3 ? "in use" : std::to_string(i); };
    s.audio_device_index = [] { return device_index; };
    s.audio_choice_manual = [] { return manual; };
    s.audio_device_type = [] { return device_type; };
    s.audio_frames_per_buffer = [] { return frames; };
    s.reinit_audio = [](int type, int f, int index) {
      calls.push_back("reinit " + std::to_string(type) + " " + std::to_string(f) + " " + std::to_string(index));
      device_type = reinit_ok ? type : reinit_type_on_failure;
      return reinit_ok;
    };
    s.play_latency_test = [] { calls.push_back("test sound"); };
    s.midi_port_names = [](std::map<int, std::string>& n) { n = ports; };
    SetCommandRunner([](const std::vector<std::string>& argv, const std::string*) {
      Record(argv);
      const int answer = answers.empty() ? 0 : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return CommandResult{answer, ""};
    });
    SetCommandLauncher([](const std::vector<std::string>& argv) {
      launched.push_back(argv.empty() ? "" : argv[0] + " " + argv.back());
      return true;
    });
  }
  // Keeps the text and kind of a message box.
  static void Record(const std::vector<std::string>& argv) {
    std::string kind;
    for (const auto& a : argv) {
      if (a.rfind("--text=", 0) == 0) messages.push_back(a.substr(7));
      if (a == "--info" || a == "--warning" || a == "--question") kind += a.substr(2);
      if (a == "--icon-name=dialog-warning") kind = "warning " + kind;
    }
    if (!kind.empty()) boxes.push_back(kind);
  }
  static bool Called(const std::string& call) {
    for (const auto& c : calls) if (c == call) return true;
    return false;
  }
};

// The screen function of the current mouse state, as the program runs it; in-air states draw
// nothing here.
inline void RunScreen() { ::RunScreen(interface_state); }

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install = std::make_unique<Installation>(::testing::UnitTest::GetInstance()->current_test_info()->name());
    WriteFile("conf/skytapper.cfg", "[Session]\n\n[Sound]\n");
    gl = std::make_unique<GlContext>();
    auto* font = new Font;
    ASSERT_TRUE(font->Init(kFontPath, 16, nullptr, 0));
    input = std::make_unique<ScriptedInput>(imgui);
    Imgui::InitParams p = Imgui::InitParams::ProgramLayout(font, 16);
    p.owns_fonts = true;
    imgui.Init(p);
    imgui.tracing = true;
    Fakes::Install();
    SetLanguage("en");
    drummer.session_loaded = true;  // the screens run after the start-up read the session
    drummer.Never_Ran = false;
    drummer.Wants_Startup_Help = false;
    drummer.Use_Camera_Stand = false;
    drumkit_chooser.current_drumkit_name.clear();
    drumkit.drums.clear();
    drumkit.is_calibrated = false;
    midi_mode = 0;
    midi_output_number = 0;
  }
  void TearDown() override {
    SetCommandRunner(nullptr);
    SetCommandLauncher(nullptr);
    ResetScreenServices();
    imgui.tracing = false;
    imgui.CleanUp();
    input.reset();
    glFinish();
  }

  // Dialogs as the screens that pick files see them: a file selection answers `path` as it is
  // when asked, any other dialog Ok; their texts are kept in Fakes::messages.
  void AnswerFileSelections(const std::string& path) {
    SetCommandRunner([&path](const std::vector<std::string>& argv, const std::string*) {
      for (const auto& a : argv) {
        if (a == "--file-selection") return CommandResult{0, path + "\n"};
      }
      Fakes::Record(argv);
      return CommandResult{0, ""};
    });
  }

  // Enters a state as ChangeInterfaceState does, without the in-air switches.
  void Enter(int state, int param = 0, int param2 = 0) {
    interface_state = state;
    state_param = param;
    state_param2 = param2;
    just_changed_state = true;
    Frame();
  }
  void Frame() { input->Frame(RunScreen); }
  void Height(int h) { input->window_height = h; }

  const Imgui::TraceItem* Find(const std::string& label) const {
    for (const auto& t : imgui.trace) if (t.label == label) return &t;
    return nullptr;
  }
  const Imgui::TraceItem* FindText(int text_id) const { return Find(GetUtf8(text_id)); }
  // "active", "greyed" or "missing": how the widget with that label is drawn.
  std::string Shown(const std::string& label) const {
    const auto* t = Find(label);
    return !t ? "missing" : t->greyed ? "greyed" : "active";
  }
  std::string Shown(int text_id) const { return Shown(GetUtf8(text_id)); }
  // Clicks the widget with that label; false when it is not drawn or greyed.
  bool Click(const std::string& label) {
    const auto* t = Find(label);
    if (!t || t->greyed) return false;
    input->Click(t->x + t->w / 2, t->y - t->h / 2, RunScreen);
    return true;
  }
  bool Click(int text_id) { return Click(GetUtf8(text_id)); }
  // Clicks whatever is drawn at (x, y), y upwards.
  void ClickAt(int x, int y) { input->Click(x, y, RunScreen); }
  // The widgets of a kind drawn this frame.
  std::vector<Imgui::TraceItem> All(Imgui::TraceKind kind) const {
    std::vector<Imgui::TraceItem> out;
    for (const auto& t : imgui.trace) if (t.kind == kind) out.push_back(t);
    return out;
  }

  static constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  std::unique_ptr<Installation> install;
  std::unique_ptr<GlContext> gl;
  std::unique_ptr<ScriptedInput> input;
};

}  // namespace skyt_test
