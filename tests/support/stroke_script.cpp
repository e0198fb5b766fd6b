// Scripted stick and foot movements: one scene a frame.
#include "tests/support/stroke_script.h"

#include <algorithm>

#include "tests/support/stroke_harness.h"

namespace skyt_test {

namespace {

Scene RestScene() { return {{40, 40, StrokeScript::kHandRadius}, {290, 40, StrokeScript::kHandRadius}}; }

// The left stick resting, the right one at (x, y).
Scene RightAt(float x, float y, float radius = StrokeScript::kHandRadius) {
  return {{40, 40, StrokeScript::kHandRadius}, {x, y, radius}};
}

}  // namespace

std::vector<Scene> StrokeScript::Rest(int frames) { return std::vector<Scene>(frames, RestScene()); }

std::vector<Scene> StrokeScript::MenuStroke(float x, float y, float radius) {
  std::vector<Scene> frames;
  for (float t = y; t > y - 48.0f; t -= 8.0f) frames.push_back(RightAt(x, t, radius));
  for (float t : StrokeTrack(y - 48.0f, 8.0f, 6, 6, 2)) frames.push_back(RightAt(x, t, radius));
  for (int i = 0; i < 10; ++i) frames.push_back(RestScene());
  return frames;
}

std::vector<Scene> StrokeScript::Activation(float x, float y, int frames) {
  return std::vector<Scene>(frames, RightAt(x, y));
}

std::vector<Scene> StrokeScript::Slider(float x0, float x1, float y, int frames) {
  std::vector<Scene> out;
  for (int i = 0; i < frames; ++i) out.push_back(RightAt(x0 + (x1 - x0) * std::min(1.0f, i / (frames * 0.5f)), y));
  return out;
}

std::vector<Scene> StrokeScript::HandsLow(int frames) {
  // With both feet in view the two highest of four markers are the hands wherever they are.
  std::vector<Scene> out;
  for (float y = 40; y < 205; y += 1)
    out.push_back({{40, y, kHandRadius}, {290, y, kHandRadius}, {130, 232, 3.5f}, {250, 232, 3.5f}});
  out.insert(out.end(), frames, out.back());
  return out;
}

std::vector<Scene> StrokeScript::FootTap(float x) {
  std::vector<Scene> frames;
  for (float y : StrokeTrack(200.0f, 5.0f, 5, 5)) {
    Scene scene = RestScene();
    scene.push_back({x, y, 3.5f});
    frames.push_back(scene);
  }
  return frames;
}

}  // namespace skyt_test
