// The MIDI-map list (state 13: choose, create, clone, edit and delete maps, with set-up hints
// for the drum programs the preset maps serve) and the new-map screen (state 14: the name of a
// new or cloned map).
#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/midi_map_chooser.h"
#include "library/midi_maps.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screens.h"

namespace {

enum : int {
  kMaps = ScreenId(kChooseMidiMapScreen, 1), kMapsUp, kMapsDown, kNew, kClone, kEdit, kDelete, kOk,
  kCancel
};
enum : int { kName = ScreenId(kNewMidiMapScreen, 1), kNameOk, kNameCancel };

struct Hint {
  const char* map;
  std::vector<std::pair<const char*, int>> lines;  // text, pixels below the window's top
};

const std::vector<Hint>& Hints() {
  static const std::vector<std::pair<const char*, int>> open_closed = {
      {"In Skytapper' MIDI screen:", 91}, {"Tick the 'HiHats: open or", 121}, {"closed only' check box", 146}};
  static const std::vector<Hint> hints = {
      {"Addictive Drums 2", {{"In Addictive Drums:", 91}, {"-Select the AD2 Standard Map", 121},
                             {" from the Map Window", 146}, {"-Tick the CC reverse checkbox", 176}}},
      {"BFD3", {{"In BFD3:", 91}, {"Use the Skytapper key map", 121}, {"that comes with BFD3.", 146}}},
      {"EZ Drummer 2", {{"In EZ Drummer 2:", 91}, {"-Open the menu", 121}, {"-Expand the E-Drum entry", 151},
                        {"-Select 'Roland'", 181}}},
      {"Garage Band", open_closed},
      {"MT Power DrumKit 2", open_closed},
      {"MDrummer", open_closed},
      {"Logic (Drum Kit Designer)", {{"In Logic:", 91}, {"-Open the Drum Kit Designer", 121}, {" screen", 146},
                                     {"-Expand the arrow in the", 176}, {" bottom left", 201},
                                     {"-In 'Input Mapping', select", 231}, {" V-Drums", 256}}},
      {"NI Studio Drummer", {{"In NI Studio Drummer:", 91}, {"-Open the 'Options' pane in", 121},
                             {" the Kontakt Player screen", 146}, {"-Select the 'Default' preset", 176},
                             {"-Set the MIDI channel to", 206}, {" 'Omni'", 231}}},
      {"Superior Drummer 2", {{"In Toontrack Solo:", 91}, {"-Click Options", 121},
                              {"-Expand the Controller item", 151}, {"-Select 'Default'", 181}}},
      {"Ironwood Drums 4", {{"In IWD4:", 91}, {"-Click the 'Map Converter'", 121}, {" button", 146},
                            {"-Click the 'Reset Conversion'", 176}, {" button", 201}}},
  };
  return hints;
}

ChooserList map_list;

int Sel() { return map_list.list.selected; }

void EnterList(int count) {
  const int in_use = drummer.GetMidiMapIndex();
  SelectChooserLine(map_list, count, state_param - 1, midi_map_chooser.IsValidMidiMapIndex(in_use) ? in_use : -1);
  cloned_midi_map_idx = -1;
}

void DoHints(int H, const std::vector<std::string>& names) {
  if (Sel() < 0 || Sel() >= static_cast<int>(names.size())) return;
  for (const Hint& h : Hints()) {
    if (names[Sel()] != h.map) continue;
    for (const auto& [text, top] : h.lines) imgui.DoText(600, H - top, "%s", text);
  }
}

void RecreateKitMidiMap() {
  if (drummer.kit) drummer.kit->RecreateMIDIMap();
}

void EditMap(int sel) {
  edited_midi_map = *midi_map_chooser.GetMidiMap(sel);
  drummer.SetMidiMapIndex(sel);
  LoadMIDIMap(edited_midi_map.path);
  OpenMidiMapEditor(sel);
}

void NewOrClone(int source) {
  cloned_midi_map_idx = source;
  working_midi_map = MidiMapChooser::MidiMap{};
  if (source >= 0) working_midi_map.Name = GetUtf8(kTextCopy) + midi_map_chooser.GetMidiMap(source)->Name;
  OpenNewMidiMapScreen(Sel());
}

void UseMap(int sel) {
  if (!midi_map_chooser.IsValidMidiMapIndex(sel)) return;
  drummer.SetMidiMapIndex(sel);
  LoadMIDIMap(midi_map_chooser.GetMidiMap(sel)->path);
  RecreateKitMidiMap();
  drummer.SaveLastSession();
}

const ChooserSteps kMapSteps = {
    .enter = EnterList,
    .add = [] { NewOrClone(-1); },
    .clone = NewOrClone,
    .edit = EditMap,
    .preset = [](int sel) { return midi_map_chooser.IsMidiMapPreset(sel); },
    .erase = [](int sel, std::string& error) { return midi_map_chooser.DeleteMidiMap(sel, error); },
    .choose = UseMap,
    .back_to = kMidiScreen,
    .edit_refusal = kTextPresetMIDIMaps,
    .delete_refusal = kTextOnlyMIDIMaps,
    .delete_confirm = kTextSureWantDeleteMIDI,
};

int highlighted_map = -1;  // the list line the new-map screen returns to on Cancel

}  // namespace

// state_param = the line + 1, 0 for none.
void OpenMidiMapList(int line) { ChangeInterfaceState(kChooseMidiMapScreen, line + 1); }

// state_param = map_line + 1, 0 for none.
void OpenNewMidiMapScreen(int map_line) { ChangeInterfaceState(kNewMidiMapScreen, map_line + 1); }

void DoChooseMidiMapScreen() {
  const int H = ScreenHeight();
  std::vector<std::string> names;
  midi_map_chooser.GetMidiMapNames(names);
  DoChooserList(map_list, kMaps, kTextMIDIMapsList, H, names, kMapSteps);
  DoHints(H, names);
  const int delete_width = IsLanguage("id") ? 109 : 104;  // "Delete" is longer in Indonesian
  DoChooserButtons(kNew, H, map_list, midi_map_chooser.IsValidMidiMapIndex(Sel()), kMapSteps, delete_width);
  DoChooserOkCancel(kOk, H, map_list, kMapSteps);
}

void DoNewMidiMapScreen() {
  const int H = ScreenHeight();
  if (EnteringPage()) {
    if (state_param > 0) highlighted_map = state_param - 1;
  }
  imgui.DoText(48, H - 505, "%s", GetUtf8(kTextMIDIMapName));
  DoEditBoxString(kName, 236, H - 491, 390, 50, working_midi_map.Name, 63, false);
  PlayRefusedKeySound();
  if (imgui.DoButton(kNameOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) {
    std::string error;
    const MidiMapChooser::MidiMap* source =
        cloned_midi_map_idx >= 0 ? midi_map_chooser.GetMidiMap(cloned_midi_map_idx) : nullptr;
    if (!midi_map_chooser.SaveMidiMap(working_midi_map, error, source)) {
      MessageBox(error, false, true);
      return;
    }
    // The list is sorted again after a save: select the new map by its file.
    int line = 0;
    while (midi_map_chooser.IsValidMidiMapIndex(line) && midi_map_chooser.GetMidiMap(line)->path != working_midi_map.path) ++line;
    OpenMidiMapList(line);
    return;
  }
  if (DoCancelButton(kNameCancel, H)) {
    OpenMidiMapList(highlighted_map);
  }
}
