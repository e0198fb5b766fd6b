// The freeglut window, the input-method text, and the X parts of the platform layer, on a
// virtual X server.
#include <gtest/gtest.h>
// After the test framework: Xlib's macros clash with its names.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "app/glut/decode_composition.h"
#include "app/glut/glut_window.h"
#include "app/glut/input_method.h"
#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"
#include "frame/window.h"
#include "tests/support/test_dirs.h"

// From app/app.h, whose Display() the X11 type of that name hides here.
bool ClientRunningOnThisDevice();
bool SetWhetherClientIsRunningOnThisDevice();

namespace {

std::string typed;
int empty_inserts = 0;  // insertions of no text
std::vector<int> keys;

void Xdo(const std::vector<std::string>& argv) { SpawnAndWait(argv, nullptr); }

// Lets freeglut and the input method handle what arrived.
void Pump(int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    glutMainLoopEvent();
    PumpInputMethod();
    usleep(5000);
  }
}

class GlutWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallGlutWindow();
    int argc = 1;
    char name[] = "platform_window_test";
    char* argv[] = {name, nullptr};
    window_services.init(&argc, argv);
    // Centred on the virtual screen, as the program places it.
    ASSERT_TRUE(window_services.create_window(160, 152, 960, 720, "Skytapper v1.1.2"));
    WindowCallbacks c;
    c.display = [] { window_services.swap_buffers(); };
    c.keyboard = [](unsigned char k, int, int) { keys.push_back(k); };
    c.insert_text = [](const char* t) {
      typed += t;
      if (!*t) ++empty_inserts;
    };
    window_services.set_callbacks(c);
    Pump();
  }
  void SetUp() override {
    typed.clear();
    keys.clear();
    wid_ = std::to_string(window_services.native_window());
    Xdo({"xdotool", "windowfocus", "--sync", wid_});
    Pump();
  }
  std::string wid_;
};

}  // namespace

TEST_F(GlutWindow, OpensAt960x720WithItsTitle) {
  EXPECT_EQ(window_services.width(), 960);
  EXPECT_EQ(window_services.height(), 720);
  CommandResult r = SpawnAndWait({"xdotool", "search", "--name", "^Skytapper v1\\.1\\.2$"}, nullptr);
  EXPECT_EQ(r.output, wid_ + "\n");
  r = SpawnAndWait({"xdotool", "getwindowgeometry", wid_}, nullptr);
  EXPECT_NE(r.output.find("Position: 160,152"), std::string::npos) << r.output;
  // Frames are swapped whole; masked air widgets draw through the stencil.
  EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
  EXPECT_GT(glutGet(GLUT_WINDOW_STENCIL_SIZE), 0);
}

// Puts the two letters on spare key codes, as a French and a Russian layout would.
void MapForeignLetters() {
  Display* d = XOpenDisplay(nullptr);
  int min_code, max_code, per_code;
  XDisplayKeycodes(d, &min_code, &max_code);
  KeySym* map = XGetKeyboardMapping(d, min_code, max_code - min_code + 1, &per_code);
  std::vector<int> spare;
  for (int code = max_code; code >= min_code && spare.size() < 2; --code) {
    bool empty = true;
    for (int i = 0; i < per_code; ++i) empty = empty && map[(code - min_code) * per_code + i] == NoSymbol;
    if (empty) spare.push_back(code);
  }
  XFree(map);
  ASSERT_EQ(spare.size(), 2u);
  KeySym eacute[2] = {XStringToKeysym("eacute"), XStringToKeysym("Eacute")};
  KeySym zhe[2] = {XStringToKeysym("Cyrillic_zhe"), XStringToKeysym("Cyrillic_ZHE")};
  XChangeKeyboardMapping(d, spare[0], 2, eacute, 1);
  XChangeKeyboardMapping(d, spare[1], 2, zhe, 1);
  XSync(d, False);
  XCloseDisplay(d);
}

TEST_F(GlutWindow, TypedTextArrivesAsUtf8AndControlKeysAsKeys) {
  MapForeignLetters();
  Pump();
  Xdo({"xdotool", "key", "--delay", "20", "H", "eacute", "l", "l", "o", "space", "Cyrillic_zhe", "exclam"});
  Pump(40);
  EXPECT_EQ(typed, "Héllo ж!");
  typed.clear();
  keys.clear();
  Xdo({"xdotool", "key", "--delay", "20", "ctrl+g", "Escape", "BackSpace", "Delete"});
  Pump(40);
  EXPECT_EQ(typed, "") << "control keys are not text";
  EXPECT_EQ(empty_inserts, 0) << "a key without text inserts nothing";
  // Backspace reaches the program as 127 (delete backwards), Delete as 8.
  EXPECT_EQ(keys, (std::vector<int>{7, 27, 127, 8}));
  // Alt and Super chords are commands: their letters are not typed.
  Xdo({"xdotool", "key", "--delay", "20", "alt+h", "super+h"});
  Pump(40);
  EXPECT_EQ(typed, "");
}

TEST_F(GlutWindow, FullScreenAndBackDespiteTheResizeLock) {
  DisableResize();
  window_services.full_screen();
  Pump(40);
  EXPECT_EQ(window_services.width(), 1280);
  EXPECT_EQ(window_services.height(), 1024);
  window_services.position(160, 152);
  window_services.reshape(960, 720);
  Pump(40);
  EXPECT_EQ(window_services.width(), 960);
  EXPECT_EQ(window_services.height(), 720);
}

// The swap interval of the current drawable as its driver reports it; -1 when the driver
// offers no way to ask.
int CurrentSwapInterval() {
  Display* d = glXGetCurrentDisplay();
  const char* ext = glXQueryExtensionsString(d, DefaultScreen(d));
  if (strstr(ext, "GLX_EXT_swap_control")) {
    unsigned interval = 0;
    glXQueryDrawable(d, glXGetCurrentDrawable(), GLX_SWAP_INTERVAL_EXT, &interval);
    return static_cast<int>(interval);
  }
  auto get = reinterpret_cast<int (*)()>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXGetSwapIntervalMESA")));
  if (strstr(ext, "GLX_MESA_swap_control") && get) return get();
  return -1;
}

TEST_F(GlutWindow, SwapIntervalIsOnlyAskedWhereOffered) {
  const bool offered = CurrentSwapInterval() >= 0;
  for (int interval : {1, 0}) {
    SCOPED_TRACE(interval);
    std::string error;
    EXPECT_EQ(window_services.set_swap_interval(interval, &error), offered);
    Pump();
    // Where the driver cannot do it, the request fails with a reason instead of an X error.
    if (offered)
      EXPECT_EQ(CurrentSwapInterval(), interval);
    else
      EXPECT_EQ(error, "the GL driver offers no swap-interval control");
  }
  // Without a current context there is nothing to ask.
  Display* d = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  const GLXContext context = glXGetCurrentContext();
  ASSERT_TRUE(glXMakeCurrent(d, None, nullptr));
  std::string error;
  EXPECT_FALSE(window_services.set_swap_interval(1, &error));
  EXPECT_EQ(error, "no current GL context");
  ASSERT_TRUE(glXMakeCurrent(d, drawable, context));
}

TEST_F(GlutWindow, ResizeLockAndSuperKey) {
  DisableResize();
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  XSizeHints hints;
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(d, window_services.native_window(), &hints, &supplied));
  EXPECT_EQ(hints.min_width, 960);
  EXPECT_EQ(hints.max_width, 960);
  EXPECT_EQ(hints.max_height, 720);
  EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize) << "the sizes are marked as given";
  XCloseDisplay(d);

  // The platform layer keeps its one connection to the server.
  const auto before = skyt_test::OpenFiles();
  EXPECT_FALSE(IsCmdPressed());
  EXPECT_EQ(skyt_test::OpenFiles(), before);
  Xdo({"xdotool", "keydown", "super"});
  EXPECT_TRUE(IsCmdPressed());
  Xdo({"xdotool", "keyup", "super"});
  EXPECT_FALSE(IsCmdPressed());
  Pump();
}

TEST_F(GlutWindow, SleepPreventionIsPairedExactly) {
  EXPECT_FALSE(IsSleepPrevented());
  PreventSleeping();
  PreventSleeping();
  EXPECT_TRUE(IsSleepPrevented());
  EXPECT_EQ(platform::SleepSuspendCount(), 1);
  AllowSleeping();
  EXPECT_EQ(platform::SleepSuspendCount(), 0);
  AllowSleeping();
  EXPECT_EQ(platform::SleepSuspendCount(), 0);
}

TEST_F(GlutWindow, ViewerWindowAndFocus) {
  EXPECT_FALSE(ClientRunningOnThisMac());
  EXPECT_TRUE(ServerHasFocusMac());
  // A stand-in viewer: a window of the viewer's class on a connection of its own.
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  Window viewer = XCreateSimpleWindow(d, DefaultRootWindow(d), 50, 50, 200, 100, 0, 0, 0);
  XClassHint hint;
  char res_name[] = "viewer", res_class[] = "org.kmw.Skytapper3D";
  hint.res_name = res_name;
  hint.res_class = res_class;
  XSetClassHint(d, viewer, &hint);
  XMapWindow(d, viewer);
  XSync(d, False);
  EXPECT_TRUE(ClientRunningOnThisMac());
  XLowerWindow(d, viewer);  // now the first window the server lists
  XSync(d, False);
  EXPECT_TRUE(ClientRunningOnThisMac());
  // Giving it the focus asks the window manager to activate it.
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  GiveFocusToClientMac();
  EXPECT_TRUE(ClientRunningOnThisMac());  // a round trip: the request has reached the server
  XSync(d, False);
  XEvent asked;
  ASSERT_TRUE(XCheckTypedEvent(d, ClientMessage, &asked));
  EXPECT_EQ(asked.xclient.window, viewer);
  EXPECT_EQ(asked.xclient.message_type, XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
  XSelectInput(d, DefaultRootWindow(d), NoEventMask);
  EXPECT_TRUE(SetWhetherClientIsRunningOnThisDevice());
  EXPECT_TRUE(ClientRunningOnThisDevice()) << "the viewer's keys and focus follow this computer";
  Xdo({"xdotool", "windowfocus", "--sync", std::to_string(viewer)});
  EXPECT_FALSE(ServerHasFocusMac());
  Xdo({"xdotool", "windowfocus", "--sync", wid_});
  EXPECT_TRUE(ServerHasFocusMac());
  // A window manager's active window outweighs the input focus.
  Window ours = window_services.native_window();
  Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  struct Row {
    Window active, focus;
    bool has_focus;
  };
  for (const Row& r : {Row{viewer, ours, false}, Row{ours, viewer, true}}) {
    XChangeProperty(d, DefaultRootWindow(d), active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&r.active), 1);
    XSync(d, False);
    Xdo({"xdotool", "windowfocus", "--sync", std::to_string(r.focus)});
    EXPECT_EQ(ServerHasFocusMac(), r.has_focus) << "active " << r.active;
  }
  XDeleteProperty(d, DefaultRootWindow(d), active);
  Xdo({"xdotool", "windowfocus", "--sync", wid_});
  XDestroyWindow(d, viewer);
  XCloseDisplay(d);
  EXPECT_FALSE(ClientRunningOnThisMac());
}

// A composition text in the locale's multibyte encoding, of length characters.
XIMText MultibyteText(unsigned short length, char* text) {
  XIMText out{};
  out.length = length;
  out.string.multi_byte = text;
  return out;
}

// A wide composition text of the given characters.
XIMText WideText(unsigned short length, wchar_t* text) {
  XIMText out{};
  out.length = length;
  out.encoding_is_wchar = True;
  out.string.wide_char = text;
  return out;
}

// Composition text needs no X server: an invalid or cut sequence ends it, keeping what came before,
// and the edit box's marked text is its UTF-8, never a broken sequence.
TEST(CompositionText, DecodesUpToItsFirstBrokenSequence) {
  const std::string locale = setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  wchar_t wide_chars[] = L"a\u20AC";
  // Latin, kana, hangul, a 0, past U+FFFF, a surrogate and past U+10FFFF.
  wchar_t every_length[] = {L'e', 0xE9, 0x304B, 0xD55C, 0, 0x1F941, 0xDC00, 0x110000};
  XIMText wide = WideText(2, wide_chars), all_lengths = WideText(8, every_length);
  char utf8[] = "a\xC3\xB1\xE2\x82\xAC", invalid[] = "ab\xFF" "cd", cut[] = "ab\xE2\x82";
  XIMText multibyte = MultibyteText(3, utf8), broken = MultibyteText(4, invalid), cut_short = MultibyteText(3, cut),
          zero_length = MultibyteText(0, utf8);
  struct Row {
    const char* what;
    const XIMText* text;
    std::u32string chars;
    std::string marked;
  };
  for (const Row& r : {Row{"wide", &wide, U"a\u20AC", "a\xE2\x82\xAC"},
                       Row{"wide, every length", &all_lengths, {U'e', 0xE9, 0x304B, 0xD55C, 0, 0x1F941, 0xDC00, 0x110000},
                           "e\xC3\xA9\xE3\x81\x8B\xED\x95\x9C\xF0\x9F\xA5\x81\xEF\xBF\xBD\xEF\xBF\xBD"},
                       Row{"UTF-8", &multibyte, U"a\u00F1\u20AC", utf8}, Row{"invalid byte", &broken, U"ab", "ab"},
                       Row{"cut at the end", &cut_short, U"ab", "ab"}, Row{"zero length", &zero_length, U"", ""},
                       Row{"no text", nullptr, U"", ""}}) {
    EXPECT_EQ(DecodeComposition(r.text), r.chars) << r.what;
    EXPECT_EQ(CharsToUtf8(r.chars), r.marked) << r.what;
  }
  setlocale(LC_CTYPE, locale.c_str());
}

// An input method's draw replaces its changed range of the composition; a range reaching past
// the end stops at the end.
TEST(CompositionText, ADrawReplacesItsRangeWithinTheComposition) {
  char xy[] = "XY";
  const XIMText text = MultibyteText(2, xy);
  struct Row {
    const char* what;
    int first, length;
    const XIMText* text;
    std::u32string after;
  };
  for (const Row& r : {Row{"middle", 1, 2, &text, U"aXYd"}, Row{"at the end", 4, 0, &text, U"abcdXY"},
                       Row{"start past the end", 9, 5, &text, U"abcdXY"}, Row{"deleted to past the end", 2, 9, nullptr, U"ab"}}) {
    std::u32string composition = U"abcd";
    XIMPreeditDrawCallbackStruct draw{};
    draw.chg_first = r.first;
    draw.chg_length = r.length;
    draw.text = const_cast<XIMText*>(r.text);
    ApplyCompositionDraw(composition, &draw);
    EXPECT_EQ(composition, r.after) << r.what;
  }
  std::u32string kept = U"abcd";
  ApplyCompositionDraw(kept, nullptr);
  EXPECT_EQ(kept, U"abcd");
}
