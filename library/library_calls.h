// Hands the drumming controller the kit and MIDI-map libraries' operations; called once at
// start-up, before the controller is initialised.
#pragma once

void InstallLibraryCalls();
