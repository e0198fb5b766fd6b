// What every mouse-and-keyboard screen shares: the window height its layout hangs from, the
// language tweaks, the refused-key sound, the busy veil, the edit box over a std::string,
// the screens' working objects and their widget ids.
#pragma once
#include <functional>
#include <string>

#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"

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
// A kit or MIDI map that is a preset may not be changed: true, after a message box with
// `refusal_text`, when preset.
bool RefusePreset(bool preset, int refusal_text);
// The delete step of a kit or MIDI-map list: a preset is refused with `refusal_text`; else,
// once the player says Yes to `confirm_text`, erase removes the line and gives the line to
// select next, which `selected` takes, or -2 with the message to show.
void DeleteListed(bool preset, int refusal_text, int confirm_text, const std::function<int(std::string&)>& erase,
                  int& selected);

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
