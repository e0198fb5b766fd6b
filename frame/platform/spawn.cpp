#include "frame/platform/spawn.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

extern char** environ;

namespace {

CommandRunner& Runner() {
  static CommandRunner runner;
  return runner;
}
CommandLauncher& Launcher() {
  static CommandLauncher launcher;
  return launcher;
}

// Children started with SpawnDetached; reaped whenever a new helper starts.
std::vector<pid_t>& DetachedChildren() {
  static std::vector<pid_t> children;
  return children;
}
std::mutex& DetachedMutex() {
  static std::mutex m;
  return m;
}

void ReapDetached() {
  std::lock_guard<std::mutex> lock(DetachedMutex());
  auto& v = DetachedChildren();
  for (size_t i = 0; i < v.size();) {
    int status;
    if (waitpid(v[i], &status, WNOHANG) != 0) {
      v[i] = v.back();
      v.pop_back();
    } else {
      ++i;
    }
  }
}

std::vector<char*> MakeArgv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Starts the program with the given descriptors as its standard input and output (-1: the
// null device) and nothing else open. Returns the pid or -1.
pid_t Start(const std::vector<std::string>& argv, int in_fd, int out_fd) {
  if (argv.empty() || argv[0].empty()) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in_fd >= 0)
    posix_spawn_file_actions_adddup2(&actions, in_fd, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (out_fd >= 0)
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  // Sockets, camera and audio handles must never outlive the program in a helper.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> args = MakeArgv(argv);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  return rc == 0 ? pid : -1;
}

}  // namespace

CommandResult SpawnAndWait(const std::vector<std::string>& argv, const std::string* input) {
  ReapDetached();
  CommandResult result;
  int out_pipe[2], in_pipe[2] = {-1, -1};
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return result;
  if (input && pipe2(in_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return result;
  }
  pid_t pid = Start(argv, input ? in_pipe[0] : -1, out_pipe[1]);
  close(out_pipe[1]);
  if (input) close(in_pipe[0]);
  if (pid < 0) {
    close(out_pipe[0]);
    if (input) close(in_pipe[1]);
    return result;
  }
  // Feed the input and drain the output together, so neither side can fill its pipe and stall.
  size_t written = 0;
  // A helper that exits before reading all its input must not take the program with it.
  if (input) signal(SIGPIPE, SIG_IGN);
  int in_fd = input ? in_pipe[1] : -1;
  if (in_fd >= 0 && input->empty()) {
    close(in_fd);
    in_fd = -1;
  }
  if (in_fd >= 0) fcntl(in_fd, F_SETFL, O_NONBLOCK);
  int out_fd = out_pipe[0];
  while (out_fd >= 0 || in_fd >= 0) {
    pollfd fds[2];
    int n = 0;
    if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    if (poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < n; ++i) {
      if (fds[i].fd == out_fd && fds[i].revents) {
        char buf[4096];
        ssize_t got = read(out_fd, buf, sizeof buf);
        if (got > 0) {
          result.output.append(buf, got);
        } else if (got == 0 || errno != EINTR) {
          close(out_fd);
          out_fd = -1;
        }
      } else if (fds[i].fd == in_fd && fds[i].revents) {
        ssize_t put = write(in_fd, input->data() + written, input->size() - written);
        if (put > 0) written += put;
        if ((put < 0 && errno != EINTR && errno != EAGAIN) || written == input->size()) {
          close(in_fd);
          in_fd = -1;
        }
      }
    }
  }
  if (in_fd >= 0) close(in_fd);
  if (out_fd >= 0) close(out_fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool SpawnDetached(const std::vector<std::string>& argv) {
  ReapDetached();
  pid_t pid = Start(argv, -1, -1);
  if (pid < 0) return false;
  std::lock_guard<std::mutex> lock(DetachedMutex());
  DetachedChildren().push_back(pid);
  return true;
}

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string* input) {
  if (Runner()) return Runner()(argv, input);
  return SpawnAndWait(argv, input);
}

bool LaunchCommand(const std::vector<std::string>& argv) {
  if (Launcher()) return Launcher()(argv);
  return SpawnDetached(argv);
}

void SetCommandRunner(CommandRunner runner) { Runner() = std::move(runner); }
void SetCommandLauncher(CommandLauncher launcher) { Launcher() = std::move(launcher); }
