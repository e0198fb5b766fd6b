// The immediate-mode widget GUI of the mouse-and-keyboard screens.
//
// Every frame: Begin, one call per widget (it draws the widget and reports what happened to
// it), End. Window pixels with y upwards; a widget is placed by its top-left corner and covers
// x <= mouse x < x + w, y - h <= mouse y < y. Widget ids are non-zero ints unique in a frame
// (screens use multiples of 65536; a list box takes id, id + 1 and id + 2). Everything that
// lasts between frames lives here or with the caller (slider values, check-box flags, edit-box
// texts, ListBoxState).
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/airwidget_drawing.h"

class Font;

class Imgui {
 public:
  struct InitParams {
    Font* font = nullptr;       // null: load the fallback fonts from the fonts folder
    Font* bold_font = nullptr;  // null: same as font
    bool owns_fonts = false;
    float font_height = 0;      // pixel size (also of the fallback fonts)
    int scroll_bar_width = 0;
    int margin = 0;
    int widget_width = 0;
    int widget_height = 0;
    int gap = 0;
    int unused = 0;

    // The program's widget metrics (scroll bar 10, margin 10, widgets 140 x 32, gap 9) with
    // `font` (null: the fallback fonts) at `font_height` pixels.
    static InitParams ProgramLayout(Font* font, float font_height);
  };

  // Kept by the caller from frame to frame.
  struct ListBoxState {
    int selected = -1;  // selected item, -1 none
    int offset = 0;     // scroll offset in pixels of thumb travel, 0 at the top, negative down
    int anchor = 0;     // mouse y at the last thumb-drag step
  };

  // 0: half the gap metric; anything else: the full gap.
  enum GapSize { GAP_HALF = 0, GAP_FULL = 1 };

  // Indices of the held-key flags and their repeat due times.
  enum SpecialKey {
    KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_HOME, KEY_END, KEY_PAGE_UP, KEY_PAGE_DOWN,
    KEY_INSERT, SPECIAL_KEY_COUNT
  };

  // The services the GUI takes from the window system; tests replace them. The program's frame
  // installs the window's own; the defaults are a monotonic clock, a pasteboard held in this
  // process, no input method and the GL viewport's size.
  struct Platform {
    std::function<int64_t()> now_ms;                       // milliseconds since program start
    std::function<void(const std::string&)> write_clipboard;
    std::function<void(std::string&)> read_clipboard;      // empty when there is no text
    std::function<void()> unmark_text;                     // cancel the input method's composition
    std::function<int()> window_width;
    std::function<int()> window_height;
  };
  static Platform platform;
  // Puts the default services back.
  static void ResetPlatform();
  // Gives every service left empty its default.
  static void FillPlatform();

  Imgui();
  ~Imgui();
  Imgui(const Imgui&) = delete;
  Imgui& operator=(const Imgui&) = delete;

  void Init(const InitParams& params);
  void CleanUp();
  // Deletes the current fonts (whoever owns them) and installs these (bold = regular when null).
  void ReplaceFonts(Font* regular, Font* bold);

  void Begin(bool side_panel);
  void End();

  // Keyboard input from the window callbacks.
  void AddKey(int key);
  void SetSpecialKey(int glut_key, bool down);
  // Esc, or Delete on a one-character composition, cancels the composition: true = consumed.
  bool HandleMacTextUnmarking(unsigned char key);

  int GetGap(GapSize size) const;
  void ShowFocus(int x, int y, int w, int h);

  // Texts: y is the top of the line. Formatted like printf.
  void DoText(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  void DoTextGreyed(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  void DoBoldText(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));

  // Buttons fire when released over the widget they were pressed on, or on Enter with the focus.
  bool DoButton(int id, int x, int y, int w, int h, const char* label);
  void DoButtonGreyed(int x, int y, int w, int h, const char* label);
  bool DoButtonIconOnly(int id, int x, int y, int w, int h, UIIconID icon);
  // True when value changed (0..max).
  bool DoSlider(int id, int x, int y, int w, int h, int& value, int max, int step);
  // Items: count records of stride bytes from items, each beginning with a pointer to its
  // UTF-8 text. True when the selection changed.
  bool DoListBox(int id, int id_page_up, int id_page_down, int x, int y, int w, int visible_lines,
                 int count, const void* items, int stride, ListBoxState& state);
  bool DoListBox(int id, int id_page_up, int id_page_down, int x, int y, int w, int visible_lines,
                 const std::vector<std::string>& items, ListBoxState& state);
  // Selects a line and scrolls so that it is the last visible one (nothing for -1).
  void SetSelectedLine(int line, int visible_lines, int count, ListBoxState& state) const;
  // The item under the mouse, or -1.
  int GetHoveredLine(int x, int y, int w, int visible_lines, int count,
                     const ListBoxState& state) const;
  int ListBoxHeightToNumVisibleLines(int height) const;
  // True when clicked; the caller toggles its own flag.
  bool DoCheckBox(int id, int x, int y, const char* label, bool checked, bool radio);
  void DoCheckBoxGreyed(int x, int y, const char* label, bool checked);

  // Single-line text field editing the caller's UTF-8 buffer of buffer_size bytes, holding at
  // most max_chars 16-bit units; file_name refuses \ / : * ? " < > |. True when the text
  // changed (the buffer was rewritten). refused_char tells whether a character was refused.
  bool DoEditBox(int id, int x, int y, int w, int h, char* text, size_t buffer_size, int max_chars,
                 bool file_name);
  template <size_t N>
  bool DoEditBox(int id, int x, int y, int w, int h, char (&text)[N], int max_chars,
                 bool file_name) {
    return DoEditBox(id, x, y, w, h, text, N, max_chars, file_name);
  }

  // Widgets stacked at the layout cursor with the width and height metrics.
  bool DoButton(int id, GapSize gap, const char* label);
  bool DoEditBox(int id, GapSize gap, char* text, size_t buffer_size, int max_chars, bool file_name);
  template <size_t N>
  bool DoEditBox(int id, GapSize gap, char (&text)[N], int max_chars, bool file_name) {
    return DoEditBox(id, gap, text, N, max_chars, file_name);
  }
  bool DoSlider(int id, GapSize gap, int& value, int max, int step);
  void DoText(GapSize gap, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void DoBoldText(GapSize gap, const char* format, ...) __attribute__((format(printf, 3, 4)));
  int DoCustom(GapSize gap, int height);
  void DoSeperator(GapSize gap, const char* label);
  // Draws the widgets a layout file lists (one keyword per widget).
  void DoPrototypeGui(const char* path);

  // ---- The UI trace ----
  // While `tracing` is set, every widget drawn is recorded with what it shows, so that tests
  // and the whole-program runs find widgets by label and check what a screen shows without
  // reading pixels. Begin clears the record and notes the interface state of the frame.
  enum class TraceKind { TEXT, BUTTON, ICON_BUTTON, SLIDER, LIST_BOX, CHECK_BOX, EDIT_BOX };
  struct TraceItem {
    TraceKind kind;
    int id;             // 0 for greyed widgets and texts
    int x, y, w, h;     // as drawn: top-left corner, y upwards
    std::string label;  // the label, the formatted text or the edited text
    bool greyed;
    int value;          // slider value, check box ticked, list box selection; else 0
    int text_w = 0;     // width of the text or label as drawn (a check box's label starts at x + 33)
    bool cut = false;   // the label was drawn shortened with "..."
  };
  bool tracing = false;
  int trace_state = -1;
  std::vector<TraceItem> trace;

  // ---- State (written by the input callbacks and read by the screens) ----
  int mouse_x = -1, mouse_y = -1;  // window pixels, y upwards
  bool mouse_down = false;         // left button
  std::vector<int> key_queue;      // keys typed since the last End
  std::string marked_text;         // input method composition (UTF-8), empty when none
  bool special_keys[SPECIAL_KEY_COUNT] = {};  // held: Left Right Up Down Home End PgUp PgDn Insert
  int modifiers = 0;               // GLUT modifier bits of the last input event (1 = Shift)

  int hot_id = 0, active_id = 0, focus_id = 0, previous_id = 0;
  int last_hot_id = -1;
  int edited_id = -1;              // the edit box being edited, -1 none

  int last_window_height = 0;
  float panel_scroll = 0;
  int panel_drag_anchor = 0;

  int selection_start = 0, selection_end = 0, click_anchor = 0, caret = 0;
  bool caret_visible = true;
  bool refused_char = false;       // an edit box refused a character in its last call

  int64_t frame_time = 0;          // milliseconds since program start
  int64_t hover_timer = -1;        // when the current hot widget became hot, -1 none
  int64_t key_due[SPECIAL_KEY_COUNT];
  int64_t caret_blink_due = -1;

  Font* font = nullptr;
  Font* bold_font = nullptr;
  bool owns_fonts = false;
  float font_size = 0, bold_font_size = 0;

  int layout_x = 0, layout_y = 0, content_height = 0, last_gap_size = 0;
  int scroll_bar_width = 0, margin = 0, widget_width = 0, widget_height = 0, gap = 0;
  int unused_param = 0;

 private:
  // A label converted to 16-bit units and measured, with what is drawn when it does not fit.
  struct Fitted {
    const unsigned short* units = nullptr;  // the whole label
    const unsigned short* shown = nullptr;  // the label cut with "..." (when it does not fit)
    int count = 0;
    float width = 0;  // of the whole label
    bool fits = true;
  };
  bool WidgetHot(int id) const;
  void ClaimFocus(int id);
  bool HandleTab();
  bool KeyQueued(int key) const;
  bool KeyDue(int k) const;
  bool HoveredLongEnough(int id) const;
  bool Inside(int x, int y, int w, int h) const;
  void HotActive(int id, bool inside);
  void ButtonHover(int id, bool inside, bool long_enough);
  bool ButtonClicked(int id, int x, int y, int w, int h, bool long_enough);
  float LabelX() const;
  void MeasureLabel(const char* label, Fitted& f);
  void CutLabel(int w, Fitted& f);
  void PrintLabel(const Fitted& f, bool whole, int x, int y, int w, int h, float alpha, int shift,
                  bool shadow);
  void PrintTextArgs(const Font* f, float x, float y, float alpha, const char* format, va_list args);
  void DrawTextArgs(const Font* f, float size, int x, int y, bool greyed, const char* format, va_list args);
  bool ListBox(int id, int id_page_up, int id_page_down, int x, int y, int w, int n, int count,
               const char* (*item)(const void*, int), const void* ctx, ListBoxState& state);
  void AdvanceLayout(int height, GapSize size);
  void Trace(TraceKind kind, int id, int x, int y, int w, int h, const char* label, bool greyed,
             int value = 0);
  // Notes on the last traced widget how wide its text was drawn and whether it was cut.
  void TraceDrawnText(float text_w, bool cut);
  void TraceText(const Font* f, int x, int y, bool greyed);
  float ShownWidth(const Fitted& f) const;
  // The edit box's steps (render/imgui_edit_box.cpp), over what one call shares.
  struct EditBox;
  void EditBoxLoad(EditBox& box, const char* text, size_t buffer_size, int max_chars);
  int EditBoxPositionUnderMouse(const EditBox& box) const;
  void EditBoxMeasure(EditBox& box);
  void EditBoxMouse(EditBox& box, int under_mouse);
  bool EditBoxStartFromKeys(const EditBox& box);
  Fitted EditBoxShownText(EditBox& box);
  void EditBoxDrawBand(const EditBox& box);
  void EditBoxDrawText(const EditBox& box, const Fitted& cut);
  void EditBoxDrawCaret(const EditBox& box);
  void EditBoxControlKey(EditBox& box);
  void EditBoxEditKeys(EditBox& box);
  void EditBoxReplaceSelection(EditBox& box);
  void EditBoxType(EditBox& box);
  void EditBoxPaste(EditBox& box);
  void EditBoxStepCaret(EditBox& box, int key, int step);
  void EditBoxJump(EditBox& box, int key);
  void ShowCaret(int64_t now);
  void KeyRepeats(int key, int64_t now);
  void KeyActed(int key, int64_t now);
  int WindowWidth() const;
  int WindowHeight() const;
};

extern Imgui imgui;
