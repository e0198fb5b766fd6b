// The help pages (state 9), the about screen (state 8) and the greyed help page shown while
// the program starts.
#pragma once

// The greyed page 1 of the first screen (state 16).
void DoHelpScreen1Greyed();
// Makes help page `page` the current picture.
void LoadHelpScreenImage(int page);
// The address the manual button opens in the browser.
inline constexpr const char* kManualAddress = "https://skytapper.app/manual";
