#include "frame/app/progress.h"

#include "frame/app/neighbours.h"
#include "frame/window.h"

void DrawSamplesProgress(int, bool start) {
  static int total = 0;
  static int last_size = 0;
  static int counter = 0;
  if (start) {
    total = last_size = nb::RawQueueSize();
    counter = 1;
    return;
  }
  if (last_size == 0) return;
  if (counter % 10 == 0) last_size = nb::RawQueueSize();
  const float fraction = total < 1 ? 1.0f : static_cast<float>(total - last_size) / total;
  nb::DrawText(360, 100, nb::Text(479, "Samples loaded:"));
  nb::SliderBackground(360, 68, 182, 54, fraction, false, true, true, true);
  ++counter;
}

void DisplayProgressBar(int percent, const std::string& caption, bool progress_only, bool both_buffers) {
  const int width = window_services.width(), height = window_services.height();
  const int w = width / 2, h = height / 10;
  const int x = width / 4, y = height / 2 + height / 10;
  const float fill = percent / 100.0f;
  if (both_buffers) {
    for (int pass = 0; pass < 2; ++pass) {
      nb::DrawText(x, y + 30, caption);
      nb::SliderBackground(x, y, w, h, 0.0f, true, true, true, true);
      nb::SliderProgressOnly(x, y, w, h, fill);
      if (pass == 0) window_services.swap_buffers();
    }
  } else if (progress_only) {
    for (int pass = 0; pass < 2; ++pass) {
      nb::SliderProgressOnly(x, y, w, h, fill);
      window_services.swap_buffers();
    }
  } else {
    nb::DrawText(x, y + 30, caption);
    nb::SliderBackground(x, y, w, h, 0.0f, true, true, true, true);
    nb::SliderProgressOnly(x, y, w, h, fill);
  }
}
