// The UI trace written to a file for the whole-program tests.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "app/app.h"
#include "render/imgui.h"

namespace {

// The kinds of an in-air frame's lines, after the widget GUI's own.
enum InAirTraceKind : int { kInAirButton = 7, kInAirSlider = 8, kInAirLine = 9 };

// The menu the page of this frame handed over (none for pages without one).
DistanceMenu traced_menu;

const char* TracePath() {
  static const char* const path = getenv("SKYTAPPER_UI_TRACE");
  return path && *path ? path : nullptr;
}

void WriteWidgets(FILE* f) {
  for (const Imgui::TraceItem& t : imgui.trace)
    fprintf(f, "%d %d %d %d %d %d %d %d %s\n", static_cast<int>(t.kind), t.id, t.x, t.y, t.w, t.h,
            t.greyed ? 1 : 0, t.value, t.label.c_str());
}

// 0 for a button that fires on a stroke; else 1, or 2 while a hand's hit window is open.
int Activation(const DistanceMenu::Button& b) {
  if (!b.needs_activation) return 0;
  const bool open = DistanceMenu::m_how_many_frames_for_dominant_hit > 0 ||
                    DistanceMenu::m_how_many_frames_for_non_dominant_hit > 0;
  return open ? 2 : 1;
}

void WriteInAirMenu(FILE* f) {
  for (const DistanceMenu::Button& b : traced_menu.buttons)
    fprintf(f, "%d %d %ld %ld %ld %ld %d %d %s\n", kInAirButton, b.id, std::lround(b.x), std::lround(b.y),
            std::lround(b.size), std::lround(b.size), b.greyed ? 1 : 0, Activation(b), b.label.c_str());
  for (const DistanceMenu::Slider& s : traced_menu.sliders)
    fprintf(f, "%d %d %d %d %d %d 0 %ld %s\n", kInAirSlider, s.id, s.x, s.y, s.width, s.height,
            std::lround(s.value), s.label.c_str());
  for (const auto& [line, text] : DistanceMenu::m_lines_to_messages)
    fprintf(f, "%d %d 0 0 0 0 0 0 %s\n", kInAirLine, line, text.c_str());
}

// Replaces the trace with one frame: its state line, then what `write` adds.
void WriteFrame(const char* path, int state, void (*write)(FILE*)) {
  const std::string temp = std::string(path) + ".part";
  FILE* f = fopen(temp.c_str(), "w");
  if (!f) return;
  fprintf(f, "state %d\n", state);
  write(f);
  fclose(f);
  rename(temp.c_str(), path);
}

}  // namespace

void WriteUiTrace() {
  const char* path = TracePath();
  if (!path) return;
  if (!imgui.tracing) {
    imgui.tracing = true;  // from the next frame on
    return;
  }
  WriteFrame(path, imgui.trace_state, WriteWidgets);
}

void WriteInAirTrace(int state) {
  const char* path = TracePath();
  if (!path) return;
  WriteFrame(path, state, WriteInAirMenu);
  traced_menu = DistanceMenu();
}

void KeepInAirMenuForTrace(const DistanceMenu& menu) {
  if (TracePath()) traced_menu = menu;
}
