// A returning player on the replay camera and a JACK server with the dummy driver: a first run
// records a performance while drumming, a second one finds it on the recordings screen and
// exports it to a WAV that sounds as the drumming did.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "frame/interface_states.h"
#include "tests/sound/jack_recorder.h"
#include "tests/support/onsets.h"
#include "tests/support/program_driver.h"
#include "tests/support/replay_test.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace skyt_test;

// The snare of "My First Skytapper Kit (RH)": where it stands and its depth (marker radius).
constexpr const char* kSnare = "149.1 146.6 3.1";
// Both sticks below the foot line beside both feet, put there at once: lowered gradually,
// they would stop there as a stroke, and a stroke in the play menu presses its nearest button.
constexpr const char* kHandsLow = "40 204 5 290 204 5 130 232 3.5 250 232 3.5";
// Strokes falling in 40 frames: still five falling frames (what makes a hit) for a program that
// takes only one camera frame in eight.
constexpr int kStrokes = 5, kDownFrames = 40;
constexpr int kListBox = 4;  // the trace's widget kind
// Beside the live lag of each start: where the onset finder places starts of the same sample in
// two files, and when in its cycle the recorder notes the time, may differ by this much.
constexpr double kOnsetMs = 1.0;

class ReturningPlayer : public ReplayTest {
 protected:
  ReturningPlayer() : ReplayTest("return") {}
  void PrepareInstallation() override {
    // A returning player, as the wizard leaves one (help unticked), with the preset kit's
    // places, who opens the play menu by lowering both hands.
    SetSettings({"Never_Ran", "Wants_Startup_Help", "Use_Old_Style_Menu_Button"}, "false");
    // Software GL on the virtual X server draws slower than the camera: a third of the
    // picture a frame in a window, the lightest way that still has the play menu.
    ASSERT_TRUE(SetSetting(setup_.install_dir, "Graphics_Mode", "2"));
    ASSERT_TRUE(SetSetting(setup_.install_dir, "Drum_Full_Screen", "no"));
  }
  // Starts the program and waits for its main screen.
  bool StartAtMainScreen(std::unique_ptr<Program>& program) {
    program = std::make_unique<Program>(setup_);
    window_ = WaitForWindow();
    return !window_.empty() && WaitForWidget(trace_, kMainScreen, "Drum", false, frame_);
  }
  std::vector<std::string> Recordings() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(setup_.install_dir + "/recordings"))
      if (e.path().extension() == ".sel") names.push_back(e.path().stem().string());
    return names;
  }
};

// A finished WAV export: the header's data size is that of the file (written on closing).
bool WaitForWav(const std::string& path) {
  for (int i = 0; i < 600; ++i) {
    const std::string bytes = ReadFile(path);
    uint32_t data = 0;
    if (bytes.size() > 44) memcpy(&data, &bytes[40], 4);
    if (data > 0 && data == bytes.size() - 44) return true;
    usleep(50000);
  }
  return false;
}

}  // namespace

// First run: Drum, the play menu by lowering both hands, Record, strokes on the snare heard on
// the JACK output, Esc twice. Second run: straight to the main screen and on to drumming; the
// recordings screen lists the performance and exports it to a WAV whose sound starts keep the
// live strokes' count and spacing.
TEST_F(ReturningPlayer, ExportedRecordingSoundsAsTheDrummingDid) {
  const std::string live = setup_.install_dir + "/live.wav", exported = setup_.install_dir + "/exported.wav";
  std::unique_ptr<Program> program;
  ASSERT_TRUE(StartAtMainScreen(program)) << program->Output();
  Click("Drum");
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program->Output();
  // Once the camera has settled (longer when the program is slow).
  const auto has_record = [](const TraceFrame& f) { return Find(f, kAirButton, "Record") != nullptr; };
  ASSERT_TRUE(Play(std::string("rest 250\nhold 2000 ") + kHandsLow + "\n", kPlayMenu, has_record)) << program->Output();
  ASSERT_TRUE(Press("Record", kPlay)) << program->Output();
  ASSERT_EQ(Recordings().size(), 1u) << program->Output();
  // Graphics off for the strokes (Ctrl+g to the last mode).
  for (int mode = 2; mode < 4; ++mode) Key("ctrl+g");
  const std::vector<std::string> ports = ProgramPorts();
  ASSERT_EQ(ports.size(), 2u) << jack_test::Capture("jack_lsp");
  // The press is over before the listening starts: a stick seen stopping on its way down can
  // strike twice, and the second stroke may sound on a drum.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  jack_test::JackRecorder recorder(ports, 8.0);
  const std::string snare = kSnare;
  ReplaceFile(scene_, "rest 125\nhold 125 40 40 5 " + snare + "\nstrokes " + snare + " " + std::to_string(kStrokes) +
                        " " + std::to_string(kDownFrames) + "\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(6500));
  recorder.Stop();
  recorder.SaveWav(live);
  EXPECT_EQ(EscUntilExit(*program, window_), 0) << program->Output();

  remove(scene_.c_str());
  remove(trace_.c_str());
  ASSERT_TRUE(StartAtMainScreen(program)) << program->Output();
  Click("Drum");
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program->Output();
  Key("Escape");
  ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Recordings", false, frame_)) << program->Output();
  Click("Recordings");
  ASSERT_TRUE(WaitForWidget(trace_, kRecordingScreen, "Export wav...", true, frame_)) << program->Output();
  const TraceFrame::Item* list = nullptr;
  for (const auto& item : frame_.items)
    if (item.kind == kListBox) list = &item;
  ASSERT_NE(list, nullptr);
  ClickOn(window_, trace_, {list->kind, list->id, list->x, list->y - 3, 40, 10, 0, ""});  // its first line
  ASSERT_TRUE(WaitForWidget(trace_, kRecordingScreen, "Export wav...", false, frame_)) << program->Output();
  EXPECT_NE(frame_.Find(Recordings()[0]), nullptr) << "the name box shows the recording's name";
  WriteFile(setup_.fake_bin + "/answer", exported + "\n");
  Click("Export wav...");
  ASSERT_TRUE(WaitForWav(exported)) << program->Output();
  ASSERT_TRUE(WaitForWidget(trace_, kRecordingScreen, "Ok", false, frame_)) << program->Output();
  Click("Ok");
  ASSERT_TRUE(WaitForState(trace_, kMainScreen));
  EXPECT_EQ(EscUntilExit(*program, window_), 0) << program->Output();

  const std::vector<int> heard = Onsets(live);
  std::vector<int> saved = Onsets(exported);
  auto text = [](const std::vector<int>& onsets) {
    std::ostringstream out;
    for (int f : onsets) out << f << ' ';
    return out.str();
  };
  const std::string both = "live " + text(heard) + "| exported " + text(saved);
  ASSERT_EQ(heard.size(), size_t(kStrokes)) << both;
  // The recording began before the listening: the press may have struck a drum on its way.
  ASSERT_GE(saved.size(), heard.size()) << both;
  saved.erase(saved.begin(), saved.end() - kStrokes);
  // The export places each hit when it was struck; live, it sounded from the next JACK cycle.
  for (size_t i = 1; i < heard.size(); ++i) {
    const double live_ms = recorder.Millis(heard[i]) - recorder.Millis(heard[0]);
    const double export_ms = (saved[i] - saved[0]) * 1e3 / kWavRate;
    EXPECT_GE(export_ms, live_ms - recorder.LagMillis(heard[i]) - kOnsetMs) << i << ": " << both;
    EXPECT_LE(export_ms, live_ms + recorder.LagMillis(heard[0]) + kOnsetMs) << i << ": " << both;
  }
}
