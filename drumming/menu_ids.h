// The ids of the in-air menu's buttons and sliders. Every in-air page and the set-up wizard
// share one numbering; a stroke whose nearest target has an id from kFirstMenuId to
// kLastMenuId goes to the menu, never to a drum. Where one id carries different labels on
// different pages, the page decides the label and the action.
#pragma once

enum MenuId : int {
  kFirstMenuId = 100,
  kBackButton = 100,
  kNextButton = 101,                // also "Next Song" and the wizard's "Skip this drum"
  kDoneButton = 102,
  kMenuButton = 103,                // the old-style Menu button among the drums
  kVolumeSlider = 104,              // also the reverb slider
  kSensitivitySlider = 105,
  kAdjustDrumsButton = 106,
  kSongsButton = 107,
  kSoundButton = 108,
  kMetronomeButton = 109,
  kPreviousButton = 110,            // also "Previous Song"
  kPlayButton = 113,
  kRecordButton = 114,
  kPlayWithDelayButton = 115,
  kStartButton = 116,
  kStopButton = 117,                // also "Stop recording"
  kPlaceAllDrumsButton = 118,
  kPlaceOneDrumButton = 120,        // also "Move drums"
  kHihatAndCymbalsButton = 121,
  kHihatRangeAndSplashButton = 122,
  kHihatClutchButton = 123,
  kCymbalChokingButton = 124,
  kVolumeAndSensitivityButton = 128,
  kPanningButton = 131,             // "Center panning" or "Auto panning"
  kReverbButton = 132,
  kMasterVolumeButton = 135,
  kMixingButton = 136,              // "Volume mixing", or the metronome volume
  kSongVolumeButton = 137,
  kDrumsVolumeButton = 138,
  kResponseCurveButton = 140,
  kTempoSlider = 141,
  kStartAtSlider = 142,
  kSaveChangesButton = 146,
  kHihatRangeSlider = 147,
  kSplashSensitivitySlider = 148,
  kClutchOpennessSlider = 149,
  kLeftZoneSlider = 150,
  kRightZoneSlider = 151,
  kMidiButton = 152,
  kEdgeHitSlider = 153,
  kRimshotSlider = 154,
  kMuteUnderSlider = 155,
  kMuteButton = 157,
  kDrumKitButton = 158,
  kApplyButton = 159,
  kEighthNotesButton = 160,         // "Play 8th notes" or "Quarter notes only"
  kNoButton = 161,                  // a hand that points at nothing
  kLastMenuId = 161,
};
