#include "tests/support/replay_test.h"

#include <sstream>

#include "tests/support/free_ports.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

ReplayTest::ReplayTest(std::string name, bool synchronous_jack) : jack_(synchronous_jack), name_(std::move(name)) {}

void ReplayTest::SetUp() {
  jack_.SetUp();
  if (!jack_test::JackServer::ready) GTEST_SKIP() << "jackd could not be started";
  setup_.exe = BuildDir() + "/tests/frame/skytapper_replay";
  setup_.install_dir = FreshInstallation(name_ + "_install");
  ASSERT_FALSE(setup_.install_dir.empty());
  setup_.fake_bin = ScriptedDialogs(name_ + "_fake_bin");
  setup_.viewer_port = FreePorts(4);
  trace_ = setup_.install_dir + "/ui_trace.txt";
  scene_ = setup_.install_dir + "/scene.txt";
  SetEnv("SKYTAPPER_UI_TRACE", trace_);
  SetEnv("SKYTAPPER_SCENE", scene_);
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

}  // namespace skyt_test
