// One frame of a settings screen (widget GUI) and one frame of the in-air menu's widgets,
// drawn under OSMesa, in the normal and the simplified graphics mode.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/widget_drawing.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scripted_input.h"
#include "render/webcam_window.h"

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void BM_SettingsScreenFrame(benchmark::State& state) {
  graphics_mode = static_cast<int>(state.range(0));
  skyt_test::GlContext gl;
  Font font;
  if (!font.Init(kFontPath, 16, nullptr, 0)) {
    state.SkipWithError("no font");
    return;
  }
  Imgui gui;
  skyt_test::ScriptedInput input(gui);
  gui.Init(Imgui::InitParams::ProgramLayout(&font, 16));
  static char name[64 * 4] = "My kit";
  int volume = 60, latency = 256;
  bool flags[6] = {true, false, true, false, true, false};
  Imgui::ListBoxState list;
  list.selected = 3;
  std::vector<std::string> devices;
  for (int i = 0; i < 12; ++i) devices.push_back("Audio device " + std::to_string(i));
  input.MoveTo(300, 500);
  for (auto _ : state) {
    gl.Clear(0.7f, 0.7f, 0.69f, 1);
    input.Frame([&] {
      gui.DoBoldText(40, 700, "Preferences");
      for (int i = 0; i < 6; ++i) {
        if (gui.DoCheckBox((i + 1) << 16, 40, 650 - 36 * i, "An option of the program", flags[i], false))
          flags[i] = !flags[i];
      }
      gui.DoText(40, 420, "Volume: %d", volume);
      gui.DoSlider(7 << 16, 40, 390, 300, 30, volume, 100, 1);
      gui.DoText(40, 340, "Frames per buffer: %d", latency);
      gui.DoSlider(8 << 16, 40, 310, 300, 30, latency, 2048, 64);
      gui.DoEditBox(9 << 16, 40, 260, 300, 32, name, 64, true);
      gui.DoListBox(10 << 16, (10 << 16) + 1, (10 << 16) + 2, 420, 650, 400, 8, devices, list);
      for (int i = 0; i < 4; ++i) gui.DoButton((11 + i) << 16, 420 + 130 * (i % 3), 200 - 40 * (i / 3), 120, 32,
                                              i == 3 ? "Back" : "Apply setting");
    });
    glFinish();
  }
  graphics_mode = 0;
}
BENCHMARK(BM_SettingsScreenFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_InAirMenuFrame(benchmark::State& state) {
  graphics_mode = static_cast<int>(state.range(0));
  skyt_test::GlContext gl;
  WebcamWindowMapping::CenterWebcam(gl.width(), gl.height());
  glEnable(GL_BLEND);
  float progress = 0;
  for (auto _ : state) {
    gl.Clear(0.35f, 0.37f, 0.4f, 1);
    WebcamVignette(150, 110);
    for (int i = 0; i < 8; ++i) {
      const float cx = 80.0f + 110.0f * static_cast<float>(i), cy = 640;
      RoundButtonBackgroundDistanceVisibility(cx, cy, 45);
      RoundButtonBackgroundDistance(cx, cy, 45, i != 5, i == 2, i == 3, true, false, true);
    }
    ActivationProgressDistance(410, 640, 45, progress);
    RoundHalo(300, 640, 55);
    for (int i = 0; i < 2; ++i) {
      const float y = 480.0f - 120.0f * static_cast<float>(i);
      SliderDistanceVisibility(100, y, 400, 60);
      SliderDistance(100, y, 400, 60, 0.3f + 0.3f * static_cast<float>(i), true, i == 0, true, true, false, true);
    }
    BlinkingArrowSlider(300, 400, 40, 40, 1, true);
    DrawFPSIndicator(5, 120, 55, 40, 0, true, true);
    DrawVUMeter(900, 300, 20, 150, 0.6f, true, true);
    glFinish();
    progress = progress > 1 ? 0 : progress + 0.01f;
  }
  graphics_mode = 0;
}
BENCHMARK(BM_InAirMenuFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
