// A JACK server with the dummy driver for tests on a real PortAudio stream: started under a
// name of its own (so that other tests' servers do not meet it), stopped by its process id with
// SIGTERM, and never outliving its test (JACK keeps a registry of eight running servers, and a
// server killed outright keeps its place there). A test that needs it fails when it does not
// start: the test script installs jackd, so that is a broken machine.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace jack_test {

// Starts a program with its output to `output`; it ends with the test process, however that
// ends (a test killed on its time-out leaves no server running).
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& output = "/dev/null") {
  const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t pid = skyt_test::StartChild(args, fd, SIGTERM);
  close(fd);
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
    output_ = testing::TempDir() + name_ + ".log";
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    std::vector<std::string> args = {"jackd", "-n", name_, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "64"};
    if (synchronous_) args.insert(args.begin() + 1, "-S");
    pid_ = Spawn(args, output_);
    ready = false;
    for (int i = 0; i < 100 && pid_ > 0; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;  // it ended: its words say why
        break;
      }
      if (Capture("jack_lsp 2>/dev/null").find("system:playback_1") != std::string::npos) {
        ready = true;
        break;
      }
      usleep(50000);
    }
    if (ready) return;
    words = "jackd did not start: " + Capture("cat " + output_);
    Stop();
  }
  void TearDown() override { Stop(); }
  // Ends the server now, as a player's server may end during play.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    unlink(output_.c_str());
  }
  static bool ready;
  static std::string words;  // what jackd said when it did not start

 private:
  bool synchronous_;
  std::string name_;
  std::string output_;
  pid_t pid_ = -1;
};
inline bool JackServer::ready = false;
inline std::string JackServer::words;

}  // namespace jack_test
