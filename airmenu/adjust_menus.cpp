// The adjust-drums hub (20), the hi-hat and cymbals menu (27) and the move-drums menu (31):
// they only open the adjusting pages and collect whether those changed the kit.
#include <string>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "sound/midi.h"

namespace {

// Save: a failed save keeps the changes flag and the button live, shows an error line and,
// on the next line, the library's reason.
void SaveChanges(bool& have_changes_to_save) {
  std::string message;
  if (drummer.SaveCalibration(&message)) {
    ShowLine(2, GetUtf8(kTextSavedChanges));
    have_changes_to_save = false;
  } else {
    ShowKitSaveFailed(message);
  }
  Click();
}

// What each of the three menus keeps between frames.
struct AdjustMenu {
  InterfaceState next_stage;  // where the adjusting pages it opens lead back to
  bool have_changes_to_save = false;
  bool need_confirmation = false;
};

// Entering a menu: a changes flag handed in is kept (never cleared on entry) and a pending
// confirmation is dropped.
void EnterMenu(AdjustMenu& adjust_menu, InterfaceState default_back_to) {
  const AdjustPageEntry entry = EnteredAdjustPage(default_back_to);
  adjust_menu.next_stage = entry.back_to;
  adjust_menu.have_changes_to_save |= entry.with_unsaved_changes;
  adjust_menu.need_confirmation = false;
}

// Volume & sensitivity and MIDI open on drum 0, highlighted, its foot side for a foot drum.
void OpenOnDrumZero(void (*open_page)(WhichVolume, MocapMarkerType, InterfaceState), InterfaceState next_stage) {
  const bool foot = drumkit.drums[0].category == Sound::CATEGORY_FOOT;
  const MocapMarkerType side = foot ? MOCAP_MARKER_FOOT : MOCAP_MARKER_HAND;
  drumkit.shown_drum = 0;
  drumkit.shown_marker_type = side;
  open_page(kFirstDrumLevel, side, next_stage);
  Click();
}

void PlaceAllDrums(InterfaceState next_stage) {
  OpenDrumPlacing(next_stage);
  Click();
}

// One drum at a time; leaving it comes back to the hub.
void PlaceOneDrum(InterfaceState next_stage) {
  OpenMoveDrumPage(false, next_stage, kAdjustDrums);
  Click();
}

}  // namespace

// The family's parameters: state_param = back_to, state_param2 = unsaved changes.
void OpenAdjustPage(InterfaceState page, InterfaceState back_to, bool with_unsaved_changes) {
  ChangeInterfaceState(page, back_to, with_unsaved_changes ? 1 : 0, 0);
}

void ReturnToAdjustPage(InterfaceState back_to, bool with_unsaved_changes) {
  OpenAdjustPage(back_to, back_to, with_unsaved_changes);
}

AdjustPageEntry EnteredAdjustPage(InterfaceState default_back_to) {
  return {state_param != 0 ? InterfaceState(state_param) : default_back_to, state_param2 != 0};
}

void AdjustDrums() {
  static AdjustMenu hub{kPlay};
  DistanceMenu menu;
  if (EnteringPage()) EnterMenu(hub, kPlay);
  const bool no_drums = drumkit.drums.empty();
  ShowLine(0, GetUtf8(kTextHowDoWish));
  AddSlotButton(menu, kSaveChangesButton, kTextSaveChanges, 2, !hub.have_changes_to_save);
  AddSlotButton(menu, kDoneButton, kTextDone, 1);
  AddSlotButton(menu, kVolumeAndSensitivityButton, kTextVolumeSensitiVity, 4, no_drums);
  AddSlotButton(menu, kHihatAndCymbalsButton, kTextHiHatCymbals, 5);
  if (midi_mode == kNoMidiMode) {
    AddSlotButton(menu, kPlaceOneDrumButton, kTextPlaceOneDrum, 3);
    AddSlotButton(menu, kPlaceAllDrumsButton, kTextPlaceAllDrums, 6);
  } else {
    AddSlotButton(menu, kPlaceOneDrumButton, kTextMoveDrums, 6);
    AddSlotButton(menu, kMidiButton, kTextMIDI, 3, no_drums);
  }
  Boilerplate(menu, false, kAdjustDrums);

  if (menu.WasHit(kDoneButton)) {
    OpenPlayPage();
    Click();
  } else if (menu.WasHit(kSaveChangesButton)) {
    if (hub.have_changes_to_save) SaveChanges(hub.have_changes_to_save);
  } else if (menu.WasHit(kVolumeAndSensitivityButton)) {
    if (!no_drums) OpenOnDrumZero(OpenVolumePage, hub.next_stage);
  } else if (menu.WasHit(kPlaceOneDrumButton)) {
    if (midi_mode == kNoMidiMode) {
      PlaceOneDrum(hub.next_stage);
    } else {
      OpenAdjustPage(kMoveDrumsSubMenu, hub.next_stage, false);
      Click();
    }
  } else if (menu.WasHit(kHihatAndCymbalsButton)) {
    OpenAdjustPage(kHihatAndCymbals, hub.next_stage, false);
    Click();
  } else if (menu.WasHit(kPlaceAllDrumsButton)) {
    if (ConfirmTwice(hub.need_confirmation, kTextHitPlaceAll)) PlaceAllDrums(hub.next_stage);
  } else if (menu.WasHit(kMidiButton)) {
    if (!no_drums) OpenOnDrumZero(OpenMidiPage, hub.next_stage);
  }
}

void HihatAndCymbals() {
  static AdjustMenu cymbals{kAdjustDrums};
  DistanceMenu menu;
  if (EnteringPage()) EnterMenu(cymbals, kAdjustDrums);
  ShowLine(0, GetUtf8(kTextPickSettingWant));
  AddSlotButton(menu, kBackButton, kTextBack, 1);
  AddSlotButton(menu, kHihatRangeAndSplashButton, kTextHiHatRange, 4);
  AddSlotButton(menu, kHihatClutchButton, kTextHiHatClutch, 5);
  AddSlotButton(menu, kCymbalChokingButton, kTextCymbalChoking, 6);
  Boilerplate(menu, false, kAdjustDrums);

  const InterfaceState next_stage = cymbals.next_stage;
  const struct {
    int button;
    InterfaceState page, back_to;
  } actions[] = {{kBackButton, kAdjustDrums, kPlay},
                 {kHihatRangeAndSplashButton, kAdjustHihatRangeAndSplash, next_stage},
                 {kHihatClutchButton, kAdjustHihatClutch, next_stage},
                 {kCymbalChokingButton, kAdjustCymbalChoking, next_stage}};
  for (const auto& a : actions) {
    if (!menu.WasHit(a.button)) continue;
    OpenAdjustPage(a.page, a.back_to, cymbals.have_changes_to_save);
    Click();
    return;
  }
}

void MoveDrumsSubMenu() {
  static AdjustMenu move_menu{kPlay};
  DistanceMenu menu;
  if (EnteringPage()) EnterMenu(move_menu, kPlay);
  AddSlotButton(menu, kPlaceOneDrumButton, kTextPlaceOneDrum, 5);
  AddSlotButton(menu, kPlaceAllDrumsButton, kTextPlaceAllDrums, 4);
  Boilerplate(menu, false, kMoveDrumsSubMenu);

  if (menu.WasHit(kPlaceOneDrumButton)) {
    PlaceOneDrum(move_menu.next_stage);
  } else if (menu.WasHit(kPlaceAllDrumsButton)) {
    if (ConfirmTwice(move_menu.need_confirmation, kTextHitPlaceAll)) PlaceAllDrums(move_menu.next_stage);
  }
}
