// The values of interface_state: which screen or in-air page the display calls each frame.
// Plain ints, so that interface_state (frame_globals.h) compares with them directly; 0-17 are
// the mouse-and-keyboard screens, 18 and above the in-air interface.
#pragma once

enum InterfaceState : int {
  kMainScreen = 0,                 // DoMainScreen
  kChooseDrumkitScreen = 1,        // DoChooseDrumkitScreen
  kNewDrumkitScreen = 2,           // DoNewDrumkitScreen: a new or edited kit
  kNewElementScreen = 3,           // DoNewElementScreen
  kRecordingScreen = 4,            // DoRecordingScreen
  kLatencyScreen = 5,              // DoLatencyScreen
  kPlaylistScreen = 6,             // DoPlaylistScreen
                                   // 7 is not used
  kAboutScreen = 8,                // DoAboutScreen
  kHelpScreen = 9,                 // DoHelpScreen
  kMidiScreen = 10,                // DoMIDIScreen
  kMidiMapsScreen = 11,            // DoMIDIMapsScreen
  kPreferencesScreen = 12,         // DoPreferencesScreen
  kChooseMidiMapScreen = 13,       // DoChooseMidiMapScreen
  kNewMidiMapScreen = 14,          // DoNewMidiMapScreen
  kAudioDeviceScreen = 15,         // DoAudioDeviceScreen
  kFirstStart = 16,                // DoMacStart: the state the program starts in
  kLanguagesScreen = 17,           // DoLanguagesScreen

  kFirstInAirState = 18,           // every state from here on is an in-air one
  kPlay = 18,                      // Play: the drumming page
  kPlayMenu = 19,                  // PlayMenu
  kAdjustDrums = 20,               // AdjustDrums
  kAdjustVolumes = 21,             // AdjustVolumes: the sound page
  kAdjustAnyVolume = 22,           // AdjustAnyVolume: one volume or element
  kMoveDrum = 23,                  // MoveDrum
  kAdjustHihatRangeAndSplash = 24, // AdjustHihatRangeAndSplash
  kAdjustHihatClutch = 25,         // AdjustHihatClutch
  kAdjustCymbalChoking = 26,       // AdjustCymbalChoking
  kHihatAndCymbals = 27,           // HihatAndCymbals
  kPlaySong = 28,                  // PlaySong: the songs page
  kMetronome = 29,                 // Metronome
  kAdjustMidiSettings = 30,        // AdjustMIDISettings
  kMoveDrumsSubMenu = 31,          // MoveDrumsSubMenu
  kDrumKits = 32,                  // DrumKits
  kClientStartScreen = 33,         // ClientStartScreen: starting the 3D viewer
  kPlayWithClient = 34,            // PlayWithClient: drumming shown by a connected viewer
  kWizard = 35,                    // Calibration::Display: the set-up wizard
  kTemporaryDisplay = 36,          // TemporaryDisplay
  kQuitting = 37,                  // set by the exit handler; nothing is drawn any more
};
