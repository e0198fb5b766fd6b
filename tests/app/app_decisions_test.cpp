// The program frame's decisions: viewer state, frame function, song count-down, deferred
// start-up, first screen, graphics check, keys and the full-screen switch.
#include <gtest/gtest.h>

#include <vector>

#include "app/decisions.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"

using namespace frame_decisions;

namespace {

// A state before reconciling it with the viewer, what the frame knows, and the state after.
struct ViewerCase {
  int state;
  bool connected, on_this_device, show_drumming_ui, focused;
  int expected;
};

void ExpectViewerStates(const std::vector<ViewerCase>& cases) {
  for (const ViewerCase& c : cases)
    EXPECT_EQ(ReconcileViewerState(c.state, c.connected, c.on_this_device, c.show_drumming_ui, c.focused), c.expected)
        << c.state;
}

}  // namespace

TEST(ViewerState, ViewerOnAnotherDeviceTakesEveryInAirPageButKeepsMouseScreens) {
  // Ctrl-U clear: any in-air page, the wizard included, goes to the viewer page.
  for (int s : {18, 19, 28, 33, 35, 36}) EXPECT_EQ(ReconcileViewerState(s, true, false, false, true), 34) << s;
  for (int s : {0, 1, 9, 16, 17}) EXPECT_EQ(ReconcileViewerState(s, true, false, false, true), s) << s;
  // The languages screen is a mouse screen too: it stays.
  EXPECT_EQ(ReconcileViewerState(kLanguagesScreen, true, false, false, true), kLanguagesScreen);
  // Ctrl-U set: the drumming page comes back, other pages stay.
  ExpectViewerStates({{34, true, false, true, true, 18}, {20, true, false, true, true, 20}});
}

TEST(ViewerState, ViewerOnThisComputerFollowsTheFocus) {
  ExpectViewerStates({
      {18, true, true, false, false, 34},
      {34, true, true, false, true, 18},
      {34, true, true, false, false, 34},
      {18, true, true, false, true, 18},
      {5, true, true, false, false, 5},
  });
}

TEST(ViewerState, NoViewerLeavesTheViewerPage) {
  ExpectViewerStates({
      {34, false, false, false, true, 18},
      {20, false, false, false, true, 20},
      {0, false, false, false, true, 0},
  });
}

TEST(FrameFunction, ByGraphicsModeStateAndMutedDrums) {
  struct Inputs {
    int state, graphics_mode;
    bool drums_muted;
  };
  // Each frame function with the inputs that choose it.
  const struct {
    FrameFunction expected;
    std::vector<Inputs> inputs;
  } cases[] = {
      {FrameFunction::kWithClient, {{34, 4, false}}},
      {FrameFunction::kNormal, {{0, 0, false}}},
      {FrameFunction::kMarkersOnly, {{18, 1, false}}},
      {FrameFunction::kNo, {{18, 4, false}}},
      // Modes 1 and 4 outside the drumming page, or with the drums muted, draw slowly instead.
      {FrameFunction::kSlowLow,
       {{19, 1, false}, {0, 4, false}, {18, 1, true}, {18, 4, true}, {18, 2, false}, {18, 3, false}}},
      {FrameFunction::kNone, {{18, 5, false}, {0, 9, false}}},
  };
  for (const auto& c : cases)
    for (const Inputs& in : c.inputs)
      EXPECT_EQ(ChooseFrameFunction(in.state, in.graphics_mode, in.drums_muted), c.expected)
          << in.state << " " << in.graphics_mode << " " << in.drums_muted;
}

TEST(SongCountdown, ACountOfThreeStartsOnTheThirdFollowingCallAndEndsAtMinusOne) {
  int frames = 3;
  int started_on = 0;
  for (int call = 1; call <= 6; ++call) {
    SongStep step = SongCountdownStep(18, frames, false);
    if (step.start_song) {
      EXPECT_EQ(started_on, 0) << "started twice";
      started_on = call;
    }
    frames = step.frames_until_song_start;
  }
  // Call 1 is the one in which the page set the count: the song starts three calls later.
  EXPECT_EQ(started_on, 4);
  EXPECT_EQ(frames, -1);
}

TEST(SongCountdown, SchedulerRunsOutsideTheSongsPageWithAPlaylist) {
  EXPECT_TRUE(SongCountdownStep(18, -1, false).schedule);
  EXPECT_TRUE(SongCountdownStep(18, 0, false).schedule);
  EXPECT_FALSE(SongCountdownStep(28, -1, false).schedule);
  EXPECT_FALSE(SongCountdownStep(18, -1, true).schedule);
  EXPECT_FALSE(SongCountdownStep(18, 5, false).schedule);
  EXPECT_FALSE(SongCountdownStep(18, -1, false).start_song);
  // The program starts with no count-down running.
  EXPECT_FALSE(SongCountdownStep(18, frames_until_song_start, false).start_song);
}

TEST(DeferredStartup, RunsAtTheEndOfTheThirdCallAndRetriesUntilDone) {
  int frames = 2;
  bool done = false;
  std::vector<int> due;
  for (int call = 1; call <= 6; ++call) {
    if (DeferredStartupDue(done, frames)) {
      due.push_back(call);
      done = call == 4;  // the first run reports not done, the second done
    }
  }
  EXPECT_EQ(due, (std::vector<int>{3, 4}));
}

TEST(StartupScreen, HelpOnFirstRunOrWhenWanted) {
  EXPECT_EQ(StartupScreen(true, false), 9);
  EXPECT_EQ(StartupScreen(false, true), 9);
  EXPECT_EQ(StartupScreen(true, true), 9);
  EXPECT_EQ(StartupScreen(false, false), 0);
}

TEST(GraphicsCheck, OldDriversWithoutNpotAreWarnedAbout) {
  EXPECT_FALSE(GraphicsDriverTooOld("1.4 Mesa", "GL_ARB_texture_non_power_of_two GL_X"));
  EXPECT_FALSE(GraphicsDriverTooOld("1.5", "GL_OES_texture_npot"));
  EXPECT_TRUE(GraphicsDriverTooOld("1.4", "GL_ARB_multitexture"));
  EXPECT_TRUE(GraphicsDriverTooOld("garbage", "GL_ARB_multitexture"));  // counts as 0.0
  EXPECT_TRUE(GraphicsDriverTooOld(nullptr, ""));
  EXPECT_FALSE(GraphicsDriverTooOld("2.0", ""));
  EXPECT_FALSE(GraphicsDriverTooOld("4.5 (Compatibility Profile) Mesa 22.3.6", ""));
  EXPECT_FALSE(GraphicsDriverTooOld("1.1", nullptr));  // no extension string: no check
}

TEST(Keys, EscQuitsOnlyTheMainScreenAndLeavesFastModes) {
  EXPECT_EQ(EscapeAction(0, 0), EscAction::kQuit);
  EXPECT_EQ(EscapeAction(2, 0), EscAction::kNothing);
  EXPECT_EQ(EscapeAction(17, 4), EscAction::kNothing);
  EXPECT_EQ(EscapeAction(18, 0), EscAction::kNothing);
  EXPECT_EQ(EscapeAction(18, 2), EscAction::kNothing);
  EXPECT_EQ(EscapeAction(18, 1), EscAction::kBackToMainMenu);
  EXPECT_EQ(EscapeAction(25, 4), EscAction::kBackToMainMenu);
}

TEST(Keys, FiveCtrlGComeBackToNormalGraphics) {
  int mode = 0;
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) seen.push_back(mode = NextGraphicsMode(mode));
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 0}));
  EXPECT_EQ(NextGraphicsMode(7), 8);
}

TEST(FullScreen, ARequestOfTwoSwitchesOnTheSecondCall) {
  EXPECT_EQ(FullScreenToggleAction(0, true), ToggleAction::kNothing);
  EXPECT_EQ(FullScreenToggleAction(-3, true), ToggleAction::kNothing);
  EXPECT_EQ(FullScreenToggleAction(2, true), ToggleAction::kCountDown);
  EXPECT_EQ(FullScreenToggleAction(1, true), ToggleAction::kEnterFullScreen);
  EXPECT_EQ(FullScreenToggleAction(1, false), ToggleAction::kLeaveFullScreen);
}

TEST(WindowTitle, NameAndVersion) { EXPECT_EQ(WindowTitle("Skytapper", "1.1.2"), "Skytapper v1.1.2"); }
