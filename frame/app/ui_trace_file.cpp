// The UI trace written to a file for the whole-program tests.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame/app/app.h"
#include "render/imgui.h"

void WriteUiTrace() {
  static const char* const path = getenv("SKYTAPPER_UI_TRACE");
  if (!path || !*path) return;
  if (!imgui.tracing) {
    imgui.tracing = true;  // from the next frame on
    return;
  }
  const std::string temp = std::string(path) + ".part";
  FILE* f = fopen(temp.c_str(), "w");
  if (!f) return;
  fprintf(f, "state %d\n", imgui.trace_state);
  for (const auto& t : imgui.trace) {
    fprintf(f, "%d %d %d %d %d %d %d %d %s\n", static_cast<int>(t.kind), t.id, t.x, t.y, t.w, t.h,
            t.greyed ? 1 : 0, t.value, t.label.c_str());
  }
  fclose(f);
  rename(temp.c_str(), path);
}
