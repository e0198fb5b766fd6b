// In-air test kit: the whole in-air path from a scripted scene to the page. Each frame the
// scene's markers are drawn by MarkerScene, cut into PS3 Eye packets, fed through the fake
// libusb to the camera thread, and taken by one call of the program's display callback, with
// the host clock held at 8 ms a frame. Runs in a fresh installation folder with an offscreen
// GL context, the offline mixer, a 3-drum grid kit and the deferred start-up marked done.
// Link: skyt_app skyt_fake_libusb skyt_fake_host_clock.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "drumming/distance_menu.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/marker_scene.h"
#include "tests/support/test_dirs.h"

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

class InAirKit {
 public:
  InAirKit(const std::string& name, int width = 960, int height = 720);
  ~InAirKit();
  InAirKit(const InAirKit&) = delete;
  InAirKit& operator=(const InAirKit&) = delete;

  // One camera frame of the scene and one display call.
  void Frame(const Scene& scene);
  void Run(const std::vector<Scene>& frames);
  // Empty frames while the camera settles after a mode change (198 frames).
  void Settle();
  // Enters an in-air page (as ChangeInterfaceState does) and lets the camera settle.
  void Enter(int state, int param = 0);
  // Frames per second the held clock shows (125 by default); a frame's time is rounded up,
  // so the measured rate is a hair below fps.
  void SetFrameRate(double fps) { frame_nanos_ = uint64_t(std::ceil(1e9 / fps)); }

  // The last menu a page handed to the frame body.
  const DistanceMenu& Menu() const;
  // The button of that menu with this id, or null.
  const DistanceMenu::Button* Button(int id) const;
  // Strokes the button of the last menu with this id.
  void Hit(int id);
  // The message on a line ("" when none).
  static std::string Line(int line);
  // Menu clicks heard so far.
  int Clicks() const { return clicks_; }
  GlContext& gl() { return gl_; }

 private:
  Installation install_;
  GlContext gl_;
  uint64_t now_ = 1'000'000'000;
  uint64_t frame_nanos_ = 8'000'000;
  int clicks_ = 0;
};

}  // namespace skyt_test
