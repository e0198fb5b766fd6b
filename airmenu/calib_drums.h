// Stage 6 of the set-up wizard, placing the drums, and its ways in; the order in which it asks
// for the drums, and the line naming the drums it skips. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "drumming/drumkit.h"

struct PlacingOrder {
  std::vector<int> order;  // drum indices: the hand parts, then the foot parts
  int first_foot = 0;      // position in order of the first foot part (= hand parts)
  std::vector<std::string> missing;  // names of the drums without an element, by index
};

// Hand parts by the placing weight of their element type (snare first, cymbals last), then
// foot parts the same way; ties by drum index. A hand-and-foot drum comes twice. Drums whose
// element is -1 get no part and are named in missing. Absent map entries are created as 0.
PlacingOrder ComputePlacingOrder(Drumkit& kit);
// "The Snare is missing, skipping it", "The Snare and Kick are missing, skipping them."...
// in the current language; "" when nothing is missing.
std::string MissingDrumsLine(const std::vector<std::string>& missing);

// Placing from within the wizard, leading to the drumming page: keep_positions keeps the old
// positions (each part can then be skipped), ready_screen_first shows the ready screen before.
// Carried in state_param2 and state_param3, which the stage reads on its first frame only (the
// way out in state_param, as OpenDrumPlacing sets it).
void OpenPlacing(bool keep_positions, bool ready_screen_first);
// Its parameters alone, for the wizard's start, which sets the stage itself.
void SetPlacingParameters(bool keep_positions, bool ready_screen_first);
