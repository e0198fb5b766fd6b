// The in-air menu of the whole program: a returning player on the replay camera, drumming,
// lowers both sticks below the foot line and from the menu starts the metronome at 100 bpm,
// switches the kit and saves a new master volume. Driven through the scene script, watched in
// the UI trace (in-air frames list their menu) and heard on a JACK server of the test's own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>

#include "frame/interface_states.h"
#include "tests/support/program_driver.h"
#include "tests/support/replay_test.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace skyt_test;

constexpr int kRate = 44100, kJackBuffer = 64;

// "Section/Key" to value, of an ini file.
std::map<std::string, std::string> Settings(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(ReadFile(path));
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 1 && line[0] == '[') section = line.substr(1, line.find(']') - 1);
    const size_t eq = line.find('=');
    if (eq == std::string::npos || line[0] == ';') continue;
    const auto trim = [](std::string t) {
      t.erase(0, t.find_first_not_of(' '));
      return t.erase(t.find_last_not_of(' ') + 1);
    };
    keys[section + "/" + trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return keys;
}

// A sound of a recording: its first frame and its peak.
struct Heard {
  int frame, peak;
};

// The sounds of a 16-bit stereo recording: each starts with a sample above the threshold after
// at least 0.2 s below it, or after silence since the start (a sound already playing when the
// recording began is not one).
std::vector<Heard> Sounds(const std::string& wav) {
  const std::string bytes = ReadFile(wav);
  std::vector<Heard> sounds;
  int quiet = 0;
  for (size_t at = 44, frame = 0; at + 4 <= bytes.size(); at += 4, ++frame) {
    int16_t l, r;
    memcpy(&l, &bytes[at], 2);
    memcpy(&r, &bytes[at + 2], 2);
    const int level = std::max(std::abs(l), std::abs(r));
    if (level < 300) {
      ++quiet;
      continue;
    }
    if (quiet >= kRate / 5 || (frame == size_t(quiet) && frame > 0)) sounds.push_back({int(frame), 0});
    if (!sounds.empty()) sounds.back().peak = std::max(sounds.back().peak, level);
    quiet = 0;
  }
  return sounds;
}

std::string Line(const TraceFrame& f, int line) {
  for (const auto& i : f.items)
    if (i.kind == kAirLine && i.id == line) return i.label;
  return "";
}

// The kit a line of the kit page names ("...: NAME."), or "".
std::string KitOn(const TraceFrame& f, int line) {
  const std::string text = Line(f, line);
  const size_t colon = text.find(": ");
  if (colon == std::string::npos || text.back() != '.') return "";
  return text.substr(colon + 2, text.size() - colon - 3);
}

class WholeProgramInAir : public ReplayTest {
 protected:
  WholeProgramInAir() : ReplayTest("inair", true) {}
  void PrepareInstallation() override { settings_ = setup_.install_dir + "/conf/skytapper.cfg"; }
  // The value of the slider of this label once it has stopped moving (-1 when there is none).
  int SettledValue(const std::string& label) {
    int value = -1;
    for (int last = -2, i = 0; i < 20 && value != last; ++i) {
      last = value;
      WaitFrames(trace_, 25);
      frame_ = ReadTrace(trace_);
      const TraceFrame::Item* s = Find(frame_, kAirSlider, label);
      value = s ? s->value : -1;
    }
    return value;
  }
  // Brings the tempo slider of the metronome page to `bpm` with steps small enough that one
  // of them lands on it, checking the value in the trace after each run of steps.
  void SetTempo(int bpm);

  std::string settings_;
};

void WholeProgramInAir::SetTempo(int bpm) {
  const TraceFrame::Item* slider = Find(frame_, kAirSlider, "Tempo");
  ASSERT_NE(slider, nullptr);
  // The band's upper part: below the foot line (y 182) a stick counts as a foot.
  const float y = slider->y + 6.0f;
  float x = slider->x + slider->w * 0.5f;
  // The value moves by |dx| dx 0.04 (max - min) 100 / width a frame: half a beat a step.
  const float dx = std::sqrt(0.5f * slider->w / (0.04f * 200 * 100));
  float per_step = 0.5f;
  int value = slider->value;
  for (int round = 0; round < 10 && value != bpm; ++round) {
    const int steps = std::max(1, int(std::abs(bpm - value) / per_step * 0.8f));
    const float step = bpm > value ? dx : -dx;
    std::ostringstream scene;
    if (round == 0) scene << kAppear;
    scene << "drag " << x << " " << y << " " << step << " " << steps << " 3\n"
          << "hold 12500 40 40 5 " << x + steps * step << " " << y << " 5\n";
    ReplaceFile(scene_, scene.str());
    x += steps * step;
    // The camera plays the steps on the wall clock.
    std::this_thread::sleep_for(std::chrono::milliseconds(8 * 3 * (steps + 2)));
    const int before = value;
    value = SettledValue("Tempo");
    ASSERT_EQ(frame_.state, kMetronome);
    if (value != before) per_step = std::max(0.1f, float(std::abs(value - before)) / steps);
  }
  ASSERT_EQ(value, bpm);
}

}  // namespace

// Drumming, both sticks below the foot line open the menu; the metronome page starts clicks
// at 100 bpm; the kit page applies the next kit; the volume page saves a new master volume.
// The settings file then holds these three changes and nothing else changed.
TEST_F(WholeProgramInAir, MenuSetsMetronomeKitAndVolume) {
  // A returning player who opens the menu with both sticks, graphics as markers only (software
  // GL on the virtual X server draws the camera picture slower than the camera).
  SetSettings({"Never_Ran", "Wants_Startup_Help"}, "false");
  SetSettings({"Use_Old_Style_Menu_Button"}, "no");
  SetSettings({"Graphics_Mode"}, "1");
  const std::map<std::string, std::string> before = Settings(settings_);
  Program program(setup_);
  window_ = WaitForWindow();
  ASSERT_FALSE(window_.empty()) << program.Output();
  ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Drum", false, frame_)) << program.Output();
  Click("Drum");
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program.Output();
  const auto has = [](const std::string& label) {
    return [label](const TraceFrame& f) { return f.Find(label) != nullptr; };
  };
  // Both sticks below the foot line (y 182), both feet in view, until the menu shows (the
  // camera settles first on the drumming page's first start).
  const std::string open_menu = kAppear + "hold 3750 40 200 5 290 200 5 130 232 3.5 250 232 3.5\n";

  // The metronome at 100 bpm, its clicks 0.6 s apart.
  ASSERT_TRUE(Play(open_menu, kPlayMenu, has("Metro-|nome"))) << program.Output();
  ASSERT_TRUE(Press("Metro-|nome", kMetronome, has("Tempo"))) << program.Output();
  SetTempo(100);
  ASSERT_TRUE(Press("Start", kMetronome, has("Stop"))) << program.Output();
  const std::string wav = setup_.install_dir + "/metronome.wav";
  std::vector<std::string> rec = {"jack_rec", "-f", wav, "-d", "3", "-b", "16"};
  const std::vector<std::string> ports = ProgramPorts();
  ASSERT_EQ(ports.size(), 2u) << jack_test::Capture("jack_lsp");
  rec.insert(rec.end(), ports.begin(), ports.end());
  const pid_t recorder = jack_test::Spawn(rec);
  ASSERT_GT(recorder, 0);
  waitpid(recorder, nullptr, 0);
  // The beats: the loudest of the clicks, which all sound alike (eighth notes between them are
  // softer; a menu click that was still sounding is none of them).
  const std::vector<Heard> sounds = Sounds(wav);
  std::map<int, int> peaks;
  for (const Heard& h : sounds) ++peaks[h.peak];
  int beat = 0;
  for (const auto& [peak, count] : peaks)
    if (count >= 3) beat = peak;
  std::vector<int> beats;
  for (const Heard& h : sounds)
    if (h.peak == beat) beats.push_back(h.frame);
  ASSERT_GE(beats.size(), 4u);
  for (size_t i = 1; i < beats.size(); ++i) {
    EXPECT_NEAR(beats[i] - beats[i - 1], kRate * 6 / 10, kJackBuffer) << i;
    printf("Beat %zu after %d frames\n", i, beats[i] - beats[i - 1]);
  }
  ASSERT_TRUE(Press("Done", kPlay)) << program.Output();

  // The next kit of the library, applied.
  ASSERT_TRUE(Play(open_menu, kPlayMenu, has("Drum|kit"))) << program.Output();
  ASSERT_TRUE(Press("Drum|kit", kDrumKits, has("Next"))) << program.Output();
  const std::string first_kit = KitOn(frame_, 0);
  ASSERT_FALSE(first_kit.empty());
  // The kit in use has nothing to apply; another one selected has.
  const auto greyed = [&](const std::string& label) {
    const TraceFrame::Item* b = Find(frame_, kAirButton, label);
    return b ? b->greyed : -1;
  };
  EXPECT_EQ(greyed("Apply"), 1);
  EXPECT_EQ(greyed("Next"), 0);
  const auto another = [&](const TraceFrame& f) { return !KitOn(f, 2).empty() && KitOn(f, 2) != first_kit; };
  ASSERT_TRUE(Press("Next", kDrumKits, another)) << program.Output();
  EXPECT_EQ(greyed("Apply"), 0);
  const std::string kit = KitOn(frame_, 2);
  ASSERT_TRUE(Press("Apply", kDrumKits, [&](const TraceFrame& f) { return KitOn(f, 0) == kit; })) << program.Output();
  ASSERT_TRUE(Press("Done", kPlay)) << program.Output();

  // The master volume, changed and saved.
  ASSERT_TRUE(Play(open_menu, kPlayMenu, has("Sound"))) << program.Output();
  ASSERT_TRUE(Press("Sound", kAdjustVolumes, has("Volume|mixing"))) << program.Output();
  ASSERT_TRUE(Press("Volume|mixing", kAdjustAnyVolume, has("Volume|"))) << program.Output();
  const TraceFrame::Item slider = *Find(frame_, kAirSlider, "Volume|");
  const int x = slider.x + slider.w / 2, y = slider.y + 6;
  ASSERT_TRUE(HoldUntilOpen(x, y)) << program.Output();
  // Steps of a pixel, some 400 / width points each; the stick stays on the slider.
  std::ostringstream drag;
  drag << "drag " << x << " " << y << " 1 3 4\nhold 12500 40 40 5 " << x + 3 << " " << y << " 5\n";
  ReplaceFile(scene_, drag.str());
  ASSERT_TRUE(WaitForTrace(trace_, [&](const TraceFrame& f) {
    const TraceFrame::Item* s = Find(f, kAirSlider, "Volume|");
    return s && s->value != slider.value;
  }, frame_)) << program.Output();
  const int volume = SettledValue("Volume|");
  ASSERT_NE(volume, -1);
  ASSERT_TRUE(Press("Done", kAdjustVolumes, has("Save|changes"))) << program.Output();
  ASSERT_TRUE(Press("Save|changes", kAdjustVolumes, [](const TraceFrame& f) { return Line(f, 3) == "Saved changes."; }))
      << program.Output();
  ASSERT_TRUE(Press("Done", kPlay)) << program.Output();
  EXPECT_EQ(EscUntilExit(program, window_), 0) << program.Output();

  std::map<std::string, std::string> expected = before;
  expected["Session/Metronome_Tempo"] = "100";
  expected["Session/Last_Drumkit"] = kit;
  expected["Sound/Master_Volume"] = std::to_string(volume);
  expected["Webcam/Threshold"] = "115";  // the start-up migrations' lamp setting
  const std::map<std::string, std::string> after = Settings(settings_);
  for (const auto& [key, value] : expected) EXPECT_EQ(after.count(key) ? after.at(key) : "(missing)", value) << key;
}
