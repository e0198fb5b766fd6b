#include "drumming/progress.h"

#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "render/widget_drawing.h"
#include "sound/sound.h"

namespace {

void DrawText(int x, int y, const std::string& text) { imgui.DoText(x, y, "%s", text.c_str()); }

}  // namespace

void DrawSamplesProgress(int, bool start) {
  static int total = 0;
  static int last_size = 0;
  static int counter = 0;
  if (start) {
    total = last_size = sound.audio.GetRawQueueSize();
    counter = 1;
    return;
  }
  if (last_size == 0) return;
  if (counter % 10 == 0) last_size = sound.audio.GetRawQueueSize();
  const float fraction = total < 1 ? 1.0f : static_cast<float>(total - last_size) / total;
  DrawText(360, 100, GetUtf8(kTextSamplesLoaded));
  SliderBackground(360, 68, 182, 54, fraction, false, true, true, true);
  ++counter;
}

void DisplayProgressBar(int percent, const std::string& caption, bool progress_only, bool both_buffers) {
  const int width = window_services.width(), height = window_services.height();
  const int w = width / 2, h = height / 10;
  const int x = width / 4, y = height / 2 + height / 10;
  const float fill = percent / 100.0f;
  if (both_buffers) {
    for (int pass = 0; pass < 2; ++pass) {
      DrawText(x, y + 30, caption);
      SliderBackground(x, y, w, h, 0.0f, true, true, true, true);
      SliderProgressOnly(x, y, w, h, fill);
      if (pass == 0) window_services.swap_buffers();
    }
  } else if (progress_only) {
    for (int pass = 0; pass < 2; ++pass) {
      SliderProgressOnly(x, y, w, h, fill);
      window_services.swap_buffers();
    }
  } else {
    DrawText(x, y + 30, caption);
    SliderBackground(x, y, w, h, 0.0f, true, true, true, true);
    SliderProgressOnly(x, y, w, h, fill);
  }
}
