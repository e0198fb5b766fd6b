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

// Volume & sensitivity and MIDI open on drum 0, highlighted, its foot side for a foot drum.
void OpenOnDrumZero(void (*open_page)(WhichVolume, MocapMarkerType, InterfaceState), int next_stage) {
  const bool foot = drumkit.drums[0].category == Sound::CATEGORY_FOOT;
  const MocapMarkerType side = foot ? MOCAP_MARKER_FOOT : MOCAP_MARKER_HAND;
  drumkit.shown_drum = 0;
  drumkit.shown_marker_type = side;
  open_page(kFirstDrumLevel, side, InterfaceState(next_stage));
  Click();
}

void PlaceAllDrums(int next_stage) {
  calibration.ChangeStage(Calibration::kPlaceDrums);
  ChangeInterfaceState(kWizard, next_stage, 1, 0);
  Click();
}

}  // namespace

void AdjustDrums() {
  static int next_stage = kPlay;
  static bool have_changes_to_save = false;
  static bool need_confirmation = false;
  DistanceMenu menu;
  if (EnteringPage()) {
    next_stage = state_param != 0 ? state_param : kPlay;
    if (state_param2 != 0) have_changes_to_save = true;
    need_confirmation = false;
  }
  const bool no_drums = drumkit.drums.empty();
  ShowLine(0, GetUtf8(kTextHowDoWish));
  AddSlotButton(menu, kSaveChangesButton, kTextSaveChanges, 2, !have_changes_to_save);
  AddSlotButton(menu, kDoneButton, kTextDone, 1);
  AddSlotButton(menu, kVolumeAndSensitivityButton, kTextVolumeSensitiVity, 4, no_drums);
  AddSlotButton(menu, kHihatAndCymbalsButton, kTextHiHatCymbals, 5);
  if (midi_mode == 0) {
    AddSlotButton(menu, kPlaceOneDrumButton, kTextPlaceOneDrum, 3);
    AddSlotButton(menu, kPlaceAllDrumsButton, kTextPlaceAllDrums, 6);
  } else {
    AddSlotButton(menu, kPlaceOneDrumButton, kTextMoveDrums, 6);
    AddSlotButton(menu, kMidiButton, kTextMIDI, 3, no_drums);
  }
  Boilerplate(menu, false, kAdjustDrums);

  if (menu.WasHit(kDoneButton)) {
    ChangeInterfaceState(kPlay, 0, 0, 0);
    Click();
  } else if (menu.WasHit(kSaveChangesButton)) {
    if (have_changes_to_save) SaveChanges(have_changes_to_save);
  } else if (menu.WasHit(kVolumeAndSensitivityButton)) {
    if (!no_drums) OpenOnDrumZero(OpenVolumePage, next_stage);
  } else if (menu.WasHit(kPlaceOneDrumButton)) {
    if (midi_mode == 0) ChangeInterfaceState(kMoveDrum, 0, next_stage, kAdjustDrums);
    else ChangeInterfaceState(kMoveDrumsSubMenu, next_stage, 0, 0);
    Click();
  } else if (menu.WasHit(kHihatAndCymbalsButton)) {
    ChangeInterfaceState(kHihatAndCymbals, next_stage, 0, 0);
    Click();
  } else if (menu.WasHit(kPlaceAllDrumsButton)) {
    if (ConfirmTwice(need_confirmation, kTextHitPlaceAll)) PlaceAllDrums(next_stage);
  } else if (menu.WasHit(kMidiButton)) {
    if (!no_drums) OpenOnDrumZero(OpenMidiPage, next_stage);
  }
}

void HihatAndCymbals() {
  static int next_stage = kAdjustDrums;
  static bool have_changes_to_save = false;
  DistanceMenu menu;
  if (EnteringPage()) {
    next_stage = state_param != 0 ? state_param : kAdjustDrums;
    if (state_param2 != 0) have_changes_to_save = true;
  }
  ShowLine(0, GetUtf8(kTextPickSettingWant));
  AddSlotButton(menu, kBackButton, kTextBack, 1);
  AddSlotButton(menu, kHihatRangeAndSplashButton, kTextHiHatRange, 4);
  AddSlotButton(menu, kHihatClutchButton, kTextHiHatClutch, 5);
  AddSlotButton(menu, kCymbalChokingButton, kTextCymbalChoking, 6);
  Boilerplate(menu, false, kAdjustDrums);

  const struct {
    int button, state, param;
  } actions[] = {{kBackButton, kAdjustDrums, kPlay},
                 {kHihatRangeAndSplashButton, kAdjustHihatRangeAndSplash, next_stage},
                 {kHihatClutchButton, kAdjustHihatClutch, next_stage},
                 {kCymbalChokingButton, kAdjustCymbalChoking, next_stage}};
  for (const auto& a : actions) {
    if (!menu.WasHit(a.button)) continue;
    ChangeInterfaceState(a.state, a.param, have_changes_to_save, 0);
    Click();
    return;
  }
}

void MoveDrumsSubMenu() {
  static int next_stage = kPlay;
  static bool need_confirmation = false;
  DistanceMenu menu;
  if (EnteringPage()) {
    next_stage = state_param != 0 ? state_param : kPlay;
    need_confirmation = false;
  }
  AddSlotButton(menu, kPlaceOneDrumButton, kTextPlaceOneDrum, 5);
  AddSlotButton(menu, kPlaceAllDrumsButton, kTextPlaceAllDrums, 4);
  Boilerplate(menu, false, kMoveDrumsSubMenu);

  if (menu.WasHit(kPlaceOneDrumButton)) {
    ChangeInterfaceState(kMoveDrum, 0, next_stage, kAdjustDrums);
    Click();
  } else if (menu.WasHit(kPlaceAllDrumsButton)) {
    if (ConfirmTwice(need_confirmation, kTextHitPlaceAll)) PlaceAllDrums(next_stage);
  }
}
