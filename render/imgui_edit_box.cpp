// The single-line edit box of the widget GUI: one call a frame, in numbered steps over what the
// call shares (EditBox): the working copy, the mouse, the drawing, then the keys.
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

bool HasGlyph(const Font* f, int c) {
  return f && c > 0 && c <= 0xFFFF && f->FindGlyph(static_cast<unsigned short>(c), false);
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

// What the steps of one DoEditBox call share. The text is edited in g_work.
struct Imgui::EditBox {
  int id, x, y, w, h;
  bool file_name;
  int64_t now;
  int limit = 0;       // units the text may hold
  int byte_limit = 0;  // bytes its UTF-8 form may take in the caller's buffer
  int len = 0;         // units of the text
  int bytes = 0;       // UTF-8 bytes of the text
  float X = 0;         // the label margin; the text starts at tx = x + X/2
  float fx = 0, fy = 0, tx = 0;
  float text_w = 0;          // width of the whole text
  bool long_enough = false;  // hovered long enough, as for buttons
  bool fits = false;         // the text fits the box
  bool whole = false;        // the text does not fit but is shown whole, past the box's edge
  float dw = 0;              // the width drawn
  bool started = false;      // editing started from the keyboard this frame: no key acts
  bool edited = false;       // this box is the edited one
  int marked_len = 0;        // the composition, in g_marked
  float marked_w = 0;
  bool shift = false, shift_insert = false;
  bool changed = false;  // the text changed: it is written back

  void Erase(int from, int to) {
    for (int i = from; i < to; ++i) bytes -= Utf8Bytes(g_work[i]);
    std::copy(g_work + to, g_work + len + 1, g_work + from);
    len -= to - from;
    changed = true;
  }
  // At the caret, which moves past it; false when the text is full.
  bool Insert(int& caret, unsigned short c) {
    if (len >= limit || bytes + Utf8Bytes(c) > byte_limit) return false;
    std::copy_backward(g_work + caret, g_work + len + 1, g_work + len + 2);
    g_work[caret++] = c;
    ++len;
    bytes += Utf8Bytes(c);
    changed = true;
    return true;
  }
};

bool Imgui::DoEditBox(int id, int x, int y, int w, int h, char* text, size_t buffer_size,
                      int max_chars, bool file_name) {
  Trace(TraceKind::EDIT_BOX, id, x, y, w, h, text, false);
  EditBox box{.id = id, .x = x, .y = y, .w = w, .h = h, .file_name = file_name, .now = frame_time};
  EditBoxLoad(box, text, buffer_size, max_chars);
  const int under_mouse = EditBoxPositionUnderMouse(box);
  EditBoxMeasure(box);
  EditBoxMouse(box, under_mouse);
  box.started = EditBoxStartFromKeys(box);
  box.edited = edited_id == id;
  const Fitted cut = EditBoxShownText(box);
  EditBoxDrawBand(box);
  EditBoxDrawText(box, cut);
  if (focus_id == id) EditBoxDrawCaret(box);
  // 12. Each call tells afresh whether it refused a character.
  refused_char = false;
  if (focus_id == id) {
    EditBoxControlKey(box);
    EditBoxEditKeys(box);
  }
  // 19. A release over the box after a press in it gives it the focus.
  previous_id = id;
  if (!mouse_down && hot_id == id && active_id == id) {
    focus_id = id;
    if (!box.long_enough) hover_timer = box.now;
  }
  // 20. The caller's buffer is rewritten only when the text changed.
  if (!box.changed || !text || buffer_size == 0) return false;
  StrToUtf8(text, static_cast<int>(std::min<size_t>(buffer_size, 1 << 20)), g_work, g_work + box.len);
  return true;
}

// 1. The working copy, and the edited box's positions kept within it.
void Imgui::EditBoxLoad(EditBox& box, const char* text, size_t buffer_size, int max_chars) {
  // The text may hold no more units than the working copy, and its UTF-8 form no more bytes
  // than the caller's buffer.
  box.limit = std::clamp(max_chars, 0, kUnits - 1);
  box.byte_limit = buffer_size > 0 ? static_cast<int>(std::min<size_t>(buffer_size - 1, 1 << 20)) : 0;
  box.len = text ? StrFromUtf8(g_work, box.limit + 1, text, nullptr) : 0;
  g_work[box.len] = 0;
  for (int i = 0; i < box.len; ++i) box.bytes += Utf8Bytes(g_work[i]);
  if (edited_id == box.id) {
    caret = std::clamp(caret, 0, box.len);
    selection_start = std::clamp(selection_start, 0, box.len);
    selection_end = std::clamp(selection_end, 0, box.len);
  }
  box.X = LabelX();
  box.fx = static_cast<float>(box.x);
  box.fy = static_cast<float>(box.y);
  box.tx = box.fx + box.X / 2;
}

// 2. The boundary nearest the mouse: boundaries lie at glyph centres.
int Imgui::EditBoxPositionUnderMouse(const EditBox& box) const {
  auto half = [&](int i) { return i < box.len && font ? font->GetWidthW(g_work[i]) / 2 : 0.0f; };
  int under_mouse = 0;
  float edge = box.fx + static_cast<float>(static_cast<int>(box.X / 2)) + half(0);
  while (edge < static_cast<float>(mouse_x) && under_mouse < box.len) {
    ++under_mouse;
    edge += half(under_mouse - 1) + half(under_mouse);
  }
  return under_mouse;
}

// 3. The width drawn: the whole text, when it does not fit, once hovered or while edited.
void Imgui::EditBoxMeasure(EditBox& box) {
  box.long_enough = HoveredLongEnough(box.id);
  box.text_w = Width(font, g_work, box.len);
  box.fits = box.text_w <= static_cast<float>(box.w) - box.X;
  box.whole = !box.fits && (box.long_enough || (focus_id == box.id && edited_id == box.id));
  box.dw = box.whole ? box.X + box.text_w : static_cast<float>(box.w);
}

// 4. A press in the box makes it the edited one; 5. dragging selects from where it was pressed.
void Imgui::EditBoxMouse(EditBox& box, int under_mouse) {
  const int id = box.id;
  if (Inside(box.x, box.y, static_cast<int>(box.dw), box.h)) {
    hot_id = id;
    if (active_id == 0 && mouse_down) {
      active_id = id;
      click_anchor = under_mouse;
      hover_timer = box.now - 500;  // counts as hovered long enough at once
      edited_id = id;
      focus_id = id;
      ShowCaret(box.now);
      marked_text.clear();
      if (platform.unmark_text) platform.unmark_text();
    }
    if (hover_timer == -1) hover_timer = box.now;
  }
  ClaimFocus(id);
  if (active_id == id) {
    caret = under_mouse;
    // The text may have become shorter since the press (keys typed while the button is held).
    click_anchor = std::clamp(click_anchor, 0, box.len);
    selection_start = std::min(click_anchor, caret);
    selection_end = std::max(click_anchor, caret);
  }
}

// 6. A key typed (or a caret key held) in the focused box, when none is edited, makes it the
// edited one; the keys of this frame then do nothing else.
bool Imgui::EditBoxStartFromKeys(const EditBox& box) {
  if (edited_id != -1 || focus_id != box.id) return false;
  if ((key_queue.empty() || KeyQueued(9)) && !special_keys[KEY_LEFT] && !special_keys[KEY_RIGHT] &&
      !special_keys[KEY_HOME] && !special_keys[KEY_END])
    return false;
  edited_id = box.id;
  ShowCaret(box.now);
  return true;
}

// 7. The text as shown: cut when it does not fit and is not shown whole; the composition
// widens the box.
Imgui::Fitted Imgui::EditBoxShownText(EditBox& box) {
  Fitted cut;
  cut.units = g_work;
  cut.count = box.len;
  cut.width = box.text_w;
  cut.shown = g_work;
  if (!box.fits && !box.whole) CutLabel(box.w, cut);
  if (box.edited && !marked_text.empty()) {
    box.marked_len = StrFromUtf8(g_marked, kUnits, marked_text.c_str(), nullptr);
    box.marked_w = Width(font, g_marked, box.marked_len);
    if (static_cast<float>(box.w) - box.X < box.text_w + box.marked_w) box.dw = box.X + box.text_w + box.marked_w;
  }
  return cut;
}

// 8. The box, highlighted while edited or hot; 9. in the edited box the selection band (drawn
// even when empty).
void Imgui::EditBoxDrawBand(const EditBox& box) {
  const float h = static_cast<float>(box.h);
  EditBoxBackground(box.fx, box.fy, box.dw, h, box.edited || (active_id == 0 && hot_id == box.id), true, true);
  if (!box.edited) return;
  const float x0 = static_cast<float>(static_cast<int>(box.tx + Width(font, g_work, selection_start) + 0.5f));
  const float x1 = static_cast<float>(static_cast<int>(box.tx + Width(font, g_work, selection_end) + 0.5f));
  glColor4fv(selection_colour);
  glRectf(x0, box.fy - 5, x1, box.fy - h + 5);
}

// 10. The text: with the selection in its own colour, or with the composition underlined at
// the caret, or as shown.
void Imgui::EditBoxDrawText(const EditBox& box, const Fitted& cut) {
  const float line_y = box.fy - (font_size + static_cast<float>(box.h)) / 2;
  const int len = box.len;
  if (box.edited && selection_start != selection_end) {
    glColor4f(0, 0, 0, 1);
    float px = PrintRun(font, box.tx, line_y, g_work, selection_start);
    glColor4fv(selected_text_colour);
    px = PrintRun(font, px, line_y, g_work + selection_start, selection_end - selection_start);
    glColor4f(0, 0, 0, 1);
    PrintRun(font, px, line_y, g_work + selection_end, len - selection_end);
  } else if (box.edited && box.marked_len > 0) {
    glColor4f(0, 0, 0, 1);
    float px = PrintRun(font, box.tx, line_y, g_work, caret);
    glColor4f(0.3f, 0.3f, 0.3f, 1);
    const float mx = px;
    px = PrintRun(font, px, line_y, g_marked, box.marked_len);
    glColor4f(0.2f, 0.2f, 0.2f, 1);
    glRectf(mx, line_y, px, line_y - 2);
    glColor4f(0, 0, 0, 1);
    PrintRun(font, px, line_y, g_work + caret, len - caret);
  } else if (font) {
    glColor4f(0, 0, 0, 1);
    font->PrintW(box.tx, line_y, Font::ALIGN_LEFT, cut.shown);
  }
}

// 11. In the focused box: the caret blinks, and shows while a caret key is held that can move
// it; the focus outline.
void Imgui::EditBoxDrawCaret(const EditBox& box) {
  if (box.edited && box.now >= caret_blink_due) {
    caret_visible = !caret_visible;
    caret_blink_due = box.now + 400;
  }
  const float cx = box.tx + Width(font, g_work, caret) + box.marked_w;
  if (box.edited && (caret_visible || (special_keys[KEY_LEFT] && caret > 0) ||
                     (special_keys[KEY_RIGHT] && caret < box.len))) {
    if (selection_start != selection_end)
      glColor4f(204 / 255.0f, 102 / 255.0f, 0, 1);
    else
      glColor4f(0, 0, 0, 1);
    const float lx = static_cast<float>(static_cast<int>(cx + 0.5f));
    glBegin(GL_LINES);
    glVertex2f(lx, box.fy - 5);
    glVertex2f(lx, box.fy - static_cast<float>(box.h) + 5);
    glEnd();
  }
  ShowFocus(box.x - 1, box.y + 1, static_cast<int>(box.dw) + 2, box.h + 2);
}

// 13. The first of Tab, delete backwards (127), delete forwards (8), Enter (13), copy (3) and
// cut (24) in the queue acts; but for Tab, not in the frame editing started.
void Imgui::EditBoxControlKey(EditBox& box) {
  for (int key : key_queue) {
    if (key == 9) {
      HandleTab();
      return;
    }
    if (key != 127 && key != 8 && key != 13 && key != 3 && key != 24) continue;
    if (box.started) return;
    const bool has_selection = selection_start != selection_end;
    if (key == 127 && !has_selection && caret > 0) {
      box.Erase(caret - 1, caret);
      --caret;
    } else if (key == 8 && !has_selection && caret < box.len) {
      box.Erase(caret, caret + 1);
    } else if (key == 13) {
      edited_id = -1;
    } else if ((key == 3 || key == 24) && selection_end > selection_start) {
      StrToUtf8(g_utf8, sizeof g_utf8, g_work + selection_start, g_work + selection_end);
      if (platform.write_clipboard) platform.write_clipboard(g_utf8);
      if (KeyQueued(24)) ShowCaret(box.now);
    }
    return;
  }
}

// 14. Shift+Insert; in the frame editing started, the held caret keys only wait to repeat.
// 15-18. In the edited box: replacing the selection, typing, pasting, the caret keys.
void Imgui::EditBoxEditKeys(EditBox& box) {
  box.shift = modifiers == kShift;
  box.shift_insert = box.shift && special_keys[KEY_INSERT] && KeyDue(KEY_INSERT);
  if (box.started) {
    for (int k : {KEY_LEFT, KEY_RIGHT, KEY_HOME, KEY_END})
      if (special_keys[k]) key_due[k] = box.now + 400;
    return;
  }
  if (!box.edited) return;
  EditBoxReplaceSelection(box);
  EditBoxType(box);
  if (box.shift_insert || KeyQueued(22)) EditBoxPaste(box);
  EditBoxStepCaret(box, KEY_LEFT, -1);
  EditBoxStepCaret(box, KEY_RIGHT, 1);
  EditBoxJump(box, KEY_HOME);
  EditBoxJump(box, KEY_END);
}

// 15. What deletes, pastes or types replaces a selection.
void Imgui::EditBoxReplaceSelection(EditBox& box) {
  bool replaces = box.shift_insert || !marked_text.empty();
  for (int key : key_queue)
    if (key == 127 || key == 8 || key == 22 || key == 24 || HasGlyph(font, key)) replaces = true;
  if (selection_end > selection_start && replaces) {
    box.Erase(selection_start, selection_end);
    caret = selection_start;
    selection_start = selection_end = 0;
  }
}

// 16. Typed keys go in at the caret while there is room; what the font cannot draw, or a file
// name cannot hold, is refused.
void Imgui::EditBoxType(EditBox& box) {
  for (int key : key_queue) {
    if (box.len >= box.limit) break;
    if (!HasGlyph(font, key)) {
      if (key > 31 && key != 127) refused_char = true;
      continue;
    }
    if (box.file_name && IsFileNameRefused(key)) {
      refused_char = true;
      continue;
    }
    box.Insert(caret, static_cast<unsigned short>(key));
  }
}

// 17. The pasteboard's text goes in at the caret while there is room, a refused unit as '_'.
void Imgui::EditBoxPaste(EditBox& box) {
  std::string pasted;
  if (platform.read_clipboard) platform.read_clipboard(pasted);
  const int n = StrFromUtf8(g_paste, kUnits, pasted.c_str(), nullptr);
  for (int i = 0; i < n && box.len < box.limit; ++i) {
    unsigned short c = g_paste[i];
    if (!HasGlyph(font, c) || c == 8 || (box.file_name && IsFileNameRefused(c))) {
      c = '_';
      refused_char = true;
    }
    if (!box.Insert(caret, c)) break;
  }
  if (box.shift_insert) KeyRepeats(KEY_INSERT, box.now);
  ShowCaret(box.now);
}

// 18. Left (step -1) and right (+1) move the caret one place. With Shift the selection grows
// from the caret, or its edge at the caret follows it; without, a selection is dropped and
// the caret stays.
void Imgui::EditBoxStepCaret(EditBox& box, int key, int step) {
  if (!special_keys[key] || !KeyDue(key)) return;
  const int old = caret;
  if (step < 0 ? old <= 0 : old >= box.len) {
    if (!box.shift) selection_start = selection_end = 0;
    return;
  }
  caret = old + step;
  if (box.shift) {
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
    selection_start = selection_end = 0;
  }
  KeyActed(key, box.now);
}

// 18. Home and End move the caret to the text's start or end. With Shift the selection
// reaches there from its far edge (the caret's other side); without, a selection is dropped.
void Imgui::EditBoxJump(EditBox& box, int key) {
  if (!special_keys[key] || !KeyDue(key)) return;
  const bool home = key == KEY_HOME;
  const int target = home ? 0 : box.len;
  int& near_edge = home ? selection_start : selection_end;  // the edge on the side moved to
  int& far_edge = home ? selection_end : selection_start;
  if (home ? caret > 0 : caret < box.len) {
    if (box.shift) {
      far_edge = caret == far_edge ? near_edge : caret;
      near_edge = target;
    } else {
      selection_start = selection_end = 0;
    }
    caret = target;
    KeyActed(key, box.now);
  } else if (!box.shift) {
    selection_start = selection_end = 0;
  }
}

void Imgui::ShowCaret(int64_t now) {
  caret_visible = true;
  caret_blink_due = now + 400;
}

// A held key repeats 400 ms after its first action, then every 50 ms.
void Imgui::KeyRepeats(int key, int64_t now) { key_due[key] = key_due[key] == -1 ? now + 400 : now + 50; }

void Imgui::KeyActed(int key, int64_t now) {
  KeyRepeats(key, now);
  ShowCaret(now);
}
