// The in-air pages still to be written: each takes its entry mark and shows the camera
// picture the frame function drew, nothing more.
#include "airmenu/pages.h"

#include "frame/frame_globals.h"

namespace {
void EnterPage() { just_changed_state = false; }
}  // namespace

void AdjustDrums() { EnterPage(); }
void AdjustAnyVolume() { EnterPage(); }
void MoveDrum() { EnterPage(); }
void AdjustHihatRangeAndSplash() { EnterPage(); }
void AdjustHihatClutch() { EnterPage(); }
void AdjustCymbalChoking() { EnterPage(); }
void HihatAndCymbals() { EnterPage(); }
void AdjustMIDISettings() { EnterPage(); }
void MoveDrumsSubMenu() { EnterPage(); }
void DrumKits() { EnterPage(); }
