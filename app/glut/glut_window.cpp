#include "app/glut/glut_window.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <link.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>

#include "app/glut/input_method.h"
#include "frame/window.h"

namespace {

WindowCallbacks callbacks;
int current_modifiers = 0;
unsigned long window_id = 0;

void OnDisplay() {
  if (callbacks.display) callbacks.display();
}
void OnReshape(int w, int h) {
  if (callbacks.reshape) callbacks.reshape(w, h);
}
void OnIdle() {
  PumpInputMethod();
  if (callbacks.idle) callbacks.idle();
}
void OnKeyboard(unsigned char key, int x, int y) {
  current_modifiers = glutGetModifiers();
  // X gives Backspace as 8 and Delete as 127; the widget GUI takes 127 as "delete backwards"
  // and 8 as "delete forwards".
  if (key == 8) key = 127;
  else if (key == 127) key = 8;
  if (callbacks.keyboard) callbacks.keyboard(key, x, y);
}
void OnKeyboardUp(unsigned char key, int x, int y) {
  current_modifiers = glutGetModifiers();
  if (key == 8) key = 127;
  else if (key == 127) key = 8;
  if (callbacks.keyboard_up) callbacks.keyboard_up(key, x, y);
}
void OnSpecial(int key, int x, int y) {
  current_modifiers = glutGetModifiers();
  if (callbacks.special) callbacks.special(key, x, y);
}
void OnSpecialUp(int key, int x, int y) {
  current_modifiers = glutGetModifiers();
  if (callbacks.special_up) callbacks.special_up(key, x, y);
}
void OnMouse(int button, int state, int x, int y) {
  current_modifiers = glutGetModifiers();
  if (callbacks.mouse) callbacks.mouse(button, state, x, y);
}
void OnPassiveMotion(int x, int y) {
  if (callbacks.passive_motion) callbacks.passive_motion(x, y);
}
void OnMotion(int x, int y) {
  if (callbacks.motion) callbacks.motion(x, y);
}
void OnClose() {
  if (callbacks.close) callbacks.close();
}

void Init(int* argc, char** argv) {
  glutInit(argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
}

// Keeps the GL driver that the window loaded in memory until the process ends: unloaded at
// exit, what it still holds could not be told apart from the program's own leaks.
void PinGlDriver() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name && strstr(info->dlpi_name, "/dri/"))
          dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

bool CreateWindow(int x, int y, int width, int height, const char* title) {
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_STENCIL);
  glutInitWindowPosition(x, y);
  glutInitWindowSize(width, height);
  if (glutCreateWindow(title) <= 0) return false;
  PinGlDriver();
  window_id = glXGetCurrentDrawable();
  StartInputMethod(window_id);
  return true;
}

void SetCallbacks(const WindowCallbacks& c) {
  callbacks = c;
  if (c.display) glutDisplayFunc(OnDisplay);
  glutReshapeFunc(c.reshape ? OnReshape : nullptr);
  glutIdleFunc(OnIdle);
  glutKeyboardFunc(c.keyboard ? OnKeyboard : nullptr);
  glutKeyboardUpFunc(c.keyboard_up ? OnKeyboardUp : nullptr);
  glutSpecialFunc(c.special ? OnSpecial : nullptr);
  glutSpecialUpFunc(c.special_up ? OnSpecialUp : nullptr);
  glutMouseFunc(c.mouse ? OnMouse : nullptr);
  glutPassiveMotionFunc(c.passive_motion ? OnPassiveMotion : nullptr);
  glutMotionFunc(c.motion ? OnMotion : nullptr);
  glutInsertTextFunc(c.insert_text);
  glutSetMarkedTextFunc(c.set_marked_text);
  glutCloseFunc(OnClose);
}

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const size_t n = strlen(name);
  for (const char* p = list; (p = strstr(p, name)) != nullptr; p += n)
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// Only a context whose GLX lists a swap-control extension is asked: calling the entry point
// anyway ends the process with an X error on servers without it.
bool SetSwapInterval(int interval, std::string* error) {
  Display* d = glXGetCurrentDisplay();
  GLXDrawable drawable = glXGetCurrentDrawable();
  if (!d || !drawable) {
    if (error) *error = "no current GL context";
    return false;
  }
  const char* ext = glXQueryExtensionsString(d, DefaultScreen(d));
  if (HasExtension(ext, "GLX_EXT_swap_control")) {
    auto fn = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
    if (fn) {
      fn(d, drawable, interval);
      return true;
    }
  }
  if (HasExtension(ext, "GLX_MESA_swap_control")) {
    auto fn = reinterpret_cast<int (*)(unsigned)>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
    if (fn && fn(static_cast<unsigned>(interval)) == 0) return true;
  }
  if (HasExtension(ext, "GLX_SGI_swap_control") && interval > 0) {
    auto fn = reinterpret_cast<int (*)(int)>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalSGI")));
    if (fn && fn(interval) == 0) return true;
  }
  if (error) *error = "the GL driver offers no swap-interval control";
  return false;
}

// The windowed size is locked (DisableResize); full screen needs the lock lifted.
void FullScreen() {
  Display* d = glXGetCurrentDisplay();
  if (d && window_id) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
      hints->flags = 0;
      XSetWMNormalHints(d, window_id, hints);
      XFree(hints);
    }
  }
  glutFullScreen();
}

}  // namespace

void InstallGlutWindow() {
  window_services = {
      .init = Init,
      .screen_width = [] { return glutGet(GLUT_SCREEN_WIDTH); },
      .screen_height = [] { return glutGet(GLUT_SCREEN_HEIGHT); },
      .create_window = CreateWindow,
      .set_callbacks = SetCallbacks,
      .main_loop = [] { glutMainLoop(); },
      .x = [] { return glutGet(GLUT_WINDOW_X); },
      .y = [] { return glutGet(GLUT_WINDOW_Y); },
      .width = [] { return glutGet(GLUT_WINDOW_WIDTH); },
      .height = [] { return glutGet(GLUT_WINDOW_HEIGHT); },
      .swap_buffers = [] { glutSwapBuffers(); },
      .post_redisplay = [] { glutPostRedisplay(); },
      .full_screen = FullScreen,
      .position = [](int x, int y) { glutPositionWindow(x, y); },
      .reshape = [](int w, int h) { glutReshapeWindow(w, h); },
      .set_title = [](const char* t) { glutSetWindowTitle(t); },
      .native_window = [] { return window_id; },
      .modifiers = [] { return current_modifiers; },
      .unmark_text = [] { glutUnmarkText(); },
      .set_swap_interval = SetSwapInterval,
  };
}
