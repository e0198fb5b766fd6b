// The in-air pages (interface states 18-36), their per-frame scaffolding and the frozen
// pictures of the fast graphics modes and the viewer display.
#pragma once

#include "tracking/mocap_marker.h"

class DistanceMenu;

// One frame of each in-air page, with the projection, blending and camera picture that the
// frame function set up.
void Play();                       // 18
void PlayMenu();                   // 19
void AdjustDrums();                // 20
void AdjustVolumes();              // 21
void AdjustAnyVolume();            // 22
void MoveDrum();                   // 23
void AdjustHihatRangeAndSplash();  // 24
void AdjustHihatClutch();          // 25
void AdjustCymbalChoking();        // 26
void HihatAndCymbals();            // 27
void PlaySong();                   // 28
void Metronome();                  // 29
void AdjustMIDISettings();         // 30
void MoveDrumsSubMenu();           // 31
void DrumKits();                   // 32
void ClientStartScreen();          // 33
void PlayWithClient();             // 34
void TemporaryDisplay();           // 36

// Runs the page of an in-air state, the wizard's included; nothing for any other state.
void RunInAirPage(int state);

// The current values of a volume page's level code (132 reverb, 135-138 the mixer, 139 + i
// drum i, its pedal side for a hand-and-foot drum with type foot); what does not apply is
// left untouched.
void GetSliderInfo(int which, float& volume, float& max_speed, float& max_max_speed, MocapMarkerType type);

// The shared frame body of the pages and its renderers, one per graphics mode.
void Boilerplate(DistanceMenu& menu, bool drumming, int state);
void BoilerplateNormal(DistanceMenu& menu, bool drumming, int state);
void BoilerplateSlowLow(DistanceMenu& menu, bool drumming, int state);
void BoilerplateNo(DistanceMenu& menu, bool drumming, int state);
void BoilerplateMocapMarkersOnly(DistanceMenu& menu, bool drumming, int state);
// The seconds left before a delayed song start: message lines 8 and 9, or printed straight
// away (direct) where the menu is not rendered.
void DisplaySongCountDown(DistanceMenu& menu, int width, int height, bool direct);

// Frozen pictures: graphics mode 1, graphics mode 4 and the viewer display (state 34). Each
// texture is the window's size when made, RGB; 0 when there is none.
extern unsigned int markers_only_texture;
extern unsigned int client_display_texture;
void EnterMarkersOnly();
void LeaveMarkersOnly();
void EnterNoGraphics();
void EnterClientDisplay();
void LeaveClientDisplay();
