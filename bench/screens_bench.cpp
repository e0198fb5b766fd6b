// One frame of the main, latency and MIDI screens under OSMesa (CPU per frame; goal under
// 1 ms each), and switching the GUI to Chinese, which builds the CJK font (goal under 0.5 s).
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "bench/screen_frames.h"
#include "drumming/drumkit.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "screens/preferences_screens.h"
#include "screens/screen_services.h"
#include "screens/screens.h"
#include "sound/midi.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_dirs.h"

namespace {

using screen_bench::kFontPath;

// Fakes for what the screens ask of the devices: a camera, 13 audio devices, 7 MIDI ports.
void FakeDevices() {
  ResetScreenServices();
  screen_services.camera_working = [] { return true; };
  screen_services.audio_device_names = [](std::map<int, std::string>& n) {
    for (int i = 0; i < 13; ++i) n[i] = "Audio device " + std::to_string(i);
  };
  screen_services.audio_device_name = [](std::string& n, int) { n = "Audio device 3"; };
  screen_services.audio_device_index = [] { return 3; };
  screen_services.audio_choice_manual = [] { return true; };
  screen_services.midi_port_names = [](std::map<int, std::string>& n) {
    for (int i = 0; i < 7; ++i) n[i] = "MIDI port " + std::to_string(i);
  };
}

void BM_ScreenFrame(benchmark::State& state) {
  const int screen = static_cast<int>(state.range(0));
  screen_bench::ScreenFrames frames;
  if (!frames.FontLoaded()) return state.SkipWithError("no font");
  FakeDevices();
  drumkit_chooser.current_drumkit_name = "Rock kit";
  drumkit.drums.assign(9, {});
  midi_mode = 2;
  void (*frame)() = screen == kMainScreen ? DoMainScreen : screen == kLatencyScreen ? DoLatencyScreen : DoMIDIScreen;
  frames.Time(state, screen, frame, 300, 500);
}
BENCHMARK(BM_ScreenFrame)->Arg(kMainScreen)->Arg(kLatencyScreen)->Arg(kMidiScreen)->Unit(benchmark::kMicrosecond);

void BM_SwitchToChinese(benchmark::State& state) {
  skyt_test::Installation install("bench_chinese");
  mkdir("data", 0755);
  mkdir("data/fonts", 0755);
  symlink(kFontPath, "data/fonts/Ubuntu-R.ttf");
  symlink("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "data/fonts/SourceHanSans-Normal.ttf");
  skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
  skyt_test::GlContext gl;
  imgui.Init(Imgui::InitParams::ProgramLayout(new Font, 16));
  imgui.font->Init(kFontPath, 16, nullptr, 0);
  for (auto _ : state) {
    SetLanguage("en");
    if (!SwitchLanguage("zh")) state.SkipWithError("the CJK font did not build");
  }
  SetLanguage("en");
}
BENCHMARK(BM_SwitchToChinese)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
