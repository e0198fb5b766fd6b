// Driving the whole program from outside: process, window, clicks and the UI trace.
#include "tests/support/program_driver.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "frame/platform/spawn.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

std::string FreshInstallation(const std::string& name) {
  const std::string dir = FreshDir(name);
  const CommandResult r = SpawnAndWait({"bash", SourceDir() + "/tools/install.sh", dir, BuildDir()}, nullptr);
  return r.exit_code == 0 ? dir : "";
}

std::string ScriptedDialogs(const std::string& name) {
  const std::string dir = FreshDir(name);
  WriteFile(dir + "/zenity",
            "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$(dirname \"$0\")/zenity.log\"\n"
            "case \"$*\" in *--file-selection*) cat \"$(dirname \"$0\")/answer\" 2>/dev/null;; esac\nexit 0\n");
  chmod((dir + "/zenity").c_str(), 0755);
  // What the system's libraries keep, PortMidi's device names too.
  WriteFile(dir + "/lsan.supp", ReadFile(SourceDir() + "/tools/lsan.supp") + "leak:libportmidi\n");
  return dir;
}

bool SetSetting(const std::string& install_dir, const std::string& key, const std::string& value) {
  const std::string path = install_dir + "/conf/skytapper.cfg";
  std::string cfg = ReadFile(path);
  const size_t at = cfg.find("\n" + key + " = ");
  if (at == std::string::npos) return false;
  cfg.replace(at + 1, cfg.find('\n', at + 1) - at - 1, key + " = " + value);
  WriteFile(path, cfg);
  return true;
}

void ReplaceFile(const std::string& path, const std::string& text) {
  WriteFile(path + ".new", text);
  rename((path + ".new").c_str(), path.c_str());
}

Program::Program(const ProgramSetup& setup) {
  output_ = setup.install_dir + "/program_output.txt";
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(setup.install_dir.c_str()) != 0) _exit(120);
    int fd = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    dup2(fd, 2);
    std::string path = setup.fake_bin + ":" + getenv("PATH");
    setenv("PATH", path.c_str(), 1);
    std::string leaks = "suppressions=" + setup.fake_bin + "/lsan.supp:print_suppressions=0";
    setenv("LSAN_OPTIONS", leaks.c_str(), 1);
    setenv("SKYTAPPER_VIEWER_PORT_BASE", std::to_string(setup.viewer_port).c_str(), 1);
    execl(setup.exe.c_str(), setup.exe.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
}

Program::~Program() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int Program::WaitForExit(int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

std::string Program::Output() const { return ReadFile(output_); }

std::string WaitForWindow() {
  CommandResult r =
      SpawnAndWait({"timeout", "30", "xdotool", "search", "--sync", "--name", "^Skytapper v1\\.1\\.2$"}, nullptr);
  return r.output.substr(0, r.output.find('\n'));
}

std::string Xdo(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return SpawnAndWait(argv, nullptr).output;
}

const TraceFrame::Item* TraceFrame::Find(const std::string& label) const {
  for (const auto& i : items)
    if (i.label == label) return &i;
  return nullptr;
}

TraceFrame ReadTrace(const std::string& path) {
  TraceFrame t;
  std::string text = ReadFile(path);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    std::string line = text.substr(at, end - at);
    at = end + 1;
    TraceFrame::Item i{};
    int used = 0;
    if (sscanf(line.c_str(), "state %d", &t.state) == 1) continue;
    if (sscanf(line.c_str(), "%d %d %d %d %d %d %d %d %n", &i.kind, &i.id, &i.x, &i.y, &i.w, &i.h, &i.greyed,
               &i.value, &used) >= 8) {
      i.label = line.substr(static_cast<size_t>(used));
      t.items.push_back(i);
    }
  }
  return t;
}

bool WaitForWidget(const std::string& trace, int state, const std::string& label, bool greyed, TraceFrame& frame) {
  for (int i = 0; i < 300; ++i) {
    frame = ReadTrace(trace);
    const auto* w = frame.Find(label);
    if (frame.state == state && w && (w->greyed != 0) == greyed) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool WaitForTrace(const std::string& trace, const std::function<bool(const TraceFrame&)>& done, TraceFrame& frame,
                  int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    frame = ReadTrace(trace);
    if (done(frame)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool WaitForState(const std::string& trace, int state, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (ReadTrace(trace).state == state) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void WaitFrames(const std::string& trace, int frames) {
  auto written = [&] {
    struct stat st {};
    stat(trace.c_str(), &st);
    return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  };
  long long last = written();
  for (int i = 0; i < 1000 && frames > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const long long now = written();
    if (now != last) --frames, last = now;
  }
}

void ClickOn(const std::string& window, const std::string& trace, const TraceFrame::Item& w) {
  const int x = w.x + w.w / 2, y = 720 - w.y + w.h / 2;
  Xdo({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
  WaitFrames(trace, 3);
  Xdo({"mousedown", "1"});
  WaitFrames(trace, 3);
  Xdo({"mouseup", "1"});
}

int EscUntilExit(Program& program, const std::string& window) {
  int status = -1;
  for (int i = 0; i < 20 && status == -1; ++i) {
    Xdo({"windowfocus", "--sync", window});
    Xdo({"key", "Escape"});
    status = program.WaitForExit(1);
  }
  return status;
}

}  // namespace skyt_test
