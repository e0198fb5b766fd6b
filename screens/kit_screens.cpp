// The kit list (state 1: choose, create, clone, edit and delete kits, and the player's hand)
// and the kit editor (state 2: the kit's name and its elements picked from the element
// library, with a preview of each element's sound).
#include <string>
#include <vector>

#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {

enum : int {
  kKits = ScreenId(kChooseDrumkitScreen, 1), kKitsUp, kKitsDown, kNewKit, kClone, kEdit, kDelete,
  kRightHanded, kLeftHanded, kKitOk, kKitCancel
};
enum : int {
  kName = ScreenId(kNewDrumkitScreen, 1), kLibrary, kLibraryUp, kLibraryDown, kChosen, kChosenUp,
  kChosenDown, kAdd, kRemove, kNewElement, kDeleteElement, kEditorOk, kEditorCancel
};

ChooserList kit_list;

int Selected() { return kit_list.list.selected; }

void EnterKitList(int count) {
  SelectChooserLine(kit_list, count, state_param - 1, drumkit_chooser.GetCurrentKitIndex());
  cloned_drumkit_idx = edit_drumkit_idx = -1;
  edited_drumkit_ptr = nullptr;
}

void NewKit() {
  working_drumkit = DrumkitChooser::LogicalDrumkit{};
  working_drumkit.Name = GetUtf8(kTextNewDrumkit);
  OpenKitEditor(Selected());
}

void CloneKit(int line) {
  cloned_drumkit_idx = line;
  working_drumkit = *drumkit_chooser.GetDrumkit(line);
  working_drumkit.Name = GetUtf8(kTextCopy) + working_drumkit.Name;
  working_drumkit.path.clear();
  working_drumkit.Is_Preset = false;
  OpenKitEditor(line);
}

void EditKit(int line) {
  edit_drumkit_idx = line;
  working_drumkit = edited_drumkit = *drumkit_chooser.GetDrumkit(line);
  edited_drumkit_ptr = &edited_drumkit;
  OpenKitEditor(line);
}

void UseKit(int line) {
  DrawBusyVeil();
  const DrumkitChooser::LogicalDrumkit* kit = drumkit_chooser.GetDrumkit(line);
  if (kit && drummer.ChooseDrumkit(kit->Name, true)) DrawSamplesProgress(0, true);
}

const ChooserSteps kKitSteps = {
    .enter = EnterKitList,
    .add = NewKit,
    .clone = CloneKit,
    .edit = EditKit,
    .preset = [](int line) { return drumkit_chooser.IsDrumkitPreset(line); },
    .erase = [](int line, std::string& error) { return drumkit_chooser.DeleteDrumkit(line, error); },
    .choose = UseKit,
    .back_to = kMainScreen,
    .edit_refusal = kTextPresetDrumKits,
    .delete_refusal = kTextOnlyDrumKits,
    .delete_confirm = kTextSureWantDelete,
};

void DoHand(int H) {
  imgui.DoText(618, H - 87, "%s", GetUtf8(kTextYouAre));
  const bool left = drummer.Is_Left_Handed;
  const bool right_clicked = imgui.DoCheckBox(kRightHanded, 738, H - 87, GetUtf8(kTextRightHanded), !left, true);
  const bool left_clicked = imgui.DoCheckBox(kLeftHanded, 738, H - 121, GetUtf8(kTextLeftHanded), left, true);
  if ((right_clicked && left) || (left_clicked && !left)) {
    kit_list.list.selected = -1;
    drummer.Is_Left_Handed = !left;
    drumkit_chooser.BuildDrumkitList(drummer.Is_Left_Handed);
    drummer.SaveLastSession();
  }
}

// ---- The kit editor ----

struct EditorState {
  Imgui::ListBoxState library, chosen;
  int num_visible_lines = 8;
  int highlighted_kit = -1;
  Audio::Sound snd;
  std::string last_file_loaded;
  int previous_library_line = -1, previous_chosen_line = -1;
};
EditorState kit_editor;

void FreePreview() {
  sound.audio.StopSound(kit_editor.snd, true);
  sound.audio.SafeFreeSound(kit_editor.snd);
  kit_editor.last_file_loaded.clear();
}

void Preview(const std::string& element) {
  if (element != kit_editor.last_file_loaded) {
    FreePreview();
    sound.LoadRepresentativeSoundFromElement(kit_editor.snd, MakePath(kPathElements, element + ".ele").c_str());
    kit_editor.last_file_loaded = element;
  }
  sound.audio.StartSound(kit_editor.snd, 1.0f, 0.0f, true, 0.0f, false);
}

void EnterEditor(int library_count) {
  kit_editor.num_visible_lines = imgui.ListBoxHeightToNumVisibleLines(345);
  if (state_param > 0) kit_editor.highlighted_kit = state_param - 1;
  int line = state_param2 >= 1 ? state_param2 - 1 : library_count > 0 ? 0 : -1;
  if (line >= library_count) line = library_count - 1;
  kit_editor.library.selected = -1;
  imgui.SetSelectedLine(line, kit_editor.num_visible_lines, library_count, kit_editor.library);
  kit_editor.previous_library_line = kit_editor.library.selected;
  kit_editor.previous_chosen_line = kit_editor.chosen.selected;
  kit_editor.last_file_loaded.clear();
}

// A list whose change of selection previews the element of the new line.
void DoPreviewedList(int id, int x, int y, const std::vector<std::string>& names,
                     Imgui::ListBoxState& list, int& previous) {
  imgui.DoListBox(id, id + 1, id + 2, x, y, 344, kit_editor.num_visible_lines, names, list);
  const int line = list.selected;
  if (line == previous || line < 0 || line >= static_cast<int>(names.size())) return;
  Preview(names[line]);
  previous = line;
}

void RemoveChosen() {
  auto& elements = working_drumkit.elements;
  const int line = kit_editor.chosen.selected;
  if (line < 0 || line >= static_cast<int>(elements.size())) return;
  elements.erase(elements.begin() + line);
  const int last = static_cast<int>(elements.size()) - 1;
  kit_editor.chosen.selected = kit_editor.previous_chosen_line = line > last ? last : line;
}

void DeleteElement(int line) {
  std::string names;
  const int users = drumkit_chooser.CountDrumkitsUsingElement(line, names);
  if (users == 1) {
    MessageBox(GetUtf8(kTextDrumkitElementUsed) + names + GetUtf8(kTextDrumkitMakeSure), false, true);
  } else if (users >= 2) {
    MessageBox(GetUtf8(kTextDrumkitElementUsedFollowing) + names + GetUtf8(kTextMakeSureIsnt), false, true);
  } else if (MessageBox(GetUtf8(kTextSureWantDeleteDrumkit), true, true) == 0) {
    std::string error;
    const int next = drumkit_chooser.DeleteElement(line, error);
    if (next == -2) {
      MessageBox(error, false, true);
    } else {
      kit_editor.library.selected = kit_editor.previous_library_line = next;
    }
  }
}

void LeaveEditor(int line) {
  kit_editor.library.selected = kit_editor.chosen.selected = -1;
  FreePreview();
  OpenKitList(line);
}

// The loaded kit follows its saved edit. Its drums in memory are the old ones, and a later
// save of their placement would write them under the new element list (or, renamed, as a
// new kit under the old Name): new elements reload it, each staying drum keeping what it has in
// memory, saved or not; a new Name alone only becomes the current kit's Name.
void FollowLoadedKit(const DrumkitChooser::LogicalDrumkit& before) {
  if (working_drumkit.elements != before.elements) {
    DrawBusyVeil();
    if (drummer.FollowEditedKit(working_drumkit.Name, before.elements, working_drumkit.elements))
      DrawSamplesProgress(0, true);
  } else if (working_drumkit.Name != before.Name) {
    drumkit_chooser.current_drumkit_name = working_drumkit.Name;
    drummer.SaveLastSession();
  }
}

void SaveKit() {
  const DrumkitChooser::LogicalDrumkit* old =
      cloned_drumkit_idx >= 0 ? drumkit_chooser.GetDrumkit(cloned_drumkit_idx) : edited_drumkit_ptr;
  const bool loaded = edit_drumkit_idx >= 0 && edit_drumkit_idx == drumkit_chooser.GetCurrentKitIndex();
  std::string error;
  if (!drumkit_chooser.SaveDrumkit(working_drumkit, error, old)) {
    MessageBox(error, false, true);
    return;
  }
  int line = static_cast<int>(drumkit_chooser.drumkits.size()) - 1;
  if (edit_drumkit_idx >= 0 && drumkit_chooser.GetDrumkit(edit_drumkit_idx)) {
    *drumkit_chooser.GetDrumkit(edit_drumkit_idx) = working_drumkit;
    line = edit_drumkit_idx;
  }
  if (loaded) FollowLoadedKit(edited_drumkit);
  LeaveEditor(line);
}

void DoEditorButtons(int H, const std::vector<std::string>& library) {
  const int lib = kit_editor.library.selected;
  const bool lib_valid = lib >= 0 && lib < static_cast<int>(library.size());
  if (imgui.DoButton(kAdd, 421, H - 261, 50, 34, GetUtf8(kTextGreaterThan)) && lib_valid)
    working_drumkit.elements.push_back(library[lib]);
  if (imgui.DoButton(kRemove, 421, H - 311, 50, 34, GetUtf8(kTextLessThan))) RemoveChosen();
  if (imgui.DoButton(kNewElement, 48, H - 491, 104, 50, GetUtf8(kTextNew))) {
    working_element = DrumkitChooser::Element{};
    working_element.name = GetUtf8(kTextNewElement);
    working_element.type = Sound::CUSTOM_HAND;
    working_element.category = Sound::CATEGORY_HAND;
    FreePreview();
    OpenElementScreen(kit_editor.highlighted_kit);
    return;
  }
  if (imgui.DoButton(kDeleteElement, 191, H - 491, 104, 50, GetUtf8(kTextDelete)) && lib_valid) DeleteElement(lib);
  if (imgui.DoButton(kEditorOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) {
    SaveKit();
    return;
  }
  if (DoCancelButton(kEditorCancel, H)) {
    LeaveEditor(kit_editor.highlighted_kit);
  }
}

}  // namespace

// state_param = the line + 1, 0 for none.
void OpenKitList(int line) { ChangeInterfaceState(kChooseDrumkitScreen, line + 1); }

// state_param = kit_line + 1 and state_param2 = library_line + 1, 0 for none.
void OpenKitEditor(int kit_line, int library_line) {
  ChangeInterfaceState(kNewDrumkitScreen, kit_line + 1, library_line + 1);
}

void DoChooseDrumkitScreen() {
  const int H = ScreenHeight();
  std::vector<std::string> names;
  drumkit_chooser.GetDrumkitNames(names);
  DoChooserList(kit_list, kKits, kTextDrumkitList, H, names, kKitSteps);
  const bool listed = drumkit_chooser.GetDrumkit(Selected()) != nullptr;
  DoChooserButtons(kNewKit, H, kit_list, listed, kKitSteps, 104);
  DoHand(H);
  DoChooserOkCancel(kKitOk, H, kit_list, kKitSteps);
}

void DoNewDrumkitScreen() {
  const int H = ScreenHeight();
  std::vector<std::string> library;
  drumkit_chooser.GetElementNames(library);
  if (EnteringPage()) {
    EnterEditor(static_cast<int>(library.size()));
  }
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextDrumkitName));
  DoEditBoxString(kName, IsLanguage("ru") ? 316 : 236, H - 27, 390, 50, working_drumkit.Name, 63, false);
  PlayRefusedKeySound();
  imgui.DoText(48, H - 107, "%s", GetUtf8(kTextAvailableElementsList));
  DoPreviewedList(kLibrary, 48, H - 145, library, kit_editor.library, kit_editor.previous_library_line);
  imgui.DoText(498, H - 107, "%s", GetUtf8(kTextChosenElementsList));
  DoPreviewedList(kChosen, 498, H - 145, working_drumkit.elements, kit_editor.chosen, kit_editor.previous_chosen_line);
  DoEditorButtons(H, library);
}
