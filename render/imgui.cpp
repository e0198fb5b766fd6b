#include "render/imgui.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "frame/frame_globals.h"
#include "frame/host_clock.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/utf8.h"
#include "frame/window.h"
#include "render/font.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "render/widget_drawing_state.h"

Imgui imgui;

namespace {

constexpr int kPanelThumbId = 1000000;
constexpr int kPanelPageUpId = 1000001;
constexpr int kPanelPageDownId = 1000002;
constexpr int kLabelUnits = 1024;      // labels hold at most 1023 units
constexpr size_t kMaxQueuedKeys = 1024;  // keys typed while no frame runs are dropped beyond this
constexpr int kShift = 1;

const float selection_colour[4] = {87 / 255.0f, 137 / 255.0f, 213 / 255.0f, 1};
const float selected_text_colour[4] = {203 / 255.0f, 203 / 255.0f, 203 / 255.0f, 1};

// Shared scratch of the widget functions (the GUI runs on the main thread only).
char g_text_buffer[2048];
unsigned short g_label[kLabelUnits];
unsigned short g_cut[kLabelUnits];

const uint64_t g_program_start = HostTimeNanos();

int64_t DefaultNow() { return static_cast<int64_t>((HostTimeNanos() - g_program_start) / 1000000); }

int DefaultWindowWidth() {
  if (window_services.width) return window_services.width();
  GLint v[4];
  glGetIntegerv(GL_VIEWPORT, v);
  return v[2];
}
int DefaultWindowHeight() {
  if (window_services.height) return window_services.height();
  GLint v[4];
  glGetIntegerv(GL_VIEWPORT, v);
  return v[3];
}

float FontSize(const Font* f) { return f ? f->GetPixelSize() : 0.0f; }

Font::Alignment Align(int a) { return static_cast<Font::Alignment>(a); }

int Round(float v) { return static_cast<int>(v + 0.5f); }

}  // namespace

Imgui::Platform Imgui::platform;

void Imgui::ResetPlatform() {
  platform = Platform();
  FillPlatform();
}

void Imgui::FillPlatform() {
  if (!platform.now_ms) platform.now_ms = DefaultNow;
  if (!platform.write_clipboard)
    platform.write_clipboard = [](const std::string& s) { WriteToPasteboard(s); };
  if (!platform.read_clipboard) platform.read_clipboard = [](std::string& s) { ReadFromPasteboard(s); };
  if (!platform.unmark_text)
    platform.unmark_text = [] {
      if (window_services.unmark_text) window_services.unmark_text();
    };
  if (!platform.window_width) platform.window_width = DefaultWindowWidth;
  if (!platform.window_height) platform.window_height = DefaultWindowHeight;
}

Imgui::Imgui() {
  std::fill(std::begin(key_due), std::end(key_due), -1);
}

Imgui::~Imgui() { CleanUp(); }

int Imgui::WindowWidth() const {
  if (!platform.window_width) FillPlatform();
  return platform.window_width();
}

int Imgui::WindowHeight() const {
  if (!platform.window_height) FillPlatform();
  return platform.window_height();
}

Imgui::InitParams Imgui::InitParams::ProgramLayout(Font* font, float font_height) {
  InitParams p;
  p.font = font;
  p.font_height = font_height;
  p.scroll_bar_width = 10;
  p.margin = 10;
  p.widget_width = 140;
  p.widget_height = 32;
  p.gap = 9;
  return p;
}

void Imgui::Init(const InitParams& p) {
  FillPlatform();
  owns_fonts = p.owns_fonts;
  if (p.font) {
    font = p.font;
    bold_font = p.bold_font ? p.bold_font : p.font;
  } else {
    font = new Font;
    std::string bold_path;
    if (font->Init(MakePath(kPathFonts, "DroidSans.ttf").c_str(), p.font_height, nullptr, 0)) {
      bold_path = MakePath(kPathFonts, "DroidSans-Bold.ttf");
    } else {
      delete font;
      font = new Font;
      font->Init(MakePath(kPathFonts, "verdana.ttf").c_str(), p.font_height, nullptr, 0);
      bold_path = MakePath(kPathFonts, "verdanab.ttf");
    }
    bold_font = new Font;
    if (!bold_font->Init(bold_path.c_str(), p.font_height, nullptr, 0)) {
      delete bold_font;
      bold_font = font;
    }
    owns_fonts = true;
  }
  font_size = FontSize(font);
  bold_font_size = FontSize(bold_font);
  scroll_bar_width = p.scroll_bar_width;
  margin = p.margin;
  widget_width = p.widget_width;
  widget_height = p.widget_height;
  gap = p.gap;
  unused_param = p.unused;
  const int H = WindowHeight();
  last_window_height = H;
  panel_scroll = static_cast<float>(H);
  layout_x = scroll_bar_width + margin;
  layout_y = H - margin;
}

void Imgui::CleanUp() {
  if (!owns_fonts) return;
  if (bold_font != font) delete bold_font;
  delete font;
  font = bold_font = nullptr;
}

void Imgui::ReplaceFonts(Font* regular, Font* bold) {
  if (bold_font && bold_font != font) delete bold_font;
  delete font;
  font = regular;
  bold_font = bold ? bold : regular;
  font_size = FontSize(font);
  bold_font_size = FontSize(bold_font);
}

// ---- Frame ------------------------------------------------------------------------------

void Imgui::Begin(bool side_panel) {
  FillPlatform();
  const int W = WindowWidth(), H = WindowHeight();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, W, 0, H, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  last_hot_id = hot_id;
  hot_id = 0;
  if (tracing) {
    trace.clear();
    trace_state = interface_state;
  }
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (side_panel) {
    const float sb = static_cast<float>(scroll_bar_width);
    const float right = static_cast<float>(scroll_bar_width + 2 * margin + widget_width);
    const float fh = static_cast<float>(H);
    glColor4f(200 / 255.0f, 200 / 255.0f, 200 / 255.0f, 0.75f);
    glRectf(0, 0, sb, fh);
    glColor4f(176 / 255.0f, 176 / 255.0f, 176 / 255.0f, 0.9f);
    glRectf(sb, 0, right, fh);
    glBegin(GL_LINES);
    glColor4f(0.6f, 0.6f, 0.6f, 1);
    glVertex2f(sb, 0);
    glVertex2f(sb, fh);
    glColor4f(160 / 255.0f, 160 / 255.0f, 160 / 255.0f, 1);
    glVertex2f(right, 0);
    glVertex2f(right, fh);
    glColor4f(105 / 255.0f, 105 / 255.0f, 105 / 255.0f, 1);
    glVertex2f(right + 1, 0);
    glVertex2f(right + 1, fh);
    glEnd();
  }
  content_height = margin;
  frame_time = platform.now_ms();
}

void Imgui::End() {
  const int H = WindowHeight();
  content_height = content_height - GetGap(static_cast<GapSize>(last_gap_size)) + margin;
  if (H < content_height) {
    const float fH = static_cast<float>(H);
    const float thumb = fH / static_cast<float>(content_height) * fH;
    if (H != last_window_height && H != 0 && last_window_height != 0) {
      panel_scroll *= fH / static_cast<float>(last_window_height);
      panel_scroll = std::clamp(panel_scroll, thumb, fH);
    }
    int top = Round(panel_scroll);
    int bottom = top - Round(thumb);
    const bool in_column = mouse_x >= 0 && mouse_x < scroll_bar_width;
    if (in_column && mouse_y >= bottom && mouse_y < top) {
      hot_id = kPanelThumbId;
      if (mouse_down && active_id == 0) {
        active_id = kPanelThumbId;
        panel_drag_anchor = mouse_y;
      }
    }
    // The thumb, a raised bevel.
    const float grey = (active_id == kPanelThumbId || (hot_id == kPanelThumbId && active_id == 0))
                           ? 203 / 255.0f : 0.75f;
    const float l = 0, r = static_cast<float>(scroll_bar_width), t = static_cast<float>(top),
                b = static_cast<float>(bottom);
    glColor4f(grey, grey, grey, 1);
    glRectf(l, b, r, t);
    glBegin(GL_LINES);
    glColor4f(230 / 255.0f, 230 / 255.0f, 230 / 255.0f, 1);
    glVertex2f(l + 1, t - 1.5f);
    glVertex2f(r - 1, t - 1.5f);
    glVertex2f(l + 1.5f, t - 1);
    glVertex2f(l + 1.5f, b + 1);
    glColor4f(64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1);
    glVertex2f(r - 0.5f, t);
    glVertex2f(r - 0.5f, b);
    glVertex2f(l, b + 0.5f);
    glVertex2f(r, b + 0.5f);
    glColor4f(128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1);
    glVertex2f(r - 1.5f, t - 1);
    glVertex2f(r - 1.5f, b + 1);
    glVertex2f(l + 1, b + 1.5f);
    glVertex2f(r - 1, b + 1.5f);
    glEnd();
    if (active_id == kPanelThumbId) {
      panel_scroll += static_cast<float>(mouse_y - panel_drag_anchor);
      panel_drag_anchor = mouse_y;
      panel_scroll = std::clamp(panel_scroll, thumb, fH);
    }
    layout_y = static_cast<int>(static_cast<float>(H - margin) -
                                (1 - (panel_scroll - thumb) / (fH - thumb)) *
                                    static_cast<float>(H - content_height));
    if (in_column && mouse_y >= top) {
      hot_id = kPanelPageUpId;
      if (mouse_down && active_id == 0) {
        active_id = kPanelPageUpId;
        panel_scroll = std::min(panel_scroll + thumb, fH);
      }
    } else if (in_column && mouse_y < bottom) {
      hot_id = kPanelPageDownId;
      if (mouse_down && active_id == 0) {
        active_id = kPanelPageDownId;
        panel_scroll = std::max(panel_scroll - thumb, thumb);
      }
    }
    const int64_t now = frame_time;
    if (special_keys[KEY_UP] && KeyDue(KEY_UP)) {
      panel_scroll = std::min(panel_scroll + (fH - thumb) * 0.0004f, fH);
      key_due[KEY_UP] = now;
    }
    if (special_keys[KEY_DOWN] && KeyDue(KEY_DOWN)) {
      panel_scroll = std::max(panel_scroll - (fH - thumb) * 0.0004f, thumb);
      key_due[KEY_DOWN] = now;
    }
    if (special_keys[KEY_PAGE_UP] && KeyDue(KEY_PAGE_UP)) {
      panel_scroll = std::min(panel_scroll + thumb, fH);
      key_due[KEY_PAGE_UP] = now + 250;
    }
    if (special_keys[KEY_PAGE_DOWN] && KeyDue(KEY_PAGE_DOWN)) {
      panel_scroll = std::max(panel_scroll - thumb, thumb);
      key_due[KEY_PAGE_DOWN] = now + 250;
    }
  } else {
    layout_y = H - margin;
  }
  layout_x = scroll_bar_width + margin;
  last_window_height = H;
  if (hot_id == 0 || hot_id != last_hot_id) hover_timer = -1;
  if (focus_id != edited_id) {
    const bool was_composing = edited_id != -1 || !marked_text.empty();
    edited_id = -1;
    selection_start = selection_end = caret = 0;
    marked_text.clear();
    if (was_composing && platform.unmark_text) platform.unmark_text();
  }
  if (!mouse_down) active_id = 0;
  else if (active_id == 0) active_id = -1;
  if (KeyQueued(9)) focus_id = 0;
  key_queue.clear();
  glDisable(GL_BLEND);
}

// ---- Keyboard input ---------------------------------------------------------------------

void Imgui::AddKey(int key) {
  if (key_queue.size() >= kMaxQueuedKeys) return;
  switch (key) {
    case 3: case 8: case 9: case 13: case 22: case 24: case 127:
      if (marked_text.empty()) key_queue.push_back(key);
      return;
    default:
      break;
  }
  if (key <= 0 || key > 0xFFFF || !font) return;
  if (font->FindGlyph(static_cast<unsigned short>(key), false)) key_queue.push_back(key);
}

void Imgui::SetSpecialKey(int glut_key, bool down) {
  int k;
  switch (glut_key) {
    case 100: k = KEY_LEFT; break;
    case 101: k = KEY_UP; break;
    case 102: k = KEY_RIGHT; break;
    case 103: k = KEY_DOWN; break;
    case 104: k = KEY_PAGE_UP; break;
    case 105: k = KEY_PAGE_DOWN; break;
    case 106: k = KEY_HOME; break;
    case 107: k = KEY_END; break;
    case 108: k = KEY_INSERT; break;
    default: return;
  }
  if (down) {
    if (!marked_text.empty()) return;
    special_keys[k] = true;
  } else {
    special_keys[k] = false;
    key_due[k] = -1;
  }
}

bool Imgui::HandleMacTextUnmarking(unsigned char key) {
  if (marked_text.empty()) return false;
  bool cancel = key == 27;
  if (key == 127) {
    unsigned short units[4];
    cancel = StrFromUtf8(units, 4, marked_text.c_str(), nullptr) == 1;
  }
  if (!cancel) return false;
  marked_text.clear();
  if (platform.unmark_text) platform.unmark_text();
  return true;
}

int Imgui::GetGap(GapSize size) const { return size == GAP_HALF ? gap / 2 : gap; }

void Imgui::ShowFocus(int x, int y, int w, int h) {
  skyt::EnableGuard stipple(GL_LINE_STIPPLE, true);
  glLineStipple(1, 0xCCCC);
  glColor4f(0.5f, 0.5f, 0.5f, 1);
  const float l = static_cast<float>(x) - 1.5f, t = static_cast<float>(y) + 1.5f;
  const float r = static_cast<float>(x + w) + 1.5f, b = static_cast<float>(y - h) - 1.5f;
  glBegin(GL_LINE_STRIP);
  if (w >= widget_width) glVertex2f(static_cast<float>(x + widget_width) + 1.5f, t);
  glVertex2f(l, t);
  glVertex2f(l, b);
  glVertex2f(r, b);
  glVertex2f(r, t);
  glEnd();
}

// ---- Shared widget rules ----------------------------------------------------------------

bool Imgui::WidgetHot(int id) const { return hot_id == id && (active_id == 0 || active_id == id); }

void Imgui::ClaimFocus(int id) {
  if (focus_id == 0) focus_id = id;
}

bool Imgui::KeyQueued(int key) const {
  return std::find(key_queue.begin(), key_queue.end(), key) != key_queue.end();
}

bool Imgui::HandleTab() {
  if (!KeyQueued(9)) return false;
  focus_id = modifiers == kShift ? previous_id : 0;
  key_queue.erase(std::remove(key_queue.begin(), key_queue.end(), 9), key_queue.end());
  return true;
}

bool Imgui::KeyDue(int k) const { return key_due[k] == -1 || frame_time >= key_due[k]; }

bool Imgui::HoveredLongEnough(int id) const {
  return hover_timer != -1 && frame_time - hover_timer >= 500 && last_hot_id == id;
}

bool Imgui::Inside(int x, int y, int w, int h) const {
  return mouse_x >= x && mouse_x < x + w && mouse_y >= y - h && mouse_y < y;
}

void Imgui::HotActive(int id, bool inside) {
  if (!inside) return;
  hot_id = id;
  if (active_id == 0 && mouse_down) active_id = id;
}

// A push button under the mouse is hot and, on a press, active. Hovering starts the timer of
// the whole-label view; a press before that view restarts it, so a quick click never shows it.
void Imgui::ButtonHover(int id, bool inside, bool long_enough) {
  if (!inside) return;
  hot_id = id;
  if (active_id == 0 && mouse_down) {
    active_id = id;
    if (!long_enough) hover_timer = frame_time;
  }
  if (hover_timer == -1) hover_timer = frame_time;
}

// The end of a push button: its focus frame around (x, y, w, h), Return while focused, and the
// release over it that clicks it (and takes the focus).
bool Imgui::ButtonClicked(int id, int x, int y, int w, int h, bool long_enough) {
  if (focus_id == id) {
    ShowFocus(x - 1, y + 1, w + 2, h + 2);
    if (!HandleTab() && KeyQueued(13)) return true;
  }
  previous_id = id;
  if (!mouse_down && hot_id == id && active_id == id) {
    focus_id = id;
    if (!long_enough) hover_timer = frame_time;
    return true;
  }
  return false;
}

// ---- Labels -----------------------------------------------------------------------------

float Imgui::LabelX() const { return font ? 1.5f * font->GetWidth("X") : 0.0f; }

// Converts and measures a label into g_label.
void Imgui::MeasureLabel(const char* label, Fitted& f) {
  f.units = g_label;
  f.count = StrFromUtf8(g_label, kLabelUnits, label ? label : "", nullptr);
  f.width = font ? font->GetWidthW(g_label) : 0;
}

// The units to draw in a width w: the whole label, or its longest prefix that leaves room
// for "..." (into g_cut).
void Imgui::CutLabel(int w, Fitted& f) {
  const float X = LabelX();
  f.fits = f.width <= static_cast<float>(w) - X;
  if (f.fits || !font) return;
  const float d = 3 * font->GetWidthW(static_cast<unsigned short>('.'));
  const float limit = static_cast<float>(w) - 0.8f * X;
  float width = 0;
  int n = 0;
  while (n < f.count && n < kLabelUnits - 4) {
    const float next = width + font->GetWidthW(f.units[n]);
    if (next + d >= limit) break;
    width = next;
    ++n;
  }
  std::copy(f.units, f.units + n, g_cut);
  g_cut[n] = g_cut[n + 1] = g_cut[n + 2] = '.';
  g_cut[n + 3] = 0;
  f.shown = g_cut;
}

float Imgui::ShownWidth(const Fitted& f) const {
  return font && f.shown ? font->GetWidthW(f.shown) : 0;
}

void Imgui::PrintLabel(const Fitted& f, bool whole, int x, int y, int w, int h, float alpha, int shift,
                       bool shadow) {
  if (!font) return;
  const unsigned short* units = whole ? f.units : f.shown;
  const bool centred = f.fits;
  const float tx = centred ? static_cast<float>(x) + static_cast<float>(w) / 2
                           : static_cast<float>(x) + LabelX() / 2;
  const float ty = static_cast<float>(y) - (static_cast<float>(h) + font_size) / 2;
  const Font::Alignment a = Align(centred ? 1 : 0);
  const float s = static_cast<float>(shift);
  if (shadow) {
    glColor4f(1, 1, 1, alpha);
    font->PrintW(tx + 1 + s, ty - 1 - s, a, units);
  }
  glColor4f(0, 0, 0, alpha);
  font->PrintW(tx + s, ty - s, a, units);
}

// ---- Texts ------------------------------------------------------------------------------

void Imgui::PrintTextArgs(const Font* f, float x, float y, float alpha, const char* format,
                          va_list args) {
  if (!format) return;
  vsnprintf(g_text_buffer, sizeof g_text_buffer, format, args);
  if (!f) return;
  glColor4f(0, 0, 0, alpha);
  f->Print(x, y, Align(0), g_text_buffer);
}

// A text with its top at (x, y), `size` the font's line height: printed, greyed at half
// strength, and traced.
void Imgui::DrawTextArgs(const Font* f, float size, int x, int y, bool greyed, const char* format,
                         va_list args) {
  PrintTextArgs(f, static_cast<float>(x), static_cast<float>(y) - size, greyed ? 0.5f : 1, format, args);
  TraceText(f, x, y, greyed);
}

void Imgui::DoText(int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  DrawTextArgs(font, font_size, x, y, false, format, args);
  va_end(args);
}

void Imgui::DoTextGreyed(int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  DrawTextArgs(font, font_size, x, y, true, format, args);
  va_end(args);
}

void Imgui::DoBoldText(int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  DrawTextArgs(bold_font, bold_font_size, x, y, false, format, args);
  va_end(args);
}

// ---- Buttons ----------------------------------------------------------------------------

bool Imgui::DoButton(int id, int x, int y, int w, int h, const char* label) {
  const bool long_enough = HoveredLongEnough(id);
  Fitted f;
  MeasureLabel(label, f);
  CutLabel(w, f);
  const int full_w = static_cast<int>(std::ceil(LabelX() + f.width));
  const int hit_w = long_enough && !f.fits ? full_w : w;
  ButtonHover(id, Inside(x, y, hit_w, h), long_enough);
  ClaimFocus(id);
  const bool whole = !f.fits && ((hot_id == id && long_enough) ||
                                 (focus_id == id && special_keys[KEY_RIGHT]));
  const int drawn_w = whole ? full_w : w;
  const bool pressed = active_id == id;
  ButtonBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(drawn_w),
                   static_cast<float>(h), WidgetHot(id), pressed, true, true);
  PrintLabel(f, whole || f.fits, x, y, w, h, 1, pressed ? 1 : 0, true);
  Trace(TraceKind::BUTTON, id, x, y, w, h, label, false);
  TraceDrawnText(whole || f.fits ? f.width : ShownWidth(f), !(whole || f.fits));
  return ButtonClicked(id, x, y, drawn_w, h, long_enough);
}

void Imgui::DoButtonGreyed(int x, int y, int w, int h, const char* label) {
  ButtonBackgroundGreyed(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
                         static_cast<float>(h), true, true);
  Fitted f;
  MeasureLabel(label, f);
  CutLabel(w, f);
  PrintLabel(f, f.fits, x, y, w, h, 0.3f, 0, true);
  Trace(TraceKind::BUTTON, 0, x, y, w, h, label, true);
  TraceDrawnText(f.fits ? f.width : ShownWidth(f), !f.fits);
}

bool Imgui::DoButtonIconOnly(int id, int x, int y, int w, int h, UIIconID icon) {
  Trace(TraceKind::ICON_BUTTON, id, x, y, w, h, nullptr, false, static_cast<int>(icon));
  const bool long_enough = HoveredLongEnough(id);
  ButtonHover(id, Inside(x, y, w, h), long_enough);
  ClaimFocus(id);
  const bool pressed = active_id == id;
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const float fw = static_cast<float>(w), fh = static_cast<float>(h);
  if (DrawsSimplified(graphics_mode)) {
    const float grey = (hot_id == id && active_id == 0) ? 0.796f : 0.75f;
    glColor4f(grey, grey, grey, 1);
    glRectf(fx + 1, fy - fh + 1, fx + fw - 1, fy - 1);
    const float light = 230 / 255.0f, dark = 64 / 255.0f, mid = 150 / 255.0f;
    const float top_left = pressed ? dark : light, bottom_right = pressed ? light : dark;
    glBegin(GL_LINES);
    glColor4f(top_left, top_left, top_left, 1);
    glVertex2f(fx, fy - 0.5f);
    glVertex2f(fx + fw, fy - 0.5f);
    glVertex2f(fx + 0.5f, fy);
    glVertex2f(fx + 0.5f, fy - fh);
    glColor4f(bottom_right, bottom_right, bottom_right, 1);
    glVertex2f(fx, fy - fh + 0.5f);
    glVertex2f(fx + fw, fy - fh + 0.5f);
    glVertex2f(fx + fw - 0.5f, fy);
    glVertex2f(fx + fw - 0.5f, fy - fh);
    glColor4f(mid, mid, mid, 1);
    if (pressed) {
      glVertex2f(fx + 1, fy - 1.5f);
      glVertex2f(fx + fw - 1, fy - 1.5f);
      glVertex2f(fx + 1.5f, fy - 1);
      glVertex2f(fx + 1.5f, fy - fh + 1);
    } else {
      glVertex2f(fx + 1, fy - fh + 1.5f);
      glVertex2f(fx + fw - 1, fy - fh + 1.5f);
      glVertex2f(fx + fw - 1.5f, fy - 1);
      glVertex2f(fx + fw - 1.5f, fy - fh + 1);
    }
    glEnd();
  } else {
    ButtonBackground(fx, fy, fw, fh, WidgetHot(id), pressed, true, true);
  }
  const int iw = (icon == UI_ICON_T || icon == UI_ICON_T_CROSSED) ? 39 : 58;
  DrawIcon(icon, x - 1 + (w - iw) / 2, (y - h) + (h - 42) / 2, pressed);
  return ButtonClicked(id, x, y, w, h, long_enough);
}

// ---- Slider -----------------------------------------------------------------------------

bool Imgui::DoSlider(int id, int x, int y, int w, int h, int& value, int max, int step) {
  Trace(TraceKind::SLIDER, id, x, y, w, h, nullptr, false, value);
  HotActive(id, Inside(x, y, w, h));
  ClaimFocus(id);
  if (active_id == id) focus_id = id;
  const bool hot_look = active_id == id || (active_id == 0 && hot_id == id);
  const float fraction = max > 0 ? static_cast<float>(value) / static_cast<float>(max) : 0.0f;
  SliderBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
                   static_cast<float>(h), fraction, true, hot_look, true, true);
  if (focus_id == id) {
    ShowFocus(x, y, w, h);
    if (!HandleTab()) {
      if (special_keys[KEY_LEFT] && value > 0) {
        value = std::max(value - step, 0);
        return true;
      }
      if (special_keys[KEY_RIGHT] && value < max) {
        value = std::min(value + step, max);
        return true;
      }
      if (special_keys[KEY_HOME] && value >= 1) {
        value = 0;
        return true;
      }
      if (special_keys[KEY_END] && value < max) {
        value = max;
        return true;
      }
    }
  }
  previous_id = id;
  if (active_id == id) {
    // A slider one pixel wide (or less) has no travel: it only knows its two ends.
    const int travel = std::max(w - 1, 1);
    const int64_t pos = std::clamp(mouse_x - x, 0, std::max(w - 1, 0));
    const int v = static_cast<int>(pos * max / travel);
    if (v != value) {
      value = v;
      return true;
    }
  }
  return false;
}

// ---- List box ---------------------------------------------------------------------------

namespace {

struct RecordItems {
  const void* base;
  int stride;
  static const char* Get(const void* ctx, int i) {
    const auto* self = static_cast<const RecordItems*>(ctx);
    const char* record = static_cast<const char*>(self->base) + static_cast<ptrdiff_t>(i) * self->stride;
    return *reinterpret_cast<const char* const*>(record);
  }
};

const char* StringItem(const void* ctx, int i) {
  return (*static_cast<const std::vector<std::string>*>(ctx))[static_cast<size_t>(i)].c_str();
}

}  // namespace

bool Imgui::DoListBox(int id, int id_page_up, int id_page_down, int x, int y, int w,
                      int visible_lines, int count, const void* items, int stride,
                      ListBoxState& state) {
  RecordItems r{items, stride};
  return ListBox(id, id_page_up, id_page_down, x, y, w, visible_lines, items ? count : 0,
                 &RecordItems::Get, &r, state);
}

bool Imgui::DoListBox(int id, int id_page_up, int id_page_down, int x, int y, int w,
                      int visible_lines, const std::vector<std::string>& items, ListBoxState& state) {
  return ListBox(id, id_page_up, id_page_down, x, y, w, visible_lines,
                 static_cast<int>(items.size()), &StringItem, &items, state);
}

bool Imgui::ListBox(int id, int id_page_up, int id_page_down, int x, int y, int w, int n, int count,
                    const char* (*item)(const void*, int), const void* ctx, ListBoxState& state) {
  const float size = font_size;
  const float line_h = size + 4;
  const int H = static_cast<int>(line_h * static_cast<float>(n) + 6);
  const float fH = static_cast<float>(H);
  const int sx = x + w - 20;
  Trace(TraceKind::LIST_BOX, id, x, y, w, H, nullptr, false, state.selected);
  const float fx = static_cast<float>(x), fy = static_cast<float>(y), fw = static_cast<float>(w);
  ScrollBar(static_cast<float>(sx), fy, 20, fH, true, true);
  ClaimFocus(id);
  int first = 0;
  if (count > n && n > 0) {
    const float thumb = std::max(22.0f, static_cast<float>(n) / static_cast<float>(count) * fH);
    const int lowest = static_cast<int>(-(fH - thumb + 1));
    auto clamp_offset = [&] { state.offset = std::clamp(state.offset, std::min(lowest, 0), 0); };
    clamp_offset();
    const int top = y + state.offset;
    const int bottom = top - Round(thumb);
    const bool column = mouse_x >= sx && mouse_x < x + w;
    if (column && mouse_y >= bottom && mouse_y < top) {
      hot_id = id;
      if (active_id == 0 && mouse_down) {
        active_id = id;
        state.anchor = mouse_y;
      }
    }
    ButtonBackground(static_cast<float>(sx), static_cast<float>(top), 20, thumb, WidgetHot(id),
                     active_id == id, true, true);
    if (active_id == id) {
      state.offset += mouse_y - state.anchor;
      state.anchor = mouse_y;
      clamp_offset();
    }
    if (column && mouse_y >= top && mouse_y < y) {
      hot_id = id_page_up;
      if (active_id == 0 && mouse_down) {
        active_id = id_page_up;
        state.offset = std::min(0, static_cast<int>(static_cast<float>(state.offset) + thumb));
      }
    } else if (column && mouse_y >= y - H && mouse_y < bottom) {
      hot_id = id_page_down;
      if (active_id == 0 && mouse_down) {
        active_id = id_page_down;
        state.offset = static_cast<int>(static_cast<float>(state.offset) - thumb);
        clamp_offset();
      }
    }
    const float travel = fH - thumb;
    if (travel > 0)
      first = static_cast<int>(static_cast<float>(count - n + 1) *
                               (-static_cast<float>(state.offset) / travel));
    first = std::clamp(first, 0, count - n);
  }
  EditBoxBackground(fx, fy, fw - 32, fH, false, true, true);
  {
    skyt::ScissorGuard scissor(x + 2, y - H + 2, w - 36, H - 4);
    for (int i = 0; i < n && first + i < count; ++i) {
      const float b = fy - static_cast<float>(i + 1) * line_h - 1;
      const bool selected = first + i == state.selected;
      if (selected) {
        glColor4fv(selection_colour);
        if (i == 0)
          HalfRoundedRectSolid(fx + 2, b + size + 3, fw - 36, size + 6, 6, UI_STYLE_UP);
        else if (i == n - 1)
          HalfRoundedRectSolid(fx + 2, b + size + 1, fw - 36, size + 4, 6, UI_STYLE_DOWN);
        else
          glRectf(fx + 2, static_cast<float>(static_cast<int>(b - 3)), fx + fw - 34,
                  static_cast<float>(static_cast<int>(b + size + 2)));
        glColor4fv(selected_text_colour);
      } else {
        glColor4f(0, 0, 0, 1);
      }
      const char* s = item(ctx, first + i);
      if (font && s) font->Print(fx + 6, b, Align(0), s);
    }
  }
  if (focus_id == id) ShowFocus(x - 1, y + 1, w - 30, H + 2);
  const int before = state.selected;
  if (active_id == 0 && mouse_down && n > 0 && Inside(x, y, w - 32, H)) {
    focus_id = id;
    const int line = std::clamp(
        static_cast<int>(static_cast<float>(mouse_y - y) / -fH * static_cast<float>(n)), 0, n - 1);
    if (first + line < count) state.selected = first + line;
  }
  if (focus_id == id && !HandleTab()) {
    // Offsets that put the selection at the top or bottom of the view; only a list longer
    // than its view scrolls.
    const bool scrolls = count > n && n > 0;
    const float per_item =
        scrolls ? (fH - static_cast<float>(n) / static_cast<float>(count) * fH) /
                      static_cast<float>(count - n)
                : 0;
    const bool up = special_keys[KEY_UP] && KeyDue(KEY_UP);
    const bool page_up = special_keys[KEY_PAGE_UP] && KeyDue(KEY_PAGE_UP);
    if (up || page_up) {
      if (state.selected < 1) {
        if (count > 0) state.selected = 0;
      } else {
        state.selected = std::max(0, state.selected - (page_up ? n : 1));
        if (state.selected < first) {
          int offset = scrolls ? static_cast<int>(per_item * static_cast<float>(-state.selected) - 0.5f) : 0;
          if (offset > 0 || state.selected == 0) offset = 0;
          state.offset = offset;
        }
      }
      key_due[page_up ? KEY_PAGE_UP : KEY_UP] = frame_time + 200;
    }
    const bool down = special_keys[KEY_DOWN] && KeyDue(KEY_DOWN);
    const bool page_down = special_keys[KEY_PAGE_DOWN] && KeyDue(KEY_PAGE_DOWN);
    if (down || page_down) {
      if (state.selected < count - 1) {
        state.selected = std::min(count - 1, state.selected + (page_down ? n : 1));
        if (state.selected >= first + n) {
          if (scrolls) {
            int offset = static_cast<int>(per_item * static_cast<float>(n - state.selected - 1) - 0.5f);
            const int lowest = static_cast<int>(
                -(fH - static_cast<float>(n) / static_cast<float>(count) * fH + 1));
            if (state.selected == count - 1 || offset < lowest) offset = lowest;
            state.offset = offset;
          } else {
            state.offset = 0;
          }
        }
      }
      key_due[page_down ? KEY_PAGE_DOWN : KEY_DOWN] = frame_time + 200;
    }
  }
  previous_id = id;
  return state.selected != before;
}

void Imgui::SetSelectedLine(int line, int n, int count, ListBoxState& state) const {
  if (line == -1) return;
  state.selected = line;
  if (count <= n || n <= 0) {
    state.offset = 0;
    return;
  }
  const float L = static_cast<float>(static_cast<int>((font_size + 4) * static_cast<float>(n) + 2));
  const float R = L - static_cast<float>(n) / static_cast<float>(count) * L;
  int offset = static_cast<int>(R / static_cast<float>(count - n) * static_cast<float>(n - line - 1) - 0.5f);
  const int lowest = static_cast<int>(-(R + 1));
  if (line == count - 1 || offset < lowest) offset = lowest;
  state.offset = offset;
}

int Imgui::GetHoveredLine(int x, int y, int w, int n, int count, const ListBoxState& state) const {
  if (n <= 0) return -1;
  const float L = static_cast<float>(static_cast<int>((font_size + 4) * static_cast<float>(n) + 2));
  int first = 0;
  if (count > n) {
    const float travel = L - static_cast<float>(n) / static_cast<float>(count) * L;
    first = static_cast<int>(-static_cast<float>(state.offset) / travel * static_cast<float>(count - n + 1));
    first = std::clamp(first, 0, count - n);
  }
  if (!(mouse_x >= x && mouse_x < x + w - 22 && static_cast<float>(mouse_y) >= static_cast<float>(y) - L &&
        mouse_y < y))
    return -1;
  const int line = static_cast<int>(static_cast<float>(n) * static_cast<float>(mouse_y - y) / -L);
  const int result = line < 0 ? first : std::min(n - 1, line) + first;
  return result >= count ? -1 : result;
}

int Imgui::ListBoxHeightToNumVisibleLines(int height) const {
  const float line_h = font_size + 4;
  return line_h > 0 ? static_cast<int>(static_cast<float>(height - 6) / line_h) : 0;
}

// ---- Check boxes ------------------------------------------------------------------------

bool Imgui::DoCheckBox(int id, int x, int y, const char* label, bool checked, bool radio) {
  Trace(TraceKind::CHECK_BOX, id, x, y, 24, 24, label, false, checked ? 1 : 0);
  TraceDrawnText(font && label ? font->GetWidth(label) : 0, false);
  HotActive(id, Inside(x, y, 24, 24));
  ClaimFocus(id);
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  CheckBox(fx, fy, 24, 24, radio, WidgetHot(id), checked, true, true);
  if (focus_id == id) ShowFocus(x - 1, y + 1, 26, 26);
  if (font && label) {
    glColor4f(0, 0, 0, 1);
    font->Print(fx + 33, fy - (font_size + 24) / 2, Align(0), label);
  }
  if (focus_id == id && !HandleTab() && KeyQueued(13)) return true;
  previous_id = id;
  if (!mouse_down && hot_id == id && active_id == id) {
    focus_id = id;
    return true;
  }
  return false;
}

void Imgui::DoCheckBoxGreyed(int x, int y, const char* label, bool checked) {
  Trace(TraceKind::CHECK_BOX, 0, x, y, 24, 24, label, true, checked ? 1 : 0);
  TraceDrawnText(font && label ? font->GetWidth(label) : 0, false);
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  CheckBoxGreyed(fx, fy, 24, 24, checked, true);
  if (font && label) {
    glColor4f(0, 0, 0, 0.5f);
    font->Print(fx + 33, fy - (font_size + 24) / 2, Align(0), label);
  }
}

// ---- The UI trace ----------------------------------------------------------------------

void Imgui::Trace(TraceKind kind, int id, int x, int y, int w, int h, const char* label, bool greyed,
                  int value) {
  if (tracing) trace.push_back({kind, id, x, y, w, h, label ? label : "", greyed, value});
}

void Imgui::TraceDrawnText(float text_w, bool cut) {
  if (!tracing || trace.empty()) return;
  trace.back().text_w = static_cast<int>(std::ceil(text_w));
  trace.back().cut = cut;
}

// A text drawn at (x, y), y its top: traced with its box, as wide as the text and a line high.
void Imgui::TraceText(const Font* f, int x, int y, bool greyed) {
  const int w = f ? static_cast<int>(std::ceil(f->GetWidth(g_text_buffer))) : 0;
  const int h = f ? static_cast<int>(f->GetPixelSize()) : 0;
  Trace(TraceKind::TEXT, 0, x, y, w, h, g_text_buffer, greyed);
  TraceDrawnText(static_cast<float>(w), false);
}

// ---- Layout-placed widgets --------------------------------------------------------------

void Imgui::AdvanceLayout(int height, GapSize size) {
  const int g = GetGap(size);
  layout_y -= height + g;
  content_height += height + g;
  last_gap_size = size;
}

bool Imgui::DoButton(int id, GapSize size, const char* label) {
  const bool fired = DoButton(id, layout_x, layout_y, widget_width, widget_height, label);
  AdvanceLayout(widget_height, size);
  return fired;
}

bool Imgui::DoEditBox(int id, GapSize size, char* text, size_t buffer_size, int max_chars,
                      bool file_name) {
  const bool changed =
      DoEditBox(id, layout_x, layout_y, widget_width, widget_height, text, buffer_size, max_chars, file_name);
  AdvanceLayout(widget_height, size);
  return changed;
}

bool Imgui::DoSlider(int id, GapSize size, int& value, int max, int step) {
  const bool changed = DoSlider(id, layout_x, layout_y, widget_width, widget_height / 2, value, max, step);
  AdvanceLayout(widget_height / 2, size);
  return changed;
}

void Imgui::DoText(GapSize size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintTextArgs(font, static_cast<float>(layout_x), static_cast<float>(layout_y) - font_size, 1, format,
                args);
  va_end(args);
  AdvanceLayout(static_cast<int>(font_size), size);
}

void Imgui::DoBoldText(GapSize size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintTextArgs(bold_font, static_cast<float>(layout_x), static_cast<float>(layout_y) - bold_font_size,
                1, format, args);
  va_end(args);
  AdvanceLayout(static_cast<int>(bold_font_size), size);
}

int Imgui::DoCustom(GapSize size, int height) {
  AdvanceLayout(height, size);
  return height + GetGap(size);
}

void Imgui::DoSeperator(GapSize size, const char* label) {
  const int height = label ? gap / 2 + static_cast<int>(bold_font_size) : gap;
  const float line_y = static_cast<float>(layout_y) - 1 - static_cast<float>(height) / 2;
  const float left = static_cast<float>(layout_x - 1);
  const float right = static_cast<float>(layout_x + widget_width + 1);
  const float centre = static_cast<float>(layout_x) + static_cast<float>(widget_width) / 2;
  float gap_left = centre, gap_right = centre;
  if (label && bold_font) {
    const float lw = bold_font->GetWidth(label);
    gap_left = centre - lw / 2 - 2;
    gap_right = centre + lw / 2 + 2;
  }
  glBegin(GL_LINES);
  for (int k = 0; k < 2; ++k) {
    const float grey = k == 0 ? 128 / 255.0f : 230 / 255.0f;
    const float ly = line_y - static_cast<float>(k);
    glColor4f(grey, grey, grey, 1);
    if (label) {
      glVertex2f(left, ly);
      glVertex2f(gap_left, ly);
      glVertex2f(gap_right, ly);
      glVertex2f(right, ly);
    } else {
      glVertex2f(left, ly);
      glVertex2f(right, ly);
    }
  }
  glEnd();
  if (label && bold_font) {
    glColor4f(0, 0, 0, 1);
    bold_font->Print(centre, line_y - bold_font_size / 2 + 2, Align(1), label);
  }
  AdvanceLayout(height, size);
}

namespace {

// The rest of the line without leading and trailing blanks and tabs.
std::string get_trimmed_line(std::istream& in) {
  std::string line;
  std::getline(in, line);
  const size_t b = line.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  const size_t e = line.find_last_not_of(" \t\r");
  return line.substr(b, e - b + 1);
}

}  // namespace

void Imgui::DoPrototypeGui(const char* path) {
  static int slider_value = 250000;
  static char edit_text[3 * 4 + 1] = "???";
  static std::vector<std::string> list_items;
  static ListBoxState list_state;
  std::ifstream in(path ? path : "");
  if (!in) return;
  const int top = WindowHeight() - 1;
  int dx = 0, dy = 0, id = 1;
  std::string word;
  while (in >> word) {
    if (word == "translate") {
      in >> dx >> dy;
    } else if (word == "text") {
      int x = 0, y = 0;
      in >> x >> y;
      const std::string line = get_trimmed_line(in);
      DoText(x + dx, top + dy - y, "%s", line.c_str());
    } else if (word == "button") {
      int x = 0, y = 0, w = 0, h = 0;
      in >> x >> y >> w >> h;
      const std::string line = get_trimmed_line(in);
      DoButton(id++, x + dx, top + dy - y, w, h, line.c_str());
    } else if (word == "slider") {
      int x = 0, y = 0, w = 0, h = 0;
      in >> x >> y >> w >> h;
      DoSlider(id++, x + dx, top + dy - y, w, h, slider_value, 1000000, 1000);
    } else if (word == "editbox") {
      int x = 0, y = 0, w = 0, h = 0;
      in >> x >> y >> w >> h;
      DoEditBox(id++, x + dx, top + dy - y, w, h, edit_text, 3, false);
    } else if (word == "checkbox" || word == "radiobutton") {
      int x = 0, y = 0;
      in >> x >> y;
      const std::string line = get_trimmed_line(in);
      DoCheckBox(id++, x + dx, top + dy - y, line.c_str(), false, word == "radiobutton");
    } else if (word == "listbox") {
      int x = 0, y = 0, w = 0, lines = 0;
      in >> x >> y >> w >> lines;
      if (list_items.empty()) {
        char item[32];
        for (int i = 1; i <= 20; ++i) {
          snprintf(item, sizeof item, "Item %d\n", i);
          list_items.emplace_back(item);
        }
      }
      DoListBox(id, id + 1, id + 2, x + dx, top + dy - y, w, lines, list_items, list_state);
      id += 3;
    } else if (word == "rem") {
      get_trimmed_line(in);
    } else {
      printf("Warning: unknown imgui widget type \"%s\"\n", word.c_str());
    }
  }
}
