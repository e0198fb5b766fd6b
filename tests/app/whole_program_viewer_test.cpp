// The 3D viewer's link while the whole program drums on the replay camera: a stand-in viewer
// (tests/support/viewer_probe.h) finds the program, connects, gets the kit, a hit packet for
// every stroke and a markers packet for every camera frame, moves the snare, and is killed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "frame/interface_states.h"
#include "tests/support/program_driver.h"
#include "tests/support/replay_test.h"
#include "tests/support/scene_script.h"
#include "tests/support/test_dirs.h"
#include "tests/support/viewer_probe.h"

namespace {

using namespace skyt_test;

// The preset kit's snare (drum 0) and the place the viewer moves it to (x y depth): a stroke
// there hits the hi-hat (drum 2) until the snare comes.
constexpr const char* kSnare = "149.1 146.6 3.1";
constexpr const char* kMovedTo = "80 120 3.1";
const std::vector<unsigned char> kMove = I32(0) + F32(80) + F32(120) + F32(3.1f);
constexpr int kSnareDrum = 0, kHihatDrum = 2, kRightStick = 1;
constexpr float kNotInView = -1000;  // a markers packet's place for a marker it did not see
constexpr const char* kKitFile = "/conf/drumkits/A__My_First_Skytapper_Kit__RH_.ini";

// Three strokes at the place, the left stick counting the frames.
std::string Strokes(const char* place) { return "counted " + std::string(place) + " 3 6\n"; }

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(8)); }

// What a viewer got while a scene played: the hits' drums, and the script frames its markers
// packets showed (the counting stick's), in the order they came.
struct Seen {
  std::vector<int> drums;
  std::vector<int> frames;
  int not_right_stick = 0;  // hits by anything else
  int counter_gaps = 0;     // markers packets missing from the counter's sequence
};

Seen Collect(const ViewerProbe& viewer) {
  Seen seen;
  for (const HitPacket& h : viewer.hits) {
    seen.drums.push_back(h.drum);
    seen.not_right_stick += h.limb != kRightStick;
  }
  for (size_t i = 0; i < viewer.markers.size(); ++i) {
    const MarkersPacket& m = viewer.markers[i];
    if (const int frame = CountedFrame(m.values[0], m.values[1]); frame >= 0) seen.frames.push_back(frame);
    if (i > 0) seen.counter_gaps += int(m.counter - viewer.markers[i - 1].counter) - 1;
  }
  return seen;
}

// Writes the scene and runs the viewer until the camera shows nothing again after it.
Seen PlayWatched(ViewerProbe& viewer, const std::string& scene_file, const std::string& scene) {
  viewer.hits.clear();
  viewer.markers.clear();
  ReplaceFile(scene_file, scene);
  bool started = false;
  for (size_t i = 0, next = 0; i < 3000; ++i) {
    viewer.Run(1);
    for (; next < viewer.markers.size(); ++next) {
      const MarkersPacket& m = viewer.markers[next];
      started = started || CountedFrame(m.values[0], m.values[1]) >= 0;
      if (started && m.values[0] == kNotInView && m.values[3] == kNotInView) return Collect(viewer);
    }
  }
  ADD_FAILURE() << "the scene did not end";
  return Collect(viewer);
}

// Runs the viewer until a message with the code has come (at most about 5 s): all that came.
std::vector<ServerMessage> Until(ViewerProbe& viewer, int code) {
  std::vector<ServerMessage> all;
  for (int i = 0; i < 500; ++i) {
    viewer.Run(1);
    for (ServerMessage& m : viewer.TakeMessages()) all.push_back(std::move(m));
    for (const ServerMessage& m : all)
      if (m.code == code) return all;
  }
  return all;
}

// The snare's place in the kit a viewer was sent (code 1 for drum 0: x and y).
std::pair<float, float> SnareSent(const std::vector<ServerMessage>& messages) {
  for (const ServerMessage& m : messages)
    if (m.code == 1 && ReadI32(m.payload, 0) == kSnareDrum) return {ReadF32(m.payload, 8), ReadF32(m.payload, 12)};
  return {0, 0};
}

class WholeProgramViewer : public ReplayTest {
 protected:
  WholeProgramViewer() : ReplayTest("viewer") {}
  // A returning player: no help, no wizard.
  void PrepareInstallation() override { SetSettings({"Never_Ran", "Wants_Startup_Help"}, "false"); }
  ProbePorts Ports() const {
    const int p = setup_.viewer_port;
    return {p, p + 1, p + 2, p + 3};
  }
  // One hit packet a stroke, all by the right stick.
  static void ExpectHits(const Seen& seen, const std::vector<int>& drums) {
    EXPECT_EQ(seen.drums, drums);
    EXPECT_EQ(seen.not_right_stick, 0);
  }
  // Every frame the camera sent between the first and the last one the viewer saw has its
  // markers packet, in order, but for the frames the program was too busy to take: none on a
  // machine of its own, a few in a hundred beside a busy build, never a quarter.
  static void ExpectMarkersEveryFrame(const Seen& seen) {
    ASSERT_FALSE(seen.frames.empty());
    const int sent = seen.frames.back() - seen.frames.front() + 1;
    for (size_t i = 1; i < seen.frames.size(); ++i) ASSERT_GT(seen.frames[i], seen.frames[i - 1]) << i;
    EXPECT_GE(seen.frames.size() * 4, size_t(sent) * 3) << sent;
    EXPECT_EQ(seen.counter_gaps, 0);
    printf("markers: %zu packets for %d frames sent\n", seen.frames.size(), sent);
  }
};

}  // namespace

TEST_F(WholeProgramViewer, FollowsTheDrummingMovesTheSnareAndIsKilled) {
  Program program(setup_);
  window_ = WaitForWindow();
  ASSERT_FALSE(window_.empty()) << program.Output();
  TraceFrame main;
  ASSERT_TRUE(WaitForWidget(trace_, kMainScreen, "Drum", false, main)) << program.Output();
  ClickOn(window_, trace_, *main.Find("Drum"));
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program.Output();

  ViewerProbe viewer(Ports(), Pause);
  EXPECT_EQ(viewer.Discover("SKYT", 100), "SKYT");
  ASSERT_TRUE(viewer.Connect()) << program.Output();
  const std::vector<ServerMessage> kit = Until(viewer, 8);
  std::vector<int> codes;
  for (const ServerMessage& m : kit) codes.push_back(m.code);
  EXPECT_EQ(codes, (std::vector<int>{9, 10, 0, 1, 1, 1, 2, 8}));  // offset, height, the kit, its name
  EXPECT_NEAR(SnareSent(kit).first, 149.12f, 0.01f);
  EXPECT_NEAR(SnareSent(kit).second, 146.57f, 0.01f);

  // A viewer on another computer takes the drumming page over; Ctrl+U brings it back. Then
  // graphics off (software GL is slower than the camera), and the camera settles.
  Key("ctrl+u");
  unlink(trace_.c_str());
  ASSERT_TRUE(WaitForState(trace_, kPlay)) << program.Output();
  for (int mode = 0; mode < 4; ++mode) Key("ctrl+g");
  for (int i = 0; i < 1000 && viewer.markers.empty(); ++i) viewer.Run(1);
  ASSERT_FALSE(viewer.markers.empty()) << program.Output();

  const Seen before = PlayWatched(viewer, scene_, Strokes(kSnare) + Strokes(kMovedTo));
  ExpectHits(before, {kSnareDrum, kSnareDrum, kSnareDrum, kHihatDrum, kHihatDrum, kHihatDrum});
  ExpectMarkersEveryFrame(before);

  // The viewer moves the snare and saves the kit: the move comes back, the file holds it.
  viewer.Send(27, kMove);
  viewer.Send(29);
  const std::vector<ServerMessage> moved = Until(viewer, 3);
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(moved.back(), (ServerMessage{3, kMove}));
  const std::string kit_file = setup_.install_dir + kKitFile;
  const std::string place = "Drum0.x = 80.000000\nDrum0.y = 120.000000\n";
  auto saved = [&] { return ReadFile(kit_file).find(place) != std::string::npos; };
  for (int i = 0; i < 500 && !saved(); ++i) viewer.Run(1);
  EXPECT_TRUE(saved());

  const Seen after = PlayWatched(viewer, scene_, Strokes(kMovedTo));
  ExpectHits(after, {kSnareDrum, kSnareDrum, kSnareDrum});
  ExpectMarkersEveryFrame(after);

  // Killed: the program says nothing, keeps the kit as it was and drums on for the next one.
  const std::string kit_saved = ReadFile(kit_file), said = program.Output();
  viewer.Kill();
  ViewerProbe next(Ports(), Pause);
  next.Run(25);
  ASSERT_TRUE(next.Connect()) << program.Output();
  const std::vector<ServerMessage> kit_again = Until(next, 8);
  EXPECT_NEAR(SnareSent(kit_again).first, 80.0f, 0.01f);
  const Seen later = PlayWatched(next, scene_, Strokes(kMovedTo));
  ExpectHits(later, {kSnareDrum, kSnareDrum, kSnareDrum});
  ExpectMarkersEveryFrame(later);
  EXPECT_EQ(program.Output(), said);
  EXPECT_EQ(ReadFile(kit_file), kit_saved);
  EXPECT_EQ(EscUntilExit(program, window_), 0) << program.Output();
}
