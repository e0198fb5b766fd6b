// The interface state machine's transitions, and the drumming controller's ways back to the
// main screen and in and out of full screen.
#include "drumming/interface_state.h"

#include <cstdio>
#include <string>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/window.h"
#include "sound/logger.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/webcam.h"

InterfaceStateCalls interface_state_calls;

namespace {

bool InAir(int state) { return state >= kFirstInAirState; }

// Vertical sync off: the interval goes to 1 and back to 0, which some drivers need.
void VsyncOff() {
  if (!window_services.set_swap_interval) return;
  std::string error;
  window_services.set_swap_interval(1, &error);
  error.clear();
  if (!window_services.set_swap_interval(0, &error)) printf("Vsync message: %s\n", error.c_str());
}

}  // namespace

bool EnteringPage() {
  if (!just_changed_state) return false;
  just_changed_state = false;
  return true;
}

void ChangeInterfaceState(int state, int param, int param2, int param3) {
  int old = interface_state;
  if (!InAir(state) && InAir(old)) {
    if (full_screen) {
      full_screen = false;
      full_screen_toggle_frames = 2;
    }
    webcam.ResetFrameCounter();
    AllowSleeping();
    if (midi_mode != kNoMidiMode) CloseMIDIOutput();
    if (drummer.kit) drummer.kit->StopAnimations();
  } else if (InAir(state) && !InAir(old)) {
    if (drummer.Drum_Full_Screen) {
      full_screen = true;
      full_screen_toggle_frames = 2;
    }
    PreventSleeping();
    VsyncOff();
    if (midi_mode != kNoMidiMode) OpenMIDIOutput(0);
  } else if (InAir(state) && InAir(old)) {
    if (drummer.kit) drummer.kit->StopAnimations();
  } else if (midi_mode != kNoMidiMode && state != old) {
    if (state == kRecordingScreen) OpenMIDIOutput(0);
    if (old == kRecordingScreen) CloseMIDIOutput();
  }
  // The foot holds count the drumming frames of one page; a page starts without them, or a kick
  // just before leaving would swallow the first kick of the next page.
  drummer.left_foot_hold = drummer.right_foot_hold = 0;
  interface_state = state;
  just_changed_state = true;
  state_param = param;
  state_param2 = param2;
  state_param3 = param3;
  DistanceMenu::ClearMessages();
  DistanceMenu::ResetButtonActivation();
  interface_state_calls.restart_frame_rate_watch();
}

void Drummer::GoBackToMainMenu() {
  is_metronome_playing = false;
  sound.StopMetronome();
  sound.StopSong(true);
  song_playing = false;
  logger.StopRecording(recording);
  frames_until_song_start = -1;
  if (kit) {
    kit->shown_drum = -1;
    kit->shown_marker_type = MOCAP_MARKER_HAND;
  }
  SaveLastSession();
  ChangeInterfaceState(kMainScreen, 0, 0, 0);
}

void Drummer::ToggleDrumsFullscreen() {
  Drum_Full_Screen = !Drum_Full_Screen;
  full_screen = !full_screen;
  full_screen_toggle_frames = 2;
  interface_state_calls.restart_frame_rate_watch();
}
