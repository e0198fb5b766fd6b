#include "app/glut/input_method.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/glut/decode_composition.h"
#include "app/glut/glut_window.h"

namespace {

Display* display = nullptr;
XIM im = nullptr;
XIC ic = nullptr;
void (*insert_text)(const char*) = nullptr;
void (*set_marked_text)(const char*) = nullptr;
std::u32string preedit;  // the composition shown by the input method

void ReportPreedit() {
  if (!set_marked_text) return;
  set_marked_text(CharsToUtf8(preedit).c_str());
}

// Only printable text goes on: control keys reach the program through the keyboard callback.
std::string Printable(const char* text, int length) {
  std::string out;
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);
  }
  return out;
}

int PreeditStart(XIC, XPointer, XPointer) {
  preedit.clear();
  return -1;  // no length limit
}

void PreeditDone(XIC, XPointer, XPointer) {
  preedit.clear();
  ReportPreedit();
}

void PreeditDraw(XIC, XPointer, XPointer data) {
  ApplyCompositionDraw(preedit, reinterpret_cast<XIMPreeditDrawCallbackStruct*>(data));
  ReportPreedit();
}

void PreeditCaret(XIC, XPointer, XPointer) {}

void CreateContext(Window window) {
  XIMStyles* styles = nullptr;
  if (XGetIMValues(im, XNQueryInputStyle, &styles, nullptr) != nullptr || !styles) return;
  bool callbacks = false, nothing = false, none = false;
  for (int i = 0; i < styles->count_styles; ++i) {
    XIMStyle s = styles->supported_styles[i];
    if (s == (XIMPreeditCallbacks | XIMStatusNothing)) callbacks = true;
    if (s == (XIMPreeditNothing | XIMStatusNothing)) nothing = true;
    if (s == (XIMPreeditNone | XIMStatusNone)) none = true;
  }
  XFree(styles);
  if (callbacks) {
    static XIMCallback start, done, draw, caret;
    start.callback = reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditStart));
    done.callback = reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditDone));
    draw.callback = reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditDraw));
    caret.callback = reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditCaret));
    start.client_data = done.client_data = draw.client_data = caret.client_data = nullptr;
    XVaNestedList attrs = XVaCreateNestedList(0, XNPreeditStartCallback, &start, XNPreeditDoneCallback, &done,
                                              XNPreeditDrawCallback, &draw, XNPreeditCaretCallback, &caret,
                                              nullptr);
    ic = XCreateIC(im, XNInputStyle, XIMPreeditCallbacks | XIMStatusNothing, XNClientWindow, window,
                   XNFocusWindow, window, XNPreeditAttributes, attrs, nullptr);
    XFree(attrs);
  }
  if (!ic && nothing)
    ic = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                   XNFocusWindow, window, nullptr);
  if (!ic && none)
    ic = XCreateIC(im, XNInputStyle, XIMPreeditNone | XIMStatusNone, XNClientWindow, window,
                   XNFocusWindow, window, nullptr);
}

void HandleKeyPress(XKeyEvent* key) {
  char buf[256];
  KeySym sym = 0;
  std::string text;
  if (ic) {
    Status status = 0;
    int n = Xutf8LookupString(ic, key, buf, sizeof buf - 1, &sym, &status);
    if (status == XBufferOverflow) return;
    if (status == XLookupChars || status == XLookupBoth) text = Printable(buf, n);
  } else {
    // No input method: the key's Latin-1 character.
    int n = XLookupString(key, buf, sizeof buf - 1, &sym, nullptr);
    std::u32string latin1;
    for (unsigned char c : Printable(buf, n)) latin1 += c;
    text = CharsToUtf8(latin1);
  }
  // Ctrl and Alt chords are commands, not text.
  if (key->state & (ControlMask | Mod1Mask | Mod4Mask)) return;
  if (!text.empty() && insert_text) insert_text(text.c_str());
}

}  // namespace

void glutInsertTextFunc(void (*callback)(const char* text)) { insert_text = callback; }

void glutSetMarkedTextFunc(void (*callback)(const char* text)) { set_marked_text = callback; }

void glutUnmarkText() {
  if (ic) {
    char* committed = XmbResetIC(ic);
    if (committed) XFree(committed);
  }
  if (!preedit.empty()) {
    preedit.clear();
    ReportPreedit();
  }
}

void StartInputMethod(unsigned long window) {
  if (display || !window) return;
  // Only the character classification follows the user's locale: numbers keep the '.'.
  setlocale(LC_CTYPE, "");
  // Text must come out as UTF-8 whatever the user's locale: a plain C locale would lose
  // every character outside ASCII.
  if (strcmp(nl_langinfo(CODESET), "UTF-8") != 0) setlocale(LC_CTYPE, "C.UTF-8");
  display = XOpenDisplay(nullptr);
  if (!display) return;
  fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
  XSetLocaleModifiers("");
  if (XSupportsLocale()) im = XOpenIM(display, nullptr, nullptr, nullptr);
  if (!im) {
    XSetLocaleModifiers("@im=none");
    if (XSupportsLocale()) im = XOpenIM(display, nullptr, nullptr, nullptr);
  }
  if (im) CreateContext(window);
  long filter_events = 0;
  if (ic) XGetICValues(ic, XNFilterEvents, &filter_events, nullptr);
  XSelectInput(display, window, KeyPressMask | KeyReleaseMask | FocusChangeMask | filter_events);
  if (ic) XSetICFocus(ic);
  XFlush(display);
}

void PumpInputMethod() {
  if (!display) return;
  while (XPending(display) > 0) {
    XEvent e;
    XNextEvent(display, &e);
    if (e.type == MappingNotify) {
      // The keyboard layout changed: look keys up in the new one.
      XRefreshKeyboardMapping(&e.xmapping);
      continue;
    }
    if (XFilterEvent(&e, None)) continue;
    if (e.type == FocusIn && ic) XSetICFocus(ic);
    if (e.type == FocusOut && ic) XUnsetICFocus(ic);
    if (e.type == KeyPress) HandleKeyPress(&e.xkey);
  }
}
