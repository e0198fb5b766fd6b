// The window services the program frame takes from the window system: the window itself, its
// main loop and callbacks, buffer swaps, full screen, the title, modifier keys, the swap
// interval and the input method. The program installs the freeglut + GLX implementation
// (app/glut/); tests get a headless window whose size and calls they can set and count.
#pragma once
#include <string>
#include <vector>

// Modifier bits as the keyboard and mouse callbacks report them.
enum { WINDOW_ACTIVE_SHIFT = 1, WINDOW_ACTIVE_CTRL = 2, WINDOW_ACTIVE_ALT = 4 };

// Callbacks the program registers (any may be null).
struct WindowCallbacks {
  void (*display)() = nullptr;
  void (*reshape)(int width, int height) = nullptr;
  void (*idle)() = nullptr;
  void (*keyboard)(unsigned char key, int x, int y) = nullptr;
  void (*keyboard_up)(unsigned char key, int x, int y) = nullptr;
  void (*special)(int key, int x, int y) = nullptr;
  void (*special_up)(int key, int x, int y) = nullptr;
  void (*mouse)(int button, int state, int x, int y) = nullptr;
  void (*passive_motion)(int x, int y) = nullptr;
  void (*motion)(int x, int y) = nullptr;
  void (*insert_text)(const char* utf8) = nullptr;      // committed text
  void (*set_marked_text)(const char* utf8) = nullptr;  // input-method composition
  void (*close)() = nullptr;                             // the user closed the window
};

// The window as the program sees it. Until the program installs the real window (with
// designated initialisers, app/glut/) these are the headless window's.
struct WindowServices {
  // Start-up, in the order main uses them.
  void (*init)(int* argc, char** argv);
  int (*screen_width)();
  int (*screen_height)();
  // Double-buffered RGBA with a stencil buffer; false when no window could be made.
  bool (*create_window)(int x, int y, int width, int height, const char* title);
  void (*set_callbacks)(const WindowCallbacks& callbacks);
  void (*main_loop)();  // does not return: the process ends through exit()

  // The window.
  int (*x)();
  int (*y)();
  int (*width)();
  int (*height)();
  void (*swap_buffers)();
  void (*post_redisplay)();
  void (*full_screen)();
  void (*position)(int x, int y);
  void (*reshape)(int width, int height);
  void (*set_title)(const char* title);
  unsigned long (*native_window)();  // the X window id, 0 when there is none

  // Input.
  int (*modifiers)();     // WINDOW_ACTIVE_* bits of the event being handled
  void (*unmark_text)();  // cancel the input method's composition

  // Sets the swap interval of the current context; false (with the reason) when it cannot.
  bool (*set_swap_interval)(int interval, std::string* error);
};

extern WindowServices window_services;

// Puts the headless window back (the state a test starts from).
void ResetWindowServices();

// The headless window: its size and what was asked of it.
struct HeadlessWindow {
  int x = 0, y = 0, width = 960, height = 720;
  int screen_width = 1280, screen_height = 1024;
  int modifiers = 0;
  int swaps = 0, redisplays = 0, full_screens = 0;
  std::vector<int> swap_intervals;  // asked for, in order (none is ever granted)
  std::string title;
  WindowCallbacks callbacks;
};
extern HeadlessWindow headless_window;
