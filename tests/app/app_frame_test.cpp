// The frame loop, keys and start-up steps on the headless window with an offscreen context.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/app.h"
#include "frame/texts.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/platform/spawn.h"
#include "frame/window.h"
#include "library/migrations.h"
#include "render/imgui.h"
#include "sound/sound.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/ps3eye_packets.h"
#include "tests/support/test_dirs.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

using skyt_test::ReadFile;
using skyt_test::WriteFile;

// A fresh installation folder with the given settings file, entered for the test's lifetime.
class Installation {
 public:
  Installation(const std::string& name, const std::string& settings)
      : dir_(skyt_test::FreshDir(name)), chdir_(dir_) {
    mkdir("conf", 0755);
    mkdir("conf/drumkits", 0755);
    if (!settings.empty()) WriteFile("conf/skytapper.cfg", settings);
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  skyt_test::ScopedChdir chdir_;
};

// The system's language as LANG alone says it.
void SystemLanguage(const char* lang) {
  setenv("LANG", lang, 1);
  unsetenv("LANGUAGE");
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
}

const char* const kSettings =
    "[Session]\n"
    "Never_Ran = false\n"
    "Wants_Startup_Help = false\n"
    "\n"
    "Last_Drumkit = My First Skytapper Kit (RH)\n";

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowServices();
    ResetDisplayForTest();
    // Dialogs are answered by the test: nothing may block.
    SetCommandRunner([this](const std::vector<std::string>& argv, const std::string*) {
      dialogs.push_back(argv);
      return CommandResult{0, ""};
    });
    interface_state = 16;
    graphics_mode = 0;
    render_what = kPhaseMiddle;
    frames_until_song_start = -1;
    full_screen = false;
    full_screen_toggle_frames = 0;
    exporting_wav = false;
    just_changed_state = false;
  }
  void TearDown() override {
    SetCommandRunner(nullptr);
    ResetWindowServices();
  }
  std::vector<std::vector<std::string>> dialogs;
  skyt_test::GlContext gl;
};

}  // namespace

TEST_F(Frame, DeferredStartupRunsOnceAtTheEndOfTheThirdCallAndShowsTheMainScreen) {
  Installation install("frame_deferred_main", kSettings);
  Display();
  Display();
  EXPECT_EQ(interface_state, 16);
  Display();
  EXPECT_EQ(interface_state, 0);
  // The start-up's migrations have run on this installation.
  const std::string cfg = ReadFile("conf/skytapper.cfg");
  for (const char* key : {"Lamp_Checked = true", "Have_MIDI_Maps_Dir = true", "Patched_3D = true"})
    EXPECT_NE(cfg.find(key), std::string::npos) << key << "\n" << cfg;
  interface_state = 5;
  for (int i = 0; i < 5; ++i) Display();
  EXPECT_EQ(interface_state, 5) << "the deferred start-up ran again";
  EXPECT_EQ(headless_window.swaps, 8);
}

TEST_F(Frame, FirstRunEndsTheDeferredStartupOnTheHelpScreen) {
  Installation install("frame_deferred_help", "[Session]\nNever_Ran = true\nWants_Startup_Help = false\n");
  for (int i = 0; i < 3; ++i) Display();
  EXPECT_EQ(interface_state, 9);
}

// Without a settings file the session reads as a first run (Never_Ran's default), as the
// first screen reads it: the help screen.
TEST_F(Frame, NoSettingsFileMeansTheHelpScreen) {
  Installation install("frame_deferred_nofile", "");
  for (int i = 0; i < 3; ++i) Display();
  EXPECT_EQ(interface_state, 9);
}

TEST_F(Frame, GraphicsModeFiveDrawsNothingButTheCountDownsGoOn) {
  Installation install("frame_mode5", kSettings);
  interface_state = 18;
  graphics_mode = 5;
  frames_until_song_start = 2;
  Display();
  EXPECT_EQ(headless_window.swaps, 0);
  EXPECT_EQ(frames_until_song_start, 1);
  Display();
  Display();
  EXPECT_EQ(frames_until_song_start, -1);
  EXPECT_EQ(interface_state, 0) << "the deferred start-up still ran";
}

TEST_F(Frame, SlowModeSpreadsOnePictureOverThreeCalls) {
  interface_state = 12;
  graphics_mode = 2;
  just_changed_state = true;
  std::vector<int> phases;
  for (int i = 0; i < 6; ++i) {
    DisplaySlowLow();
    phases.push_back(render_what);
  }
  EXPECT_EQ(phases, (std::vector<int>{kPhaseSwap, kPhaseBackground, kPhaseMiddle, kPhaseSwap, kPhaseBackground,
                                      kPhaseMiddle}));
  EXPECT_EQ(headless_window.swaps, 2);
  EXPECT_FALSE(just_changed_state) << "the screen was run";
  // Only the background phase clears the window: the two after it draw over its picture.
  interface_state = 37;  // quitting: nothing is drawn but the clearing
  const std::array<int, 4> kept{255, 0, 0, 255}, cleared{0, 0, 255, 255};
  for (int phase : {kPhaseBackground, kPhaseMiddle, kPhaseSwap}) {
    gl.Clear(1, 0, 0, 1);
    glClearColor(0, 0, 1, 1);
    render_what = phase;
    DisplaySlowLow();
    EXPECT_EQ(gl.Pixel(10, 10), phase == kPhaseBackground ? cleared : kept) << phase;
  }
}

// A key and a mouse release reach one frame of a mouse screen: the next starts without them.
TEST_F(Frame, AMouseScreenFrameUsesUpItsKeysAndReleases) {
  interface_state = 12;
  imgui.AddKey(13);
  imgui.mouse_down = false;
  imgui.active_id = 5;
  DisplayNormal();
  EXPECT_TRUE(imgui.key_queue.empty());
  EXPECT_EQ(imgui.active_id, 0);
}

// The camera unplugged on the play page, in each frame function that takes frames there.
TEST_F(Frame, ALostCameraIsStoppedAndTheMainScreenShown) {
  const struct {
    int graphics_mode;
    void (*frame)();
  } cases[] = {{0, DisplayNormal}, {1, DisplayMarkersOnly}, {2, DisplaySlowLow}, {4, DisplayNo}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.graphics_mode);
    fake_usb::Reset();
    fake_usb::PlugCamera();
    IniFile none;
    ASSERT_TRUE(webcam.Init(none));
    interface_state = 18;
    graphics_mode = c.graphics_mode;
    skyt_test::Ps3EyePacketiser packets;
    fake_usb::Feed(packets.Frame(std::vector<uint8_t>(Webcam::kQvgaFrameBytes, 16)));
    ASSERT_TRUE(fake_usb::WaitFeedConsumed());
    for (int i = 0; i < 50 && !webcam.IsNewFrame(); ++i) c.frame();
    ASSERT_TRUE(webcam.IsNewFrame());
    fake_usb::Unplug();
    for (int i = 0; i < 100 && interface_state == 18; ++i) c.frame();
    EXPECT_EQ(interface_state, 0);
    EXPECT_FALSE(PSEyeIsWorking());
    EXPECT_FALSE(PSEyeIsLost()) << "the lost camera was not released";
    EXPECT_FALSE(webcam.IsNewFrame());
    webcam.CleanUp();
  }
}

TEST_F(Frame, FullScreenSwitchWaitsOneFrameAndRestoresTheWindow) {
  interface_state = 12;
  headless_window.x = 160;
  headless_window.y = 150;
  full_screen = true;
  full_screen_toggle_frames = 2;
  DisplayNormal();
  EXPECT_EQ(headless_window.full_screens, 0);
  EXPECT_EQ(full_screen_toggle_frames, 1);
  DisplayNormal();
  EXPECT_EQ(headless_window.full_screens, 1);
  EXPECT_EQ(full_screen_toggle_frames, 0);
  EXPECT_EQ(window_x, 160);
  EXPECT_EQ(window_width, 960);
  EXPECT_EQ(window_height, 720);

  full_screen = false;
  full_screen_toggle_frames = 1;
  EXPECT_TRUE(DoFullScreenToggle());
  EXPECT_EQ(headless_window.x, 160);
  EXPECT_EQ(headless_window.y, 150);
  EXPECT_EQ(headless_window.width, 960);
  EXPECT_EQ(headless_window.height, 720);
  EXPECT_FALSE(DoFullScreenToggle());
}

// The values a program starts with hold only in a fresh process: the child runs the first
// frames of a windowed start, then the drumming page's full-screen switch.
TEST(FrameStart, AFreshProgramStaysWindowedPlaysNoSongAndItsFirstSwitchEntersFullScreen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetCommandRunner([](const std::vector<std::string>&, const std::string*) { return CommandResult{0, ""}; });
        skyt_test::GlContext gl;
        Installation install("frame_fresh", kSettings);
        headless_window.x = 160;
        headless_window.y = 150;
        Reshape(800, 600);
        for (int i = 0; i < 3; ++i) Display();
        std::string wrong;
        if (interface_state != 0) wrong += "not on the main screen; ";
        if (window_width != 800 || headless_window.full_screens != 0 || headless_window.x != 160 ||
            headless_window.y != 150)
          wrong += "the window moved or left its size; ";
        if (headless_window.swaps != 3) wrong += "a frame was not drawn; ";
        if (drummer.IsPlayingSong()) wrong += "a song plays; ";
        if (recording) wrong += "a recording runs; ";
        if (is_metronome_playing) wrong += "the metronome plays; ";
        if (drums_muted) wrong += "the drums are muted; ";
        if (have_drummed_this_session) wrong += "the drumming page was counted; ";
        // Nothing of a session is carried in: no slow frames counted against the graphics, no
        // WAV export running, the viewer not yet asked for the drumming page.
        if (bad_state_count != 0) wrong += "slow frames already counted; ";
        if (exporting_wav) wrong += "a WAV export runs; ";
        if (show_drumming_ui_when_client_connected) wrong += "the viewer's drumming page is wanted; ";
        full_screen = !full_screen;
        full_screen_toggle_frames = 2;
        DoFullScreenToggle();
        DoFullScreenToggle();
        if (headless_window.full_screens != 1) wrong += "the first switch did not enter full screen; ";
        fprintf(stderr, "%s", wrong.c_str());
        fflush(stderr);
        _exit(wrong.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Frame, ReshapeKeepsTheWindowedSizeOnly) {
  Reshape(800, 600);
  EXPECT_EQ(window_width, 800);
  EXPECT_EQ(window_height, 600);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  full_screen = true;
  Reshape(1280, 1024);
  EXPECT_EQ(window_width, 800);
  EXPECT_EQ(headless_window.redisplays, 2);
}

TEST_F(Frame, InitTurnsVsyncOffAndSetsTheClearColour) {
  testing::internal::CaptureStdout();
  Init();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Vsync message: "), std::string::npos);
  EXPECT_EQ(headless_window.swap_intervals, (std::vector<int>{1, 0}));
  GLfloat c[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, c);
  EXPECT_NEAR(c[0], 178 / 255.0, 1e-6);
  EXPECT_NEAR(c[2], 176 / 255.0, 1e-6);
}

TEST_F(Frame, ProgressBarSwapsAsAskedAndDrawsInTheMiddle) {
  gl.Clear(0, 0, 0, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  DisplayProgressBar(50, "Loading", false, false);
  EXPECT_EQ(headless_window.swaps, 0);
  // The bar spans x 240..720 and y 360..432 (y upwards, top edge at 432).
  EXPECT_GT(gl.CountDiffering(240, 362, 720, 430, {0, 0, 0, 255}), 10000);
  EXPECT_EQ(gl.CountDiffering(0, 0, 200, 300, {0, 0, 0, 255}), 0);
  DisplayProgressBar(50, "Loading", true, false);
  EXPECT_EQ(headless_window.swaps, 2);
  DisplayProgressBar(50, "Loading", false, true);
  EXPECT_EQ(headless_window.swaps, 3);
  // Half filled, near the bar's bottom edge: the left half filled, the right half the bar's
  // track, which the progress-only drawing leaves as it was; the caption, once in each buffer.
  const struct { bool progress_only, both_buffers; bool track; long captions; } modes[] = {
      {false, false, true, 1}, {true, false, false, 0}, {false, true, true, 2}};
  imgui.tracing = true;
  for (const auto& m : modes) {
    gl.Clear(0, 0, 0, 1);
    imgui.trace.clear();
    DisplayProgressBar(50, "Loading", m.progress_only, m.both_buffers);
    const std::array<int, 4> black{0, 0, 0, 255}, filled = gl.Pixel(300, 364), track = gl.Pixel(660, 364);
    EXPECT_NE(filled, black) << m.progress_only << m.both_buffers;
    EXPECT_NE(filled, track) << m.progress_only << m.both_buffers;
    EXPECT_EQ(track != black, m.track) << m.progress_only << m.both_buffers;
    EXPECT_EQ(std::count_if(imgui.trace.begin(), imgui.trace.end(),
                            [](const Imgui::TraceItem& t) { return t.label == "Loading"; }),
              m.captions)
        << m.progress_only << m.both_buffers;
  }
  imgui.tracing = false;
}

// ---- Keys -------------------------------------------------------------------------------

// No GL context here: the program's exit path must not depend on one.
TEST(FrameExit, EscOnTheMainScreenEndsTheProgramWithSuccess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  interface_state = 0;
  EXPECT_EXIT(Keyboard(27, 0, 0), testing::ExitedWithCode(0), "");
  interface_state = 2;
  Keyboard(27, 0, 0);  // another screen: the program goes on
  SUCCEED();
}

TEST_F(Frame, EscLeavesFastGraphicsModesOnlyAndEndsAWavExport) {
  interface_state = 18;
  graphics_mode = 2;
  exporting_wav = true;
  sound.solo_slot = 2;  // a split export's filters
  sound.pedal_only = true;
  Keyboard(27, 0, 0);
  EXPECT_EQ(interface_state, 18);
  EXPECT_FALSE(exporting_wav);
  EXPECT_EQ(sound.solo_slot, -1);
  EXPECT_FALSE(sound.pedal_only);
  graphics_mode = 4;
  Keyboard(27, 0, 0);
  EXPECT_EQ(interface_state, 0);
  interface_state = 2;  // the kit editor: the screen itself sees the Esc
  Keyboard(27, 0, 0);
  EXPECT_EQ(interface_state, 2);
}

TEST_F(Frame, SpaceLeavesTheInAirPagesAndTheNoGraphicsMode) {
  interface_state = 18;
  graphics_mode = 4;
  Keyboard(' ', 0, 0);
  EXPECT_EQ(interface_state, 0);
  EXPECT_EQ(graphics_mode, 3);
  Keyboard(' ', 0, 0);  // mouse screens: nothing
  EXPECT_EQ(interface_state, 0);
}

TEST_F(Frame, CtrlGCyclesGraphicsOnlyOnThePlayPageAndRestoresTheTitle) {
  Installation install("frame_ctrl_g", kSettings);
  drummer.session_loaded = true;
  interface_state = 0;
  Keyboard(7, 0, 0);
  EXPECT_EQ(graphics_mode, 0);
  interface_state = 18;
  headless_window.title = "No-graphics mode";
  bad_state_count = 3;
  for (int i = 0; i < 5; ++i) Keyboard(7, 0, 0);
  EXPECT_EQ(graphics_mode, 0);
  EXPECT_EQ(bad_state_count, 0);
  EXPECT_EQ(headless_window.title, "Skytapper v1.1.2");
  EXPECT_EQ(headless_window.redisplays, 6);
  // Each mode is kept in the settings at once; Ctrl-G is not Tab (the vsync switch).
  Keyboard(7, 0, 0);
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("Graphics_Mode = 1"), std::string::npos);
  EXPECT_TRUE(headless_window.swap_intervals.empty());
  for (int i = 0; i < 4; ++i) Keyboard(7, 0, 0);
  drummer.session_loaded = false;
}

TEST_F(Frame, CtrlUNeedsAViewerOnAnotherDevice) {
  show_drumming_ui_when_client_connected = false;
  Keyboard(21, 0, 0);
  EXPECT_FALSE(show_drumming_ui_when_client_connected);
}

// ---- Start-up steps ----------------------------------------------------------------------

TEST_F(Frame, LanguageFromTheSettingsFileIsNotWrittenBack) {
  Installation install("frame_language_file",
                       "[Session]\nNever_Ran = true\nWants_Startup_Help = true\nLanguage = de\n");
  SystemLanguage("fr_FR.UTF-8");
  EXPECT_FALSE(DetermineLanguage());
  EXPECT_EQ(GetLanguageString(), "de");
}

TEST_F(Frame, LanguageFromTheSystemIsSavedAfterWantsStartupHelp) {
  Installation install("frame_language_system", "[Session]\nNever_Ran = true\nWants_Startup_Help = true\n\n[Sound]\n");
  SystemLanguage("fr_FR.UTF-8");
  EXPECT_TRUE(DetermineLanguage());
  EXPECT_EQ(GetLanguageString(), "fr");
  SaveLanguage();
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"),
            "[Session]\nNever_Ran = true\nWants_Startup_Help = true\nLanguage = fr\n\n[Sound]\n");
  // A second start finds it in the file.
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_FALSE(DetermineLanguage());
  EXPECT_EQ(GetLanguageString(), "fr");
  SetLanguage("en");
}

TEST_F(Frame, PatchFirstReleaseRemovesOnlyTheStaleFiles) {
  Installation install("frame_first_release", kSettings);
  auto kit = [](bool with_x) {
    std::string text =
        "[Drumkit]\nName = Copy of My First Skytapper Kit (RH)\nIs_Preset = no\n\nDrum3.element = test\n";
    if (with_x) text += "Drum3.x = 10\n";
    text += ";";
    while (text.size() < 2540) text += "x";
    text += "\n";
    WriteFile("conf/drumkits/Copy_of_My_First_Skytapper_Kit__RH_.ini", text);
  };
  kit(true);
  PatchFirstRelease();
  struct stat st;
  EXPECT_EQ(stat("conf/drumkits/Copy_of_My_First_Skytapper_Kit__RH_.ini", &st), 0) << "a placed kit was deleted";
  kit(false);
  PatchFirstRelease();
  EXPECT_NE(stat("conf/drumkits/Copy_of_My_First_Skytapper_Kit__RH_.ini", &st), 0);
}

// ---- Mouse and text input reach the widget GUI ------------------------------------------------

#include "render/font.h"
#include "render/imgui.h"

namespace {

class Input : public Frame {
 protected:
  void SetUp() override {
    Frame::SetUp();
    ASSERT_TRUE(font.Init("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 16, nullptr, 0));
    Imgui::InitParams p;
    p.font = &font;
    p.font_height = 16;
    imgui.Init(p);
    imgui.key_queue.clear();
    imgui.marked_text.clear();
    imgui.mouse_down = false;
  }
  void TearDown() override {
    imgui.key_queue.clear();
    imgui.font = imgui.bold_font = nullptr;
    glFinish();
    Frame::TearDown();
  }
  Font font;
};

}  // namespace

TEST_F(Input, MouseYCountsUpwardsAndOnlyTheLeftButtonPresses) {
  Mouse(2, 0, 100, 50);
  EXPECT_EQ(imgui.mouse_x, 100);
  EXPECT_EQ(imgui.mouse_y, 669);
  EXPECT_FALSE(imgui.mouse_down);
  Mouse(0, 0, 10, 719);
  EXPECT_TRUE(imgui.mouse_down);
  EXPECT_EQ(imgui.mouse_y, 0);
  Motion(20, 0);
  EXPECT_EQ(imgui.mouse_y, 719);
  Mouse(0, 1, 20, 0);
  EXPECT_FALSE(imgui.mouse_down);
  PassiveMotion(5, 6);
  EXPECT_EQ(imgui.mouse_x, 5);
}

// Each key and mouse callback hands the fields the modifiers held with its event; the window
// as reset holds none.
TEST_F(Input, EachCallbackHandsOnTheModifiersHeld) {
  const struct {
    const char* what;
    void (*call)();
  } callbacks[] = {{"key", [] { Keyboard('a', 0, 0); }},
                   {"special key", [] { Special(100, 0, 0); }},
                   {"special key up", [] { SpecialUp(100, 0, 0); }},
                   {"mouse", [] { Mouse(0, 1, 10, 10); }}};
  for (const auto& c : callbacks) {
    for (int held : {-1, int(WINDOW_ACTIVE_SHIFT), WINDOW_ACTIVE_CTRL | WINDOW_ACTIVE_ALT}) {
      ResetWindowServices();
      if (held >= 0) headless_window.modifiers = held;
      imgui.modifiers = -1;
      c.call();
      EXPECT_EQ(imgui.modifiers, held >= 0 ? held : 0) << c.what << " " << held;
    }
  }
}

// Start-up hands the window every input callback: an arrow key let go through the window is
// held no longer, or a field's cursor would run on.
TEST_F(Input, TheWindowDeliversEachInputToTheFields) {
  RegisterCallbacks();
  const WindowCallbacks& c = headless_window.callbacks;
  const struct {
    const char* what;
    std::function<bool()> reaches;
  } inputs[] = {
      {"arrow key", [&] { return c.special(100, 0, 0), imgui.special_keys[Imgui::KEY_LEFT]; }},
      {"arrow key let go", [&] { return c.special_up(100, 0, 0), !imgui.special_keys[Imgui::KEY_LEFT]; }},
      {"backspace", [&] { return c.keyboard(8, 0, 0), imgui.key_queue == std::vector<int>{8}; }},
      {"button", [&] { return c.mouse(0, 0, 10, 10), imgui.mouse_down; }},
      {"drag", [&] { return c.motion(20, 0), imgui.mouse_x == 20; }},
      {"move", [&] { return c.passive_motion(5, 6), imgui.mouse_x == 5; }},
      {"composition", [&] { return c.set_marked_text("k"), imgui.marked_text == "k"; }},
      {"text", [&] { return c.insert_text("b"), imgui.key_queue == std::vector<int>{8, 'b'}; }},
  };
  for (const auto& input : inputs) EXPECT_TRUE(input.reaches()) << input.what;
}

TEST_F(Input, CommittedTextIsQueuedAsUtf16UpTo1023Units) {
  SetMarkedText("k");
  InsertText("añß😀b");
  EXPECT_EQ(imgui.marked_text, "");
  EXPECT_EQ(imgui.key_queue, (std::vector<int>{'a', 0xF1, 0xDF, 'b'})) << "the emoji is outside 16 bits";
  imgui.key_queue.clear();
  InsertText(std::string(1500, 'x').c_str());
  EXPECT_EQ(imgui.key_queue.size(), 1023u);
}

TEST_F(Input, DeleteCancelsAOneCharacterCompositionWithoutReachingTheField) {
  SetMarkedText("か");
  Keyboard(127, 0, 0);
  EXPECT_EQ(imgui.marked_text, "");
  EXPECT_TRUE(imgui.key_queue.empty());
  Keyboard(127, 0, 0);  // no composition: the field gets it
  EXPECT_EQ(imgui.key_queue, (std::vector<int>{127}));
}

TEST_F(Input, ControlKeysGoToTheFieldsAndPrintableKeysDoNot) {
  interface_state = 2;
  Keyboard(9, 0, 0);
  Keyboard('a', 0, 0);
  Keyboard(22, 0, 0);
  EXPECT_EQ(imgui.key_queue, (std::vector<int>{9, 22}));
}
