#include "tests/support/replay_test.h"

#include <sstream>

#include "tests/support/free_ports.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

const TraceFrame::Item* Find(const TraceFrame& f, int kind, const std::string& label) {
  for (const auto& i : f.items)
    if (i.kind == kind && i.label == label) return &i;
  return nullptr;
}

ReplayTest::ReplayTest(std::string name, bool synchronous_jack) : jack_(synchronous_jack), name_(std::move(name)) {}

void ReplayTest::SetUp() {
  jack_.SetUp();
  ASSERT_TRUE(jack_test::JackServer::ready) << jack_test::JackServer::words;
  setup_.exe = BuildDir() + "/tests/app/skytapper_replay";
  setup_.install_dir = FreshInstallation(name_ + "_install");
  ASSERT_FALSE(setup_.install_dir.empty());
  setup_.fake_bin = ScriptedDialogs(name_ + "_fake_bin");
  setup_.viewer_port = FreePorts(4);
  trace_ = setup_.install_dir + "/ui_trace.txt";
  scene_ = setup_.install_dir + "/scene.txt";
  SetEnv("SKYTAPPER_UI_TRACE", trace_);
  SetEnv("SKYTAPPER_SCENE", scene_);
  if (!HasFatalFailure()) PrepareInstallation();
}

void ReplayTest::TearDown() {
  for (const std::string& name : env_) unsetenv(name.c_str());
  jack_.TearDown();
  unsetenv("JACK_DEFAULT_SERVER");
}

void ReplayTest::SetEnv(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
  env_.push_back(name);
}

void ReplayTest::SetSettings(const std::vector<const char*>& keys, const std::string& value) {
  for (const char* key : keys) ASSERT_TRUE(SetSetting(setup_.install_dir, key, value)) << key;
}

void ReplayTest::Click(const std::string& label) {
  const TraceFrame::Item* w = frame_.Find(label);
  ASSERT_NE(w, nullptr) << label;
  ClickOn(window_, trace_, *w);
}

void ReplayTest::Key(const char* key) {
  Xdo({"windowfocus", "--sync", window_});
  Xdo({"key", key});
}

std::vector<std::string> ReplayTest::ProgramPorts() {
  std::vector<std::string> ports;
  std::istringstream lines(jack_test::Capture("jack_lsp"));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("system:", 0) != 0 && !line.empty()) ports.push_back(line);
  return ports;
}

bool ReplayTest::Play(const std::string& scene, int state, const FrameTest& done, int seconds) {
  ReplaceFile(scene_, scene + "rest 12500\n");
  return WaitForTrace(trace_, [&](const TraceFrame& f) { return f.state == state && done(f); }, frame_, seconds);
}

bool ReplayTest::HoldUntilOpen(int x, int y) {
  ReplaceFile(scene_, kAppear + "hold 12500 40 40 5 " + std::to_string(x) + " " + std::to_string(y) + " 5\n");
  WaitFrames(trace_, 30);
  return WaitForTrace(trace_, [](const TraceFrame& f) {
    for (const auto& i : f.items)
      if (i.kind == kAirButton && i.value == 2) return true;
    return false;
  }, frame_);
}

bool ReplayTest::Press(const std::string& label, int state, const FrameTest& done) {
  const TraceFrame::Item* b = Find(frame_, kAirButton, label);
  if (!b) return false;
  const int x = b->x, y = b->y, page = frame_.state;
  const bool held = b->value != 0;
  // A stroke counts when the program sees five falling frames: a slow fall, so that it does
  // however many frames a busy program misses, from 20 pixels above, nearer the button than
  // its neighbours (50 apart) wherever a program that misses frames judges the stroke. The
  // stick then stays down a while: one that a stalled program next sees back at rest would
  // strike where it rests.
  const std::string at = std::to_string(x) + " " + std::to_string(y) + " 5";
  const std::string stroke = "strike " + at + " 20 12\nhold 60 40 40 5 " + at + "\n";
  for (int tries = 0; tries < 3 && frame_.state == page; ++tries) {
    if (held && !HoldUntilOpen(x, y)) return false;
    if (Play(held ? stroke : kAppear + stroke, state, done, 10)) return true;
  }
  return false;
}

}  // namespace skyt_test
