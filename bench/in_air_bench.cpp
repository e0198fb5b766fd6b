// One in-air frame of the drumming page beside its tracking (graphics modes 0 and 4, GL calls
// issued under OSMesa, not finished), the tracking alone, one frame of each kit adjusting
// page that drums (volume, moving a drum, hi-hat range, MIDI; graphics modes 0 and 4: the
// moving state draws in every mode), and making the frozen picture
// of graphics mode 1 at 1920x1080.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <GL/gl.h>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/window.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/marker_scene.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/stroke_script.h"
#include "tests/support/test_dirs.h"
#include "tracking/webcam.h"

namespace {

// A 3-drum kit, the in-air fonts and a camera picture of two resting sticks; no camera runs,
// so every call tracks the picture afresh.
struct InAirBench {
  explicit InAirBench(int width, int height) : install("in_air_bench"), gl(width, height) {
    ResetWindowServices();
    headless_window.width = width;
    headless_window.height = height;
    mkdir("data/fonts", 0755);
    symlink("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "data/fonts/Ubuntu-R.ttf");
    webcam.Init(IniFile());
    DistanceMenu::Init(height, height);
    skyt_test::LoadGridKit(drumkit, 3);
    skyt_test::ResetDrummer(drummer, drumkit);
    skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = false\n");
    drummer.LoadLastSession();
    drumkit.SetDistanceMenuLocations(false);
    skyt_test::MarkerScene scene;
    scene.AddMarker(40, 40, 5);
    scene.AddMarker(290, 40, 5);
    scene.Render(webcam.GetQVGAFrame());
    interface_state = kPlay;
    just_changed_state = false;
  }
  ~InAirBench() {
    DistanceMenu::CleanUp();
    webcam.CleanUp();
  }
  skyt_test::Installation install;
  skyt_test::GlContext gl;
};

void BM_PlayFrame(benchmark::State& state) {
  InAirBench bench(960, 720);
  graphics_mode = int(state.range(0));
  for (auto _ : state) Play();
  graphics_mode = 0;
}
BENCHMARK(BM_PlayFrame)->Arg(0)->Arg(4)->Unit(benchmark::kMicrosecond);

constexpr int kRestBeforePick = 200;

// The move-drum page picks drum 2 of the grid kit by a firm stroke, so that the timed frames
// run its moving state. As a player's would, the sticks first rest long enough for the page to
// take strokes (a stroke on the page's first frames is not taken).
void PickForMoving() {
  const Drumkit::Drum& d = drumkit.drums[2];
  std::vector<skyt_test::Scene> frames = skyt_test::StrokeScript::Rest(kRestBeforePick);
  for (const skyt_test::Scene& s : skyt_test::StrokeScript::MenuStroke(d.x, d.y, 5.6f)) frames.push_back(s);
  drumkit.shown_drum = -1;
  for (const skyt_test::Scene& s : frames) {
    skyt_test::MarkerScene scene;
    for (const skyt_test::SceneMarker& m : s) scene.AddMarker(m.x, m.y, m.radius, m.peak);
    scene.Render(webcam.GetQVGAFrame());
    MoveDrum();
    if (drumkit.shown_drum == 2) break;
  }
  skyt_test::MarkerScene rest;
  rest.AddMarker(40, 40, 5);
  rest.AddMarker(290, 40, 5);
  rest.Render(webcam.GetQVGAFrame());
}

// The adjusting pages timed, each entered through its opener; the volume and MIDI pages on
// drum 2's hand side.
struct AdjustingPage {
  int state;
  void (*open)();
  void (*frame)();
};
constexpr WhichVolume kDrumTwoLevel = WhichVolume(kFirstDrumLevel + 2);
const AdjustingPage kAdjustingPages[] = {
    {kAdjustAnyVolume, [] { OpenVolumePage(kDrumTwoLevel, MOCAP_MARKER_HAND, kAdjustDrums); }, AdjustAnyVolume},
    {kMoveDrum, [] { OpenMoveDrumPage(false, kPlay, kAdjustDrums); }, MoveDrum},
    {kAdjustHihatRangeAndSplash, [] { OpenAdjustPage(kAdjustHihatRangeAndSplash, kAdjustDrums, false); },
     AdjustHihatRangeAndSplash},
    {kAdjustMidiSettings, [] { OpenMidiPage(kDrumTwoLevel, MOCAP_MARKER_HAND, kAdjustDrums); }, AdjustMIDISettings},
};

void BM_AdjustingPageFrame(benchmark::State& state) {
  InAirBench bench(960, 720);
  const int page = int(state.range(0));
  graphics_mode = int(state.range(1));
  const AdjustingPage* adjusting = &kAdjustingPages[0];
  while (adjusting->state != page) ++adjusting;
  adjusting->open();
  void (*frame)() = adjusting->frame;
  frame();
  if (page == kMoveDrum) PickForMoving();
  if (page == kMoveDrum && drumkit.shown_drum != 2) state.SkipWithError("the drum was not picked");
  for (auto _ : state) frame();
  graphics_mode = 0;
}
BENCHMARK(BM_AdjustingPageFrame)
    ->ArgsProduct({{kAdjustAnyVolume, kMoveDrum, kAdjustHihatRangeAndSplash, kAdjustMidiSettings}, {0, 4}})
    ->Unit(benchmark::kMicrosecond);

void BM_TrackingOnly(benchmark::State& state) {
  InAirBench bench(960, 720);
  DistanceMenu menu;
  for (auto _ : state) {
    Webcam::Blob blobs[4];
    const int n = webcam.FindBlobs(blobs, 4);
    if (webcam.BadLightingSuspected(n) < 3) drummer.Drum(blobs, n, nullptr, &menu, false);
  }
}
BENCHMARK(BM_TrackingOnly)->Unit(benchmark::kMicrosecond);

void BM_EnterMarkersOnly(benchmark::State& state) {
  InAirBench bench(1920, 1080);
  for (auto _ : state) {
    EnterMarkersOnly();
    LeaveMarkersOnly();
  }
}
BENCHMARK(BM_EnterMarkersOnly)->Unit(benchmark::kMillisecond);

}  // namespace
