// The set-up wizard object and its stage machine; each stage's page is in its own file
// (calib_camera, calib_seat, calib_lighting, calib_drums, calib_stand).
#include "airmenu/calibration.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "airmenu/calib_drums.h"
#include "airmenu/calib_lighting.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/host_clock.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/texts.h"

Calibration calibration;
Image Calibration::m_dead_pixels_image;
bool Calibration::m_have_dead_pixels_image = false;
int Calibration::m_fps_frame = 1;
bool Calibration::were_lights_checked = false;

Calibration::~Calibration() { CleanUp(); }

void Calibration::Init(Drummer& drummer, Webcam& webcam, Imgui& imgui, const IniFile&) {
  m_drummer = &drummer;
  m_webcam = &webcam;
  m_imgui = &imgui;
  const std::vector<unsigned char> clear(Webcam::kWidth * Webcam::kHeight, 0);
  m_dead_pixels_image.Init(Image::ALPHA, Webcam::kWidth, Webcam::kHeight, clear.data());
  m_have_dead_pixels_image = true;
}

void Calibration::CleanUp() {
  DeleteCurrentImage();
  if (m_have_dead_pixels_image) m_dead_pixels_image.CleanUp();
  m_have_dead_pixels_image = false;
}

void Calibration::Start(bool play) {
  if (m_drummer) first_run = m_drummer->Never_Ran;
  if (play && have_drummed_this_session) {
    SetPlacingParameters(true, true);  // the old positions, after the ready screen
    stage = kPlaceDrums;
  } else {
    stage = first_run ? kWhereToDrum : kSeat;
  }
  stage_is_new = true;
  DistanceMenu::ClearMessages();
  DeleteCurrentImage();
  ForgetCrowns();
}

void Calibration::ChangeStage(Stage next) {
  const bool keeps_picture = stage == kWhereToDrum || stage == kCamera || stage == kSeat || stage == kStand;
  if (!keeps_picture) DeleteCurrentImage();
  stage = next;
  stage_is_new = true;
  DistanceMenu::ClearMessages();
}

void Calibration::Finish() {
  if (m_webcam) m_webcam->ChangeMode(1);
  stage = kIdle;
  stage_is_new = true;
  DistanceMenu::ClearMessages();
}

bool Calibration::EnteringStage() {
  const bool entering = stage_is_new;
  stage_is_new = false;
  return entering;
}

void Calibration::LeaveWizard() {
  stage = kIdle;
  stage_is_new = true;
  DistanceMenu::ClearMessages();
  DeleteCurrentImage();
}

void Calibration::LeaveToMainScreen() {
  webcam.ChangeMode(1);
  LeaveWizard();
  ChangeInterfaceState(kMainScreen, 0, 0, 0);
}

int Calibration::GetCrownCount() const { return CrownCount(); }

int Calibration::Display() {
  if (stage == kIdle) return 0;
  EnteringPage();  // nothing to set up on entry
  switch (stage) {
    case kWhereToDrum: CalibWhereToDrum(); break;
    case kCamera: CalibCamera(); break;
    case kSeat: CalibCameraSeatPlacement(); break;
    case kStand: CalibStand(); break;
    case kLighting:
    case kLightingFromSeat: CalibCheckLighting(); break;
    case kPlaceDrums: CalibDrums(); break;
    default: break;  // values past 7 draw nothing
  }
  return 1;
}

bool Calibration::LoadCurrentImage(const char* path) {
  if (!current_image.Init(path)) return false;
  image_loaded = true;
  return true;
}

void Calibration::DeleteCurrentImage() {
  current_image.CleanUp();
  image_loaded = false;
}

void Calibration::LoadStagePicture(const std::string& name) {
  if (image_loaded) return;
  const uint64_t now = HostTimeNanos();
  if (picture_failed_at != 0 && now - picture_failed_at < kPictureRetryNanos) return;
  picture_failed_at = 0;
  if (!LoadCurrentImage(MakePath(kPathImages, GetImageFileName(name)).c_str())) picture_failed_at = now ? now : 1;
}

void Calibration::ReplaceStagePicture(const std::string& name) {
  DeleteCurrentImage();
  picture_failed_at = 0;
  LoadStagePicture(name);
}

namespace {

// One textured quad, texture corners (0,1), (0,0), (1,0), (1,1) on the four points.
void TexturedQuad(unsigned int texture, const float (&x)[4], const float (&y)[4]) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUADS);
  const float s[4] = {0, 0, 1, 1}, t[4] = {1, 0, 0, 1};
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(s[i], t[i]);
    glVertex2f(x[i], y[i]);
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

void OverCamera(unsigned int texture) {
  const float x0 = Webcam::WebcamXToWindowX(0), x1 = Webcam::WebcamXToWindowX(319);
  const float y0 = Webcam::WebcamYToWindowY(0), y1 = Webcam::WebcamYToWindowY(239);
  TexturedQuad(texture, {x0, x0, x1, x1}, {y0, y1, y1, y0});
}

}  // namespace

void Calibration::DrawCurrentImage(ImageDimensions dimensions) {
  glColor4f(1, 1, 1, 1);
  const float W = WindowWidth(), H = WindowHeight();
  if (dimensions == kOverCamera) return OverCamera(current_image.texture);
  if (dimensions == kOverWindow) return TexturedQuad(current_image.texture, {0, 0, W, W}, {0, H, H, 0});
  const float w = current_image.width, h = current_image.height;
  const float dx = std::floor(std::max(0.0f, (W - w) * 0.5f)), dy = std::floor(std::max(0.0f, (H - h) * 0.75f));
  TexturedQuad(current_image.texture, {dx, dx, dx + w, dx + w}, {dy, dy + h, dy + h, dy});
}

void Calibration::DrawDeadPixels() {
  glColor3f(1, 0, 0);
  OverCamera(m_dead_pixels_image.texture);
}
