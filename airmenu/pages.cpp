// The in-air pages. Stand-ins until the in-air pages are written: each takes its entry mark
// and shows the camera picture the frame function drew, nothing more.
#include "airmenu/pages.h"

#include "frame/frame_globals.h"

namespace {
void EnterPage() { just_changed_state = false; }
}  // namespace

void Play() { EnterPage(); }
void PlayMenu() { EnterPage(); }
void AdjustDrums() { EnterPage(); }
void AdjustVolumes() { EnterPage(); }
void AdjustAnyVolume() { EnterPage(); }
void MoveDrum() { EnterPage(); }
void AdjustHihatRangeAndSplash() { EnterPage(); }
void AdjustHihatClutch() { EnterPage(); }
void AdjustCymbalChoking() { EnterPage(); }
void HihatAndCymbals() { EnterPage(); }
void PlaySong() { EnterPage(); }
void Metronome() { EnterPage(); }
void AdjustMIDISettings() { EnterPage(); }
void MoveDrumsSubMenu() { EnterPage(); }
void DrumKits() { EnterPage(); }
void ClientStartScreen() { EnterPage(); }
void PlayWithClient() { EnterPage(); }
void TemporaryDisplay() { EnterPage(); }

void Boilerplate(DistanceMenu&, bool, int) {}
void BoilerplateNormal(DistanceMenu&, bool, int) {}
void BoilerplateSlowLow(DistanceMenu&, bool, int) {}
void BoilerplateNo(DistanceMenu&, bool, int) {}
void BoilerplateMocapMarkersOnly(DistanceMenu&, bool, int) {}

void EnterMarkersOnly() {}
void LeaveMarkersOnly() {}
void EnterNoGraphics() {}
void EnterClientDisplay() {}
void LeaveClientDisplay() {}
