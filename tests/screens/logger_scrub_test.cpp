// The recordings list's scrub bar on the widget GUI: dragging moves the scrub position over the
// frames, a single frame divides by nothing.
#include <gtest/gtest.h>

#include "render/imgui.h"
#include "sound/logger.h"
#include "tests/render/imgui_test_support.h"

namespace {

class ScrubBar : public skyt_test::ImguiTest {};

TEST_F(ScrubBar, DragMovesThePosition) {
  Logger log;
  log.frame_count = 125 * 120 + 1;
  log.scrub_position = 7625;
  testing::internal::CaptureStdout();
  auto widgets = [&] { log.DoScrubBar(gui, 100, 400, 300, 20); };
  // The time beside the bar: minutes and seconds of 125 frames.
  gui.tracing = true;
  auto time = [&] { return gui.trace.empty() ? std::string() : gui.trace.back().label; };
  input->MoveTo(50, 390);
  Frame(widgets);
  EXPECT_EQ(log.scrub_position, 7625);
  EXPECT_EQ(time(), "Time: 1:1");
  EXPECT_FALSE(log.scrub_moved);
  input->MoveTo(150, 390);
  input->Press();
  Frame(widgets);
  input->MoveTo(100 + 299, 390);
  Frame(widgets);
  input->Release();
  Frame(widgets);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(log.scrub_moved);
  EXPECT_EQ(log.scrub_position, 125 * 120);
  EXPECT_EQ(time(), "Time: 2:0");
  log.scrub_position = 60 * 125 - 1;  // a frame short of a minute
  Frame(widgets);
  EXPECT_EQ(time(), "Time: 0:59");

  Logger single;
  single.frame_count = 1;
  Frame([&] { single.DoScrubBar(gui, 100, 400, 300, 20); });
  EXPECT_EQ(single.scrub_position, 0);
}

// The knob stands at the bar's start on the first frame, at its end on the last, half-way
// between; the bar's scale is a million steps.
TEST_F(ScrubBar, TheKnobFollowsThePosition) {
  const struct { uint64_t frames; int position, knob; } cases[] = {
      {15001, 0, 0}, {15001, 7500, 500000}, {15001, 15000, 1000000}, {2, 1, 1000000}, {1, 0, 0}};
  gui.tracing = true;
  input->MoveTo(50, 390);
  for (const auto& c : cases) {
    Logger log;
    log.frame_count = c.frames;
    log.scrub_position = c.position;
    Frame([&] { log.DoScrubBar(gui, 100, 400, 300, 20); });
    ASSERT_FALSE(gui.trace.empty());
    EXPECT_EQ(gui.trace.front().value, c.knob) << c.frames << " " << c.position;
    EXPECT_EQ(log.scrub_position, c.position);
  }
}

}  // namespace
