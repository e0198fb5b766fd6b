// Stage 7 of the set-up wizard, for the camera stand: both foot markers on two drawn lines with
// their midpoint on a target, confirmed by hitting an in-air "Done" twice; and the marks it
// draws.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "airmenu/calib_drums.h"
#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "tracking/webcam.h"

namespace {

constexpr float kLineRow = 219.0f;    // camera row of the lines (drawn y 20)
constexpr float kLineTolerance = 5.0f;
constexpr float kCentreX = 160.0f;
constexpr float kCentreTolerance = 4.0f;
constexpr int kSecondHitFrames = 240;  // the second "Done" must follow within these frames
float on_target[3] = {0.043f, 0.741f, 0.113f};
float off_target[3] = {1.0f, 0.0f, 0.1f};

struct StandPage {
  bool next_button_hit = false;
  int frames_since_next_hit = 0;
  float left_icon_alpha = 0, right_icon_alpha = 0;
};
StandPage stand;

bool OnLine(const MocapMarker::Position& foot) { return std::fabs(foot.y - kLineRow) <= kLineTolerance; }

void TexturedQuadAt(const Image& image, float x, float y, float scale) {
  const float hw = image.width * scale * 0.5f, hh = image.height * scale * 0.5f;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(x - hw, y - hh);
  glTexCoord2f(0, 0);
  glVertex2f(x - hw, y + hh);
  glTexCoord2f(1, 0);
  glVertex2f(x + hw, y + hh);
  glTexCoord2f(1, 1);
  glVertex2f(x + hw, y - hh);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

// One foot's icon: fades out on its line, in off it, shown only for a foot in view.
void FootIcon(bool right, const MocapMarker::Position& foot, float& alpha, float bob) {
  if (OnLine(foot)) {
    alpha = std::max(0.0f, alpha - 0.05f);
    return;
  }
  alpha = std::min(1.0f, alpha + 0.05f);
  if (foot.radius == 0) return;
  const bool too_near = foot.y > kLineRow;
  const float drawn_y = too_near ? 10.75f + bob : 10.75f + (5.0f - bob);
  DrawFootIcon(right, too_near, Webcam::WebcamXToWindowX(right ? 234.0f : 86.0f), Webcam::WebcamYToWindowY(drawn_y),
               alpha);
}

void LinesAndTarget(int w, const MocapMarker::Position& right, const MocapMarker::Position& left) {
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(w / 240.0f);
  const struct {
    float x0, x1;
    bool on;
  } lines[] = {{108, 153, OnLine(left)}, {167, 212, OnLine(right)}};
  for (const auto& l : lines) {
    glColor3fv(l.on ? on_target : off_target);
    glBegin(GL_LINES);
    glVertex2f(Webcam::WebcamXToWindowX(l.x0), Webcam::WebcamYToWindowY(20));
    glVertex2f(Webcam::WebcamXToWindowX(l.x1), Webcam::WebcamYToWindowY(20));
    glEnd();
  }
  glLineWidth(1.0f);
  glDisable(GL_LINE_SMOOTH);
  const bool both = right.radius != 0 && left.radius != 0;
  const float mid = (right.x + left.x) * 0.5f;
  float* colour = both && std::fabs(mid - kCentreX) <= kCentreTolerance ? on_target : off_target;
  DrawCircle3fv(w, kCentreX, 20, 7, true, colour);
  if (both) DrawCircle3fv(w, mid, 20, 3, false, colour);
}

void StandMessages() {
  const struct {
    int line;
    TextId text;
  } lines[] = {{0, kTextN1StandFront}, {1, kTextStepBackwardsUntil}, {2, kTextLinesDotCentered},
               {4, kTextN2PlaceSeat},  {5, kTextRemainSameLocation}, {18, kTextHitDoneButton}};
  for (const auto& l : lines) ShowLine(l.line, GetUtf8(l.text));
  if (stand.next_button_hit && stand.frames_since_next_hit < 2)
    DistanceMenu::AddMessage(GetUtf8(kTextHitButtonAgain), 18, 3, 2000.0f, false, false);
}

// The "Done" button's height in camera pixels: its place in the kit's menu, raised where its
// rim would reach the bottom line, which tells to hit it.
float DoneY() {
  const float r = Webcam::WebcamWidthToWindowWidth(22.0f);
  const float lowest = 239.0f - (DistanceMenu::MessagePlate(18, "").top + r) / Webcam::WebcamHeightToWindowHeight(1.0f);
  return std::min(DistanceMenu::m_with_drums_y - 4.0f, lowest);
}

// A "Done" hit; true on the second within kSecondHitFrames of the first.
bool DoneHit() {
  Click();
  const bool second = stand.next_button_hit && stand.frames_since_next_hit < kSecondHitFrames;
  stand.next_button_hit = true;
  stand.frames_since_next_hit = 0;
  return second;
}

void FinishStand() {
  calibration.DeleteCurrentImage();
  drumkit.shown_drum = -1;
  drumkit.shown_marker_type = MOCAP_MARKER_HAND;
  if (!drumkit.is_calibrated) {
    OpenPlacing(true, false);
    return;
  }
  webcam.ChangeMode(1);
  calibration.LeaveWizard();
  OpenPlayPage(PlayEntry::kAfterWizard);
}

void StandPicture(int w, int h, DistanceMenu& menu, const Image& strip) {
  const bool picture = !DrawsSimplified(graphics_mode);
  if (DrawsPhase(kPhaseBackground)) {
    if (picture) webcam.Draw(1.0f);
    Calibration::DrawDeadPixels();
    if (picture) webcam.DrawVignette();
  }
  StandMessages();
  AddButton(menu, kDoneButton, kTextDone, 145.0f, DoneY());
  frame_calls.menu_seen(menu);
  if (DrawsPhase(kPhaseBackground)) menu.Render(true, kFramesPerSecond);
  if (full_screen) DrawStandStrip(0.53f * w, 0.5f * h, 1.0f, strip);
  else DrawStandStrip(0.555f * w, 0.45f * h, 0.8f, strip);
  MocapMarker::Position right, left;
  drummer.GetFeetPositions(right, left);
  const float bob = std::fabs(std::sin(2.0f * 3.14159265f * stand.frames_since_next_hit / kFramesPerSecond)) * 5.0f;
  FootIcon(false, left, stand.left_icon_alpha, bob);
  FootIcon(true, right, stand.right_icon_alpha, bob);
  LinesAndTarget(w, right, left);
}

}  // namespace

void DrawCircle3fv(int w, float x, float y, float r, bool outline, float* rgb) {
  const float cx = Webcam::WebcamXToWindowX(x), cy = Webcam::WebcamYToWindowY(y);
  const float rx = Webcam::WebcamWidthToWindowWidth(r), ry = Webcam::WebcamHeightToWindowHeight(r);
  glColor3fv(rgb);
  if (outline) glLineWidth(w * 0.004166667f);
  glBegin(outline ? GL_LINE_LOOP : GL_TRIANGLE_FAN);
  for (int i = 0; i < 32; ++i) {
    const float a = 2.0f * 3.14159265f * i / 32;
    glVertex2f(cx + rx * std::cos(a), cy + ry * std::sin(a));
  }
  glEnd();
  if (outline) glLineWidth(1.0f);
}

void DrawFootIcon(bool right, bool too_near, float x, float y, float alpha) {
  const Image& icon = right ? (too_near ? right_foot_too_near_icon : right_foot_too_far_icon)
                            : (too_near ? left_foot_too_near_icon : left_foot_too_far_icon);
  glEnable(GL_BLEND);
  glColor4f(1, 1, 1, alpha);
  TexturedQuadAt(icon, x, y, full_screen ? 0.39f : 0.26f);
  glDisable(GL_BLEND);
}

void DrawStandStrip(float x, float y, float scale, const Image& image) {
  glColor4f(1, 1, 1, 1);
  TexturedQuadAt(image, x, y, scale);
}

int Calibration::CalibStand() {
  if (EnteringStage()) {
    ReplaceStagePicture("stand-strip.png");
    stand.frames_since_next_hit = 0;
    stand.next_button_hit = false;
  }
  LoadStagePicture("stand-strip.png");
  const int w = WindowWidth(), h = WindowHeight();
  Webcam::Blob blobs[4];
  const int n = webcam.FindBlobs(blobs, 4);
  DistanceMenu::UpdateButtonActivation();
  const bool fresh = NewCameraFrame();
  if (fresh) drummer.Label(blobs, n);
  DistanceMenu menu;
  StandPicture(w, h, menu, current_image);
  MocapMarker::Position p, stroke;
  float speed = 0;
  Drummer::Limb limb = 0;
  bool finished = false;
  if (fresh && drummer.DetectHitToPlaceDrumOrMenu(menu, p, stroke, speed, limb) && menu.WasHit(kDoneButton))
    finished = DoneHit();
  DoFPS();
  const bool mouse = DrawsPhase(kPhaseSwap);
  if (mouse) {
    menu.Render(false, kFramesPerSecond);
    glEnable(GL_BLEND);
    drummer.RenderMocapMarkers(w, h, true);
    drummer.RenderMocapMarkerLabels(w, h, DistanceMenu::m_message_font);
    glDisable(GL_BLEND);
  }
  imgui.Begin(false);
  int id = 1;
  if (imgui.DoButton(id++, 3, 175, 104, 50, GetUtf8(kTextSkip))) finished = true;
  if (imgui.DoButton(id++, 3, 235, 104, 50, GetUtf8(kTextBack)) && !finished) {
    DeleteCurrentImage();
    ChangeStage(kCamera);
  }
  if (mouse) DoDrummingMouseButtons(id);
  imgui.End();
  if (finished) FinishStand();
  ++stand.frames_since_next_hit;
  return 0;
}
