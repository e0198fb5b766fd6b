// The whole program played at random for a while on the replay camera and a JACK server of its
// own: strokes on the kit's drums, rests, both sticks lowered for the in-air menu, in-air
// buttons pressed, screens opened and closed, graphics modes cycled, a viewer connecting and dropping.
// Afterwards: no crash and no sanitizer report, resident memory flat after the first minute,
// every settings, kit and MIDI map file as it was or saved whole, and the latency from a
// frame's last transfer to the voices its hits started.
//   SKYTAPPER_SOAK_SECONDS  how long to play (20 by default)
//   SKYTAPPER_SOAK_SEED     the random seed (printed; a fresh one by default)
// Writes soak_rss.txt (seconds, kB) and soak_latency.txt (microseconds, graphics mode) in its
// installation folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "sound/sample_memory.h"
#include "tests/support/program_driver.h"
#include "tests/support/replay_test.h"
#include "tests/support/test_dirs.h"
#include "tests/support/viewer_probe.h"

namespace {

using namespace skyt_test;
using Clock = std::chrono::steady_clock;

const char* const kScreens[] = {"Drum kits", "Playlist", "Recordings", "Latency", "MIDI", "Preferences", "Help"};
const char* const kCloseLabels[] = {"Cancel", "Close", "Ok"};
// Where a right-handed player's in-air pages put their two rows of three buttons (camera pixels)
// with the first kit.
constexpr float kButtonPlaces[][2] = {{120, 140}, {170, 140}, {220, 140}, {120, 90}, {170, 90}, {220, 90}};
// How far the floor of resident memory may rise after the first minute: the buffers freed
// element samples keep for the next kit load, and a few MB. The sanitizer's allocator keeps
// freed blocks in quarantine and per-size caches besides, which raise its floor by a few tens
// of MB over ten minutes.
constexpr long kKeptKb = long(SampleMemory::kKeptBytes >> 10);
#ifdef __SANITIZE_ADDRESS__
constexpr long kFlatKb = kKeptKb + 48 * 1024;
#else
constexpr long kFlatKb = kKeptKb + 8 * 1024;
#endif
constexpr const char* kSanitizerReports[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                                             "WARNING: ThreadSanitizer"};

int EnvInt(const char* name, int fallback) {
  const char* v = getenv(name);
  return v && *v ? atoi(v) : fallback;
}

// Resident memory in kB; 0 once the process has ended.
long RssKb(pid_t pid) {
  std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return atol(line.c_str() + 6);
  return 0;
}

// Every file under the folder with its bytes.
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().string()] = ReadFile(e.path().string());
  return files;
}

// "section/key" of every entry the program's reader finds in the INI text (read from `path`).
std::set<std::string> Keys(const std::string& text, const std::string& path) {
  WriteFile(path, text);
  std::set<std::string> keys;
  IniFile ini;
  if (!ini.Init(path)) return keys;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != '[' || line.find(']') == std::string::npos) continue;
    const std::string section = line.substr(1, line.find(']') - 1);
    std::vector<std::pair<std::string, std::string>> entries;
    ini.GetSection(section, entries);
    for (const auto& [key, value] : entries) keys.insert(section + "/" + key);
  }
  return keys;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * v.size()))];
}

// The hand drums of a kit file: "X Y R" each.
std::vector<std::string> HandDrums(const std::string& kit) {
  IniFile ini;
  std::vector<std::string> drums;
  if (!ini.Init(kit)) return drums;
  for (int i = 0; i < 32; ++i) {
    const std::string d = "Drum" + std::to_string(i) + ".";
    float x, y, size;
    if (ini.GetFloat("Drumkit calibration", d + "x", x) && ini.GetFloat("Drumkit calibration", d + "y", y) &&
        ini.GetFloat("Drumkit calibration", d + "size", size) && size > 0)
      drums.push_back(std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(size));
  }
  return drums;
}

// Writes the curve (seconds, kB) to the file and prints it every half minute. Flat: a kit or
// a page loaded comes and goes, a leak raises the floor; the lowest of the last quarter
// against the lowest of the second minute.
void ExpectMemoryFlat(const std::vector<std::pair<int, long>>& rss, int seconds, const std::string& path) {
  std::string curve;
  for (const auto& [at, kb] : rss) curve += std::to_string(at) + " " + std::to_string(kb) + "\n";
  WriteFile(path, curve);
  printf("resident memory (s kB):\n");
  for (size_t i = 0, shown = 0; i < rss.size(); ++i)
    if (i == 0 || i + 1 == rss.size() || rss[i].first >= rss[shown].first + 30)
      printf("  %4d %ld\n", rss[shown = i].first, rss[i].second);
  auto floor = [&](int from, int to) {
    long low = LONG_MAX;
    for (const auto& [at, kb] : rss)
      if (at >= from && at < to) low = std::min(low, kb);
    return low;
  };
  if (seconds >= 240) {
    EXPECT_LT(floor(seconds * 3 / 4, INT_MAX) - floor(60, 120), kFlatKb) << "resident memory grew";
  }
}

// Kits and the settings may be saved on purpose (an adjusted drum, a volume, the last kit),
// whole; nothing saves a MIDI map; no file comes or goes.
void ExpectSavedWhole(const std::map<std::string, std::string>& before,
                      const std::map<std::string, std::string>& after, const std::string& scratch) {
  std::set<std::string> names_before, names_after;
  for (const auto& [path, bytes] : before) names_before.insert(path);
  for (const auto& [path, bytes] : after) names_after.insert(path);
  EXPECT_EQ(names_before, names_after);
  for (const auto& [path, bytes] : before) {
    if (!after.count(path) || after.at(path) == bytes) continue;
    printf("saved: %s\n", path.c_str());
    EXPECT_EQ(path.find("/midi-maps/"), std::string::npos) << path;
    EXPECT_EQ(Keys(after.at(path), scratch), Keys(bytes, scratch)) << path;
  }
}

// Prints the median and the 99th percentile of the latency log, by graphics mode (-1: all):
// the main thread takes a frame between drawing the last one and the next, so drawing adds to
// the latency. Returns the number of voices logged.
size_t ReportLatency(const std::string& log) {
  std::map<int, std::vector<double>> latency;
  std::istringstream lines(log);
  for (double micros; lines >> micros;) {
    int mode = 0;
    lines >> mode;
    latency[-1].push_back(micros);
    latency[mode].push_back(micros);
  }
  printf("latency from a frame's last transfer to a voice of its hit (us):\n");
  for (const auto& [mode, v] : latency)
    printf("  graphics mode %2d: %4zu voices, median %6.0f, p99 %6.0f\n", mode, v.size(), Percentile(v, 0.5),
           Percentile(v, 0.99));
  return latency[-1].size();
}

class WholeProgramSoak : public ReplayTest {
 protected:
  WholeProgramSoak() : ReplayTest("soak") {}
  void PrepareInstallation() override {
    latency_ = setup_.install_dir + "/soak_latency.txt";
    replay_log_ = setup_.install_dir + "/replay_log.txt";
    SetEnv("SKYTAPPER_LATENCY_LOG", latency_);
    SetEnv("SKYTAPPER_REPLAY_LOG", replay_log_);
    // A returning player, whose in-air menu opens with both sticks lowered.
    SetSettings({"Never_Ran", "Wants_Startup_Help", "Use_Old_Style_Menu_Button"}, "false");
  }

  // Plays the script on the camera and waits until its frames have been sent (a busy program
  // holds them back; the camera's send log starts afresh with each script), at most 2 s longer.
  void Show(const std::string& script, int frames) {
    ReplaceFile(scene_, script);
    std::this_thread::sleep_for(std::chrono::milliseconds(8 * frames + 100));
    for (int i = 0; i < 20; ++i) {
      const std::string sent = ReadFile(replay_log_);
      if (std::count(sent.begin(), sent.end(), '\n') >= frames) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  void ClickIfShown(const TraceFrame& frame, const std::string& label) {
    if (const auto* w = frame.Find(label)) ClickOn(window_, trace_, *w);
  }
  void KeyAndWait(const char* key) {
    Key(key);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  // Drumming with graphics off or markers only, and any in-air page while a viewer shows it,
  // draw no frame of the trace: its last frame is then stale.
  bool TraceIsCurrent() const {
    const auto age = std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time(trace_);
    return age < std::chrono::seconds(1);
  }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  float Between(float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng_); }

  void PlayInAir(int state);
  void VisitScreens(const TraceFrame& frame);
  void ViewerVisit();
  bool BackToMainScreen();

  std::string latency_, replay_log_;
  std::mt19937 rng_;
  std::vector<std::string> drums_;
  int viewer_connects_ = 0;
  std::map<int, int> states_seen_;
};

void WholeProgramSoak::PlayInAir(int state) {
  switch (Pick(10)) {
    case 0: case 1: case 2: case 3: {  // strokes on a drum, slow to fast
      const std::string& d = drums_[Pick(int(drums_.size()))];
      const int count = 1 + Pick(6), down = 3 + Pick(10);
      Show("hold 40 40 40 5 " + d + "\nstrokes " + d + " " + std::to_string(count) + " " + std::to_string(down) +
               "\nrest 10\n",
           50 + count * (29 + down));
      break;
    }
    case 4:
      if (state == kPlay) {  // both sticks lowered below the foot line, both feet in view: the menu
        std::string script = "rest 125\n";
        for (int y = 40; y < 205; ++y) {
          const std::string at = std::to_string(y);
          script += "hold 1 40 " + at + " 5 290 " + at + " 5 130 232 3.5 250 232 3.5\n";
        }
        Show(script + "hold 60 40 205 5 290 205 5 130 232 3.5 250 232 3.5\nrest 10\n", 125 + 165 + 70);
        break;
      }
      [[fallthrough]];
    case 5: case 6: {  // an in-air button: where the pages put theirs, or anywhere
      float x = Between(40, 280), y = Between(40, 200);
      if (Pick(3) != 0) {
        const auto& place = kButtonPlaces[Pick(std::size(kButtonPlaces))];
        x = place[0] + Between(-4, 4), y = place[1] + Between(-4, 4);
      }
      // The stick rests on it first: some buttons answer only once activated.
      const std::string at = std::to_string(x) + " " + std::to_string(y) + " 5";
      Show("hold 100 40 40 5 " + at + "\npress " + at + "\nrest 10\n", 140);
      break;
    }
      break;
    case 7: {
      const int frames = 30 + Pick(120);
      Show("rest " + std::to_string(frames) + "\n", frames);
      break;
    }
    case 8: KeyAndWait("ctrl+g"); break;  // the next graphics mode
    default: KeyAndWait("space"); break;  // back to the main screen
  }
}

void WholeProgramSoak::VisitScreens(const TraceFrame& frame) {
  if (frame.state == kMainScreen) {
    ClickIfShown(frame, Pick(3) == 0 ? "Drum" : kScreens[Pick(std::size(kScreens))]);
  } else {
    for (const char* label : kCloseLabels)
      if (frame.Find(label)) return ClickIfShown(frame, label);
  }
  WaitFrames(trace_, 5);
}

// A viewer connects, takes what the program sends for a while, and is killed. While it is
// connected the in-air pages are its to show, and the program's window shows nothing.
void WholeProgramSoak::ViewerVisit() {
  const int base = setup_.viewer_port;
  ViewerProbe probe({base, base + 1, base + 2, base + 3},
                    [] { std::this_thread::sleep_for(std::chrono::milliseconds(8)); });
  if (!probe.Connect()) return;
  ++viewer_connects_;
  probe.Run(25 + Pick(350));
  probe.Kill();
}

bool WholeProgramSoak::BackToMainScreen() {
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const TraceFrame frame = ReadTrace(trace_);
    if (!TraceIsCurrent() || frame.state >= kFirstInAirState) KeyAndWait("space");
    else if (frame.state == kMainScreen && frame.Find("Drum")) return true;
    else VisitScreens(frame);
  }
  return false;
}

}  // namespace

TEST_F(WholeProgramSoak, RandomPlayingLeavesMemoryAndFilesAsTheyWere) {
  const int seconds = EnvInt("SKYTAPPER_SOAK_SECONDS", 20);
  const unsigned seed = unsigned(EnvInt("SKYTAPPER_SOAK_SEED", int(std::random_device{}() & 0x7fffffff)));
  printf("soak: %d s, seed %u (SKYTAPPER_SOAK_SEED=%u repeats it)\n", seconds, seed, seed);
  rng_.seed(seed);

  Program program(setup_);
  window_ = WaitForWindow();
  ASSERT_FALSE(window_.empty()) << program.Output();
  TraceFrame frame;
  ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Drum", false, frame)) << program.Output();
  // The first start has written the preset kits and maps.
  const std::string conf = setup_.install_dir + "/conf";
  const std::map<std::string, std::string> before = Files(conf);
  drums_ = HandDrums(conf + "/drumkits/A__My_First_Skytapper_Kit__RH_.ini");
  ASSERT_FALSE(drums_.empty());

  std::vector<std::pair<int, long>> rss;  // seconds, kB
  const auto start = Clock::now(), end = start + std::chrono::seconds(seconds);
  auto elapsed = [&] { return int(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count()); };
  while (Clock::now() < end) {
    if (rss.empty() || elapsed() >= rss.back().first + 5) rss.push_back({elapsed(), RssKb(program.Pid())});
    ASSERT_GT(rss.back().second, 0) << "the program ended after " << elapsed() << " s\n" << program.Output();
    if (Pick(8) == 0) ViewerVisit();
    frame = ReadTrace(trace_);
    if (!TraceIsCurrent()) frame.state = kPlay;  // the drumming page, undrawn
    ++states_seen_[frame.state];
    if (frame.state == kWizard) Show("dark 125\n", 125);  // the lighting check passes on a clean scene
    else if (frame.state >= kFirstInAirState) PlayInAir(frame.state);
    else VisitScreens(frame);
  }
  ASSERT_TRUE(BackToMainScreen()) << program.Output();
  EXPECT_EQ(EscUntilExit(program, window_), 0) << program.Output();

  const std::string output = program.Output();
  for (const char* report : kSanitizerReports) EXPECT_EQ(output.find(report), std::string::npos) << output;

  ExpectMemoryFlat(rss, seconds, setup_.install_dir + "/soak_rss.txt");
  ExpectSavedWhole(before, Files(conf), setup_.install_dir + "/keys.ini");
  const size_t voices = ReportLatency(ReadFile(latency_));
  printf("viewer connections: %d; steps per state:", viewer_connects_);
  for (const auto& [state, count] : states_seen_) printf(" %d:%d", state, count);
  printf("\n");
  // A short run may never come to drumming, nor sound a stroke with graphics on a slow display.
  if (seconds >= 240) {
    EXPECT_GT(voices, 0u) << "no stroke sounded";
  }
}
