// The MIDI-map editor (state 11): channel, notes, pedal note and hi-hat openness controller
// for each element of the library or each element type, and each placement in the kit. Edits
// go to working copies of the active map's tables; Save makes them the active map and writes
// the map's file.
#include "screens/midi_map_editor.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screens.h"
#include "sound/midi.h"
#include "sound/sound.h"

namespace {

enum : int {
  kElements = ScreenId(kMidiMapsScreen, 1), kElementsUp, kElementsDown, kTypes, kTypesUp, kTypesDown,
  kPlacements, kPlacementsUp, kPlacementsDown, kChannel, kNote1, kNote2, kModWheel, kFootPedal,
  kOtherCc, kCc, kFootNote, kSave, kCancel, kDefault, kDefaultAll
};
constexpr int kModWheelCc = 1, kFootPedalCc = 4;
const std::vector<std::string> kPlacementWords = {"1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th"};

// A whole number of digits (an optional '#' before a note number) within lo-hi; -1 otherwise.
int ParseNumber(const std::string& text, size_t from, int lo, int hi) {
  if (text.size() <= from || text.size() - from > 3) return -1;
  for (size_t i = from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return -1;
  const int n = std::atoi(text.c_str() + from);
  return n >= lo && n <= hi ? n : -1;
}

// A note name or number of 0-127; -1 otherwise.
int ParseNote(const std::string& text) {
  if (!text.empty() && text[0] == '#') return ParseNumber(text, 1, 0, 127);
  if (!text.empty() && text[0] >= '0' && text[0] <= '9') return ParseNumber(text, 0, 0, 127);
  const int n = HumanReadableNoteToPortMIDI(text);
  return n >= 0 && n <= 127 ? n : -1;
}

bool SameNotes(const MidiNotes& a, const MidiNotes& b) {
  if (a.channel != b.channel || a.note_count != b.note_count || a.foot_note_count != b.foot_note_count ||
      a.positional_cc1 != b.positional_cc1 || a.positional_cc2 != b.positional_cc2 || a.openness_cc != b.openness_cc)
    return false;
  for (int i = 0; i < a.note_count && i < 10; ++i)
    if (a.notes[i] != b.notes[i]) return false;
  for (int i = 0; i < a.foot_note_count && i < 10; ++i)
    if (a.foot_notes[i] != b.foot_notes[i]) return false;
  return true;
}

// Stores or (for the default) erases the entry of key in table.
template <class Table, class Key>
void StoreUnlessDefault(Table& table, const Key& key, const MidiNotes& notes, const MidiMapKey& default_key) {
  const auto d = midi_map.find(default_key);
  if (d != midi_map.end() && SameNotes(d->second, notes)) {
    table.erase(key);
  } else {
    table[key] = notes;
  }
}

void EraseEntry(const MidiMapSelection& s, MidiMapTables& working) {
  if (s.is_element) {
    working.per_element.erase({s.element, s.number});
  } else {
    working.element_type.erase({s.type, s.number});
  }
}

// ---- The screen ----

struct EditorState {
  MidiMapTables working;
  MidiNotes current;
  MidiNoteTexts texts;
  MidiMapSelection selection;
  Sound::ElementCategory category = Sound::CATEGORY_HAND;
  bool has_selection = false;  // a list line whose notes are shown
  Imgui::ListBoxState elements, types, placements;
  int num_visible_lines = 8;
  int current_box_id = -1;
  int highlighted_map = -1;
};
EditorState me;

void Show() {
  me.current = LookUpMidiNotes(me.selection, me.working);
  SetMIDINoteStrings(me.current, me.texts);
}

void TakeEdit() {
  if (me.has_selection) TryToSaveNoteChanges(me.texts, me.current, me.selection, me.working);
}

void Enter() {
  me.num_visible_lines = imgui.ListBoxHeightToNumVisibleLines(262);
  me.working = {per_element_midi_map, element_type_midi_map};
  me.selection.number = 1;
  me.placements = {};
  me.placements.selected = 0;
  me.elements.selected = me.types.selected = -1;
  me.has_selection = false;
  if (state_param > 0) me.highlighted_map = state_param - 1;
}

// Reads the element's header for its type; an unreadable header shows no editing area.
void SelectElement(const std::string& name) {
  TakeEdit();
  me.types.selected = -1;
  me.placements.selected = 0;
  const std::string path = MakePath(kPathElements, name + ".ele");
  const int slot = sound.LoadElementWithoutDataForMIDI(path.c_str(), 0.0f, 0, 100, 0, 100);
  me.has_selection = slot >= 0;
  if (!me.has_selection) return;
  me.selection = {true, name, sound.GetElementType(slot), 1};
  me.category = sound.GetElementCategory(slot);
  sound.UnloadElement(slot);  // only the header was wanted: the next element reuses the slot
  Show();
}

void SelectType(int line) {
  TakeEdit();
  me.elements.selected = -1;
  me.placements.selected = 0;
  me.selection = {false, "", Sound::ElementType(element_types[line]), 1};
  me.category = me.selection.type == drum_element::CHOKE ? Sound::CATEGORY_HAND
                                                         : Sound::GetElementCategory(me.selection.type);
  me.has_selection = true;
  Show();
}

void DoLists(int H, const std::vector<std::string>& library) {
  imgui.DoText(498, H - 87, "%s", GetUtf8(kTextIndividualElement));
  const int element_before = me.elements.selected;
  imgui.DoListBox(kElements, kElementsUp, kElementsDown, 498, H - 125, 344, me.num_visible_lines, library, me.elements);
  const int e = me.elements.selected;
  if (e != element_before && e >= 0 && e < static_cast<int>(library.size())) SelectElement(library[e]);
  imgui.DoText(48, H - 87, "%s", GetUtf8(kTextElementType));
  const int type_before = me.types.selected;
  imgui.DoListBox(kTypes, kTypesUp, kTypesDown, 48, H - 125, 344, me.num_visible_lines, element_type_names, me.types);
  const int t = me.types.selected;
  if (t != type_before && t >= 0 && t < static_cast<int>(element_types.size())) SelectType(t);
}

int Width(TextId text) { return imgui.font ? static_cast<int>(imgui.font->GetWidth(GetUtf8(text))) : 0; }

bool HiHatHack() { return midi_use_mdrummer_hack && me.selection.type == Sound::HIHAT; }

void DoTitle(int H) {
  const char* placement = kPlacementWords[me.selection.number - 1].c_str();
  if (me.selection.is_element) {
    imgui.DoText(48, H - 401, GetUtf8(kTextMIDINoteElementWhen), me.selection.element.c_str(), placement);
  } else if (me.selection.type == drum_element::CHOKE) {
    imgui.DoText(48, H - 401, "%s", GetUtf8(kTextMIDINoteSend));
  } else {
    imgui.DoText(48, H - 401, GetUtf8(kTextMIDINoteElement), element_type_names[me.types.selected].c_str(), placement);
  }
}

// An edit box whose change is taken into the working tables at once.
void NoteBox(int id, int x, int y, int w, std::string& text, int units) {
  if (DoEditBoxString(id, x, y, w, 30, text, units, false)) TakeEdit();
}

void DoNotesRow(int H, int d) {
  const int y1 = H - 439, w_channel = Width(kTextChannel);
  imgui.DoText(48, y1, "%s", GetUtf8(kTextChannel));
  NoteBox(kChannel, w_channel + 58, y1 + d, 60, me.texts.channel, 2);
  const TextId note_text = HiHatHack() ? kTextOpen : kTextNote;
  const int w_note = Width(note_text);
  imgui.DoText(w_channel + 128, y1, "%s", GetUtf8(note_text));
  NoteBox(kNote1, w_channel + 138 + w_note, y1 + d, 75, me.texts.note1, 4);
  const int x2 = w_channel + w_note + 230;
  imgui.DoText(x2 - 12, y1, "(%d)", me.current.notes[0]);
  if (me.current.note_count != 2) return;
  const TextId accent_text = HiHatHack() ? kTextClosed : kTextAccent;
  const int w_accent = Width(accent_text);
  imgui.DoText(x2 + 52, y1, "%s", GetUtf8(accent_text));
  NoteBox(kNote2, x2 + 62 + w_accent, y1 + d, 75, me.texts.note2, 4);
  imgui.DoText(x2 + w_accent + 142, y1, "(%d)", me.current.notes[1]);
}

void DoPlacement(int H, int d) {
  const int P = IsLanguage("de") ? 790 : 830;
  const int label_w = Width(kTextKitPlacement);
  imgui.DoText(P - 10 - label_w, H - 439 - 38, "%s", GetUtf8(kTextKitPlacement));
  const int before = me.placements.selected;
  imgui.DoListBox(kPlacements, kPlacementsUp, kPlacementsDown, P, H - 473 + d, 100, 3, kPlacementWords, me.placements);
  if (me.placements.selected == before || me.placements.selected < 0) return;
  TakeEdit();
  me.selection.number = me.placements.selected + 1;
  Show();
}

void SetOpennessCc(int cc) {
  me.current.openness_cc = cc;
  me.texts.openness_cc = std::to_string(cc);
  TakeEdit();
}

void DoOpennessRow(int y1, int d, int o, int it) {
  const int y2 = y1 - 38;
  imgui.DoText(48, y2, "%s", GetUtf8(kTextCC));
  const int cc = me.current.openness_cc;
  const bool editing = imgui.edited_id == kCc;
  const bool other = editing || (cc != kModWheelCc && cc != kFootPedalCc);
  if (imgui.DoCheckBox(kModWheel, 92 + o, y2 + d, GetUtf8(kTextModWheel), !editing && cc == kModWheelCc, true))
    SetOpennessCc(kModWheelCc);
  if (imgui.DoCheckBox(kFootPedal, 272 + it + 2 * o, y2 + d, GetUtf8(kTextFootPedal), !editing && cc == kFootPedalCc,
                       true))
    SetOpennessCc(kFootPedalCc);
  if (imgui.DoCheckBox(kOtherCc, 442 + 3 * o, y2 + d, GetUtf8(kTextOther), other, true) && !other) SetOpennessCc(0);
  if (other) NoteBox(kCc, 562 + 4 * o, y2 + d, 60, me.texts.openness_cc, 2);
}

void DoPedalRows(int H, int d) {
  const int y1 = H - 439, o = IsLanguage("en") ? 0 : -9, it = IsLanguage("it") ? 26 : 0;
  if (!midi_use_mdrummer_hack) DoOpennessRow(y1, d, o, it);
  imgui.DoText(48, y1 - 76, "%s", GetUtf8(kTextPedalNote));
  NoteBox(kFootNote, 185 + o + it, y1 - 76 + d, 75, me.texts.foot_note, 4);
  imgui.DoText(265 + o + it, y1 - 76, "(%d)", me.current.foot_notes[0]);
}

void DoEditingArea(int H) {
  const int d = IsLanguage("en") ? 0 : 5;
  DoTitle(H);
  DoNotesRow(H, d);
  if (me.selection.type != drum_element::CHOKE) DoPlacement(H, d);
  if (me.category == Sound::CATEGORY_HAND_AND_FOOT) DoPedalRows(H, d);
  PlayRefusedKeySound();
}

// Save: the working tables become the active map and reach the map's file; a failed write
// keeps the editor open with the edits.
void Save() {
  per_element_midi_map = me.working.per_element;
  element_type_midi_map = me.working.element_type;
  if (drummer.kit) drummer.kit->RecreateMIDIMap();
  if (!SaveMIDIMap(edited_midi_map.path, edited_midi_map.Name, false)) {
    MessageBox(GetUtf8(kTextThereErrorSavingMIDI) + edited_midi_map.path + GetUtf8(kTextDot), false, true);
    return;
  }
  OpenMidiMapList(me.highlighted_map);
}

void DoButtons(int H) {
  const bool english = IsLanguage("en"), german = IsLanguage("de");
  if (imgui.DoButton(kSave, 48, H - 571, 104, 50, GetUtf8(kTextSave))) {
    Save();
    return;
  }
  if (imgui.DoButton(kCancel, 201, H - 571, german ? 112 : 104, 50, GetUtf8(kTextCancel))) {
    OpenMidiMapList(me.highlighted_map);
    return;
  }
  if (imgui.DoButton(kDefault, german ? 362 : 354, H - 571, english ? 114 : 124, 50, GetUtf8(kTextDefault)) &&
      me.has_selection) {
    EraseEntry(me.selection, me.working);
    Show();
  }
  const int all_x = (english ? 517 : 527) + (german ? 8 : 0);
  if (imgui.DoButton(kDefaultAll, all_x, H - 571, english ? 144 : 174, 50, GetUtf8(kTextDefaultAll)) &&
      MessageBox(GetUtf8(kTextResetWholeMIDI), true, true) == 0) {
    me.working = {};
    if (me.has_selection) Show();
  }
}

}  // namespace

void SetMIDINoteStrings(const MidiNotes& notes, MidiNoteTexts& texts) {
  texts.note1 = PortMIDINoteToHumanReadable(notes.notes[0]);
  if (notes.note_count == 2) texts.note2 = PortMIDINoteToHumanReadable(notes.notes[1]);
  if (notes.foot_note_count == 1) texts.foot_note = PortMIDINoteToHumanReadable(notes.foot_notes[0]);
  texts.channel = std::to_string(notes.channel);
  texts.openness_cc = std::to_string(notes.openness_cc);
}

void TryToSaveNoteChanges(const MidiNoteTexts& texts, MidiNotes& notes, const MidiMapSelection& selection,
                          MidiMapTables& working) {
  const int note1 = ParseNote(texts.note1);
  if (note1 < 0) return;
  notes.notes[0] = note1;
  const int channel = ParseNumber(texts.channel, 0, 1, 16);
  if (channel > 0) notes.channel = channel;
  const int cc = ParseNumber(texts.openness_cc, 0, 1, 127);
  if (cc > 0) notes.openness_cc = cc;
  const int note2 = ParseNote(texts.note2);
  if (notes.note_count == 2 && note2 >= 0) notes.notes[1] = note2;
  const int foot = ParseNote(texts.foot_note);
  if (notes.foot_note_count == 1 && foot >= 0) notes.foot_notes[0] = foot;
  const MidiMapKey default_key{selection.type, selection.number};
  if (selection.is_element) {
    StoreUnlessDefault(working.per_element, std::pair{selection.element, selection.number}, notes, default_key);
  } else {
    StoreUnlessDefault(working.element_type, default_key, notes, default_key);
  }
}

MidiNotes LookUpMidiNotes(const MidiMapSelection& s, const MidiMapTables& working) {
  if (s.is_element) {
    const auto it = working.per_element.find({s.element, s.number});
    if (it != working.per_element.end()) return it->second;
  } else {
    const auto it = working.element_type.find({s.type, s.number});
    if (it != working.element_type.end()) return it->second;
  }
  const auto d = midi_map.find({s.type, s.number});
  if (d != midi_map.end()) return d->second;
  // The first placement's default; made (channel 10, notes 0) when the type has none.
  return midi_map.emplace(MidiMapKey{s.type, 1}, MidiNotes{}).first->second;
}

// state_param = map_line + 1, 0 for none.
void OpenMidiMapEditor(int map_line) { ChangeInterfaceState(kMidiMapsScreen, map_line + 1); }

void DoMIDIMapsScreen() {
  const int H = ScreenHeight();
  std::vector<std::string> library;
  drumkit_chooser.GetElementNames(library);
  if (EnteringPage()) {
    Enter();
  }
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextAdjustMIDINotes));
  DoLists(H, library);
  if (me.has_selection) DoEditingArea(H);
  DoButtons(H);
  if (imgui.edited_id != me.current_box_id) {
    me.current_box_id = imgui.edited_id;
    SetMIDINoteStrings(me.current, me.texts);
  }
}
