// The recordings screen's scrub bar: a slider over the loaded recording's frames and its time.
#include "frame/frame_globals.h"
#include "render/imgui.h"
#include "sound/logger.h"

void Logger::DoScrubBar(Imgui& gui, int x, int y, int w, int h) {
  const uint64_t last = frame_count > 1 ? frame_count - 1 : 0;
  int value = last ? static_cast<int>(static_cast<uint64_t>(scrub_position) * 1000000ull / last) : 0;
  if (gui.DoSlider(0x6CE0000, x, y, w, h, value, 1000000, 1000)) {
    int64_t pos = static_cast<int64_t>(last * static_cast<uint64_t>(value) / 1000000ull);
    if (pos < 0) pos = 0;
    if (pos > static_cast<int64_t>(last)) pos = static_cast<int64_t>(last);
    scrub_position = static_cast<int>(pos);
    scrub_moved = true;
  }
  gui.DoText(x, y + 20, "Time: %d:%d", scrub_position / (60 * kFramesPerSecond),
              (scrub_position / kFramesPerSecond) % 60);
}
