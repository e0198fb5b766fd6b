// The whole program as a player meets it: a fresh installation, the replay camera in place of
// the PS3 Eye (skytapper_replay, its scenes scripted by the test), a JACK server with the dummy
// driver as the sound card, scripted dialogs, clicks by xdotool and the UI trace to watch.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "frame/interface_states.h"
#include "tests/sound/jack_server.h"
#include "tests/support/free_ports.h"
#include "tests/support/onsets.h"
#include "tests/support/program_driver.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace skyt_test;

// The snare of "My First Skytapper Kit (RH)": where it stands and its depth (marker radius).
constexpr const char* kSnare = "149.1 146.6 3.1";
constexpr int kStrokes = 6, kDownFrames = 6;
constexpr double kStrokeMs = (29 + kDownFrames) * 8.0;
constexpr int kRate = 44100;

class WholeProgramReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    jack_.SetUp();
    if (!jack_test::JackServer::ready) GTEST_SKIP() << "jackd could not be started";
    setup_.exe = BuildDir() + "/tests/frame/skytapper_replay";
    setup_.install_dir = FreshInstallation("replay_install");
    ASSERT_FALSE(setup_.install_dir.empty());
    setup_.fake_bin = ScriptedDialogs("replay_fake_bin");
    setup_.viewer_port = FreePorts(4);
    trace_ = setup_.install_dir + "/ui_trace.txt";
    scene_ = setup_.install_dir + "/scene.txt";
    setenv("SKYTAPPER_UI_TRACE", trace_.c_str(), 1);
    setenv("SKYTAPPER_SCENE", scene_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("SKYTAPPER_UI_TRACE");
    unsetenv("SKYTAPPER_SCENE");
    jack_.TearDown();
    unsetenv("JACK_DEFAULT_SERVER");
  }
  // Sets the value of a key's line in the installation's settings file.
  void SetSessionLine(const std::string& key, const std::string& value) {
    const std::string path = setup_.install_dir + "/conf/skytapper.cfg";
    std::string cfg = ReadFile(path);
    const size_t at = cfg.find("\n" + key + " = ");
    ASSERT_NE(at, std::string::npos) << key;
    cfg.replace(at + 1, cfg.find('\n', at + 1) - at - 1, key + " = " + value);
    WriteFile(path, cfg);
  }
  void Click(const std::string& label) { ClickOn(window_, trace_, *frame_.Find(label)); }
  // The program's two output ports on the JACK server.
  static std::vector<std::string> ProgramPorts() {
    std::vector<std::string> ports;
    std::istringstream lines(jack_test::Capture("jack_lsp"));
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("system:", 0) != 0 && !line.empty()) ports.push_back(line);
    return ports;
  }

  jack_test::JackServer jack_;
  ProgramSetup setup_;
  std::string trace_, scene_, window_;
  TraceFrame frame_;
};

}  // namespace

// First start: help, the audio set-up on the JACK server, the main screen with the camera
// found. Second start: Drum, the lighting check on the clean scene, drumming; each scripted
// stroke on the snare sounds once in the JACK output.
TEST_F(WholeProgramReplay, FirstStartToDrummingSoundsEachStrokeOnce) {
  {
    Program program(setup_);
    window_ = WaitForWindow();
    ASSERT_FALSE(window_.empty()) << program.Output();
    ASSERT_TRUE(WaitForWidget(trace_, kHelpScreen, "Next", false, frame_)) << program.Output();
    Click("Next");
    ASSERT_TRUE(WaitForWidget(trace_, kHelpScreen, "Configure audio", false, frame_)) << program.Output();
    Click("Configure audio");
    ASSERT_TRUE(WaitForWidget(trace_, kLatencyScreen, "Apply", false, frame_)) << program.Output();
    Click("Apply");
    ASSERT_TRUE(WaitForWidget(trace_, kLatencyScreen, "Finish", false, frame_)) << program.Output();
    Click("Finish");
    ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Setup", false, frame_)) << program.Output();
    EXPECT_EQ(frame_.Find("Camera not found. Please exit Skytapper, plug the camera and"), nullptr);
    EXPECT_EQ(EscUntilExit(program, window_), 0) << program.Output();
  }
  // A returning player, as the wizard leaves one (help unticked), with the preset kit's places.
  SetSessionLine("Never_Ran", "false");
  SetSessionLine("Wants_Startup_Help", "false");
  Program program(setup_);
  window_ = WaitForWindow();
  ASSERT_FALSE(window_.empty()) << program.Output();
  ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Drum", false, frame_)) << program.Output();
  Click("Drum");
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program.Output();
  // Software GL on the virtual X server draws slower than the camera: graphics off, as the
  // program asks a player with a slow graphics card to do (Ctrl+g to its last mode).
  for (int mode = 0; mode < 4; ++mode) {
    Xdo({"windowfocus", "--sync", window_});
    Xdo({"key", "ctrl+g"});
  }
  const std::vector<std::string> ports = ProgramPorts();
  ASSERT_EQ(ports.size(), 2u) << jack_test::Capture("jack_lsp");
  const std::string wav = setup_.install_dir + "/drumming.wav";
  const pid_t rec = jack_test::Spawn({"jack_rec", "-f", wav, "-d", "6", "-b", "16", ports[0], ports[1]});
  ASSERT_GT(rec, 0);
  // The right stick comes to rest on the snare, then strikes it.
  const std::string snare = kSnare;
  WriteFile(scene_, "rest 125\nhold 125 40 40 5 " + snare + "\nstrokes " + snare + " " + std::to_string(kStrokes) +
                        " " + std::to_string(kDownFrames) + "\n");
  waitpid(rec, nullptr, 0);
  const std::vector<int> onsets = Onsets(wav);
  ASSERT_EQ(onsets.size(), size_t(kStrokes)) << program.Output();
  // The camera runs on the wall clock and drops a frame the busy program was late for, so a
  // hit may come a few frames early or late: the onsets keep the strokes' spacing within five.
  for (int i = 1; i < kStrokes; ++i) EXPECT_NEAR((onsets[i] - onsets[i - 1]) * 1000.0 / kRate, kStrokeMs, 40.0) << i;
}
