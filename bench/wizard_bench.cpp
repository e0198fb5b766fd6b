// Frames of the set-up wizard's pages beside their tracking (GL calls issued under OSMesa, not
// finished): the lighting check on a clean picture, an all-bright one and one with 1000
// separate bright spots; and a frame of placing the drums.
#include <benchmark/benchmark.h>

#include "airmenu/calibration.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/window.h"
#include "render/imgui.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/marker_scene.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tracking/webcam.h"

namespace {

// A 3-drum kit placed before, the wizard at a stage; no camera runs, so every call works on
// the picture afresh.
struct WizardBench {
  WizardBench(Calibration::Stage stage) : install("wizard_bench"), gl(960, 720) {
    ResetWindowServices();
    headless_window.width = 960;
    headless_window.height = 720;
    webcam.Init(IniFile());
    DistanceMenu::Init(720, 720);
    skyt_test::LoadGridKit(drumkit, 3);
    skyt_test::ResetDrummer(drummer, drumkit);
    skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = false\n");
    drummer.LoadLastSession();
    drumkit.SetDistanceMenuLocations(false);
    drumkit.is_calibrated = true;
    calibration.Init(drummer, webcam, imgui, IniFile());
    interface_state = kWizard;
    state_param = 0;
    state_param2 = 1;  // placing keeps the positions
    state_param3 = 0;
    calibration.ChangeStage(stage);
  }
  ~WizardBench() {
    calibration.CleanUp();
    DistanceMenu::CleanUp();
    webcam.CleanUp();
  }
  skyt_test::Installation install;
  skyt_test::GlContext gl;
};

void BM_LightingFrame(benchmark::State& state) {
  // A clean picture passes the wizard's own check at once: the check asked from the seat page stays.
  WizardBench bench(state.range(0) == 0 ? Calibration::kLightingFromSeat : Calibration::kLighting);
  skyt_test::MarkerScene scene;
  if (state.range(0) == 1) scene.AddLamp(0, 0, 319, 239);
  for (int i = 0; state.range(0) == 2 && i < 1000; ++i) scene.AddSpeck(4 + (i % 40) * 8, 4 + (i / 40) * 9);
  scene.Render(webcam.GetQVGAFrame());
  for (int i = 0; i < 130; ++i) calibration.Display();  // past the settling frames
  for (auto _ : state) {
    calibration.Display();
    if (interface_state != kWizard) state.SkipWithError("the check passed");
  }
}
BENCHMARK(BM_LightingFrame)->ArgName("scene")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PlacingFrame(benchmark::State& state) {
  WizardBench bench(Calibration::kPlaceDrums);
  skyt_test::MarkerScene scene;
  scene.AddMarker(40, 40, 5);
  scene.AddMarker(290, 40, 5);
  scene.Render(webcam.GetQVGAFrame());
  calibration.Display();
  for (auto _ : state) calibration.Display();
}
BENCHMARK(BM_PlacingFrame)->Unit(benchmark::kMillisecond);

}  // namespace
