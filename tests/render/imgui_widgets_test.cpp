// Widget GUI behaviour under scripted input: hot/active/focus rules, Tab order, buttons,
// label fitting, sliders, list boxes, check boxes and keyboard input.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "frame/window.h"
#include "render/font.h"
#include "render/imgui.h"
#include "tests/render/imgui_test_support.h"
#include "tests/support/kept_pictures.h"
#include "tests/support/test_dirs.h"

using namespace skyt_test;

namespace {

constexpr int kA = 1 << 16, kB = 2 << 16, kC = 3 << 16;

}  // namespace

TEST_F(ImguiTest, FirstFocusableWidgetTakesFocusAndTabMovesIt) {
  bool fired[3] = {};
  auto widgets = [&] {
    fired[0] = gui.DoButton(kA, 100, 600, 140, 32, "One");
    fired[1] = gui.DoButton(kB, 100, 550, 140, 32, "Two");
    fired[2] = gui.DoButton(kC, 100, 500, 140, 32, "Three");
  };
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kA);
  input->Key(9);
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kB);
  EXPECT_TRUE(gui.key_queue.empty());
  input->Modifiers(1);
  input->Key(9);
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kA);
  input->Modifiers(0);
  input->Key(9);
  Frame(widgets);
  input->Key(9);
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kC);
  // A Tab on the last widget leaves no widget focused; the first one takes it next frame.
  input->Key(9);
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, 0);
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kA);
  EXPECT_FALSE(fired[0] || fired[1] || fired[2]);
}

TEST_F(ImguiTest, EnterFiresTheFocusedButtonOnly) {
  bool a = false, b = false;
  auto widgets = [&] {
    a = gui.DoButton(kA, 100, 600, 140, 32, "One");
    b = gui.DoButton(kB, 100, 550, 140, 32, "Two");
  };
  Frame(widgets);
  input->Key(13);
  Frame(widgets);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
}

// A new GUI, before any input has reached it: its first widget takes the focus, and the first
// click on a button fires it.
TEST_F(ImguiTest, NewGuiFocusesItsFirstWidgetAndTakesTheFirstClick) {
  Imgui fresh;
  fresh.Init(Imgui::InitParams::ProgramLayout(font.get(), 16));
  bool fired = false;
  auto frame = [&] {
    fresh.Begin(false);
    fired = fresh.DoButton(kA, 100, 600, 140, 32, "One") || fired;
    fresh.End();
  };
  frame();
  EXPECT_EQ(fresh.focus_id, kA);
  fresh.AddKey(13);
  frame();
  EXPECT_TRUE(fired) << "Return";
  fired = false;
  fresh.mouse_x = 150;
  fresh.mouse_y = 590;
  fresh.mouse_down = true;
  frame();
  fresh.mouse_down = false;
  frame();
  EXPECT_TRUE(fired) << "click";
}

TEST_F(ImguiTest, ButtonFiresOnlyWhenReleasedOverTheWidgetItWasPressedOn) {
  bool fired = false;
  auto widgets = [&] {
    if (gui.DoButton(kA, 100, 600, 140, 32, "Button")) fired = true;
  };
  // Pressed on empty space and dragged onto the button: neither active nor fired.
  input->MoveTo(400, 300);
  input->Press();
  Frame(widgets);
  input->MoveTo(150, 590);
  Frame(widgets);
  EXPECT_NE(gui.active_id, kA);
  input->Release();
  Frame(widgets);
  EXPECT_FALSE(fired);
  // Pressed on it, moved off, released: nothing.
  input->Press();
  Frame(widgets);
  EXPECT_EQ(gui.active_id, kA);
  input->MoveTo(400, 300);
  Frame(widgets);
  input->Release();
  Frame(widgets);
  EXPECT_FALSE(fired);
  // Pressed, moved off and back on before releasing: fires and takes the focus.
  gui.focus_id = kB;
  input->MoveTo(150, 590);
  input->Press();
  Frame(widgets);
  input->MoveTo(400, 300);
  Frame(widgets);
  input->MoveTo(150, 590);
  Frame(widgets);
  input->Release();
  Frame(widgets);
  EXPECT_TRUE(fired);
  EXPECT_EQ(gui.focus_id, kA);
}

TEST_F(ImguiTest, CutLabelWidensAfterHoveringHalfASecond) {
  const char* label = "A rather long button label";
  const float X = 1.5f * font->GetWidth("X");
  const float lw = font->GetWidth(label);
  const int x = 100, y = 600, h = 32;
  // Fits exactly: drawn centred, the hit area stays w wide.
  const int w_fit = static_cast<int>(std::ceil(lw + X));
  int w = w_fit;
  auto widgets = [&] { gui.DoButton(kA, x, y, w, h, label); };
  input->MoveTo(x + w + 3, y - 10);
  input->Frames(1000, widgets);
  EXPECT_NE(gui.hot_id, kA);

  // One pixel too narrow: the label is cut and the hit area stays w wide.
  w = static_cast<int>(std::ceil(lw + X)) - 1;
  while (lw <= static_cast<float>(w) - X) --w;
  input->MoveTo(x + w, y - 10);
  Frame(widgets);
  EXPECT_NE(gui.hot_id, kA);
  input->MoveTo(x + 10, y - 10);
  input->Frames(600, widgets);
  input->MoveTo(x + w, y - 10);
  Frame(widgets);
  EXPECT_EQ(gui.hot_id, kA) << "hovered long enough: the whole label shows";
  input->MoveTo(x + static_cast<int>(std::ceil(lw + X)), y - 10);
  Frame(widgets);
  EXPECT_NE(gui.hot_id, kA);
  input->MoveTo(400, 100);
  Frame(widgets);
  // Too narrow by 20 pixels: whole after 500 ms of hovering.
  w -= 20;
  input->MoveTo(x + w + 3, y - 10);
  Frame(widgets);
  EXPECT_NE(gui.hot_id, kA) << "the cut label's button is only w wide";
  input->MoveTo(x + 10, y - 10);
  input->Frames(200, widgets);
  EXPECT_EQ(gui.hot_id, kA);
  input->MoveTo(x + w + 3, y - 10);
  Frame(widgets);
  EXPECT_NE(gui.hot_id, kA) << "not yet hovered long enough";
  input->MoveTo(x + 10, y - 10);
  input->Frames(600, widgets);
  input->MoveTo(x + w + 3, y - 10);
  Frame(widgets);
  EXPECT_EQ(gui.hot_id, kA) << "the whole label widens the hit area";
  // Drawn wider too: the button face covers the widened area.
  gl->Clear(0, 0, 0, 1);
  Frame(widgets);
  EXPECT_GT(gl->CountDiffering(x + w + 2, y - 20, x + w + 4, y - 12, {0, 0, 0, 255}), 0);
  // And a click there fires.
  bool fired = false;
  auto click = [&] {
    if (gui.DoButton(kA, x, y, w, h, label)) fired = true;
  };
  input->Click(x + w + 3, y - 10, click);
  EXPECT_TRUE(fired);
}

TEST_F(ImguiTest, SliderEndsKeysAndDegenerateWidths) {
  int value = 50;
  bool changed = false;
  int w = 200;
  auto widgets = [&] { changed = gui.DoSlider(kA, 100, 400, w, 20, value, 100, 10); };
  input->MoveTo(50, 390);  // left of the slider
  Frame(widgets);
  input->MoveTo(150, 390);
  input->Press();
  Frame(widgets);
  input->MoveTo(20, 390);
  Frame(widgets);
  EXPECT_EQ(value, 0);
  input->MoveTo(100 + w - 1, 390);
  Frame(widgets);
  EXPECT_EQ(value, 100);
  EXPECT_TRUE(changed);
  input->MoveTo(900, 390);
  Frame(widgets);
  EXPECT_EQ(value, 100);
  EXPECT_FALSE(changed);
  input->Release();
  Frame(widgets);
  EXPECT_EQ(gui.focus_id, kA);

  // Keys act every frame while held, without delay.
  value = 5;
  input->Hold(GLUT_LEFT);
  Frame(widgets);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(changed);
  Frame(widgets);
  EXPECT_FALSE(changed);
  input->Let(GLUT_LEFT);
  input->Hold(GLUT_RIGHT);
  Frame(widgets);
  Frame(widgets);
  EXPECT_EQ(value, 20);
  input->Let(GLUT_RIGHT);
  input->Hold(GLUT_END);
  Frame(widgets);
  EXPECT_EQ(value, 100);
  EXPECT_TRUE(changed);
  input->Let(GLUT_END);
  input->Hold(GLUT_HOME);
  Frame(widgets);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(changed);
  input->Let(GLUT_HOME);

  // One pixel wide or less: dragging gives an end, never a division by zero.
  for (int narrow : {1, 0, -3}) {
    w = narrow;
    input->MoveTo(100, 390);
    input->Press();
    Frame(widgets);
    Frame(widgets);
    input->Release();
    Frame(widgets);
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
  }
}

namespace {

std::vector<std::string> Items(int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back("Item " + std::to_string(i));
  return v;
}

}  // namespace

TEST_F(ImguiTest, ListBoxKeysPagingAndRepeat) {
  const auto items = Items(10);
  Imgui::ListBoxState state;
  const int n = 4;
  bool changed = false;
  auto widgets = [&] { changed = gui.DoListBox(kA, kA + 1, kA + 2, 100, 600, 300, n, items, state); };
  // The selection after one more frame `ms` later.
  auto selected_after = [&](int ms) {
    input->now += ms;
    Frame(widgets);
    return state.selected;
  };
  Frame(widgets);
  ASSERT_EQ(gui.focus_id, kA);
  input->Hold(GLUT_DOWN);
  EXPECT_EQ(selected_after(0), 0);
  EXPECT_TRUE(changed);
  EXPECT_EQ(selected_after(0), 0);  // held: waits 200 ms before acting again
  EXPECT_EQ(selected_after(200), 1);
  input->Let(GLUT_DOWN);

  // Page Down moves by n and scrolls the selection to the last visible line.
  input->Hold(GLUT_PAGE_DOWN);
  Frame(widgets);
  input->Let(GLUT_PAGE_DOWN);
  EXPECT_EQ(state.selected, 5);
  Frame(widgets);
  EXPECT_EQ(gui.GetHoveredLine(100, 600, 300, n, 10, state), -1);
  // The line under the mouse at the bottom of the view is the selection.
  const float line_h = 16 + 4;
  input->MoveTo(150, 600 - static_cast<int>(line_h * 3.5f));
  EXPECT_EQ(gui.GetHoveredLine(100, 600, 300, n, 10, state), 5);

  // Down on the last item keeps it.
  state.selected = 8;
  input->Hold(GLUT_DOWN);
  EXPECT_EQ(selected_after(300), 9);
  EXPECT_EQ(selected_after(300), 9);
  EXPECT_FALSE(changed);
  input->Let(GLUT_DOWN);

  // Up from the top item stays at 0; Page Up goes back by n.
  input->Hold(GLUT_PAGE_UP);
  EXPECT_EQ(selected_after(0), 5);
  EXPECT_EQ(selected_after(300), 1);
  EXPECT_EQ(selected_after(300), 0);
  EXPECT_EQ(state.offset, 0);
  input->Let(GLUT_PAGE_UP);

  // A step that keeps the selection in view leaves the view where it was, the thumb off the
  // lines' steps (lines 4 to 7 shown) included; a step out of it scrolls the new line to the
  // view's edge (top 3 at offset -26, bottom 8 at -43).
  const struct { int key, from, to, offset; } steps[] = {
      {GLUT_UP, 5, 4, -30}, {GLUT_DOWN, 6, 7, -30}, {GLUT_UP, 4, 3, -26}, {GLUT_DOWN, 7, 8, -43}};
  for (const auto& s : steps) {
    state.offset = -30;
    state.selected = s.from;
    input->Hold(s.key);
    EXPECT_EQ(selected_after(300), s.to) << s.from;
    input->Let(s.key);
    EXPECT_EQ(state.offset, s.offset) << s.from;
  }
}

TEST_F(ImguiTest, ListBoxClicksAndShortLists) {
  const auto items = Items(10);
  Imgui::ListBoxState state;
  const int n = 4;
  auto widgets = [&] { gui.DoListBox(kA, kA + 1, kA + 2, 100, 600, 300, n, items, state); };
  // A click on the third line selects item 2 and focuses the list.
  input->Click(150, 600 - 2 * 20 - 10, widgets);
  EXPECT_EQ(state.selected, 2);
  EXPECT_EQ(gui.focus_id, kA);
  // A press in the page area below the thumb scrolls down one thumb length.
  input->Click(390, 600 - 80, widgets);
  EXPECT_LT(state.offset, 0);
  input->Click(150, 600 - 10, widgets);
  EXPECT_GT(state.selected, 2);

  // All lines fit: no thumb, the stored offset is ignored, keys never divide by zero.
  const auto few = Items(3);
  Imgui::ListBoxState short_state;
  short_state.offset = -40;
  auto short_list = [&] { gui.DoListBox(kB, kB + 1, kB + 2, 500, 600, 300, n, few, short_state); };
  gui.focus_id = kB;
  input->Click(550, 600 - 10, short_list);
  EXPECT_EQ(short_state.selected, 0);
  for (int glut_key : {GLUT_PAGE_DOWN, GLUT_DOWN, GLUT_PAGE_UP, GLUT_UP}) {
    input->Hold(glut_key);
    input->now += 300;
    Frame(short_list);
    input->Let(glut_key);
  }
  EXPECT_EQ(short_state.selected, 0);
  EXPECT_EQ(gui.GetHoveredLine(500, 600, 300, n, 3, short_state), 0);
  gui.SetSelectedLine(2, n, 3, short_state);
  EXPECT_EQ(short_state.selected, 2);
  EXPECT_EQ(short_state.offset, 0);
  // Setting the last line of a long list scrolls to the end.
  gui.SetSelectedLine(9, n, 10, state);
  EXPECT_EQ(state.selected, 9);
  input->MoveTo(150, 600 - 75);
  EXPECT_EQ(gui.GetHoveredLine(100, 600, 300, n, 10, state), 9);
  EXPECT_EQ(gui.ListBoxHeightToNumVisibleLines(4 * 20 + 6), 4);
}

// Every kind of focusable widget takes its turn in the Tab order.
TEST_F(ImguiTest, EveryFocusableWidgetKindTakesTheFocusOnTab) {
  char text[8] = "abc";
  int value = 3;
  Imgui::ListBoxState list;
  const auto items = Items(3);
  const struct { const char* name; std::function<void()> widget; } rows[] = {
      {"button", [&] { gui.DoButton(kB, 100, 500, 140, 32, "Two"); }},
      {"icon button", [&] { gui.DoButtonIconOnly(kB, 100, 500, 80, 50, UI_ICON_HOME); }},
      {"slider", [&] { gui.DoSlider(kB, 100, 500, 200, 30, value, 10, 1); }},
      {"check box", [&] { gui.DoCheckBox(kB, 100, 500, "Box", false, false); }},
      {"edit box", [&] { gui.DoEditBox(kB, 100, 500, 200, 32, text, 8, false); }},
      {"list box", [&] { gui.DoListBox(kB, kB + 1, kB + 2, 100, 500, 300, 3, items, list); }},
  };
  for (const auto& r : rows) {
    auto widgets = [&] {
      gui.DoButton(kA, 100, 600, 140, 32, "One");
      r.widget();
    };
    gui.focus_id = kA;
    Frame(widgets);
    input->Key(9);
    Frame(widgets);
    EXPECT_EQ(gui.focus_id, kB) << r.name;
  }
}

TEST_F(ImguiTest, CheckBoxClickAndEnter) {
  bool checked = false;
  auto widgets = [&] {
    if (gui.DoCheckBox(kA, 100, 500, "Use the metronome", checked, false)) checked = !checked;
  };
  input->Click(130, 490, widgets);  // on the label: only the box is hit-tested
  EXPECT_FALSE(checked);
  input->Click(110, 490, widgets);
  EXPECT_TRUE(checked);
  input->Key(13);
  Frame(widgets);
  EXPECT_FALSE(checked);
  // A greyed box's label sits where a live box's does: the pixels right of the box that the
  // letters cover more than half (the greyed label is drawn at half strength).
  auto label_extent = [&](bool greyed) {
    gl->Clear(1, 1, 1, 1);
    Frame([&] {
      if (greyed)
        gui.DoCheckBoxGreyed(100, 400, "Label", false);
      else
        gui.DoCheckBox(kB, 100, 400, "Label", false, false);
    });
    std::vector<int> extent = {1000, 1000, -1, -1};  // left, bottom, right, top
    for (int y = 360; y < 410; ++y)
      for (int x = 128; x < 220; ++x)
        if (gl->Pixel(x, y)[0] < (greyed ? 192 : 128))
          extent = {std::min(extent[0], x), std::min(extent[1], y), std::max(extent[2], x), std::max(extent[3], y)};
    return extent;
  };
  const std::vector<int> live = label_extent(false);
  EXPECT_GT(live[2], live[0]);
  EXPECT_EQ(label_extent(true), live);
}

TEST_F(ImguiTest, KeyboardInputRules) {
  // A printable key the font lacks never reaches the queue; control keys do.
  input->Key(0x4E00);
  input->Key(27);
  input->Key('a');
  input->Key(13);
  EXPECT_EQ(gui.key_queue, (std::vector<int>{'a', 13}));
  gui.key_queue.clear();
  // While composing, control keys and arrow presses are held back.
  input->Compose("ka");
  input->Key(9);
  input->Key(127);
  input->Hold(GLUT_LEFT);
  EXPECT_TRUE(gui.key_queue.empty());
  EXPECT_FALSE(gui.special_keys[Imgui::KEY_LEFT]);
  EXPECT_FALSE(gui.HandleMacTextUnmarking(127)) << "two characters composed";
  EXPECT_TRUE(gui.HandleMacTextUnmarking(27));
  EXPECT_TRUE(gui.marked_text.empty());
  input->Compose("\xe3\x81\x8b");  // one character
  EXPECT_TRUE(gui.HandleMacTextUnmarking(127));
  EXPECT_EQ(input->unmark_calls, 2);
  EXPECT_FALSE(gui.HandleMacTextUnmarking(27));
  // Releasing a key resets its due time.
  input->Hold(GLUT_LEFT);
  gui.key_due[Imgui::KEY_LEFT] = 12345;
  input->Let(GLUT_LEFT);
  EXPECT_EQ(gui.key_due[Imgui::KEY_LEFT], -1);
  // Keys typed while no frame runs are bounded.
  for (int i = 0; i < 100000; ++i) input->Key('a');
  EXPECT_LE(gui.key_queue.size(), 1024u);
}

TEST_F(ImguiTest, PanelScrollsWhenTheLayoutIsTallerThanTheWindow) {
  input->window_height = 200;
  auto widgets = [&] {
    for (int i = 0; i < 10; ++i) gui.DoButton((i + 1) << 16, Imgui::GAP_FULL, "Button");
  };
  Frame(widgets);
  EXPECT_EQ(gui.layout_y, 200 - 10) << "at the top position the content starts below the margin";
  const auto thumb = gl->Pixel(5, gl->height() - 20);  // the thumb's face, at the column's top
  EXPECT_EQ((std::vector<int>{thumb[0], thumb[1], thumb[2]}), (std::vector<int>{191, 191, 191}));
  // A press below the thumb pages down; the content moves up.
  input->Click(5, 5, widgets);
  Frame(widgets);
  EXPECT_GT(gui.layout_y, 190);
  const float scale = static_cast<float>(gl->height()) / 200;  // window units to pixels
  const int top = static_cast<int>(std::lround(gui.panel_scroll));
  // The thumb's light left edge stops short of its top row: the corner there is the face's.
  EXPECT_EQ(gl->Pixel(1, static_cast<int>((static_cast<float>(top) - 0.5f) * scale))[0], 191);
}

// The panel's scroll position (the thumb's top) under keys, page presses, a thumb drag and a
// window height change; it stays between the thumb's height and the window height.
TEST_F(ImguiTest, PanelScrollPositionFollowsKeysPressesAndDrags) {
  input->window_height = 200;
  auto widgets = [&] {
    for (int i = 0; i < 10; ++i) gui.DoButton((i + 1) << 16, Imgui::GAP_FULL, "Button");
  };
  const float thumb = 200.0f / (10 + 10 * (32 + 9) - 9 + 10) * 200;
  const float step = (200 - thumb) * 0.0004f;
  auto key = [&](int k) {
    return [&, k] {
      input->Hold(k);
      Frame(widgets);
      input->Let(k);
    };
  };
  // The thumb pressed, moved 30 up and held there for `frames` frames.
  auto drag = [&](int frames) {
    return [&, frames] {
      input->MoveTo(5, 100);
      input->Press();
      Frame(widgets);
      input->MoveTo(5, 70);
      for (int i = 0; i < frames; ++i) Frame(widgets);
      input->Release();
    };
  };
  const struct { const char* name; float start; std::function<void()> act; float want; } cases[] = {
      {"page up", thumb, key(GLUT_PAGE_UP), 2 * thumb},
      {"page up at the top", 190, key(GLUT_PAGE_UP), 200},
      {"page down", 200, key(GLUT_PAGE_DOWN), 200 - thumb},
      {"page down at the bottom", thumb + 10, key(GLUT_PAGE_DOWN), thumb},
      {"up", thumb, key(GLUT_UP), thumb + step},
      {"up at the top", 200, key(GLUT_UP), 200},
      {"down", 200, key(GLUT_DOWN), 200 - step},
      {"down at the bottom", thumb, key(GLUT_DOWN), thumb},
      {"press above the thumb", thumb, [&] { input->Click(5, 150, widgets); }, 2 * thumb},
      {"press on the row above the thumb", thumb, [&] { input->Click(5, 95, widgets); }, 2 * thumb},
      {"drag the thumb", 150, drag(1), 120},
      {"a drag held still", 150, drag(2), 120},
      {"a lower window", 150,
       [&] {
         input->window_height = 100;
         Frame(widgets);
         input->window_height = 200;
       },
       75},
  };
  for (const auto& c : cases) {
    Frame(widgets);
    gui.panel_scroll = c.start;
    c.act();
    EXPECT_NEAR(gui.panel_scroll, c.want, 0.001) << c.name;
  }
}

TEST(ImguiFonts, FallbackFontsLoadRegularAndBold) {
  GlContext gl;
  const std::string dir = FreshDir("imgui_fonts");
  ScopedChdir cd(dir);
  std::filesystem::create_directories("data/fonts");
  std::filesystem::copy_file(kTestFontPath, "data/fonts/DroidSans.ttf");
  std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                             "data/fonts/DroidSans-Bold.ttf");
  Imgui gui;
  Imgui::InitParams p;
  p.font_height = 18;
  gui.Init(p);
  ASSERT_NE(gui.font, nullptr);
  EXPECT_TRUE(gui.owns_fonts);
  EXPECT_NE(gui.bold_font, gui.font) << "the bold fallback font is found";
  EXPECT_EQ(gui.font_size, 18);
  EXPECT_GT(gui.bold_font->GetWidth("Wide"), gui.font->GetWidth("Wide"));
}

TEST(ImguiFonts, MissingFallbackFontsLeaveAnEmptyFont) {
  GlContext gl;
  ScopedChdir cd(FreshDir("imgui_no_fonts"));
  Imgui gui;
  Imgui::InitParams p;
  p.font_height = 18;
  gui.Init(p);
  ASSERT_NE(gui.font, nullptr);
  EXPECT_EQ(gui.bold_font, gui.font);
  EXPECT_EQ(gui.font->GetWidth("abc"), 0);
}

// A GUI of the program's layout in a window-less build: with no window to ask, it takes its
// size from the viewport.
class ImguiWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window_services.width = nullptr;
    window_services.height = nullptr;
    Imgui::ResetPlatform();
    ASSERT_TRUE(font_.Init(kTestFontPath, 16, nullptr, 0));
    gui_.Init(Imgui::InitParams::ProgramLayout(&font_, 16));
  }
  void TearDown() override {
    ResetWindowServices();
    Imgui::ResetPlatform();
  }
  GlContext gl_{640, 400};
  Font font_;
  Imgui gui_;
};

// The layout starts a margin below the viewport's top and a frame's projection maps window
// pixels one to one.
TEST_F(ImguiWindow, WithoutAWindowTheViewportGivesTheSize) {
  EXPECT_EQ(gui_.layout_y, 400 - 10);
  gl_.Clear();
  gui_.Begin(false);
  glColor4f(1, 0, 0, 1);
  glRectf(600, 360, 640, 400);  // the window's top right corner
  EXPECT_EQ(gl_.Pixel(630, 390)[0], 255);
  EXPECT_EQ(gl_.Pixel(590, 390)[0], 0);
  EXPECT_EQ(gl_.Pixel(630, 350)[0], 0);
}

// The side panel is edged by a dark line down the window's whole height, right of the scroll bar.
TEST_F(ImguiWindow, TheSidePanelsEdgeRunsTheWholeHeight) {
  gl_.Clear(1, 1, 1, 1);
  gui_.Begin(true);
  const int edge = gui_.scroll_bar_width;
  int rows = 0;
  for (int y = 0; y < 400; ++y) rows += gl_.CountDiffering(edge - 1, y, edge + 1, y + 1, {153, 153, 153, 255}, 3) < 2;
  EXPECT_GE(rows, 398);
}

TEST_F(ImguiTest, PrototypeLayoutDrawsItsWidgetsAndPrintsUserTextLiterally) {
  const std::string dir = FreshDir("imgui_prototype");
  const std::string path = dir + "/layout.txt";
  {
    std::ofstream out(path);
    out << "rem a layout\n"
        << "translate 10 0\n"
        << "text 20 20 Progress 100%s %n %d\n"
        << "button 20 60 140 32 Start\n"
        << "slider 20 110 200 20\n"
        << "editbox 20 150 200 32\n"
        << "checkbox 20 200 Loud\n"
        << "radiobutton 20 240 Soft\n"
        << "listbox 300 60 300 5\n"
        << "wobble 1 2\n";
  }
  testing::internal::CaptureStdout();
  Frame([&] { gui.DoPrototypeGui(path.c_str()); });
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Warning: unknown imgui widget type \"wobble\""), std::string::npos);
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(*gl, "widgets/prototype-layout"), "");
  // Widgets got ids 1 (button), 2 (slider), ...: the first one took the focus.
  EXPECT_EQ(gui.focus_id, 1);
  // The button sits 60 pixels below the top, moved 10 right.
  input->MoveTo(10 + 20 + 5, 720 - 1 - 60 - 5);
  Frame([&] { gui.DoPrototypeGui(path.c_str()); });
  EXPECT_EQ(gui.hot_id, 1);
  gui.DoPrototypeGui("/nonexistent/layout.txt");
}

TEST_F(ImguiTest, IconButtonFiresAndHasAFlatBevelInSimplifiedModes) {
  bool fired = false;
  auto widgets = [&] {
    if (gui.DoButtonIconOnly(kA, 100, 400, 80, 50, UI_ICON_HOME)) fired = true;
  };
  input->Click(140, 380, widgets);
  EXPECT_TRUE(fired);
  fired = false;
  input->Key(13);
  Frame(widgets);
  EXPECT_TRUE(fired);
  input->MoveTo(600, 100);
  for (int mode : {1, 3}) {
    graphics_mode = mode;
    gl->Clear(0, 0, 0, 1);
    Frame(widgets);
    const auto face = gl->Pixel(110, 370);
    EXPECT_NEAR(face[0], 191, 2) << "flat grey face in mode " << mode;
    EXPECT_NEAR(gl->Pixel(100, 380)[0], 230, 2) << "light left edge";
    EXPECT_NEAR(gl->Pixel(179, 380)[0], 64, 2) << "dark right edge";
  }
  graphics_mode = 0;
  // A greyed button takes no input.
  input->Click(140, 300, [&] { gui.DoButtonGreyed(100, 320, 80, 50, "Greyed"); });
  EXPECT_EQ(gui.focus_id, kA);
}

// Layout-placed widgets stack down from the cursor: each takes its height plus the gap (half of
// it, rounded down, for GAP_HALF) and is drawn (and traced) at the cursor with the widget metrics.
TEST_F(ImguiTest, LayoutPlacedWidgetsStackDownFromTheCursor) {
  char text[8] = "abc";
  int value = 3;
  const int bold = static_cast<int>(gui.bold_font_size);
  const struct {
    const char* name;
    std::function<void()> widget;
    int height, traced_h, traced_value = 0;
  } cases[] = {
      {"button", [&] { gui.DoButton(kA, Imgui::GAP_FULL, "Go"); }, 32 + 9, 32, 0},
      {"edit box", [&] { gui.DoEditBox(kA, Imgui::GAP_HALF, text, 4, false); }, 32 + 4, 32, 0},
      {"slider", [&] { gui.DoSlider(kA, Imgui::GAP_FULL, value, 10, 1); }, 16 + 9, 16, 3},
      {"text", [&] { gui.DoText(Imgui::GAP_HALF, "%d", 7); }, 16 + 4, -1},
      {"bold text", [&] { gui.DoBoldText(Imgui::GAP_FULL, "b"); }, bold + 9, -1},
      {"custom", [&] { EXPECT_EQ(gui.DoCustom(Imgui::GAP_HALF, 50), 54); }, 50 + 4, -1},
      {"separator", [&] { gui.DoSeperator(Imgui::GAP_FULL, nullptr); }, 9 + 9, -1},
      {"labelled separator", [&] { gui.DoSeperator(Imgui::GAP_HALF, "Part"); }, 4 + bold + 4, -1},
  };
  gui.tracing = true;
  for (const auto& c : cases) {
    int top = 0, content = 0;
    Frame([&] {
      top = gui.layout_y, content = gui.content_height;
      c.widget();
      EXPECT_EQ(top - gui.layout_y, c.height) << c.name;
      EXPECT_EQ(gui.content_height - content, c.height) << c.name;
    });
    if (c.traced_h < 0) continue;
    ASSERT_EQ(gui.trace.size(), 1u) << c.name;
    const auto& t = gui.trace[0];
    EXPECT_EQ((std::vector<int>{t.x, t.y, t.h}), (std::vector<int>{10 + 10, top, c.traced_h})) << c.name;
    EXPECT_EQ(t.value, c.traced_value) << c.name;  // the slider's value; 0 for the others
  }
}
