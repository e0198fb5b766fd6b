// The kit of the adjusting pages' tests, on top of the in-air test kit: 0 snare at
// (240, 150), 1 hi-hat (stick at (60, 120), pedal at x 90), 2 kick pedal at x 200, 3 crash at
// (200, 60), 4 splash at (130, 80); hand drums 5 pixels deep. It is the user kit "Test" of the
// kit library, loaded from conf/drumkits/test.ini.
#pragma once
#include <string>

#include "drumming/distance_menu.h"
#include "tests/support/in_air_kit.h"

namespace skyt_test {

// Loads the kit (the kick first when asked, then the others in the order above) and lists it.
void LoadAdjustKit(bool kick_first = false);
// Enters a page with all three parameters and lets the camera settle.
void EnterPage(InAirKit& kit, int state, int p1, int p2, int p3);
// Points the right stick at a button that needs activation, then strikes it.
void HitActivated(InAirKit& kit, int id);
// A firm stroke of the right stick on drum (hand position).
void StrikeDrum(InAirKit& kit, float x, float y);
// Holds the right stick on slider id until it is active, then drags it to its end.
void DragSlider(InAirKit& kit, int id, bool to_max);
// The slider of the last menu with this id, or null.
const DistanceMenu::Slider* FindSlider(const InAirKit& kit, int id);

}  // namespace skyt_test
