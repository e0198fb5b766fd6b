// The base of the whole-program tests on the replay camera: a JACK server of the test's own, a
// fresh installation, scripted dialogs, free viewer ports, and the UI trace and scene script
// files the program is pointed at (SKYTAPPER_UI_TRACE, SKYTAPPER_SCENE).
// Link: skyt_frame. Needs an X server (xvfb-run) and jackd.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tests/sound/jack_server.h"
#include "tests/support/program_driver.h"

namespace skyt_test {

// The kinds of an in-air frame's trace lines: buttons (value: 0 fires on a stroke, 1 needs
// pointing at first, 2 while a hand's hit window is open), sliders (value: theirs) and message
// lines (id: the line).
constexpr int kAirButton = 7, kAirSlider = 8, kAirLine = 9;
// The sticks out of sight for a moment, so that they come into view where the scene puts
// them rather than leap there: a leap down would be a stroke on the nearest button.
inline const std::string kAppear = "dark 20\n";

using FrameTest = std::function<bool(const TraceFrame&)>;
inline bool Any(const TraceFrame&) { return true; }
// The item of this kind and label, or null.
const TraceFrame::Item* Find(const TraceFrame& f, int kind, const std::string& label);

class ReplayTest : public ::testing::Test {
 protected:
  // `name` names the installation's folder; a synchronous JACK server delays its graph on a
  // busy machine instead of losing whole periods of what a client records.
  explicit ReplayTest(std::string name, bool synchronous_jack = false);
  void SetUp() final;
  void TearDown() override;
  // What a test suite adds to the installation and the program's environment; runs at the end
  // of SetUp once the server and the installation are ready (not after a skip or a failure).
  virtual void PrepareInstallation() {}

  // Sets a variable of the program's environment, unset again at tear-down.
  void SetEnv(const char* name, const std::string& value);
  // Sets each of these keys of the installation's settings to `value`.
  void SetSettings(const std::vector<const char*>& keys, const std::string& value);
  // Clicks the widget of this label in the last trace frame read.
  void Click(const std::string& label);
  // Presses a key (xdotool's name) in the program's window.
  void Key(const char* key);
  // The program's two output ports on the JACK server.
  static std::vector<std::string> ProgramPorts();

  // Plays a scene, then both sticks at rest, and waits (up to `seconds`) until the trace
  // shows `state` with a frame that `done` accepts (then in frame_).
  bool Play(const std::string& scene, int state, const FrameTest& done, int seconds = 30);
  // Holds the right stick on (x, y) until a hand's hit window opens (63 frames pointing at a
  // button or slider among the drums), or is seen open once the stick is there (a window
  // stays open for 125 frames after the stick leaves what opened it).
  bool HoldUntilOpen(int x, int y);
  // Strikes the in-air button of this label in frame_ (first opening its hit window when it
  // needs one) until the trace shows `state` with a frame `done` accepts; false when the page
  // shows no such button. A busy program may miss a stroke: it is played again, up to three
  // times, while the page has not moved on.
  bool Press(const std::string& label, int state, const FrameTest& done = Any);

  jack_test::JackServer jack_;
  ProgramSetup setup_;
  std::string trace_, scene_, window_;
  TraceFrame frame_;

 private:
  std::string name_;
  std::vector<std::string> env_;
};

}  // namespace skyt_test
