// Which page each in-air state runs.
#include "airmenu/calibration.h"
#include "airmenu/pages.h"
#include "frame/interface_states.h"

void RunInAirPage(int state) {
  switch (state) {
    case kPlay: Play(); break;
    case kPlayMenu: PlayMenu(); break;
    case kAdjustDrums: AdjustDrums(); break;
    case kAdjustVolumes: AdjustVolumes(); break;
    case kAdjustAnyVolume: AdjustAnyVolume(); break;
    case kMoveDrum: MoveDrum(); break;
    case kAdjustHihatRangeAndSplash: AdjustHihatRangeAndSplash(); break;
    case kAdjustHihatClutch: AdjustHihatClutch(); break;
    case kAdjustCymbalChoking: AdjustCymbalChoking(); break;
    case kHihatAndCymbals: HihatAndCymbals(); break;
    case kPlaySong: PlaySong(); break;
    case kMetronome: Metronome(); break;
    case kAdjustMidiSettings: AdjustMIDISettings(); break;
    case kMoveDrumsSubMenu: MoveDrumsSubMenu(); break;
    case kDrumKits: DrumKits(); break;
    case kClientStartScreen: ClientStartScreen(); break;
    case kPlayWithClient: PlayWithClient(); break;
    case kWizard: calibration.Display(); break;
    case kTemporaryDisplay: TemporaryDisplay(); break;
    default: break;  // nothing runs while quitting
  }
}
