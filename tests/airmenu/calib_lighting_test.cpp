// The lighting check driven through the camera: where a clean picture leads, a bright spot
// masked and ringed, a room too bright, many bright places, and the compensation; the pages
// with bright places also as their kept pictures.
#include <gtest/gtest.h>
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/webcam_window.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/kept_pictures.h"

using skyt_test::GlContext;
using skyt_test::InAirKit;
using skyt_test::Scene;

namespace {

int Masked() {
  int n = 0;
  for (int i = 0; i < Webcam::kWidth * Webcam::kHeight; ++i) n += webcam.GetDeadPixelMask()[i];
  return n;
}

// Pixels the red overlay of bright places shows (its texture read back; rows of 320 bytes
// need no pack alignment).
int Overlaid() {
  std::vector<unsigned char> alpha(Webcam::kWidth * Webcam::kHeight);
  glBindTexture(GL_TEXTURE_2D, Calibration::m_dead_pixels_image.texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return int(std::count_if(alpha.begin(), alpha.end(), [](unsigned char a) { return a != 0; }));
}

bool IsYellow(const std::array<int, 4>& p) { return p[0] > 160 && p[1] > 160 && p[2] < 96; }

// The crowns' yellow band, where the window shows it.
int Yellow(const GlContext& gl) {
  int n = 0;
  for (int y = 0; y < gl.height(); y += 2)
    for (int x = 0; x < gl.width(); x += 2) n += IsYellow(gl.Pixel(x, y));
  return n;
}

class LightingTest : public ::testing::Test {
 protected:
  // The way into the in-air states takes a few frames before the pages draw.
  void SetUp() override { kit_.Enter(kPlay); }
  void Enter(Calibration::Stage stage, int param, bool placed, bool stand) {
    drumkit.is_calibrated = placed;
    drummer.Use_Camera_Stand = stand;
    calibration.ChangeStage(stage);
    ChangeInterfaceState(kWizard, param, 0, 0);
  }
  // Frames of the scene while the wizard stays on the lighting check; how many ran.
  int RunWhileChecking(const Scene& scene, int most) {
    for (int i = 0; i < most; ++i) {
      if (Left()) return i;
      kit_.Frame(scene);
    }
    return most;
  }
  bool Left() const {
    const int s = calibration.GetStage();
    return interface_state != kWizard || (s != Calibration::kLighting && s != Calibration::kLightingFromSeat);
  }

  // Past the first analysis with the spot, "Compensate", then "Next" with the spot still there.
  void StartCompensation(const Scene& spot) {
    Enter(Calibration::kLighting, 0, true, false);
    RunWhileChecking(spot, 130);
    const int w = WindowWidth(), h = WindowHeight();
    kit_.Click(int(0.25 * w) + 120 + 200, int(0.16 * h) - 25, spot);
    kit_.Click(int(0.5 * w) - 52 + 50, int(0.53 * h) - 25, spot);
  }

  InAirKit kit_{"calib_lighting"};
  const Scene dark_{};
};

TEST_F(LightingTest, ACleanPictureLeadsOnAtFrame126) {
  const struct {
    bool placed, stand;
    int param;
    int state, stage, param2;
  } cases[] = {
      {true, false, 0, kPlay, Calibration::kIdle, 0},
      {false, false, 0, kWizard, Calibration::kPlaceDrums, 1},
      {true, true, 0, kWizard, Calibration::kStand, 0},
      {true, true, 1, kPlay, Calibration::kIdle, 0},  // the stand page only for the wizard's own check
  };
  for (const auto& c : cases) {
    Enter(Calibration::kLighting, c.param, c.placed, c.stand);
    EXPECT_EQ(RunWhileChecking(dark_, 400), 127);
    EXPECT_EQ(interface_state, c.state);
    EXPECT_EQ(calibration.GetStage(), c.stage);
    EXPECT_EQ(state_param2, c.param2);
    EXPECT_TRUE(Calibration::were_lights_checked);
  }
}

TEST_F(LightingTest, ABrightSpotIsMaskedAndRingedUntilItGoes) {
  Enter(Calibration::kLighting, 0, true, false);
  const Scene spot{{100, 100, 0.5f}};
  EXPECT_EQ(RunWhileChecking(spot, 200), 200);
  EXPECT_EQ(Masked(), 9);
  EXPECT_EQ(calibration.GetCrownCount(), 1);
  EXPECT_EQ(kit_.Line(7), GetUtf8(493));
  EXPECT_EQ(Yellow(kit_.gl()), 0);  // the crown pulses: faded out now,
  RunWhileChecking(spot, 25);        // at its brightest now
  EXPECT_GT(Yellow(kit_.gl()), 20);
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(kit_.gl(), "lighting/bright-spot"), "");
  // A band around the spot: the spot itself shows through.
  EXPECT_FALSE(IsYellow(kit_.gl().Pixel(int(WebcamWindowMapping::WebcamXToWindowX(100)),
                                        int(WebcamWindowMapping::WebcamYToWindowY(239 - 100)))));
  EXPECT_EQ(RunWhileChecking(dark_, 200), 61);  // passes on the 61st clean frame
  EXPECT_EQ(interface_state, kPlay);
}

TEST_F(LightingTest, ARoomTooBrightAsksForLessLight) {
  Enter(Calibration::kLightingFromSeat, 0, true, false);
  const Scene lamp{{160, 120, 90}};
  EXPECT_EQ(RunWhileChecking(lamp, 200), 200);
  EXPECT_GE(Masked(), 16321);
  EXPECT_EQ(kit_.Line(7), GetUtf8(496));
  const struct {
    int line;
    TextId text;
  } advice[] = {{8, kTextDimLightsDraw}, {10, kTextCannotDoEither}, {11, kTextDarkerPartRoom}, {12, kTextWeSorryAbout}};
  for (const auto& a : advice) EXPECT_EQ(kit_.Line(a.line), GetUtf8(a.text)) << a.line;
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(kit_.gl(), "lighting/too-bright"), "");
}

// A thousand bright places are still ringed one by one (each widened to 3 x 3 pixels); one
// more counts as a room too bright.
TEST_F(LightingTest, AThousandBrightPlacesAreRingedOneMoreIsTooBright) {
  const struct { int places, masked, line; } cases[] = {{1000, 9000, 493}, {1001, 1001, 496}};
  for (const auto& c : cases) {
    Scene specks;  // inside the lens's bright middle, 5 pixels apart
    for (int i = 0; i < c.places; ++i) specks.push_back({float(62 + 5 * (i % 40)), float(42 + 6 * (i / 40)), 0.5f});
    Enter(Calibration::kLighting, 0, true, false);
    RunWhileChecking(specks, 130);
    EXPECT_EQ(Masked(), c.masked) << c.places;
    EXPECT_EQ(kit_.Line(7), GetUtf8(TextId(c.line))) << c.places;
  }
}

// Four bright places at once: in time, the advice to move the seat rather than each lamp.
TEST_F(LightingTest, ManyBrightSpotsAskToMoveTheSeat) {
  Enter(Calibration::kLighting, 0, true, false);
  const Scene spots{{60, 60, 0.5f}, {260, 60, 0.5f}, {60, 180, 0.5f}, {260, 180, 0.5f}};
  EXPECT_EQ(RunWhileChecking(spots, 300), 300);  // the advice changes after 250 frames
  EXPECT_EQ(calibration.GetCrownCount(), 4);
  EXPECT_EQ(kit_.Line(10), GetUtf8(kTextThereManyBright));
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(kit_.gl(), "lighting/many-spots"), "");
  // With two spots left the advice holds for its 250 frames, then goes.
  const Scene two{{60, 60, 0.5f}, {260, 60, 0.5f}};
  RunWhileChecking(two, 150);
  EXPECT_EQ(kit_.Line(10), GetUtf8(kTextThereManyBright));
  RunWhileChecking(two, 100);
  EXPECT_NE(kit_.Line(10), GetUtf8(kTextThereManyBright));
  calibration.Start(false);
  EXPECT_EQ(calibration.GetCrownCount(), 0) << "a new wizard forgets the places found";
}

TEST_F(LightingTest, CompensationKeepsTheMaskDilatedAndMoreTimeClearsIt) {
  const Scene spot{{100, 100, 0.5f}};
  StartCompensation(spot);
  EXPECT_EQ(RunWhileChecking(spot, 1000), 951);  // leaves when the counter passes 950
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_EQ(Masked(), 25);  // the spot, widened by 2 pixels, stays masked
  StartCompensation(spot);
  RunWhileChecking(spot, 499);
  EXPECT_EQ(kit_.Line(16), GetUtf8(489));  // the count-down's last frame
  RunWhileChecking(spot, 1);
  EXPECT_EQ(kit_.Line(16), GetUtf8(491));  // accumulating from frame 500
  RunWhileChecking(spot, 100);
  RunWhileChecking(dark_, 5);
  EXPECT_EQ(Masked(), 1);  // accumulated past frame 500
  const int w = WindowWidth(), h = WindowHeight();
  kit_.Click(int(0.5 * w) - 150 + 150, int(0.16 * h) - 25, dark_);  // "10 more seconds"
  kit_.Frame(dark_);
  EXPECT_EQ(Masked(), 0);
  EXPECT_EQ(kit_.Line(16), GetUtf8(489));  // the count-down again
}

// Skip asks first: "No, go back" returns to the three choices; "Yes, skip" passes the check
// with the mask of the bright places dropped.
TEST_F(LightingTest, SkipAsksBeforeDroppingTheBrightPlaces) {
  const Scene spot{{100, 100, 0.5f}};
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    Calibration::were_lights_checked = false;
    Enter(Calibration::kLighting, 0, true, false);
    RunWhileChecking(spot, 130);
    const int x = int(0.25 * WindowWidth()), y = int(0.16 * WindowHeight()) - 25;
    kit_.Click(x + 52, y, spot);  // Skip
    kit_.Frame(spot);
    EXPECT_EQ(kit_.Line(16), GetUtf8(kTextSureRedObjects));
    kit_.Click(yes ? x + 70 : x + 156 + 90, y, spot);
    kit_.Frame(spot);
    EXPECT_EQ(Left(), yes);
    EXPECT_EQ(Calibration::were_lights_checked, yes);
    if (yes) {
      EXPECT_EQ(Masked(), 0);
      EXPECT_EQ(interface_state, kPlay);
    } else {
      EXPECT_EQ(kit_.Line(14), GetUtf8(kTextSkytapperCompensateBright));
    }
  }
}

// The "T" icon (top right) hides the page's lines and brings them back, on each step of the
// lighting check and on the seat page before it.
TEST_F(LightingTest, TheTextIconHidesAndShowsTheLinesOnEveryStep) {
  const Scene spot{{100, 100, 0.5f}};
  const int none = -1;
  const struct {
    const char* step;
    Calibration::Stage stage;
    int presses;  // 0: still counting down, 1: undecided, 2: Compensate pressed, 3: then Next
    bool first_run;
    std::vector<std::pair<int, int>> lines;  // none: the line is empty
  } cases[] = {
      {"counting down", Calibration::kLighting, 0, false, {{1, kTextCheckingLightConditions}, {2, kTextKnowLightingFine}}},
      {"undecided", Calibration::kLighting, 1, false, {{2, kTextKnowLightingFine}, {14, kTextSkytapperCompensateBright}}},
      {"compensation start", Calibration::kLighting, 2, false, {{3, kTextMakeSureFoot}, {7, kTextNotAbleToDrum}}},
      {"compensating", Calibration::kLighting, 3, false, {{2, none}, {16, kTextFootPiecesOut}}},
      {"seat, first run", Calibration::kSeat, 0, true,
       {{0, kTextTurnCameraSideways}, {1, kTextSitDrawnDrummer}, {2, kTextThenGoSit}}},
      {"seat", Calibration::kSeat, 0, false, {{0, kTextTurnCameraSideways}, {1, kTextSitDrawnDrummer}, {2, none}}},
  };
  const bool never_ran = drummer.Never_Ran;
  const int w = WindowWidth(), h = WindowHeight();
  const auto lines_shown = [&](const std::vector<std::pair<int, int>>& lines, bool shown) {
    for (const auto& [line, text] : lines)
      EXPECT_EQ(kit_.Line(line), shown && text != none ? GetUtf8(TextId(text)) : "") << line;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    drummer.Never_Ran = c.first_run;
    calibration.Start(false);
    Enter(c.stage, 0, true, false);
    RunWhileChecking(spot, c.presses == 0 ? 10 : 130);
    if (c.presses >= 2) kit_.Click(int(0.25 * w) + 120 + 200, int(0.16 * h) - 25, spot);  // Compensate
    if (c.presses >= 3) kit_.Click(int(0.5 * w) - 52 + 50, int(0.53 * h) - 25, spot);      // Next
    kit_.Frame(spot);
    lines_shown(c.lines, true);
    for (bool shown : {false, true}) {
      kit_.Click(w - 28, 30, spot);
      kit_.Frame(spot);
      lines_shown(c.lines, shown);
    }
  }
  drummer.Never_Ran = never_ran;
}

// Coming from the seat page, good lighting waits for OK, which goes back to the seat page.
TEST_F(LightingTest, GoodLightingFromTheSeatWaitsForOk) {
  Enter(Calibration::kLightingFromSeat, 0, true, false);
  EXPECT_EQ(RunWhileChecking(dark_, 200), 200);
  EXPECT_EQ(kit_.Line(4), GetUtf8(kTextLightingConditionsGood));
  kit_.Click(int(0.25 * WindowWidth()) - 120 + 52, int(0.16 * WindowHeight()) - 25, dark_);
  EXPECT_EQ(calibration.GetStage(), Calibration::kSeat);
}

// Back on the lighting check leads to the seat page, which in a dim room still warns of a
// bright place and keeps the red of the places found: the check was left, not passed.
TEST_F(LightingTest, BackLeadsToTheSeatPageStillWarning) {
  Enter(Calibration::kLighting, 0, true, false);
  const Scene spot{{100, 100, 0.5f}};
  RunWhileChecking(spot, 130);
  kit_.Click(int(0.25 * WindowWidth()) - 120 + 52, int(0.16 * WindowHeight()) - 25, spot);
  ASSERT_EQ(calibration.GetStage(), Calibration::kSeat);
  fake_usb::SetSensorRegister(0x00, 20);
  for (int i = 0; i < 70; ++i) kit_.Frame(dark_);
  EXPECT_EQ(kit_.Line(9), GetUtf8(26));
  EXPECT_GT(Overlaid(), 0);  // a fresh entry would clear the red of the spot
  // In a room no longer dim, the places found alone still offer the check again.
  fake_usb::SetSensorRegister(0x00, 40);
  kit_.Frame(dark_);
  kit_.Click(int(0.25 * WindowWidth()) - 120 + 110, int(0.48 * WindowHeight()) - 25, dark_);
  EXPECT_EQ(calibration.GetStage(), Calibration::kLightingFromSeat);
}

}  // namespace
