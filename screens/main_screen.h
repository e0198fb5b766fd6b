// The main screen's greyed twin and the first screen's choice (DoMainScreen and DoMacStart are
// in screens.h).
#pragma once
#include <string>

// All buttons greyed and "Loading..." while the program starts.
void DoMainScreenGreyed();
// Whether the first screen shows the greyed help page rather than the greyed main screen: on
// a first run or when help is wanted at start-up, by the settings file at settings_path (a
// missing key or file counts as true, as for the session loader).
bool FirstStartWantsHelp(const std::string& settings_path);
