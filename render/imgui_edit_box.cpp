// The single-line edit box of the widget GUI.
#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "frame/utf8.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/widget_drawing.h"

namespace {

constexpr int kUnits = 1024;  // working copies hold at most 1023 units
constexpr int kShift = 1;

const float selection_colour[4] = {87 / 255.0f, 137 / 255.0f, 213 / 255.0f, 1};
const float selected_text_colour[4] = {203 / 255.0f, 203 / 255.0f, 203 / 255.0f, 1};

unsigned short g_work[kUnits];     // the edited text
unsigned short g_marked[kUnits];   // the composition
unsigned short g_paste[kUnits];    // pasted text
unsigned short g_piece[kUnits];    // a run of units to print
char g_utf8[2048];                 // copied text

bool IsFileNameRefused(int c) {
  switch (c) {
    case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

int Utf8Bytes(unsigned short c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

float Width(const Font* f, const unsigned short* s, int n) {
  float w = 0;
  if (f)
    for (int i = 0; i < n; ++i) w += f->GetWidthW(s[i]);
  return w;
}

// Prints n units from x (left-aligned) and returns the x after them.
float PrintRun(const Font* f, float x, float y, const unsigned short* s, int n) {
  if (!f || n <= 0) return x;
  std::copy(s, s + n, g_piece);
  g_piece[n] = 0;
  f->PrintW(x, y, Font::ALIGN_LEFT, g_piece);
  return x + Width(f, s, n);
}

}  // namespace

bool Imgui::DoEditBox(int id, int x, int y, int w, int h, char* text, size_t buffer_size,
                      int max_chars, bool file_name) {
  Trace(TraceKind::EDIT_BOX, id, x, y, w, h, text, false);
  const int64_t now = frame_time;
  // The text may hold no more units than the working copy, and its UTF-8 form no more bytes
  // than the caller's buffer.
  const int limit = std::clamp(max_chars, 0, kUnits - 1);
  const int byte_limit = buffer_size > 0 ? static_cast<int>(std::min<size_t>(buffer_size - 1, 1 << 20)) : 0;
  int len = text ? StrFromUtf8(g_work, limit + 1, text, nullptr) : 0;
  g_work[len] = 0;
  int bytes = 0;
  for (int i = 0; i < len; ++i) bytes += Utf8Bytes(g_work[i]);
  if (edited_id == id) {
    caret = std::clamp(caret, 0, len);
    selection_start = std::clamp(selection_start, 0, len);
    selection_end = std::clamp(selection_end, 0, len);
  }
  const float X = LabelX();
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const float tx = fx + X / 2;

  // The boundary nearest the mouse: boundaries lie at glyph centres.
  auto half = [&](int i) { return i < len && font ? font->GetWidthW(g_work[i]) / 2 : 0.0f; };
  int under_mouse = 0;
  {
    float edge = fx + static_cast<float>(static_cast<int>(X / 2)) + half(0);
    while (edge < static_cast<float>(mouse_x) && under_mouse < len) {
      ++under_mouse;
      edge += half(under_mouse - 1) + half(under_mouse);
    }
  }

  const bool long_enough = HoveredLongEnough(id);
  const float text_w = Width(font, g_work, len);
  const bool fits = text_w <= static_cast<float>(w) - X;
  const bool whole = !fits && (long_enough || (focus_id == id && edited_id == id));
  float dw = whole ? X + text_w : static_cast<float>(w);

  if (Inside(x, y, static_cast<int>(dw), h)) {
    hot_id = id;
    if (active_id == 0 && mouse_down) {
      active_id = id;
      click_anchor = under_mouse;
      hover_timer = now - 500;  // counts as hovered long enough at once
      edited_id = id;
      focus_id = id;
      caret_visible = true;
      caret_blink_due = now + 400;
      marked_text.clear();
      if (platform.unmark_text) platform.unmark_text();
    }
    if (hover_timer == -1) hover_timer = now;
  }
  ClaimFocus(id);
  if (active_id == id) {
    caret = under_mouse;
    // The text may have become shorter since the press (keys typed while the button is held).
    click_anchor = std::clamp(click_anchor, 0, len);
    selection_start = std::min(click_anchor, caret);
    selection_end = std::max(click_anchor, caret);
  }

  bool started = false;
  if (edited_id == -1 && focus_id == id &&
      ((!key_queue.empty() && !KeyQueued(9)) || special_keys[KEY_LEFT] || special_keys[KEY_RIGHT] ||
       special_keys[KEY_HOME] || special_keys[KEY_END])) {
    edited_id = id;
    caret_visible = true;
    caret_blink_due = now + 400;
    started = true;
  }
  const bool edited = edited_id == id;

  // What is shown.
  Fitted cut;
  cut.units = g_work;
  cut.count = len;
  cut.width = text_w;
  cut.shown = g_work;
  if (!fits && !whole) CutLabel(w, cut);
  int marked_len = 0;
  float marked_w = 0;
  if (edited && !marked_text.empty()) {
    marked_len = StrFromUtf8(g_marked, kUnits, marked_text.c_str(), nullptr);
    marked_w = Width(font, g_marked, marked_len);
    if (static_cast<float>(w) - X < text_w + marked_w) dw = X + text_w + marked_w;
  }

  EditBoxBackground(fx, fy, dw, static_cast<float>(h), edited || (active_id == 0 && hot_id == id), true,
                    true);
  if (edited) {
    const float x0 = static_cast<float>(static_cast<int>(tx + Width(font, g_work, selection_start) + 0.5f));
    const float x1 = static_cast<float>(static_cast<int>(tx + Width(font, g_work, selection_end) + 0.5f));
    glColor4fv(selection_colour);
    glRectf(x0, fy - 5, x1, fy - static_cast<float>(h) + 5);
  }
  const float line_y = fy - (font_size + static_cast<float>(h)) / 2;
  const bool has_selection = selection_start != selection_end;
  if (edited && has_selection) {
    glColor4f(0, 0, 0, 1);
    float px = PrintRun(font, tx, line_y, g_work, selection_start);
    glColor4fv(selected_text_colour);
    px = PrintRun(font, px, line_y, g_work + selection_start, selection_end - selection_start);
    glColor4f(0, 0, 0, 1);
    PrintRun(font, px, line_y, g_work + selection_end, len - selection_end);
  } else if (edited && marked_len > 0) {
    glColor4f(0, 0, 0, 1);
    float px = PrintRun(font, tx, line_y, g_work, caret);
    glColor4f(0.3f, 0.3f, 0.3f, 1);
    const float mx = px;
    px = PrintRun(font, px, line_y, g_marked, marked_len);
    glColor4f(0.2f, 0.2f, 0.2f, 1);
    glRectf(mx, line_y, px, line_y - 2);
    glColor4f(0, 0, 0, 1);
    PrintRun(font, px, line_y, g_work + caret, len - caret);
  } else if (font) {
    glColor4f(0, 0, 0, 1);
    font->PrintW(tx, line_y, Font::ALIGN_LEFT, cut.shown);
  }

  if (focus_id == id) {
    if (edited && now >= caret_blink_due) {
      caret_visible = !caret_visible;
      caret_blink_due = now + 400;
    }
    const float cx = tx + Width(font, g_work, caret) + marked_w;
    if (edited && (caret_visible || (special_keys[KEY_LEFT] && caret > 0) ||
                   (special_keys[KEY_RIGHT] && caret < len))) {
      if (has_selection)
        glColor4f(204 / 255.0f, 102 / 255.0f, 0, 1);
      else
        glColor4f(0, 0, 0, 1);
      const float lx = static_cast<float>(static_cast<int>(cx + 0.5f));
      glBegin(GL_LINES);
      glVertex2f(lx, fy - 5);
      glVertex2f(lx, fy - static_cast<float>(h) + 5);
      glEnd();
    }
    ShowFocus(x - 1, y + 1, static_cast<int>(dw) + 2, h + 2);
  }
  refused_char = false;

  bool changed = false;
  auto erase = [&](int from, int to) {
    for (int i = from; i < to; ++i) bytes -= Utf8Bytes(g_work[i]);
    std::copy(g_work + to, g_work + len + 1, g_work + from);
    len -= to - from;
    changed = true;
  };
  auto insert = [&](unsigned short c) {
    if (len >= limit || bytes + Utf8Bytes(c) > byte_limit) return false;
    std::copy_backward(g_work + caret, g_work + len + 1, g_work + len + 2);
    g_work[caret++] = c;
    ++len;
    bytes += Utf8Bytes(c);
    changed = true;
    return true;
  };
  auto show_caret = [&] {
    caret_visible = true;
    caret_blink_due = now + 400;
  };
  auto has_glyph = [&](int c) {
    return font && c > 0 && c <= 0xFFFF && font->FindGlyph(static_cast<unsigned short>(c), false);
  };

  if (focus_id == id) {
    // The first editing key in the queue acts.
    for (int key : key_queue) {
      if (key == 9) {
        HandleTab();
        break;
      }
      if (key == 127) {
        if (!started && selection_start == selection_end && caret > 0) {
          erase(caret - 1, caret);
          --caret;
        }
        break;
      }
      if (key == 8) {
        if (!started && selection_start == selection_end && caret < len) erase(caret, caret + 1);
        break;
      }
      if (key == 13) {
        if (!started) edited_id = -1;
        break;
      }
      if (key == 3 || key == 24) {
        if (!started && selection_end > selection_start) {
          StrToUtf8(g_utf8, sizeof g_utf8, g_work + selection_start, g_work + selection_end);
          if (platform.write_clipboard) platform.write_clipboard(g_utf8);
          if (KeyQueued(24)) show_caret();
        }
        break;
      }
    }

    const bool shift = modifiers == kShift;
    const bool shift_insert = shift && special_keys[KEY_INSERT] && KeyDue(KEY_INSERT);
    if (started) {
      for (int k : {KEY_LEFT, KEY_RIGHT, KEY_HOME, KEY_END})
        if (special_keys[k]) key_due[k] = now + 400;
    } else if (edited) {
      // Replacing a selection.
      bool replaces = shift_insert || !marked_text.empty();
      for (int key : key_queue)
        if (key == 127 || key == 8 || key == 22 || key == 24 || has_glyph(key)) replaces = true;
      if (selection_end > selection_start && replaces) {
        erase(selection_start, selection_end);
        caret = selection_start;
        selection_start = selection_end = 0;
      }
      // Typing.
      for (int key : key_queue) {
        if (len >= limit) break;
        if (!has_glyph(key)) {
          if (key > 31 && key != 127) refused_char = true;
          continue;
        }
        if (file_name && IsFileNameRefused(key)) {
          refused_char = true;
          continue;
        }
        insert(static_cast<unsigned short>(key));
      }
      // Pasting.
      if (shift_insert || KeyQueued(22)) {
        std::string pasted;
        if (platform.read_clipboard) platform.read_clipboard(pasted);
        const int n = StrFromUtf8(g_paste, kUnits, pasted.c_str(), nullptr);
        for (int i = 0; i < n && len < limit; ++i) {
          unsigned short c = g_paste[i];
          if (!has_glyph(c) || c == 8 || (file_name && IsFileNameRefused(c))) {
            c = '_';
            refused_char = true;
          }
          if (!insert(c)) break;
        }
        if (shift_insert) key_due[KEY_INSERT] = key_due[KEY_INSERT] == -1 ? now + 400 : now + 50;
        show_caret();
      }
      // Caret keys.
      auto acted = [&](int k) {
        key_due[k] = key_due[k] == -1 ? now + 400 : now + 50;
        show_caret();
      };
      auto clear_selection = [&] { selection_start = selection_end = 0; };
      // Left (step -1) and right (+1) move the caret one place. With Shift the selection grows
      // from the caret, or its edge at the caret follows it; without, a selection is dropped and
      // the caret stays.
      auto step_caret = [&](int key, int step) {
        if (!special_keys[key] || !KeyDue(key)) return;
        const int old = caret;
        if (step < 0 ? old <= 0 : old >= len) {
          if (!shift) clear_selection();
          return;
        }
        caret = old + step;
        if (shift) {
          int& leading = step < 0 ? selection_start : selection_end;  // the edge on the side moved to
          int& trailing = step < 0 ? selection_end : selection_start;
          if (selection_start == selection_end) {
            selection_start = std::min(old, caret);
            selection_end = std::max(old, caret);
          } else if ((caret - leading) * step > 0) {
            leading = caret;
          } else {
            trailing = caret;
          }
        } else if (selection_start != selection_end) {
          caret = old;
          clear_selection();
        }
        acted(key);
      };
      step_caret(KEY_LEFT, -1);
      step_caret(KEY_RIGHT, 1);
      if (special_keys[KEY_HOME] && KeyDue(KEY_HOME)) {
        if (caret > 0) {
          if (shift) {
            selection_end = caret == selection_end ? selection_start : caret;
            selection_start = 0;
          } else {
            clear_selection();
          }
          caret = 0;
          acted(KEY_HOME);
        } else if (!shift) {
          clear_selection();
        }
      }
      if (special_keys[KEY_END] && KeyDue(KEY_END)) {
        if (caret < len) {
          if (shift) {
            selection_start = caret == selection_start ? selection_end : caret;
            selection_end = len;
          } else {
            clear_selection();
          }
          caret = len;
          acted(KEY_END);
        } else if (!shift) {
          clear_selection();
        }
      }
    }
  }

  previous_id = id;
  if (!mouse_down && hot_id == id && active_id == id) {
    focus_id = id;
    if (!long_enough) hover_timer = now;
  }
  if (!changed || !text || buffer_size == 0) return false;
  StrToUtf8(text, static_cast<int>(std::min<size_t>(buffer_size, 1 << 20)), g_work, g_work + len);
  return true;
}
