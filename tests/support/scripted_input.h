// Scripted input for the widget GUI: mouse moves and presses, typed keys and text, held keys,
// input-method composition, a fake clock and a fake pasteboard. Screen tests drive whole
// frames through it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "render/imgui.h"

namespace skyt_test {

// GLUT's special-key codes.
enum GlutKey {
  GLUT_LEFT = 100, GLUT_UP = 101, GLUT_RIGHT = 102, GLUT_DOWN = 103, GLUT_PAGE_UP = 104,
  GLUT_PAGE_DOWN = 105, GLUT_HOME = 106, GLUT_END = 107, GLUT_INSERT = 108
};

class ScriptedInput {
 public:
  // Installs the fake clock, pasteboard, window size and composition cancel into
  // Imgui::platform, and puts the GUI's input state back to that of a fresh object.
  explicit ScriptedInput(Imgui& gui = imgui);
  // Puts the default platform services back.
  ~ScriptedInput();
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  // One frame: Begin(false), the widgets, End(); then the clock moves on by frame_ms.
  void Frame(const std::function<void()>& widgets);
  // Frames until at least ms milliseconds have passed.
  void Frames(int ms, const std::function<void()>& widgets);

  // Mouse in window pixels, y upwards (as the GUI sees it).
  void MoveTo(int x, int y);
  void Press();
  void Release();
  // Move, press for one frame, release for one frame.
  void Click(int x, int y, const std::function<void()>& widgets);

  // Typed keys (control keys and 16-bit units) and committed UTF-8 text.
  void Key(int key);
  void Text(const std::string& utf8);
  // Held special keys (GLUT codes).
  void Hold(int glut_key);
  void Let(int glut_key);
  void Modifiers(int bits) { gui_.modifiers = bits; }
  // Input-method composition (UTF-8; empty = none).
  void Compose(const std::string& utf8) { gui_.marked_text = utf8; }

  // Time in milliseconds since the program's start as the GUI sees it.
  int64_t now = 1000;
  int frame_ms = 16;
  // The pasteboard and how often a composition was cancelled.
  std::string clipboard;
  int unmark_calls = 0;
  int window_width = 960, window_height = 720;

  Imgui& gui() { return gui_; }

 private:
  Imgui& gui_;
};

}  // namespace skyt_test
