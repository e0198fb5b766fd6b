// The headless window: the default window services until the program installs the real
// window, and what the tests drive.
#include <GL/gl.h>

#include "frame/window.h"

HeadlessWindow headless_window;

namespace {

constexpr WindowServices MakeHeadless() {
  return {
      .init = [](int*, char**) {},
      .screen_width = [] { return headless_window.screen_width; },
      .screen_height = [] { return headless_window.screen_height; },
      .create_window =
          [](int x, int y, int w, int h, const char* title) {
            headless_window.x = x;
            headless_window.y = y;
            headless_window.width = w;
            headless_window.height = h;
            headless_window.title = title;
            return true;
          },
      .set_callbacks = [](const WindowCallbacks& c) { headless_window.callbacks = c; },
      .main_loop = [] {},
      .x = [] { return headless_window.x; },
      .y = [] { return headless_window.y; },
      .width = [] { return headless_window.width; },
      .height = [] { return headless_window.height; },
      .swap_buffers =
          [] {
            glFlush();
            ++headless_window.swaps;
          },
      .post_redisplay = [] { ++headless_window.redisplays; },
      .full_screen =
          [] {
            ++headless_window.full_screens;
            headless_window.x = headless_window.y = 0;
            headless_window.width = headless_window.screen_width;
            headless_window.height = headless_window.screen_height;
          },
      .position =
          [](int x, int y) {
            headless_window.x = x;
            headless_window.y = y;
          },
      .reshape =
          [](int w, int h) {
            headless_window.width = w;
            headless_window.height = h;
          },
      .set_title = [](const char* t) { headless_window.title = t; },
      .native_window = []() -> unsigned long { return 0; },
      .modifiers = [] { return headless_window.modifiers; },
      .unmark_text = [] {},
      .set_swap_interval =
          [](int interval, std::string* error) {
            headless_window.swap_intervals.push_back(interval);
            if (error) *error = "no swap-control extension";
            return false;
          },
  };
}

}  // namespace

// Ready before any static initialiser runs.
constinit WindowServices window_services = MakeHeadless();

void ResetWindowServices() {
  headless_window = HeadlessWindow();
  window_services = MakeHeadless();
}
