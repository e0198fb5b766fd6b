// The base of the whole-program tests on the replay camera: a JACK server of the test's own, a
// fresh installation, scripted dialogs, free viewer ports, and the UI trace and scene script
// files the program is pointed at (SKYTAPPER_UI_TRACE, SKYTAPPER_SCENE).
// Link: skyt_frame. Needs an X server (xvfb-run) and jackd.
#pragma once
#include <string>
#include <vector>

#include "tests/sound/jack_server.h"
#include "tests/support/program_driver.h"

namespace skyt_test {

class ReplayTest : public ::testing::Test {
 protected:
  // `name` names the installation's folder; a synchronous JACK server delays its graph on a
  // busy machine instead of losing whole periods of what a client records.
  explicit ReplayTest(std::string name, bool synchronous_jack = false);
  void SetUp() override;
  void TearDown() override;

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

  jack_test::JackServer jack_;
  ProgramSetup setup_;
  std::string trace_, scene_, window_;
  TraceFrame frame_;

 private:
  std::string name_;
  std::vector<std::string> env_;
};

}  // namespace skyt_test
