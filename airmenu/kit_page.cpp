// The kit browsing page (32): Previous and Next through the kit library, Apply loads the
// selected kit, Adjust Drums opens the hub on the loaded kit (on a copy of a preset).
#include <string>
#include <vector>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "sound/sound.h"

namespace {

constexpr float kPresetWarningMs = 6000.0f;

struct KitPage {
  int current_kit_index = -1;
  int selected_kit_index = -1;
  bool confirmed_preset_cloning = false;
  bool drumkit_changed = false;
};

bool Listed(int index, const std::vector<std::string>& names) { return index >= 0 && index < int(names.size()); }

const char* NameOf(int index, const std::vector<std::string>& names) {
  return Listed(index, names) ? names[index].c_str() : "";
}

void Apply(KitPage& page, const std::vector<std::string>& names) {
  if (drummer.ChooseDrumkit(names[page.selected_kit_index], false)) {
    DrawSamplesProgress(0, true);
    page.current_kit_index = page.selected_kit_index;
  }
  page.drumkit_changed = true;
  Click();
}

// The preset is saved as a user copy, which is loaded and adjusted in its place.
void ClonePreset(KitPage& page) {
  const DrumkitChooser::LogicalDrumkit* preset = drumkit_chooser.GetDrumkit(page.current_kit_index);
  if (!preset) return;
  const DrumkitChooser::LogicalDrumkit original = *preset;
  DrumkitChooser::LogicalDrumkit copy = original;
  copy.Name = drumkit_chooser.MakeUniqueDrumkitCopyName(original.Name);
  copy.path.clear();
  copy.Is_Preset = false;
  std::string error;
  if (!drumkit_chooser.SaveDrumkit(copy, error, &original)) {
    MessageBox(error, false, true);
    return;
  }
  page.current_kit_index = int(drumkit_chooser.drumkits.size()) - 1;
  drummer.ChooseDrumkit(copy.Name, false);
  DrawSamplesProgress(0, true);
  OpenAdjustPage(kAdjustDrums, kAdjustDrums, false);
  Click();
}

void AdjustDrumsHit(KitPage& page) {
  if (drumkit.is_user_kit) {
    OpenAdjustPage(kAdjustDrums, kAdjustDrums, false);
    Click();
  } else if (!page.confirmed_preset_cloning) {
    DistanceMenu::AddMessage(GetUtf8(kTextDrumKitPreset), 16, 1, kPresetWarningMs, false, false);
    DistanceMenu::AddMessage(GetUtf8(kTextHitAdjustDrumsAgain), 17, 1, kPresetWarningMs, false, false);
    sound.audio.StartSound(sound.editbox_error_sound, 0.9f, 0.0f, true, 0.0f, false);
    page.confirmed_preset_cloning = true;
  } else {
    ClonePreset(page);
  }
}

}  // namespace

void DrumKits() {
  static KitPage page;
  DistanceMenu menu;
  std::vector<std::string> names;
  drumkit_chooser.GetDrumkitNames(names);
  if (EnteringPage()) {
    page.current_kit_index = page.selected_kit_index = drumkit_chooser.GetCurrentKitIndex();
    page.confirmed_preset_cloning = page.drumkit_changed = false;
  }
  // An empty list, or a loaded kit that is not listed (or no longer: the viewer may change the
  // list), leaves only Done live and both names empty.
  const int n = int(names.size());
  const bool usable = Listed(page.current_kit_index, names);
  if (!usable || !Listed(page.selected_kit_index, names)) page.selected_kit_index = usable ? page.current_kit_index : -1;
  AddSlotButton(menu, kDoneButton, kTextDone, 1);
  AddSlotButton(menu, kPreviousButton, kTextPrevious, 4, !usable);
  AddSlotButton(menu, kApplyButton, kTextApply, 2, !usable || page.selected_kit_index == page.current_kit_index);
  AddSlotButton(menu, kNextButton, kTextNext, 5, !usable);
  AddSlotButton(menu, kAdjustDrumsButton, kTextAdjustDrums, 3, !usable);
  ShowNameLine(0, kTextCurrentDrumKit, NameOf(page.current_kit_index, names));
  ShowNameLine(2, kTextSelectedDrumKit, NameOf(page.selected_kit_index, names));
  Boilerplate(menu, false, kPlaySong);

  if (menu.WasHit(kDoneButton)) {
    OpenPlayPage(page.drumkit_changed ? PlayEntry::kFromPlayButton : PlayEntry::kPlain);
    drummer.SaveLastSession();
    Click();
  } else if (!usable) {
    return;
  } else if (menu.WasHit(kApplyButton)) {
    if (page.selected_kit_index != page.current_kit_index) Apply(page, names);
  } else if (menu.WasHit(kPreviousButton)) {
    page.selected_kit_index = page.selected_kit_index <= 0 ? n - 1 : page.selected_kit_index - 1;
    Click();
  } else if (menu.WasHit(kNextButton)) {
    page.selected_kit_index = page.selected_kit_index >= n - 1 ? 0 : page.selected_kit_index + 1;
    Click();
  } else if (menu.WasHit(kAdjustDrumsButton)) {
    AdjustDrumsHit(page);
  }
}
