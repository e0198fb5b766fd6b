// Scripted stick and foot movements for the in-air tests and the replay camera, one scene a
// frame.
#pragma once
#include <vector>

#include "tests/support/marker_scene.h"

namespace skyt_test {

using Scene = std::vector<SceneMarker>;

// Scripted stick and foot movements, one scene a frame (camera pixels, right-handed player:
// the right stick is the dominant hand).
struct StrokeScript {
  static constexpr float kHandRadius = 5.0f;
  // Both sticks held still well above the foot line and away from every button.
  static std::vector<Scene> Rest(int frames);
  // The right stick rises above (x, y) and strikes down through it; the left one rests. A
  // drum is struck with its depth as the marker's radius.
  static std::vector<Scene> MenuStroke(float x, float y, float radius = kHandRadius);
  // The right stick rests on (x, y) for the given frames (a button that needs activation).
  static std::vector<Scene> Activation(float x, float y, int frames);
  // The right stick held on a slider at y and drawn from x0 to x1, then held there.
  static std::vector<Scene> Slider(float x0, float x1, float y, int frames);
  // Both sticks lowered below the foot line, both feet in view.
  static std::vector<Scene> HandsLow(int frames);
  // A foot marker tapping down at x (its pedal), the sticks resting.
  static std::vector<Scene> FootTap(float x);
};

}  // namespace skyt_test
