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

// The typed ways into the screens that take parameters: each is ChangeInterfaceState with that
// screen's own use of the state parameters, which only that screen decodes. A line is a list
// index, -1 for none (the screen then selects its own).
void OpenKitList(int line);
// The kit editor; kit_line is the kit list's line it was opened from, library_line the element
// library's line to select.
void OpenKitEditor(int kit_line, int library_line = -1);
// The new-element screen; kit_line is handed back to the kit editor.
void OpenElementScreen(int kit_line);
void OpenMidiMapList(int line);
// The MIDI-map editor and the new-map screen; map_line is the list line they return to.
void OpenMidiMapEditor(int map_line);
void OpenNewMidiMapScreen(int map_line);
void OpenHelpScreen(int page = 1);
// The about screen; Close returns to help page help_page.
void OpenAboutScreen(int help_page);

// Runs the screen function of a mouse-and-keyboard state; nothing for any other state.
void RunScreen(int state);
