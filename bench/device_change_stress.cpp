// Device changes on a busy machine: JACK dummy servers of this run's own, threads that keep
// every core busy, and worker processes that change the audio device again and again through
// Sound::ReinitDevice as the latency screen's Apply (with its Test sound playing, and devices
// that refuse so that the fallbacks run) and the MIDI screen's switch do. Prints how many
// changes were made, the JACK client library's lines about freed state, the workers that died
// (an abort or a crash) or stopped answering (a hang), and whether the sound still played at
// the end of each worker.
//
//   device_change_stress [CHANGES [PER_WORKER [LANES [LOAD_THREADS [HANG_SECONDS]]]]]
//
// 2000 changes, 100 a worker, 3 lanes side by side (each with its own server and one worker at
// a time: servers side by side are what makes the JACK library's faults show on a busy
// machine), as many load threads as cores and 60 seconds by default. A worker is this program
// started again with --worker; it prints "change N" after each change, "playing" or "silent" at
// the end, and the JACK library's every error line on stderr.
#include <dlfcn.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sound/embedded_sounds.h"
#include "sound/sound.h"
#include "tests/sound/refused_opens.h"
#include "tests/support/child_process.h"

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
  int refused;  // opens the device refuses
};

// Apply with each stream type and buffer size, a manual device, no output, devices that refuse
// (each fallback in turn, and nothing opening at all), and the MIDI screen's switch (into MIDI
// only: the plain stream with 256 frames; back: the stored settings).
const Change kChanges[] = {
    {Audio::kLowLatencyStream, 64, false, true, 0},      {Audio::kPlainStream, 256, false, false, 0},
    {Audio::kLowLatencyStream, 128, false, false, 0},    {Audio::kPlainStream, 32, true, true, 1},
    {Audio::kFirstFallbackStream, 512, false, false, 0}, {Audio::kNoOutput, 64, false, true, 0},
    {Audio::kLastFallbackStream, 256, false, false, 0},  {Audio::kLowLatencyStream, 16, true, true, 2},
    {Audio::kLowLatencyStream, 64, false, false, 3},     {Audio::kPlainStream, 256, false, false, 0},
};

int Worker(int changes) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  setvbuf(stderr, nullptr, _IOLBF, 0);
  in_worker = true;
  default_printer = jack_error_callback;
  jack_set_error_function(default_printer);
  Sound sound;
  // The latency screen's Test after each Apply, through the reverb, still sounding at the next
  // change.
  sound.LoadEmbeddedSample(sound.latency_test_sound, latency_test_wav_data, 5);
  sound.audio.SetReverbAmount(0.5f);
  for (int i = 0; i < changes; ++i) {
    const Change& c = kChanges[i % (sizeof kChanges / sizeof kChanges[0])];
    if (c.lists) {
      std::map<int, std::string> names;
      sound.GetAudioDeviceNames(names);
    }
    const int index = c.manual ? sound.GetAudioDeviceIndex() : (c.type == Audio::kNoOutput ? -2 : -1);
    refused_opens = c.refused;
    sound.ReinitDevice(c.type, c.frames, index);
    refused_opens = 0;
    sound.audio.StartSound(sound.latency_test_sound, 0.5f, 0.0f, true, 0.0f, true);
    printf("change %d\n", i + 1);
  }
  const bool opened = sound.ReinitDevice(Audio::kLowLatencyStream, 64, -1);
  const int64_t before = sound.audio.GetSampleCounter();
  usleep(300000);
  if (sound.audio.GetSampleCounter() > before) printf("playing\n");
  else printf("silent (opened %d, type %d, running %d)\n", opened, sound.audio.GetDeviceType(), sound.audio.IsStreamRunning());
  sound.CleanUp();
  return 0;
}

// ------------------------------------------------------------------------------------------
// The driver.

// No server or worker outlives the run.
pid_t Start(const std::vector<std::string>& args, int out_fd) { return skyt_test::StartChild(args, out_fd, SIGTERM); }

struct Totals {
  std::mutex mutex;
  int changes = 0, workers = 0, deallocated = 0, resume_refnum = 0, died = 0, hangs = 0, playing = 0;
  std::string first_jack_line, first_death;
};

struct WorkerCount {
  int changes = 0, deallocated = 0, resume_refnum = 0;
  bool playing = false;
  std::string first_jack_line;
};

void CountLine(const std::string& line, WorkerCount& w) {
  if (line.rfind("change ", 0) == 0) ++w.changes;
  if (line == "playing") w.playing = true;
  if (line.rfind("silent", 0) == 0) fprintf(stderr, "a worker ended %s\n", line.c_str());
  const bool freed = line.find("already deallocated") != std::string::npos;
  const bool resume = line.find("ResumeRefNum") != std::string::npos;
  w.deallocated += freed;
  w.resume_refnum += resume;
  if ((freed || resume) && w.first_jack_line.empty())
    w.first_jack_line = line + " (after change " + std::to_string(w.changes) + " of its worker)";
}

// Runs one worker to its end, counting what it prints; a worker silent for `hang_seconds` is a
// hang and is killed.
void RunWorker(const std::string& server, int changes, int hang_seconds, Totals& t) {
  int fds[2];
  if (pipe(fds) != 0) return;
  const pid_t pid = Start({"/proc/self/exe", "--worker", std::to_string(changes), server}, fds[1]);
  close(fds[1]);
  WorkerCount w;
  std::string pending;
  bool hung = false;
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, hang_seconds * 1000) == 0) {
      hung = true;
      kill(pid, SIGKILL);
      break;
    }
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    pending.append(buf, static_cast<size_t>(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
      CountLine(pending.substr(0, end), w);
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  std::lock_guard<std::mutex> lock(t.mutex);
  ++t.workers;
  t.changes += w.changes;
  t.deallocated += w.deallocated;
  t.resume_refnum += w.resume_refnum;
  t.playing += w.playing;
  if (t.first_jack_line.empty()) t.first_jack_line = w.first_jack_line;
  if (hung) {
    ++t.hangs;
  } else if (WIFSIGNALED(status)) {
    ++t.died;
    if (t.first_death.empty()) t.first_death = strsignal(WTERMSIG(status));
  }
}

bool ServerReady() {
  jack_status_t status;
  jack_client_t* probe = jack_client_open("stress_probe", JackNoStartServer, &status);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}

// A JACK dummy server of the run's own; -1 when it did not start.
pid_t StartServer(const std::string& name) {
  const int null_fd = open("/dev/null", O_WRONLY);
  const pid_t server = Start({"jackd", "-n", name, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "64"}, null_fd);
  close(null_fd);
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  for (int i = 0; i < 100; ++i) {
    usleep(50000);
    if (ServerReady()) return server;
  }
  fprintf(stderr, "the JACK server %s did not start (is jackd installed?)\n", name.c_str());
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return -1;
}

void Quiet(const char*) {}

struct Run {
  int changes, per_worker, lanes, load_threads, hang_seconds;
};

int Drive(const Run& run) {
  setenv("JACK_NO_START_SERVER", "1", 1);
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  std::vector<std::string> names;
  std::vector<pid_t> servers;
  for (int lane = 0; lane < run.lanes; ++lane) {
    names.push_back("skyt_stress_" + std::to_string(getpid()) + "_" + std::to_string(lane));
    servers.push_back(StartServer(names.back()));
    if (servers.back() < 0) return 1;
  }
  std::atomic<bool> stop{false};
  std::vector<std::thread> load;
  for (int i = 0; i < run.load_threads; ++i) {
    load.emplace_back([&stop, i] {
      volatile double x = i;
      while (!stop.load(std::memory_order_relaxed))
        for (int k = 0; k < 100000; ++k) x = std::sin(x) + 1.0;
    });
  }
  printf("device changes: %d, %d a worker, %d lanes (a JACK server each), %d load threads\n", run.changes,
         run.per_worker, run.lanes, run.load_threads);
  fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  Totals t;
  std::atomic<int> handed_out{0};
  std::vector<std::thread> lanes;
  for (int lane = 0; lane < run.lanes; ++lane) {
    lanes.emplace_back([&, lane] {
      for (;;) {
        const int first = handed_out.fetch_add(run.per_worker);
        if (first >= run.changes) break;
        RunWorker(names[lane], std::min(run.per_worker, run.changes - first), run.hang_seconds, t);
      }
    });
  }
  for (auto& th : lanes) th.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  stop = true;
  for (auto& th : load) th.join();
  for (pid_t server : servers) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }

  printf("device changes done: %d in %d workers, %.1f s (%.1f ms a change in a lane)\n", t.changes, t.workers,
         seconds, t.changes ? 1000.0 * seconds * run.lanes / t.changes : 0.0);
  printf("libjack lines: %d \"already deallocated\", %d \"ResumeRefNum\"%s%s\n", t.deallocated, t.resume_refnum,
         t.first_jack_line.empty() ? "" : "; the first: ", t.first_jack_line.c_str());
  printf("aborts or crashes: %d%s%s\n", t.died, t.first_death.empty() ? "" : "; the first: ", t.first_death.c_str());
  printf("hangs (no word for %d s): %d\n", run.hang_seconds, t.hangs);
  printf("sound playing at the end: %d of %d workers\n", t.playing, t.workers);
  const bool clean = t.deallocated + t.resume_refnum + t.died + t.hangs == 0 && t.playing == t.workers;
  return clean ? 0 : 1;
}

int Arg(int argc, char** argv, int i, int fallback) { return argc > i ? std::max(1, atoi(argv[i])) : fallback; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && strcmp(argv[1], "--worker") == 0) {
    setenv("JACK_DEFAULT_SERVER", argv[3], 1);
    return Worker(atoi(argv[2]));
  }
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  return Drive({Arg(argc, argv, 1, 2000), Arg(argc, argv, 2, 100), Arg(argc, argv, 3, 3), Arg(argc, argv, 4, cores),
                Arg(argc, argv, 5, 60)});
}
