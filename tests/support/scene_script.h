// Scene scripts: what the replay camera shows, as a small text, one time span a line, frames
// at the camera's 125 a second (right-handed player; camera pixels, 320x240):
//   dark FRAMES                     nothing in view (a clean scene)
//   rest FRAMES                     both sticks held still above the foot line
//   hold FRAMES X Y R [X Y R ...]   these markers held still
//   press X Y R                     the right stick rises and strikes down through (X, Y), R
//                                   being the marker's radius, then rests (an in-air button)
//   strokes X Y R COUNT DOWN        the right stick, resting on (X, Y) with radius R (a drum's
//                                   place and depth), strikes COUNT times from 40 pixels above,
//                                   falling in DOWN frames (fewer: faster, louder); 29 + DOWN
//                                   frames a stroke, the hit on each stroke's last falling frame
//   counted X Y R COUNT DOWN        as strokes, the left stick counting the frames: in the
//                                   script's frame n it stands at CountingStick(n)
//   strike X Y R HEIGHT DOWN        as strokes, once, from HEIGHT pixels above: a slow, long
//                                   fall still seen by a program that takes only some frames
//   tap X                           a foot taps down to the foot line at X (a pedal), the
//                                   sticks resting; 13 frames
//   drag X Y DX COUNT EVERY         the right stick held at (X, Y) for EVERY frames, then COUNT
//                                   times moved DX pixels along x and held EVERY frames (a
//                                   slider's value moves by steps that a dropped frame keeps)
// '#' starts a comment. A line that does not read is skipped with a warning on stderr.
#pragma once
#include <string>
#include <vector>

#include "tests/support/stroke_script.h"

namespace skyt_test {

// The scenes of a script, one per frame.
std::vector<Scene> ParseSceneScript(const std::string& text);

// The counting left stick of a script's frame n: it walks sideways to and fro and always
// rises, over 384 frames at most (then it starts again, a stroke), so that where the stick was
// seen tells the frame. CountedFrame gives the frame back from the stick's place, -1 for a
// place the stick never takes.
SceneMarker CountingStick(int frame);
int CountedFrame(float x, float y);

}  // namespace skyt_test
