// The replay camera: the whole program with the fake libusb in place of the real one and a
// PS3 Eye on the bus whose frames come from a scene script (tests/support/scene_script.h).
// The script is the file SKYTAPPER_SCENE names; the camera shows a clean, dark scene until the
// file appears and plays it from the start, at 125 frames a second, each time it changes, then
// shows the dark scene again. A frame the program has not taken by the next one's time is
// dropped, as a USB camera's would be. Built with the tests only.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "frame/app/app.h"
#include "frame/glut/glut_window.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/marker_scene.h"
#include "tests/support/ps3eye_packets.h"
#include "tests/support/scene_script.h"
#include "tests/support/test_dirs.h"

namespace {

std::atomic<bool> running{true};
std::thread feeder;

// The script file's change time (0 while there is none).
long long ChangeTime(const char* path) {
  struct stat st {};
  if (!path || stat(path, &st) != 0) return 0;
  return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

void Feed() {
  const char* path = getenv("SKYTAPPER_SCENE");
  skyt_test::Ps3EyePacketiser packetiser;
  std::vector<skyt_test::Scene> frames;
  size_t next = 0;
  long long seen = 0;
  auto due = std::chrono::steady_clock::now();
  while (running) {
    if (const long long changed = ChangeTime(path); changed != seen) {
      seen = changed;
      frames = skyt_test::ParseSceneScript(skyt_test::ReadFile(path));
      next = 0;
    }
    skyt_test::MarkerScene picture;
    if (next < frames.size())
      for (const skyt_test::SceneMarker& m : frames[next++]) picture.AddMarker(m.x, m.y, m.radius, m.peak);
    if (fake_usb::FeedLeft() == 0) fake_usb::Feed(packetiser.Frame(picture.Render()));
    due += std::chrono::nanoseconds(8'000'000);
    std::this_thread::sleep_until(due);
  }
}

void StopFeeding() {
  running = false;
  if (feeder.joinable()) feeder.join();
}

}  // namespace

int main(int argc, char** argv) {
  fake_usb::Reset();
  fake_usb::PlugCamera();
  // Stopped before the fake bus it feeds is torn down (made by Reset, so destroyed after).
  std::atexit(StopFeeding);
  feeder = std::thread(Feed);
  InstallGlutWindow();
  return SkytapperMain(argc, argv);
}
