// The sound page (21): save the sound settings, mute, the mixer, the reverb and panning.
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "sound/midi.h"
#include "sound/sound.h"

namespace {

// Save: on success the button greys again; on failure it stays live with an error line. In
// MIDI mode the device in use is the MIDI mode's, so the player's stored choice stays.
void Save(bool& have_changes_to_save) {
  if (SaveSoundSettings(midi_mode != kNoMidiMode ? SoundDeviceLines::kKeepStored : SoundDeviceLines::kRunning)) {
    ShowLine(3, GetUtf8(kTextSavedChanges));
    have_changes_to_save = false;
  } else {
    ShowLine(3, GetUtf8(kTextSoundSaveFailed));
  }
  Click();
}

}  // namespace

void OpenSoundPage(bool with_unsaved_changes) {
  ChangeInterfaceState(kAdjustVolumes, with_unsaved_changes ? 1 : 0);
}

void AdjustVolumes() {
  static bool have_changes_to_save = false;
  DistanceMenu menu;
  if (EnteringPage()) {
    if (state_param != 0) have_changes_to_save = true;
  }
  ShowLine(0, GetUtf8(kTextAdjustVolumeSensitivity));
  ShowLine(1, GetUtf8(kTextHitAdjustDrums));
  AddButton(menu, kSaveChangesButton, kTextSaveChanges, DistanceMenu::m_no_drums2_x, DistanceMenu::m_no_drums2_y,
            !have_changes_to_save);
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_no_drums_x, DistanceMenu::m_no_drums_y);
  AddButton(menu, kMuteButton, drums_muted ? kTextUnMute : kTextMute, DistanceMenu::m_no_drums3_x,
            DistanceMenu::m_no_drums3_y);
  AddButton(menu, kMixingButton, kTextVolumeMixingButton, DistanceMenu::m_no_drums6_x, DistanceMenu::m_no_drums6_y);
  AddButton(menu, kReverbButton, kTextReverb, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y);
  AddButton(menu, kPanningButton, sound.panning_enabled ? kTextCenterPanning : kTextAutoPanning,
            DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y);
  Boilerplate(menu, false, kAdjustVolumes);

  if (menu.WasHit(kMixingButton)) {
    OpenVolumePage(kMasterLevel, MOCAP_MARKER_HAND, kPlay);
    Click();
  } else if (menu.WasHit(kReverbButton)) {
    OpenVolumePage(kReverbLevel, MOCAP_MARKER_HAND, kPlay);
    Click();
  } else if (menu.WasHit(kDoneButton)) {
    OpenPlayPage();
    Click();
  } else if (menu.WasHit(kSaveChangesButton)) {
    if (have_changes_to_save) Save(have_changes_to_save);
  } else if (menu.WasHit(kPanningButton)) {
    drummer.TogglePanning();
    have_changes_to_save = true;
    Click();
  } else if (menu.WasHit(kMuteButton)) {
    drums_muted = !drums_muted;  // no click, and nothing to save: muting is never saved
  }
}
