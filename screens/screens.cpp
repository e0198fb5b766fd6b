// The mouse-and-keyboard screens not written yet: each shows the background the frame
// function drew and nothing more.
#include "screens/screens.h"

#include "frame/frame_globals.h"

void DoMIDIMapsScreen() { just_changed_state = false; }
void DoChooseMidiMapScreen() { just_changed_state = false; }
void DoNewMidiMapScreen() { just_changed_state = false; }
