// The whole program as a player meets it: a fresh installation, the replay camera in place of
// the PS3 Eye (skytapper_replay, its scenes scripted by the test), a JACK server with the dummy
// driver as the sound card, scripted dialogs, clicks by xdotool and the UI trace to watch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <sstream>

#include "frame/interface_states.h"
#include "tests/sound/jack_recorder.h"
#include "tests/support/onsets.h"
#include "tests/support/program_driver.h"
#include "tests/support/replay_test.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace skyt_test;

constexpr double kFrameSeconds = 0.008;

// The loudest sample of either channel in the 20 ms from `frame` on, of a 16-bit stereo WAV
// file with a 44-byte header (as the recorder writes it).
int Peak(const std::string& wav, int frame) {
  int peak = 0;
  const size_t end = std::min(wav.size(), 44 + 4 * size_t(frame + kWavRate / 50));
  for (size_t at = 44 + 4 * size_t(frame); at + 2 <= end; at += 2) {
    int16_t v;
    memcpy(&v, &wav[at], 2);
    peak = std::max(peak, std::abs(int(v)));
  }
  return peak;
}

// A scene script written line by line, keeping the frames of each stroke's hit: where the
// stick stops, and the first frame that shows it stopped (the next one; for a fall of fewer
// than five frames a frame later, the hit detector wanting five frames since the stick turned
// down).
struct Pattern {
  std::string text;
  int frames = 0;
  struct Stroke {
    std::string drum;
    int hit_frame, seen_frame, down;
    bool audible;
  };
  std::vector<Stroke> strokes;

  void Line(const std::string& line, int length) {
    text += line + "\n";
    frames += length;
  }
  // One stroke on a drum at "X Y R", falling `height` pixels in `down` frames (the hit on the
  // last falling frame, after 10 frames of rest, 20 up and 3 at the top).
  void Add(const std::string& drum, int down, float height = 40) {
    const int hit = frames + 10 + 23 + down - 1;
    strokes.push_back({drum, hit, hit + 1 + std::max(0, 5 - down), down, height >= 10});
    Line("strike " + drum + " " + std::to_string(height) + " " + std::to_string(down), 49 + down);
  }
};

// Frame index to send time (CLOCK_MONOTONIC seconds) from the replay's log.
std::map<int, double> SendTimes(const std::string& log) {
  std::map<int, double> times;
  std::istringstream lines(ReadFile(log));
  int index;
  long long nanos;
  while (lines >> index >> nanos) times[index] = nanos * 1e-9;
  return times;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A calibration value of the kit file ("Drum0.x"), NaN when absent.
double KitValue(const std::string& kit, const std::string& key) {
  const size_t at = kit.find("\n" + key + " = ");
  return at == std::string::npos ? NAN : atof(kit.c_str() + at + key.size() + 4);
}

// The hits sent and the sounds heard, in seconds from the first hit, to tell which went astray.
std::string Timeline(const jack_test::JackRecorder& recorder, const std::vector<int>& onsets,
                     const std::map<int, double>& sent,
                     const std::vector<Pattern::Stroke>& strokes) {
  const double first = strokes.empty() ? 0 : sent.at(strokes[0].hit_frame);
  std::ostringstream out;
  out << "hits:";
  for (const Pattern::Stroke& s : strokes) out << " " << sent.at(s.hit_frame) - first;
  out << "\nsounds:";
  for (int onset : onsets) out << " " << recorder.Millis(onset) * 1e-3 - first;
  return out.str();
}

// From the sending of the frame that shows a hit to the server cycle that played its sound:
// the same for every stroke, give or take 15 ms, unless the server stalled before that cycle
// (then the sound may have been ready at any time since the cycle before) or the program was
// late with that frame (it was sent the next but one frame only when the program had taken
// the next: that much later than due, the sound may be too).
void ExpectOnTime(const jack_test::JackRecorder& recorder, const std::string& wav, const std::vector<int>& onsets,
                  const std::vector<Pattern::Stroke>& strokes, const std::map<int, double>& sent) {
  constexpr double kTolerance = 0.015;
  struct Span {
    double before, at;  // the cycle before the sound's and its own, from the hit's showing
  };
  std::vector<Span> spans;
  std::vector<double> latencies, from_hit, late;
  for (size_t i = 0; i < strokes.size(); ++i) {
    const double at = recorder.Millis(onsets[i]) * 1e-3, seen = sent.at(strokes[i].seen_frame);
    spans.push_back({at - recorder.LagMillis(onsets[i]) * 1e-3 - seen, at - seen});
    latencies.push_back(at - seen);
    from_hit.push_back(at - sent.at(strokes[i].hit_frame));
    late.push_back(std::max(0.0, sent.at(strokes[i].seen_frame + 2) - seen - 2 * kFrameSeconds));
  }
  const double latency = Median(latencies);
  for (size_t i = 0; i < strokes.size(); ++i) {
    EXPECT_LT(spans[i].before, latency + kTolerance + late[i]) << "stroke " << i;
    EXPECT_GT(spans[i].at, latency - kTolerance) << "stroke " << i;
    printf("stroke %zu, %d frames down: %+.1f ms (%+.1f ms at the cycle before, program %.1f ms late), peak %d\n", i,
           strokes[i].down, (spans[i].at - latency) * 1e3, (spans[i].before - latency) * 1e3, late[i] * 1e3,
           Peak(wav, onsets[i]));
  }
  printf("to the sound, median: %.1f ms from the frame showing the hit, %.1f ms from the hit's\n", latency * 1e3,
         Median(from_hit) * 1e3);
}

// The faster a stroke on the drum falls, the louder its sound starts.
void ExpectLouderWhenFaster(const std::string& wav, const std::vector<int>& onsets,
                            const std::vector<Pattern::Stroke>& strokes, const std::string& drum) {
  std::map<int, std::vector<double>> peaks;  // by falling frames
  for (size_t i = 0; i < strokes.size(); ++i)
    if (strokes[i].drum == drum) peaks[strokes[i].down].push_back(Peak(wav, onsets[i]));
  ASSERT_GE(peaks.size(), 2u);
  for (auto faster = peaks.begin(), slower = std::next(faster); slower != peaks.end(); ++faster, ++slower)
    EXPECT_GT(Median(faster->second), Median(slower->second)) << faster->first << " against " << slower->first;
}

class WholeProgramReplay : public ReplayTest {
 protected:
  WholeProgramReplay() : ReplayTest("replay") {}
  void PrepareInstallation() override {
    sent_ = setup_.install_dir + "/sent.txt";
    SetEnv("SKYTAPPER_REPLAY_LOG", sent_);
  }
  // Help, the audio set-up applied on the JACK server, the main screen with the camera found.
  void FirstStartToMainScreen(const Program& program) {
    ASSERT_TRUE(WaitForWidget(trace_, kHelpScreen, "Next", false, frame_)) << program.Output();
    Click("Next");
    ASSERT_TRUE(WaitForWidget(trace_, kHelpScreen, "Configure audio", false, frame_)) << program.Output();
    Click("Configure audio");
    ASSERT_TRUE(WaitForWidget(trace_, kLatencyScreen, "Apply", false, frame_)) << program.Output();
    Click("Apply");
    ASSERT_TRUE(WaitForWidget(trace_, kLatencyScreen, "Finish", false, frame_)) << program.Output();
    Click("Finish");
    ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Setup", false, frame_)) << program.Output();
    EXPECT_EQ(frame_.Find("Camera not found. Please exit Skytapper, plug the camera and"), nullptr);
  }
  // Setup, then the wizard's pages (which trace no widgets: their buttons are where its layout
  // puts them): where to drum, the camera page's form (right hand, no stand), the seat page,
  // the lighting check on the clean scene, drumming.
  void WizardToDrumming(const Program& program) {
    Click("Setup");
    ASSERT_TRUE(WaitForState(trace_, kWizard)) << program.Output();
    const int w = WindowWidth(), h = WindowHeight();
    const int next_x = int(0.25 * w), next_y = int(0.16 * h), form_x = int(0.4 * w), form_y = int(0.6 * h);
    ClickAt(next_x, next_y, 104, 50);  // where to drum: Next
    WaitFrames(trace_, 60);            // the form fades in
    ClickAt(form_x, form_y - 35, 24, 24);    // right hand
    ClickAt(form_x, form_y - 190, 24, 24);   // no camera stand
    ClickAt(form_x, form_y - 240, 180, 40);  // the form's Next
    ClickAt(next_x, next_y, 104, 50);        // the camera page's Next
    WaitFrames(trace_, 70);                  // Done shows from the seat page's 61st frame
    ClickAt(next_x, next_y, 104, 50);
    ASSERT_TRUE(WaitForState(trace_, kPlay)) << program.Output();
    EXPECT_EQ(ReadFile(setup_.install_dir + "/conf/skytapper.cfg").find("Never_Ran = true"), std::string::npos);
  }
  // From drumming through the in-air menus (once the camera has settled for 198 frames after
  // the lighting check): the menu button (activated, then struck), Kits, Adjust drums twice
  // (the preset is copied to a kit of the player's), Place all drums twice; the wizard asks
  // for snare and hi-hat by stick, kick and hi-hat pedal by foot; then Save changes and Done.
  void PlaceDrums(const Program& program, const std::string& snare, const std::string& hihat, int kick_x,
                  int pedal_x) {
    const struct {
      std::string script;
      int frames, state;
    } steps[] = {{"rest 230\nhold 70 40 40 5 120 175 5\npress 120 175 5", 230 + 70 + 30, kPlayMenu},
                 {"rest 30\npress 220 140 5", 60, kDrumKits},
                 {"rest 30\npress 220 140 5\nrest 30\npress 220 140 5", 120, kAdjustDrums},
                 {"rest 30\npress 220 90 5\nrest 30\npress 220 90 5", 120, kWizard},
                 {"rest 30\nstrike " + snare + " 40 6\nstrike " + hihat + " 40 6\ntap " + std::to_string(kick_x) +
                      "\ntap " + std::to_string(pedal_x),
                  30 + 2 * 55 + 2 * 13, kAdjustDrums},
                 {"rest 30\npress 170 140 5\nrest 30\npress 120 140 5", 120, kPlay}};
    for (const auto& step : steps) {
      Pattern script;
      script.Line(step.script, step.frames);
      ASSERT_TRUE(Play(script)) << step.script;
      ASSERT_TRUE(WaitForState(trace_, step.state)) << step.script << "\n" << program.Output();
    }
  }
  // Ctrl+g, as often as asked: each a simpler graphics mode.
  void GraphicsDown(int times) {
    for (int i = 0; i < times; ++i) Key("ctrl+g");
  }
  // Clicks the middle of a w x h widget whose top left corner is (x, y), y up from the
  // window's bottom (the pages that trace no widgets).
  void ClickAt(int x, int y, int w, int h) {
    ClickOn(window_, trace_, {0, 0, x, y - WindowHeight() + 720, w, h, 0, ""});
    WaitFrames(trace_, 5);
  }
  int WindowHeight() {
    const std::string geometry = Xdo({"getwindowgeometry", "--shell", window_});
    const size_t at = geometry.find("HEIGHT=");
    return at == std::string::npos ? 720 : atoi(geometry.c_str() + at + 7);
  }
  int WindowWidth() {
    const std::string geometry = Xdo({"getwindowgeometry", "--shell", window_});
    const size_t at = geometry.find("WIDTH=");
    return at == std::string::npos ? 1280 : atoi(geometry.c_str() + at + 6);
  }
  // Plays a scene script and waits until the replay has sent its last frame (its log starts
  // afresh with the script).
  bool Play(const Pattern& script) {
    unlink(sent_.c_str());
    ReplaceFile(scene_, script.text);
    for (int i = 0; i < 600; ++i) {
      if (SendTimes(sent_).count(script.frames - 1)) return true;
      usleep(100000);
    }
    return false;
  }

  std::string sent_;
};

}  // namespace

// A new player's first start: help, audio set-up, main screen, the set-up wizard into
// drumming, the kit placed anew by strokes from the in-air menus and saved; then a pattern on
// the placed drums: each stroke fast enough sounds once, on time and the louder the faster; a
// stroke too slow sounds not.
TEST_F(WholeProgramReplay, FirstStartPlacesTheKitAndPlaysAPattern) {
  Program program(setup_);
  window_ = WaitForWindow();
  ASSERT_FALSE(window_.empty()) << program.Output();
  ASSERT_NO_FATAL_FAILURE(FirstStartToMainScreen(program));
  ASSERT_NO_FATAL_FAILURE(WizardToDrumming(program));
  // Software GL on the virtual X server draws slower than the camera: graphics down to the
  // markers only for the menus, then off, as the program asks a player with a slow graphics
  // card to do (Ctrl+g); the menu button does not work without graphics.
  GraphicsDown(3);
  const std::string snare = "178 140 3.4", hihat = "118 96 2.6";  // x y radius, the preset's elsewhere
  ASSERT_NO_FATAL_FAILURE(PlaceDrums(program, snare, hihat, 200, 90));
  GraphicsDown(1);
  // About 20 seconds: fast, medium and soft strokes on the snare, one on the hi-hat and one too
  // slow to sound (a few pixels a second against the 30 a hit needs).
  Pattern pattern;
  pattern.Line("rest 60", 60);
  for (int bar = 0; bar < 8; ++bar) {
    pattern.Add(snare, 4);
    pattern.Add(snare, 8);
    pattern.Add(snare, 16);
    pattern.Add(hihat, 8);
    pattern.Add(snare, 40, 3);
  }
  const std::vector<std::string> ports = ProgramPorts();
  ASSERT_EQ(ports.size(), 2u) << jack_test::Capture("jack_lsp");
  jack_test::JackRecorder recorder(ports, pattern.frames * kFrameSeconds * 1.5 + 10);
  ASSERT_TRUE(Play(pattern));
  usleep(500000);  // the last stroke's sound
  recorder.Stop();
  const std::string path = setup_.install_dir + "/drumming.wav";
  recorder.SaveWav(path);
  const std::string wav = ReadFile(path);
  std::vector<Pattern::Stroke> audible;
  for (const Pattern::Stroke& s : pattern.strokes)
    if (s.audible) audible.push_back(s);
  const std::vector<int> onsets = Onsets(path);
  const std::map<int, double> sent = SendTimes(sent_);
  ASSERT_EQ(onsets.size(), audible.size()) << Timeline(recorder, onsets, sent, audible);
  ExpectOnTime(recorder, wav, onsets, audible, sent);
  ExpectLouderWhenFaster(wav, onsets, audible, snare);
  EXPECT_EQ(EscUntilExit(program, window_), 0) << program.Output();
  // The player's copy of the kit holds the places the strokes gave; a marker's radius reads
  // about half a pixel under the drawn disc's.
  const std::string kit = ReadFile(setup_.install_dir + "/conf/drumkits/Copy of My First Skytapper Kit (RH).ini");
  const struct {
    const char* key;
    double value, tolerance;
  } places[] = {{"Drum0.x", 178, 0.5},      {"Drum0.y", 140, 0.5},      {"Drum0.size", 3.4 - 0.5, 0.2},
                {"Drum2.x", 118, 0.5},      {"Drum2.y", 96, 0.5},       {"Drum2.size", 2.6 - 0.5, 0.2},
                {"Drum1.foot_x", 200, 0.5}, {"Drum2.foot_x", 90, 0.5}};
  for (const auto& p : places) EXPECT_NEAR(KitValue(kit, p.key), p.value, p.tolerance) << p.key;
}
