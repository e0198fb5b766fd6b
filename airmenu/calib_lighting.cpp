// Stages 4 and 5 of the set-up wizard: the lighting check. With the markers out of view,
// pixels bright enough to pass for a marker go into the camera's dead-pixel mask, show in red
// and are ringed; the page passes, asks for less light, or lets the user keep the mask.
#include "airmenu/calib_lighting.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "airmenu/calib_drums.h"
#include "airmenu/calib_seat.h"
#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/dead_pixels.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "tracking/webcam.h"

namespace {

constexpr int kFirstAnalysedFrame = 126;  // the camera settles for 125 frames first
constexpr int kAccumulateFrom = 500;      // compensation: the mask accumulates from here
constexpr int kCompensationEnd = 950;
constexpr int kMaxAreas = 1000;
constexpr int kClutterCrowns = 4;
constexpr int kMessageChangeFrames = 250;
constexpr int kGoodFrames = 60;
constexpr int kRussian = 8;
constexpr int kMostCrowns = 8;
constexpr int kCrownRenewFrames = 50;

// The check of one entry, reset at each.
struct LightCheck {
  bool skip_stand_page = false;  // a pass goes on without the camera-stand page
  int frame = 0;                 // frames since entry, or since compensation started
  bool skip_security = false;
  int ok_frames = 0;
  int frames_since_message_change = 0;
  bool too_many_dead = false;
  bool too_much_clutter = false;
  bool compensate_start = false;
  bool compensate = false;
  bool text_on = true;
};
LightCheck check;

// What the check found, kept across entries for the seat page.
struct FoundAreas {
  int count = 0;
  Webcam::Blob areas[kMostCrowns];
  std::vector<Webcam::Blob> rings;  // the crowns on screen
};
FoundAreas found;

void Line(int line, TextId text) { ShowLine(line, GetUtf8(text)); }

void BrightObjectLines() {
  Line(7, kTextThereBrightObjects);
  Line(8, kTextMoveThemCover);
  Line(10, kTextClickBackGetBetter);
  ShowLine(11, "");
  ShowLine(12, "");
  ShowLine(14, "");
}

void TooBrightLines() {
  Line(7, kTextPartRoomToo);
  Line(8, kTextDimLightsDraw);
  Line(10, kTextCannotDoEither);
  Line(11, kTextDarkerPartRoom);
  Line(12, kTextWeSorryAbout);
}

void ClutterLines() {
  Line(10, kTextThereManyBright);
  Line(11, kTextInsteadMovingThem);
  Line(12, kTextConsiderMovingSeat);
  Line(14, kTextClickBackGet);
}

void UpdateClutter(int crowns) {
  if (check.frames_since_message_change <= kMessageChangeFrames) return;
  if (crowns >= kClutterCrowns && !check.too_much_clutter) {
    check.too_much_clutter = true;
    check.frames_since_message_change = 0;
  } else if (crowns < kClutterCrowns && check.too_much_clutter) {
    check.too_much_clutter = false;
    check.frames_since_message_change = 0;
  }
}

void Ring(float cx, float cy, float rx, float ry, int segments, GLenum mode) {
  glBegin(mode);
  if (mode == GL_TRIANGLE_FAN) glVertex2f(cx, cy);
  for (int i = 0; i <= segments; ++i) {
    const float a = 2.0f * 3.14159265f * i / segments;
    glVertex2f(cx + rx * std::cos(a), cy + ry * std::sin(a));
  }
  glEnd();
}

// One crown: a yellow band between the disc's edge and 8 window pixels beyond it.
void DrawCrown(const Webcam::Blob& b, float alpha) {
  const float cx = Webcam::WebcamXToWindowX(b.x), cy = Webcam::WebcamYToWindowY(239 - b.y);
  const float rx = Webcam::WebcamWidthToWindowWidth(2 * b.radius);
  const float ry = Webcam::WebcamHeightToWindowHeight(2 * b.radius);
  glEnable(GL_STENCIL_TEST);
  glClear(GL_STENCIL_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  Ring(cx, cy, rx, ry, 32, GL_TRIANGLE_FAN);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilFunc(GL_NOTEQUAL, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor4f(1, 1, 0, alpha);
  Ring(cx, cy, rx + 8, ry + 8, 32, GL_TRIANGLE_FAN);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_LINE_SMOOTH);
  Ring(cx, cy, rx, ry, 64, GL_LINE_STRIP);
  Ring(cx, cy, rx + 8, ry + 8, 64, GL_LINE_STRIP);
  glDisable(GL_LINE_SMOOTH);
}

}  // namespace

void Calibration::ResetDeadPixels() {
  static const std::vector<unsigned char> clear(Webcam::kWidth * Webcam::kHeight, 0);
  if (m_have_dead_pixels_image) m_dead_pixels_image.UpdateData(clear.data());
  webcam.ResetDeadPixels();
}

void Calibration::UploadDeadPixels() {
  static std::vector<unsigned char> overlay(Webcam::kWidth * Webcam::kHeight);
  if (!webcam.GetDeadPixelMask()) return;
  dead_pixels::BuildOverlay(webcam.GetDeadPixelMask(), overlay.data());
  if (m_have_dead_pixels_image) m_dead_pixels_image.UpdateData(overlay.data());
}

int Calibration::ComputeDeadPixelsMax() {
  if (!webcam.GetQVGAFrame() || !webcam.GetDeadPixelMask()) return 0;
  const int count = dead_pixels::MarkBright(webcam.GetQVGAFrame(), webcam.GetThreshold(), webcam.GetQVGASpans(),
                                            webcam.GetDeadPixelMask());
  UploadDeadPixels();
  return count;
}

void Calibration::DilateDeadPixels() {
  if (!webcam.GetDeadPixelMask()) return;
  dead_pixels::Dilate(webcam.GetDeadPixelMask());
  UploadDeadPixels();
}

namespace {

void Enter() {
  webcam.ChangeMode(1);
  webcam.ResetDeadPixels();
  check = LightCheck();
  check.skip_stand_page = state_param != 0;
}

void Passed() {
  if (drummer.Use_Camera_Stand && !check.skip_stand_page) {
    calibration.ChangeStage(Calibration::kStand);
  } else if (!drumkit.is_calibrated) {
    OpenPlacing(true, true);
  } else {
    webcam.ChangeMode(1);
    calibration.LeaveWizard();
    OpenPlayPage(PlayEntry::kAfterWizard);
  }
}

// Bright areas of this frame: too bright, ringed, or none. True when the page stays undecided.
bool Analyse(int count) {
  check.too_many_dead = dead_pixels::TooBright(check.too_many_dead, count);
  if (!check.too_many_dead) {
    Webcam::Blob areas[kMaxAreas];
    const int n = dead_pixels::FindBlobs(webcam.GetDeadPixelMask(), areas, kMaxAreas);
    if (n < 0) {
      check.too_many_dead = true;
    } else if (n == 0) {
      check.too_much_clutter = false;
    } else {
      dead_pixels::EnlargeSmallBlobs(areas, n, webcam.GetDeadPixelMask());
      static Webcam::Blob merged[kMaxAreas];
      const int m = dead_pixels::MergeBlobs(areas, n, merged);
      found.count = std::min(m, kMostCrowns);
      std::copy(merged, merged + found.count, found.areas);
      DrawFoundCrowns(check.frame);
      UpdateClutter(found.count);
      BrightObjectLines();
      check.ok_frames = 0;
    }
  }
  if (check.too_many_dead) {
    TooBrightLines();
    check.ok_frames = 0;
  } else if (check.too_much_clutter) {
    ClutterLines();
    check.ok_frames = 0;
  }
  return check.ok_frames <= kGoodFrames;
}

// The good lighting; false when the page has left.
bool Good(int& id, int w, int h) {
  if (calibration.GetStage() == Calibration::kLighting) {
    Calibration::were_lights_checked = true;
    Passed();
    return false;
  }
  DistanceMenu::ClearMessages();
  Line(4, kTextLightingConditionsGood);
  if (imgui.DoButton(id++, int(0.25 * w - 120), int(0.16 * h), 104, 50, GetUtf8(kTextOk))) {
    OpenSeat(SeatEntry::kLightingFoundGood);
    return false;
  }
  return true;
}

// Skip, compensate and back of the undecided page; false when the page has left.
bool Buttons(int& id, int w, int h, bool& fired) {
  const int r = language == kRussian ? 40 : 0;
  const int x = int(0.25 * w), y = int(0.16 * h);
  if (check.skip_security) {
    DistanceMenu::ClearMessages();
    Line(16, kTextSureRedObjects);
    if (imgui.DoButton(id++, x + 156 + r, y, 180, 50, GetUtf8(kTextNoGoBack)))
      check.skip_security = false, fired = true;
  } else {
    Line(14, kTextSkytapperCompensateBright);
    Line(15, kTextButtonBelowUnable);
    Line(16, kTextResultResumeSetup);
    if (imgui.DoButton(id++, x + 120 + r, y, 420, 50, GetUtf8(kTextCompensateBrightObjects)))
      check.compensate_start = true, fired = true;
    if (imgui.DoButton(id++, x - 120, y, 104, 50, GetUtf8(kTextBack))) {
      OpenSeat(SeatEntry::kBackFromLighting);
      return false;
    }
  }
  if (!check.skip_security) {
    if (imgui.DoButton(id++, x, y, 104 + r, 50, GetUtf8(kTextSkip))) check.skip_security = true, fired = true;
  } else if (imgui.DoButton(id++, x, y, 140 + r, 50, GetUtf8(kTextYesSkip))) {
    Calibration::were_lights_checked = true;
    calibration.ResetDeadPixels();
    Passed();
    return false;
  }
  return true;
}

// The compensation's count-down; false when the page has left.
bool Compensating(int& id, int w, int h, bool& fired) {
  if (check.frame > kCompensationEnd) {
    Calibration::were_lights_checked = true;
    Passed();
    calibration.DilateDeadPixels();
    return false;
  }
  char line[256];
  if (check.frame < kAccumulateFrom) {
    snprintf(line, sizeof(line), GetUtf8(kTextSecondsLeftMove), (kAccumulateFrom - check.frame) / kFramesPerSecond + 1);
    DistanceMenu::AddMessage(line, 15, 3, 0.0f, true, false);
    DistanceMenu::AddMessage(GetUtf8(kTextFootPiecesOut), 16, 3, 0.0f, true, false);
    return true;
  }
  const int seconds = (kCompensationEnd - check.frame) / kFramesPerSecond + 1;
  snprintf(line, sizeof(line), GetUtf8(kTextFinishingSecondsPress), seconds);
  DistanceMenu::AddMessage(line, 15, 3, 0.0f, true, false);
  DistanceMenu::AddMessage(GetUtf8(kTextBelowGetMore), 16, 3, 0.0f, true, false);
  snprintf(line, sizeof(line), GetUtf8(kTextN10MoreSeconds), seconds);
  if (imgui.DoButton(id++, int(0.5 * w - 150), int(0.16 * h), 300, 50, line)) {
    // The counter goes back below the first analysed frame: the accumulation starts over, so
    // its mask goes now rather than when the analysis resumes.
    check.frame -= 1250;
    calibration.ResetDeadPixels();
    fired = true;
  }
  return true;
}

// Hide the markers, then Next starts the compensation with an empty mask.
void CompensationStart(int& id, int w, int h, bool& fired) {
  ShowLine(2, "");
  Line(3, kTextMakeSureFoot);
  Line(4, kTextOutViewCamera);
  Line(6, kTextRedPixelsIndicate);
  Line(7, kTextNotAbleToDrum);
  if (!imgui.DoButton(id++, int(0.5 * w - 52), int(0.53 * h), 104, 50, GetUtf8(kTextNext))) return;
  check.compensate_start = false;
  check.compensate = true;
  calibration.ResetDeadPixels();
  check.frame = 0;
  fired = true;
}

// The page's messages and buttons; false when the page has left.
bool Decisions(int& id, int w, int h, int count, bool& fired) {
  if (!check.compensate) {
    Line(1, kTextCheckingLightConditions);
    if (!check.compensate_start) Line(2, kTextKnowLightingFine);
  }
  if (check.compensate_start) {
    CompensationStart(id, w, h, fired);
    return true;
  }
  if (check.compensate) return Compensating(id, w, h, fired);
  if (check.frame < kFirstAnalysedFrame) return true;
  if (!Analyse(count)) return Good(id, w, h);
  return Buttons(id, w, h, fired);
}

}  // namespace

int CrownCount() { return found.count; }
void ForgetCrowns() { found.count = 0; }

void DrawFoundCrowns(int page_frame) {
  if (page_frame % kCrownRenewFrames == 0) found.rings.assign(found.areas, found.areas + found.count);
  const float pi = 3.14159265f;
  const float alpha = 0.5f + 0.5f * std::sin(pi * std::sin(pi * page_frame / 50.0f) + 1.5f * pi);
  glEnable(GL_BLEND);
  for (const Webcam::Blob& b : found.rings) DrawCrown(b, alpha);
  glDisable(GL_BLEND);
}

// state_param: 1 when the camera-stand page is skipped after the check.
void OpenWizard(bool skip_stand_page) { ChangeInterfaceState(kWizard, skip_stand_page ? 1 : 0, 0, 0); }

void OpenLighting(Calibration::Stage lighting_stage) {
  state_param = 0;
  calibration.ChangeStage(lighting_stage);
}

int Calibration::CalibCheckLighting() {
  if (EnteringStage()) Enter();
  const int w = WindowWidth(), h = WindowHeight();
  found.count = 0;
  webcam.Draw(1.0f);
  int count = 0;
  if (check.frame >= kFirstAnalysedFrame) {
    if (!(check.compensate && check.frame >= kAccumulateFrom)) ResetDeadPixels();
    count = ComputeDeadPixelsMax();
    DrawDeadPixels();
  }
  webcam.DrawVignette();
  imgui.Begin(false);
  int id = 1;
  bool fired = false;
  DistanceMenu menu;
  if (Decisions(id, w, h, count, fired)) {
    if (imgui.DoButtonIconOnly(id++, w - 53, 55, 50, 50, check.text_on ? UI_ICON_T_CROSSED : UI_ICON_T)) {
      check.text_on = !check.text_on;
      fired = true;
    }
    if (fired || !check.text_on) DistanceMenu::ClearMessages();
  }
  menu.Render(false, kFramesPerSecond);
  DoDrummingMouseButtons(id);
  imgui.End();
  ++check.frame;
  ++check.frames_since_message_change;
  ++check.ok_frames;
  return 0;
}
