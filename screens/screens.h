// The mouse-and-keyboard screens (interface states 0-17; 7 is unused). Each runs one frame of
// its screen between Imgui::Begin(false) and Imgui::End(), over the background the frame
// function drew.
#pragma once

void DoMainScreen();            // 0
void DoChooseDrumkitScreen();   // 1
void DoNewDrumkitScreen();      // 2
void DoNewElementScreen();      // 3
void DoRecordingScreen();       // 4
void DoLatencyScreen();         // 5
void DoPlaylistScreen();        // 6
void DoAboutScreen();           // 8
void DoHelpScreen();            // 9
void DoMIDIScreen();            // 10
void DoMIDIMapsScreen();        // 11
void DoPreferencesScreen();     // 12
void DoChooseMidiMapScreen();   // 13
void DoNewMidiMapScreen();      // 14
void DoAudioDeviceScreen();     // 15
void DoMacStart();              // 16: the first-start screen before the deferred start-up
void DoLanguagesScreen();       // 17

// Runs the screen function of a mouse-and-keyboard state; nothing for any other state.
void RunScreen(int state);
