// Programs that tests and stress commands start beside themselves (a JACK server, a recorder, a
// worker): each gets a signal when the process that started it ends, however that ends, so that
// none outlives its test or run.
#pragma once
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace skyt_test {

// Starts args[0] (looked up on the PATH) with its output and errors to `out_fd`; it gets
// `end_signal` when this process ends. Returns its process id, or -1.
inline pid_t StartChild(const std::vector<std::string>& args, int out_fd, int end_signal) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, end_signal);
  if (getppid() != parent) _exit(1);  // the parent ended before the signal was asked for
  dup2(out_fd, 1);
  dup2(out_fd, 2);
  execvp(argv[0], argv.data());
  _exit(127);
}

}  // namespace skyt_test
