// Which screen function each mouse-and-keyboard state runs.
#include "frame/interface_states.h"
#include "screens/screens.h"

void RunScreen(int state) {
  switch (state) {
    case kMainScreen: DoMainScreen(); break;
    case kChooseDrumkitScreen: DoChooseDrumkitScreen(); break;
    case kNewDrumkitScreen: DoNewDrumkitScreen(); break;
    case kNewElementScreen: DoNewElementScreen(); break;
    case kRecordingScreen: DoRecordingScreen(); break;
    case kLatencyScreen: DoLatencyScreen(); break;
    case kPlaylistScreen: DoPlaylistScreen(); break;
    case kAboutScreen: DoAboutScreen(); break;
    case kHelpScreen: DoHelpScreen(); break;
    case kMidiScreen: DoMIDIScreen(); break;
    case kMidiMapsScreen: DoMIDIMapsScreen(); break;
    case kPreferencesScreen: DoPreferencesScreen(); break;
    case kChooseMidiMapScreen: DoChooseMidiMapScreen(); break;
    case kNewMidiMapScreen: DoNewMidiMapScreen(); break;
    case kAudioDeviceScreen: DoAudioDeviceScreen(); break;
    case kFirstStart: DoMacStart(); break;
    case kLanguagesScreen: DoLanguagesScreen(); break;
    default: break;  // 7 is not used
  }
}
