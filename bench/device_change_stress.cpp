// Device changes on a busy machine: a JACK dummy server of this run's own, threads that keep
// every core busy, and worker processes that change the audio device again and again through
// Sound::ReinitDevice as the latency screen's Apply and the MIDI screen's switch do. Prints how
// many changes were made, the JACK client library's lines about freed state, the workers that
// died (an abort or a crash) or stopped answering (a hang), and whether the sound still played
// at the end of each worker.
//
//   device_change_stress [CHANGES [PER_WORKER [LOAD_THREADS [HANG_SECONDS]]]]
//
// 2000 changes, 100 a worker, twice as many load threads as cores and 60 seconds by default.
// A worker is this program started again with --worker; it prints "change N" after each change
// and "playing" or "silent" at the end, and the JACK library's every error line on stderr.
#include <dlfcn.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sound/sound.h"

namespace {

// ------------------------------------------------------------------------------------------
// In a worker: every line the JACK library reports reaches stderr, also while the engine folds
// the libraries' messages into one warning. The engine's calls to jack_set_error_function land
// here (the program's own definition comes first); the library keeps calling Relay.

typedef void (*JackPrinter)(const char*);
bool in_worker = false;
JackPrinter inner_printer = nullptr;
JackPrinter default_printer = nullptr;

void Relay(const char* text) {
  fprintf(stderr, "libjack: %s\n", text ? text : "");
  if (inner_printer && inner_printer != default_printer) inner_printer(text);
}

}  // namespace

extern "C" void jack_set_error_function(void (*func)(const char*)) {
  static const auto real = reinterpret_cast<void (*)(JackPrinter)>(dlsym(RTLD_NEXT, "jack_set_error_function"));
  if (!in_worker) return real(func);
  // Putting back the printer seen before a fold means the library's own again.
  inner_printer = func == Relay ? default_printer : func;
  real(Relay);
}

namespace {

struct Change {
  Audio::DeviceType type;
  int frames;
  bool manual;  // the device in use, chosen by its index
  bool lists;   // the latency screen lists the devices first
};

// Apply with each stream type and buffer size, a manual device, no output, and the MIDI
// screen's switch (into MIDI only: the plain stream with 256 frames; back: the stored settings).
const Change kChanges[] = {
    {Audio::kLowLatencyStream, 64, false, true},  {Audio::kPlainStream, 256, false, false},
    {Audio::kLowLatencyStream, 128, false, false}, {Audio::kPlainStream, 32, true, true},
    {Audio::kFirstFallbackStream, 512, false, false}, {Audio::kNoOutput, 64, false, true},
    {Audio::kLastFallbackStream, 256, false, false}, {Audio::kLowLatencyStream, 16, true, true},
};

int Worker(int changes) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  setvbuf(stderr, nullptr, _IOLBF, 0);
  in_worker = true;
  default_printer = jack_error_callback;
  jack_set_error_function(default_printer);
  Sound sound;
  for (int i = 0; i < changes; ++i) {
    const Change& c = kChanges[i % (sizeof kChanges / sizeof kChanges[0])];
    if (c.lists) {
      std::map<int, std::string> names;
      sound.GetAudioDeviceNames(names);
    }
    const int index = c.manual ? sound.GetAudioDeviceIndex() : (c.type == Audio::kNoOutput ? -2 : -1);
    sound.ReinitDevice(c.type, c.frames, index);
    printf("change %d\n", i + 1);
  }
  sound.ReinitDevice(Audio::kLowLatencyStream, 64, -1);
  const int64_t before = sound.audio.GetSampleCounter();
  usleep(300000);
  printf(sound.audio.GetSampleCounter() > before ? "playing\n" : "silent\n");
  sound.CleanUp();
  return 0;
}

// ------------------------------------------------------------------------------------------
// The driver.

pid_t Start(const std::vector<std::string>& args, int out_fd) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server or worker outlives the run
  if (getppid() != parent) _exit(1);
  dup2(out_fd, 1);
  dup2(out_fd, 2);
  execvp(argv[0], argv.data());
  _exit(127);
}

bool ServerReady() {
  jack_status_t status;
  jack_client_t* probe = jack_client_open("stress_probe", JackNoStartServer, &status);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}

void Quiet(const char*) {}

struct Totals {
  int changes = 0, workers = 0, deallocated = 0, resume_refnum = 0, died = 0, hangs = 0, playing = 0;
  std::string first_jack_line, first_death;
};

// Runs one worker to its end, counting what it prints; a worker silent for `hang_seconds` is a
// hang and is killed.
void RunWorker(int changes, int hang_seconds, Totals& t) {
  int fds[2];
  if (pipe(fds) != 0) return;
  const pid_t pid = Start({"/proc/self/exe", "--worker", std::to_string(changes)}, fds[1]);
  close(fds[1]);
  std::string pending;
  bool hung = false;
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, hang_seconds * 1000);
    if (ready == 0) {
      hung = true;
      kill(pid, SIGKILL);
      break;
    }
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    pending.append(buf, static_cast<size_t>(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      const std::string line = pending.substr(0, end);
      if (line.rfind("change ", 0) == 0) ++t.changes;
      if (line == "playing") ++t.playing;
      const bool freed = line.find("already deallocated") != std::string::npos;
      const bool resume = line.find("ResumeRefNum") != std::string::npos;
      t.deallocated += freed;
      t.resume_refnum += resume;
      if ((freed || resume) && t.first_jack_line.empty()) t.first_jack_line = line;
    }
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ++t.workers;
  if (hung) {
    ++t.hangs;
  } else if (WIFSIGNALED(status)) {
    ++t.died;
    if (t.first_death.empty()) t.first_death = strsignal(WTERMSIG(status));
  }
}

int Drive(int changes, int per_worker, int load_threads, int hang_seconds) {
  const std::string name = "skyt_stress_" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);
  const int null_fd = open("/dev/null", O_WRONLY);
  const pid_t server = Start({"jackd", "-n", name, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "64"}, null_fd);
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  bool ready = false;
  for (int i = 0; i < 100 && !ready; ++i) {
    usleep(50000);
    ready = ServerReady();
  }
  if (!ready) {
    fprintf(stderr, "the JACK server %s did not start (is jackd installed?)\n", name.c_str());
    kill(server, SIGTERM);
    return 1;
  }

  std::atomic<bool> stop{false};
  std::vector<std::thread> load;
  for (int i = 0; i < load_threads; ++i) {
    load.emplace_back([&stop, i] {
      volatile double x = i;
      while (!stop.load(std::memory_order_relaxed))
        for (int k = 0; k < 100000; ++k) x = std::sin(x) + 1.0;
    });
  }
  printf("device changes: %d, %d a worker, %d load threads, JACK server %s\n", changes, per_worker, load_threads,
         name.c_str());
  fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  Totals t;
  while (t.changes < changes && t.workers < 10 * (changes / per_worker + 1))
    RunWorker(std::min(per_worker, changes - t.changes), hang_seconds, t);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  stop = true;
  for (auto& th : load) th.join();
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);

  printf("device changes done: %d in %d workers, %.1f s (%.1f ms a change)\n", t.changes, t.workers, seconds,
         t.changes ? 1000.0 * seconds / t.changes : 0.0);
  printf("libjack lines: %d \"already deallocated\", %d \"ResumeRefNum\"%s%s\n", t.deallocated, t.resume_refnum,
         t.first_jack_line.empty() ? "" : "; the first: ", t.first_jack_line.c_str());
  printf("aborts or crashes: %d%s%s\n", t.died, t.first_death.empty() ? "" : "; the first: ", t.first_death.c_str());
  printf("hangs (no word for %d s): %d\n", hang_seconds, t.hangs);
  printf("sound playing at the end: %d of %d workers\n", t.playing, t.workers);
  const bool clean = t.deallocated + t.resume_refnum + t.died + t.hangs == 0 && t.playing == t.workers;
  return clean ? 0 : 1;
}

int Arg(int argc, char** argv, int i, int fallback) { return argc > i ? std::max(1, atoi(argv[i])) : fallback; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && strcmp(argv[1], "--worker") == 0) return Worker(atoi(argv[2]));
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return Drive(Arg(argc, argv, 1, 2000), Arg(argc, argv, 2, 100), Arg(argc, argv, 3, 2 * std::max(cores, 1)),
               Arg(argc, argv, 4, 60));
}
