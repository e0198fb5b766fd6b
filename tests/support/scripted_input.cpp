#include "tests/support/scripted_input.h"

#include <algorithm>

#include "frame/utf8.h"

namespace skyt_test {

ScriptedInput::ScriptedInput(Imgui& gui) : gui_(gui) {
  Imgui::platform.now_ms = [this] { return now; };
  Imgui::platform.write_clipboard = [this](const std::string& s) { clipboard = s; };
  Imgui::platform.read_clipboard = [this](std::string& s) { s = clipboard; };
  Imgui::platform.unmark_text = [this] { ++unmark_calls; };
  Imgui::platform.window_width = [this] { return window_width; };
  Imgui::platform.window_height = [this] { return window_height; };
  gui_.mouse_x = gui_.mouse_y = -1;
  gui_.mouse_down = false;
  gui_.key_queue.clear();
  gui_.marked_text.clear();
  std::fill(std::begin(gui_.special_keys), std::end(gui_.special_keys), false);
  std::fill(std::begin(gui_.key_due), std::end(gui_.key_due), -1);
  gui_.modifiers = 0;
  gui_.hot_id = gui_.active_id = gui_.focus_id = gui_.previous_id = 0;
  gui_.last_hot_id = gui_.edited_id = -1;
  gui_.selection_start = gui_.selection_end = gui_.click_anchor = gui_.caret = 0;
  gui_.caret_visible = true;
  gui_.refused_char = false;
  gui_.hover_timer = gui_.caret_blink_due = -1;
}

ScriptedInput::~ScriptedInput() { Imgui::ResetPlatform(); }

void ScriptedInput::Frame(const std::function<void()>& widgets) {
  gui_.Begin(false);
  if (widgets) widgets();
  gui_.End();
  now += frame_ms;
}

void ScriptedInput::Frames(int ms, const std::function<void()>& widgets) {
  const int64_t end = now + ms;
  while (now < end) Frame(widgets);
}

void ScriptedInput::MoveTo(int x, int y) {
  gui_.mouse_x = x;
  gui_.mouse_y = y;
}

void ScriptedInput::Press() { gui_.mouse_down = true; }

void ScriptedInput::Release() { gui_.mouse_down = false; }

void ScriptedInput::Click(int x, int y, const std::function<void()>& widgets) {
  MoveTo(x, y);
  Press();
  Frame(widgets);
  Release();
  Frame(widgets);
}

void ScriptedInput::Key(int key) { gui_.AddKey(key); }

void ScriptedInput::Text(const std::string& utf8) {
  gui_.marked_text.clear();
  unsigned short units[1024];
  const int n = StrFromUtf8(units, 1024, utf8.c_str(), nullptr);
  for (int i = 0; i < n; ++i) gui_.AddKey(units[i]);
}

void ScriptedInput::Hold(int glut_key) { gui_.SetSpecialKey(glut_key, true); }

void ScriptedInput::Let(int glut_key) { gui_.SetSpecialKey(glut_key, false); }

}  // namespace skyt_test
