// Moving between screens (0-17) and in-air pages (18-36).
#pragma once

// Records the state and its parameters, marks it as just entered, and between the mouse
// screens and the in-air pages switches full screen, sleep prevention, vertical sync and the
// MIDI output.
void ChangeInterfaceState(int state, int param = 0, int param2 = 0, int param3 = 0);

// The one way a page or screen is entered: true on the first frame after a state change, and
// it clears the mark, so a page calls it once at the top of its frame and sets itself up when
// it returns true.
bool EnteringPage();

// What a state change tells the set-up wizard above the drumming; the wizard installs it at
// start-up (InstallFrameRateWatch) with designated initialisers, doing nothing until then.
struct InterfaceStateCalls {
  // Called on every state change and full-screen switch: the frame-rate watchdog starts
  // measuring afresh.
  void (*restart_frame_rate_watch)() = [] {};
};
extern InterfaceStateCalls interface_state_calls;
