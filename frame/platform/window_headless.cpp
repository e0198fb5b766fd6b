// The headless window: the default window services until the program installs the real
// window, and what the tests drive.
#include <GL/gl.h>

#include "frame/window.h"

HeadlessWindow headless_window;

namespace {

constexpr WindowServices MakeHeadless() {
  WindowServices s{};
  s.init = [](int*, char**) {};
  s.screen_width = [] { return headless_window.screen_width; };
  s.screen_height = [] { return headless_window.screen_height; };
  s.create_window = [](int x, int y, int w, int h, const char* title) {
    headless_window.x = x;
    headless_window.y = y;
    headless_window.width = w;
    headless_window.height = h;
    headless_window.title = title;
    return true;
  };
  s.set_callbacks = [](const WindowCallbacks& c) { headless_window.callbacks = c; };
  s.main_loop = [] {};
  s.x = [] { return headless_window.x; };
  s.y = [] { return headless_window.y; };
  s.width = [] { return headless_window.width; };
  s.height = [] { return headless_window.height; };
  s.swap_buffers = [] {
    glFlush();
    ++headless_window.swaps;
  };
  s.post_redisplay = [] { ++headless_window.redisplays; };
  s.full_screen = [] {
    ++headless_window.full_screens;
    headless_window.x = headless_window.y = 0;
    headless_window.width = headless_window.screen_width;
    headless_window.height = headless_window.screen_height;
  };
  s.position = [](int x, int y) {
    headless_window.x = x;
    headless_window.y = y;
  };
  s.reshape = [](int w, int h) {
    headless_window.width = w;
    headless_window.height = h;
  };
  s.set_title = [](const char* t) { headless_window.title = t; };
  s.native_window = []() -> unsigned long { return 0; };
  s.modifiers = [] { return headless_window.modifiers; };
  s.unmark_text = [] {};
  s.set_swap_interval = [](int interval, std::string* error) {
    headless_window.swap_intervals.push_back(interval);
    if (error) *error = "no swap-control extension";
    return false;
  };
  return s;
}

}  // namespace

// Ready before any static initialiser runs.
constinit WindowServices window_services = MakeHeadless();

void ResetWindowServices() {
  headless_window = HeadlessWindow();
  window_services = MakeHeadless();
}
