// In-air test kit: the whole in-air path from a scripted scene to the page. Each frame the
// scene's markers are drawn by MarkerScene, cut into PS3 Eye packets, fed through the fake
// libusb to the camera thread, and taken by one call of the program's display callback, with
// the host clock held at 8 ms a frame. The offscreen buffer follows the window's size as the
// window system would, with the program's reshape callback after each change (a full-screen
// switch makes it the screen's size, the window's own unless a test sets another). Runs in a
// fresh installation folder with an offscreen GL context, the offline mixer, a 3-drum grid
// kit, the overlay and icons the program's start-up makes, and the deferred start-up marked
// done. Of a script's frames only the last is drawn whole where the program redraws the whole
// window each frame; the others are drawn into one pixel (nobody looks at them).
// Link: skyt_app skyt_fake_libusb skyt_fake_host_clock.
#pragma once
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "drumming/distance_menu.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/stroke_script.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

class InAirKit {
 public:
  InAirKit(const std::string& name, int width = 960, int height = 720);
  ~InAirKit();
  InAirKit(const InAirKit&) = delete;
  InAirKit& operator=(const InAirKit&) = delete;

  // One camera frame of the scene and one display call.
  void Frame(const Scene& scene);
  void Run(const std::vector<Scene>& frames);
  // One display call with no new camera frame (the camera missed a frame).
  void Redraw();
  // Empty frames while the camera settles after a mode change (198 frames).
  void Settle();
  // Enters an in-air page (as ChangeInterfaceState does) and lets the camera settle.
  void Enter(int state, int param = 0);
  // The same through a page's opener.
  void Open(const std::function<void()>& opener);
  // Frames per second the held clock shows (125 by default); a frame's time is rounded up,
  // so the measured rate is a hair below fps.
  void SetFrameRate(double fps) { frame_nanos_ = uint64_t(std::ceil(1e9 / fps)); }

  // The last menu a page handed to the frame body.
  const DistanceMenu& Menu() const;
  // The button of that menu with this id, or null.
  const DistanceMenu::Button* Button(int id) const;
  // Strokes the button of the last menu with this id.
  void Hit(int id);
  // A mouse click at (x, y), window pixels with y upwards: pressed for one frame of the scene,
  // released for another, then the mouse leaves the window.
  void Click(int x, int y, const Scene& scene = {});
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
