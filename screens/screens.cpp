// The mouse-and-keyboard screens. Stand-ins until the screens are written: each shows the
// background the frame function drew and nothing more.
#include "screens/screens.h"

#include "drumming/progress.h"
#include "frame/frame_globals.h"

void DoMainScreen() {
  just_changed_state = false;
  DrawSamplesProgress(0, false);
}
void DoChooseDrumkitScreen() { just_changed_state = false; }
void DoNewDrumkitScreen() { just_changed_state = false; }
void DoNewElementScreen() { just_changed_state = false; }
void DoRecordingScreen() { just_changed_state = false; }
void DoLatencyScreen() { just_changed_state = false; }
void DoPlaylistScreen() { just_changed_state = false; }
void DoAboutScreen() { just_changed_state = false; }
void DoHelpScreen() { just_changed_state = false; }
void DoMIDIScreen() { just_changed_state = false; }
void DoMIDIMapsScreen() { just_changed_state = false; }
void DoPreferencesScreen() { just_changed_state = false; }
void DoChooseMidiMapScreen() { just_changed_state = false; }
void DoNewMidiMapScreen() { just_changed_state = false; }
void DoAudioDeviceScreen() { just_changed_state = false; }
void DoMacStart() {}
void DoLanguagesScreen() { just_changed_state = false; }
