// A JACK server with the dummy driver for tests on a real PortAudio stream: started under a
// name of its own (so that other tests' servers do not meet it) and stopped by its process id.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace jack_test {

inline pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

inline std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

// A JACK server of this test's own (its own name, so other tests' servers do not meet it).
class JackServer : public ::testing::Environment {
 public:
  // Synchronous: each cycle waits for every client, so that a busy machine delays the graph
  // instead of losing whole periods of what a client records.
  explicit JackServer(bool synchronous = false) : synchronous_(synchronous) {}
  void SetUp() override {
    setvbuf(stdout, nullptr, _IOLBF, 0);  // a crash in a JACK thread keeps what the test printed
    name_ = "skyt_audio_test_" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    std::vector<std::string> args = {"jackd", "-n", name_, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "64"};
    if (synchronous_) args.insert(args.begin() + 1, "-S");
    pid_ = Spawn(args);
    for (int i = 0; i < 100 && pid_ > 0; ++i) {
      if (Capture("jack_lsp 2>/dev/null").find("system:playback_1") != std::string::npos) {
        ready = true;
        break;
      }
      usleep(50000);
    }
  }
  void TearDown() override { Stop(); }
  // Ends the server now, as a player's server may end during play.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  static bool ready;

 private:
  bool synchronous_;
  std::string name_;
  pid_t pid_ = -1;
};
inline bool JackServer::ready = false;

}  // namespace jack_test
