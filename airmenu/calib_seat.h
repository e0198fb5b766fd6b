// Stage 3 of the set-up wizard, the seat and camera placement, and its way in. Main thread only.
#pragma once

// How the seat page is come back to: afresh (the red overlay cleared), back from the lighting
// check, or after the lighting check found it good (no bright-location warning). Carried in
// state_param, which the page reads on its first frame only.
enum class SeatEntry : int { kFresh = 0, kBackFromLighting = 1, kLightingFoundGood = 2 };
void OpenSeat(SeatEntry entry);
