// The replay camera: the whole program with the fake libusb in place of the real one and a
// PS3 Eye on the bus whose frames come from a scene script (tests/support/scene_script.h).
// The script is the file SKYTAPPER_SCENE names; the camera shows a clean, dark scene until the
// file appears and plays it from the start, at 125 frames a second, each time it changes, then
// shows the dark scene again. Outside a script a frame the program has not taken by the next
// one's time is dropped, as a USB camera's would be; a script's frames are never dropped: each
// waits until the program has taken the one before, so a busy program delays the rest of the
// script instead of losing its strokes. The file SKYTAPPER_REPLAY_LOG names (when set) gets,
// for each script frame, its index and the CLOCK_MONOTONIC nanoseconds it was sent at; it starts
// afresh with each script. Built with the tests only.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/app.h"
#include "app/glut/glut_window.h"
#include "tests/support/fake_libusb.h"
#include "tracking/ps3eye.h"
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

long long MonotonicNanos() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Waits until the program has taken the frame fed when `produced` frames had been published;
// gives up after a second (a frame the camera thread discarded, or a page that reads none).
void WaitTaken(int64_t produced) {
  for (int i = 0; i < 2000 && running && ps3eye::frame.consumed.load() <= produced; ++i)
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

// The send log of the script being played (SKYTAPPER_REPLAY_LOG); null when not asked for.
FILE* RestartLog(FILE* log) {
  if (log) fclose(log);
  const char* path = getenv("SKYTAPPER_REPLAY_LOG");
  return path && *path ? fopen(path, "w") : nullptr;
}

void Feed() {
  const char* path = getenv("SKYTAPPER_SCENE");
  skyt_test::Ps3EyePacketiser packetiser;
  std::vector<skyt_test::Scene> frames;
  size_t next = 0;
  long long seen = 0;
  FILE* log = nullptr;
  int64_t fed_at = -1;  // frames published when the last script frame was fed; -1 none pending
  auto due = std::chrono::steady_clock::now();
  while (running) {
    if (const long long changed = ChangeTime(path); changed != seen) {
      seen = changed;
      frames = skyt_test::ParseSceneScript(skyt_test::ReadFile(path));
      next = 0;
      log = RestartLog(log);
    }
    const bool scripted = next < frames.size();
    skyt_test::MarkerScene picture;
    if (scripted)
      for (const skyt_test::SceneMarker& m : frames[next]) picture.AddMarker(m.x, m.y, m.radius, m.peak);
    const std::vector<uint8_t> image = picture.Render();
    if (fed_at >= 0) WaitTaken(fed_at);
    fed_at = -1;
    std::this_thread::sleep_until(due);
    // Late: the grid moves on from now, so the frames keep their spacing.
    due = std::max(due, std::chrono::steady_clock::now());
    if (fake_usb::FeedLeft() == 0) {
      if (scripted) {
        fed_at = ps3eye::frame.produced.load();
        if (log) fprintf(log, "%zu %lld\n", next, MonotonicNanos()), fflush(log);
        ++next;
      }
      fake_usb::Feed(packetiser.Frame(image));
    }
    due += std::chrono::nanoseconds(8'000'000);
  }
  if (log) fclose(log);
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
