// The parts of the platform layer that talk to the X server on a connection of their own:
// sleep prevention, the resize lock, the Super key, focus and the viewer's windows.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/keysym.h>
#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/platform/platform.h"
#include "frame/platform/platform_texts.h"
#include "frame/texts.h"
#include "frame/window.h"

namespace {

Display* Connection() {
  static Display* display = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    const char* name = getenv("DISPLAY");
    if (name && *name) display = XOpenDisplay(nullptr);
    // The descriptor must not reach helper programs.
    if (display) fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
  }
  return display;
}

bool sleep_prevented = false;

Window ParentOf(Display* d, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
  if (children) XFree(children);
  return parent == root ? 0 : parent;
}

// Whether w is our window or inside it.
bool IsOurs(Display* d, Window w, Window ours) {
  for (int depth = 0; w && depth < 64; ++depth) {
    if (w == ours) return true;
    w = ParentOf(d, w);
  }
  return false;
}

bool ClassMatches(Display* d, Window w, const std::string& wanted) {
  XClassHint hint;
  if (!XGetClassHint(d, w, &hint)) return false;
  bool match = (hint.res_class && wanted == hint.res_class) || (hint.res_name && wanted == hint.res_name);
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return match;
}

// The first window (searched two levels below the root, where window managers put frames)
// whose class is the viewer's.
Window FindViewerWindow(Display* d) {
  std::string wanted = platform::ViewerWindowClass();
  Window root = DefaultRootWindow(d), r, p, *top = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, root, &r, &p, &top, &n)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < n && !found; ++i) {
    if (ClassMatches(d, top[i], wanted)) {
      found = top[i];
      break;
    }
    Window *kids = nullptr;
    unsigned int k = 0;
    if (XQueryTree(d, top[i], &r, &p, &kids, &k)) {
      for (unsigned int j = 0; j < k && !found; ++j)
        if (ClassMatches(d, kids[j], wanted)) found = kids[j];
      if (kids) XFree(kids);
    }
  }
  if (top) XFree(top);
  return found;
}

}  // namespace

namespace platform {
int SleepSuspendCount() { return sleep_prevented ? 1 : 0; }
}  // namespace platform

void PreventSleeping() {
  if (sleep_prevented) return;  // one request at a time: the server counts them
  Display* d = Connection();
  int event_base, error_base;
  if (!d || !XScreenSaverQueryExtension(d, &event_base, &error_base)) return;
  XScreenSaverSuspend(d, True);
  XFlush(d);
  sleep_prevented = true;
}

void AllowSleeping() {
  if (!sleep_prevented) return;
  Display* d = Connection();
  if (d) {
    XScreenSaverSuspend(d, False);
    XFlush(d);
  }
  sleep_prevented = false;
}

bool IsSleepPrevented() { return sleep_prevented; }

bool IsCmdPressed() {
  Display* d = Connection();
  if (!d) return false;
  char keys[32];
  XQueryKeymap(d, keys);
  for (KeySym sym : {XK_Super_L, XK_Super_R}) {
    KeyCode code = XKeysymToKeycode(d, sym);
    if (code && (keys[code / 8] & (1 << (code % 8)))) return true;
  }
  return false;
}

void DisableResize() {
  Display* d = Connection();
  Window w = window_services.native_window();
  if (!d || !w) return;
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = window_services.width();
  hints->min_height = hints->max_height = window_services.height();
  XSetWMNormalHints(d, w, hints);
  XFree(hints);
  XFlush(d);
}

void MacResolutionWarning(int width, int height, int& x, int& y, int& screen_height) {
  int screen_width = window_services.screen_width();
  screen_height = window_services.screen_height();
  x = screen_width / 2 - width / 2;
  y = screen_height / 2 - height / 2;
  // On a screen smaller than the window, the title bar must stay on the screen.
  if (screen_width > 0 && x < 0) x = 0;
  if (screen_height > 0 && y < 0) y = 0;
  if (screen_height < 740)
    MessageBox(platform::Text(kTextSkytapperRequiresLeast,
                              "Skytapper requires at least 740 lines of vertical resolution for "
                              "all features to be accessible."),
               false, true);
}

bool ServerHasFocusMac() {
  Display* d = Connection();
  Window ours = window_services.native_window();
  if (!d || !ours) return true;  // no desktop to share the focus with
  // A window manager that publishes the active window decides.
  Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", True);
  if (active != None) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), active, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success && data) {
      Window w = count ? *reinterpret_cast<Window*>(data) : 0;
      XFree(data);
      if (type == XA_WINDOW && w) return IsOurs(d, w, ours) || IsOurs(d, ours, w);
    }
  }
  Window focus;
  int revert;
  XGetInputFocus(d, &focus, &revert);
  if (focus == PointerRoot) {
    Window root, child;
    int rx, ry, wx, wy;
    unsigned int mask;
    if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
    focus = child;
    // The pointer's top-level window: ours when ours sits inside it.
    return focus && (IsOurs(d, focus, ours) || IsOurs(d, ours, focus));
  }
  return focus != None && IsOurs(d, focus, ours);
}

bool ClientRunningOnThisMac() {
  Display* d = Connection();
  return d && FindViewerWindow(d) != 0;
}

void GiveFocusToClientMac() {
  Display* d = Connection();
  if (!d) return;
  Window w = FindViewerWindow(d);
  if (!w) return;
  Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = active;
  e.xclient.format = 32;
  e.xclient.data.l[0] = 2;  // from a pager: honoured even without a user time stamp
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XMapRaised(d, w);
  XFlush(d);
}
