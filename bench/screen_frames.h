// Frames of a mouse screen under OSMesa, for the screen benchmarks: the program's layout with
// a 16-pixel DejaVu Sans, the screen entered as the program enters it, the mouse resting on it,
// and each iteration one cleared picture, one frame and a glFinish (CPU per frame).
#pragma once
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "frame/frame_globals.h"
#include "render/font.h"
#include "render/imgui.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scripted_input.h"

namespace screen_bench {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class ScreenFrames {
 public:
  ScreenFrames() : input_(imgui) {
    imgui.Init(Imgui::InitParams::ProgramLayout(new Font, 16));
    font_loaded_ = imgui.font->Init(kFontPath, 16, nullptr, 0);
  }
  ~ScreenFrames() {
    delete imgui.font;
    imgui.font = imgui.bold_font = nullptr;
  }
  ScreenFrames(const ScreenFrames&) = delete;
  ScreenFrames& operator=(const ScreenFrames&) = delete;

  bool FontLoaded() const { return font_loaded_; }

  // Enters the screen, puts the mouse at (x, y) and times frames of it.
  void Time(benchmark::State& state, int screen, void (*frame)(), int x, int y) {
    interface_state = screen;
    just_changed_state = true;
    input_.MoveTo(x, y);
    for (auto _ : state) {
      gl_.Clear(0.7f, 0.7f, 0.69f, 1);
      input_.Frame(frame);
      glFinish();
    }
  }

 private:
  skyt_test::GlContext gl_;
  skyt_test::ScriptedInput input_;
  bool font_loaded_ = false;
};

}  // namespace screen_bench
