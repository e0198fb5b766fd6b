// What every mouse-and-keyboard screen shares: the window height its layout hangs from, the
// language tweaks, the refused-key sound, the busy veil, the edit box over a std::string,
// the screens' working objects and their widget ids.
#pragma once
#include <string>
#include <vector>

#include "frame/interface_states.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"
#include "render/imgui.h"

// The window height this frame; layouts place widgets at H - c from the top edge.
int ScreenHeight();
// The window width this frame: texts end before it.
int ScreenWidth();
// The width of a text in the screens' font, in whole pixels.
int TextWidth(const char* text);
// A name the player chose, shortened with "..." to `width` pixels of the screens' font.
std::string FitName(const std::string& name, int width);
// Whether the current language is `code` ("de", "ja", "ru", ...).
bool IsLanguage(const char* code);
// Plays the edit-box error sound when the last edit box drawn refused a key.
void PlayRefusedKeySound();
// Covers both buffers with a white veil before an operation that blocks the frame.
void DrawBusyVeil();
// An edit box over a string of any length: the box edits at most max_units UTF-16 units, so
// a longer string is shown cut (at a character boundary) and written back only when edited.
bool DoEditBoxString(int id, int x, int y, int w, int h, std::string& text, int max_units,
                     bool file_name);

// The Cancel button beside Ok at the foot of a screen (wider in German); true when clicked.
bool DoCancelButton(int id, int H);
// A chooser list (the kit list, the MIDI-map list) and how many of its lines show.
struct ChooserList {
  Imgui::ListBoxState list;
  int num_visible_lines = 8;
};
// What a chooser list's buttons do, filled with designated initialisers. Clone, Edit, Delete
// and Ok act on the selected line. A preset line may be neither edited nor deleted: a message
// box tells the player why (edit_refusal, delete_refusal). Delete asks first (delete_confirm).
struct ChooserSteps {
  // On entering the screen, with the number of lines: places the selection (SelectChooserLine).
  void (*enter)(int count) = nullptr;
  void (*add)() = nullptr;
  void (*clone)(int line) = nullptr;
  void (*edit)(int line) = nullptr;
  bool (*preset)(int line) = nullptr;
  // Removes the line: the line to select next, or -2 with the message to show in error.
  int (*erase)(int line, std::string& error) = nullptr;
  // Ok: puts the line (-1 for none) into use.
  void (*choose)(int line) = nullptr;
  InterfaceState back_to = kMainScreen;  // the state Ok and Cancel return to
  TextId edit_refusal{}, delete_refusal{}, delete_confirm{};
};
// On entering a chooser screen of `count` lines: selects the line it was opened on (asked, -1
// for none), else the one in use (current, -1 for none), else the first.
void SelectChooserLine(ChooserList& chooser, int count, int asked, int current);
// A chooser screen's title and list box (widget ids first_id and its two arrows after it),
// entered through steps.enter on the screen's first frame.
void DoChooserList(ChooserList& chooser, int first_id, TextId title, int H, const std::vector<std::string>& names,
                   const ChooserSteps& steps);
// The New, Clone, Edit and Delete buttons under a chooser list (widget ids first_id to
// first_id + 3). A clicked button runs its step at once, Clone, Edit and Delete only when a
// line is selected (listed).
void DoChooserButtons(int first_id, int H, ChooserList& chooser, bool listed, const ChooserSteps& steps,
                      int delete_width);
// Ok and Cancel at the foot of a chooser screen (widget ids ok_id and ok_id + 1): both clear the
// selection and return to steps.back_to, Ok after choosing the selected line.
void DoChooserOkCancel(int ok_id, int H, ChooserList& chooser, const ChooserSteps& steps);

// A widget id: distinct across all screens (one block of 65536 ids per interface state).
constexpr int ScreenId(int state, int n) { return ((0x100 + state) << 16) + n; }

// The screens' working objects, shared by the kit, element and MIDI-map screens.
extern DrumkitChooser::Element working_element;
extern DrumkitChooser::LogicalDrumkit working_drumkit;
extern DrumkitChooser::LogicalDrumkit edited_drumkit;
extern DrumkitChooser::LogicalDrumkit* edited_drumkit_ptr;
extern int edit_drumkit_idx, cloned_drumkit_idx;
extern MidiMapChooser::MidiMap working_midi_map, edited_midi_map;
extern MidiMapChooser::MidiMap* edited_midi_map_ptr;
extern int edit_midi_map_idx, cloned_midi_map_idx;
