// The UI trace written to a file for the whole-program tests.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame/app/app.h"
#include "render/imgui.h"

namespace {

const char* TracePath() {
  static const char* const path = getenv("SKYTAPPER_UI_TRACE");
  return path && *path ? path : nullptr;
}

// Replaces the trace with one frame: its state and, when given, the widgets drawn.
void WriteFrame(const char* path, int state, bool widgets) {
  const std::string temp = std::string(path) + ".part";
  FILE* f = fopen(temp.c_str(), "w");
  if (!f) return;
  fprintf(f, "state %d\n", state);
  for (size_t i = 0; widgets && i < imgui.trace.size(); ++i) {
    const auto& t = imgui.trace[i];
    fprintf(f, "%d %d %d %d %d %d %d %d %s\n", static_cast<int>(t.kind), t.id, t.x, t.y, t.w, t.h,
            t.greyed ? 1 : 0, t.value, t.label.c_str());
  }
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
  WriteFrame(path, imgui.trace_state, true);
}

void WriteInAirTrace(int state) {
  if (const char* path = TracePath()) WriteFrame(path, state, false);
}
